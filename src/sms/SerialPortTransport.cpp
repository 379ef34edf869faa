// Submission of one message through the overlapped transport (3GPP TS 27.005 clause 3.5.1, AT+CMGS in PDU
// and text mode).

#include "sms/SerialPortTransport.h"

#include "common/AnsiCodec.h"
#include "modem/CSMSException.h"
#include "modem/ModemReply.h"
#include "sms/PduEncoder.h"
#include "sms/SmsRequest.h"
#include "sms/SubmissionSteps.h"

#include <algorithm>

namespace {
constexpr char kEscape = '\x1b'; // TS 27.005 3.5.1: ends a message body without sending it
} // namespace

void SerialPortTransport::Open(const QString& portName) {
    m_state.Forget();
    m_port.Open(m_replyTimeoutMs, portName);
}

bool SerialPortTransport::Close() {
    m_state.Forget();
    return m_port.Close();
}

void SerialPortTransport::ResetModem() {
    m_state.Forget(); // AT&F restores the device's own settings
    m_port.ResetModem();
}

void SerialPortTransport::Submit(const SmsRequest& request, SmsMode mode) {
    if (!m_port.Timing().prepareOnce)
        m_state.ForgetPreparation();
    m_references.clear();
    try {
        mode == SmsMode::Text ? SubmitText(request) : SubmitPdu(request);
    } catch (const CSMSException&) {
        // An error or a silence may mean the device was reset or left mid-dialogue: prepare it again.
        m_state.ForgetPreparation();
        throw;
    }
}

bool SerialPortTransport::Step(const QByteArray& line) {
    switch (m_port.Exchange(line)) {
    case ModemReply::FinalResult::Ok:
        return true;
    case ModemReply::FinalResult::Error:
        return false;
    case ModemReply::FinalResult::None:
        break;
    }
    CSMSException::ThrowNoResponse();
}

void SerialPortTransport::Prepare(SmsMode mode) {
    if (m_state.preparedMode != mode) {
        // The answers to AT and AT+CSMS=0 are not needed: a device that ignores AT+CSMS still sends.
        Step("AT\r");
        Step("AT+CSMS=0\r");
        if (Step(mode == SmsMode::Pdu ? "AT+CMGF=0\r" : "AT+CMGF=1\r"))
            m_state.preparedMode = mode;
    }
    if (StatusReports() && !m_state.indicationsSet) {
        // Asked once per preparation; a device that offers no report indication still sends, its reports are
        // then read from its storage.
        const QString command = Step("AT+CNMI=?\r") ? SubmissionSteps::IndicationCommand(m_port.LastReply()) : QString();
        if (!command.isEmpty())
            Step(command.toLatin1() + '\r');
        m_state.indicationsSet = true;
    }
}

QString SerialPortTransport::TextCharset(bool unicode) {
    return SubmissionSteps::SelectTextCharset(
        unicode,
        [this] {
            if (m_state.supportedCharsets.isEmpty() && Step("AT+CSCS=?\r"))
                m_state.supportedCharsets = m_port.LastReply();
            return m_state.supportedCharsets;
        },
        [this] {
            if (m_state.charset.isEmpty() && Step("AT+CSCS?\r"))
                m_state.charset = ModemReply::ParseCharsets(m_port.LastReply()).value(0);
            return m_state.charset;
        },
        [this](const QString& set) {
            if (m_state.charset == set)
                return;
            m_state.charset = Step("AT+CSCS=\"" + set.toLatin1() + "\"\r") ? set : QString();
        });
}

void SerialPortTransport::SubmitOne(const QByteArray& command, const QByteArray& data, SmsMode mode) {
    const ModemTiming& timing = m_port.Timing();

    if (!timing.prepareOnce) {
        // The device may have been left in the other mode by an earlier submission.
        const QString current = Step("AT+CMGF?\r") ? ModemReply::ParseSmsModeQuery(m_port.LastReply()) : QString();
        if (mode == SmsMode::Pdu && current == QLatin1String("1"))
            Step("AT+CMGF=0\r");
        if (mode == SmsMode::Text && current == QLatin1String("0"))
            Step("AT+CMGF=1\r");
    }

    m_port.StartCommand(command);
    if (timing.waitForReplies)
        m_port.Await(CSMSSerialPort::Awaited::Prompt, timing.promptLimitMs, false);
    else
        m_port.Await(CSMSSerialPort::Awaited::Prompt, m_port.ReplyTimeoutMs(), true);
    const QString promptReply = m_port.LastReply();
    if (m_port.LastReplyBytes().isEmpty()) {
        // Not a byte, not even the echo: the device is gone silent. Should a late prompt still come, the body it
        // opens is cancelled, so the next command is not taken for message text.
        m_port.Write(QByteArray(1, kEscape));
        CSMSException::ThrowNoResponse();
    }
    // A device that refused the command instead of prompting has not taken the message: writing the data
    // anyway would only hand it a garbage command line.
    if (!promptReply.contains(QLatin1Char('>')) &&
        ModemReply::FindFinalResult(m_port.LastReplyBytes()) == ModemReply::FinalResult::Error)
        CSMSException::ThrowModemError(ModemReply::ParseError(promptReply));

    if (mode == SmsMode::Text)
        ModemTiming::Sleep(timing.beforeTextMs);
    m_port.Write(data);
    m_port.Write(QByteArray("\x1a\r\n", 3));
    ModemTiming::Sleep(timing.settleBeforeResultMs);

    if (timing.waitForReplies)
        m_port.Await(CSMSSerialPort::Awaited::FinalResult, timing.finalResultLimitMs, false, data);
    else
        m_port.Await(CSMSSerialPort::Awaited::FinalResult, m_port.ReplyTimeoutMs(), true, data);

    const QByteArray reply = m_port.LastReplyBytes();
    const QByteArray fresh = reply.mid(ModemReply::EchoLength(reply, data));
    switch (ModemReply::FindFinalResult(fresh)) {
    case ModemReply::FinalResult::Ok:
        m_references.push_back(SubmissionSteps::MessageReference(AnsiCodec::Decode(fresh)));
        return;
    case ModemReply::FinalResult::Error:
        CSMSException::ThrowModemError(ModemReply::ParseError(AnsiCodec::Decode(fresh)));
    case ModemReply::FinalResult::None:
        break;
    }
    // No final result within the limit. The device's message reference still confirms the submission;
    // silence does not.
    if (ModemReply::HasMessageReference(fresh)) {
        m_references.push_back(SubmissionSteps::MessageReference(AnsiCodec::Decode(fresh)));
        return;
    }
    const QString lastReply = AnsiCodec::Decode(fresh);
    SubmissionSteps::ThrowUnconfirmed(
        CSMSSerialPort::ParseError(lastReply.trimmed().isEmpty() ? promptReply : lastReply));
}

