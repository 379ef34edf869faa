#pragma once

#include "composer/MessageComposer.h"
#include "composer/RecipientList.h"
#include "devices/MainDeviceState.h"
#include "excel_import/ExcelInfoController.h"
#include "exclusion/ExclusionSet.h"
#include "modem/ModemTiming.h"
#include "sending/ModemSlots.h"
#include "sending/QuotaState.h"
#include "sending/SendCommand.h"
#include "sending/SendOptionsModel.h"

#include <QDialog>

#include <atomic>
#include <functional>
#include <memory>

class ComposerTextQuestion;
class ExclusionStore;
class FileOpener;
class ListEditController;
class SentItemsStore;
class TemplateCache;

class CDemo_Modem_Msgs;
class CPlease_Wail_Modeless;
class CSMS_Sending;
class ComposerEdit;
class DemoModems;
class NumberEdit;
class Prompter;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
class QTimer;
class RecipientTableModel;
struct SendContext;

// The main window: the Recipient list, the composer, the sending options and the selected devices, and
// every command that opens another window. It owns the objects the other windows and the engine read for
// the program's whole run. A view: the list, the composer and the devices are core objects, questions go
// through the Prompter, and long list work runs on pool threads behind the please-wait box.
class CVRIX_Bulk_SMSDlg final : public QDialog {
    Q_OBJECT
public:
    struct Options {
        ModemTiming timing = ModemTiming::Standard();
        // Real milliseconds per engine millisecond of a run's pauses and finishing waits (tests shorten it).
        double clockScale = 1.0;
        // Exit after the user agreed; the program's shutdown (ends the process) unless a test replaces it.
        std::function<void()> shutdown;
        // The composer text question of Send; null: the window CSend_Msg_Info.
        ComposerTextQuestion* composerQuestion = nullptr;
    };

    CVRIX_Bulk_SMSDlg(Prompter& prompter, DemoModems& demos, Options options, QWidget* parent = nullptr);
    ~CVRIX_Bulk_SMSDlg() override;

    // The owned state, for the windows opened from here and for tests.
    RecipientList& List() { return m_list; }
    MessageComposer& Composer() { return m_composer; }
    MainDeviceState& Devices() { return m_devices; }
    ModemSlots& Slots() { return m_slots; }
    RecipientTableModel& ListModel() { return *m_listModel; }
    // The logic of the list editing windows, over List().
    ListEditController& ListEdit() { return *m_listEdit; }
    DemoModems& Demos() { return m_demos; }
    bool IsListBusy() const { return m_listBusy; }
    bool IsSending() const { return m_sending != nullptr || m_sendWorkers.load() > 0; }
    SendOptionsModel& SendOptions() { return m_sendOptions; }
    QuotaState& Quota() { return m_quotaState; }
    // The progress window while a send runs (else null).
    CSMS_Sending* SendingWindow() const { return m_sending; }
    CDemo_Modem_Msgs* DemoMessagesWindow() const { return m_demoMessages; }

    // Controls, for tests and the screenshot tool.
    NumberEdit* NumberField() const { return m_number; }
    ComposerEdit* ComposerField() const { return m_composerEdit; }
    QTableView* ListView() const { return m_listView; }
    QLabel* CountLabel() const { return m_countLabel; }
    QLabel* CounterLabel() const { return m_counterLabel; }
    QLabel* SmsCountLabel() const { return m_smsCountLabel; }
    QLabel* GsmWarningLabel() const { return m_gsmWarning; }
    QLabel* DeviceTextLabel() const { return m_deviceText; }
    QComboBox* DeviceCombo() const { return m_deviceCombo; }
    QComboBox* MessageTypeCombo() const { return m_messageType; }
    QComboBox* PauseEveryCombo() const { return m_pauseEvery; }
    QComboBox* PauseForCombo() const { return m_pauseFor; }
    QComboBox* RetryCombo() const { return m_retryCount; }
    QCheckBox* DelayedCheck() const { return m_delayed; }
    QCheckBox* RetryCheck() const { return m_retry; }
    QCheckBox* UnicodeCheck() const { return m_unicode; }
    QCheckBox* SkipDuplicatesCheck() const { return m_skipDuplicates; }
    QCheckBox* UseExclusionCheck() const { return m_useExclusion; }
    QCheckBox* SaveSentItemsCheck() const { return m_saveSentItems; }
    QCheckBox* SaveTemplatesCheck() const { return m_saveTemplates; }
    QCheckBox* ClearAfterSendCheck() const { return m_clearAfterSend; }
    QPushButton* Button(const QString& caption) const;

    // Refreshes the device text, the link and the device drop-down from the selected devices.
    void RefreshDevices();
    // Brings the list view and "Total Numbers : %d" to the Recipient list as it is now (after rows were added
    // through List() directly).
    void RefreshList();

