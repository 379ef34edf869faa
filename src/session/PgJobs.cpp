#include "session/PgJobs.h"

#include "journal/PgJobStore.h"
#include "sending/RunJournal.h"
#include "sending/SendJob.h"
#include "session/RunSettings.h"
#include "session/Session.h"

namespace PgJobs {

JournalResult Submit(Session& session, PgJobStore& store, Submitted* submitted) {
    RecipientList& list = session.List();
    const QString composerText = session.Composer().Text();
    const SendOptions options = session.SendOptions().Options();
    if (list.IsEmpty())
        return JournalResult::Error(SendCommand::kListEmpty);

    // The skip decisions a run's workers would make, in the same order: exclusion first, then duplicates.
    SendJob job;
    job.SetNumberComparison(list.Comparison());
    std::vector<JournalRowText> rows;
    rows.reserve(static_cast<size_t>(list.Count()));
    for (qsizetype i = 0; i < list.Count(); ++i) {
        RecipientRow r = list.Row(i);
        if (r.message.isEmpty())
            r.message = composerText;
        job.AppendRow(r.number, r.message);
        rows.push_back({r.number, r.message});
    }
    std::vector<std::pair<int, QString>> skips;
    for (int r = 0; r < job.RowCount(); ++r) {
        const QString& number = rows[static_cast<size_t>(r)].number;
        if (options.useExclusion && session.Exclusion().IsExcluded(number))
            skips.emplace_back(r, SendJob::kExcluded);
        else if (options.skipDuplicates && job.IsLaterDuplicate(r))
            skips.emplace_back(r, SendJob::kSkipped);
    }

    JournalRunSpec spec;
    spec.options = session.RunSettingsBlob(options);
    qint64 id = 0;
    const JournalResult created = store.CreateRun(spec, rows, &id);
    if (!created.ok)
        return created;
    if (!skips.empty()) {
        const JournalResult skipped = store.RecordSkips(id, skips);
        if (!skipped.ok)
            return skipped;
    }
    submitted->jobId = id;
    submitted->rows = static_cast<int>(rows.size());
    submitted->skipped = static_cast<int>(skips.size());
    return JournalResult::Ok();
}

JournalResult Load(PgJobStore& store, qint64 jobId, SendJob* job, bool* withRetry) {
    JournalRun run;
    const JournalResult loaded = store.LoadRun(jobId, &run);
    if (!loaded.ok)
        return loaded;
    const std::optional<RunSettings> settings = RunSettings::FromBlob(run.options);
    *withRetry = settings && settings->options.retriesOn;
    job->Clear();
    for (size_t r = 0; r < run.rows.size(); ++r) {
        const int row = static_cast<int>(r);
        job->AppendRow(run.rows[r].number, run.rows[r].message);
        const JournalRowRecord& s = run.states[r];
        job->SetText(row, SendJob::kRetry, QString::number(s.retry));
        job->SetText(row, SendJob::kUsePort, s.imei);
        switch (s.state) {
        case JournalRowState::Pending:
            continue; // as the run shows a row not yet taken
        case JournalRowState::Claimed:
            job->SetText(row, SendJob::kUseStatus, SendJob::kSending);
            job->SetText(row, SendJob::kCurrentStatus, SendJob::kSending);
            continue;
        case JournalRowState::Unconfirmed:
            job->SetText(row, SendJob::kStatus, s.status.isEmpty() ? RunJournal::kUnconfirmed : s.status);
            break;
        default:
            job->SetText(row, SendJob::kStatus, s.status);
            break;
        }
        job->SetText(row, SendJob::kUseStatus, SendJob::kDone);
        job->SetText(row, SendJob::kCurrentStatus, SendJob::kDone);
    }
    return JournalResult::Ok();
}

} // namespace PgJobs
