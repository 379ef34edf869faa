// Status reports matched to sent messages by device, message reference and recipient.

#include "sending/DeliveryMatcher.h"

#include <gtest/gtest.h>

namespace {
TpStatus Status(int value) {
    return TpStatus{value};
}
const QString kA = QStringLiteral("/dev/ttyUSB0");
const QString kB = QStringLiteral("/dev/ttyUSB1");
} // namespace

TEST(DeliveryMatcher, MatchesByDeviceReferenceAndRecipient) {
    DeliveryMatcher matcher(NumberComparison::ForCountry(u"GB"));
    matcher.Expect(0, kA, QStringLiteral("07946000001"), {5});
    matcher.Expect(1, kB, QStringLiteral("07946000001"), {5}); // the same reference on another device
    matcher.Expect(2, kA, QStringLiteral("07946000002"), {5}); // the same reference to another number
    EXPECT_EQ(matcher.AwaitedParts(), 3u);

    struct Case {
        QString device;
        int reference;
        QString recipient;
        int status;
        int item; // -1: no match
        DeliveryMatcher::State state;
    } cases[] = {
        {kB, 5, QStringLiteral("+447946000001"), 0x00, 1, DeliveryMatcher::State::Delivered},
        {kB, 5, QStringLiteral("+447946000001"), 0x00, -1, {}}, // reported already
        {kA, 6, QStringLiteral("+447946000001"), 0x00, -1, {}}, // no such reference
        {kA, 5, QStringLiteral("+447946000003"), 0x00, -1, {}}, // no such recipient
        {kA, 5, QStringLiteral("+447946000002"), 0x20, -1, {}}, // still trying: stays awaited
        {kA, 5, QStringLiteral("+447946000002"), 0x41, 2, DeliveryMatcher::State::Failed},
        {kA, 5, QStringLiteral("07946000001"), 0x00, 0, DeliveryMatcher::State::Delivered},
    };
    for (const Case& c : cases) {
        const auto outcome = matcher.Match(c.device, c.reference, c.recipient, Status(c.status));
        ASSERT_EQ(outcome.has_value(), c.item >= 0) << c.reference << " " << c.recipient.toStdString();
        if (outcome) {
            EXPECT_EQ(outcome->item, c.item);
            EXPECT_EQ(outcome->state, c.state);
        }
    }
    EXPECT_EQ(matcher.AwaitedParts(), 0u);
}

TEST(DeliveryMatcher, AConcatenatedMessageIsDeliveredWhenEveryPartIs) {
    DeliveryMatcher matcher;
    matcher.Expect(7, kA, QStringLiteral("+15550001"), {10, 11, 12});
    for (int reference : {11, 10}) {
        const auto part = matcher.Match(kA, reference, QStringLiteral("+15550001"), Status(0));
        ASSERT_TRUE(part);
        EXPECT_EQ(part->item, 7);
        EXPECT_FALSE(part->changed);
        EXPECT_EQ(part->text, QStringLiteral("Awaiting delivery report"));
    }
    const auto last = matcher.Match(kA, 12, QStringLiteral("+15550001"), Status(0));
    ASSERT_TRUE(last);
    EXPECT_EQ(last->item, 7);
    EXPECT_TRUE(last->changed);
    EXPECT_EQ(last->text, QStringLiteral("Delivered"));

    // One failed part fails the message at once; the parts after it change nothing.
    matcher.Expect(8, kA, QStringLiteral("+15550002"), {13, 14});
    const auto failed = matcher.Match(kA, 14, QStringLiteral("+15550002"), Status(0x41));
    ASSERT_TRUE(failed);
    EXPECT_TRUE(failed->changed);
    EXPECT_EQ(failed->text, DeliveryMatcher::kFailedPrefix + TpStatus{0x41}.Meaning());
    const auto after = matcher.Match(kA, 13, QStringLiteral("+15550002"), Status(0));
    ASSERT_TRUE(after);
    EXPECT_FALSE(after->changed);
    EXPECT_EQ(after->state, DeliveryMatcher::State::Failed);
}

