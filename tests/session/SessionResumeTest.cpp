// Session::ResumeRun over an interrupted run written into the session's own journal: the questions asked with
// the run's counts, devices found by IMEI under new port names, rows sent or held back by what the journal
// says and what the user answered.

#include "SessionRig.h"

#include "journal/SqliteJobStore.h"
#include "sending/RunJournal.h"
#include "session/RunSettings.h"

namespace {

using Answer = Prompter::Answer;

const QString kSent = QStringLiteral("Message sent successfully.");
const QString kImei = QStringLiteral("350000000000301");

// An interrupted run of six rows as a killed program leaves it: 0 sent, 1 claimed without a result (in flight),
// 2 failed, 3..5 never claimed. Written through a store of its own (another process), then let go.
qint64 InterruptedRun(const QString& journalPath, const QStringList& numbers) {
    SqliteJobStore store(journalPath);
    EXPECT_TRUE(store.Open().ok);
    RunSettings settings;
    settings.options.saveSentItems = true;
    JournalRunSpec spec{settings.ToBlob(),
                        {{kImei, QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyUSB0 - A")}}};
    std::vector<JournalRowText> rows;
    for (const QString& n : numbers)
        rows.push_back({n, QStringLiteral("Your code is 4417")});
    qint64 id = 0;
    EXPECT_TRUE(store.CreateRun(spec, rows, &id).ok);
    QString error;
    for (const int row : {0, 1, 2})
        EXPECT_EQ(store.Claim(id, row, kImei, &error), JobStore::ClaimOutcome::Claimed);
    EXPECT_TRUE(store.RecordResult(id, 0, JournalRowState::Sent, kSent, QStringLiteral("12"), 0).ok);
    EXPECT_TRUE(store.RecordResult(id, 2, JournalRowState::Failed, QStringLiteral("Error : 500"), {}, 0).ok);
    store.ReleaseRun(id);
    return id;
}

struct ResumeRig : SessionRig {
    QStringList numbers;
    qint64 runId = 0;

    ResumeRig() {
        for (int i = 0; i < 6; ++i)
            numbers << QStringLiteral("+4477001%1").arg(100 + i);
        runId = InterruptedRun(DataPaths(dir.path()).JournalFile(), numbers);
    }

    Session::ResumeOutcome Resume(const Session::ResumeChoices& choices) {
        return session->ResumeRun(choices, [&](SendContext context) {
            context.clock = SendClock(0.01);
            SendRun run(context);
            run.Open();
            EXPECT_TRUE(run.WaitForEnd(60000));
            run.RequestStop(true);
            statuses.clear();
            for (int r = 0; r < run.Job().RowCount(); ++r)
                statuses << run.Job().Text(r, SendJob::kStatus);
        });
    }
    // The numbers the run's modem received, in order.
    QStringList Sent() const {
        QStringList received;
        for (const auto& sim : sims) {
            for (const SimSubmission& s : sim->Submissions())
                received << s.to;
        }
        return received;
    }
};

} // namespace

TEST(SessionResume, TheRunIsOfferedWithItsCountsAndResumedOnItsDeviceUnderANewPortName) {
    for (const bool resend : {false, true}) {
        SCOPED_TRACE(resend);
        ResumeRig rig;
        rig.AddSim(QStringLiteral("default"), kImei); // the run's device, now on a pty
        rig.prompter.Script({Answer::Yes, resend ? Answer::Yes : Answer::No});
        EXPECT_EQ(rig.Resume({}), Session::ResumeOutcome::Started);

        const QStringList asked = rig.prompter.Messages();
        ASSERT_GE(asked.size(), 2) << asked.join('\n').toStdString();
        EXPECT_TRUE(asked[0].contains(QStringLiteral("1 sent, 1 unconfirmed (may have been sent), 4 not yet sent")))
            << asked[0].toStdString();
        EXPECT_EQ(asked[1], Session::ResendQuestion(1));
        // Row 0 is never sent again; row 1 only with consent; the failed and the unclaimed rows are sent.
        const QStringList expected = resend ? rig.numbers.mid(1) : rig.numbers.mid(2);
        EXPECT_EQ(rig.Sent(), expected);
        ASSERT_EQ(rig.statuses.size(), 6);
        EXPECT_EQ(rig.statuses[1], resend ? kSent : RunJournal::kUnconfirmed);
        // The run is over: nothing is offered any more.
        std::vector<JournalRunSummary> runs;
        ASSERT_TRUE(rig.session->InterruptedRuns(&runs));
        EXPECT_TRUE(runs.empty());
    }
}

TEST(SessionResume, DeclinedOrWithoutTheRunsDevicesNothingIsSentAndTheRunStaysOffered) {
    {
        ResumeRig rig;
        rig.AddSim(QStringLiteral("default"), kImei);
        rig.prompter.Script({Answer::No});
        EXPECT_EQ(rig.Resume({}), Session::ResumeOutcome::Declined);
        EXPECT_TRUE(rig.Sent().isEmpty());
        std::vector<JournalRunSummary> runs;
        ASSERT_TRUE(rig.session->InterruptedRuns(&runs));
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].id, rig.runId);
    }
    {
        ResumeRig rig;
        rig.AddSim(QStringLiteral("default"), QStringLiteral("350000000000999")); // another device
        rig.prompter.Script({Answer::Yes});
        EXPECT_EQ(rig.Resume({}), Session::ResumeOutcome::Refused);
        EXPECT_TRUE(rig.prompter.Messages().contains(Session::kNoRunDevice));
        EXPECT_TRUE(rig.Sent().isEmpty());
    }
}
