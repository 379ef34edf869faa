// bulksms-cli encode-pdu: prints the PDUs a PDU-mode submission of one message would hand to the device.
#include "CliCommand.h"

#include "sms/PduEncoder.h"

namespace {

const QString kCommand = QStringLiteral("encode-pdu");

// An optional "+" and 1 to 20 digits. The encoder carries any character into the address field, which
// would make the PDU text something other than hex, so the command refuses such numbers up front.
bool IsDialNumber(const QString& number) {
    const qsizetype first = number.startsWith(QLatin1Char('+')) ? 1 : 0;
    const qsizetype digits = number.size() - first;
    if (digits < 1 || digits > 20)
        return false;
    for (qsizetype i = first; i < number.size(); ++i) {
        if (number.at(i) < QLatin1Char('0') || number.at(i) > QLatin1Char('9'))
            return false;
    }
    return true;
}

int RunEncodePdu(const QStringList& args) {
    QString error;
    const std::optional<CliArgs> parsed = CliArgs::Parse(
        args, {QStringLiteral("to"), QStringLiteral("text"), QStringLiteral("text-file"), QStringLiteral("smsc")},
        {QStringLiteral("unicode"), QStringLiteral("flash")}, &error);
    if (!parsed)
        return CliUsageError(kCommand, error);
    if (!parsed->Positional().isEmpty())
        return CliUsageError(kCommand, QStringLiteral("unexpected argument %1").arg(parsed->Positional().first()));
    if (!parsed->Has(QStringLiteral("to")))
        return CliUsageError(kCommand, QStringLiteral("--to is required"));
    const QString recipient = parsed->Value(QStringLiteral("to"));
    if (!IsDialNumber(recipient))
        return CliUsageError(kCommand,
                             QStringLiteral("--to must be 1 to 20 digits, optionally after \"+\": %1").arg(recipient));
    // The device's stored SMSC is used when none is given ("00").
    const QString smsc = parsed->Value(QStringLiteral("smsc")).trimmed();
    if (!smsc.isEmpty() && !IsDialNumber(smsc))
        return CliUsageError(kCommand,
                             QStringLiteral("--smsc must be 1 to 20 digits, optionally after \"+\": %1").arg(smsc));

    const bool hasText = parsed->Has(QStringLiteral("text"));
    if (hasText == parsed->Has(QStringLiteral("text-file")))
        return CliUsageError(kCommand, QStringLiteral("give exactly one of --text and --text-file"));
    QString text;
    if (hasText) {
        text = parsed->Value(QStringLiteral("text"));
    } else {
        if (!CliReadUtf8File(parsed->Value(QStringLiteral("text-file")), &text, &error))
            return CliUsageError(kCommand, error);
        if (text.startsWith(QChar(0xFEFF))) // byte-order mark written by some editors
            text.remove(0, 1);
    }

    // As a submission does: line breaks first, then one reference per message (the first is 1).
    const QString message = Pdu::NormalizeLineBreaks(text);
    const auto reference = static_cast<std::uint16_t>(Pdu::NextConcatReference() & 0xFFFFu);
    const std::vector<Pdu::EncodedPdu> pdus =
        Pdu::EncodeMessage(message, recipient, smsc, parsed->Has(QStringLiteral("flash")),
                           parsed->Has(QStringLiteral("unicode")), reference);
    if (pdus.empty()) {
        CliErr(QStringLiteral("bulksms-cli %1: the message (%2 characters) needs more than 255 parts and cannot "
                              "be encoded")
                   .arg(kCommand)
                   .arg(message.size()));
        return kExitRefused;
    }
    for (const Pdu::EncodedPdu& pdu : pdus)
        CliOut(QString::number(pdu.tpduLength) + QLatin1Char(' ') + pdu.hex);
    return kExitOk;
}

} // namespace

BULKSMS_CLI_COMMAND(kCommand,
                    QStringLiteral("--to NUMBER (--text TEXT | --text-file FILE) [--smsc NUMBER] [--unicode] "
                                   "[--flash]"),
                    RunEncodePdu);
