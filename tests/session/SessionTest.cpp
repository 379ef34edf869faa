// The session: the main window's commands without a window, and two sessions side by side in one process
// (their own data folders, modems, composer settings and run state).

#include "SessionRig.h"
#include "session/Session.h"
#include "devices/DeviceTexts.h"
#include "fakes/ScriptedPrompter.h"
#include "sending/SendRun.h"
#include "sim/SimModem.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <thread>

namespace {

using Answer = Prompter::Answer;

QStringList Received(const SimModem& sim) {
    QStringList numbers;
    for (const SimSubmission& s : sim.Submissions())
        numbers << s.to;
    return numbers;
}

} // namespace

TEST(Session, TwoSessionsSendSideBySideWithTheirOwnSettingsAndStops) {
    SessionRig a;
    SessionRig b;
    a.AddSim(QStringLiteral("slow:30"), QStringLiteral("350000000000101"));
    b.AddSim(QStringLiteral("slow:30"), QStringLiteral("350000000000102"));
    a.AddRows(12, QStringLiteral("+44770011"), QStringLiteral("Grüße \u2713"));
    b.AddRows(12, QStringLiteral("+44770022"), QStringLiteral("Plain text"));
    a.session->Composer().SetUnicodeChecked(true);
    a.session->SendOptions().SetSaveSentItems(true);
    b.session->SendOptions().SetSaveSentItems(true);

    // A is stopped after its third row; B goes on to the end of its list.
    std::thread runA([&] {
        a.Send([&](SendRun& run) {
            while (a.sims[0]->SubmissionCount() < 3)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            a.prompter.Script({Answer::Yes}); // "Are you sure you want to continue?"
            run.RequestStop(false);
        });
    });
    std::thread runB([&] { b.Send(); });
    runA.join();
    runB.join();

    EXPECT_EQ(b.statuses, QStringList(12, QStringLiteral("Message sent successfully.")));
    EXPECT_TRUE(a.statuses.contains(QStringLiteral("Stopped"))) << a.statuses.join(',').toStdString();
    EXPECT_LT(a.sims[0]->SubmissionCount(), 12);
    // Each session's rows went through its own modem, with its own composer's coding.
    for (const QString& n : Received(*a.sims[0]))
        EXPECT_TRUE(n.startsWith(QStringLiteral("+44770011"))) << n.toStdString();
    EXPECT_EQ(Received(*b.sims[0]).size(), 12);
    for (const SimSubmission& s : a.sims[0]->Submissions())
        EXPECT_EQ(s.dcs, 0x08) << "UCS-2";
    for (const SimSubmission& s : b.sims[0]->Submissions())
        EXPECT_EQ(s.dcs, 0x00) << "GSM 7-bit";
    // Each logged its own sends into its own data folder.
    QList<SentItemRecord> logA;
    QList<SentItemRecord> logB;
    ASSERT_TRUE(a.session->SentItems().Load(&logA));
    ASSERT_TRUE(b.session->SentItems().Load(&logB));
    EXPECT_EQ(logB.size(), 12);
    EXPECT_EQ(logA.size(), a.sims[0]->SubmissionCount());

    // A stopped run leaves nothing behind that holds up the next one.
    EXPECT_FALSE(a.session->IsSendRunning());
    a.Send();
    EXPECT_EQ(a.statuses, QStringList(12, QStringLiteral("Message sent successfully.")));
}

