// bulksms-cli listen: collects status reports (the sent items take their delivery states) and received
// messages (into the inbox; opt-out replies onto the "Opt-outs" exclusion list) from devices for a while.

#include "CliCommand.h"
#include "CliData.h"

#include "exclusion/ExclusionStore.h"
#include "app/UserSettings.h"
#include "exclusion/OptOut.h"
#include "exclusion/OptOutSettings.h"
#include "modem/CSMSException.h"
#include "modem/CSMSSerialPort.h"
#include "sending/DeliveryCollector.h"

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

const QString kName = QStringLiteral("listen");

int RunListen(const CliArgs& a) {
    const QStringList ports = a.Values("port");
    if (ports.isEmpty())
        return CliUsageError(kName, QStringLiteral("give at least one --port"));
    bool ok = true;
    const int seconds = a.Value("for", QStringLiteral("0")).toInt(&ok);
    if (!ok || seconds < 0)
        return CliUsageError(kName, QStringLiteral("--for needs a number of seconds"));

    const DataPaths paths = CliData::Start(a);
    SentItemsStore sentItems(paths.SentItemFile());
    InboxStore inbox(paths.InboxFile());
    ExclusionStore exclusion(paths);
    // The opt-out settings kept by the desktop program, unless the options say otherwise.
    const OptOutSettings saved = OptOutSettings::Load(UserSettings(paths.SettingsFile()));
    DeliveryCollector collector({&sentItems, &inbox, &exclusion}, NumberComparison::ForCountry(a.Value("country")),
                                a.Value("opt-out-list", saved.list));
    collector.SetOptOutKeywords(saved.keywords);
    if (a.Has("opt-out-words")) {
        const QStringList words = a.Value("opt-out-words").split(QLatin1Char(','), Qt::SkipEmptyParts);
        if (words.isEmpty())
            return CliUsageError(kName, QStringLiteral("--opt-out-words needs at least one word"));
        collector.SetOptOutKeywords(words);
    }
    FileError fileError;
    if (!collector.LoadSentItems(&fileError)) {
        CliErr(FileErrorText(fileError));
        return kExitRefused;
    }

    std::vector<std::unique_ptr<CSMSSerialPort>> open;
    for (const QString& name : ports) {
        auto port = std::make_unique<CSMSSerialPort>();
        try {
            port->Open(2000, name);
            static_cast<void>(collector.Prepare(*port));
        } catch (const CSMSException& e) {
            CliErr(QStringLiteral("%1: %2").arg(name, GetErrorText(e)));
            return kExitRefused;
        }
        open.push_back(std::move(port));
    }

    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const auto elapsedMs = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    };
    for (;;) {
        for (auto& port : open) {
            try {
                collector.Collect(*port, elapsedMs());
            } catch (const CSMSException& e) {
                CliErr(QStringLiteral("%1: %2").arg(port->PortName(), GetErrorText(e)));
            }
        }
        if (!collector.SaveSentItems(&fileError))
            CliErr(FileErrorText(fileError));
        if (elapsedMs() >= seconds * 1000LL)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    for (auto& port : open)
        port->Close();

    const DeliveryCollector::Totals& t = collector.Counts();
    CliOut(QStringLiteral("Delivered: %1").arg(t.delivered));
    CliOut(QStringLiteral("Delivery failed: %1").arg(t.failed));
    CliOut(QStringLiteral("Awaiting delivery report: %1").arg(collector.AwaitedParts()));
    CliOut(QStringLiteral("Reports matching no message: %1").arg(t.unmatchedReports));
    CliOut(QStringLiteral("Messages received: %1").arg(t.messages));
    CliOut(QStringLiteral("Opt-outs: %1").arg(t.optOuts));
    CliOut(QStringLiteral("Unreadable: %1").arg(t.undecodable));
    return kExitOk;
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = kName,
    .summary = QStringLiteral("Collect delivery reports and received messages from devices for a while."),
    .synopsis = QStringLiteral("--port PATH [--port PATH]... [--for SECONDS] [--country CC] [--opt-out-list NAME] "
                               "[--opt-out-words WORD,WORD...] ") +
                CliData::kUsage,
    .options = {{QStringLiteral("port"), QStringLiteral("PATH"), QStringLiteral("A device to listen on (repeatable).")},
                {QStringLiteral("for"), QStringLiteral("SECONDS"),
                 QStringLiteral("Keep listening this long (default 0: read what the devices hold, then end).")},
                {QStringLiteral("country"), QStringLiteral("CC"),
                 QStringLiteral("The country whose national numbers match the international ones of the reports.")},
                {QStringLiteral("opt-out-list"), QStringLiteral("NAME"),
                 QStringLiteral("The exclusion list opt-out replies go on (default: the one chosen in the Inbox's "
                                "opt-out settings, else \"Opt-outs\").")},
                {QStringLiteral("opt-out-words"), QStringLiteral("WORD,WORD..."),
                 QStringLiteral("The opt-out words, instead of the saved ones (default STOP, STOP ALL, UNSUBSCRIBE, "
                                "CANCEL, END, QUIT).")},
                CliData::kOption},
    .details = QStringLiteral(
        "Status reports give the sent items awaiting them their delivery state (\"Delivered\", \"Delivery failed: "
        "...\"). Received messages go to the inbox (Inbox.vrix in the data folder); a reply that is only an opt-out "
        "word (STOP, STOP ALL, UNSUBSCRIBE, CANCEL, END, QUIT) puts its sender on the applied exclusion list "
        "\"Opt-outs\". Reports matching nothing and unreadable PDUs are kept in the inbox as they came. Each is taken "
        "off the device once stored. At the end the counts are printed."),
    .failure = QStringLiteral("a port could not be used or the sent items could not be read"),
    .run = RunListen,
});
