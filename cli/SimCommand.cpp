#include "CliCommand.h"
#include "CliSignals.h"

#include "sim/SimModem.h"

#include <QFileInfo>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

const QString kName = QStringLiteral("sim");

bool IsDigits(const QString& text) {
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return !text.isEmpty();
}

// bulksms-cli sim: serves one simulated modem on a pseudo-terminal linked at --link until SIGINT, SIGTERM or
// SIGHUP, then removes the link. --inject names a file of incoming messages, one JSON object a line, followed
// while the modem runs.
int RunSim(const CliArgs& args) {
    QString error;
    const QString link = args.Value(QStringLiteral("link"));
    if (link.isEmpty())
        return CliUsageError(kName, QStringLiteral("--link PATH is required"));

    SimModem::Options options;
    const QString profileText = args.Values(QStringLiteral("profile")).join(QLatin1Char(','));
    const std::optional<SimProfile> profile = SimProfile::Parse(profileText, &error);
    if (!profile)
        return CliUsageError(kName, error + QLatin1Char('\n') + SimProfile::Syntax());
    options.profile = *profile;
    if (args.Has(QStringLiteral("imei"))) {
        const QString imei = args.Value(QStringLiteral("imei"));
        if (!IsDigits(imei) || imei.size() > 17)
            return CliUsageError(kName, QStringLiteral("--imei needs up to 17 digits, not \"%1\"").arg(imei));
        options.identity.imei = imei;
    }
    options.linkPath = link;
    options.logPath = args.Value(QStringLiteral("log"));
    options.injectPath = args.Value(QStringLiteral("inject"));

    // The stop signals are blocked before the serving thread starts, so that it inherits the mask and only
    // sigwait() below ever takes them: nothing runs inside a signal handler.
    const sigset_t stopSignals = CliStopSignals();
    const SignalMaskGuard mask(stopSignals);

    SimModem modem(options);
    if (!modem.Start(&error)) {
        CliErr(QStringLiteral("bulksms-cli sim: %1").arg(error));
        return kExitRefused;
    }
    CliOut(QStringLiteral("Simulated modem on %1 (%2), profile %3, IMEI %4")
               .arg(link, QFileInfo(link).symLinkTarget(),
                    profileText.isEmpty() ? QStringLiteral("default") : profileText, options.identity.imei));
    std::fflush(stdout);

    int signal = 0;
    while (sigwait(&stopSignals, &signal) != 0) {
    }
    modem.Stop();
    for (const QString& problem : modem.InjectionErrors())
        CliErr(QStringLiteral("bulksms-cli sim: injection skipped: %1").arg(problem));
    CliOut(QStringLiteral("Stopped by %1 after %2 accepted submissions")
               .arg(QString::fromLocal8Bit(strsignal(signal)))
               .arg(modem.SubmissionCount()));
    return kExitOk;
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = kName,
    .summary = QStringLiteral("Serve a simulated GSM modem on a pseudo-terminal until interrupted: a device to try "
                              "the program with, nothing leaves the machine."),
    .synopsis = QStringLiteral("--link PATH [--profile P[,P...]] [--imei N] [--log FILE] [--inject FILE]"),
    .options = {{QStringLiteral("link"), QStringLiteral("PATH"),
                 QStringLiteral("Where to link the modem's port: give this path as --port to the other commands.")},
                {QStringLiteral("profile"), QStringLiteral("P[,P...]"),
                 QStringLiteral("Behaviours of real devices (below); repeatable.")},
                {QStringLiteral("imei"), QStringLiteral("N"), QStringLiteral("The modem's IMEI, up to 17 digits.")},
                {QStringLiteral("log"), QStringLiteral("FILE"),
                 QStringLiteral("Append each accepted submission to FILE, one JSON object a line.")},
                {QStringLiteral("inject"), QStringLiteral("FILE"),
                 QStringLiteral("Incoming messages, one JSON object a line, read at start and as lines are "
                                "appended.")}},
    .details = SimProfile::Syntax() +
               QStringLiteral("\n--inject FILE: incoming messages, one JSON object a line, read at start and as lines "
                              "are appended:\n"
                              "  {\"from\":\"+447700900123\",\"text\":\"...\",\"ucs2\":false,\"ref16\":false,"
                              "\"ref\":7,\"parts_order\":[2,1],\"drop_part\":0,\"class\":1,\"delay_ms\":0,"
                              "\"scts\":\"2024-03-01T10:00:00+05:30\"}"),
    .failure = QStringLiteral("the modem could not be started"),
    .run = RunSim,
});