TEST(Session, ContactFilesMustBeRegularFilesOfAKnownKind) {
    SessionRig rig;
    const QDir dir(rig.dir.path());
    QFile text(dir.filePath(QStringLiteral("numbers.txt")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("+15550001,+15550002\n");
    text.close();
    QFile csv(dir.filePath(QStringLiteral("numbers.csv")));
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.close();
    ASSERT_TRUE(dir.mkpath(QStringLiteral("folder.txt")));

    using Kind = Session::ContactFile;
    struct Case {
        QString path;
        Kind kind;
        QString notice;
    };
    for (const Case& c :
         {Case{QString(), Kind::None, {}},
          Case{dir.filePath(QStringLiteral("missing.txt")), Kind::Refused, ContactTextImport::kMissing},
          Case{dir.filePath(QStringLiteral("folder.txt")), Kind::Refused, ContactTextImport::kMissing},
          Case{csv.fileName(), Kind::Refused, Session::kInvalidFile}, Case{text.fileName(), Kind::Text, {}}}) {
        SCOPED_TRACE(c.path.toStdString());
        rig.prompter.Clear();
        EXPECT_EQ(rig.session->ClassifyContactFile(c.path), c.kind);
        if (c.notice.isEmpty())
            EXPECT_TRUE(rig.prompter.Asked().empty());
        else
            EXPECT_EQ(rig.prompter.Messages().value(0), c.notice);
    }
    const ContactTextImport::Outcome outcome = rig.session->ImportContactText(text.fileName());
    EXPECT_EQ(outcome.added, 2);
    EXPECT_EQ(rig.session->List().Count(), 2);
}

TEST(Session, ListCommandsRefuseWithTheirFocusAndAskBeforeClearing) {
    SessionRig rig;
    Session& s = *rig.session;
    // Over an empty list every list command refuses towards the number field.
    for (const auto& command : std::vector<std::function<Session::Outcome()>>{[&] { return s.ClearAll(); },
                                                                              [&] { return s.MayClearSelected({0}); },
                                                                              [&] { return s.MayExportList(); }}) {
        rig.prompter.Clear();
        const Session::Outcome outcome = command();
        EXPECT_FALSE(outcome.done);
        EXPECT_EQ(outcome.focus, SendFocus::NumberField);
        EXPECT_EQ(rig.prompter.Messages().value(0), Session::kListEmpty);
    }
    EXPECT_TRUE(s.AddNumber(QStringLiteral("+15550001")).done);
    const Session::Outcome duplicate =
        (s.SendOptions().SetSkipDuplicates(true), s.AddNumber(QStringLiteral("+15550001")));
    EXPECT_FALSE(duplicate.done);
    EXPECT_EQ(duplicate.focus, SendFocus::NumberField);

    // A typed number stops a list fill before any question.
    rig.prompter.Clear();
    EXPECT_FALSE(s.PrepareListFill(QStringLiteral("123")).done);
    EXPECT_EQ(rig.prompter.Messages().value(0), SendCommand::kInsertNumber);
    // Over rows: No appends, Cancel stops, Yes empties the list.
    for (const auto& [answer, done, rows] :
         {std::tuple{Answer::No, true, 1}, std::tuple{Answer::Cancel, false, 1}, std::tuple{Answer::Yes, true, 0}}) {
        rig.prompter.Clear();
        rig.prompter.Script({answer});
        EXPECT_EQ(s.PrepareListFill(QString()).done, done);
        EXPECT_EQ(rig.prompter.Messages().value(0), Session::kListFillQuestion);
        EXPECT_EQ(s.List().Count(), rows);
    }

    EXPECT_TRUE(s.AddNumber(QStringLiteral("+15550002")).done);
    rig.prompter.Script({Answer::No});
    EXPECT_FALSE(s.ClearAll().done);
    EXPECT_EQ(s.List().Count(), 1);
    rig.prompter.Script({Answer::Yes});
    EXPECT_TRUE(s.ClearAll().done);
    EXPECT_TRUE(s.List().IsEmpty());
}

TEST(Session, DeviceViewNamesOneDeviceOrCountsSeveral) {
    SessionRig rig;
    Session::DeviceView view = rig.session->DeviceDisplay();
    EXPECT_TRUE(view.entries.isEmpty());
    EXPECT_TRUE(view.text.isEmpty());
    EXPECT_TRUE(view.linkVisible);
    EXPECT_EQ(view.selected, -1);

    rig.AddSim(QStringLiteral("default"), QStringLiteral("350000000000201"));
    view = rig.session->DeviceDisplay();
    ASSERT_EQ(view.entries.size(), 1);
    EXPECT_EQ(view.text, view.entries.first());
    EXPECT_EQ(view.selected, 0);
    EXPECT_FALSE(view.linkVisible);

    rig.AddSim(QStringLiteral("default"), QStringLiteral("350000000000202"));
    view = rig.session->DeviceDisplay();
    EXPECT_EQ(view.entries.size(), 3);
    EXPECT_EQ(view.entries.value(view.selected), QStringLiteral("All Device"));
    EXPECT_EQ(view.text, QStringLiteral("(2) Mobile Phone Device selected."));
}

// The choices a session remembers come back in the next session over the same data folder: the options, the
// fixed-pauses timing, the default country and the devices last chosen (by IMEI). A settings file holding
// values of another kind reads as the defaults.
TEST(SessionChoices, RememberedChoicesComeBackInTheNextSession) {
    SessionRig rig;
    Session& first = *rig.session;
    first.SetFixedPauses(true);
    ASSERT_TRUE(first.ChooseCountry(QStringLiteral("in")));
    first.SendOptions().SetSkipDuplicates(true);
    first.SendOptions().SetRetries(true);
    ASSERT_TRUE(first.SendOptions().SetRetryCount(QStringLiteral("3")));
    first.SendOptions().SetRetryAllErrors(true);
    first.SendOptions().SetSendInternational(true);
    first.SendOptions().SetDeliveryReports(true);
    first.SendOptions().SetReconnectWaitSeconds(90);
    first.Composer().SetUnicodeChecked(true);
    first.RememberChoices();
    rig.AddSim(QStringLiteral("default"), QStringLiteral("351234567890001"));
    first.RememberChosenDevices();

    ScriptedPrompter prompter;
    Session second(prompter, Session::Options{DataPaths(rig.dir.path()), TestTiming()});
    EXPECT_FALSE(second.FixedPauses());
    second.RestoreChoices();
    EXPECT_TRUE(second.FixedPauses());
    EXPECT_EQ(second.Timing().settleBeforeResultMs, ModemTiming::Standard().settleBeforeResultMs);
    EXPECT_EQ(second.Country(), QStringLiteral("IN"));
    EXPECT_TRUE(second.SendOptions().SkipDuplicates());
    EXPECT_TRUE(second.SendOptions().Retries());
    EXPECT_EQ(second.SendOptions().RetryCount(), QStringLiteral("3"));
    EXPECT_TRUE(second.SendOptions().RetryAllErrors());
    EXPECT_TRUE(second.SendOptions().SendInternational());
    EXPECT_TRUE(second.SendOptions().DeliveryReports());
    EXPECT_EQ(second.SendOptions().ReconnectWaitSeconds(), 90);
    EXPECT_TRUE(second.Composer().IsUnicodeChecked());
    EXPECT_EQ(second.Settings().ChosenImeis(), QStringList({QStringLiteral("351234567890001")}));
    // The country joins the two forms of one Indian number in the duplicate test.
    second.List().InsertRow(0, QStringLiteral("+919845012345"), {}, {});
    EXPECT_TRUE(second.List().ContainsNumber(QStringLiteral("09845012345")));

    EXPECT_FALSE(second.ChooseCountry(QStringLiteral("ZZ")));
    EXPECT_EQ(second.Country(), QStringLiteral("IN"));
}

// An import's numbers that cannot be numbers of the default country: asked about in the window (No drops
// them), decided beforehand by a command (listed, then kept or dropped).
TEST(SessionChoices, ImpossibleNumbersAreAskedAboutOrListedAndKeptOrDropped) {
    SessionRig rig;
    Session& s = *rig.session;
    ASSERT_TRUE(s.ChooseCountry(QStringLiteral("GB")));
    for (const QString& number : {QStringLiteral("07700900555"), QStringLiteral("12"), QStringLiteral("+4412")})
        s.List().InsertRow(s.List().Count(), number, {}, {});
    const QStringList impossible = s.ImpossibleNumbersInList();
    EXPECT_EQ(impossible, QStringList({QStringLiteral("12"), QStringLiteral("+4412")}));

    rig.prompter.Script({Answer::Yes});
    EXPECT_EQ(s.ReviewImpossibleNumbers(impossible), 0);
    EXPECT_EQ(s.List().Count(), 3);
    EXPECT_EQ(s.ReviewImpossibleNumbers(impossible, false), 0);
    EXPECT_EQ(s.List().Count(), 3);
    EXPECT_EQ(rig.prompter.Asked().size(), 2u);
    EXPECT_TRUE(rig.prompter.Asked()[1].message.endsWith(QStringLiteral("They were kept in the list.")));
    rig.prompter.Script({Answer::No});
    EXPECT_EQ(s.ReviewImpossibleNumbers(impossible), 2);
    EXPECT_EQ(s.List().Count(), 1);
    EXPECT_EQ(s.List().Number(0), QStringLiteral("07700900555"));
    EXPECT_TRUE(s.ImpossibleNumbersInList().isEmpty());
}

// The sent items of one person are found however the number was written, under the default country; without
// one, by the text.
TEST(SessionChoices, SentItemsOfOneNumberAreFoundInAnyForm) {
    SessionRig rig;
    Session& s = *rig.session;
    for (const QString& number : {QStringLiteral("07700 900555"), QStringLiteral("+447700900555"),
                                  QStringLiteral("+447700900556"), QStringLiteral("0044-7700-900555")})
        ASSERT_TRUE(s.SentItems().Append(
            SentItemsStore::MakeRecord(number, QStringLiteral("Hi"), QStringLiteral("Message sent successfully."))));
    QList<SentItemRecord> found;
    ASSERT_TRUE(s.FindSentItems(QStringLiteral("+447700900555"), &found));
    ASSERT_EQ(found.size(), 1);
    ASSERT_TRUE(s.ChooseCountry(QStringLiteral("GB")));
    ASSERT_TRUE(s.FindSentItems(QStringLiteral(" 07700900555 "), &found));
    ASSERT_EQ(found.size(), 3);
    EXPECT_EQ(found[0].number, QStringLiteral("07700 900555"));
    EXPECT_EQ(found[2].number, QStringLiteral("0044-7700-900555"));
}
