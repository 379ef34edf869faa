#pragma once

#include "app/DataPaths.h"
#include "app/UserSettings.h"
#include "exclusion/OptOutSettings.h"
#include "composer/ContactTextImport.h"
#include "composer/ContactWorkbookImport.h"
#include "composer/ListEditController.h"
#include "composer/MessageComposer.h"
#include "composer/RecipientList.h"
#include "devices/MainDeviceState.h"
#include "devices/PhonebookReader.h"
#include "devices/PortInfo.h"
#include "excel_import/ExcelInfoController.h"
#include "journal/JournalTypes.h"
#include "exclusion/ExclusionSet.h"
#include "exclusion/ExclusionStore.h"
#include "exclusion/LoadExclusionSet.h"
#include "modem/ModemTiming.h"
#include "records/ExportResult.h"
#include "records/SentItemsStore.h"
#include "records/SpreadsheetExport.h"
#include "devices/DeviceCollection.h"
#include "sending/ModemSlots.h"
#include "sending/QuotaState.h"
#include "sending/SendCommand.h"
#include "sending/SendOptionsModel.h"
#include "sending/SendState.h"
#include "templates/TemplateCache.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class ComposerTextQuestion;
class FileOpener;
class JobStore;
class Prompter;
class SqliteJobStore;

// One user's working state and every command of the main window, without a window: the Recipient list, the
// composer, the data files' stores, the selected devices with the 32 modem slots, the sending options and
// quota settings, and the state of its send runs. The desktop program's main window and each bulksms-cli
// command are callers of these operations; questions and notices go through the Prompter. Nothing here is
// process-wide, so two sessions (two data folders, two runs) can live side by side in one process.
//
// Commands are called from the caller's thread; the ones marked "worker work" touch only the thread-safe
// list, stores and devices, and may run on a pool thread while the caller keeps its window responsive.
class Session {
public:
    struct Options {
        DataPaths paths;                                  // the application folder with its BULK_SMS_DATA
        ModemTiming timing = ModemTiming::Fast();         // every modem dialogue of the session
        ComposerTextQuestion* composerQuestion = nullptr; // Send's changed-text question; null: asked through
                                                          // the Prompter with its default answer
    };

    Session(Prompter& prompter, Options options);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // ---- What the session owns ----
    Prompter& UserPrompter() const { return m_prompter; }
    const DataPaths& Paths() const { return m_options.paths; }
    const ModemTiming& Timing() const { return m_options.timing; }
    void SetTiming(const ModemTiming& timing);
    RecipientList& List() { return m_list; }
    MessageComposer& Composer() { return m_composer; }
    MainDeviceState& Devices() { return m_devices; }
    SendOptionsModel& SendOptions() { return m_sendOptions; }
    QuotaState& Quota() { return m_quota; }
    SendState& RunState() { return m_runState; }
    const ExclusionSet& Exclusion() const { return m_exclusion; }
    ExclusionStore& ExclusionFiles() { return *m_exclusionStore; }
    SentItemsStore& SentItems() { return *m_sentItems; }
    TemplateCache& Templates() { return *m_templates; }
    ListEditController& ListEdit() { return *m_listEdit; }
    UserSettings& Settings() { return *m_settings; }
    // The opt-out keywords and the exclusion list their senders go on (used by runs with delivery reports and
    // by the inbox). SetOptOuts refuses, through the Prompter, settings without a keyword or a usable list
    // name, and keeps nothing then.
    OptOutSettings OptOuts() const;
    bool SetOptOuts(const OptOutSettings& settings);
    // What the device windows hand the devices they open to, so reports and messages are collected meanwhile.
    DeviceCollection& DeviceWindowCollection() { return *m_deviceCollection; }

