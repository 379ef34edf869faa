// Submission of one message through the non-overlapped transport: line-by-line exchanges, both directions
// purged before each command (3GPP TS 27.005 clause 3.5.1).

#include "sms/IrdaPortTransport.h"

#include "common/AnsiCodec.h"
#include "modem/CSMSException.h"
#include "modem/ModemReply.h"
#include "sms/PduEncoder.h"
#include "sms/SubmissionSteps.h"

namespace {

const QString kError = QStringLiteral("ERROR");
const QString kOk = QStringLiteral("OK");

[[noreturn]] void Fail(const QString& response) {
    SubmissionSteps::ThrowUnconfirmed(CIrdaPort::ParseError(response));
}

} // namespace

// Clears a prompt left open by an interrupted submission, once per opening of the port.
void IrdaPortTransport::Handshake() {
    if (m_handshakeDone)
        return;
    CIrdaPort& port = m_port;
    QString line;
    bool written = port.SendCommand(QStringLiteral("AT"), true);
    bool answered = written && port.ReadLine(&line);
    if (written && line.contains(QLatin1Char('>'))) {
        // A space and Ctrl-Z end the stale message text; the device's answer to it is not needed.
        written = port.WriteAll(QByteArray(" \x1a\r\n", 4));
        port.ReadLine(&line);
        written = written && port.SendCommand(QStringLiteral("AT"), true);
        answered = written && port.ReadLine(&line);
    }
    if (!written || !answered)
        CSMSException::ThrowNoResponse();
    m_handshakeDone = true;
}

namespace {

// The result lines after the data: unsolicited lines and echoes are passed over until the device's message
// reference, "OK" or an error arrives. Returns normally only on a confirmation.
void AwaitConfirmation(CIrdaPort& port) {
    const ModemTiming& timing = port.Timing();
    ModemTiming::Sleep(timing.settleBeforeResultMs);
    const int silenceMs = timing.waitForReplies ? timing.finalResultLimitMs : timing.irdaLineSilenceMs;
    constexpr int kMaxLines = 16;
    QString line;
    bool any = false;
    for (int i = 0; i < kMaxLines; ++i) {
        if (!port.ReadLine(&line, silenceMs))
            break;
        any = true;
        line = line.trimmed();
        if (line == kOk || line.startsWith(QLatin1String("+CMGS"))) {
            ModemTiming::Sleep(timing.irdaAfterResultMs);
            return;
        }
        const QString error = CIrdaPort::ParseError(line);
        if (!error.isEmpty()) {
            ModemTiming::Sleep(timing.irdaAfterResultMs);
            CSMSException::ThrowModemError(error);
        }
    }
    ModemTiming::Sleep(timing.irdaAfterResultMs);
    // No line at all is reported as an error without a code.
    Fail(any ? line : QStringLiteral("+CMS ERROR: 500"));
}

// One AT+CMGS exchange with the prompt, the data and Ctrl-Z (written without a carriage return).
void SubmitOne(CIrdaPort& port, const QString& command, const QByteArray& data, bool textMode) {
    QString response;
    if (!port.ExecuteCommand(command, kError, QStringLiteral(">"), &response, true))
        Fail(response.isEmpty() ? QString() : response);
    if (textMode)
        ModemTiming::Sleep(port.Timing().beforeTextMs);
    if (!port.WriteAll(data + '\x1a'))
        CSMSException::ThrowNoResponse();
    AwaitConfirmation(port);
}

} // namespace

void IrdaPortTransport::Open(const QString& portName) {
    int error = 0;
    if (!m_port.Open(portName, &error))
        CSMSException::ThrowSystemError(error);
    m_handshakeDone = false;
}

void IrdaPortTransport::Submit(const SmsRequest& request, SmsMode mode) {
    mode == SmsMode::Text ? SubmitText(request) : SubmitPdu(request);
}

void IrdaPortTransport::SubmitPdu(const SmsRequest& request) {
    const auto reference = static_cast<std::uint16_t>(Pdu::NextConcatReference() & 0xFFFFu);
    const QString message = Pdu::NormalizeLineBreaks(request.message);
    const QString smsc = request.smscNumber.trimmed();
    const MessageFlags flags = FlagsFor(request);

    Handshake();
    QString response;
    if (!m_port.ExecuteCommand(QStringLiteral("AT+CMGF=0"), kError, kOk, &response, true))
        Fail(response);

    const std::vector<Pdu::EncodedPdu> pdus =
        SubmissionSteps::EncodeParts(message, request.recipientNumber, smsc, flags.flash, flags.unicode, reference);
    const int total = static_cast<int>(pdus.size());
    for (int n = 0; n < total; ++n) {
        const Pdu::EncodedPdu& pdu = pdus[static_cast<size_t>(n)];
        ThrowIfStopped(n, total);
        SubmitOne(m_port, QStringLiteral("AT+CMGS=%1").arg(pdu.tpduLength), pdu.hex.toLatin1(), false);
    }
}

void IrdaPortTransport::SubmitText(const SmsRequest& request) {
    (void)Pdu::NextConcatReference(); // counted like a PDU-mode message, not used in text mode
    const QString message = Pdu::NormalizeLineBreaks(request.message);
    MessageFlags flags = FlagsFor(request);
    if (flags.unicode && Pdu::IsGsmCharacterSet(message))
        flags.unicode = false;

    Handshake();
    QString response;
    if (!m_port.ExecuteCommand(QStringLiteral("AT+CMGF=1"), kError, kOk, &response, true))
        Fail(response);
    // Validity period 167 (one day) and the data coding scheme; the answer is not needed.
    m_port.ExecuteCommand(QStringLiteral("AT+CSMP=17,167,0,%1").arg(Pdu::DataCodingScheme(flags.flash, flags.unicode)), kError,
                   kOk, &response, true);

    const QString charset = SubmissionSteps::SelectTextCharset(
        flags.unicode, [this] { return m_port.QueryCharsets(); }, [this] { return m_port.QueryCharset(); },
        [this, &response](const QString& set) {
            m_port.ExecuteCommand(QStringLiteral("AT+CSCS=\"%1\"").arg(set), kError, kOk, &response, true);
        });
    const bool hexText = flags.unicode && !charset.isEmpty();

    const QStringList pieces = Pdu::SplitForTextMode(message, request.recipientNumber, request.smscNumber.trimmed(),
                                                     flags.flash, flags.unicode);
    const QString command = QStringLiteral("AT+CMGS=\"%1\"").arg(request.recipientNumber);
    const int total = static_cast<int>(pieces.size());
    for (int n = 0; n < total; ++n) {
        ThrowIfStopped(n, total);
        const QString& piece = pieces.at(n);
        SubmitOne(m_port, command, hexText ? Pdu::ToUcs2Hex(piece).toLatin1() : AnsiCodec::Encode(piece), true);
    }
}
