#include "session/Session.h"

#include "exclusion/OptOutSettings.h"
#include "sending/DeliveryWhileOpen.h"

#include "app/FileOpener.h"
#include "app/Prompter.h"
#include "app/UserGuide.h"
#include "composer/RecipientListExport.h"
#include "devices/DeviceMessages.h"
#include "devices/DeviceRecord.h"
#include "devices/PhonebookReader.h"
#include "excel_import/WorkbookReader.h"
#include "journal/SqliteJobStore.h"
#include "numbers/CountryCodes.h"
#include "numbers/ImpossibleNumbers.h"
#include "sending/PrompterComposerTextQuestion.h"
#include "sending/QuotaController.h"
#include "sending/RunDevice.h"
#include "sending/RunJournal.h"
#include "session/RunSettings.h"
#include "templates/TemplateStore.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QSet>

const QString Session::kListFillQuestion = QStringLiteral(
    "The phone numbers-messages list already contains some data.\n\nPress \u2018Yes\u2019 to continue with clearing "
    "the existing fields and replace with new data or press \u2018No\u2019 to append the new data in the existing "
    "list.\n\nDo you want to clear the existing data in the list?");

Session::Session(Prompter& prompter, Options options) : m_prompter(prompter), m_options(std::move(options)) {
    m_options.paths.EnsureDataFiles();
    m_settings = std::make_unique<UserSettings>(m_options.paths.SettingsFile());
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
    models.journal = [this] { return Journal(); };
    models.runSettings = [this](const ::SendOptions& sendOptions) { return RunSettingsBlob(sendOptions); };
    models.delivery = [this] {
        DeliverySetup setup;
        setup.paths = m_options.paths;
        const OptOutSettings optOuts = OptOuts();
        setup.optOutList = optOuts.list;
        setup.optOutKeywords = optOuts.keywords;
        return setup;
    };
    m_sendCommand = std::make_unique<SendCommand>(models);
    m_deviceCollection = std::make_unique<DeliveryWhileOpen>([this, delivery = models.delivery] {
        return DeliveryWhileOpen::Setup{delivery(), m_sentItems ? m_sentItems->Path() : QString(), m_list.Comparison()};
    });
}

Session::~Session() {
    m_slots.CloseAll();
}

JobStore* Session::Journal() {
    std::lock_guard lock(m_journalMutex);
    if (m_journalOpen)
        return m_journal.get();
    auto store = std::make_unique<SqliteJobStore>(m_options.paths.JournalFile());
    const JournalResult opened = store->Open();
    if (!opened.message.isEmpty())
        m_prompter.Notice(opened.message);
    if (!opened.ok)
        return nullptr; // tried again at the next use
    m_journal = std::move(store);
    m_journalOpen = true;
    return m_journal.get();
}

bool Session::InterruptedRuns(std::vector<JournalRunSummary>* runs) {
    runs->clear();
    JobStore* journal = Journal();
    if (journal == nullptr)
        return false;
    const JournalResult read = journal->InterruptedRuns(runs);
    if (!read.ok)
        m_prompter.Notice(read.message);
    return read.ok;
}

