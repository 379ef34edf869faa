// bulksms-cli runs: the interrupted runs of the run journal, newest first, with their counts.

#include "CliCommand.h"
#include "CliData.h"
#include "CliJson.h"

#include "session/Session.h"

namespace {

const QString kName = QStringLiteral("runs");

int Run(const CliArgs& a) {
    const DataPaths paths = CliData::Start(a);
    CliPrompter prompter;
    Session session(prompter, Session::Options{paths});
    std::vector<JournalRunSummary> runs;
    if (!session.InterruptedRuns(&runs))
        return kExitRefused;
    if (a.Json()) {
        // One array of runs; "started" in UTC (ISO 8601), the counts as numbers.
        QJsonArray array;
        for (const JournalRunSummary& run : runs)
            array.append(QJsonObject{{QStringLiteral("run"), run.id},
                                     {QStringLiteral("started"), run.created.toUTC().toString(Qt::ISODate)},
                                     {QStringLiteral("rows"), run.rows},
                                     {QStringLiteral("sent"), run.sent},
                                     {QStringLiteral("unconfirmed"), run.unconfirmed},
                                     {QStringLiteral("notSent"), run.notSent}});
        CliJson::Print(array);
        return kExitOk;
    }
    // RUN, started (local time), rows, sent, unconfirmed, not yet sent: one tab-separated line per run.
    for (const JournalRunSummary& run : runs)
        CliOut(QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6")
                   .arg(run.id)
                   .arg(run.created.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
                   .arg(run.rows)
                   .arg(run.sent)
                   .arg(run.unconfirmed)
                   .arg(run.notSent));
    if (runs.empty())
        CliErr(Session::kNoInterruptedRun);
    return kExitOk;
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = kName,
    .summary = QStringLiteral("List the interrupted runs of the run journal, newest first: run, started, rows, sent, "
                              "unconfirmed, not yet sent (tab-separated)."),
    .synopsis = CliData::kUsage + QStringLiteral(" [--json]"),
    .options = {CliData::kOption, CliOptions::kJson},
    .failure = QStringLiteral("the run journal could not be read"),
    .run = Run,
});
