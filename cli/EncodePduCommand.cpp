// bulksms-cli encode-pdu: prints the PDUs a PDU-mode submission of one message would hand to the device.
#include "CliCommand.h"
#include "CliJson.h"

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

int RunEncodePdu(const CliArgs& args) {
    if (!args.Has(QStringLiteral("to")))
        return CliUsageError(kCommand, QStringLiteral("--to is required"));
    const QString recipient = args.Value(QStringLiteral("to"));
    if (!IsDialNumber(recipient))
        return CliUsageError(kCommand,
                             QStringLiteral("--to must be 1 to 20 digits, optionally after \"+\": %1").arg(recipient));
    // The device's stored SMSC is used when none is given ("00").
    const QString smsc = args.Value(QStringLiteral("smsc")).trimmed();
    if (!smsc.isEmpty() && !IsDialNumber(smsc))
        return CliUsageError(kCommand,
                             QStringLiteral("--smsc must be 1 to 20 digits, optionally after \"+\": %1").arg(smsc));

    const bool hasText = args.Has(QStringLiteral("text"));
    if (hasText == args.Has(QStringLiteral("text-file")))
        return CliUsageError(kCommand, QStringLiteral("give exactly one of --text and --text-file"));
    QString text;
    if (hasText) {
        text = args.Value(QStringLiteral("text"));
    } else {
        QString error;
        if (!CliReadUtf8File(args.Value(QStringLiteral("text-file")), &text, &error))
            return CliUsageError(kCommand, error);
        if (text.startsWith(QChar(0xFEFF))) // byte-order mark written by some editors
            text.remove(0, 1);
    }

    // As a submission does: line breaks first, then one reference per message (the first is 1).
    const QString message = Pdu::NormalizeLineBreaks(text);
    const auto reference = static_cast<std::uint16_t>(Pdu::NextConcatReference() & 0xFFFFu);
    const std::vector<Pdu::EncodedPdu> pdus = Pdu::EncodeMessage(
        message, recipient, smsc, args.Has(QStringLiteral("flash")), args.Has(QStringLiteral("unicode")), reference);
    if (pdus.empty()) {
        CliErr(QStringLiteral("bulksms-cli %1: the message (%2 characters) needs more than 255 parts and cannot "
                              "be encoded")
                   .arg(kCommand)
                   .arg(message.size()));
        return kExitRefused;
    }
    QJsonArray json;
    for (const Pdu::EncodedPdu& pdu : pdus) {
        if (args.Json())
            json.append(QJsonObject{{QStringLiteral("length"), pdu.tpduLength}, {QStringLiteral("pdu"), pdu.hex}});
        else
            CliOut(QString::number(pdu.tpduLength) + QLatin1Char(' ') + pdu.hex);
    }
    if (args.Json())
        CliJson::Print(json);
    return kExitOk;
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = kCommand,
    .summary = QStringLiteral("Print the PDUs a PDU-mode submission of one message would hand to the device, one "
                              "per part: the TPDU length for AT+CMGS and the PDU in hex."),
    .synopsis = QStringLiteral("--to NUMBER (--text TEXT | --text-file FILE) [--smsc NUMBER] [--unicode] [--flash] "
                               "[--json]"),
    .options = {{QStringLiteral("to"), QStringLiteral("NUMBER"),
                 QStringLiteral("The recipient: 1 to 20 digits, optionally after \"+\".")},
                {QStringLiteral("text"), QStringLiteral("TEXT"), QStringLiteral("The message.")},
                {QStringLiteral("text-file"), QStringLiteral("FILE"),
                 QStringLiteral("Read the message from a UTF-8 file.")},
                {QStringLiteral("smsc"), QStringLiteral("NUMBER"),
                 QStringLiteral("The service centre's number; without it the device's stored one is used.")},
                {QStringLiteral("unicode"), {}, QStringLiteral("Encode the text as UCS-2.")},
                {QStringLiteral("flash"), {}, QStringLiteral("Send as a flash message (class 0).")},
                CliOptions::kJson},
    .details = QStringLiteral("JSON: [{\"length\": N, \"pdu\": HEX}, ...]"),
    .failure = QStringLiteral("the message is too long to encode"),
    .run = RunEncodePdu,
});
