#include "composer/gui/CVRIX_Bulk_SMSDlg.h"

#include "app/AppShell.h"
#include "app/DataPaths.h"
#include "app/FileOpener.h"
#include "app/Prompter.h"
#include "composer/ContactTextImport.h"
#include "composer/ContactWorkbookImport.h"
#include "composer/ListEditController.h"
#include "composer/RecipientListExport.h"
#include "composer/gui/CFill_Msg_In_List.h"
#include "composer/gui/CManually_Multiple_Num_Add.h"
#include "composer/gui/CUpdate_Num_Message.h"
#include "composer/gui/CUpdate_Selected_Item_SMS.h"
#include "devices/DeviceMessages.h"
#include "devices/PhonebookReader.h"
#include "devices/gui/CDemo_Modem_Msgs.h"
#include "devices/gui/CMobile_Conn_Dlg.h"
#include "devices/gui/CPhone_List_Dlg.h"
#include "devices/gui/CSelected_Device_Details_GSM.h"
#include "excel_import/WorkbookReader.h"
#include "excel_import/gui/CExcel_Info_Dlg.h"
#include "exclusion/ExclusionStore.h"
#include "exclusion/LoadExclusionSet.h"
#include "modem/CSMSException.h"
#include "modem/CSMSSerialPort.h"
#include "records/SentItemsStore.h"
#include "records/SpreadsheetExport.h"
#include "records/gui/COpen_Export_Log.h"
#include "sending/PauseSetting.h"
#include "sending/QuotaController.h"
#include "sending/RunDevice.h"
#include "sending/SendRun.h"
#include "sending/gui/CQuota_Dlg.h"
#include "sending/gui/CSMS_Sending.h"
#include "sms/SendControl.h"
#include "templates/TemplateCache.h"
#include "templates/TemplateStore.h"
#include "ui/CPlease_Wail_Modeless.h"
#include "ui/ComposerEdit.h"
#include "ui/DemoModems.h"
#include "ui/DialogButtons.h"
#include "ui/GuiComposerTextQuestion.h"
#include "ui/MessageSizeInfo.h"
#include "ui/NumberEdit.h"
#include "ui/RecipientTableModel.h"
#include "ui/UiTask.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <future>
#include <set>

