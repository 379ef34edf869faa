#pragma once

#include "journal/JournalTypes.h"
#include "records/SpreadsheetExport.h"

#include <QString>

class PgJobStore;
class Prompter;
class Session;
class SendJob;

// The submitting side of jobs that gateway hosts send together: a session's list becomes a job, and a job's
// rows come back as the status table of a run.
namespace PgJobs {

struct Submitted {
    qint64 jobId = 0;
    int rows = 0;
    int skipped = 0; // excluded or duplicate rows, decided now and never handed to a gateway
};

// Records the session's list as a new job with the session's options and settings. A row without a message
// takes the composer's text. "Skip Duplicate Numbers" and "Use Exclusion Rules" are decided here, on this host,
// against this host's exclusion lists, as a run decides them ("Skipped." / "Excluded."). The list must not be
// empty.
[[nodiscard]] JournalResult Submit(Session& session, PgJobStore& store, Submitted* submitted);

// The job's rows as a run's status table: number, message, the device (IMEI) that took each row, its state
// and result; rows not yet decided read "Wait to dispatch...".
[[nodiscard]] JournalResult Load(PgJobStore& store, qint64 jobId, SendJob* job, bool* withRetry);

} // namespace PgJobs
