#include "composer/gui/MainWindowForm.h"

#include "composer/MessageComposer.h"
#include "numbers/CountryCodes.h"
#include "sending/SendOptionsModel.h"
#include "ui/ComposerEdit.h"
#include "ui/DialogButtons.h"
#include "ui/MessageSizeInfo.h"
#include "ui/NumberEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QCheckBox* MakeCheck(const QString& caption) {
    auto* check = new QCheckBox(caption);
    check->setObjectName(caption);
    return check;
}

} // namespace

void MainWindowForm::Build(QDialog* owner) {
    window = owner;
    // Devices.
    auto* deviceBox = new QGroupBox;
    auto* deviceRow = new QGridLayout(deviceBox);
    deviceCaption = new QLabel(QStringLiteral("<a href=\"details\">Selected Mobile Device :</a>"));
    deviceCaption->setObjectName(QStringLiteral("Selected Mobile Device :"));
    deviceText = new QLabel;
    deviceText->setObjectName(QStringLiteral("DeviceText"));
    deviceText->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    deviceText->setWordWrap(true);
    wizardLink = new QLabel(QStringLiteral("<a href=\"wizard\">%1</a>").arg(kWizardLink.toHtmlEscaped()));
    wizardLink->setObjectName(QStringLiteral("WizardLink"));
    deviceCombo = new QComboBox;
    deviceCombo->setObjectName(QStringLiteral("DeviceCombo"));
    deviceCombo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    deviceRow->addWidget(deviceCaption, 0, 0);
    deviceRow->addWidget(deviceText, 0, 1);
    deviceRow->addWidget(deviceCombo, 0, 2);
    deviceRow->addWidget(CommandButton(QStringLiteral("Mobile Phone Connection Wizard")), 0, 3);
    deviceRow->addWidget(wizardLink, 1, 0, 1, 3);
    auto* demoButton = CommandButton(QStringLiteral("Demo Modem Messages"));
    demoButton->setVisible(false);
    deviceRow->addWidget(demoButton, 1, 3);
    deviceRow->setColumnStretch(1, 1);

    // Recipient list.
    auto* listBox = new QGroupBox(QStringLiteral("Phone Numbers - Messages"));
    auto* listLayout = new QVBoxLayout(listBox);
    auto* entryRow = new QHBoxLayout;
    entryRow->addWidget(new QLabel(QStringLiteral("Enter Recipient Number")));
    number = new NumberEdit;
    number->setObjectName(QStringLiteral("NumberField"));
    entryRow->addWidget(number, 1);
    entryRow->addWidget(CommandButton(QStringLiteral("Add")));
    listLayout->addLayout(entryRow);
    auto* sourceRow = new QHBoxLayout;
    sourceRow->addWidget(CommandButton(QStringLiteral("Load Contacts From File")));
    sourceRow->addWidget(CommandButton(QStringLiteral("Add or Paste numbers Manually")));
    listLayout->addLayout(sourceRow);
    listLayout->addWidget(
        CommandButton(QStringLiteral("Send unique or personalized SMS to every Contact using Excel")));
    listView = new QTableView;
    listView->setObjectName(QStringLiteral("RecipientList"));
        listView->setSelectionBehavior(QAbstractItemView::SelectRows);
    listView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    listView->setShowGrid(true);
    listView->setWordWrap(false);
    listView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listView->verticalHeader()->setVisible(false);
    listView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    listView->verticalHeader()->setDefaultSectionSize(listView->fontMetrics().height() + 6);
    listView->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    listView->horizontalHeader()->setStretchLastSection(true);
    listLayout->addWidget(listView, 1);
    countLabel = new QLabel;
    countLabel->setObjectName(QStringLiteral("CountLabel"));
    listLayout->addWidget(countLabel);
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
    composer = new ComposerEdit;
    composer->setObjectName(QStringLiteral("Composer"));
    composerLayout->addWidget(composer, 1);
    auto* counterRow = new QHBoxLayout;
    counterLabel = new QLabel;
    counterLabel->setObjectName(QStringLiteral("CounterLabel"));
    smsCountLabel = new QLabel;
    smsCountLabel->setObjectName(QStringLiteral("SmsCountLabel"));
    counterRow->addWidget(counterLabel);
    counterRow->addStretch(1);
    counterRow->addWidget(smsCountLabel);
    composerLayout->addLayout(counterRow);
    gsmWarning = new QLabel(MessageSizeInfo::kNonGsmWarning);
    gsmWarning->setObjectName(QStringLiteral("GsmWarning"));
    gsmWarning->setWordWrap(true);
    gsmWarning->setStyleSheet(QStringLiteral("color: #b00000;"));
    gsmWarning->setVisible(false);
    composerLayout->addWidget(gsmWarning);
    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(new QLabel(QStringLiteral("Message Type :")));
    messageType = new QComboBox;
    messageType->setObjectName(QStringLiteral("MessageType"));
    messageType->addItems(MessageComposer::MessageTypeItems());
    messageType->setCurrentIndex(MessageComposer::kStandardSms);
    typeRow->addWidget(messageType);
    typeRow->addStretch(1);
    composerLayout->addLayout(typeRow);
    unicode = MakeCheck(QStringLiteral("Enable non-English (Unicode) characters support"));
    composerLayout->addWidget(unicode);

    // Sending options.
    auto* optionsBox = new QGroupBox(QStringLiteral("Options"));
    auto* optionsLayout = new QGridLayout(optionsBox);
    delayed = MakeCheck(QStringLiteral("Delayed Delivery Option"));
    pauseEvery = new QComboBox;
    pauseEvery->setObjectName(QStringLiteral("PauseEvery"));
    pauseEvery->addItems(SendOptionsModel::PauseEveryChoices());
    pauseFor = new QComboBox;
    pauseFor->setObjectName(QStringLiteral("PauseFor"));
    pauseFor->addItems(SendOptionsModel::PauseForChoices());
    auto* pauseRow = new QHBoxLayout;
    pauseRow->addWidget(new QLabel(QStringLiteral("Pause every")));
    pauseRow->addWidget(pauseEvery);
    pauseRow->addWidget(new QLabel(QStringLiteral("SMS")));
    pauseRow->addWidget(new QLabel(QStringLiteral("for")));
    pauseRow->addWidget(pauseFor);
    pauseRow->addStretch(1);
    retry = MakeCheck(QStringLiteral("Retry attempts on Failed SMS"));
    retryCount = new QComboBox;
    retryCount->setObjectName(QStringLiteral("RetryCount"));
    retryCount->addItems(SendOptionsModel::RetryCountChoices());
    retryAllErrors = MakeCheck(QStringLiteral("Retry every failed message"));
    skipDuplicates = MakeCheck(QStringLiteral("Skip Duplicate Numbers"));
    useExclusion = MakeCheck(QStringLiteral("Use Exclusion Rules"));
    saveSentItems = MakeCheck(QStringLiteral("Save Sent Items"));
    saveTemplates = MakeCheck(QStringLiteral("Save sent message to Templates"));
    deliveryReports = MakeCheck(QStringLiteral("Request delivery reports"));
    // Not shown: their start state is all the user ever gets (the quota window sets the last one).
    clearAfterSend = MakeCheck(QStringLiteral("Clear all fields after sending SMS"));
    nonOverlapped = MakeCheck(QStringLiteral("Sent Non Overlapped"));
    // The quota switch beside its link: the quota window turns it on, the user may turn it off here.
    quota = MakeCheck(QStringLiteral("Quotas in use"));
    quota->setObjectName(QStringLiteral("QuotaCheck"));
    quota->setToolTip(QStringLiteral("Clear to send without the quotas set in Quota Management."));
    for (QCheckBox* hidden : {clearAfterSend, nonOverlapped})
        hidden->setVisible(false);
    optionsLayout->addWidget(delayed, 0, 0, 1, 2);
    optionsLayout->addLayout(pauseRow, 1, 0, 1, 2);
    auto* retryRow = new QHBoxLayout;
    retryRow->addWidget(retry);
    retryRow->addWidget(retryCount);
    retryRow->addWidget(retryAllErrors);
    retryRow->addStretch(1);
    optionsLayout->addLayout(retryRow, 2, 0, 1, 2);
    optionsLayout->addWidget(skipDuplicates, 3, 0);
    optionsLayout->addWidget(useExclusion, 3, 1);
    optionsLayout->addWidget(saveSentItems, 4, 0);
    optionsLayout->addWidget(saveTemplates, 4, 1);
    quotaLink = new QLabel(QStringLiteral("<a href=\"quota\">Click here Quota Management</a>"));
    quotaLink->setObjectName(QStringLiteral("QuotaLink"));
    optionsLayout->addWidget(quotaLink, 6, 0);
    optionsLayout->addWidget(quota, 6, 1);
    fixedPauses = MakeCheck(QStringLiteral("Wait fixed pauses between commands (older devices)"));
    optionsLayout->addWidget(fixedPauses, 7, 0, 1, 2);
    // Numbers are compared (duplicates, exclusion lists) in their international form for this country.
    country = new QComboBox;
    country->setObjectName(QStringLiteral("Country"));
    country->addItem(kNoCountry, QString());
    for (const QString& code : SupportedCountries())
        country->addItem(code, code);
    auto* countryRow = new QHBoxLayout;
    countryRow->addWidget(new QLabel(QStringLiteral("Default country :")));
    countryRow->addWidget(country);
    countryRow->addStretch(1);
    optionsLayout->addLayout(countryRow, 8, 0);
    sendInternational = MakeCheck(QStringLiteral("Send numbers in international format"));
    optionsLayout->addWidget(sendInternational, 8, 1);
    optionsLayout->addWidget(deliveryReports, 9, 0);
    reconnectWait = new QSpinBox;
    reconnectWait->setObjectName(QStringLiteral("ReconnectWait"));
    reconnectWait->setRange(0, SendOptionsModel::kMaxReconnectWaitSeconds);
    reconnectWait->setSuffix(QStringLiteral(" s"));
    reconnectWait->setToolTip(QStringLiteral("A device unplugged or reset during a run is waited for this long (found "
                                             "again by its IMEI on any port) before it leaves the run; 0: not at "
                                             "all."));
    auto* reconnectRow = new QHBoxLayout;
    reconnectRow->addWidget(new QLabel(QStringLiteral("Wait for a device that is gone :")));
    reconnectRow->addWidget(reconnectWait);
    reconnectRow->addStretch(1);
    optionsLayout->addLayout(reconnectRow, 9, 1);
    auto* toolRow = new QHBoxLayout;
    toolRow->addWidget(CommandButton(QStringLiteral("Exclusion List Wizard")));
    toolRow->addWidget(CommandButton(QStringLiteral("View Templates")));
    toolRow->addWidget(CommandButton(QStringLiteral("Sent Items")));
    toolRow->addWidget(CommandButton(QStringLiteral("Inbox")));
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

    auto* layout = new QVBoxLayout(window);
    layout->addWidget(deviceBox);
    layout->addLayout(middle, 1);
    layout->addLayout(commands);
    layout->addWidget(clearAfterSend);
    layout->addWidget(nonOverlapped);
    window->resize(1100, 720);
}