namespace {

QCheckBox* MakeCheck(const QString& caption) {
    auto* check = new QCheckBox(caption);
    check->setObjectName(caption);
    return check;
}

// Rows of a selection by its ranges: Ctrl+A over a million rows is one range, not a million indexes.
std::vector<qsizetype> SelectedRows(const QItemSelection& selection) {
    std::vector<qsizetype> rows;
    for (const QItemSelectionRange& range : selection) {
        for (int r = range.top(); r <= range.bottom(); ++r)
            rows.push_back(r);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

// The first selected row, or -1 with none.
qsizetype FirstSelectedRow(const QItemSelection& selection) {
    qsizetype first = -1;
    for (const QItemSelectionRange& range : selection) {
        if (first < 0 || range.top() < first)
            first = range.top();
    }
    return first;
}

const QString kListEmpty = QStringLiteral("Phone numbers-Messages list is empty.");
const QString kClearAllQuestion = QStringLiteral("This option will clear the entire list contents. Are you sure you "
                                                 "want to continue clearing the entire list?");
const QString kResetQuestion = QStringLiteral("Are you sure you want to continue to reset?");
const QString kExitQuestion = QStringLiteral("Do you want to exit from VRIX Bulk SMS Software?");
// The please-wait text of "Load Contacts From File", text files and workbooks alike.
const QString kImportingContacts = QStringLiteral("Importing contacts from file, Please wait ...");

} // namespace

CVRIX_Bulk_SMSDlg::CVRIX_Bulk_SMSDlg(Prompter& prompter, DemoModems& demos, Options options, QWidget* parent)
    : QDialog(parent), m_prompter(prompter), m_demos(demos), m_options(std::move(options)) {
    setObjectName(QStringLiteral("CVRIX_Bulk_SMSDlg"));
    setWindowTitle(AppShell::kProductName);
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    if (!m_options.shutdown)
        m_options.shutdown = [] { AppShell::Shutdown(); };
    m_slots.SetTiming(m_options.timing);
    SetProcessSubmissionSettings(&m_composer);
    DataPaths::Shared().EnsureDataFiles();
    m_exclusionStore = std::make_unique<ExclusionStore>(DataPaths::Shared());
    m_sentItems = std::make_unique<SentItemsStore>(DataPaths::Shared().SentItemFile());
    m_templates = std::make_unique<TemplateCache>(TemplateStore(DataPaths::Shared().TemplatesFile()));
    ComposerTextQuestion* question = m_options.composerQuestion;
    if (question == nullptr) {
        m_ownComposerQuestion = std::make_unique<GuiComposerTextQuestion>(this);
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
    models.quota = &m_quotaState;
    models.prompter = &m_prompter;
    models.composerQuestion = question;
    m_sendCommand = std::make_unique<SendCommand>(models);
    m_listEdit = std::make_unique<ListEditController>(m_list, m_prompter);
    m_opener = std::make_unique<FileOpener>(
        m_prompter, [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); });
    BuildUi();
    ConnectUi();
    RefreshDevices();
    RefreshCount();
    OnComposerChanged();
    m_number->setFocus();
}

CVRIX_Bulk_SMSDlg::~CVRIX_Bulk_SMSDlg() {
    // A send worker waits for its progress window: close it, then let the worker end (its questions are
    // served by this thread meanwhile).
    if (m_sending != nullptr)
        m_sending->done(QDialog::Rejected);
    while (m_sendWorkers.load() > 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (ProcessSubmissionSettings() == &m_composer)
        SetProcessSubmissionSettings(nullptr);
}

void CVRIX_Bulk_SMSDlg::BuildUi() {
    m_listModel = new RecipientTableModel(m_list, this);
    m_pleaseWait = new CPlease_Wail_Modeless(this);
    m_listTimer = new QTimer(this);
    m_listTimer->setInterval(500);

    // Devices.
    auto* deviceBox = new QGroupBox;
    auto* deviceRow = new QGridLayout(deviceBox);
    m_deviceCaption = new QLabel(QStringLiteral("<a href=\"details\">Selected Mobile Device :</a>"));
    m_deviceCaption->setObjectName(QStringLiteral("Selected Mobile Device :"));
    m_deviceText = new QLabel;
    m_deviceText->setObjectName(QStringLiteral("DeviceText"));
    m_deviceText->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    m_deviceText->setWordWrap(true);
    m_wizardLink = new QLabel(QStringLiteral("<a href=\"wizard\">%1</a>").arg(kWizardLink.toHtmlEscaped()));
    m_wizardLink->setObjectName(QStringLiteral("WizardLink"));
    m_deviceCombo = new QComboBox;
    m_deviceCombo->setObjectName(QStringLiteral("DeviceCombo"));
    m_deviceCombo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    deviceRow->addWidget(m_deviceCaption, 0, 0);
    deviceRow->addWidget(m_deviceText, 0, 1);
    deviceRow->addWidget(m_deviceCombo, 0, 2);
    deviceRow->addWidget(CommandButton(QStringLiteral("Mobile Phone Connection Wizard")), 0, 3);
    deviceRow->addWidget(m_wizardLink, 1, 0, 1, 3);
    auto* demoButton = CommandButton(QStringLiteral("Demo Modem Messages"));
    demoButton->setVisible(m_demos.DemoCount() > 0);
    deviceRow->addWidget(demoButton, 1, 3);
    deviceRow->setColumnStretch(1, 1);

    // Recipient list.
    auto* listBox = new QGroupBox(QStringLiteral("Phone Numbers - Messages"));
    auto* listLayout = new QVBoxLayout(listBox);
    auto* entryRow = new QHBoxLayout;
    entryRow->addWidget(new QLabel(QStringLiteral("Enter Recipient Number")));
    m_number = new NumberEdit;
    m_number->setObjectName(QStringLiteral("NumberField"));
    entryRow->addWidget(m_number, 1);
    entryRow->addWidget(CommandButton(QStringLiteral("Add")));
    listLayout->addLayout(entryRow);
    auto* sourceRow = new QHBoxLayout;
    sourceRow->addWidget(CommandButton(QStringLiteral("Load Contacts From File")));
    sourceRow->addWidget(CommandButton(QStringLiteral("Add or Paste numbers Manually")));
    listLayout->addLayout(sourceRow);
    listLayout->addWidget(
        CommandButton(QStringLiteral("Send unique or personalized SMS to every Contact using Excel")));
    m_listView = new QTableView;
    m_listView->setObjectName(QStringLiteral("RecipientList"));
    m_listView->setModel(m_listModel);
    m_listView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_listView->setShowGrid(true);
    m_listView->setWordWrap(false);
    m_listView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listView->verticalHeader()->setVisible(false);
    m_listView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_listView->verticalHeader()->setDefaultSectionSize(m_listView->fontMetrics().height() + 6);
    m_listView->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_listView->horizontalHeader()->setStretchLastSection(true);
    m_listView->setColumnWidth(0, 140);
    m_listView->installEventFilter(this);
    listLayout->addWidget(m_listView, 1);
    m_countLabel = new QLabel;
    m_countLabel->setObjectName(QStringLiteral("CountLabel"));
    listLayout->addWidget(m_countLabel);
    auto* editRow = new QGridLayout;
    editRow->addWidget(CommandButton(QStringLiteral("Update Selected Messages")), 0, 0);
    editRow->addWidget(CommandButton(QStringLiteral("Apply this message to list items")), 0, 1);
    editRow->addWidget(CommandButton(QStringLiteral("Export")), 0, 2);
    editRow->addWidget(CommandButton(QStringLiteral("Clear Selected")), 1, 0);
    editRow->addWidget(CommandButton(QStringLiteral("Clear All")), 1, 1);
    listLayout->addLayout(editRow);

    // Composer.
    auto* composerBox = new QGroupBox(QStringLiteral("Message Composer :"));
    auto* composerLayout = new QVBoxLayout(composerBox);
    m_composerEdit = new ComposerEdit;
    m_composerEdit->setObjectName(QStringLiteral("Composer"));
    composerLayout->addWidget(m_composerEdit, 1);
    auto* counterRow = new QHBoxLayout;
    m_counterLabel = new QLabel;
    m_counterLabel->setObjectName(QStringLiteral("CounterLabel"));
    m_smsCountLabel = new QLabel;
    m_smsCountLabel->setObjectName(QStringLiteral("SmsCountLabel"));
    counterRow->addWidget(m_counterLabel);
    counterRow->addStretch(1);
    counterRow->addWidget(m_smsCountLabel);
    composerLayout->addLayout(counterRow);
    m_gsmWarning = new QLabel(MessageSizeInfo::kNonGsmWarning);
    m_gsmWarning->setObjectName(QStringLiteral("GsmWarning"));
    m_gsmWarning->setWordWrap(true);
    m_gsmWarning->setStyleSheet(QStringLiteral("color: #b00000;"));
    m_gsmWarning->setVisible(false);
    composerLayout->addWidget(m_gsmWarning);
    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(new QLabel(QStringLiteral("Message Type :")));
    m_messageType = new QComboBox;
    m_messageType->setObjectName(QStringLiteral("MessageType"));
    m_messageType->addItems(MessageComposer::MessageTypeItems());
    m_messageType->setCurrentIndex(MessageComposer::kStandardSms);
    typeRow->addWidget(m_messageType);
    typeRow->addStretch(1);
    composerLayout->addLayout(typeRow);
    m_unicode = MakeCheck(QStringLiteral("Enable non-English (Unicode) characters support"));
    composerLayout->addWidget(m_unicode);

    // Sending options.
    auto* optionsBox = new QGroupBox(QStringLiteral("Options"));
    auto* optionsLayout = new QGridLayout(optionsBox);
    m_delayed = MakeCheck(QStringLiteral("Delayed Delivery Option"));
    m_pauseEvery = new QComboBox;
    m_pauseEvery->setObjectName(QStringLiteral("PauseEvery"));
    m_pauseEvery->addItems(SendOptionsModel::PauseEveryChoices());
    m_pauseFor = new QComboBox;
    m_pauseFor->setObjectName(QStringLiteral("PauseFor"));
    m_pauseFor->addItems(SendOptionsModel::PauseForChoices());
    auto* pauseRow = new QHBoxLayout;
    pauseRow->addWidget(new QLabel(QStringLiteral("Pause every")));
    pauseRow->addWidget(m_pauseEvery);
    pauseRow->addWidget(new QLabel(QStringLiteral("SMS")));
    pauseRow->addWidget(new QLabel(QStringLiteral("for")));
    pauseRow->addWidget(m_pauseFor);
    pauseRow->addStretch(1);
    m_retry = MakeCheck(QStringLiteral("Retry attempts on Failed SMS"));
    m_retryCount = new QComboBox;
    m_retryCount->setObjectName(QStringLiteral("RetryCount"));
    m_retryCount->addItems(SendOptionsModel::RetryCountChoices());
    m_skipDuplicates = MakeCheck(QStringLiteral("Skip Duplicate Numbers"));
    m_useExclusion = MakeCheck(QStringLiteral("Use Exclusion Rules"));
    m_saveSentItems = MakeCheck(QStringLiteral("Save Sent Items"));
    m_saveTemplates = MakeCheck(QStringLiteral("Save sent message to Templates"));
    // Not shown: their start state is all the user ever gets (the quota window sets the last one).
    m_clearAfterSend = MakeCheck(QStringLiteral("Clear all fields after sending SMS"));
    m_nonOverlapped = MakeCheck(QStringLiteral("Sent Non Overlapped"));
    m_quota = MakeCheck(QString());
    m_quota->setObjectName(QStringLiteral("QuotaCheck"));
    for (QCheckBox* hidden : {m_clearAfterSend, m_nonOverlapped, m_quota})
        hidden->setVisible(false);
    optionsLayout->addWidget(m_delayed, 0, 0, 1, 2);
    optionsLayout->addLayout(pauseRow, 1, 0, 1, 2);
    auto* retryRow = new QHBoxLayout;
    retryRow->addWidget(m_retry);
    retryRow->addWidget(m_retryCount);
    retryRow->addStretch(1);
    optionsLayout->addLayout(retryRow, 2, 0, 1, 2);
    optionsLayout->addWidget(m_skipDuplicates, 3, 0);
    optionsLayout->addWidget(m_useExclusion, 3, 1);
    optionsLayout->addWidget(m_saveSentItems, 4, 0);
    optionsLayout->addWidget(m_saveTemplates, 4, 1);
    auto* quotaLink = new QLabel(QStringLiteral("<a href=\"quota\">Click here Quota Management</a>"));
    quotaLink->setObjectName(QStringLiteral("QuotaLink"));
    connect(quotaLink, &QLabel::linkActivated, this, &CVRIX_Bulk_SMSDlg::OnQuota);
    optionsLayout->addWidget(quotaLink, 6, 0, 1, 2);
    auto* toolRow = new QHBoxLayout;
    toolRow->addWidget(CommandButton(QStringLiteral("Exclusion List Wizard")));
    toolRow->addWidget(CommandButton(QStringLiteral("View Templates")));
    toolRow->addWidget(CommandButton(QStringLiteral("Sent Items")));
    optionsLayout->addLayout(toolRow, 5, 0, 1, 2);

    auto* right = new QVBoxLayout;
    right->addWidget(composerBox, 1);
    right->addWidget(optionsBox);
    auto* middle = new QHBoxLayout;
    middle->addWidget(listBox, 3);
    middle->addLayout(right, 2);

    auto* commands = new QHBoxLayout;
    auto* send = CommandButton(QStringLiteral("Send"));
    send->setMinimumWidth(120);
    commands->addWidget(send);
    commands->addWidget(CommandButton(QStringLiteral("Reset")));
    commands->addStretch(1);
    commands->addWidget(CommandButton(QStringLiteral("Help")));
    commands->addWidget(CommandButton(QStringLiteral("About Us")));
    commands->addWidget(CommandButton(QStringLiteral("Exit")));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(deviceBox);
    layout->addLayout(middle, 1);
    layout->addLayout(commands);
    layout->addWidget(m_clearAfterSend);
    layout->addWidget(m_nonOverlapped);
    layout->addWidget(m_quota);
    resize(1100, 720);

    SyncOptionControls();
}

QPushButton* CVRIX_Bulk_SMSDlg::Button(const QString& caption) const {
    return findChild<QPushButton*>(caption);
}

void CVRIX_Bulk_SMSDlg::ConnectUi() {
    auto onClick = [this](const QString& caption, auto slot) {
        connect(Button(caption), &QPushButton::clicked, this, slot);
    };
    onClick(QStringLiteral("Add"), &CVRIX_Bulk_SMSDlg::OnAdd);
    onClick(QStringLiteral("Clear Selected"), &CVRIX_Bulk_SMSDlg::OnClearSelected);
    onClick(QStringLiteral("Clear All"), &CVRIX_Bulk_SMSDlg::OnClearAll);
    onClick(QStringLiteral("Reset"), &CVRIX_Bulk_SMSDlg::OnReset);
    onClick(QStringLiteral("Exit"), &CVRIX_Bulk_SMSDlg::OnExit);
    onClick(QStringLiteral("Send"), &CVRIX_Bulk_SMSDlg::OnSend);
    onClick(QStringLiteral("Mobile Phone Connection Wizard"), &CVRIX_Bulk_SMSDlg::OnConnectionWizard);
    onClick(QStringLiteral("Load Contacts From File"), &CVRIX_Bulk_SMSDlg::OnLoadContacts);
    onClick(QStringLiteral("About Us"), &CVRIX_Bulk_SMSDlg::OnAbout);
    onClick(QStringLiteral("Help"), &CVRIX_Bulk_SMSDlg::OnHelp);
    onClick(QStringLiteral("Export"), &CVRIX_Bulk_SMSDlg::OnExportList);
    onClick(QStringLiteral("Add or Paste numbers Manually"), &CVRIX_Bulk_SMSDlg::OnManualAdd);
    onClick(QStringLiteral("Update Selected Messages"), &CVRIX_Bulk_SMSDlg::OnUpdateSelected);
    onClick(QStringLiteral("Apply this message to list items"), &CVRIX_Bulk_SMSDlg::OnApplyMessage);
    for (const char* later : {"Send unique or personalized SMS to every Contact using Excel", "Exclusion List Wizard",
                              "View Templates", "Sent Items"})
        onClick(QString::fromLatin1(later), &CVRIX_Bulk_SMSDlg::NotAvailable);

    connect(m_number, &QLineEdit::returnPressed, this, &CVRIX_Bulk_SMSDlg::OnAdd);
    connect(m_composerEdit, &QPlainTextEdit::textChanged, this, &CVRIX_Bulk_SMSDlg::OnComposerChanged);
    connect(m_unicode, &QCheckBox::toggled, this, [this](bool on) {
        m_composer.SetUnicodeChecked(on);
        OnComposerChanged();
    });
    connect(m_messageType, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_composer.SetMessageTypeIndex(index);
        RefreshSizeInfo();
    });
    connect(m_delayed, &QCheckBox::toggled, this, &CVRIX_Bulk_SMSDlg::OnDelayedToggled);
    connect(m_pauseEvery, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { static_cast<void>(m_sendOptions.SetPauseEvery(text)); });
    connect(m_pauseFor, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { static_cast<void>(m_sendOptions.SetPauseFor(text)); });
    connect(m_retryCount, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { static_cast<void>(m_sendOptions.SetRetryCount(text)); });
    connect(m_skipDuplicates, &QCheckBox::toggled, this, [this](bool on) { m_sendOptions.SetSkipDuplicates(on); });
    connect(m_saveSentItems, &QCheckBox::toggled, this, [this](bool on) { m_sendOptions.SetSaveSentItems(on); });
    connect(m_saveTemplates, &QCheckBox::toggled, this, [this](bool on) { m_sendOptions.SetSaveTemplates(on); });
    connect(m_clearAfterSend, &QCheckBox::toggled, this, [this](bool on) { m_sendOptions.SetClearAfterSend(on); });
    connect(m_nonOverlapped, &QCheckBox::toggled, this, [this](bool on) { m_sendOptions.SetNonOverlapped(on); });
    connect(m_quota, &QCheckBox::toggled, this, [this](bool on) { m_sendOptions.SetQuotaManagement(on); });
    connect(m_retry, &QCheckBox::toggled, this, &CVRIX_Bulk_SMSDlg::OnRetryToggled);
    connect(m_useExclusion, &QCheckBox::toggled, this, &CVRIX_Bulk_SMSDlg::OnUseExclusionToggled);
    connect(m_deviceCombo, &QComboBox::currentIndexChanged, this, &CVRIX_Bulk_SMSDlg::RefreshSizeInfo);
    connect(m_wizardLink, &QLabel::linkActivated, this, &CVRIX_Bulk_SMSDlg::OnConnectionWizard);
    connect(m_deviceCaption, &QLabel::linkActivated, this, [this] {
        if (!m_devices.Records().empty())
            OnDeviceDetails();
    });
    connect(m_deviceText, &QLabel::linkActivated, this, [this] {
        if (!m_listBusy)
            OnDeviceDetails();
    });
    connect(m_listView, &QAbstractItemView::doubleClicked, this, &CVRIX_Bulk_SMSDlg::OnUpdateRow);
    connect(m_listTimer, &QTimer::timeout, this, &CVRIX_Bulk_SMSDlg::RefreshCount);
    // The demo modems' inbox opens with the first demo modem, and from its button afterwards.
    m_demoMessages = new CDemo_Modem_Msgs(m_demos, this);
    connect(Button(QStringLiteral("Demo Modem Messages")), &QPushButton::clicked, m_demoMessages, [this] {
        m_demoMessages->show();
        m_demoMessages->raise();
    });
    connect(&m_demos, &DemoModems::DemoModemsChanged, this, [this] {
        QPushButton* button = Button(QStringLiteral("Demo Modem Messages"));
        if (!button->isVisible() && m_demos.DemoCount() > 0)
            m_demoMessages->show();
        button->setVisible(m_demos.DemoCount() > 0);
    });
}

// ---- Composer ----

void CVRIX_Bulk_SMSDlg::OnComposerChanged() {
    m_composer.SetText(m_composerEdit->toPlainText());
    m_counterLabel->setText(m_composer.CounterText());
    RefreshSizeInfo();
}

void CVRIX_Bulk_SMSDlg::RefreshSizeInfo() {
    bool textMode = false;
    const auto records = m_devices.Records();
    const QString entry = m_deviceCombo->currentText();
    for (const DeviceRecord& record : records) {
        if (RunDevice::PortOfEntry(entry) == record.portName)
            textMode = record.smsMode == DeviceRecord::kModeText;
    }
    const MessageSizeInfo info =
        MessageSizeInfo::Of(m_composer.Text(), m_composer.IsUnicodeChecked(), m_composer.IsFlashSelected(), textMode);
    m_smsCountLabel->setText(info.CountText());
    m_gsmWarning->setVisible(info.hasNonGsm && !m_composer.IsUnicodeChecked());
}

// ---- Options ----

void CVRIX_Bulk_SMSDlg::OnDelayedToggled(bool on) {
    m_sendOptions.SetDelayedDelivery(on);
    SyncOptionControls();
}

void CVRIX_Bulk_SMSDlg::OnRetryToggled(bool on) {
    m_sendOptions.SetRetries(on);
    SyncOptionControls();
}

void CVRIX_Bulk_SMSDlg::SyncOptionControls() {
    const auto setCheck = [](QCheckBox* check, bool on) {
        const QSignalBlocker block(check);
        check->setChecked(on);
    };
    setCheck(m_delayed, m_sendOptions.DelayedDelivery());
    setCheck(m_retry, m_sendOptions.Retries());
    setCheck(m_skipDuplicates, m_sendOptions.SkipDuplicates());
    setCheck(m_useExclusion, m_sendOptions.UseExclusion());
    setCheck(m_saveSentItems, m_sendOptions.SaveSentItems());
    setCheck(m_saveTemplates, m_sendOptions.SaveTemplates());
    setCheck(m_clearAfterSend, m_sendOptions.ClearAfterSend());
    setCheck(m_nonOverlapped, m_sendOptions.NonOverlapped());
    setCheck(m_quota, m_sendOptions.QuotaManagement());
    const auto setCombo = [](QComboBox* combo, bool enabled, const QString& text) {
        const QSignalBlocker block(combo);
        combo->setEnabled(enabled);
        combo->setCurrentIndex(text.isEmpty() ? -1 : combo->findText(text));
    };
    setCombo(m_pauseEvery, m_sendOptions.PauseControlsEnabled(), m_sendOptions.PauseEvery());
    setCombo(m_pauseFor, m_sendOptions.PauseControlsEnabled(), m_sendOptions.PauseFor());
    setCombo(m_retryCount, m_sendOptions.RetryControlEnabled(), m_sendOptions.RetryCount());
}

void CVRIX_Bulk_SMSDlg::OnUseExclusionToggled(bool on) {
    m_sendOptions.SetUseExclusion(on);
    if (!on || m_listBusy)
        return;
    BeginListWork(CPlease_Wail_Modeless::kDefaultText);
    auto load = std::make_shared<ExclusionSetLoad>();
    const DataPaths paths = DataPaths::Shared();
    UiTask::Run(
        this, [load, paths] { *load = LoadExclusionSet(ExclusionStore(paths)); },
        [this, load] {
            m_exclusion = std::move(load->set);
            EndListWork();
            if (!load->status.Ok())
                m_prompter.Notice(load->status.Text());
        });
}

NumberCheckOptions CVRIX_Bulk_SMSDlg::CheckOptions() const {
    NumberCheckOptions options;
    options.skipDuplicates = m_skipDuplicates->isChecked();
    options.useExclusionRules = m_useExclusion->isChecked();
    options.exclusionSet = &m_exclusion;
    return options;
}

// ---- List commands ----

void CVRIX_Bulk_SMSDlg::RefreshList() {
    m_listModel->Refresh();
    RefreshCount();
}

void CVRIX_Bulk_SMSDlg::RefreshCount() {
    m_countLabel->setText(m_list.UpdateCount());
}

void CVRIX_Bulk_SMSDlg::OnAdd() {
    const QString text = m_composer.Text();
    const NumberCheckResult result = m_list.AddNumber(0, m_number->text(), text, text, CheckOptions());
    if (!result.Ok()) {
        m_prompter.Notice(result.Message());
    } else {
        m_listModel->Refresh();
        RefreshCount();
        m_number->clear();
    }
    m_number->setFocus();
}

void CVRIX_Bulk_SMSDlg::BeginListWork(const QString& waitText) {
    m_listBusy = true;
    m_pleaseWait->SetText(waitText);
    m_pleaseWait->show();
    setEnabled(false);
    m_pleaseWait->setEnabled(true);
    m_listTimer->start();
}

void CVRIX_Bulk_SMSDlg::EndListWork() {
    m_listTimer->stop();
    m_listModel->Refresh();
    RefreshCount();
    m_pleaseWait->hide();
    setEnabled(true);
    raise();
    activateWindow();
    m_listBusy = false;
    Q_EMIT ListWorkFinished();
}

void CVRIX_Bulk_SMSDlg::OnClearSelected() {
    if (m_listBusy)
        return;
    if (m_list.IsEmpty()) {
        m_prompter.Notice(kListEmpty);
        m_number->setFocus();
        return;
    }
    std::vector<qsizetype> rows = SelectedRows(m_listView->selectionModel()->selection());
    if (rows.empty()) {
        m_prompter.Notice(ListRefusalText(ListRefusal::NoSelection));
        return;
    }
    const int mark = std::max(0, m_listView->currentIndex().row());
    BeginListWork(CPlease_Wail_Modeless::kDefaultText);
    RecipientList* list = &m_list;
    UiTask::Run(
        this, [list, rows = std::move(rows)] { static_cast<void>(list->RemoveSelected(rows)); },
        [this, mark] {
            EndListWork();
            m_listView->setFocus();
            if (m_listModel->rowCount() > 0) {
                const int row = std::min(mark, m_listModel->rowCount() - 1);
                m_listView->setCurrentIndex(m_listModel->index(row, 0));
                m_listView->selectRow(row);
            }
        });
}

void CVRIX_Bulk_SMSDlg::OnClearAll() {
    if (m_listBusy)
        return;
    if (m_list.IsEmpty()) {
        m_prompter.Notice(kListEmpty);
        m_number->setFocus();
        return;
    }
    if (m_prompter.Ask(kClearAllQuestion, QStringLiteral("Confirm"), Prompter::Icon::Warning,
                       Prompter::Buttons::YesNo) != Prompter::Answer::Yes)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    static_cast<void>(m_list.RemoveAll());
    m_listModel->Refresh();
    RefreshCount();
    QApplication::restoreOverrideCursor();
}

void CVRIX_Bulk_SMSDlg::OnReset() {
    if (m_listBusy)
        return;
    const SendCommand::ResetResult result = m_sendCommand->Reset(m_listBusy);
    if (!result.done)
        return;
    m_pleaseWait->SetText(CPlease_Wail_Modeless::kDefaultText);
    m_pleaseWait->show();
    m_number->clear();
    {
        const QSignalBlocker block(m_composerEdit);
        m_composerEdit->clear();
    }
    {
        const QSignalBlocker blockType(m_messageType);
        const QSignalBlocker blockUnicode(m_unicode);
        m_messageType->setCurrentIndex(m_composer.MessageTypeIndex());
        m_unicode->setChecked(m_composer.IsUnicodeChecked());
    }
    SyncOptionControls();
    m_number->setEnabled(true);
    m_composerEdit->setEnabled(true);
    m_listModel->Refresh();
    m_countLabel->setText(result.countText);
    m_counterLabel->setText(result.counterText);
    RefreshSizeInfo();
    m_pleaseWait->hide();
    FocusOn(result.focus);
}

void CVRIX_Bulk_SMSDlg::FocusOn(SendFocus focus) {
    switch (focus) {
    case SendFocus::NumberField:
        m_number->setFocus();
        break;
    case SendFocus::PauseEvery:
        m_pauseEvery->setFocus();
        break;
    case SendFocus::PauseFor:
        m_pauseFor->setFocus();
        break;
    case SendFocus::None:
        break;
    }
}

void CVRIX_Bulk_SMSDlg::OnExit() {
    if (m_listBusy)
        return;
    if (isMinimized())
        showNormal();
    if (m_prompter.Confirm(kExitQuestion))
        m_options.shutdown();
}

void CVRIX_Bulk_SMSDlg::NotAvailable() {
    if (!m_listBusy)
        m_prompter.Notice(kNotAvailable);
}

bool CVRIX_Bulk_SMSDlg::PrepareListFill() {
    if (!m_number->text().isEmpty()) {
        m_prompter.Notice(SendCommand::kInsertNumber);
        m_number->setFocus();
        return false;
    }
    RefreshCount();
    m_number->clear();
    m_number->setFocus();
    if (!m_list.IsEmpty()) {
        static const QString kQuestion = QStringLiteral(
            "The phone numbers-messages list already contains some data.\n\nPress \u2018Yes\u2019 to continue with "
            "clearing the existing fields and replace with new data or press \u2018No\u2019 to append the new data "
            "in the existing list.\n\nDo you want to clear the existing data in the list?");
        switch (m_prompter.Ask(kQuestion, QStringLiteral("Information"), Prompter::Icon::Question,
                               Prompter::Buttons::YesNoCancel)) {
        case Prompter::Answer::Yes:
            QApplication::setOverrideCursor(Qt::WaitCursor);
            static_cast<void>(m_list.RemoveAll());
            m_listModel->Refresh();
            RefreshCount();
            QApplication::restoreOverrideCursor();
            break;
        case Prompter::Answer::No:
            break;
        default:
            return false;
        }
    }
    return true;
}

void CVRIX_Bulk_SMSDlg::OnLoadContacts() {
    if (m_listBusy || !PrepareListFill())
        return;
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Load Contacts From File"),
                                                      QStandardPaths::writableLocation(QStandardPaths::DesktopLocation),
                                                      QStringLiteral("Text & Excel Files(*.txt *.xls *.xlsx)"));
    OnLoadContactsFrom(path);
}

void CVRIX_Bulk_SMSDlg::OnLoadContactsFrom(const QString& path) {
    if (path.isEmpty())
        return;
    if (!QFileInfo::exists(path)) {
        m_prompter.Ask(ContactTextImport::kMissing, QStringLiteral("Warning"), Prompter::Icon::Warning,
                       Prompter::Buttons::Ok);
        return;
    }
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == QLatin1String("xls") || extension == QLatin1String("xlsx")) {
        LoadContactsFromWorkbook(path);
        return;
    }
    if (extension != QLatin1String("txt")) {
        m_prompter.Notice(QStringLiteral("Please select a valid file."));
        return;
    }
    BeginListWork(kImportingContacts);
    RecipientList* list = &m_list;
    const QString composerText = m_composer.Text();
    const NumberCheckOptions options = CheckOptions();
    UiTask::Run<ContactTextImport::Outcome>(
        this,
        [path, list, composerText, options] {
            return ContactTextImport::ImportFile(path, *list, composerText, options);
        },
        [this](ContactTextImport::Outcome outcome) {
            EndListWork();
            if (!outcome.refusal.isEmpty())
                m_prompter.Notice(outcome.refusal);
        });
}

