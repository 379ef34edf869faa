// bulksms-cli resume: continues an interrupted run over the devices found on the given ports (by IMEI).

#include "CliCommand.h"
#include "CliData.h"
#include "CliSendRun.h"

#include "sending/PrompterComposerTextQuestion.h"
#include "sending/SendRun.h"
#include "session/Session.h"

namespace {

const QString kName = QStringLiteral("resume");

int Run(const QStringList& args) {
    QString error;
    const auto parsed =
        CliArgs::Parse(args, {"port", CliData::kOption}, {"yes", "resend-unconfirmed"}, &error);
    if (!parsed)
        return CliUsageError(kName, error);
    const CliArgs& a = *parsed;
    Session::ResumeChoices choices;
    if (a.Positional().size() > 1)
        return CliUsageError(kName, QStringLiteral("give at most one RUN"));
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
        allSent = CliRunToEnd(session, std::move(context));
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

BULKSMS_CLI_COMMAND(kName,
                    QStringLiteral("[RUN] --port PATH [--port PATH]... [--yes] [--resend-unconfirmed] ") +
                        CliData::kUsage,
                    Run);
