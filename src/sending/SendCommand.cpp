#include "sending/SendCommand.h"

#include "app/Prompter.h"
#include "composer/MessageComposer.h"
#include "composer/RecipientList.h"
#include "devices/MainDeviceState.h"
#include "exclusion/LoadExclusionSet.h"
#include "journal/JournalTypes.h"
#include "sending/ComposerTextQuestion.h"
#include "sending/ModemSlots.h"
#include "sending/RunJournal.h"
#include "sending/SendOptionsModel.h"
#include "sending/SendRun.h"
#include "sending/SendState.h"
#include "templates/TemplateCache.h"

#include <limits>
#include <utility>

const QString SendCommand::kBlankMessages = QStringLiteral(
    "You have composed no text message yet for any of the contacts in the entire list. This action will send "
    "blank message to all the contacts in list.\n\nAre you sure you want to continue?");

SendCommand::SendCommand(Models models)
    : m_models(models), m_preparation(*models.slots, *models.prompter, *models.devices, *models.quota) {}

SendCommand::CheckResult SendCommand::Refuse(const QString& message, SendFocus focus) {
    m_models.prompter->Notice(message);
    CheckResult result;
    result.outcome = Outcome::Refused;
    result.message = message;
    result.focus = focus;
    return result;
}

SendCommand::CheckResult SendCommand::Check(const WindowState& window) {
    RecipientList& list = *m_models.list;
    Prompter& prompter = *m_models.prompter;

    // 1. Busy: a list worker, a send worker or an open progress window.
    if (window.listWorkerRunning || m_sendRunning.load() || m_models.state->windowOpen.load() == 1)
        return {};

    // 2. The inputs (the retry count is 0 unless its check box is on).
    const QString composerText = m_models.composer->Text();
    const SendOptions options = m_models.options->Options();

    // 3. Devices.
    if (window.deviceText.isEmpty() || window.selectedEntry.isEmpty() || m_models.devices->DeviceEntries().isEmpty())
        return Refuse(kNoDevice, SendFocus::None);
    // 4. A number typed but not added.
    if (!window.numberField.isEmpty())
        return Refuse(kInsertNumber, SendFocus::NumberField);
    // 5. The list.
    if (list.IsEmpty())
        return Refuse(kListEmpty, SendFocus::NumberField);
    // 6. The first row's number (the number field is empty by now).
    if (list.Number(0).isEmpty())
        return Refuse(kInvalidNumber, SendFocus::NumberField);
    // 7. Delayed delivery needs both of its values; the pause-every drop-down is reported first.
    if (options.delayedDelivery && options.pauseEvery.isEmpty())
        return Refuse(kNoPauseValues, SendFocus::PauseEvery);
    if (options.delayedDelivery && options.pauseFor.isEmpty())
        return Refuse(kNoPauseValues, SendFocus::PauseFor);

    CheckResult cancelled;
    cancelled.outcome = Outcome::Cancelled;
    // 8. Nothing to send but blank messages.
    if (composerText.isEmpty() && list.AllMessagesBlank() && !prompter.Confirm(kBlankMessages))
        return cancelled;
    // 9. A composer text not yet applied. It is stored as applied before the question, so the same text does
    // not ask again, whatever the answer.
    if (!composerText.isEmpty() && composerText != list.AppliedMessage()) {
        list.SetAppliedMessage(composerText);
        const ComposerTextQuestion::Answer answer = m_models.composerQuestion->Ask();
        switch (answer.button) {
        case ComposerTextQuestion::Button::Yes:
            list.ApplyMessage(composerText, answer.scope == ComposerTextQuestion::Scope::BlankRowsOnly);
            break;
        case ComposerTextQuestion::Button::ContinueAnyway:
            break;
        case ComposerTextQuestion::Button::Cancel:
            return cancelled;
        }
    }

    // 10. The exclusion set and the template cache as the files hold them now.
    if (options.useExclusion && m_models.exclusionStore && m_models.exclusion) {
        ExclusionSetLoad load = LoadExclusionSet(*m_models.exclusionStore, m_models.list->Comparison());
        *m_models.exclusion = std::move(load.set);
        if (!load.status.Ok())
            prompter.Notice(load.status.Text());
    }
    if (options.saveTemplates && m_models.templates)
        (void)m_models.templates->Reload(); // an unreadable store leaves the cache empty; sending goes on

    // 11. Ports left open by an earlier run. Every slot, so that a port a run used beyond today's device
    // count cannot stay held.
    m_models.slots->CloseAll();

    CheckResult ready;
    ready.outcome = Outcome::Ready;
    ready.plan.m_selectedEntry = window.selectedEntry;
    ready.plan.m_options = options;
    ready.plan.m_running = std::make_unique<Plan::Running>(m_sendRunning);
    return ready;
}