void CVRIX_Bulk_SMSDlg::LoadContactsFromWorkbook(const QString& path) {
    BeginListWork(kImportingContacts);
    using SheetNames = std::pair<ReaderStatus, QStringList>;
    UiTask::Run<SheetNames>(
        this,
        [path] {
            SheetNames names;
            names.first = WorkbookReader::ReadSheetNames(path, &names.second);
            return names;
        },
        [this, path](SheetNames names) {
            if (!names.first.Ok()) {
                EndListWork();
                names.first.Report(m_prompter);
                return;
            }
            // The picker is window-modal over this window; the please-wait box steps aside while the user
            // chooses, and the list stays busy until the import has ended.
            m_listTimer->stop();
            m_pleaseWait->hide();
            setEnabled(true);
            auto* picker = new CExcel_Info_Dlg(path, names.second, m_prompter, ReaderLimits(), this);
            connect(picker, &QDialog::finished, this, [this, picker, path](int result) {
                picker->deleteLater();
                if (result == QDialog::Accepted)
                    ImportWorkbookContacts(path, picker->Chosen());
                else
                    EndListWork();
            });
            picker->open();
        });
}

void CVRIX_Bulk_SMSDlg::ImportWorkbookContacts(const QString& path, const ExcelInfoController::Choice& choice) {
    BeginListWork(kImportingContacts);
    RecipientList* list = &m_list;
    const QString composerText = m_composer.Text();
    const NumberCheckOptions options = CheckOptions();
    UiTask::Run<ContactWorkbookImport::Outcome>(
        this,
        [path, choice, list, composerText, options] {
            return ContactWorkbookImport::Import(path, choice, *list, composerText, options);
        },
        [this](ContactWorkbookImport::Outcome outcome) {
            EndListWork();
            outcome.status.Report(m_prompter);
            if (!outcome.refusal.isEmpty())
                m_prompter.Notice(outcome.refusal);
        });
}

