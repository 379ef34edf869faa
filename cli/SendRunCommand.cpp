// bulksms-cli send: a whole run as the main window's Send makes it, over the devices on the given ports.

#include "CliCommand.h"
#include "CliData.h"
#include "CliExcel.h"
#include "CliSendRun.h"

#include "sending/PauseSetting.h"
#include "sending/PrompterComposerTextQuestion.h"
#include "sending/SendRun.h"
#include "sending/SendStatusExport.h"
#include "session/Session.h"

#include <map>

namespace {

const QString kName = QStringLiteral("send");

// "PATH=value" options keyed by port.
bool PortValues(const QStringList& items, std::map<QString, QString>* out, QString* error) {
    for (const QString& item : items) {
        const qsizetype eq = item.lastIndexOf(QLatin1Char('='));
        if (eq <= 0) {
            *error = QStringLiteral("expected PATH=VALUE, got %1").arg(item);
            return false;
        }
        (*out)[item.left(eq)] = item.mid(eq + 1);
    }
    return true;
}

// "number TAB message" lines (UTF-8), a message's line feeds written as \n.
bool ReadRows(const QString& path, RecipientList& list, const QString& composer, const NumberCheckOptions& options,
              QString* error) {
    QString text;
    if (!CliReadUtf8File(path, &text, error))
        return false;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        const QString number = tab < 0 ? line : line.left(tab);
        const QString message =
            tab < 0 ? QString() : line.mid(tab + 1).replace(QLatin1String("\\n"), QLatin1String("\r\n"));
        const NumberCheckResult result = list.AddNumber(list.Count(), number, message, composer, options);
        if (!result.Ok())
            CliErr(QStringLiteral("%1: %2").arg(number, result.Message()));
    }
    return true;
}

