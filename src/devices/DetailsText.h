#pragma once

#include <QPair>
#include <QString>

#include <vector>

// The "Com Port Details" text of a device: lines of a label, its value (right after the label) and "\n".
// Built from the information queries, stored in the Device record, read back by label everywhere.
namespace DetailsText {

inline const QString kManufacturer = QStringLiteral("Manufacturer :");
inline const QString kModel = QStringLiteral("Model :");
inline const QString kRevision = QStringLiteral("Revision :");
inline const QString kSupportedSmsMode = QStringLiteral("Supported SMS Mode :");
inline const QString kBattery = QStringLiteral("Battery :");
inline const QString kDefaultSmsc = QStringLiteral("Default SMSC No. :");
inline const QString kOperatorCode = QStringLiteral("Operator Code :");
inline const QString kSignalQuality = QStringLiteral("Signal Quality :");
// Added by the port scan when the device answered both SMS test commands.
inline const QString kSmsCapabilities = QStringLiteral("SMS Capabilities :");
inline const QString kSmsCapabilitiesYesLine = QStringLiteral("SMS Capabilities : Yes\n");
inline const QString kNotDetected = QStringLiteral("Not Detected");
// The two lines the scan puts before the queried details.
inline const QString kComPort = QStringLiteral("COM Port :");
inline const QString kComPortDetails = QStringLiteral("Com Port Details :");

// The values of one pass of the information queries (IMEI and IMSI are read too but are not shown).
struct Values {
    QString manufacturer;
    QString model;
    QString revision;
    QString supportedSmsMode;
    QString battery;
    QString defaultSmsc;
    QString operatorCode;
    QString signalQuality;
};

// The eight lines in their fixed order.
QString Build(const Values& values);

// The value of one line: every "||" read as "\n"; the text after the first occurrence of the label up to the
// end of its line, trimmed; empty when the label is missing.
QString GetDetailsValue(const QString& detailsText, const QString& label);

// The "Default SMSC No. :" value, and whether there is one.
QString GetDefaultSmsc(const QString& detailsText, bool* found = nullptr);

// True when the details say "SMS Capabilities : Not Detected": the user is asked before such a device is used.
bool CapabilitiesNotDetected(const QString& detailsText);

// Every line split into (label, value) at its first " :" (else its first ":"), both trimmed; a line without a
// colon is a label with an empty value.
std::vector<QPair<QString, QString>> Pairs(const QString& detailsText);

} // namespace DetailsText