// ---- List editing windows ----

void CVRIX_Bulk_SMSDlg::OnManualAdd() {
    if (m_listBusy || !PrepareListFill())
        return;
    const qsizetype before = m_list.Count();
    auto* window = new CManually_Multiple_Num_Add(*m_listEdit, this);
    connect(window, &QDialog::finished, this, [this, window, before](int result) {
        if (result == QDialog::Accepted)
            AddManualNumbers(window->Text(), before);
        window->deleteLater();
    });
    window->open();
}

void CVRIX_Bulk_SMSDlg::AddManualNumbers(const QString& text, qsizetype countBefore) {
    BeginListWork(CPlease_Wail_Modeless::kDefaultText);
    const ListEditController* controller = m_listEdit.get();
    const QString composerText = m_composer.Text();
    const NumberCheckOptions options = CheckOptions();
    UiTask::Run(
        this,
        [controller, text, composerText, options] {
            static_cast<void>(controller->AddManualNumbers(text, composerText, options));
        },
        [this, countBefore] {
            EndListWork();
            m_listEdit->ReportManualOutcome(countBefore);
        });
}

void CVRIX_Bulk_SMSDlg::OnApplyMessage() {
    if (m_listBusy)
        return;
    const QString text = m_composer.Text();
    switch (m_listEdit->MayFillMessage(text)) {
    case ListEditFocus::NumberField:
        m_number->setFocus();
        return;
    case ListEditFocus::Composer:
        m_composerEdit->setFocus();
        return;
    case ListEditFocus::None:
        break;
    }
    auto* window =
        new CFill_Msg_In_List(*m_listEdit, text, SelectedRows(m_listView->selectionModel()->selection()), this);
    connect(window, &QDialog::finished, this, [this, window, text](int result) {
        if (result == QDialog::Accepted) {
            m_listEdit->FillAccepted(text);
            m_listModel->RowsEdited();
        }
        window->deleteLater();
    });
    window->open();
}

