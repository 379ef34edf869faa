#include "sending/RunJournal.h"

#include "common/ResultText.h"
#include "sending/SendJob.h"

RunJournal::RunJournal(JobStore& store) : m_store(store) {}

bool RunJournal::Fail(const QString& message, QString* error) {
    m_failed.store(true);
    if (error)
        *error = message;
    return false;
}

bool RunJournal::Begin(const SendJob& job, const JournalRunSpec& spec, QString* error) {
    std::vector<JournalRowText> rows;
    rows.reserve(static_cast<size_t>(job.RowCount()));
    for (int r = 0; r < job.RowCount(); ++r)
        rows.push_back({job.Text(r, SendJob::kNumber), job.Text(r, SendJob::kMessage)});
    const JournalResult created = m_store.CreateRun(spec, rows, &m_runId);
    return created.ok || Fail(created.message, error);
}

bool RunJournal::Resume(const ResumePlan& plan, QString* error) {
    m_runId = plan.runId;
    const JournalResult owned = m_store.TakeOwnership(plan.runId);
    if (!owned.ok)
        return Fail(owned.message, error);
    if (plan.resendUnconfirmed)
        return true;
    std::vector<int> unconfirmed;
    for (size_t r = 0; r < plan.states.size(); ++r) {
        if (plan.states[r].state == JournalRowState::Claimed)
            unconfirmed.push_back(static_cast<int>(r));
    }
    const JournalResult marked = m_store.MarkUnconfirmed(plan.runId, unconfirmed, kUnconfirmed);
    return marked.ok || Fail(marked.message, error);
}

RunJournal::Claim RunJournal::ClaimRow(int row, const QString& imei, QString* error) {
    if (m_failed.load()) {
        if (error)
            *error = QStringLiteral("The run journal could not be written.");
        return Claim::Failed;
    }
    QString message;
    switch (m_store.Claim(m_runId, row, imei, &message)) {
    case JobStore::ClaimOutcome::Claimed: return Claim::Claimed;
    case JobStore::ClaimOutcome::Taken: return Claim::AlreadySent;
    case JobStore::ClaimOutcome::Failed: break;
    }
    Fail(message, error);
    return Claim::Failed;
}

bool RunJournal::Result(int row, const QString& status, int retry, QString* error) {
    JournalRowState state = JournalRowState::Claimed;
    if (ResultText::IsSent(status))
        state = JournalRowState::Sent;
    else if (ResultText::IsFailure(status))
        state = JournalRowState::Failed;
    else
        return true;
    // The reference is filled in once the transports report the device's TP-MR.
    const JournalResult recorded = m_store.RecordResult(m_runId, row, state, status, QString(), retry);
    return recorded.ok || Fail(recorded.message, error);
}

void RunJournal::Logged(int row) { m_store.MarkLogged(m_runId, row); }

void RunJournal::Finish() {
    std::call_once(m_finished, [this] {
        if (m_failed.load()) {
            m_store.ReleaseRun(m_runId);
            return;
        }
        static_cast<void>(m_store.FinishRun(m_runId));
    });
}