QPushButton* MainWindowForm::Button(const QString& caption) const { return window->findChild<QPushButton*>(caption); }

void MainWindowForm::ShowOptions(const SendOptionsModel& options) {
    const auto setCheck = [](QCheckBox* check, bool on) {
        const QSignalBlocker block(check);
        check->setChecked(on);
    };
    setCheck(delayed, options.DelayedDelivery());
    setCheck(retry, options.Retries());
    setCheck(skipDuplicates, options.SkipDuplicates());
    setCheck(useExclusion, options.UseExclusion());
    setCheck(saveSentItems, options.SaveSentItems());
    setCheck(saveTemplates, options.SaveTemplates());
    setCheck(deliveryReports, options.DeliveryReports());
    setCheck(clearAfterSend, options.ClearAfterSend());
    setCheck(nonOverlapped, options.NonOverlapped());
    setCheck(quota, options.QuotaManagement());
    const auto setCombo = [](QComboBox* combo, bool enabled, const QString& text) {
        const QSignalBlocker block(combo);
        combo->setEnabled(enabled);
        combo->setCurrentIndex(text.isEmpty() ? -1 : combo->findText(text));
    };
    setCombo(pauseEvery, options.PauseControlsEnabled(), options.PauseEvery());
    setCombo(pauseFor, options.PauseControlsEnabled(), options.PauseFor());
    setCombo(retryCount, options.RetryControlEnabled(), options.RetryCount());
    setCheck(sendInternational, options.SendInternational());
    setCheck(retryAllErrors, options.RetryAllErrors());
    retryAllErrors->setEnabled(options.RetryControlEnabled());
    const QSignalBlocker blockWait(reconnectWait);
    reconnectWait->setValue(options.ReconnectWaitSeconds());
}

