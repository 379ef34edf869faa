#include "sms/SubmissionSteps.h"

#include "modem/CSMSException.h"
#include "modem/ModemReply.h"

#include <QRegularExpression>

namespace SubmissionSteps {

void ThrowStopped(int partsSent, int totalParts) {
    throw CSMSException(0, QStringLiteral("Sending stopped after part %1 of %2.").arg(partsSent).arg(totalParts));
}

void ThrowEncodingFailed() {
    throw CSMSException(CSMSException::kStringTableBase | 515u, QString());
}

std::vector<Pdu::EncodedPdu> EncodeParts(const QString& message, const QString& recipient, const QString& smsc,
                                         bool flash, bool unicode, std::uint16_t reference) {
    std::vector<Pdu::EncodedPdu> pdus = Pdu::EncodeMessage(message, recipient, smsc, flash, unicode, reference);
    if (pdus.empty())
        ThrowEncodingFailed();
    for (const Pdu::EncodedPdu& pdu : pdus) {
        if (pdu.hex.isEmpty())
            ThrowEncodingFailed();
    }
    return pdus;
}

void ThrowUnconfirmed(const QString& errorText) {
    if (errorText.isEmpty())
        CSMSException::ThrowNoResponse();
    CSMSException::ThrowModemError(errorText);
}

QString SelectTextCharset(bool unicode, const std::function<QString()>& querySupported,
                          const std::function<QString()>& queryCurrent,
                          const std::function<void(const QString&)>& setCharset) {
    if (unicode) {
        const QString supported = querySupported();
        const QString chosen = supported.contains(QLatin1String("HEX"))    ? QStringLiteral("HEX")
                               : supported.contains(QLatin1String("UCS2")) ? QStringLiteral("UCS2")
                                                                           : QString();
        if (!chosen.isEmpty())
            setCharset(chosen);
        return chosen;
    }
    const QString current = queryCurrent();
    if (current.contains(QLatin1String("HEX")) || current.contains(QLatin1String("UCS2"))) {
        const QString supported = querySupported();
        if (supported.contains(QLatin1String("GSM")))
            setCharset(QStringLiteral("GSM"));
        else if (supported.contains(QLatin1String("IRA")))
            setCharset(QStringLiteral("IRA"));
    }
    return {};
}

void SendParts(int total, SmsPortState::Cmms& cmms, const Command& command, const std::function<void(int n)>& part) {
    bool linkKept = false;
    if (total > 1 && cmms != SmsPortState::Cmms::Refused) {
        linkKept = command(QStringLiteral("AT+CMMS=2"));
        cmms = linkKept ? SmsPortState::Cmms::Accepted : SmsPortState::Cmms::Refused;
    }
    const auto release = [&] {
        if (!linkKept)
            return;
        try {
            command(QStringLiteral("AT+CMMS=0"));
        } catch (const CSMSException&) {
            // The parts' outcome stands; the next submission finds out about the device.
        }
    };
    try {
        for (int n = 0; n < total; ++n)
            part(n);
    } catch (const CSMSException& e) {
        // A device that answered an error (or a stop between parts) still listens; a silent or vanished one not.
        if (!e.IsSystemError() && !e.IsStringTableError())
            release();
        throw;
    }
    release();
}

void SetTextParameters(const QString& csmp, const Query& query, const Command& command) {
    const QString kRead = QStringLiteral("AT+CSCA?");
    const std::optional<ModemReply::ServiceCentre> before = ModemReply::ParseServiceCentre(query(kRead));
    command(csmp);
    if (!before || before->address.isEmpty())
        return; // nothing stored to lose
    const std::optional<ModemReply::ServiceCentre> after = ModemReply::ParseServiceCentre(query(kRead));
    if (after && after->address.isEmpty()) {
        QString restore = QStringLiteral("AT+CSCA=\"%1\"").arg(before->address);
        if (before->type > 0)
            restore += QStringLiteral(",%1").arg(before->type);
        command(restore);
    }
}

} // namespace SubmissionSteps

namespace SubmissionSteps {

void RequestStatusReport(Pdu::EncodedPdu& pdu) {
    bool ok = false;
    const qsizetype smscOctets = pdu.hex.left(2).toInt(&ok, 16);
    const qsizetype at = 2 + 2 * smscOctets;
    if (!ok || pdu.hex.size() < at + 2)
        return;
    const int first = pdu.hex.mid(at, 2).toInt(&ok, 16);
    if (ok)
        pdu.hex.replace(at, 2, QStringLiteral("%1").arg(first | 0x20, 2, 16, QLatin1Char('0')).toUpper());
}

int TextFirstOctet(bool statusReport) {
    return statusReport ? 0x31 : 0x11;
}

int MessageReference(const QString& reply) {
    static const QRegularExpression kCmgs(QStringLiteral("\\+CMGS:\\s*(\\d+)"));
    const QRegularExpressionMatch match = kCmgs.match(reply);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

namespace {
// The values one parenthesised list of a test answer offers ("(0-2)", "(0,2)", "2").
QList<int> Offered(const QString& list) {
    QList<int> values;
    for (const QString& piece : QString(list).remove(QLatin1Char('(')).remove(QLatin1Char(')')).split(QLatin1Char(','))) {
        const QStringList range = piece.trimmed().split(QLatin1Char('-'));
        bool ok1 = false;
        bool ok2 = false;
        const int from = range.value(0).toInt(&ok1);
        const int to = range.size() > 1 ? range.value(1).toInt(&ok2) : from;
        if (ok1 && (range.size() == 1 || ok2))
            for (int v = from; v <= to && v - from < 16; ++v)
                values << v;
    }
    return values;
}
} // namespace

QString IndicationCommand(const QString& supported) {
    const qsizetype colon = supported.indexOf(QLatin1String("+CNMI:"));
    if (colon < 0)
        return {};
    // Split at the commas between the parenthesised lists.
    QStringList lists;
    QString current;
    int depth = 0;
    for (QChar c : supported.mid(colon + 6).section(QLatin1Char('\n'), 0, 0)) {
        if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')'))
            --depth;
        if (c == QLatin1Char(',') && depth == 0) {
            lists << current;
            current.clear();
        } else {
            current += c;
        }
    }
    lists << current;
    if (lists.size() < 4)
        return {};
    const QList<int> modes = Offered(lists[0]);
    const QList<int> mt = Offered(lists[1]);
    const QList<int> ds = Offered(lists[3]);
    const int mode = modes.contains(2) ? 2 : modes.contains(1) ? 1 : -1;
    const int report = ds.contains(2) ? 2 : ds.contains(1) ? 1 : -1;
    if (mode < 0 || report < 0)
        return {};
    return QStringLiteral("AT+CNMI=%1,%2,0,%3,0").arg(mode).arg(mt.contains(1) ? 1 : 0).arg(report);
}

} // namespace SubmissionSteps