    // ---- Choices kept across starts (the desktop program; commands take theirs from their options) ----
    // "Wait fixed pauses between commands (older devices)": the standard timing instead of waiting on replies.
    void SetFixedPauses(bool on);
    bool FixedPauses() const { return !m_options.timing.waitForReplies; }
    // The default country numbers are compared for (an ISO 3166 code such as "GB"; empty: compared as texts).
    // The list's duplicate index and the exclusion set follow at once (worker work over a large list).
    void SetCountry(const QString& country);
    QString Country() const { return m_list.Comparison().Country(); }
    // The options, the timing choice and the country as the settings file last held them; the country from
    // the system's locale the first time.
    void RestoreChoices();
    // Writes them.
    void RememberChoices();
    // A command's default country: the given code (remembered for the next command and start), else the one
    // last remembered, else the system locale's. False for a code without a numbering plan.
    [[nodiscard]] bool ChooseCountry(const std::optional<QString>& given);
    // The numbers an import took that are impossible for the default country; with some, the question whether
    // to keep them (Yes) or drop them from the list (No). A command that decided beforehand gives `drop`: the
    // numbers are then listed in a notice and kept or dropped without a question. Returns how many were dropped.
    qsizetype ReviewImpossibleNumbers(const QStringList& impossible, std::optional<bool> drop = std::nullopt);
    // The list's numbers that are impossible for the default country (none without a country), in list order.
    QStringList ImpossibleNumbersInList() const;

    // The sent-items records of one recipient, compared as the duplicate test compares (by international form
    // under a default country), in log order. False with the error when the log cannot be read.
    [[nodiscard]] bool FindSentItems(const QString& number, QList<SentItemRecord>* found,
                                     FileError* error = nullptr) const;

    // The number check as the options stand: "Skip Duplicate Numbers", "Use Exclusion Rules" and the set.
    NumberCheckOptions CheckOptions() const;

    // What a command did: done, or stopped by a refusal or an answer; focus is the field a refusal moves the
    // focus to (None for none).
    struct Outcome {
        bool done = false;
        SendFocus focus = SendFocus::None;
    };

    // ---- Rows ----
    // "Add" (and Enter in the number field): the typed number through the number check into row 0 with the
    // composer text. A refusal is shown; done when the row was added (the caller empties its number field).
    // The focus goes back to the number field either way.
    Outcome AddNumber(const QString& numberField);
    // The first steps of every command that fills the list from a source: the typed-but-not-added check, then
    // the clear-or-append question over a non-empty list (Yes empties it). Not done: the command stops there.
    Outcome PrepareListFill(const QString& numberField);
    // "Clear All": refused over an empty list; the question, then every row removed.
    Outcome ClearAll();
    // "Clear Selected": refused over an empty list or without a selection; done when RemoveRows may run.
    Outcome MayClearSelected(const std::vector<qsizetype>& rows);
    // Worker work of "Clear Selected".
    void RemoveRows(const std::vector<qsizetype>& rows);
    // "Clear all fields after sending SMS" at the end of a run: the list and the composer are emptied.
    void ClearFieldsAfterSend();

    // ---- Load Contacts From File ----
    enum class ContactFile { None, Refused, Text, Workbook };
    // Which import a chosen path takes: None for no path; Refused (its notice shown) for a path that is no
    // regular file or has another extension than .txt, .xls and .xlsx.
    ContactFile ClassifyContactFile(const QString& path);
    // Worker work: a text file's numbers into the list.
    ContactTextImport::Outcome ImportContactText(const QString& path);
    // The import's notices, then the review of its impossible numbers (`dropImpossible` as in
    // ReviewImpossibleNumbers).
    void ReportContactText(const ContactTextImport::Outcome& outcome,
                           std::optional<bool> dropImpossible = std::nullopt);
    // Worker work: a workbook's sheet names for the picker.
    static ReaderStatus ReadSheetNames(const QString& path, QStringList* names);
    void ReportReaderFailure(const ReaderStatus& status);
    // Worker work: the columns chosen in the picker into the list.
    ContactWorkbookImport::Outcome ImportContactWorkbook(const QString& path,
                                                         const ExcelInfoController::Choice& choice);
    void ReportContactWorkbook(const ContactWorkbookImport::Outcome& outcome,
                               std::optional<bool> dropImpossible = std::nullopt);