void MainWindowForm::ShowChoices(bool fixedPausesOn, const QString& countryCode) {
    const QSignalBlocker blockPauses(fixedPauses);
    fixedPauses->setChecked(fixedPausesOn);
    const QSignalBlocker blockCountry(country);
    country->setCurrentIndex(std::max(0, country->findData(countryCode)));
}

void MainWindowForm::SetListModel(QAbstractItemModel* model) const {
    listView->setModel(model);
    // A whole international number (E.164: up to 15 digits and the "+") is never cut off; widths apply once the
    // view has its model's columns.
    listView->setColumnWidth(
        0, std::max(140, listView->fontMetrics().horizontalAdvance(QStringLiteral("+000000000000000")) + 16));
}

void MainWindowForm::OnOptionChanged(const std::function<void()>& changed) const {
    for (QCheckBox* check : {delayed, retry, retryAllErrors, unicode, skipDuplicates, useExclusion, saveSentItems,
                             saveTemplates, fixedPauses, sendInternational, deliveryReports})
        QObject::connect(check, &QCheckBox::toggled, window, changed);
    for (QComboBox* combo : {pauseEvery, pauseFor, retryCount, messageType})
        QObject::connect(combo, &QComboBox::currentIndexChanged, window, changed);
    QObject::connect(reconnectWait, &QSpinBox::valueChanged, window, changed);
}

