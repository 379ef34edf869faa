#include "sms/SubmissionSteps.h"

#include "modem/CSMSException.h"

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

} // namespace SubmissionSteps
