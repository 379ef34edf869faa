// bulksms-cli send-one: one message through one device, opened as the sending engine opens it.

#include "CliCommand.h"

#include "modem/CSMSException.h"
#include "sms/SmsTransport.h"
#include "sms/SmsRequest.h"
#include "sms/SubmissionResult.h"

namespace {

const QString kName = QStringLiteral("send-one");

// The main window's message type and Unicode check box, as given on the command line.
class FixedSettings final : public SubmissionSettings {
public:
    FixedSettings(bool flash, bool unicode) : m_flash(flash), m_unicode(unicode) {}
    bool IsFlashSelected() const override { return m_flash; }
    bool IsUnicodeChecked() const override { return m_unicode; }

private:
    bool m_flash;
    bool m_unicode;
};

constexpr int kReplyTimeoutMs = 5000; // what the sending engine opens its ports with

// Submits and classifies the outcome as a sending worker does.
QString Submit(SmsTransport& port, const SmsRequest& request, bool textMode) {
    try {
        port.Submit(request, textMode ? SmsMode::Text : SmsMode::Pdu);
        return SubmissionResult::Sent(false);
    } catch (const CSMSException& e) {
        CliErr(QStringLiteral("Device error: %1").arg(GetErrorText(e)));
        return SubmissionResult::FromException(e, false);
    }
}

int Run(const QStringList& args) {
    QString error;
    const auto parsed = CliArgs::Parse(args, {"port", "to", "text", "text-file", "mode", "smsc", "timing"},
                                       {"unicode", "flash", "non-overlapped"}, &error);
    if (!parsed)
        return CliUsageError(kName, error);
    const CliArgs& a = *parsed;
    if (!a.Positional().isEmpty())
        return CliUsageError(kName, QStringLiteral("unexpected argument %1").arg(a.Positional().first()));
    if (a.Value("port").isEmpty() || a.Value("to").isEmpty())
        return CliUsageError(kName, QStringLiteral("--port and --to are required"));
    if (a.Has("text") == a.Has("text-file"))
        return CliUsageError(kName, QStringLiteral("give exactly one of --text and --text-file"));
    const QString mode = a.Value("mode", QStringLiteral("pdu"));
    if (mode != QLatin1String("pdu") && mode != QLatin1String("text"))
        return CliUsageError(kName, QStringLiteral("--mode is pdu or text"));
    const auto timing = ModemTiming::ByName(a.Value("timing", QStringLiteral("fast")));
    if (!timing)
        return CliUsageError(kName, QStringLiteral("--timing is standard or fast"));

    SmsRequest request;
    request.recipientNumber = a.Value("to");
    request.smscNumber = a.Value("smsc");
    if (a.Has("text")) {
        request.message = a.Value("text");
    } else if (!CliReadUtf8File(a.Value("text-file"), &request.message, &error)) {
        return CliUsageError(kName, error);
    }
    const FixedSettings settings(a.Has("flash"), a.Has("unicode"));
    const bool textMode = mode == QLatin1String("text");

    const std::unique_ptr<SmsTransport> port = MakeSmsTransport(a.Has("non-overlapped"), kReplyTimeoutMs);
    port->SetTiming(*timing);
    port->SetSubmissionSettings(&settings);
    try {
        port->Open(a.Value("port"));
    } catch (const CSMSException& e) {
        CliErr(QStringLiteral("Cannot open %1: %2").arg(a.Value("port"), GetErrorText(e)));
        return kExitRefused;
    }
    const QString result = Submit(*port, request, textMode);
    CliOut(result);
    return ResultText::IsFailure(result) ? kExitRefused : kExitOk;
}

} // namespace

BULKSMS_CLI_COMMAND(kName,
                    QStringLiteral("--port PATH --to NUMBER (--text TEXT | --text-file FILE) [--mode pdu|text] "
                                   "[--smsc NUMBER] [--unicode] [--flash] [--non-overlapped] "
                                   "[--timing standard|fast]"),
                    Run);
