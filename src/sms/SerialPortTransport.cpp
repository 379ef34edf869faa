// Submission of one message through the overlapped transport (3GPP TS 27.005 clause 3.5.1, AT+CMGS in PDU
// and text mode).

#include "sms/SerialPortTransport.h"

#include "common/AnsiCodec.h"
#include "modem/CSMSException.h"
#include "modem/ModemReply.h"
#include "sms/PduEncoder.h"
#include "sms/SubmissionSteps.h"

namespace {

enum class Mode { Pdu, Text };

// One AT+CMGS exchange: the command, the ">" prompt, the data and Ctrl-Z, then the final result. Returns only
// when the device confirmed the message ("OK", or its "+CMGS:" reference); throws otherwise.
void SubmitOne(CSMSSerialPort& port, const QByteArray& command, const QByteArray& data, Mode mode) {
    const ModemTiming& timing = port.Timing();

    // The device may have been left in the other mode by an earlier submission.
    const QString current = port.QuerySmsMode();
    if (mode == Mode::Pdu && current == QLatin1String("1"))
        port.SetPduMode();
    if (mode == Mode::Text && current == QLatin1String("0"))
        port.SetTextMode();

    port.ClearLastReply();
    port.Write(command);
    if (timing.waitForReplies)
        port.Await(CSMSSerialPort::Awaited::Prompt, timing.promptLimitMs, false);
    else
        port.ReadUntil(">");
    const QString promptReply = port.LastReply();
    // A device that refused the command instead of prompting has not taken the message: writing the data
    // anyway would only hand it a garbage command line.
    if (!promptReply.contains(QLatin1Char('>')) &&
        ModemReply::FindFinalResult(port.LastReplyBytes()) == ModemReply::FinalResult::Error)
        CSMSException::ThrowModemError(ModemReply::ParseError(promptReply));

    if (mode == Mode::Text)
        ModemTiming::Sleep(timing.beforeTextMs);
    port.Write(data);
    port.Write(QByteArray("\x1a\r\n", 3));
    ModemTiming::Sleep(timing.settleBeforeResultMs);

    if (timing.waitForReplies)
        port.Await(CSMSSerialPort::Awaited::FinalResult, timing.finalResultLimitMs, false, data);
    else
        port.Await(CSMSSerialPort::Awaited::FinalResult, port.ReplyTimeoutMs(), true, data);

    const QByteArray reply = port.LastReplyBytes();
    const QByteArray fresh = reply.mid(ModemReply::EchoLength(reply, data));
    switch (ModemReply::FindFinalResult(fresh)) {
    case ModemReply::FinalResult::Ok:
        return;
    case ModemReply::FinalResult::Error:
        CSMSException::ThrowModemError(ModemReply::ParseError(AnsiCodec::Decode(fresh)));
    case ModemReply::FinalResult::None:
        break;
    }
    // No final result within the limit. The device's message reference still confirms the submission;
    // silence does not.
    if (ModemReply::HasMessageReference(fresh))
        return;
    const QString lastReply = AnsiCodec::Decode(fresh);
    SubmissionSteps::ThrowUnconfirmed(
        CSMSSerialPort::ParseError(lastReply.trimmed().isEmpty() ? promptReply : lastReply));
}

} // namespace

void SerialPortTransport::Submit(const SmsRequest& request, SmsMode mode) {
    mode == SmsMode::Text ? SubmitText(request) : SubmitPdu(request);
}

void SerialPortTransport::SubmitPdu(const SmsRequest& request) {
    const auto reference = static_cast<std::uint16_t>(Pdu::NextConcatReference() & 0xFFFFu);
    const QString message = Pdu::NormalizeLineBreaks(request.message);
    const QString smsc = request.smscNumber.trimmed();
    const MessageFlags flags = FlagsFor(request);
    const ModemTiming& timing = m_port.Timing();

    // Preparation; the answers are not needed (a device that ignores AT+CSMS still sends).
    m_port.Command("AT\r", "OK");
    m_port.Command("AT+CSMS=0\r", "OK");
    m_port.Command("AT+CMGF=0\r", "OK");

    const std::vector<Pdu::EncodedPdu> pdus =
        SubmissionSteps::EncodeParts(message, request.recipientNumber, smsc, flags.flash, flags.unicode, reference);
    const int total = static_cast<int>(pdus.size());
    for (int n = 0; n < total; ++n) {
        const Pdu::EncodedPdu& pdu = pdus[static_cast<size_t>(n)];
        ThrowIfStopped(n, total);
        if (n > 0)
            ModemTiming::Sleep(timing.betweenPartsMs);
        SubmitOne(m_port, "AT+CMGS=" + QByteArray::number(pdu.tpduLength) + '\r', pdu.hex.toLatin1(), Mode::Pdu);
    }
}

void SerialPortTransport::SubmitText(const SmsRequest& request) {
    (void)Pdu::NextConcatReference(); // counted like a PDU-mode message, not used in text mode
    const QString message = Pdu::NormalizeLineBreaks(request.message);
    MessageFlags flags = FlagsFor(request);
    if (flags.unicode && Pdu::IsGsmCharacterSet(message))
        flags.unicode = false;
    const ModemTiming& timing = m_port.Timing();

    m_port.Command("AT\r", "OK");
    m_port.Command("AT+CSMS=0\r", "OK");
    m_port.Command("AT+CMGF=1\r", "OK");
    // Validity period 255 (relative, maximum) and the data coding scheme of the message.
    m_port.Command("AT+CSMP=17,255,0," + QByteArray::number(Pdu::DataCodingScheme(flags.flash, flags.unicode)) + '\r', "OK");

    const QString charset = SubmissionSteps::SelectTextCharset(
        flags.unicode, [this] { return m_port.QueryCharsets(); }, [this] { return m_port.QueryCharset(); },
        [this](const QString& set) { m_port.Command("AT+CSCS=\"" + set.toLatin1() + "\"\r", "OK"); });
    const bool hexText = flags.unicode && !charset.isEmpty();

    const QStringList pieces = Pdu::SplitForTextMode(message, request.recipientNumber, request.smscNumber.trimmed(),
                                                     flags.flash, flags.unicode);
    const QByteArray command = "AT+CMGS=\"" + AnsiCodec::Encode(request.recipientNumber) + "\"\r";
    const int total = static_cast<int>(pieces.size());
    for (int n = 0; n < total; ++n) {
        ThrowIfStopped(n, total);
        if (n > 0)
            ModemTiming::Sleep(timing.betweenPartsMs);
        const QString& piece = pieces.at(n);
        SubmitOne(m_port, command, hexText ? Pdu::ToUcs2Hex(piece).toLatin1() : AnsiCodec::Encode(piece), Mode::Text);
    }
}
