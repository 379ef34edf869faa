// Submission of one message through the non-overlapped transport: line-by-line exchanges, both directions
// purged before each command (3GPP TS 27.005 clause 3.5.1).

#include "sms/IrdaPortTransport.h"

#include "common/AnsiCodec.h"
#include "modem/CSMSException.h"
#include "modem/ModemReply.h"
#include "sms/PduEncoder.h"
#include "sms/SmsRequest.h"
#include "sms/SubmissionSteps.h"

#include <algorithm>

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
    // Unsolicited lines before the answer are passed over: taken for it, they would leave the "OK" unread, to be
    // taken later for the answer to the next command.
    bool written = port.SendCommand(QStringLiteral("AT"), true);
    bool answered = written && port.ReadAnswerLine(&line);
    if (written && line.contains(QLatin1Char('>'))) {
        // A space and Ctrl-Z end the stale message text; the device's answer to it is not needed.
        written = port.WriteAll(QByteArray(" \x1a\r\n", 4));
        port.ReadLine(&line);
        written = written && port.SendCommand(QStringLiteral("AT"), true);
        answered = written && port.ReadAnswerLine(&line);
    }
    if (!written || !answered)
        CSMSException::ThrowNoResponse();
    m_handshakeDone = true;
}

namespace {

// The result lines after the data: unsolicited lines and echoes are passed over until the device's message
// reference, "OK" or an error arrives. Returns normally only on a confirmation.
int AwaitConfirmation(CIrdaPort& port) {
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
            // With "fast" timing the next command follows at once: the "OK" after the message reference is read
            // here, not taken later for that command's answer.
            if (timing.waitForReplies && line != kOk)
                port.ReadFinalResult();
            ModemTiming::Sleep(timing.irdaAfterResultMs);
            return SubmissionSteps::MessageReference(line);
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
// Returns the message reference (-1 when the device confirmed without one).
int SubmitOne(CIrdaPort& port, const QString& command, const QByteArray& data, bool textMode) {
    QString response;
    if (!port.ExecuteCommand(command, kError, QStringLiteral(">"), &response, true)) {
        // Should the prompt still come, the message body it opens is cancelled: a device left waiting for a
        // body would take every later command for message text.
        port.CancelMessageBody();
        Fail(response.isEmpty() ? QString() : response);
    }
    if (textMode)
        ModemTiming::Sleep(port.Timing().beforeTextMs);
    if (!port.WriteAll(data + '\x1a'))
        CSMSException::ThrowNoResponse();
    return AwaitConfirmation(port);
}

} // namespace

void IrdaPortTransport::Open(const QString& portName) {
    m_state.Forget();
    int error = 0;
    if (!m_port.Open(portName, &error))
        CSMSException::ThrowSystemError(error);
    m_handshakeDone = false;
}

bool IrdaPortTransport::Close() {
    m_state.Forget();
    return m_port.Close();
}

void IrdaPortTransport::ResetModem() {
    m_state.Forget(); // AT&F restores the device's own settings
    (void)m_port.ResetModem();
}

void IrdaPortTransport::Submit(const SmsRequest& request, SmsMode mode) {
    const bool prepareOnce = m_port.Timing().prepareOnce;
    if (!prepareOnce)
        m_state.ForgetPreparation();
    m_references.clear();
    try {
        mode == SmsMode::Text ? SubmitText(request) : SubmitPdu(request);
    } catch (const CSMSException&) {
        // An error or a silence may mean the device was reset or left mid-dialogue (a prompt still open): with
        // "fast" timing the next submission starts with the handshake and the preparation again.
        m_state.ForgetPreparation();
        if (prepareOnce)
            m_handshakeDone = false;
        throw;
    }
}

bool IrdaPortTransport::Step(const QString& command) {
    QString response;
    if (m_port.ExecuteCommand(command, kError, kOk, &response, true))
        return true;
    if (response.isEmpty())
        CSMSException::ThrowNoResponse();
    return false;
}

void IrdaPortTransport::Prepare(SmsMode mode) {
    if (m_state.preparedMode != mode) {
        QString response;
        if (!m_port.ExecuteCommand(mode == SmsMode::Pdu ? QStringLiteral("AT+CMGF=0") : QStringLiteral("AT+CMGF=1"),
                                   kError, kOk, &response, true))
            Fail(response);
        m_state.preparedMode = mode;
    }
    if (StatusReports() && !m_state.indicationsSet) {
        const QString command = SubmissionSteps::IndicationCommand(m_port.QueryOneLine(QStringLiteral("AT+CNMI=?")));
        if (!command.isEmpty())
            Step(command);
        m_state.indicationsSet = true;
    }
}

QString IrdaPortTransport::TextCharset(bool unicode) {
    return SubmissionSteps::SelectTextCharset(
        unicode,
        [this] {
            if (m_state.supportedCharsets.isEmpty()) {
                const QString line = m_port.QueryCharsets();
                if (!ModemReply::ParseCharsets(line).isEmpty())
                    m_state.supportedCharsets = line;
                return line;
            }
            return m_state.supportedCharsets;
        },
        [this] {
            if (m_state.charset.isEmpty())
                m_state.charset = ModemReply::ParseCharsets(m_port.QueryCharset()).value(0);
            return m_state.charset;
        },
        [this](const QString& set) {
            if (m_state.charset == set)
                return;
            m_state.charset = Step(QStringLiteral("AT+CSCS=\"%1\"").arg(set)) ? set : QString();
        });
}

void IrdaPortTransport::SubmitPdu(const SmsRequest& request) {
    const auto reference = static_cast<std::uint16_t>(Pdu::NextConcatReference() & 0xFFFFu);
    const QString message = Pdu::NormalizeLineBreaks(request.message);
    const QString smsc = request.smscNumber.trimmed();
    const MessageFlags flags = FlagsFor(request);

    Handshake();
    Prepare(SmsMode::Pdu);

    std::vector<Pdu::EncodedPdu> pdus =
        SubmissionSteps::EncodeParts(message, request.recipientNumber, smsc, flags.flash, flags.unicode, reference);
    if (StatusReports())
        std::for_each(pdus.begin(), pdus.end(), SubmissionSteps::RequestStatusReport);
    const int total = static_cast<int>(pdus.size());
    SubmissionSteps::SendParts(
        total, m_state.cmms, [this](const QString& command) { return Step(command); },
        [&](int n) {
            const Pdu::EncodedPdu& pdu = pdus[static_cast<size_t>(n)];
            ThrowIfStopped(n, total);
            m_references.push_back(
                SubmitOne(m_port, QStringLiteral("AT+CMGS=%1").arg(pdu.tpduLength), pdu.hex.toLatin1(), false));
        });
}

void IrdaPortTransport::SubmitText(const SmsRequest& request) {
    (void)Pdu::NextConcatReference(); // counted like a PDU-mode message, not used in text mode
    const QString message = Pdu::NormalizeLineBreaks(request.message);
    MessageFlags flags = FlagsFor(request);
    if (flags.unicode && Pdu::IsGsmCharacterSet(message))
        flags.unicode = false;

    Handshake();
    Prepare(SmsMode::Text);
    const SubmissionSteps::Command command = [this](const QString& line) { return Step(line); };
    // Validity period 167 (one day) and the data coding scheme; the answer is not needed, and while the port
    // stays prepared it is not given again for the same scheme.
    const int dcs = Pdu::DataCodingScheme(flags.flash, flags.unicode);
    const int firstOctet = SubmissionSteps::TextFirstOctet(StatusReports());
    if (m_state.textDcs != dcs || m_state.textFirstOctet != firstOctet) {
        SubmissionSteps::SetTextParameters(
            QStringLiteral("AT+CSMP=%1,167,0,%2").arg(firstOctet).arg(dcs),
            [this](const QString& query) { return m_port.QueryOneLine(query); }, command);
        m_state.textDcs = dcs;
        m_state.textFirstOctet = firstOctet;
    }
    const QString charset = TextCharset(flags.unicode);
    const bool hexText = flags.unicode && !charset.isEmpty();

    const QStringList pieces = Pdu::SplitForTextMode(message, request.recipientNumber, request.smscNumber.trimmed(),
                                                     flags.flash, flags.unicode);
    const QString cmgs = QStringLiteral("AT+CMGS=\"%1\"").arg(request.recipientNumber);
    const int total = static_cast<int>(pieces.size());
    SubmissionSteps::SendParts(total, m_state.cmms, command, [&](int n) {
        ThrowIfStopped(n, total);
        const QString& piece = pieces.at(n);
        m_references.push_back(
            SubmitOne(m_port, cmgs, hexText ? Pdu::ToUcs2Hex(piece).toLatin1() : AnsiCodec::Encode(piece), true));
    });
}
