#include "sms/ConcatReassembler.h"

#include <gtest/gtest.h>

namespace {

using Outcome = ConcatReassembler::Outcome;

ConcatReassembler::Part PartOf(const char* device, const char* from, int ref, int total, int seq, const char* text) {
    return {{QString::fromLatin1(device), QString::fromLatin1(from), ref, total}, seq, QString::fromLatin1(text), seq};
}

TEST(ConcatReassembler, PartsInAnyOrderCompleteTheirGroup) {
    const std::vector<std::vector<int>> orders = {{1, 2, 3}, {3, 2, 1}, {2, 3, 1}, {3, 1, 2}};
    for (const std::vector<int>& order : orders) {
        ConcatReassembler r;
        static const char* const kTexts[] = {"", "Hel", "lo ", "world"};
        for (std::size_t i = 0; i < order.size(); ++i) {
            const auto result =
                r.Add(PartOf("dev1", "+4477", 7, 3, order[i], kTexts[order[i]]), 1000 + static_cast<qint64>(i));
            if (i + 1 < order.size()) {
                EXPECT_EQ(result.outcome, Outcome::Waiting);
                EXPECT_FALSE(result.completed.has_value());
            } else {
                ASSERT_EQ(result.outcome, Outcome::Completed);
                EXPECT_EQ(result.completed->Text(), QStringLiteral("Hello world"));
                EXPECT_EQ(result.completed->parts.front().id, 1);
                EXPECT_EQ(result.completed->firstSeenMs, 1000);
            }
        }
        EXPECT_EQ(r.PendingCount(), 0u);
    }
}

TEST(ConcatReassembler, KeysKeepGroupsApart) {
    ConcatReassembler r;
    // Same reference from two senders, two devices, or with another part count: four groups.
    EXPECT_EQ(r.Add(PartOf("dev1", "+4477", 7, 2, 1, "a"), 0).outcome, Outcome::Waiting);
    EXPECT_EQ(r.Add(PartOf("dev1", "+4478", 7, 2, 1, "b"), 0).outcome, Outcome::Waiting);
    EXPECT_EQ(r.Add(PartOf("dev2", "+4477", 7, 2, 1, "c"), 0).outcome, Outcome::Waiting);
    EXPECT_EQ(r.Add(PartOf("dev1", "+4477", 7, 3, 1, "d"), 0).outcome, Outcome::Waiting);
    EXPECT_EQ(r.PendingCount(), 4u);
    const auto done = r.Add(PartOf("dev2", "+4477", 7, 2, 2, "C"), 1);
    ASSERT_EQ(done.outcome, Outcome::Completed);
    EXPECT_EQ(done.completed->Text(), QStringLiteral("cC"));
    EXPECT_EQ(r.PendingCount(), 3u);
}

TEST(ConcatReassembler, SinglesDuplicatesAndInvalidParts) {
    ConcatReassembler r;
    const auto single = r.Add(PartOf("d", "1", 0, 1, 1, "whole"), 0);
    ASSERT_EQ(single.outcome, Outcome::Completed);
    EXPECT_EQ(single.completed->Text(), QStringLiteral("whole"));

    EXPECT_EQ(r.Add(PartOf("d", "1", 5, 2, 1, "first"), 0).outcome, Outcome::Waiting);
    EXPECT_EQ(r.Add(PartOf("d", "1", 5, 2, 1, "again"), 5).outcome, Outcome::Duplicate);
    const auto done = r.Add(PartOf("d", "1", 5, 2, 2, "+second"), 6);
    ASSERT_EQ(done.outcome, Outcome::Completed);
    EXPECT_EQ(done.completed->Text(), QStringLiteral("first+second")) << "the first copy stays";

    for (const auto& bad :
         {PartOf("d", "1", 5, 0, 1, "x"), PartOf("d", "1", 5, 2, 0, "x"), PartOf("d", "1", 5, 2, 3, "x")})
        EXPECT_EQ(r.Add(bad, 0).outcome, Outcome::Invalid);
    EXPECT_EQ(r.PendingCount(), 0u);
}

TEST(ConcatReassembler, IncompleteGroupsExpireAfterTheirLastPart) {
    ConcatReassembler r;
    (void)r.Add(PartOf("d", "A", 1, 3, 1, "a1"), 0);
    (void)r.Add(PartOf("d", "A", 1, 3, 3, "a3"), 50000); // a new part keeps the group alive
    (void)r.Add(PartOf("d", "B", 2, 2, 2, "b2"), 10000);
    EXPECT_TRUE(r.TakeExpired(69999, 60000).empty());
    std::vector<ConcatReassembler::Group> expired = r.TakeExpired(70000, 60000);
    ASSERT_EQ(expired.size(), 1u);
    EXPECT_EQ(expired[0].key.originator, QStringLiteral("B"));
    EXPECT_EQ(expired[0].Missing(), (std::vector<int>{1}));
    ASSERT_EQ(r.Pending().size(), 1u);
    EXPECT_EQ(r.Pending()[0].Missing(), (std::vector<int>{2}));
    EXPECT_EQ(r.Pending()[0].Text(), QStringLiteral("a1a3"));
    expired = r.TakeExpired(110000, 60000);
    ASSERT_EQ(expired.size(), 1u);
    EXPECT_EQ(expired[0].parts.size(), 2u);
    EXPECT_EQ(r.PendingCount(), 0u);
    // A late part starts over rather than completing a group the caller already stored as incomplete.
    EXPECT_EQ(r.Add(PartOf("d", "A", 1, 3, 2, "a2"), 120000).outcome, Outcome::Waiting);
}

} // namespace