SendCommand::RunOutcome SendCommand::Run(Plan plan, const OpenRun& open) {
    if (!plan.IsValid())
        return RunOutcome::NotStarted;
    SendState& state = *m_models.state;
    state.processedCount.store(0);
    const DevicePreparation::Result prepared =
        m_preparation.Prepare(plan.SelectedEntry(), plan.Options().quotaManagement);
    if (!prepared.ready)
        return RunOutcome::NotStarted;
    if (state.windowOpen.load() == 1)
        return RunOutcome::WindowAlreadyOpen;

    SendContext context;
    RecipientList* list = m_models.list;
    if (plan.m_rows) {
        std::shared_ptr<const std::vector<JournalRowText>> rows = plan.m_rows;
        context.rowCount = [rows] { return static_cast<int>(rows->size()); };
        context.rowAt = [rows](int row) {
            const JournalRowText& r = rows->at(static_cast<size_t>(row));
            return std::make_pair(r.number, r.message);
        };
        context.resume = plan.m_resume;
    } else {
        // The run reads the rows from the list itself, not from a copy.
        context.rowCount = [list] {
            return static_cast<int>(std::min<qsizetype>(list->Count(), std::numeric_limits<int>::max()));
        };
        context.rowAt = [list](int row) {
            RecipientRow r = list->Row(row);
            return std::make_pair(std::move(r.number), std::move(r.message));
        };
    }
    context.options = plan.Options();
    context.comparison = list->Comparison();
    context.state = m_models.state;
    context.slots = m_models.slots;
    context.exclusion = m_models.exclusion;
    context.sentItems = m_models.sentItems;
    context.templates = m_models.templates;
    context.prompter = m_models.prompter;
    if (m_models.delivery)
        context.delivery = m_models.delivery();
    m_preparation.FillContext(prepared, context);
    if (m_models.journal) {
        context.journal = m_models.journal();
        if (context.journal == nullptr)
            return RunOutcome::NotStarted;
        if (m_models.runSettings)
            context.journalSpec.options = m_models.runSettings(plan.Options());
        for (const RunDevice& d : context.devicesInUse)
            context.journalSpec.devices.push_back({d.record.imei, d.record.portName, d.entry});
    }
    if (open)
        open(std::move(context));
    // The run is over and its threads are gone: its ports are released, so the device windows (test message,
    // troubleshooting, phonebook, a rescan) can open them. The next Send opens them again.
    m_models.slots->CloseAll();
    return RunOutcome::Finished;
}

SendCommand::Plan SendCommand::PlanResume(const QString& selectedEntry, const SendOptions& options,
                                          std::shared_ptr<const std::vector<JournalRowText>> rows,
                                          std::shared_ptr<const ResumePlan> resume) {
    Plan plan;
    if (m_sendRunning.load() || m_models.state->windowOpen.load() == 1)
        return plan;
    plan.m_selectedEntry = selectedEntry;
    plan.m_options = options;
    plan.m_rows = std::move(rows);
    plan.m_resume = std::move(resume);
    plan.m_running = std::make_unique<Plan::Running>(m_sendRunning);
    return plan;
}

SendCommand::CheckResult SendCommand::Send(const WindowState& window, const OpenRun& open, RunOutcome* runOutcome) {
    CheckResult result = Check(window);
    if (result.outcome == Outcome::Ready) {
        const RunOutcome outcome = Run(std::move(result.plan), open);
        if (runOutcome)
            *runOutcome = outcome;
    }
    return result;
}

SendCommand::ResetResult SendCommand::Reset(bool listWorkerRunning) {
    if (listWorkerRunning || !m_models.prompter->Confirm(kResetQuestion))
        return {};
    m_models.list->Reset();
    m_models.composer->Reset();
    m_models.options->Reset();
    m_models.slots->CloseAll(); // no port stays held by a run
    ResetResult result;
    result.done = true;
    result.focus = SendFocus::NumberField;
    result.countText = m_models.list->UpdateCount();
    result.counterText = m_models.composer->CounterText();
    return result;
}
