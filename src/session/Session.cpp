#include "session/Session.h"

#include "app/FileOpener.h"
#include "app/Prompter.h"
#include "app/UserGuide.h"
#include "composer/RecipientListExport.h"
#include "devices/DeviceMessages.h"
#include "devices/DeviceRecord.h"
#include "devices/PhonebookReader.h"
#include "excel_import/WorkbookReader.h"
#include "sending/PrompterComposerTextQuestion.h"
#include "sending/QuotaController.h"
#include "sending/RunDevice.h"
#include "templates/TemplateStore.h"

#include <QCoreApplication>
#include <QFileInfo>

const QString Session::kListFillQuestion = QStringLiteral(
    "The phone numbers-messages list already contains some data.\n\nPress \u2018Yes\u2019 to continue with clearing "
    "the existing fields and replace with new data or press \u2018No\u2019 to append the new data in the existing "
    "list.\n\nDo you want to clear the existing data in the list?");

Session::Session(Prompter& prompter, Options options) : m_prompter(prompter), m_options(std::move(options)) {
    m_options.paths.EnsureDataFiles();
    m_exclusionStore = std::make_unique<ExclusionStore>(m_options.paths);
    m_sentItems = std::make_unique<SentItemsStore>(m_options.paths.SentItemFile());
    m_templates = std::make_unique<TemplateCache>(TemplateStore(m_options.paths.TemplatesFile()));
    m_listEdit = std::make_unique<ListEditController>(m_list, m_prompter);
    // The slots submit with this session's composer settings and stop with its runs.
    m_slots.SetTiming(m_options.timing);
    m_slots.SetSubmissionSettings(&m_composer);
    m_slots.SetStopFlag(&m_runState.stopAll);
    ComposerTextQuestion* question = m_options.composerQuestion;
    if (question == nullptr) {
        m_ownComposerQuestion = std::make_unique<PrompterComposerTextQuestion>(m_prompter);
        question = m_ownComposerQuestion.get();
    }
    SendCommand::Models models;
    models.list = &m_list;
    models.composer = &m_composer;
    models.options = &m_sendOptions;
    models.devices = &m_devices;
    models.exclusion = &m_exclusion;
    models.exclusionStore = m_exclusionStore.get();
    models.templates = m_templates.get();
    models.sentItems = m_sentItems.get();
    models.slots = &m_slots;
    models.state = &m_runState;
    models.quota = &m_quota;
    models.prompter = &m_prompter;
    models.composerQuestion = question;
    m_sendCommand = std::make_unique<SendCommand>(models);
}

Session::~Session() { m_slots.CloseAll(); }

void Session::SetTiming(const ModemTiming& timing) {
    m_options.timing = timing;
    m_slots.SetTiming(timing);
}

NumberCheckOptions Session::CheckOptions() const {
    NumberCheckOptions options;
    options.skipDuplicates = m_sendOptions.SkipDuplicates();
    options.useExclusionRules = m_sendOptions.UseExclusion();
    options.exclusionSet = &m_exclusion;
    return options;
}

// ---- Rows ----

Session::Outcome Session::Refuse(const QString& message, SendFocus focus) {
    m_prompter.Notice(message);
    return {false, focus};
}

Session::Outcome Session::AddNumber(const QString& numberField) {
    const QString text = m_composer.Text();
    const NumberCheckResult result = m_list.AddNumber(0, numberField, text, text, CheckOptions());
    if (!result.Ok())
        return Refuse(result.Message(), SendFocus::NumberField);
    return {true, SendFocus::NumberField};
}

Session::Outcome Session::PrepareListFill(const QString& numberField) {
    if (!numberField.isEmpty())
        return Refuse(SendCommand::kInsertNumber, SendFocus::NumberField);
    if (m_list.IsEmpty())
        return {true, SendFocus::NumberField};
    switch (m_prompter.Ask(kListFillQuestion, QStringLiteral("Information"), Prompter::Icon::Question,
                           Prompter::Buttons::YesNoCancel)) {
    case Prompter::Answer::Yes:
        static_cast<void>(m_list.RemoveAll());
        return {true, SendFocus::NumberField};
    case Prompter::Answer::No:
        return {true, SendFocus::NumberField};
    default:
        return {false, SendFocus::NumberField};
    }
}

Session::Outcome Session::ClearAll() {
    if (m_list.IsEmpty())
        return Refuse(kListEmpty, SendFocus::NumberField);
    if (m_prompter.Ask(kClearAllQuestion, QStringLiteral("Confirm"), Prompter::Icon::Warning,
                       Prompter::Buttons::YesNo) != Prompter::Answer::Yes)
        return {};
    static_cast<void>(m_list.RemoveAll());
    return {true, SendFocus::None};
}

Session::Outcome Session::MayClearSelected(const std::vector<qsizetype>& rows) {
    if (m_list.IsEmpty())
        return Refuse(kListEmpty, SendFocus::NumberField);
    if (rows.empty())
        return Refuse(ListRefusalText(ListRefusal::NoSelection), SendFocus::None);
    return {true, SendFocus::None};
}

void Session::RemoveRows(const std::vector<qsizetype>& rows) { static_cast<void>(m_list.RemoveSelected(rows)); }

void Session::ClearFieldsAfterSend() {
    m_list.Reset();
    m_composer.SetText(QString());
}

// ---- Load Contacts From File ----

