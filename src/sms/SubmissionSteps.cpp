#include "sms/SubmissionSteps.h"

#include "modem/CSMSException.h"
#include "modem/ModemReply.h"

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