// References wrap at 255: the 257th message to one number on one device reuses the first one's reference,
// and reports (which come in order) go to the oldest message still waiting for that reference.
TEST(DeliveryMatcher, ReusedReferencesGoToTheOldestAwaitedMessage) {
    DeliveryMatcher matcher;
    for (int i = 0; i < 300; ++i)
        matcher.Expect(i, kA, QStringLiteral("+15550001"), {i % 256});
    const auto first = matcher.Match(kA, 3, QStringLiteral("+15550001"), Status(0));
    const auto second = matcher.Match(kA, 3, QStringLiteral("+15550001"), Status(0));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->item, 3);
    EXPECT_EQ(second->item, 259);
    EXPECT_FALSE(matcher.Match(kA, 3, QStringLiteral("+15550001"), Status(0)));
}

TEST(DeliveryMatcher, StateTexts) {
    EXPECT_EQ(DeliveryMatcher::DeliveryText(DeliveryMatcher::State::Awaiting),
              QStringLiteral("Awaiting delivery report"));
    EXPECT_EQ(DeliveryMatcher::DeliveryText(DeliveryMatcher::State::Failed, TpStatus{0x41}),
              QStringLiteral("Delivery failed: ") + TpStatus{0x41}.Meaning());
}

TEST(DeliveryMatcher, NumbersCompareByTheirInternationalFormNeverByTheirTail) {
    DeliveryMatcher gb(NumberComparison::ForCountry(u"GB"));
    gb.Expect(0, kA, QStringLiteral("07946 000001"), {9});
    gb.Expect(1, kA, QStringLiteral("0044 7946 000002"), {9});
    gb.Expect(2, kA, QStringLiteral("+33 6 12 00 00 01"), {9});
    // Another country's subscriber whose number ends in the same digits.
    EXPECT_FALSE(gb.Match(kA, 9, QStringLiteral("+497946000001"), Status(0)));
    EXPECT_FALSE(gb.Match(kA, 9, QStringLiteral("+3312000001"), Status(0)));
    EXPECT_EQ(gb.Match(kA, 9, QStringLiteral("+447946000001"), Status(0))->item, 0);
    EXPECT_EQ(gb.Match(kA, 9, QStringLiteral("+447946000002"), Status(0))->item, 1);
    EXPECT_EQ(gb.Match(kA, 9, QStringLiteral("0033612000001"), Status(0))->item, 2);

    // Without a country a national form cannot be told to be an international one: only the same text matches.
    DeliveryMatcher plain;
    plain.Expect(0, kA, QStringLiteral("07946000001"), {9});
    plain.Expect(1, kA, QStringLiteral("+447946000002"), {9});
    plain.Expect(2, kA, QStringLiteral("Shop"), {9}); // alphanumeric recipients compare as text, ignoring case
    EXPECT_FALSE(plain.Match(kA, 9, QStringLiteral("+447946000001"), Status(0)));
    EXPECT_FALSE(plain.Match(kA, 9, QStringLiteral("447946000002"), Status(0)));
    EXPECT_EQ(plain.Match(kA, 9, QStringLiteral("+447946000002"), Status(0))->item, 1);
    EXPECT_EQ(plain.Match(kA, 9, QStringLiteral("07946000001"), Status(0))->item, 0);
    EXPECT_FALSE(plain.Match(kA, 9, QStringLiteral("Shops"), Status(0)));
    EXPECT_EQ(plain.Match(kA, 9, QStringLiteral("SHOP"), Status(0))->item, 2);
}

TEST(DeliveryMatcher, ReferencesWrapPerDeviceAcrossManyDevices) {
    // 3 devices each send 600 messages to one number: references wrap twice on each. Reports in reverse order of
    // devices, each device's in order, find their own device's messages, oldest first.
    DeliveryMatcher matcher(NumberComparison::ForCountry(u"GB"));
    const QStringList devices = {QStringLiteral("350000000000011"), QStringLiteral("350000000000012"),
                                 QStringLiteral("350000000000013")};
    int item = 0;
    for (int n = 0; n < 600; ++n)
        for (const QString& device : devices)
            matcher.Expect(item++, device, QStringLiteral("07946000001"), {n % 256});
    for (int d = 2; d >= 0; --d) {
        for (int n = 0; n < 600; ++n) {
            const auto outcome = matcher.Match(devices[d], n % 256, QStringLiteral("+447946000001"), Status(0));
            ASSERT_TRUE(outcome.has_value());
            EXPECT_EQ(outcome->item, n * 3 + d);
        }
    }
    EXPECT_EQ(matcher.AwaitedParts(), 0u);
}