void MainWindowForm::ConnectOptions(SendOptionsModel& options) {
    SendOptionsModel* model = &options;
    QObject::connect(pauseEvery, &QComboBox::currentTextChanged, window,
                     [model](const QString& text) { static_cast<void>(model->SetPauseEvery(text)); });
    QObject::connect(pauseFor, &QComboBox::currentTextChanged, window,
                     [model](const QString& text) { static_cast<void>(model->SetPauseFor(text)); });
    QObject::connect(retryCount, &QComboBox::currentTextChanged, window,
                     [model](const QString& text) { static_cast<void>(model->SetRetryCount(text)); });
    const auto onToggle = [this](QCheckBox* check, void (SendOptionsModel::*set)(bool), SendOptionsModel* target) {
        QObject::connect(check, &QCheckBox::toggled, window, [target, set](bool on) { (target->*set)(on); });
    };
    onToggle(retryAllErrors, &SendOptionsModel::SetRetryAllErrors, model);
    onToggle(skipDuplicates, &SendOptionsModel::SetSkipDuplicates, model);
    onToggle(saveSentItems, &SendOptionsModel::SetSaveSentItems, model);
    onToggle(saveTemplates, &SendOptionsModel::SetSaveTemplates, model);
    onToggle(clearAfterSend, &SendOptionsModel::SetClearAfterSend, model);
    onToggle(nonOverlapped, &SendOptionsModel::SetNonOverlapped, model);
    onToggle(sendInternational, &SendOptionsModel::SetSendInternational, model);
    onToggle(deliveryReports, &SendOptionsModel::SetDeliveryReports, model);
    QObject::connect(reconnectWait, &QSpinBox::valueChanged, window,
                     [model](int seconds) { model->SetReconnectWaitSeconds(seconds); });
}

void MainWindowForm::ShowDevices(const Session::DeviceView& view) {
    const QString previous = deviceCombo->currentText();
    {
        const QSignalBlocker block(deviceCombo);
        deviceCombo->clear();
        deviceCombo->addItems(view.entries);
        const int kept = view.entries.indexOf(previous);
        deviceCombo->setCurrentIndex(kept >= 0 ? kept : view.selected);
    }
    deviceCombo->setVisible(!view.entries.isEmpty());
    deviceText->setText(view.text.isEmpty()
                            ? kNoDevice
                            : QStringLiteral("<a href=\"details\">%1</a>").arg(view.text.toHtmlEscaped()));
    wizardLink->setVisible(view.linkVisible);
}

std::vector<qsizetype> MainWindowForm::SelectedRows() const {
    std::vector<qsizetype> rows;
    for (const QItemSelectionRange& range : listView->selectionModel()->selection()) {
        for (int r = range.top(); r <= range.bottom(); ++r)
            rows.push_back(r);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void MainWindowForm::Focus(SendFocus focus) const {
    switch (focus) {
    case SendFocus::NumberField:
        number->setFocus();
        break;
    case SendFocus::PauseEvery:
        pauseEvery->setFocus();
        break;
    case SendFocus::PauseFor:
        pauseFor->setFocus();
        break;
    case SendFocus::None:
        break;
    }
}

void MainWindowForm::Focus(ListEditFocus focus) const {
    switch (focus) {
    case ListEditFocus::NumberField:
        number->setFocus();
        break;
    case ListEditFocus::Composer:
        composer->setFocus();
        break;
    case ListEditFocus::None:
        break;
    }
}