    // ---- Export of the list ----
    // Refused (focus to the number field) over an empty list.
    Outcome MayExportList();
    // Worker work: the rows to a workbook, with the split question for large .xls files.
    ExportResult ExportList(const QString& path, SpreadsheetExport::Format format);

    // ---- Sent items ----
    // "Send selected items to SMS Composer", after the clear-or-append question (PrepareListFill with no typed
    // number): worker work putting each entry through the number check, in order, into rows 0, 1, 2 ... with
    // its own message. The number of rows added.
    qsizetype AddSentItems(const QList<SentItemRecord>& items);

    // ---- "Load Phone Book" ----
    // The port of the device in a slot; a notice and nothing when there is none.
    std::optional<QString> PhonebookPort(int slot);
    // Worker work: the device's contacts.
    PhonebookRead ReadPhonebook(const QString& port) const;
    // The contacts to the top of the list in the device's order, through the number check; the device's
    // error or "no contacts" shown.
    void AddPhonebook(const PhonebookRead& read);

    // ---- Devices ----
    // What the main window shows of the selected devices.
    struct DeviceView {
        QStringList entries;     // the device drop-down: one entry per device, then "All Device" for two or more
        int selected = -1;       // the entry a run uses unless the user picks another: "All Device" when present
        QString text;            // beside "Selected Mobile Device :": the one entry, or "(%d) Mobile Phone Device
                                 // selected."; empty with no device
        bool linkVisible = true; // the wizard link, shown while no device is selected
    };
    DeviceView DeviceDisplay() const;
    // Forgets the selected devices (the wizard's Next).
    void ForgetDevices();
    // Remembers the selected devices by IMEI, for the next wizard to select them again.
    void RememberChosenDevices();
    // Whether the entry's device sends in text mode (the composer's SMS count depends on it).
    bool IsTextModeEntry(const QString& entry) const;

    // ---- Options ----
    // "Use Exclusion Rules" turned on (or at Send): worker work reads the applied lists ...
    ExclusionSetLoad ReadExclusionSet() const;
    // ... and the set takes their numbers; a file error is shown.
    void UseExclusionSet(ExclusionSetLoad load);
    // "Click here Quota Management": refused over an empty list.
    bool MayOpenQuota();

    // ---- Send, Reset, Exit, Help ----
    SendCommand::CheckResult CheckSend(const SendCommand::WindowState& window);
    SendCommand::RunOutcome RunSend(SendCommand::Plan plan, const SendCommand::OpenRun& open);
    bool IsSendRunning() const { return m_sendCommand->IsSendRunning() || m_runState.windowOpen.load() == 1; }
    SendCommand::ResetResult Reset(bool listWorkerRunning);
    // ---- Interrupted runs ----
    // The run journal in the data folder, opened on first use. Null when it could not be opened: the reason was
    // told (a file that was no journal is set aside with a notice, and a new one started).
    JobStore* Journal();
    // Runs that were interrupted (the program, the machine or its power died), newest first. False when the
    // journal could not be read (told).
    [[nodiscard]] bool InterruptedRuns(std::vector<JournalRunSummary>* runs);
    struct ResumeChoices {
        qint64 runId = 0;  // 0: the newest interrupted run
        bool ask = true;   // ask whether to resume (with the run's counts)
        // Whether rows that may have been sent are sent again; unset: asked (default No).
        std::optional<bool> resendUnconfirmed;
        // How long a device that fails during the resumed run is waited for; unset: as the run was started.
        std::optional<int> reconnectWaitSeconds;
        // Set: the run's devices are looked for (by IMEI) by a scan of these ports, after the questions;
        // unset: among the devices already selected.
        std::function<std::vector<PortInfo>()> scanPorts;
    };
    enum class ResumeOutcome {
        NoRun,    // no interrupted run (told)
        Declined, // the user answered No
        Refused,  // the journal, the run or its devices did not allow it (told)
        Started,  // the run was resumed (open was called)
    };
    // Resumes an interrupted run with its rows, texts and settings over the selected devices that belong to it
    // (found by IMEI, whatever their ports are called now). Rows confirmed sent are not sent again; rows that
    // may have been sent are "Unconfirmed: may have been sent." unless the user agrees to send them again.
    ResumeOutcome ResumeRun(const ResumeChoices& choices, const SendCommand::OpenRun& open);
    // At the program's start: the newest interrupted run, if there is one, is offered as ResumeRun offers it,
    // its devices found by a scan of the ports. Nothing is said when there is none.
    ResumeOutcome OfferResumeAtStart(std::function<std::vector<PortInfo>()> ports, const SendCommand::OpenRun& open);
    static QString ResumeQuestion(const JournalRunSummary& run);
    // The settings a run is recorded with besides its options (composer choices, timing, country, quotas).
    QByteArray RunSettingsBlob(const ::SendOptions& options) const;
    // Takes over the settings a recorded run was made with (a resume, a shared job); false when the blob is no
    // such record.
    [[nodiscard]] bool ApplyRunSettings(const QByteArray& blob, ::SendOptions* options);
    // Sends the given rows (not the list's) with the options over the selected devices: open gets the run's
    // context, with resume set to continue that journal run. False when no run could be planned.
    bool RunRows(const ::SendOptions& options, std::shared_ptr<const std::vector<JournalRowText>> rows,
                 std::shared_ptr<const ResumePlan> resume, const SendCommand::OpenRun& open);
    static QString ResendQuestion(int unconfirmed);
    static inline const QString kNoInterruptedRun = QStringLiteral("There is no interrupted run to resume.");
    static inline const QString kNoRunDevice =
        QStringLiteral("None of the selected devices took part in the interrupted run (devices are known by IMEI).");