    static inline const QString kNoDevice = QStringLiteral("No Mobile Phone Device is selected.");
    static inline const QString kWizardLink =
        QStringLiteral("No Mobile Phone Device is selected. Click here to start Mobile Phone Connection Wizard.");
    static inline const QString kNotAvailable = QStringLiteral("This window is not available yet.");

public Q_SLOTS:
    void OnAdd();
    void OnClearSelected();
    void OnClearAll();
    void OnReset();
    void OnExit();
    void OnSend();
    void OnConnectionWizard();
    void OnDeviceDetails();
    // "Load Phone Book" (reached from the device details window): the contacts of the device in slot.
    void OnLoadPhonebook(int slot);
    void OnLoadContacts();
    // The import of "Load Contacts From File" once the file is chosen.
    void OnLoadContactsFrom(const QString& path);
    // "Click here Quota Management".
    void OnQuota();
    // "Export" of the list, and its work once the file is chosen (format as SpreadsheetExport::Format).
    void OnExportList();
    void ExportListTo(const QString& path, int format);
    // The steps every list-filling command takes first; false when the command stops there.
    bool PrepareListFill();
    // The list editing windows: "Add or Paste numbers Manually", "Apply this message to list items",
    // "Update Selected Messages", and double-click or Enter on a row. Each opens its window (window-modal)
    // and takes the result when it closes.
    void OnManualAdd();
    void OnApplyMessage();
    void OnUpdateSelected();
    void OnUpdateRow();
    void OnAbout();
    void OnHelp();

Q_SIGNALS:
    // A list worker ended (tests wait on it).
    void ListWorkFinished();
    void ListExported(bool ok);
    // A send ended and its progress window closed.
    void SendFinished();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    void reject() override; // Esc does not close the window

private:
    void BuildUi();
    void ConnectUi();
    void OnComposerChanged();
    void RefreshSizeInfo();
    void OnDelayedToggled(bool on);
    void OnRetryToggled(bool on);
    void OnUseExclusionToggled(bool on);
    void RefreshCount();
    NumberCheckOptions CheckOptions() const;
    void BeginListWork(const QString& waitText);
    void EndListWork();
    void NotAvailable();
    // After "Add or Paste numbers Manually" closed with OK: the numbers inserted on a list worker.
    void AddManualNumbers(const QString& text, qsizetype countBefore);
    // "Load Contacts From File" for a workbook: its sheet names on a list worker, then the sheet and column
    // picker (window-modal; the list stays busy), then the chosen columns imported on a list worker.
    void LoadContactsFromWorkbook(const QString& path);
    void ImportWorkbookContacts(const QString& path, const ExcelInfoController::Choice& choice);
    // On the send worker: opens the progress window on the UI thread and waits until it has closed.
    void OpenRunAndWait(SendContext context);
    void OpenSendingWindow(SendContext context, std::function<void()> closed);
    void ClearFieldsAfterSend();
    // The option controls from the options model (after a toggle or Reset).
    void SyncOptionControls();
    void FocusOn(SendFocus focus);

    Prompter& m_prompter;
    DemoModems& m_demos;
    Options m_options;

    RecipientList m_list;
    MessageComposer m_composer;
    MainDeviceState m_devices;
    ModemSlots m_slots;
    ExclusionSet m_exclusion;
    SendOptionsModel m_sendOptions;
    QuotaState m_quotaState;
    std::unique_ptr<ExclusionStore> m_exclusionStore;
    std::unique_ptr<SentItemsStore> m_sentItems;
    std::unique_ptr<TemplateCache> m_templates;
    std::unique_ptr<ComposerTextQuestion> m_ownComposerQuestion;
    std::unique_ptr<SendCommand> m_sendCommand;
    std::unique_ptr<FileOpener> m_opener;
    std::unique_ptr<ListEditController> m_listEdit;
    std::atomic<int> m_sendWorkers{0};
    QString m_deviceTextPlain;
    bool m_listBusy = false;
    CSMS_Sending* m_sending = nullptr;

    RecipientTableModel* m_listModel = nullptr;
    CPlease_Wail_Modeless* m_pleaseWait = nullptr;
    CDemo_Modem_Msgs* m_demoMessages = nullptr;
    QTimer* m_listTimer = nullptr;

    NumberEdit* m_number = nullptr;
    ComposerEdit* m_composerEdit = nullptr;
    QTableView* m_listView = nullptr;
    QLabel* m_countLabel = nullptr;
    QLabel* m_counterLabel = nullptr;
    QLabel* m_smsCountLabel = nullptr;
    QLabel* m_gsmWarning = nullptr;
    QLabel* m_deviceCaption = nullptr;
    QLabel* m_deviceText = nullptr;
    QLabel* m_wizardLink = nullptr;
    QComboBox* m_deviceCombo = nullptr;
    QComboBox* m_messageType = nullptr;
    QComboBox* m_pauseEvery = nullptr;
    QComboBox* m_pauseFor = nullptr;
    QComboBox* m_retryCount = nullptr;
    QCheckBox* m_delayed = nullptr;
    QCheckBox* m_retry = nullptr;
    QCheckBox* m_unicode = nullptr;
    QCheckBox* m_skipDuplicates = nullptr;
    QCheckBox* m_useExclusion = nullptr;
    QCheckBox* m_saveSentItems = nullptr;
    QCheckBox* m_saveTemplates = nullptr;
    QCheckBox* m_clearAfterSend = nullptr;
    QCheckBox* m_nonOverlapped = nullptr;
    QCheckBox* m_quota = nullptr;
};
