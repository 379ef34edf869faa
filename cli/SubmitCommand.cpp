// bulksms-cli submit: a list becomes a job in the job database, for the gateway hosts to send together.

#include "CliCommand.h"
#include "CliData.h"
#include "CliDatabase.h"
#include "CliSendInputs.h"

#include "sending/PrompterComposerTextQuestion.h"
#include "session/PgJobs.h"
#include "session/Session.h"

namespace {

const QString kName = QStringLiteral("submit");

int Run(const CliArgs& a) {
    CliSendInputs inputs;
    if (const std::optional<int> refused = CliSendInputs::Parse(a, kName, &inputs))
        return *refused;
    std::unique_ptr<PgJobStore> store;
    if (const std::optional<int> refused = CliDatabase::Open(a, kName, {}, &store))
        return *refused;

    const DataPaths paths = CliData::Start(a);
    CliPrompter prompter(a.Has("yes"));
    PrompterComposerTextQuestion composerQuestion(prompter);
    Session session(prompter, Session::Options{paths, *ModemTiming::ByName(a.Value("timing", QStringLiteral("fast"))),
                                               &composerQuestion});
    if (const std::optional<int> refused = inputs.Load(a, kName, session))
        return *refused;
    PgJobs::Submitted submitted;
    const JournalResult result = PgJobs::Submit(session, *store, &submitted);
    if (!result.ok) {
        CliErr(result.message);
        return kExitRefused;
    }
    if (a.Json())
        CliOut(QStringLiteral("{\"job\": %1, \"rows\": %2, \"skipped\": %3}")
                   .arg(submitted.jobId)
                   .arg(submitted.rows)
                   .arg(submitted.skipped));
    else
        CliOut(QStringLiteral("%1\t%2\t%3").arg(submitted.jobId).arg(submitted.rows).arg(submitted.skipped));
    return kExitOk;
}

std::vector<CliOption> CommandOptions() {
    std::vector<CliOption> options{CliDatabase::kOption};
    for (const CliOption& option : CliSendInputs::Options())
        options.push_back(option);
    options.push_back(CliData::kOption);
    options.push_back({QStringLiteral("yes"), {}, QStringLiteral("Answer the questions with yes instead of no.")});
    options.push_back(CliOptions::kJson);
    return options;
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = kName,
    .summary = QStringLiteral("Record a list as a job in a job database, for gateway hosts to send together "
                              "(`bulksms-cli gateway`)."),
    .synopsis = QStringLiteral("--db URL ") + CliSendInputs::Synopsis() +
                QStringLiteral(" [--data DIR] [--yes] [--json]"),
    .options = CommandOptions(),
    .details = QStringLiteral("The inputs and options are send's. Duplicates and excluded numbers are decided here, "
                              "against this host's exclusion lists. Prints the job number, its rows and the rows "
                              "skipped (tab-separated; JSON: {\"job\", \"rows\", \"skipped\"}).\n") +
               CliDatabase::kExitHelp,
    .failure = QStringLiteral("the list could not be read or the job could not be recorded"),
    .run = Run,
});
