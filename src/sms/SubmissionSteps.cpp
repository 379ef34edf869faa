#include "sms/SubmissionSteps.h"

#include "modem/CSMSException.h"

namespace SubmissionSteps {

void ThrowStopped(int partsSent, int totalParts) {
    throw CSMSException(0, QStringLiteral("Sending stopped after part %1 of %2.").arg(partsSent).arg(totalParts));
}

void ThrowEncodingFailed() { throw CSMSException(CSMSException::kStringTableBase | 515u, QString()); }

void ThrowUnconfirmed(const QString& errorText) {
    if (errorText.isEmpty())
        CSMSException::ThrowNoResponse();
    CSMSException::ThrowModemError(errorText);
}

QString ChooseUnicodeCharset(const QString& supported) {
    if (supported.contains(QLatin1String("HEX")))
        return QStringLiteral("HEX");
    if (supported.contains(QLatin1String("UCS2")))
        return QStringLiteral("UCS2");
    return {};
}

bool NeedsPlainCharset(const QString& current) {
    return current.contains(QLatin1String("HEX")) || current.contains(QLatin1String("UCS2"));
}

QString ChoosePlainCharset(const QString& supported) {
    if (supported.contains(QLatin1String("GSM")))
        return QStringLiteral("GSM");
    if (supported.contains(QLatin1String("IRA")))
        return QStringLiteral("IRA");
    return {};
}

} // namespace SubmissionSteps
