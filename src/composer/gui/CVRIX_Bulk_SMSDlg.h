#pragma once

#include "composer/gui/MainWindowForm.h"
#include "excel_import/ExcelInfoController.h"
#include "modem/ModemTiming.h"
#include "session/Session.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>

class CDemo_Modem_Msgs;
class CSMS_Sending;
class ContactLoader;
class DeviceWindows;
class ImportWindows;
class ListEditWindows;
class SendLauncher;
class DemoModems;
class FileOpener;
class ListWork;
class Prompter;
class QPushButton;
class RecipientTableModel;

// The main window: a view over a Session, which holds the Recipient list, the composer, the sending options,
// the selected devices and every command. The window turns clicks into the session's commands, runs their
// long work on pool threads behind the please-wait box (ListWork), opens the other windows, and shows what
// the session's results say; it makes no decision of its own.
class CVRIX_Bulk_SMSDlg final : public QDialog {
    Q_OBJECT
public:
    struct Options {
        DataPaths paths; // the data folder; the program's own (DataPaths::Shared()) when not set
        // The modem timing; unset: the one the user chose ("Wait fixed pauses between commands"), remembered.
        std::optional<ModemTiming> timing;
        // Real milliseconds per engine millisecond of a run's pauses and finishing waits (tests shorten it).
        double clockScale = 1.0;
        // Exit after the user agreed; the program's shutdown (ends the process) unless a test replaces it.
        std::function<void()> shutdown;
        // The composer text question of Send; null: the window CSend_Msg_Info.
        ComposerTextQuestion* composerQuestion = nullptr;
        // Offer an interrupted run for a resume once the window is up.
        bool offerResume = true;
    };

    CVRIX_Bulk_SMSDlg(Prompter& prompter, DemoModems& demos, Options options, QWidget* parent = nullptr);
    ~CVRIX_Bulk_SMSDlg() override;

    Session& UserSession() { return *m_session; }
    // The session's state, for the windows opened from here and for tests.
    RecipientList& List() { return m_session->List(); }
    MessageComposer& Composer() { return m_session->Composer(); }
    MainDeviceState& Devices() { return m_session->Devices(); }
    SendOptionsModel& SendOptions() { return m_session->SendOptions(); }
    QuotaState& Quota() { return m_session->Quota(); }
    RecipientTableModel& ListModel() { return *m_listModel; }
    bool IsListBusy() const;
    bool IsSending() const;
    // The progress window while a send runs (else null).
    CSMS_Sending* SendingWindow() const;
    CDemo_Modem_Msgs* DemoMessagesWindow() const { return m_demoMessages; }
    const MainWindowForm& Form() const { return m_form; }
    QPushButton* Button(const QString& caption) const { return m_form.Button(caption); }

    // Refreshes the device text, the link and the device drop-down from the selected devices.
    void RefreshDevices();
    // Brings the list view and "Total Numbers : %d" to the Recipient list as it is now.
    void RefreshList();
    void RefreshCount();
    // Brings the option controls to the session's options (after the quota window, a toggle or Reset).
    void RefreshOptions();

    static inline const QString& kNoDevice = MainWindowForm::kNoDevice;
    static inline const QString& kWizardLink = MainWindowForm::kWizardLink;

public Q_SLOTS:
    void OnAdd();
    void OnClearSelected();
    void OnClearAll();
    void OnReset();
    void OnExit();
    void OnSend();
    // At start: an interrupted run is offered for a resume (questions through the prompter, from the session).
    void OfferResume();
    void OnConnectionWizard();
    void OnDeviceDetails();
    // "Load Phone Book" (reached from the device details window): the contacts of the device in slot.
    void OnLoadPhonebook(int slot);
    void OnLoadContacts();
    // The import of "Load Contacts From File" once the file is chosen.
    void OnLoadContactsFrom(const QString& path);
    // "Click here Quota Management".
    void OnQuota();
    // "Export" of the list, and its work once the file is chosen.
    void OnExportList();
    void ExportListTo(const QString& path, SpreadsheetExport::Format format);
    // The steps every list-filling command takes first; false when the command stops there.
    bool PrepareListFill();
    // The list editing windows: "Add or Paste numbers Manually", "Apply this message to list items",
    // "Update Selected Messages", and double-click or Enter on a row.
    void OnManualAdd();
    void OnApplyMessage();
    void OnUpdateSelected();
    void OnUpdateRow();

Q_SIGNALS:
    void ListExported(bool ok);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    void reject() override; // Esc does not close the window

private:
    void ConnectUi();
    void OnComposerChanged();
    void RefreshSizeInfo();
    void OnUseExclusionToggled(bool on);
    void OnCountryChanged();
    void ClearFieldsAfterSend();

    Prompter& m_prompter;
    DemoModems& m_demos;
    Options m_options;
    std::unique_ptr<ComposerTextQuestion> m_ownComposerQuestion;
    std::unique_ptr<Session> m_session;
    std::unique_ptr<FileOpener> m_opener;
    MainWindowForm m_form;
    RecipientTableModel* m_listModel = nullptr;
    ListWork* m_listWork = nullptr;
    ListEditWindows* m_listEditWindows = nullptr;
    DeviceWindows* m_deviceWindows = nullptr;
    ContactLoader* m_contactLoader = nullptr;
    ImportWindows* m_importWindows = nullptr;
    SendLauncher* m_sendLauncher = nullptr;
    CDemo_Modem_Msgs* m_demoMessages = nullptr;
};
