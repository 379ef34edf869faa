#pragma once

#include "journal/JournalTypes.h"
#include "sending/SendCommand.h"

#include <QString>

#include <functional>

class PgJobStore;
class Session;

// A gateway host's side of jobs several hosts send together: registers this process as a gateway (with its
// heartbeat), then sends the open jobs one after the other over the session's selected devices, one worker per
// device, each row reserved from the job database in small batches and claimed there before its submission.
// Each job's settings are the ones it was submitted with; its skip decisions were made when it was submitted.
class PgGateway {
public:
    struct Options {
        QString name;     // shown by `jobs`
        qint64 jobId = 0; // 0: every open job, oldest first
        int batch = 0;    // rows reserved at a time; 0: one per device
        // The user asked the gateway to stop (the caller stops the run it has open): no further job is begun.
        std::function<bool()> stopped;
    };
    struct Outcome {
        int jobs = 0; // job runs this gateway took part in
    };

    PgGateway(Session& session, PgJobStore& store, Options options);

    // Runs until no job has open rows (or the one job has none). open runs each job's run to its end, as a
    // send's caller does; the rows a device confirmed are in the job database when it returns.
    [[nodiscard]] JournalResult Run(const SendCommand::OpenRun& open, Outcome* outcome);

private:
    JournalResult RunJob(qint64 jobId, const SendCommand::OpenRun& open, Outcome* outcome);

    Session& m_session;
    PgJobStore& m_store;
    Options m_options;
};