QString Session::ResumeQuestion(const JournalRunSummary& run) {
    return QStringLiteral("A run of %1 messages started %2 was interrupted: %3 sent, %4 unconfirmed (may have been "
                          "sent), %5 not yet sent.\n\nDo you want to resume it now?")
        .arg(run.rows)
        .arg(run.created.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")))
        .arg(run.sent)
        .arg(run.unconfirmed)
        .arg(run.notSent);
}

QString Session::ResendQuestion(int unconfirmed) {
    return QStringLiteral("%1 messages were being sent when the run was interrupted and may have been delivered.\n\n"
                          "Do you want to send them again? (No: they are reported as \"%2\")")
        .arg(unconfirmed)
        .arg(RunJournal::kUnconfirmed);
}

Session::ResumeOutcome Session::ResumeRun(const ResumeChoices& choices, const SendCommand::OpenRun& open) {
    JobStore* journal = Journal();
    if (journal == nullptr)
        return ResumeOutcome::Refused;
    qint64 runId = choices.runId;
    if (runId == 0) {
        std::vector<JournalRunSummary> runs;
        if (!InterruptedRuns(&runs))
            return ResumeOutcome::Refused;
        if (runs.empty()) {
            m_prompter.Notice(kNoInterruptedRun);
            return ResumeOutcome::NoRun;
        }
        runId = runs.front().id;
    }
    auto run = std::make_shared<JournalRun>();
    const JournalResult loaded = journal->LoadRun(runId, run.get());
    if (!loaded.ok) {
        m_prompter.Notice(loaded.message);
        return ResumeOutcome::Refused;
    }
    ::SendOptions options;
    if (!RunSettings::FromBlob(run->options)) {
        m_prompter.Notice(QStringLiteral("The settings of run %1 could not be read from the run journal.").arg(runId));
        return ResumeOutcome::Refused;
    }
    if (choices.ask && !m_prompter.Confirm(ResumeQuestion(run->summary)))
        return ResumeOutcome::Declined;
    bool resend = false;
    if (run->summary.unconfirmed > 0)
        resend = choices.resendUnconfirmed.has_value() ? *choices.resendUnconfirmed
                                                       : m_prompter.Confirm(ResendQuestion(run->summary.unconfirmed));

    // The run's devices, by IMEI: the selected devices that took part keep their new port names.
    QSet<QString> imeis;
    for (const JournalDevice& d : run->devices)
        imeis.insert(d.imei);
    if (choices.scanPorts)
        SelectRunDevices(imeis, choices.scanPorts);
    std::vector<DeviceRecord> kept;
    for (const DeviceRecord& record : m_devices.Records()) {
        if (imeis.contains(record.imei))
            kept.push_back(record);
    }
    if (kept.empty()) {
        m_prompter.Notice(kNoRunDevice);
        return ResumeOutcome::Refused;
    }
    m_devices.ReplaceSelection(kept);

    // The settings the run was started with.
    static_cast<void>(ApplyRunSettings(run->options, &options));
    if (choices.reconnectWaitSeconds)
        options.reconnectWaitSeconds = *choices.reconnectWaitSeconds;

    auto resume = std::make_shared<ResumePlan>();
    resume->runId = runId;
    resume->states = std::move(run->states);
    resume->resendUnconfirmed = resend;
    auto rows = std::make_shared<const std::vector<JournalRowText>>(std::move(run->rows));
    return RunRows(options, std::move(rows), std::move(resume), open) ? ResumeOutcome::Started
                                                                      : ResumeOutcome::Refused;
}

QByteArray Session::RunSettingsBlob(const ::SendOptions& options) const {
    RunSettings settings;
    settings.options = options;
    settings.unicode = m_composer.IsUnicodeChecked();
    settings.messageType = m_composer.MessageTypeIndex();
    settings.fixedPauses = FixedPauses();
    settings.country = Country();
    settings.quotaSettings = m_quota.SettingsText();
    return settings.ToBlob();
}

bool Session::ApplyRunSettings(const QByteArray& blob, ::SendOptions* options) {
    const std::optional<RunSettings> settings = RunSettings::FromBlob(blob);
    if (!settings)
        return false;
    SetFixedPauses(settings->fixedPauses);
    SetCountry(settings->country);
    m_composer.SetUnicodeChecked(settings->unicode);
    m_composer.SetMessageTypeIndex(settings->messageType);
    m_quota.SetSettingsText(settings->quotaSettings);
    if (settings->options.useExclusion)
        UseExclusionSet(ReadExclusionSet());
    *options = settings->options;
    return true;
}

bool Session::RunRows(const ::SendOptions& options, std::shared_ptr<const std::vector<JournalRowText>> rows,
                      std::shared_ptr<const ResumePlan> resume, const SendCommand::OpenRun& open) {
    const DeviceView view = DeviceDisplay();
    SendCommand::Plan plan =
        m_sendCommand->PlanResume(view.entries.value(view.selected), options, std::move(rows), std::move(resume));
    if (!plan.IsValid())
        return false;
    m_sendCommand->Run(std::move(plan), open);
    return true;
}

void Session::SetTiming(const ModemTiming& timing) {
    m_options.timing = timing;
    m_slots.SetTiming(timing);
}

// ---- Choices kept across starts ----

namespace {
// Keys of the settings file's Options group.
const QString kFixedPauses = QStringLiteral("FixedPauses");
const QString kCountry = QStringLiteral("Country");
const QString kSendInternational = QStringLiteral("SendInternational");
const QString kUnicode = QStringLiteral("Unicode");
const QString kMessageType = QStringLiteral("MessageType");
const QString kDelayed = QStringLiteral("DelayedDelivery");
const QString kPauseEvery = QStringLiteral("PauseEvery");
const QString kPauseFor = QStringLiteral("PauseFor");
const QString kRetries = QStringLiteral("Retries");
const QString kRetryCount = QStringLiteral("RetryCount");
const QString kRetryAllErrors = QStringLiteral("RetryEveryFailedMessage");
const QString kSkipDuplicates = QStringLiteral("SkipDuplicates");
const QString kUseExclusion = QStringLiteral("UseExclusionRules");
const QString kSaveSentItems = QStringLiteral("SaveSentItems");
const QString kSaveTemplates = QStringLiteral("SaveTemplates");
const QString kDeliveryReports = QStringLiteral("DeliveryReports");
const QString kReconnectWait = QStringLiteral("ReconnectWaitSeconds");
} // namespace

void Session::SetFixedPauses(bool on) {
    SetTiming(on ? ModemTiming::Standard() : ModemTiming::Fast());
}

void Session::SetCountry(const QString& country) {
    const NumberComparison comparison = NumberComparison::ForCountry(country);
    m_list.SetNumberComparison(comparison);
    if (!(m_exclusion.Comparison() == comparison)) {
        // The set is keyed by comparison form: read again under the new one.
        m_exclusion.Clear();
        if (m_sendOptions.UseExclusion())
            m_exclusion = LoadExclusionSet(*m_exclusionStore, comparison).set;
        else
            m_exclusion = ExclusionSet(comparison);
    }
}

void Session::RestoreChoices() {
    const UserSettings& s = *m_settings;
    SetFixedPauses(s.Option(kFixedPauses, false).toBool());
    static_cast<void>(ChooseCountry(std::nullopt));
    m_composer.SetUnicodeChecked(s.Option(kUnicode, false).toBool());
    m_composer.SetMessageTypeIndex(s.Option(kMessageType, MessageComposer::kStandardSms).toInt());
    SendOptionsModel& o = m_sendOptions;
    o.SetSendInternational(s.Option(kSendInternational, false).toBool());
    o.SetSkipDuplicates(s.Option(kSkipDuplicates, false).toBool());
    o.SetUseExclusion(s.Option(kUseExclusion, false).toBool());
    o.SetSaveSentItems(s.Option(kSaveSentItems, false).toBool());
    o.SetSaveTemplates(s.Option(kSaveTemplates, false).toBool());
    o.SetDeliveryReports(s.Option(kDeliveryReports, false).toBool());
    o.SetReconnectWaitSeconds(s.Option(kReconnectWait, ::SendOptions().reconnectWaitSeconds).toInt());
    if (s.Option(kDelayed, false).toBool()) {
        o.SetDelayedDelivery(true);
        static_cast<void>(o.SetPauseEvery(s.Option(kPauseEvery, o.PauseEvery()).toString()));
        static_cast<void>(o.SetPauseFor(s.Option(kPauseFor, o.PauseFor()).toString()));
    }
    if (s.Option(kRetries, false).toBool()) {
        o.SetRetries(true);
        static_cast<void>(o.SetRetryCount(s.Option(kRetryCount, o.RetryCount()).toString()));
    }
    o.SetRetryAllErrors(s.Option(kRetryAllErrors, false).toBool());
}

void Session::RememberChoices() {
    UserSettings& s = *m_settings;
    const SendOptionsModel& o = m_sendOptions;
    s.SetOption(kFixedPauses, FixedPauses());
    s.SetOption(kCountry, Country());
    s.SetOption(kSendInternational, o.SendInternational());
    s.SetOption(kUnicode, m_composer.IsUnicodeChecked());
    s.SetOption(kMessageType, m_composer.MessageTypeIndex());
    s.SetOption(kSkipDuplicates, o.SkipDuplicates());
    s.SetOption(kUseExclusion, o.UseExclusion());
    s.SetOption(kSaveSentItems, o.SaveSentItems());
    s.SetOption(kSaveTemplates, o.SaveTemplates());
    s.SetOption(kDeliveryReports, o.DeliveryReports());
    s.SetOption(kReconnectWait, o.ReconnectWaitSeconds());
    s.SetOption(kDelayed, o.DelayedDelivery());
    s.SetOption(kPauseEvery, o.PauseEvery());
    s.SetOption(kPauseFor, o.PauseFor());
    s.SetOption(kRetries, o.Retries());
    s.SetOption(kRetryCount, o.RetryCount());
    s.SetOption(kRetryAllErrors, o.RetryAllErrors());
    s.Sync();
}

QString Session::ImpossibleNumbersQuestion(const QStringList& impossible, const QString& country) {
    constexpr qsizetype kListed = 20;
    QString list = impossible.mid(0, kListed).join(QStringLiteral("\n"));
    if (impossible.size() > kListed)
        list += QStringLiteral("\n... and %1 more").arg(impossible.size() - kListed);
    return QStringLiteral("%1 of the numbers taken cannot be phone numbers of %2:\n\n%3\n\nDo you want to keep them "
                          "in the list? Press 'No' to remove them.")
        .arg(impossible.size())
        .arg(country, list);
}

bool Session::ChooseCountry(const std::optional<QString>& given) {
    if (!given) {
        const UserSettings& s = *m_settings;
        SetCountry(s.HasOption(kCountry) ? s.Option(kCountry).toString() : CountryOfLocale(QLocale::system()));
        return true;
    }
    const QString code = given->toUpper();
    if (!code.isEmpty() && !IsSupportedCountry(code))
        return false;
    SetCountry(code);
    m_settings->SetOption(kCountry, code);
    m_settings->Sync();
    return true;
}

QStringList Session::ImpossibleNumbersInList() const {
    const NumberComparison comparison = m_list.Comparison();
    const InternationalNumbering* numbering = comparison.Numbering();
    if (numbering == nullptr)
        return {};
    QStringList numbers;
    for (const RecipientRow& row : m_list.Rows())
        numbers << row.number;
    return ImpossibleNumbers(*numbering, numbers);
}

qsizetype Session::ReviewImpossibleNumbers(const QStringList& impossible, std::optional<bool> drop) {
    if (impossible.isEmpty())
        return 0;
    if (drop) {
        QString notice = ImpossibleNumbersQuestion(impossible, Country());
        notice.truncate(notice.lastIndexOf(QLatin1String("\n\n")));
        m_prompter.Notice(notice + (*drop ? QStringLiteral("\n\nThey were removed from the list.")
                                          : QStringLiteral("\n\nThey were kept in the list.")));
    } else {
        drop = m_prompter.Ask(ImpossibleNumbersQuestion(impossible, Country()), QStringLiteral("Confirm"),
                              Prompter::Icon::Question, Prompter::Buttons::YesNo) == Prompter::Answer::No;
    }
    return *drop ? m_list.RemoveNumbers(impossible) : 0;
}

bool Session::FindSentItems(const QString& number, QList<SentItemRecord>* found, FileError* error) const {
    QList<SentItemRecord> records;
    if (!m_sentItems->Load(&records, error))
        return false;
    const NumberComparison comparison = m_list.Comparison();
    const QString key = comparison.Key(number.trimmed());
    found->clear();
    for (SentItemRecord& record : records) {
        if (comparison.Key(record.number) == key)
            found->push_back(std::move(record));
    }
    return true;
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

void Session::RemoveRows(const std::vector<qsizetype>& rows) {
    static_cast<void>(m_list.RemoveSelected(rows));
}

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

void Session::ReportContactText(const ContactTextImport::Outcome& outcome, std::optional<bool> dropImpossible) {
    if (!outcome.refusal.isEmpty())
        m_prompter.Notice(outcome.refusal);
    static_cast<void>(ReviewImpossibleNumbers(outcome.impossible, dropImpossible));
}

ReaderStatus Session::ReadSheetNames(const QString& path, QStringList* names) {
    return WorkbookReader::ReadSheetNames(path, names);
}

void Session::ReportReaderFailure(const ReaderStatus& status) {
    status.Report(m_prompter);
}

ContactWorkbookImport::Outcome Session::ImportContactWorkbook(const QString& path,
                                                              const ExcelInfoController::Choice& choice) {
    return ContactWorkbookImport::Import(path, choice, m_list, m_composer.Text(), CheckOptions());
}

void Session::ReportContactWorkbook(const ContactWorkbookImport::Outcome& outcome, std::optional<bool> dropImpossible) {
    outcome.status.Report(m_prompter);
    if (!outcome.refusal.isEmpty())
        m_prompter.Notice(outcome.refusal);
    static_cast<void>(ReviewImpossibleNumbers(outcome.impossible, dropImpossible));
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

void Session::ForgetDevices() {
    m_devices.Reset();
}

void Session::RememberChosenDevices() {
    QStringList imeis;
    for (const DeviceRecord& record : m_devices.Records()) {
        if (!record.imei.isEmpty())
            imeis << record.imei;
    }
    m_settings->SetChosenImeis(imeis);
    m_settings->Sync();
}

bool Session::IsTextModeEntry(const QString& entry) const {
    const auto record = m_devices.RecordByPort(RunDevice::PortOfEntry(entry));
    return record && record->smsMode == DeviceRecord::kModeText;
}

// ---- Options ----

ExclusionSetLoad Session::ReadExclusionSet() const {
    return LoadExclusionSet(*m_exclusionStore);
}

void Session::UseExclusionSet(ExclusionSetLoad load) {
    m_exclusion = std::move(load.set);
    if (!load.status.Ok())
        m_prompter.Notice(load.status.Text());
}

bool Session::MayOpenQuota() {
    return QuotaController::MayOpen(m_list.Count(), m_prompter);
}

// ---- Send, Reset, Exit, Help ----

SendCommand::CheckResult Session::CheckSend(const SendCommand::WindowState& window) {
    return m_sendCommand->Check(window);
}

SendCommand::RunOutcome Session::RunSend(SendCommand::Plan plan, const SendCommand::OpenRun& open) {
    return m_sendCommand->Run(std::move(plan), open);
}

SendCommand::ResetResult Session::Reset(bool listWorkerRunning) {
    return m_sendCommand->Reset(listWorkerRunning);
}

bool Session::ConfirmExit() {
    return m_prompter.Confirm(kExitQuestion);
}

bool Session::Help(FileOpener& opener) const {
    return UserGuide::Open(UserGuide::Candidates(QCoreApplication::applicationDirPath()), opener, m_prompter);
}

OptOutSettings Session::OptOuts() const { return OptOutSettings::Load(*m_settings); }

bool Session::SetOptOuts(const OptOutSettings& settings) {
    const QString refusal = settings.Refusal();
    if (!refusal.isEmpty()) {
        m_prompter.Notice(refusal);
        return false;
    }
    OptOutSettings kept = settings;
    kept.list = settings.list.trimmed();
    kept.keywords = OptOutSettings::ParseKeywords(settings.keywords.join(QLatin1Char('\n')));
    kept.Save(*m_settings);
    return true;
}
