#pragma once

#include "sending/DeliverySetup.h"

#include "sending/DevicePreparation.h"
#include "sending/SendOptions.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class ComposerTextQuestion;
class JobStore;
struct JournalRowText;
struct ResumePlan;
class ExclusionSet;
class ExclusionStore;
class MainDeviceState;
class MessageComposer;
class ModemSlots;
class Prompter;
class QuotaState;
class RecipientList;
class SendOptionsModel;
class SentItemsStore;
class TemplateCache;
struct SendContext;
struct SendState;

// The control a refusal of the main window moves the focus to.
enum class SendFocus {
    None,
    NumberField, // the number field
    PauseEvery,  // the "Pause every" drop-down
    PauseFor,    // the "for" duration drop-down
};

// The Send command and its Reset, over the session's models (the main window and `bulksms-cli send` reach
// them through the Session). Send is two calls: Check makes the checks in their fixed order with every refusal
// and question, reloads the exclusion set and the template cache and closes the ports left open (on the
// caller's thread); Run prepares the devices and hands a ready run context to the caller, which opens the
// progress window (on a send worker thread in the window; any thread in a test or the command line). The
// window only shows what the results say.
class SendCommand {
public:
    static inline const QString& kNoDevice = DevicePreparation::kNoDevice;
    static inline const QString kInsertNumber = QStringLiteral("Please insert entered number to the list.");
    static inline const QString kListEmpty = QStringLiteral("Phone numbers-Messages list is empty.");
    static inline const QString kInvalidNumber = QStringLiteral("Please enter a valid phone number.");
    static inline const QString kNoPauseValues =
        QStringLiteral("No values have been selected in 'Delayed Delivery Options'.");
    static const QString kBlankMessages;
    static inline const QString kResetQuestion = QStringLiteral("Are you sure you want to continue to reset?");

    // The window's models and stores; every pointer but the optional ones must be set and outlive the
    // command (and any run it prepared).
    struct Models {
        RecipientList* list = nullptr;
        MessageComposer* composer = nullptr;
        SendOptionsModel* options = nullptr;
        const MainDeviceState* devices = nullptr;
        ExclusionSet* exclusion = nullptr;              // rebuilt at Send with "Use Exclusion Rules"
        const ExclusionStore* exclusionStore = nullptr; // optional: no store, no rebuild
        TemplateCache* templates = nullptr;             // optional: reloaded with "Save sent message to Templates"
        const SentItemsStore* sentItems = nullptr;      // optional: where a run logs with "Save Sent Items"
        ModemSlots* slots = nullptr;
        SendState* state = nullptr; // the session's run state
        QuotaState* quota = nullptr;
        Prompter* prompter = nullptr;
        ComposerTextQuestion* composerQuestion = nullptr;
        // The run journal, opened on first use; null from it: it could not be opened (the user was told) and
        // no run starts. Unset: runs are not recorded.
        std::function<JobStore*()> journal;
        // The settings a run's journal keeps besides its options (see RunSettings).
        std::function<QByteArray(const SendOptions&)> runSettings;
        // Where a run with "Request delivery reports" keeps received messages and opt-outs (unset: nowhere).
        std::function<DeliverySetup()> delivery;
    };

    // What the window reads from its own controls when Send is pressed.
    struct WindowState {
        QString numberField;   // the number field's text
        QString deviceText;    // the text beside "Selected Mobile Device :" (empty: none)
        QString selectedEntry; // the device drop-down's selection (empty: none)
        bool listWorkerRunning = false;
    };

    enum class Outcome {
        Ignored,   // busy: nothing was done
        Refused,   // a refusal was shown (message); the focus goes to `focus`
        Cancelled, // a question was answered No or Cancel
        Ready,     // checks passed: pass the plan to Run
    };

    // A send that passed the checks. Holds the send-running state until it is destroyed, so that a second
    // Send is ignored from Check until the run started by Run has ended (or the plan is dropped).
    class Plan {
    public:
        Plan() = default;
        const QString& SelectedEntry() const { return m_selectedEntry; }
        const SendOptions& Options() const { return m_options; }
        bool IsValid() const { return m_running != nullptr; }

    private:
        friend class SendCommand;
        class Running {
        public:
            explicit Running(std::atomic<bool>& flag) : m_flag(flag) { m_flag.store(true); }
            ~Running() { m_flag.store(false); }
            Running(const Running&) = delete;
            Running& operator=(const Running&) = delete;

        private:
            std::atomic<bool>& m_flag;
        };
        QString m_selectedEntry;
        SendOptions m_options;
        std::unique_ptr<Running> m_running;
        // A resumed run: its rows and where it stands (the Recipient list is not used).
        std::shared_ptr<const std::vector<JournalRowText>> m_rows;
        std::shared_ptr<const ResumePlan> m_resume;
    };

    struct CheckResult {
        Outcome outcome = Outcome::Ignored;
        QString message; // the refusal shown, for Refused
        SendFocus focus = SendFocus::None;
        Plan plan; // for Ready
    };

    enum class RunOutcome {
        NotStarted,        // the preparation ended with a message (or the plan was not valid)
        Finished,          // the progress window was opened and has closed: bring the main window to the front
        WindowAlreadyOpen, // devices were ready but a progress window is open already
    };
    // Opens the progress window for a prepared run and returns when it has closed. The context has every
    // field set except observer (and clock), which the caller adds.
    using OpenRun = std::function<void(SendContext context)>;

    struct ResetResult {
        bool done = false;                 // false: busy, or the question answered No
        SendFocus focus = SendFocus::None; // NumberField after a reset
        QString countText;                 // "Total Numbers : 0"
        QString counterText;               // "0 Characters"
        // After a reset the number field is emptied, and it and the composer are enabled; a please-wait box
        // may cover the work.
    };

    explicit SendCommand(Models models);
    SendCommand(const SendCommand&) = delete;
    SendCommand& operator=(const SendCommand&) = delete;

    // Steps 1 to 11 of Send.
    [[nodiscard]] CheckResult Check(const WindowState& window);
    // Step 12: resets the progress counter, prepares the devices (Auto or Manual by the quota check box) and,
    // unless a progress window is open, calls open with the run's context. Runs on the caller's thread. open
    // returns once the run is over and its threads have ended; the run's ports are then closed.
    RunOutcome Run(Plan plan, const OpenRun& open);
    // A resumed run's plan (no checks: the run passed them when it started). Not valid while a send runs.
    [[nodiscard]] Plan PlanResume(const QString& selectedEntry, const SendOptions& options,
                                  std::shared_ptr<const std::vector<JournalRowText>> rows,
                                  std::shared_ptr<const ResumePlan> resume);
    // Check then Run on one thread (the command line). Outcome of Check; runOutcome is set when Ready.
    CheckResult Send(const WindowState& window, const OpenRun& open, RunOutcome* runOutcome = nullptr);

    // True from a Ready check until its plan is gone (the send worker's life).
    bool IsSendRunning() const { return m_sendRunning.load(); }

    // Reset of the main window (not the selected devices).
    ResetResult Reset(bool listWorkerRunning);

    DevicePreparation& Preparation() { return m_preparation; }

private:
    CheckResult Refuse(const QString& message, SendFocus focus);

    Models m_models;
    DevicePreparation m_preparation;
    std::atomic<bool> m_sendRunning{false};
};
