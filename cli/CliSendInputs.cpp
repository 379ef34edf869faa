#include "CliSendInputs.h"

#include "CliCommand.h"
#include "CliData.h"

#include "sending/PauseSetting.h"
#include "session/Session.h"

bool CliPortValues(const QStringList& items, std::map<QString, QString>* out, QString* error) {
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

namespace {

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

} // namespace

QString CliSendInputs::Synopsis() {
    return QStringLiteral(
        "(--numbers FILE | --rows FILE | --excel FILE --sheet N --number-column C (--message-column C | --template "
        "TEXT)) [--message TEXT | --message-file FILE] [--quota PATH=N]... [--unicode] [--flash] [--retries N] "
        "[--pause-every N --pause-for TEXT] [--retry-all-errors] [--skip-duplicates] [--exclusion] [--save-sent] "
        "[--save-templates] [--delivery-reports] [--non-overlapped] [--timing fast|standard] [--country CC] "
        "[--drop-impossible]");
}

std::optional<int> CliSendInputs::Parse(const CliArgs& a, const QString& command, CliSendInputs* inputs) {
    QString error;
    if (static_cast<int>(a.Has("numbers")) + static_cast<int>(a.Has("rows")) + static_cast<int>(a.Has("excel")) != 1)
        return CliUsageError(command, QStringLiteral("give exactly one of --numbers, --rows and --excel"));
    if (a.Has("excel")) {
        if (!CliExcel::ParseRowSource(a, a.Value("excel"), &inputs->excel, &error))
            return CliUsageError(command, error);
    } else if (a.Has("sheet") || a.Has("number-column") || a.Has("message-column") || a.Has("template")) {
        return CliUsageError(command, QStringLiteral("--sheet, --number-column, --message-column and --template go "
                                                     "with --excel"));
    }
    if (a.Has("message") && a.Has("message-file"))
        return CliUsageError(command, QStringLiteral("give at most one of --message and --message-file"));
    if (!ModemTiming::ByName(a.Value("timing", QStringLiteral("fast"))))
        return CliUsageError(command, QStringLiteral("--timing is standard or fast"));
    if (!CliPortValues(a.Values("quota"), &inputs->quotas, &error))
        return CliUsageError(command, error);
    if (a.Has("retries")) {
        bool ok = false;
        inputs->retries = a.Value("retries").toInt(&ok);
        if (!ok || inputs->retries < 1 || inputs->retries > 10)
            return CliUsageError(command, QStringLiteral("--retries takes 1 to 10"));
    }
    if (a.Has("pause-every") != a.Has("pause-for"))
        return CliUsageError(command, QStringLiteral("--pause-every and --pause-for go together"));
    if (a.Has("pause-every")) {
        if (!PauseSetting::EveryChoices().contains(a.Value("pause-every")))
            return CliUsageError(command, QStringLiteral("--pause-every takes one of %1")
                                              .arg(PauseSetting::EveryChoices().join(QLatin1Char(' '))));
        inputs->pauseFor = PauseSetting::DurationFromPlain(a.Value("pause-for"));
        if (inputs->pauseFor.isEmpty())
            return CliUsageError(command, QStringLiteral("--pause-for takes a duration such as 5s, 2m, 1h"));
    }
    inputs->message = a.Value("message");
    if (a.Has("message-file") && !CliReadUtf8File(a.Value("message-file"), &inputs->message, &error))
        return CliUsageError(command, error);
    return std::nullopt;
}

std::optional<int> CliSendInputs::Load(const CliArgs& a, const QString& command, Session& session) const {
    QString error;
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
        // The selected devices' lines; without devices (a job for gateways) the ports named, as the gateways'
        // devices will be called.
        QString settings;
        std::map<QString, QString> named;
        for (const DeviceRecord& record : session.Devices().Records())
            named[record.portName] = record.displayName;
        if (named.empty()) {
            for (const auto& [port, quota] : quotas)
                named[port] = QString();
        }
        for (const auto& [port, name] : named) {
            const auto q = quotas.find(port);
            settings += QStringLiteral(";%1;%2;%3;%4;Y;\n")
                            .arg(port, name, q == quotas.end() ? QStringLiteral("Auto") : QStringLiteral("Manual"),
                                 q == quotas.end() ? QStringLiteral("Auto") : q->second);
        }
        session.Quota().SetSettingsText(settings + QLatin1Char('\n'));
        options.SetQuotaManagement(true);
    }
    if (!session.ChooseCountry(a.Has("country") ? std::optional<QString>(a.Value("country")) : std::nullopt))
        return CliUsageError(command, QStringLiteral("--country takes a country code such as GB or IN"));
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
        return CliUsageError(command, error);
    }

    // Numbers impossible for the default country are listed on stderr and kept, or dropped when asked.
    static_cast<void>(session.ReviewImpossibleNumbers(session.ImpossibleNumbersInList(), a.Has("drop-impossible")));
    return std::nullopt;
}

std::vector<CliOption> CliSendInputs::Options() {
    std::vector<CliOption> options{
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
        CliOptions::kTiming,
    };
    options.insert(options.end(), rest.begin(), rest.end());
    return options;
}
