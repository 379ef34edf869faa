#pragma once

#include <QString>

// The notices, questions and fixed window texts of the device windows, word for word as users see them.
namespace DeviceMessages {

// Device selection.
inline const QString kNoDeviceFound = QStringLiteral(
    "No compatible device found connected to your computer.\r\n\r\nPlease make sure that Drivers of your device are "
    "installed properly and the drivers that you installed are compatible with your operating system.");
inline const QString kTerminateScan = QStringLiteral("Terminating the current process will stop scanning mobile phone "
                                                     "device. Are you sure you want to continue?");
inline const QString kStopScan = QStringLiteral("Scanning process for finding connected mobile devices has not been "
                                                "completed yet. Are you sure you want to stop the process?");
inline const QString kDeviceNotWorking =
    QStringLiteral("Either no Mobile Device is connected on this port or selected device is not working properly.");
// %1: the error text of the modem layer.
inline const QString kDeviceConnectionError =
    QStringLiteral("Either no Mobile Device is connected on this port or selected device is not working "
                   "properly.\n\nOR\n\nDevice Connection Error : %1");
inline const QString kInvalidSmsc =
    QStringLiteral("The SMSC number does not seem to be valid. Please enter a valid SMSC number.");
inline const QString kNoSmsCapabilitiesQuestion =
    QStringLiteral("This Device cannot be used for sending Text messages as it does not seem to have SMS sending "
                   "capabilities.\n\nAre you sure you want to continue?");
inline const QString kNoSmsCapabilitiesRefusal = QStringLiteral(
    "This Device cannot be used for sending Text messages as it does not seem to have SMS sending capabilities.");
inline const QString kNoDefaultSmsc = QStringLiteral(
    "Default SMSC Number could not be located for this device.\nPlease enter and Save SMSC number manually in "
    "\u2018Custom SMSC No.\u2019 Field for this Device.\n\nYou can find SMSC Number in \u2018SMS Service Center\u2019 "
    "Details in the SMS Settings of your Mobile Device.\n\nAre you sure you want to continue without selecting "
    "device?");
inline const QString kSmsModeBlank =
    QStringLiteral("SMS Mode details should not be blanked.\n\nAre you sure you want to continue without selecting "
                   "device?");
inline const QString kInvalidTestNumber =
    QStringLiteral("Phone number entered to receive test message does not seem to be valid. Please enter a valid "
                   "phone number to receive test message.");
inline const QString kTestMessageText = QStringLiteral("Test message has been sent by VRIX Bulk SMS");

// Selected device details.
inline const QString kNoDeviceSelected = QStringLiteral("No device has been selected. Please select a device.");
inline const QString kSelectValidDevice = QStringLiteral("Please select a valid device from list.");
// %1: the port name.
inline const QString kCustomSmscSaved = QStringLiteral("Custom SMSC No. save for %1.");
inline const QString kCustomSmscReset = QStringLiteral("Custom SMSC No. reset for %1.");
inline const QString kInformationCaption = QStringLiteral("Information");
inline const QString kTextModeInformation = QStringLiteral(
    "Information:\n\nYou have selected \u2018Text Mode\u2019 for sending Messages.\nSome Devices may not support "
    "non-English (Unicode) SMS using this mode.\n\nIf you face difficulties in sending Unicode SMS using \u2018Text "
    "Mode\u2019, select \u2018PDU Mode\u2019.");
inline const QString kAdvancedTroubleshooting =
    QStringLiteral("Are you sure you want to check sms sending status using automated process?") +
    QStringLiteral("\r\n\r\nThis process may take time and cost per SMS as standard sms rate according to your "
                   "service provider.") +
    QStringLiteral("\r\n\r\nAre you sure you want to continue?");

// Connection test.
inline const QString kTestPhoneHint =
    QStringLiteral("Please enter your Phone number to receive test SMS sent by VRIX Bulk SMS Software.");
inline const QString kTestSmscHint =
    QStringLiteral("This test will suggest you the best suitable settings for your device for sending messages.");
inline const QString kSmscFormatHint =
    QStringLiteral("Correct SMS Service Center number starts with \u2018+\u2019 or \u201800\u2019 before your "
                   "country code (e.g. +65 or 0044).");
inline const QString kStartTestCaption = QStringLiteral("Start Test for Device Connected at : %1");
inline const QString kStatusConnecting = QStringLiteral("Connecting Device");
inline const QString kStatusInitialize = QStringLiteral("Initialize Device");
inline const QString kStatusExecuteCase = QStringLiteral("Execute Case %1: %2");
inline const QString kStatusStopped = QStringLiteral("Stopped");
inline const QString kStatusConnectFailed = QStringLiteral("Could not connect to the device");
inline const QString kTestInProgress =
    QStringLiteral("Device connection test is in progress. To perform this operation either stop the current process "
                   "or wait for the test to be completed.");
inline const QString kTestCloseWhileRunning = QStringLiteral(
    "Device connection test process has not been completed yet. Are you sure you want to stop the process?");
inline const QString kSelectCase = QStringLiteral("Please select at least one connection settings for sending SMS.");
// %1: the case's description, %2: the device, %3: the port.
inline const QString kConfirmCase = QStringLiteral("You have selected '%1' settings for sending SMS using '%2' "
                                                   "connected at %3.\n\nDo you want to continue with selected "
                                                   "settings?");
inline const QString kCaseApplied =
    QStringLiteral("Selected connection settings '%1' for device '%2' have been applied successfully.");
// %1: the port.
inline const QString kCloseWithoutApplying = QStringLiteral("You have not selected any connection settings yet ") +
                                             QStringLiteral("for device connected at %1.\nAre you sure to continue?");
inline const QString kClearStatus =
    QStringLiteral("Are you sure you want to clear the last connection test results performed on'");
inline const QString kNoCaseExecuted = QStringLiteral("No test case has been executed yet on selected device.");
inline const QString kLogSaved = QStringLiteral(
    "The Device Connection Status log file has been saved.\r\n\r\nIf you are facing any difficulties in using the "
    "software or connecting the device with software, you can send this log file with the details of your problem to "
    "our support team.");
inline const QString kFileError = QStringLiteral("Error in file.\n\nOR\n\nThere is not enough space on the disk.");

// Phonebook import (the main window's command).
inline const QString kImportingContacts = QStringLiteral("Importing contacts from phone, Please wait ...");
inline const QString kNoContacts = QStringLiteral("No Contacts to load.");
inline const QString kSelectDeviceForPhonebook = QStringLiteral("Pleas select a valid device.");

// The modem-layer failure as the device windows show it: the connection error with its text, or the first
// sentence alone when the text is empty (the system had no error to report).
QString DeviceErrorMessage(const QString& errorText);

} // namespace DeviceMessages
