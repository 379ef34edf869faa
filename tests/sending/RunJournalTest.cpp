// Runs recorded in a real SQLite journal: a journal that stops accepting claims stops the run before the next
// submission, and a resumed run sends only what the journal does not hold as sent.

#include "SendRunRig.h"

#include "journal/SqliteJobStore.h"
#include "sending/RunJournal.h"

#include <atomic>
#include <set>

namespace {

// The real journal, with claims that fail from a given one on (a full disk, a file gone read-only).
class FailingStore final : public JobStore {
public:
    FailingStore(JobStore& real, int claimsBeforeFailure) : m_real(real), m_left(claimsBeforeFailure) {}
    JournalResult Open() override { return m_real.Open(); }
    QString Location() const override { return m_real.Location(); }
    JournalResult CreateRun(const JournalRunSpec& spec, const std::vector<JournalRowText>& rows, qint64* id) override {
        return m_real.CreateRun(spec, rows, id);
    }
    JournalResult TakeOwnership(qint64 id) override { return m_real.TakeOwnership(id); }
    ClaimOutcome Claim(qint64 id, int row, const QString& imei, QString* error) override {
        if (m_left.fetch_sub(1) <= 0) {
            *error = QStringLiteral("The run journal could not be written: database or disk is full");
            return ClaimOutcome::Failed;
        }
        return m_real.Claim(id, row, imei, error);
    }
    JournalResult RecordResult(qint64 id, int row, JournalRowState state, const QString& status,
                               const QString& reference, int retry) override {
        return m_real.RecordResult(id, row, state, status, reference, retry);
    }
    void MarkLogged(qint64 id, int row) override { m_real.MarkLogged(id, row); }
    JournalResult MarkUnconfirmed(qint64 id, const std::vector<int>& rows, const QString& status) override {
        return m_real.MarkUnconfirmed(id, rows, status);
    }
    JournalResult FinishRun(qint64 id) override { return m_real.FinishRun(id); }
    void ReleaseRun(qint64 id) override { m_real.ReleaseRun(id); }
    JournalResult InterruptedRuns(std::vector<JournalRunSummary>* runs) override { return m_real.InterruptedRuns(runs); }
    JournalResult LoadRun(qint64 id, JournalRun* run) override { return m_real.LoadRun(id, run); }

private:
    JobStore& m_real;
    std::atomic<int> m_left;
};

} // namespace

TEST(RunJournal, AClaimThatCannotBeWrittenStopsTheRunBeforeTheNextSubmission) {
    for (const int claims : {0, 5}) {
        SCOPED_TRACE(claims);
        Rig rig({QStringLiteral("default"), QStringLiteral("default"), QStringLiteral("default")});
        rig.AddRows(30);
        SqliteJobStore store(rig.dir.filePath(SqliteJobStore::kFileName));
        ASSERT_TRUE(store.Open().ok);
        FailingStore failing(store, claims);
        rig.ctx.journal = &failing;
        auto run = rig.Run();
        // Every submission had its claim: exactly the claims that succeeded were sent, once each.
        int submitted = 0;
        for (const auto& [number, count] : rig.Accepted()) {
            EXPECT_EQ(count, 1) << number.toStdString();
            submitted += count;
        }
        EXPECT_EQ(submitted, claims);
        int sent = 0, stopped = 0;
        for (int r = 0; r < run->Job().RowCount(); ++r) {
            const QString status = run->Job().Text(r, SendJob::kStatus);
            sent += status == QStringLiteral("Message sent successfully.") ? 1 : 0;
            stopped += status == SendJob::kStopped ? 1 : 0;
        }
        EXPECT_EQ(sent, claims);
        EXPECT_EQ(sent + stopped, 30);
        ASSERT_FALSE(rig.observer.diagnostics.isEmpty());
        EXPECT_TRUE(rig.observer.diagnostics.join(QLatin1Char('\n')).contains(SendRun::kJournalStops));
        run.reset();
        // The run stays open in the journal, to be resumed.
        store.ReleaseRun(1);
        std::vector<JournalRunSummary> runs;
        ASSERT_TRUE(store.InterruptedRuns(&runs).ok);
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].sent, claims);
        EXPECT_EQ(runs[0].notSent, 30 - claims);
    }
}

