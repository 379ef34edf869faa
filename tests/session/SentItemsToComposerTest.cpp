// "Send selected items to SMS Composer": the sent items' numbers and messages through the session's number check
// into the Recipient list.

#include "fakes/ScriptedPrompter.h"
#include "session/Session.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace {

struct Rig {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    Session session{prompter, Session::Options{DataPaths(dir.path())}};

    QStringList Numbers() {
        QStringList out;
        for (qsizetype i = 0; i < session.List().Count(); ++i)
            out << session.List().Number(i);
        return out;
    }
};

QList<SentItemRecord> Items() {
    return {
        {QStringLiteral("+44 (20) 7946-0001"), QStringLiteral("one\r\ntwo"), QStringLiteral("01/03/2024"),
         QStringLiteral("Message sent successfully.")},
        {QStringLiteral("12a4"), QStringLiteral("invalid"), QStringLiteral("01/03/2024"), QStringLiteral("Error : x")},
        {QStringLiteral("+4402"), QStringLiteral("second"), QStringLiteral("02/03/2024"), QStringLiteral("Error : x")},
        {QStringLiteral("+4403"), QString(), QStringLiteral("02/03/2024"), QStringLiteral("Message sent to device.")},
    };
}

TEST(SentItemsToComposer, EntriesGoOnTopInOrderWithTheirOwnMessagesThroughTheNumberCheck) {
    Rig rig;
    rig.session.List().InsertRow(0, QStringLiteral("+4499"), QStringLiteral("old"), {});
    EXPECT_EQ(rig.session.AddSentItems(Items()), 3);
    EXPECT_EQ(rig.Numbers(), (QStringList{"+442079460001", "+4402", "+4403", "+4499"}));
    EXPECT_EQ(rig.session.List().Message(0), QStringLiteral("one\r\ntwo"));
    EXPECT_EQ(rig.session.List().Message(2), QString());
    EXPECT_TRUE(rig.prompter.Asked().empty()); // the window reports, not the copy
}

TEST(SentItemsToComposer, SkipDuplicatesAndExclusionRulesApply) {
    Rig rig;
    rig.session.List().InsertRow(0, QStringLiteral("+4402"), QStringLiteral("old"), {});
    rig.session.SendOptions().SetSkipDuplicates(true);
    ExclusionSetLoad exclusion;
    exclusion.set.Add(u"+4403");
    rig.session.UseExclusionSet(std::move(exclusion));
    rig.session.SendOptions().SetUseExclusion(true);
    EXPECT_EQ(rig.session.AddSentItems(Items()), 1);
    EXPECT_EQ(rig.Numbers(), (QStringList{"+442079460001", "+4402"}));
    QList<SentItemRecord> again = Items().mid(2, 1);
    EXPECT_EQ(rig.session.AddSentItems(again), 0);
}

TEST(SentItemsToComposer, TheClearOrAppendQuestionComesFirstOverANonEmptyList) {
    Rig rig;
    EXPECT_TRUE(rig.session.PrepareListFill(QString()).done);
    EXPECT_TRUE(rig.prompter.Asked().empty());
    rig.session.List().InsertRow(0, QStringLiteral("+4499"), QStringLiteral("old"), {});
    rig.prompter.Script({Prompter::Answer::Yes});
    EXPECT_TRUE(rig.session.PrepareListFill(QString()).done);
    EXPECT_EQ(rig.session.List().Count(), 0);
    ASSERT_EQ(rig.prompter.Asked().size(), 1u);
    EXPECT_EQ(rig.prompter.Asked()[0].caption, QStringLiteral("Information"));
}

} // namespace
