// bulksms-cli resume: continues an interrupted run over the devices found on the given ports (by IMEI).

#include "CliCommand.h"
#include "CliData.h"
#include "CliSendRun.h"

#include "sending/PrompterComposerTextQuestion.h"
#include "sending/SendRun.h"
#include "session/Session.h"

namespace {

const QString kName = QStringLiteral("resume");

int Run(const CliArgs& a) {
    Session::ResumeChoices choices;
    if (!a.Positional().isEmpty()) {
        bool ok = false;
        choices.runId = a.Positional().first().toLongLong(&ok);
        if (!ok || choices.runId <= 0)
            return CliUsageError(kName, QStringLiteral("RUN is a run number from `bulksms-cli runs`"));
    }
    const QStringList ports = a.Values("port");
    if (ports.isEmpty())
        return CliUsageError(kName, QStringLiteral("give at least one --port"));
    // --yes answers the resume question; rows that may have been sent go again only with --resend-unconfirmed.
    choices.ask = true;
    choices.resendUnconfirmed = a.Has("resend-unconfirmed");
    QString error;
    if (!CliReconnectWait(a, &choices.reconnectWaitSeconds, &error))
        return CliUsageError(kName, error);

    const DataPaths paths = CliData::Start(a);
    CliPrompter prompter(a.Has("yes"));
    PrompterComposerTextQuestion composerQuestion(prompter);
    Session session(prompter, Session::Options{paths, ModemTiming::Fast(), &composerQuestion});
    if (!CliSelectDevices(session, ports, {}, {})) {
        CliErr(SendCommand::kNoDevice);
        return kExitRefused;
    }
    bool allSent = false;
    const Session::ResumeOutcome outcome = session.ResumeRun(choices, [&](SendContext context) {
        CliErr(session.Timing().Description());
        allSent = CliRunToEnd(session, std::move(context), a.Json());
    });
    switch (outcome) {
    case Session::ResumeOutcome::NoRun: return kExitOk;
    case Session::ResumeOutcome::Started: return allSent ? kExitOk : kExitRefused;
    case Session::ResumeOutcome::Declined:
    case Session::ResumeOutcome::Refused: break;
    }
    return kExitRefused;
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = kName,
    .summary = QStringLiteral("Continue an interrupted run: its rows not yet sent go out through the run's devices "
                              "found on the given ports."),
    .synopsis = QStringLiteral("[RUN] --port PATH [--port PATH]... [--yes] [--resend-unconfirmed] [--reconnect-wait SECONDS] ") +
                CliData::kUsage +
                QStringLiteral(" [--json]"),
    .options = {{QStringLiteral("port"), QStringLiteral("PATH"),
                 QStringLiteral("A port to look for the run's devices on (repeatable); each device is known by its "
                                "IMEI.")},
                {QStringLiteral("yes"), {}, QStringLiteral("Answer the run's questions with yes instead of no.")},
                {QStringLiteral("resend-unconfirmed"),
                 {},
                 QStringLiteral("Send again the rows whose sending began but was never confirmed (they may reach the "
                                "recipient twice).")},
                kReconnectWaitOption,
                CliData::kOption,
                CliOptions::kJson},
    .positional = {QStringLiteral("RUN"), QStringLiteral("The run number from `bulksms-cli runs` (default: the newest "
                                                        "interrupted run)."),
                   0, 1},
    .details = QStringLiteral("Output as `bulksms-cli send` prints it: the rows of the continued run."),
    .failure = QStringLiteral("a row was not sent, no device was found, or the resume was declined"),
    .run = Run,
});
