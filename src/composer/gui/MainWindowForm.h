#pragma once

#include "composer/ListEditController.h"
#include "sending/SendCommand.h"
#include "session/Session.h"

#include <QString>

#include <functional>
#include <vector>

class ComposerEdit;
class QAbstractItemModel;
class NumberEdit;
class QCheckBox;
class QSpinBox;
class QComboBox;
class QDialog;
class QLabel;
class QPushButton;
class QTableView;
class SendOptionsModel;

// The main window's controls and their layout, apart from what the commands do with them (the window class
// CVRIX_Bulk_SMSDlg). Buttons are found by their caption (Button()); the option controls mirror the session's
// SendOptionsModel both ways.
struct MainWindowForm {
    static inline const QString kNoDevice = QStringLiteral("No Mobile Phone Device is selected.");
    static inline const QString kNoCountry = QStringLiteral("(none: compare numbers as written)");
    static inline const QString kWizardLink =
        QStringLiteral("No Mobile Phone Device is selected. Click here to start Mobile Phone Connection Wizard.");

    // Builds every control into window, which takes ownership.
    void Build(QDialog* window);
    QPushButton* Button(const QString& caption) const;

    // The option check boxes and drop-downs as the model holds them (after a toggle or Reset), without
    // signals.
    void ShowOptions(const SendOptionsModel& options);
    // The session's choices that are no sending options: the timing and the default country.
    void ShowChoices(bool fixedPausesOn, const QString& countryCode);
    // The Recipient list's model into the list view, its number column wide enough for any number.
    void SetListModel(QAbstractItemModel* model) const;
    // `changed` runs after any option control changed (after the model took the change).
    void OnOptionChanged(const std::function<void()>& changed) const;

    // The device text (a link to the details), the wizard link and the device drop-down, keeping the user's
    // pick of a device when it is still there.
    void ShowDevices(const Session::DeviceView& view);
    // The rows selected in the list, ascending, by ranges (Ctrl+A over a million rows is one range).
    std::vector<qsizetype> SelectedRows() const;
    // The field a refusal sends the focus to.
    void Focus(SendFocus focus) const;
    void Focus(ListEditFocus focus) const;

    // Every option control's change goes to the model; the two check boxes that enable drop-downs, and
    // "Use Exclusion Rules", are connected by the window itself.
    void ConnectOptions(SendOptionsModel& options);

    QDialog* window = nullptr;
    QLabel* deviceCaption = nullptr;
    QLabel* deviceText = nullptr;
    QLabel* wizardLink = nullptr;
    QComboBox* deviceCombo = nullptr;
    NumberEdit* number = nullptr;
    QTableView* listView = nullptr;
    QLabel* countLabel = nullptr;
    ComposerEdit* composer = nullptr;
    QLabel* counterLabel = nullptr;
    QLabel* smsCountLabel = nullptr;
    QLabel* gsmWarning = nullptr;
    QComboBox* messageType = nullptr;
    QCheckBox* unicode = nullptr;
    QCheckBox* delayed = nullptr;
    QComboBox* pauseEvery = nullptr;
    QComboBox* pauseFor = nullptr;
    QCheckBox* retry = nullptr;
    QComboBox* retryCount = nullptr;
    QCheckBox* retryAllErrors = nullptr; // "Retry every failed message", enabled with the retry drop-down
    QCheckBox* skipDuplicates = nullptr;
    QCheckBox* useExclusion = nullptr;
    QCheckBox* saveSentItems = nullptr;
    QCheckBox* deliveryReports = nullptr;
    QSpinBox* reconnectWait = nullptr; // seconds a device unplugged during a run is waited for
    QCheckBox* saveTemplates = nullptr;
    QLabel* quotaLink = nullptr;
    QCheckBox* fixedPauses = nullptr;       // "Wait fixed pauses between commands (older devices)"
    QComboBox* country = nullptr;           // the default country; item data is its code, "" for none
    QCheckBox* sendInternational = nullptr; // "Send numbers in international format"
    // Shown while quotas are in use (the quota window turns it on); clearing it turns quota management off.
    QCheckBox* quota = nullptr;
    // Not shown: their start state is all the user ever gets.
    QCheckBox* clearAfterSend = nullptr;
    QCheckBox* nonOverlapped = nullptr;
};
