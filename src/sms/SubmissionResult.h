#pragma once

#include <QString>

class CSMSException;

// The result texts of one attempt, as a sending worker records them. A result is a failure when it contains
// "Error"; the sent-items filters and the retry passes test exactly that.
namespace SubmissionResult {

inline const QString kSentSuccessfully = QStringLiteral("Message sent successfully.");
inline const QString kSentToDevice = QStringLiteral("Message sent to device.");
inline const QString kUnsupportedMode = QStringLiteral("Error : +CMS ERROR: 500");

// A normal return: "Message sent to device." for a device whose SMS capabilities were "Not Detected".
QString Sent(bool capabilitiesNotDetected);
// "Error : " + the error text; a text that is no network or phone error code (+CMS / +CME) is reported
// as "+CMS ERROR: 500"; an exception with no text counts as a normal return.
QString FromException(const CSMSException& exception, bool capabilitiesNotDetected);
bool IsFailure(const QString& result);

} // namespace SubmissionResult
