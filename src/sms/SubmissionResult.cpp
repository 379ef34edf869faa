#include "sms/SubmissionResult.h"

#include "modem/CSMSException.h"

namespace SubmissionResult {

QString Sent(bool capabilitiesNotDetected) { return capabilitiesNotDetected ? kSentToDevice : kSentSuccessfully; }

QString FromException(const CSMSException& exception, bool capabilitiesNotDetected) {
    const QString text = GetErrorText(exception);
    if (text.isEmpty())
        return Sent(capabilitiesNotDetected);
    const QString result = QStringLiteral("Error : ") + text;
    if (result == QStringLiteral("Error : ") + NoErrorSystemText())
        return Sent(capabilitiesNotDetected);
    if (!result.contains(QLatin1String("+CMS ERROR")) && !result.contains(QLatin1String("+CME ERROR")))
        return kUnsupportedMode;
    return result;
}

} // namespace SubmissionResult