void CVRIX_Bulk_SMSDlg::OnUpdateSelected() {
    std::vector<qsizetype> rows = SelectedRows(m_listView->selectionModel()->selection());
    if (!m_listEdit->MayUpdateSelected(m_listBusy, static_cast<qsizetype>(rows.size()))) {
        if (!m_listBusy && m_list.IsEmpty())
            m_number->setFocus();
        return;
    }
    auto* window = new CUpdate_Selected_Item_SMS(*m_listEdit, std::move(rows), this);
    connect(window, &QDialog::finished, this, [this, window](int result) {
        if (result == QDialog::Accepted)
            m_listModel->RowsEdited();
        window->deleteLater();
    });
    window->open();
}

void CVRIX_Bulk_SMSDlg::OnUpdateRow() {
    if (IsSending() || m_listBusy)
        return;
    const auto edit = m_listEdit->RowToEdit(FirstSelectedRow(m_listView->selectionModel()->selection()));
    if (!edit)
        return;
    auto* window = new CUpdate_Num_Message(*m_listEdit, *edit, CheckOptions(), this);
    connect(window, &QDialog::finished, this, [this, window](int result) {
        if (result == QDialog::Accepted) {
            m_listEdit->WriteRow(window->Row(), window->Number(), window->Message());
            m_listModel->RowsEdited();
            RefreshCount();
            m_listView->setFocus();
        }
        window->deleteLater();
    });
    window->open();
}