// An interrupted run of six rows: 0 and 1 sent (0 logged, 1 logged but its mark lost), 2 claimed without a
// result, 3 failed, 4 and 5 never claimed.
TEST(RunJournal, AResumedRunSendsOnlyWhatWasNotSentAndLogsEachSentRowOnce) {
    for (const bool resend : {false, true}) {
        SCOPED_TRACE(resend);
        Rig rig({QStringLiteral("default"), QStringLiteral("default")});
        rig.AddRows(6);
        rig.ctx.options.saveSentItems = true;
        SqliteJobStore store(rig.dir.filePath(SqliteJobStore::kFileName));
        ASSERT_TRUE(store.Open().ok);
        std::vector<JournalRowText> rows;
        for (const auto& [number, message] : rig.rows)
            rows.push_back({number, message});
        qint64 id = 0;
        ASSERT_TRUE(store.CreateRun({}, rows, &id).ok);
        const QString imei = rig.ctx.devicesInUse[0].record.imei;
        const QString sentText = QStringLiteral("Message sent successfully.");
        QString error;
        for (const int row : {0, 1, 2, 3})
            ASSERT_EQ(store.Claim(id, row, imei, &error), JobStore::ClaimOutcome::Claimed);
        ASSERT_TRUE(store.RecordResult(id, 0, JournalRowState::Sent, sentText, QString(), 0).ok);
        ASSERT_TRUE(store.RecordResult(id, 1, JournalRowState::Sent, sentText, QString(), 0).ok);
        ASSERT_TRUE(store.RecordResult(id, 3, JournalRowState::Failed, QStringLiteral("Error : 500"), QString(), 0).ok);
        store.MarkLogged(id, 0);
        // Both sent rows reached the log before the interruption.
        for (const int row : {0, 1})
            ASSERT_TRUE(rig.sentItems->Append(SentItemsStore::MakeRecord(rig.rows[static_cast<size_t>(row)].first,
                                                                         rig.rows[static_cast<size_t>(row)].second,
                                                                         sentText)));
        store.ReleaseRun(id);

        JournalRun loaded;
        ASSERT_TRUE(store.LoadRun(id, &loaded).ok);
        auto plan = std::make_shared<ResumePlan>();
        plan->runId = id;
        plan->states = loaded.states;
        plan->resendUnconfirmed = resend;
        rig.ctx.journal = &store;
        rig.ctx.resume = plan;
        auto run = rig.Run();

        const auto accepted = rig.Accepted();
        const std::set<size_t> expected = resend ? std::set<size_t>{2, 3, 4, 5} : std::set<size_t>{3, 4, 5};
        for (size_t r = 0; r < rig.rows.size(); ++r) {
            const auto it = accepted.find(rig.rows[r].first);
            EXPECT_EQ(it == accepted.end() ? 0 : it->second, expected.count(r)) << r;
        }
        EXPECT_EQ(run->Job().Text(2, SendJob::kStatus), resend ? sentText : RunJournal::kUnconfirmed);
        EXPECT_EQ(run->Job().Text(0, SendJob::kStatus), sentText);
        run.reset();

        std::map<QString, int> logged;
        for (const SentItemRecord& r : rig.Logged()) {
            if (r.status == sentText)
                ++logged[r.number];
        }
        for (size_t r = 0; r < rig.rows.size(); ++r) {
            if (r != 2 || resend) {
                EXPECT_EQ(logged[rig.rows[r].first], 1) << r;
            }
        }
        // Finished: no longer offered.
        std::vector<JournalRunSummary> runs;
        ASSERT_TRUE(store.InterruptedRuns(&runs).ok);
        EXPECT_TRUE(runs.empty());
    }
}