Session::ContactFile Session::ClassifyContactFile(const QString& path) {
    if (path.isEmpty())
        return ContactFile::None;
    // A folder, a pipe or a device is no contact file, whatever its name says.
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile()) {
        m_prompter.Ask(ContactTextImport::kMissing, QStringLiteral("Warning"), Prompter::Icon::Warning,
                       Prompter::Buttons::Ok);
        return ContactFile::Refused;
    }
    const QString extension = info.suffix().toLower();
    if (extension == QLatin1String("xls") || extension == QLatin1String("xlsx"))
        return ContactFile::Workbook;
    if (extension == QLatin1String("txt"))
        return ContactFile::Text;
    m_prompter.Notice(kInvalidFile);
    return ContactFile::Refused;
}

ContactTextImport::Outcome Session::ImportContactText(const QString& path) {
    return ContactTextImport::ImportFile(path, m_list, m_composer.Text(), CheckOptions());
}

void Session::ReportContactText(const ContactTextImport::Outcome& outcome) {
    if (!outcome.refusal.isEmpty())
        m_prompter.Notice(outcome.refusal);
}

ReaderStatus Session::ReadSheetNames(const QString& path, QStringList* names) {
    return WorkbookReader::ReadSheetNames(path, names);
}

void Session::ReportReaderFailure(const ReaderStatus& status) { status.Report(m_prompter); }

ContactWorkbookImport::Outcome Session::ImportContactWorkbook(const QString& path,
                                                              const ExcelInfoController::Choice& choice) {
    return ContactWorkbookImport::Import(path, choice, m_list, m_composer.Text(), CheckOptions());
}

void Session::ReportContactWorkbook(const ContactWorkbookImport::Outcome& outcome) {
    outcome.status.Report(m_prompter);
    if (!outcome.refusal.isEmpty())
        m_prompter.Notice(outcome.refusal);
}

// ---- Export of the list ----

Session::Outcome Session::MayExportList() {
    if (m_list.IsEmpty())
        return Refuse(kListEmpty, SendFocus::NumberField);
    return {true, SendFocus::None};
}

ExportResult Session::ExportList(const QString& path, SpreadsheetExport::Format format) {
    return RecipientListExport::Write(m_list, path, format, m_prompter);
}

// ---- Sent items ----

qsizetype Session::AddSentItems(const QList<SentItemRecord>& items) {
    const QString composerText = m_composer.Text();
    const NumberCheckOptions options = CheckOptions();
    qsizetype added = 0;
    for (const SentItemRecord& item : items) {
        if (m_list.AddNumber(added, item.number, item.message, composerText, options).Ok())
            ++added;
    }
    return added;
}

// ---- Load Phone Book ----

std::optional<QString> Session::PhonebookPort(int slot) {
    const auto record = m_devices.Record(slot);
    if (!record) {
        m_prompter.Notice(DeviceMessages::kSelectDeviceForPhonebook);
        return std::nullopt;
    }
    return record->portName;
}

PhonebookRead Session::ReadPhonebook(const QString& port) const {
    return PhonebookReader::ReadFromPort(port, m_options.timing);
}

void Session::AddPhonebook(const PhonebookRead& read) {
    if (read.failed) {
        m_prompter.Notice(DeviceMessages::DeviceErrorMessage(read.error));
        return;
    }
    if (read.entries.empty()) {
        m_prompter.Notice(DeviceMessages::kNoContacts);
        return;
    }
    QStringList numbers;
    for (const PhonebookEntry& entry : read.entries)
        numbers << entry.number;
    const QString text = m_composer.Text();
    static_cast<void>(m_list.AddNumbers(0, numbers, text, text, CheckOptions()));
}

// ---- Devices ----

Session::DeviceView Session::DeviceDisplay() const {
    DeviceView view;
    view.entries = m_devices.DeviceEntries();
    if (view.entries.isEmpty())
        return view;
    // Several devices: the run shares the list among them all unless the user picks one.
    view.selected = view.entries.size() >= 2 ? static_cast<int>(view.entries.size()) - 1 : 0;
    view.text = view.entries.size() < 2 ? view.entries.first() : kSelectedDevices.arg(view.entries.size() - 1);
    view.linkVisible = false;
    return view;
}

void Session::ForgetDevices() { m_devices.Reset(); }

bool Session::IsTextModeEntry(const QString& entry) const {
    const auto record = m_devices.RecordByPort(RunDevice::PortOfEntry(entry));
    return record && record->smsMode == DeviceRecord::kModeText;
}

// ---- Options ----

ExclusionSetLoad Session::ReadExclusionSet() const { return LoadExclusionSet(*m_exclusionStore); }

void Session::UseExclusionSet(ExclusionSetLoad load) {
    m_exclusion = std::move(load.set);
    if (!load.status.Ok())
        m_prompter.Notice(load.status.Text());
}

bool Session::MayOpenQuota() { return QuotaController::MayOpen(m_list.Count(), m_prompter); }

// ---- Send, Reset, Exit, Help ----

SendCommand::CheckResult Session::CheckSend(const SendCommand::WindowState& window) {
    return m_sendCommand->Check(window);
}

SendCommand::RunOutcome Session::RunSend(SendCommand::Plan plan, const SendCommand::OpenRun& open) {
    return m_sendCommand->Run(std::move(plan), open);
}

SendCommand::ResetResult Session::Reset(bool listWorkerRunning) { return m_sendCommand->Reset(listWorkerRunning); }

bool Session::ConfirmExit() { return m_prompter.Confirm(kExitQuestion); }

bool Session::Help(FileOpener& opener) const {
    return UserGuide::Open(UserGuide::Candidates(QCoreApplication::applicationDirPath()), opener, m_prompter);
}