void CVRIX_Bulk_SMSDlg::OnExportList() {
    if (m_listBusy)
        return;
    if (m_list.IsEmpty()) {
        m_prompter.Notice(kListEmpty);
        m_number->setFocus();
        return;
    }
    const QString xls = QStringLiteral("Excel(97-2003) Files(*.xls)");
    const QString xlsx = QStringLiteral("Excel Files(*.xlsx)");
    QString selected = xls;
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export"), QString(),
                                                      xls + QStringLiteral(";;") + xlsx, &selected);
    if (path.isEmpty())
        return;
    const SpreadsheetExport::Format format = SpreadsheetExport::FormatOfFilterIndex(selected == xlsx ? 1 : 0);
    ExportListTo(SpreadsheetExport::PathWithExtension(path, format), static_cast<int>(format));
}

void CVRIX_Bulk_SMSDlg::ExportListTo(const QString& path, int format) {
    if (m_listBusy)
        return;
    BeginListWork(CPlease_Wail_Modeless::kDefaultText);
    const RecipientList* list = &m_list;
    Prompter* prompter = &m_prompter;
    UiTask::Run<ExportResult>(
        this,
        [list, prompter, path, format] {
            return RecipientListExport::Write(*list, path, static_cast<SpreadsheetExport::Format>(format), *prompter);
        },
        [this, path](ExportResult result) {
            EndListWork();
            if (!result.Ok()) {
                m_prompter.Notice(result.message);
            } else {
                auto* done = new COpen_Export_Log(*m_opener, path, result.message, this);
                done->setAttribute(Qt::WA_DeleteOnClose);
                done->open();
            }
            Q_EMIT ListExported(result.Ok());
        });
}

