// bulksms-cli send-one: one message through one device, opened as the sending engine opens it.

#include "CliCommand.h"
#include "CliJson.h"
#include "CliPort.h"

#include "common/ResultText.h"
#include "modem/CSMSException.h"
#include "sms/SmsRequest.h"
#include "sms/SmsTransport.h"
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

int Run(const CliArgs& a) {
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
    QString error;
    if (a.Has("text")) {
        request.message = a.Value("text");
    } else if (!CliReadUtf8File(a.Value("text-file"), &request.message, &error)) {
        return CliUsageError(kName, error);
    }
    const FixedSettings settings(a.Has("flash"), a.Has("unicode"));
    const bool textMode = mode == QLatin1String("text");

    const QString portName = a.Value("port");
    const std::unique_ptr<SmsTransport> port = MakeSmsTransport(a.Has("non-overlapped"), kReplyTimeoutMs);
    port->SetTiming(*timing);
    port->SetSubmissionSettings(&settings);
    try {
        port->Open(portName);
    } catch (const CSMSException& e) {
        CliErr(QStringLiteral("Cannot open %1: %2").arg(portName, GetErrorText(e)));
        CliPort::PrintAdvice(portName, e);
        return kExitRefused;
    }
    const QString result = Submit(*port, request, textMode);
    if (a.Json())
        CliJson::Print(QJsonObject{{QStringLiteral("row"), 1},
                                   {QStringLiteral("number"), request.recipientNumber},
                                   {QStringLiteral("result"), result},
                                   {QStringLiteral("sent"), ResultText::IsSent(result)},
                                   {QStringLiteral("port"), portName}});
    else
        CliOut(result);
    return ResultText::IsFailure(result) ? kExitRefused : kExitOk;
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = kName,
    .summary = QStringLiteral("Send one message through the device on a port, opened as a run opens it, and print "
                              "the result."),
    .synopsis = QStringLiteral("--port PATH --to NUMBER (--text TEXT | --text-file FILE) [--mode pdu|text] "
                               "[--smsc NUMBER] [--unicode] [--flash] [--non-overlapped] [--timing fast|standard] "
                               "[--json]"),
    .options = {CliOptions::kPort,
                {QStringLiteral("to"), QStringLiteral("NUMBER"), QStringLiteral("The recipient.")},
                {QStringLiteral("text"), QStringLiteral("TEXT"), QStringLiteral("The message.")},
                {QStringLiteral("text-file"), QStringLiteral("FILE"),
                 QStringLiteral("Read the message from a UTF-8 "
                                "file.")},
                {QStringLiteral("mode"), QStringLiteral("pdu|text"),
                 QStringLiteral("The device's SMS mode (default "
                                "pdu).")},
                {QStringLiteral("smsc"), QStringLiteral("NUMBER"),
                 QStringLiteral("The service centre's number; without it the device's stored one is used.")},
                {QStringLiteral("unicode"), {}, QStringLiteral("Send the text as UCS-2.")},
                {QStringLiteral("flash"), {}, QStringLiteral("Send as a flash message, shown at once and not stored.")},
                {QStringLiteral("non-overlapped"),
                 {},
                 QStringLiteral("Use the non-overlapped transport, as the window's \"Sent Non Overlapped\" does.")},
                CliOptions::kTiming,
                CliOptions::kJson},
    .details = QStringLiteral("JSON: {\"row\": 1, \"number\": TEXT, \"result\": TEXT, \"sent\": BOOL, "
                              "\"port\": PATH}, the same object as one row of `send --json`."),
    .failure = QStringLiteral("the message was not sent"),
    .run = Run,
});
