// bulksms-cli gateway: this host's modems send the open jobs of a job database, beside other gateway hosts.

#include "CliCommand.h"
#include "CliData.h"
#include "CliDatabase.h"
#include "CliProgressLine.h"
#include "CliSendObserver.h"
#include "CliSendRun.h"
#include "CliSignals.h"

#include "common/ResultText.h"
#include "sending/PrompterComposerTextQuestion.h"
#include "sending/RunJournal.h"
#include "sending/SendRun.h"
#include "session/PgGateway.h"
#include "session/Session.h"

#include <QCoreApplication>
#include <QSysInfo>

#include <atomic>
#include <thread>

namespace {

const QString kName = QStringLiteral("gateway");

// A whole number of the option in [min, max], else the usage error's exit status in *exit.
std::optional<int> Number(const CliArgs& a, const QString& option, int fallback, int min, int max, int* exit) {
    if (!a.Has(option))
        return fallback;
    bool ok = false;
    const int value = a.Value(option).toInt(&ok);
    if (ok && value >= min && value <= max)
        return value;
    *exit = CliUsageError(kName, QStringLiteral("--%1 takes %2 to %3").arg(option).arg(min).arg(max));
    return std::nullopt;
}

int Run(const CliArgs& a) {
    // SIGINT, SIGTERM and SIGHUP stop the gateway cleanly: each device finishes the row it is sending, the rows
    // reserved but not begun go back to the queue at once, and no further job is begun. The signals are blocked
    // before any thread starts, so only the watcher below takes them.
    const sigset_t stopSignals = CliStopSignals();
    const SignalMaskGuard mask(stopSignals);
    std::atomic<bool> interrupted{false};
    std::atomic<bool> ending{false};
    std::thread watcher([&] {
        int signal = 0;
        while (sigwait(&stopSignals, &signal) != 0) {
        }
        if (!ending.load())
            interrupted.store(true);
    });
    struct WatcherEnd {
        std::thread& thread;
        std::atomic<bool>& ending;
        ~WatcherEnd() {
            ending.store(true);
            pthread_kill(thread.native_handle(), SIGTERM); // taken by its sigwait, never delivered
            thread.join();
        }
    } watcherEnd{watcher, ending};

    const QStringList ports = a.Values("port");
    if (ports.isEmpty())
        return CliUsageError(kName, QStringLiteral("give at least one --port"));
    int exit = kExitUsage;
    qint64 jobId = 0;
    if (a.Has("job")) {
        const std::optional<qint64> id = CliDatabase::JobId(a, kName, &exit);
        if (!id)
            return exit;
        jobId = *id;
    }
    const std::optional<int> batch = Number(a, QStringLiteral("batch"), 0, 1, 1000, &exit);
    const std::optional<int> deadAfter = Number(a, QStringLiteral("dead-after"), 10, 2, 3600, &exit);
    const std::optional<int> reconnectFor = Number(a, QStringLiteral("reconnect-for"), 600, 1, 86400, &exit);
    if (!batch || !deadAfter || !reconnectFor)
        return exit;
    PgJobStore::Options storeOptions;
    storeOptions.staleAfterMs = *deadAfter * 1000;
    storeOptions.heartbeatMs = std::max(250, storeOptions.staleAfterMs / 8);
    storeOptions.reconnectForMs = *reconnectFor * 1000;
    std::unique_ptr<PgJobStore> store;
    if (const std::optional<int> refused = CliDatabase::Open(a, kName, storeOptions, &store))
        return *refused;

    const DataPaths paths = CliData::Start(a);
    CliPrompter prompter(a.Has("yes"));
    PrompterComposerTextQuestion composerQuestion(prompter);
    Session session(prompter, Session::Options{paths, ModemTiming::Fast(), &composerQuestion});
    if (!CliSelectDevices(session, ports, {}, {})) {
        CliErr(SendCommand::kNoDevice);
        return kExitRefused;
    }
    PgGateway::Options options;
    options.name =
        a.Value("name", QSysInfo::machineHostName() + QStringLiteral(":%1").arg(QCoreApplication::applicationPid()));
    options.jobId = jobId;
    options.batch = *batch;
    options.stopped = [&interrupted] { return interrupted.load(); };
    PgGateway gateway(session, *store, options);

    // Each job's run to its end; one line per job: its number, the rows this gateway sent and failed.
    bool allSent = true;
    const auto open = [&](SendContext context) {
        const qint64 job = context.resume ? context.resume->runId : 0;
        CliProgressLine progressLine;
        CliSendObserver observer(false, progressLine);
        context.observer = &observer;
        SendRun run(context);
        observer.Watch(run.Job());
        run.Open();
        while (!run.WaitForEnd(200)) {
            if (interrupted.load())
                run.State().stopAll.store(1); // as the window's Stop once confirmed: workers end after their row
        }
        run.RequestStop(true);
        observer.Finish();
        int sent = 0;
        int failed = 0;
        const SendJob& rows = run.Job();
        for (int r = 0; r < rows.RowCount(); ++r) {
            const SendJob::Row row = rows.RowAt(r);
            if (row[SendJob::kUsePort].isEmpty() || row[SendJob::kUsePort] == QLatin1String("-") ||
                row[SendJob::kStatus].isEmpty())
                continue; // another gateway's row
            if (ResultText::IsSent(row[SendJob::kStatus]))
                ++sent;
            else if (ResultText::IsFailure(row[SendJob::kStatus]))
                ++failed;
        }
        allSent = allSent && failed == 0;
        CliOut(QStringLiteral("%1\t%2\t%3").arg(job).arg(sent).arg(failed));
    };
    PgGateway::Outcome outcome;
    const JournalResult result = gateway.Run(open, &outcome);
    if (!result.ok) {
        CliErr(result.message);
        return kExitRefused;
    }
    return allSent ? kExitOk : kExitRefused;
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = kName,
    .summary = QStringLiteral("Send the open jobs of a job database through this host's devices, together with the "
                              "other gateway hosts."),
    .synopsis = QStringLiteral("--db URL --port PATH [--port PATH]... [--name NAME] [--job ID] [--batch N] "
                               "[--dead-after SECONDS] [--reconnect-for SECONDS] ") +
                CliData::kUsage + QStringLiteral(" [--yes]"),
    .options = {CliDatabase::kOption,
                {QStringLiteral("port"), QStringLiteral("PATH"),
                 QStringLiteral("A device to send through (repeatable); one worker per device.")},
                {QStringLiteral("name"), QStringLiteral("NAME"),
                 QStringLiteral("This gateway's name in `jobs` (default: host name and process id).")},
                {QStringLiteral("job"), QStringLiteral("ID"), QStringLiteral("Send only this job.")},
                {QStringLiteral("batch"), QStringLiteral("N"),
                 QStringLiteral("Rows reserved at a time (default: one per device).")},
                {QStringLiteral("dead-after"), QStringLiteral("SECONDS"),
                 QStringLiteral("A gateway silent this long is taken for dead: its reserved rows go to the others, "
                                "its rows in flight become Unconfirmed (default 10; the same on every gateway).")},
                {QStringLiteral("reconnect-for"), QStringLiteral("SECONDS"),
                 QStringLiteral("How long a lost database is waited for, sending nothing meanwhile (default 600).")},
                CliData::kOption,
                {QStringLiteral("yes"), {}, QStringLiteral("Answer the devices' questions with yes instead of no.")}},
    .details = QStringLiteral("Ends when no job has rows left to send, or on SIGINT/SIGTERM once each device has "
                              "finished its row (the rows it had reserved go straight back to the others). Prints one "
                              "line per job it took part in: the "
                              "job, the rows this gateway sent and the rows its devices refused (tab-separated).\n") +
               CliDatabase::kExitHelp,
    .failure = QStringLiteral("a row was refused by a device, no device was found, or the database was lost"),
    .run = Run,
});
