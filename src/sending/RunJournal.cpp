#include "sending/RunJournal.h"

#include "common/ResultText.h"
#include "sending/SendJob.h"

RunJournal::RunJournal(JobStore& store) : m_store(store) {}

bool RunJournal::Fail(const QString& message, QString* error) {
    {
        std::lock_guard lock(m_errorMutex);
        if (m_error.isEmpty())
            m_error = message;
    }
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
            *error = Error();
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

void RunJournal::Result(int row, const QString& status, const QString& references, int retry) {
    JournalRowState state = JournalRowState::Claimed;
    if (ResultText::IsSent(status))
        state = JournalRowState::Sent;
    else if (status == kUnconfirmed)
        state = JournalRowState::Unconfirmed;
    else if (ResultText::IsFailure(status))
        state = JournalRowState::Failed;
    else
        return;
    QString error;
    m_store.PostResult(m_runId, row, state, status, references, retry, &error);
    if (!error.isEmpty())
        Fail(error, nullptr);
}

QString RunJournal::Error() const {
    std::lock_guard lock(m_errorMutex);
    return m_error;
}

void RunJournal::AfterDurable(std::function<void()> step) { m_store.WhenDurable(std::move(step)); }

void RunJournal::Logged(int row) { m_store.MarkLogged(m_runId, row); }

void RunJournal::Flush() {
    const JournalResult flushed = m_store.Flush();
    if (!flushed.ok)
        Fail(flushed.message, nullptr);
}

void RunJournal::Finish() {
    std::call_once(m_finished, [this] {
        Flush();
        if (m_failed.load()) {
            m_store.ReleaseRun(m_runId);
            return;
        }
        static_cast<void>(m_store.FinishRun(m_runId));
    });
}