void CVRIX_Bulk_SMSDlg::OnQuota() {
    if (m_listBusy || !QuotaController::MayOpen(m_list.Count(), m_prompter))
        return;
    CQuota_Dlg quota(m_devices.SelectedDevicesText(), m_quotaState, m_sendOptions, m_list.Count(), m_prompter, this);
    if (quota.exec() == QDialog::Accepted)
        SyncOptionControls();
}

void CVRIX_Bulk_SMSDlg::OnAbout() {
    QMessageBox::about(this, QStringLiteral("About ") + AppShell::kProductName,
                       AppShell::kProductName + QStringLiteral("\nVersion ") + QCoreApplication::applicationVersion());
}

void CVRIX_Bulk_SMSDlg::OnHelp() {
    if (m_listBusy)
        return;
    FileOpener opener(m_prompter,
                      [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); });
    static_cast<void>(AppShell::Help(opener));
}

// ---- Devices ----

void CVRIX_Bulk_SMSDlg::RefreshDevices() {
    const QStringList entries = m_devices.DeviceEntries();
    const QString previous = m_deviceCombo->currentText();
    {
        const QSignalBlocker block(m_deviceCombo);
        m_deviceCombo->clear();
        m_deviceCombo->addItems(entries);
        // Several devices: the run shares the list among them all unless the user picks one.
        int index = entries.indexOf(previous);
        if (index < 0)
            index = entries.size() >= 2 ? static_cast<int>(entries.size()) - 1 : 0;
        m_deviceCombo->setCurrentIndex(entries.isEmpty() ? -1 : index);
    }
    m_deviceCombo->setVisible(!entries.isEmpty());
    if (entries.isEmpty()) {
        m_deviceText->setText(kNoDevice);
        m_deviceTextPlain.clear();
        m_wizardLink->setVisible(true);
    } else {
        const QString text = entries.size() < 2
                                 ? entries.first()
                                 : QStringLiteral("(%1) Mobile Phone Device selected.").arg(entries.size() - 1);
        m_deviceText->setText(QStringLiteral("<a href=\"details\">%1</a>").arg(text.toHtmlEscaped()));
        m_deviceTextPlain = text;
        m_wizardLink->setVisible(false);
    }
    RefreshSizeInfo();
}

void CVRIX_Bulk_SMSDlg::OnConnectionWizard() {
    CMobile_Conn_Dlg steps(this);
    if (steps.exec() != QDialog::Accepted)
        return;
    m_devices.Reset();
    RefreshDevices();
    m_wizardLink->setVisible(false);
    DeviceSelectionController::Options options;
    options.timing = m_options.timing;
    CPhone_List_Dlg selection(m_devices, m_prompter, m_demos, options, this);
    selection.exec();
    RefreshDevices();
}

