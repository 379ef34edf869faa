#pragma once

#include "common/ResultText.h"

#include <QString>

class CSMSException;

// The result text of one attempt, as a sending worker records it (the rules that read it: ResultText).
namespace SubmissionResult {

inline const QString& kSentSuccessfully = ResultText::kSentSuccessfully;
inline const QString& kSentToDevice = ResultText::kSentToDevice;
inline const QString kUnsupportedMode = QStringLiteral("Error : +CMS ERROR: 500");

// A normal return: "Message sent to device." for a device whose SMS capabilities were "Not Detected".
QString Sent(bool capabilitiesNotDetected);
// "Error : " + the error text; a text that is no network or phone error code (+CMS / +CME) is reported
// as "+CMS ERROR: 500"; an exception with no text counts as a normal return.
QString FromException(const CSMSException& exception, bool capabilitiesNotDetected);

} // namespace SubmissionResult