    // "Exit": true when the user agreed.
    bool ConfirmExit();
    // "Help": opens the user guide found beside the program (UserGuide) with the desktop's browser; a missing
    // guide or browser is told.
    bool Help(FileOpener& opener) const;

    static inline const QString kListEmpty = QStringLiteral("Phone numbers-Messages list is empty.");
    static inline const QString kClearAllQuestion =
        QStringLiteral("This option will clear the entire list contents. Are you sure you want to continue clearing "
                       "the entire list?");
    static inline const QString kExitQuestion = QStringLiteral("Do you want to exit from VRIX Bulk SMS Software?");
    static const QString kListFillQuestion;
    static inline const QString kInvalidFile = QStringLiteral("Please select a valid file.");
    static inline const QString kSelectedDevices = QStringLiteral("(%1) Mobile Phone Device selected.");
    // The question after an import that took numbers impossible for the default country.
    static QString ImpossibleNumbersQuestion(const QStringList& impossible, const QString& country);

private:
    Outcome Refuse(const QString& message, SendFocus focus);
    // Scans the ports and selects the devices found there whose IMEI is one of the run's.
    void SelectRunDevices(const QSet<QString>& imeis, const std::function<std::vector<PortInfo>()>& ports);

    Prompter& m_prompter;
    Options m_options;
    RecipientList m_list;
    MessageComposer m_composer;
    MainDeviceState m_devices;
    ModemSlots m_slots;
    SendOptionsModel m_sendOptions;
    QuotaState m_quota;
    SendState m_runState;
    ExclusionSet m_exclusion;
    std::unique_ptr<UserSettings> m_settings;
    std::unique_ptr<ExclusionStore> m_exclusionStore;
    std::unique_ptr<SentItemsStore> m_sentItems;
    std::unique_ptr<TemplateCache> m_templates;
    std::unique_ptr<ListEditController> m_listEdit;
    std::unique_ptr<ComposerTextQuestion> m_ownComposerQuestion;
    std::unique_ptr<SendCommand> m_sendCommand;
    std::mutex m_journalMutex; // guards the journal's first opening
    std::unique_ptr<SqliteJobStore> m_journal;
    bool m_journalOpen = false;
    std::unique_ptr<DeviceCollection> m_deviceCollection;
};