void CVRIX_Bulk_SMSDlg::OnDeviceDetails() {
    if (m_devices.DeviceCount() == 0)
        return;
    CSelected_Device_Details_GSM::Options options;
    options.testMessage.timing = m_options.timing;
    options.timing = m_options.timing;
    options.nonOverlapped = m_nonOverlapped->isChecked();
    options.loadPhonebook = [this](int slot) { OnLoadPhonebook(slot); };
    CSelected_Device_Details_GSM details(m_devices, m_prompter, options, this);
    details.exec();
    RefreshDevices();
}

void CVRIX_Bulk_SMSDlg::OnLoadPhonebook(int slot) {
    if (m_listBusy)
        return;
    const auto record = m_devices.Record(slot);
    if (!record) {
        m_prompter.Notice(DeviceMessages::kSelectDeviceForPhonebook);
        return;
    }
    BeginListWork(QStringLiteral("Importing contacts from phone, Please wait ..."));
    struct Outcome {
        std::vector<PhonebookEntry> entries;
        QString error;
        bool failed = false;
    };
    const QString port = record->portName;
    const ModemTiming timing = m_options.timing;
    UiTask::Run<Outcome>(
        this,
        [port, timing] {
            Outcome outcome;
            try {
                CSMSSerialPort discovery;
                discovery.SetTiming(timing);
                discovery.Open(5000, port);
                outcome.entries = PhonebookReader(discovery).ReadPhonebook(false);
            } catch (const CSMSException& e) {
                outcome.failed = true;
                outcome.error = GetErrorText(e);
            }
            return outcome;
        },
        [this](Outcome outcome) {
            if (!outcome.failed && !outcome.entries.empty()) {
                // The contacts go to the top in the device's order, through the number check like every source.
                QStringList numbers;
                for (const PhonebookEntry& entry : outcome.entries)
                    numbers << entry.number;
                const QString text = m_composer.Text();
                static_cast<void>(m_list.AddNumbers(0, numbers, text, text, CheckOptions()));
            }
            EndListWork();
            if (outcome.failed)
                m_prompter.Notice(DeviceMessages::DeviceErrorMessage(outcome.error));
            else if (outcome.entries.empty())
                m_prompter.Notice(DeviceMessages::kNoContacts);
        });
}

// ---- Send ----

void CVRIX_Bulk_SMSDlg::OnSend() {
    if (IsSending())
        return;
    SendCommand::WindowState state;
    state.numberField = m_number->text();
    state.deviceText = m_deviceTextPlain;
    state.selectedEntry = m_deviceCombo->currentText();
    state.listWorkerRunning = m_listBusy;
    SendCommand::CheckResult result = m_sendCommand->Check(state);
    // The changed-text question may have written the composer text into rows.
    m_listModel->RowsEdited();
    switch (result.outcome) {
    case SendCommand::Outcome::Ignored:
    case SendCommand::Outcome::Cancelled:
        return;
    case SendCommand::Outcome::Refused:
        if (result.message == SendCommand::kInvalidNumber)
            m_number->clear();
        FocusOn(result.focus);
        return;
    case SendCommand::Outcome::Ready:
        break;
    }
    m_number->clear();
    // The device preparation opens ports and may ask: it runs on a send worker; the progress window opens on
    // this thread and the worker waits for it to close.
    ++m_sendWorkers;
    auto plan = std::make_shared<SendCommand::Plan>(std::move(result.plan));
    SendCommand* command = m_sendCommand.get();
    std::atomic<int>* workers = &m_sendWorkers;
    UiTask::Run<SendCommand::RunOutcome>(
        this,
        [this, command, plan, workers] {
            const SendCommand::RunOutcome outcome =
                command->Run(std::move(*plan), [this](SendContext context) { OpenRunAndWait(std::move(context)); });
            --*workers;
            return outcome;
        },
        [this](SendCommand::RunOutcome outcome) {
            if (outcome == SendCommand::RunOutcome::Finished) {
                raise();
                activateWindow();
            }
            Q_EMIT SendFinished();
        });
}

void CVRIX_Bulk_SMSDlg::OpenRunAndWait(SendContext context) {
    auto closed = std::make_shared<std::promise<void>>();
    std::future<void> done = closed->get_future();
    QMetaObject::invokeMethod(
        this,
        [this, context = std::move(context), closed]() mutable {
            OpenSendingWindow(std::move(context), [closed] { closed->set_value(); });
        },
        Qt::QueuedConnection);
    done.wait();
}

void CVRIX_Bulk_SMSDlg::OpenSendingWindow(SendContext context, std::function<void()> closed) {
    context.clock = SendClock(m_options.clockScale);
    auto* window = new CSMS_Sending(std::move(context), m_prompter, this);
    connect(window, &CSMS_Sending::ClearFieldsRequested, this, &CVRIX_Bulk_SMSDlg::ClearFieldsAfterSend);
    m_sending = window;
    connect(window, &QDialog::finished, this, [this, window, closed = std::move(closed)] {
        m_sending = nullptr;
        window->deleteLater();
        closed();
    });
    window->open();
}

void CVRIX_Bulk_SMSDlg::ClearFieldsAfterSend() {
    m_number->clear();
    m_composerEdit->clear();
    m_list.Reset();
    m_listModel->Refresh();
    RefreshCount();
    OnComposerChanged();
}

// ---- Keys and closing ----

bool CVRIX_Bulk_SMSDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_listView && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete) {
            OnClearSelected();
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && m_listView->currentIndex().isValid()) {
            OnUpdateRow();
            return true;
        }
    }
    if (watched == m_listView && event->type() == QEvent::FocusIn) {
        if (!m_listView->currentIndex().isValid() && m_listModel->rowCount() > 0) {
            m_listView->setCurrentIndex(m_listModel->index(0, 0));
            m_listView->selectRow(0);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CVRIX_Bulk_SMSDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CVRIX_Bulk_SMSDlg::reject() {
    // Esc is ignored; the window closes only through Exit.
}

void CVRIX_Bulk_SMSDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    OnExit();
}
