// bulksms-cli send: a whole run as the main window's Send makes it, over the devices on the given ports.

#include "CliCommand.h"
#include "CliData.h"
#include "CliExcel.h"
#include "CliSendInputs.h"
#include "CliSendRun.h"

#include "sending/PrompterComposerTextQuestion.h"
#include "sending/SendRun.h"
#include "sending/SendStatusExport.h"
#include "session/Session.h"

#include <map>

namespace {

const QString kName = QStringLiteral("send");

int Run(const CliArgs& a) {
    QString error;
    const QStringList ports = a.Values("port");
    if (ports.isEmpty())
        return CliUsageError(kName, QStringLiteral("give at least one --port"));
    CliSendInputs inputs;
    if (const std::optional<int> refused = CliSendInputs::Parse(a, kName, &inputs))
        return *refused;
    // The status export of the finished run: the format from the file's extension, the rows by the filter.
    const QString exportPath = a.Value("status-export");
    SpreadsheetExport::Format exportFormat = SpreadsheetExport::Format::Xls;
    const QString exportFilter = a.Value("filter", QStringLiteral("ALL"));
    if (a.Has("status-export")) {
        if (exportPath.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
            exportFormat = SpreadsheetExport::Format::Xlsx;
        else if (!exportPath.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive))
            return CliUsageError(kName, QStringLiteral("--status-export takes a FILE.xls or FILE.xlsx"));
        if (!SpreadsheetExport::FilterFromCode(exportFilter))
            return CliUsageError(kName, QStringLiteral("--filter is ALL, SUC or FAL"));
    } else if (a.Has("filter")) {
        return CliUsageError(kName, QStringLiteral("--filter goes with --status-export"));
    }
    std::map<QString, QString> modes, smscs;
    if (!CliPortValues(a.Values("mode"), &modes, &error) || !CliPortValues(a.Values("smsc"), &smscs, &error))
        return CliUsageError(kName, error);
    for (const auto& [port, mode] : modes) {
        if (mode != QLatin1String("pdu") && mode != QLatin1String("text"))
            return CliUsageError(kName, QStringLiteral("--mode %1: pdu or text").arg(port));
    }
    const int retries = inputs.retries;
    std::optional<int> reconnectWait;
    if (!CliReconnectWait(a, &reconnectWait, &error))
        return CliUsageError(kName, error);

    const DataPaths paths = CliData::Start(a);
    CliPrompter prompter(a.Has("yes"));
    PrompterComposerTextQuestion composerQuestion(prompter);
    Session session(prompter, Session::Options{paths, *ModemTiming::ByName(a.Value("timing", QStringLiteral("fast"))),
                                               &composerQuestion});

    // The devices: each port goes through the device selection; ports that are no usable device are left out.
    if (!CliSelectDevices(session, ports, modes, smscs)) {
        CliErr(SendCommand::kNoDevice);
        return kExitRefused;
    }

    // Which timing the run uses, as the sending window says it (stderr: the row lines stay a table).
    CliErr(session.Timing().Description());
    if (const std::optional<int> refused = inputs.Load(a, kName, session))
        return *refused;
    if (reconnectWait)
        session.SendOptions().SetReconnectWaitSeconds(*reconnectWait);

    bool ran = false;
    bool allSent = false;
    bool exported = true;
    const auto open = [&](SendContext context) {
        ran = true;
        allSent = CliRunToEnd(session, std::move(context), a.Json(), [&](const SendJob& job) {
            if (exportPath.isEmpty())
                return;
            const SpreadsheetExport::Result written = SendStatusExport::Write(
                job, retries > 0, *SpreadsheetExport::FilterFromCode(exportFilter), exportPath, exportFormat, prompter);
            CliErr(written.Ok() ? SendStatusExport::kExported : written.message);
            exported = written.Ok();
        });
    };
    const Session::DeviceView view = session.DeviceDisplay();
    SendCommand::CheckResult checked =
        session.CheckSend(SendCommand::WindowState{QString(), view.text, view.entries.value(view.selected), false});
    if (checked.outcome == SendCommand::Outcome::Ready)
        session.RunSend(std::move(checked.plan), open);
    // A send succeeds when every row was sent: a script can tell a run with failures by its exit status.
    return ran && allSent && exported ? kExitOk : kExitRefused;
}

std::vector<CliOption> CommandOptions() {
    std::vector<CliOption> options{
        {QStringLiteral("port"), QStringLiteral("PATH"),
         QStringLiteral("A device to send through (repeatable); ports that hold no usable device are left out.")},
        {QStringLiteral("mode"), QStringLiteral("PATH=pdu|text"), QStringLiteral("A device's SMS mode (repeatable).")},
        {QStringLiteral("smsc"), QStringLiteral("PATH=NUMBER"),
         QStringLiteral("A device's custom service centre number (repeatable).")},
    };
    for (const CliOption& option : CliSendInputs::Options())
        options.push_back(option);
    const std::vector<CliOption> rest{
        {QStringLiteral("status-export"), QStringLiteral("FILE.xls|FILE.xlsx"),
         QStringLiteral("Write the run's status table to a spreadsheet at the end.")},
        {QStringLiteral("filter"), QStringLiteral("ALL|SUC|FAL"),
         QStringLiteral("The rows of the status export: all, successful or failed (default ALL).")},
        kReconnectWaitOption,
        CliData::kOption,
        {QStringLiteral("yes"), {}, QStringLiteral("Answer the run's questions with yes instead of no.")},
        CliOptions::kJson,
    };
    options.insert(options.end(), rest.begin(), rest.end());
    return options;
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = kName,
    .summary = QStringLiteral("Send a whole run as the main window's Send does: the list from a file, the devices on "
                              "the given ports, the window's options."),
    .synopsis = QStringLiteral("--port PATH [--port PATH]... ") + CliSendInputs::Synopsis() +
                QStringLiteral(" [--mode PATH=pdu|text]... [--smsc PATH=NUMBER]... "
                               "[--status-export FILE.xls|FILE.xlsx [--filter ALL|SUC|FAL]] [--reconnect-wait SECONDS] "
                               "[--data DIR] [--yes] "
                               "[--json]"),
    .options = CommandOptions(),
    .details = QStringLiteral(
        "Text: at the end, one line per row (number, state, result, retries; tab-separated) and the progress label. "
        "On a terminal, stderr shows a progress line while the run goes: rows done, sent, failed, rate, time left.\n"
        "JSON: one object per row, printed the moment the row's result is final (rows stopped or left waiting "
        "follow at the end): {\"row\": N, \"number\": TEXT, \"result\": TEXT, \"sent\": BOOL, \"state\": TEXT, "
        "\"port\": PATH, \"retries\": N}"),
    .failure = QStringLiteral("a row was not sent, the run could not start, or the status export failed"),
    .run = Run,
});