int Run(const CliArgs& a) {
    QString error;
    const QStringList ports = a.Values("port");
    if (ports.isEmpty())
        return CliUsageError(kName, QStringLiteral("give at least one --port"));
    if (static_cast<int>(a.Has("numbers")) + static_cast<int>(a.Has("rows")) + static_cast<int>(a.Has("excel")) != 1)
        return CliUsageError(kName, QStringLiteral("give exactly one of --numbers, --rows and --excel"));
    CliExcel::RowSource excel;
    if (a.Has("excel")) {
        if (!CliExcel::ParseRowSource(a, a.Value("excel"), &excel, &error))
            return CliUsageError(kName, error);
    } else if (a.Has("sheet") || a.Has("number-column") || a.Has("message-column") || a.Has("template")) {
        return CliUsageError(kName, QStringLiteral("--sheet, --number-column, --message-column and --template go "
                                                   "with --excel"));
    }
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
    if (a.Has("message") && a.Has("message-file"))
        return CliUsageError(kName, QStringLiteral("give at most one of --message and --message-file"));
    const auto timing = ModemTiming::ByName(a.Value("timing", QStringLiteral("fast")));
    if (!timing)
        return CliUsageError(kName, QStringLiteral("--timing is standard or fast"));
    std::map<QString, QString> modes, smscs, quotas;
    if (!PortValues(a.Values("mode"), &modes, &error) || !PortValues(a.Values("smsc"), &smscs, &error) ||
        !PortValues(a.Values("quota"), &quotas, &error))
        return CliUsageError(kName, error);
    for (const auto& [port, mode] : modes) {
        if (mode != QLatin1String("pdu") && mode != QLatin1String("text"))
            return CliUsageError(kName, QStringLiteral("--mode %1: pdu or text").arg(port));
    }
    int retries = 0;
    if (a.Has("retries")) {
        bool ok = false;
        retries = a.Value("retries").toInt(&ok);
        if (!ok || retries < 1 || retries > 10)
            return CliUsageError(kName, QStringLiteral("--retries takes 1 to 10"));
    }
    QString pauseFor;
    std::optional<int> reconnectWait;
    if (!CliReconnectWait(a, &reconnectWait, &error))
        return CliUsageError(kName, error);
    if (a.Has("pause-every") != a.Has("pause-for"))
        return CliUsageError(kName, QStringLiteral("--pause-every and --pause-for go together"));
    if (a.Has("pause-every")) {
        if (!PauseSetting::EveryChoices().contains(a.Value("pause-every")))
            return CliUsageError(kName, QStringLiteral("--pause-every takes one of %1")
                                            .arg(PauseSetting::EveryChoices().join(QLatin1Char(' '))));
        pauseFor = PauseSetting::DurationFromPlain(a.Value("pause-for"));
        if (pauseFor.isEmpty())
            return CliUsageError(kName, QStringLiteral("--pause-for takes a duration such as 5s, 2m, 1h"));
    }
    QString message = a.Value("message");
    if (a.Has("message-file") && !CliReadUtf8File(a.Value("message-file"), &message, &error))
        return CliUsageError(kName, error);

    const DataPaths paths = CliData::Start(a);
    CliPrompter prompter(a.Has("yes"));
    PrompterComposerTextQuestion composerQuestion(prompter);
    Session session(prompter, Session::Options{paths, *timing, &composerQuestion});

    // The devices: each port goes through the device selection; ports that are no usable device are left out.
    if (!CliSelectDevices(session, ports, modes, smscs)) {
        CliErr(SendCommand::kNoDevice);
        return kExitRefused;
    }

    // Which timing the run uses, as the sending window says it (stderr: the row lines stay a table).
    CliErr(session.Timing().Description());

    // The composer and the options as the window would hold them.
    MessageComposer& composer = session.Composer();
    composer.SetText(message);
    composer.SetUnicodeChecked(a.Has("unicode"));
    composer.SetMessageTypeIndex(a.Has("flash") ? MessageComposer::kNotification : MessageComposer::kStandardSms);
    SendOptionsModel& options = session.SendOptions();
    options.SetSkipDuplicates(a.Has("skip-duplicates"));
    options.SetUseExclusion(a.Has("exclusion"));
    options.SetSaveSentItems(a.Has("save-sent"));
    options.SetSaveTemplates(a.Has("save-templates"));
    options.SetNonOverlapped(a.Has("non-overlapped"));
    options.SetDeliveryReports(a.Has("delivery-reports"));
    if (reconnectWait)
        options.SetReconnectWaitSeconds(*reconnectWait);
    if (retries > 0) {
        options.SetRetries(true);
        static_cast<void>(options.SetRetryCount(QString::number(retries)));
    }
    options.SetRetryAllErrors(a.Has("retry-all-errors"));
    if (!pauseFor.isEmpty()) {
        options.SetDelayedDelivery(true);
        static_cast<void>(options.SetPauseEvery(a.Value("pause-every")));
        static_cast<void>(options.SetPauseFor(pauseFor));
    }
    if (!quotas.empty()) {
        QString settings;
        for (const DeviceRecord& record : session.Devices().Records()) {
            const auto q = quotas.find(record.portName);
            settings += QStringLiteral(";%1;%2;%3;%4;Y;\n")
                            .arg(record.portName, record.displayName,
                                 q == quotas.end() ? QStringLiteral("Auto") : QStringLiteral("Manual"),
                                 q == quotas.end() ? QStringLiteral("Auto") : q->second);
        }
        session.Quota().SetSettingsText(settings + QLatin1Char('\n'));
        options.SetQuotaManagement(true);
    }
    if (!session.ChooseCountry(a.Has("country") ? std::optional<QString>(a.Value("country")) : std::nullopt))
        return CliUsageError(kName, QStringLiteral("--country takes a country code such as GB or IN"));
    if (a.Has("exclusion"))
        session.UseExclusionSet(session.ReadExclusionSet());

    // The rows, through the number check as every source.
    if (a.Has("numbers")) {
        if (session.ClassifyContactFile(a.Value("numbers")) != Session::ContactFile::Text)
            return kExitRefused;
        const ContactTextImport::Outcome outcome = session.ImportContactText(a.Value("numbers"));
        if (!outcome.refusal.isEmpty()) {
            session.ReportContactText(outcome);
            return kExitRefused;
        }
    } else if (a.Has("excel")) {
        const QString refusal = CliExcel::Import(excel, session.List(), session.CheckOptions());
        if (!refusal.isEmpty()) {
            CliErr(refusal);
            return kExitRefused;
        }
    } else if (!ReadRows(a.Value("rows"), session.List(), composer.Text(), session.CheckOptions(), &error)) {
        return CliUsageError(kName, error);
    }

    // Numbers impossible for the default country are listed on stderr and kept, or dropped when asked.
    static_cast<void>(session.ReviewImpossibleNumbers(session.ImpossibleNumbersInList(), a.Has("drop-impossible")));

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
        {QStringLiteral("numbers"), QStringLiteral("FILE"),
         QStringLiteral("A text file of numbers, as \"Load Contacts From File\" takes it; every row gets the "
                        "message.")},
        {QStringLiteral("rows"), QStringLiteral("FILE"),
         QStringLiteral("A UTF-8 file of \"number TAB message\" lines, line feeds in a message written as \\n "
                        "(what import prints).")},
        {QStringLiteral("excel"), QStringLiteral("FILE"), QStringLiteral("A workbook, read as import-excel reads it.")},
    };
    for (const CliOption& option : CliExcel::SourceOptions())
        options.push_back(option);
    const std::vector<CliOption> rest{
        {QStringLiteral("message"), QStringLiteral("TEXT"), QStringLiteral("The composer's text.")},
        {QStringLiteral("message-file"), QStringLiteral("FILE"),
         QStringLiteral("Read the composer's text from a "
                        "UTF-8 file.")},
        {QStringLiteral("mode"), QStringLiteral("PATH=pdu|text"), QStringLiteral("A device's SMS mode (repeatable).")},
        {QStringLiteral("smsc"), QStringLiteral("PATH=NUMBER"),
         QStringLiteral("A device's custom service centre number (repeatable).")},
        {QStringLiteral("quota"), QStringLiteral("PATH=N"),
         QStringLiteral("A device's manual quota of messages; the others share the rest (repeatable).")},
        {QStringLiteral("unicode"), {}, QStringLiteral("Send the texts as UCS-2.")},
        {QStringLiteral("flash"), {}, QStringLiteral("Send flash messages, shown at once and not stored.")},
        {QStringLiteral("retries"), QStringLiteral("N"), QStringLiteral("Retry passes over the failed rows, 1 to 10.")},
        {QStringLiteral("retry-all-errors"),
         {},
         QStringLiteral("With --retries: retry every failed row, permanent errors (unassigned number, barred) too.")},
        {QStringLiteral("pause-every"), QStringLiteral("N"),
         QStringLiteral("Pause the run after every N messages (one of the window's choices).")},
        {QStringLiteral("pause-for"), QStringLiteral("TEXT"), QStringLiteral("How long each pause lasts: 5s, 2m, 1h.")},
        {QStringLiteral("skip-duplicates"), {}, QStringLiteral("Send once to a number listed more than once.")},
        {QStringLiteral("exclusion"), {}, QStringLiteral("Leave out numbers of the applied exclusion lists.")},
        CliOptions::kCountry,
        CliOptions::kDropImpossible,
        {QStringLiteral("save-sent"), {}, QStringLiteral("Log every attempt in the sent items.")},
        {QStringLiteral("save-templates"), {}, QStringLiteral("Add the messages sent to the templates.")},
        {QStringLiteral("delivery-reports"),
         {},
         QStringLiteral("Ask the network for a delivery report of every message; \"listen\" collects them.")},
        {QStringLiteral("non-overlapped"),
         {},
         QStringLiteral("Use the non-overlapped transport, as the window's \"Sent Non Overlapped\" does.")},
        kReconnectWaitOption,
        CliOptions::kTiming,
        {QStringLiteral("status-export"), QStringLiteral("FILE.xls|FILE.xlsx"),
         QStringLiteral("Write the run's status table to a spreadsheet at the end.")},
        {QStringLiteral("filter"), QStringLiteral("ALL|SUC|FAL"),
         QStringLiteral("The rows of the status export: all, successful or failed (default ALL).")},
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
    .synopsis = QStringLiteral("--port PATH [--port PATH]... (--numbers FILE | --rows FILE | --excel FILE --sheet N "
                               "--number-column C (--message-column C | --template TEXT)) [--message TEXT | "
                               "--message-file FILE] [--mode PATH=pdu|text]... [--smsc PATH=NUMBER]... "
                               "[--quota PATH=N]... [--unicode] [--flash] [--retries N] [--pause-every N --pause-for "
                               "TEXT] [--retry-all-errors] [--skip-duplicates] [--exclusion] [--save-sent] [--save-templates] "
                               "[--delivery-reports] [--non-overlapped] [--reconnect-wait SECONDS] [--timing fast|standard] [--country CC] [--drop-impossible] "
                               "[--status-export FILE.xls|FILE.xlsx [--filter ALL|SUC|FAL]] [--data DIR] [--yes] [--json]"),
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