void SerialPortTransport::SubmitPdu(const SmsRequest& request) {
    const auto reference = static_cast<std::uint16_t>(Pdu::NextConcatReference() & 0xFFFFu);
    const QString message = Pdu::NormalizeLineBreaks(request.message);
    const QString smsc = request.smscNumber.trimmed();
    const MessageFlags flags = FlagsFor(request);
    const ModemTiming& timing = m_port.Timing();

    Prepare(SmsMode::Pdu);
    std::vector<Pdu::EncodedPdu> pdus =
        SubmissionSteps::EncodeParts(message, request.recipientNumber, smsc, flags.flash, flags.unicode, reference);
    if (StatusReports())
        std::for_each(pdus.begin(), pdus.end(), SubmissionSteps::RequestStatusReport);
    const int total = static_cast<int>(pdus.size());
    SubmissionSteps::SendParts(
        total, m_state.cmms, [this](const QString& command) { return Step(command.toLatin1() + '\r'); },
        [&](int n) {
            const Pdu::EncodedPdu& pdu = pdus[static_cast<size_t>(n)];
            ThrowIfStopped(n, total);
            if (n > 0)
                ModemTiming::Sleep(timing.betweenPartsMs);
            SubmitOne("AT+CMGS=" + QByteArray::number(pdu.tpduLength) + '\r', pdu.hex.toLatin1(), SmsMode::Pdu);
        });
}

void SerialPortTransport::SubmitText(const SmsRequest& request) {
    (void)Pdu::NextConcatReference(); // counted like a PDU-mode message, not used in text mode
    const QString message = Pdu::NormalizeLineBreaks(request.message);
    MessageFlags flags = FlagsFor(request);
    if (flags.unicode && Pdu::IsGsmCharacterSet(message))
        flags.unicode = false;
    const ModemTiming& timing = m_port.Timing();
    const SubmissionSteps::Command command = [this](const QString& line) { return Step(line.toLatin1() + '\r'); };

    Prepare(SmsMode::Text);
    // Validity period 255 (relative, maximum) and the data coding scheme of the message.
    const int dcs = Pdu::DataCodingScheme(flags.flash, flags.unicode);
    const int firstOctet = SubmissionSteps::TextFirstOctet(StatusReports());
    if (m_state.textDcs != dcs || m_state.textFirstOctet != firstOctet) {
        // Refused or not, it is not asked again while the port stays prepared: a device that ignores AT+CSMP
        // still sends.
        SubmissionSteps::SetTextParameters(
            QStringLiteral("AT+CSMP=%1,255,0,%2").arg(firstOctet).arg(dcs),
            [this](const QString& query) { return Step(query.toLatin1() + '\r') ? m_port.LastReply() : QString(); },
            command);
        m_state.textDcs = dcs;
        m_state.textFirstOctet = firstOctet;
    }
    const QString charset = TextCharset(flags.unicode);
    const bool hexText = flags.unicode && !charset.isEmpty();

    const QStringList pieces = Pdu::SplitForTextMode(message, request.recipientNumber, request.smscNumber.trimmed(),
                                                     flags.flash, flags.unicode);
    const QByteArray cmgs = "AT+CMGS=\"" + AnsiCodec::Encode(request.recipientNumber) + "\"\r";
    const int total = static_cast<int>(pieces.size());
    SubmissionSteps::SendParts(total, m_state.cmms, command, [&](int n) {
        ThrowIfStopped(n, total);
        if (n > 0)
            ModemTiming::Sleep(timing.betweenPartsMs);
        const QString& piece = pieces.at(n);
        SubmitOne(cmgs, hexText ? Pdu::ToUcs2Hex(piece).toLatin1() : AnsiCodec::Encode(piece), SmsMode::Text);
    });
}
