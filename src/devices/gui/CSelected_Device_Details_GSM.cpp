#include "devices/gui/CSelected_Device_Details_GSM.h"

#include "devices/ConnectionTestController.h"
#include "devices/MainDeviceState.h"
#include "devices/gui/CAutomated_GSM_Sending.h"
#include "ui/DialogButtons.h"
#include "ui/TableFit.h"
#include "ui/UiTask.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

CSelected_Device_Details_GSM::CSelected_Device_Details_GSM(MainDeviceState& devices, Prompter& prompter,
                                                           Options options, QWidget* parent)
    : QDialog(parent), m_devices(devices), m_prompter(prompter), m_options(std::move(options)),
      m_controller(devices, prompter, m_options.testMessage),
      m_deviceList(new QTableWidget(0, static_cast<int>(DeviceDetailsController::Columns().size()))),
      m_detailsList(new QTableWidget(0, 2)), m_portField(new QLineEdit), m_customField(new QLineEdit),
      m_phoneField(new QLineEdit), m_pdu(new QRadioButton(QStringLiteral("PDU Mode"))),
      m_text(new QRadioButton(QStringLiteral("Text Mode"))) {
    setObjectName(QStringLiteral("CSelected_Device_Details_GSM"));
    setWindowTitle(QStringLiteral("Selected Device Details"));
    QStringList captions;
    for (const QString& c : DeviceDetailsController::Columns())
        captions << c;
    m_deviceList->setObjectName(QStringLiteral("DeviceList"));
    m_deviceList->setHorizontalHeaderLabels(captions);
    m_deviceList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_deviceList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_deviceList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_deviceList->verticalHeader()->setVisible(false);
    m_deviceList->horizontalHeader()->setStretchLastSection(true);
    m_deviceList->setColumnWidth(0, 140);
    m_deviceList->setColumnWidth(1, 260);
    // The remaining columns are at least as wide as their captions.
    for (int c = 2; c < m_deviceList->columnCount(); ++c)
        m_deviceList->setColumnWidth(c, std::max(100, m_deviceList->horizontalHeader()->sectionSizeHint(c)));
    m_deviceList->setWordWrap(false);
    m_detailsList->setObjectName(QStringLiteral("DetailsList"));
    m_detailsList->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Value")});
    m_detailsList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_detailsList->verticalHeader()->setVisible(false);
    m_detailsList->horizontalHeader()->setStretchLastSection(true);
    m_detailsList->setColumnWidth(0, 180);
    m_portField->setReadOnly(true);
    m_customField->setObjectName(QStringLiteral("CustomSmscField"));
    m_phoneField->setObjectName(QStringLiteral("PhoneField"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_deviceList, 1);
    auto* grid = new QGridLayout;
    grid->addWidget(m_detailsList, 0, 0, 6, 1);
    grid->setColumnStretch(0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Com Port :")), 0, 1);
    grid->addWidget(m_portField, 0, 2, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Custom SMSC No. :")), 1, 1);
    grid->addWidget(m_customField, 1, 2);
    auto* smscButtons = new QHBoxLayout;
    smscButtons->addWidget(CommandButton(QStringLiteral("Save"), QStringLiteral("SaveSmsc")));
    smscButtons->addWidget(CommandButton(QStringLiteral("Reset"), QStringLiteral("ResetSmsc")));
    grid->addLayout(smscButtons, 1, 3);
    auto* modes = new QHBoxLayout;
    modes->addWidget(m_pdu);
    modes->addWidget(m_text);
    grid->addLayout(modes, 2, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Send Test Message By Selected Device")), 3, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Phone No. :")), 4, 1);
    grid->addWidget(m_phoneField, 4, 2);
    grid->addWidget(CommandButton(QStringLiteral("Send"), QStringLiteral("SendTest")), 4, 3);
    auto* tools = new QHBoxLayout;
    tools->addWidget(CommandButton(QStringLiteral("Advanced Connection Troubleshooting"), QStringLiteral("Advanced")));
    tools->addWidget(CommandButton(QStringLiteral("Load Phone Book"), QStringLiteral("LoadPhoneBook")));
    grid->addLayout(tools, 5, 1, 1, 3);
    layout->addLayout(grid, 1);
    auto* close = CommandButton(QStringLiteral("Close"), QStringLiteral("Close"));
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(860, 560);

    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button(QStringLiteral("SaveSmsc")), &QPushButton::clicked, this,
            &CSelected_Device_Details_GSM::OnSaveCustomSmsc);
    connect(Button(QStringLiteral("ResetSmsc")), &QPushButton::clicked, this,
            &CSelected_Device_Details_GSM::OnResetCustomSmsc);
    connect(Button(QStringLiteral("SendTest")), &QPushButton::clicked, this, &CSelected_Device_Details_GSM::OnSendTest);
    connect(Button(QStringLiteral("Advanced")), &QPushButton::clicked, this,
            &CSelected_Device_Details_GSM::OnAdvancedTroubleshooting);
    connect(Button(QStringLiteral("LoadPhoneBook")), &QPushButton::clicked, this,
            &CSelected_Device_Details_GSM::OnLoadPhonebook);
    connect(m_deviceList, &QTableWidget::itemSelectionChanged, this, &CSelected_Device_Details_GSM::ShowDetails);
    connect(m_pdu, &QRadioButton::clicked, this, [this] { OnModeClicked(DeviceRecord::kModePdu); });
    connect(m_text, &QRadioButton::clicked, this, [this] { OnModeClicked(DeviceRecord::kModeText); });
    RefreshRows();
    if (m_deviceList->rowCount() > 0)
        m_deviceList->selectRow(0);
}

CSelected_Device_Details_GSM::~CSelected_Device_Details_GSM() {
    while (m_pending.load() > 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

QPushButton* CSelected_Device_Details_GSM::Button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

int CSelected_Device_Details_GSM::CurrentSlot() const {
    const auto rows = m_deviceList->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return -1;
    const auto records = m_devices.Records();
    const int row = rows.first().row();
    return row < static_cast<int>(records.size()) ? records[static_cast<size_t>(row)].slot : -1;
}

void CSelected_Device_Details_GSM::RefreshRows() {
    const int selected = m_deviceList->selectionModel()->selectedRows().isEmpty()
                             ? -1
                             : m_deviceList->selectionModel()->selectedRows().first().row();
    const auto records = m_devices.Records();
    const QSignalBlocker block(m_deviceList);
    m_deviceList->setRowCount(static_cast<int>(records.size()));
    for (int r = 0; r < static_cast<int>(records.size()); ++r) {
        const std::vector<QString> values = DeviceDetailsController::RowValues(records[static_cast<size_t>(r)]);
        for (int c = 0; c < static_cast<int>(values.size()); ++c)
            m_deviceList->setItem(r, c, new QTableWidgetItem(values[static_cast<size_t>(c)]));
    }
    if (selected >= 0 && selected < m_deviceList->rowCount())
        m_deviceList->selectRow(selected);
    TableFit::ColumnsToContents(m_deviceList, this);
    ShowDetails();
}

void CSelected_Device_Details_GSM::ShowDetails() {
    const int slot = CurrentSlot();
    const auto record = m_devices.Record(slot);
    const auto lines = record ? DeviceDetailsController::RecordLines(*record) : std::vector<QPair<QString, QString>>{};
    m_detailsList->setRowCount(static_cast<int>(lines.size()));
    for (int r = 0; r < static_cast<int>(lines.size()); ++r) {
        m_detailsList->setItem(r, 0, new QTableWidgetItem(lines[static_cast<size_t>(r)].first));
        m_detailsList->setItem(r, 1, new QTableWidgetItem(lines[static_cast<size_t>(r)].second));
    }
    m_portField->setText(record ? record->portName : QString());
    m_customField->setText(record && record->useCustomSmsc ? record->customSmsc : QString());
    m_pdu->setChecked(record && record->smsMode == DeviceRecord::kModePdu);
    m_text->setChecked(record && record->smsMode == DeviceRecord::kModeText);
}

void CSelected_Device_Details_GSM::OnSaveCustomSmsc() {
    if (m_controller.OnSaveCustomSmsc(CurrentSlot(), m_portField->text(), m_customField->text()))
        RefreshRows();
    else
        m_customField->setFocus();
}

void CSelected_Device_Details_GSM::OnResetCustomSmsc() {
    if (m_controller.OnResetCustomSmsc(CurrentSlot(), m_portField->text())) {
        m_customField->clear();
        RefreshRows();
    }
}

void CSelected_Device_Details_GSM::OnModeClicked(int smsMode) {
    m_controller.OnSmsModeChanged(CurrentSlot(), smsMode);
    RefreshRows();
}

void CSelected_Device_Details_GSM::OnSendTest() {
    const int slot = CurrentSlot();
    const QString phone = m_phoneField->text();
    DeviceDetailsController* controller = &m_controller;
    std::atomic<int>* pending = &m_pending;
    ++m_pending;
    m_busy = true;
    setEnabled(false);
    UiTask::Run(
        this,
        [controller, slot, phone, pending] {
            static_cast<void>(controller->OnSendTestMessage(slot, phone));
            --*pending;
        },
        [this] {
            setEnabled(true);
            m_busy = false;
        });
}

void CSelected_Device_Details_GSM::OnAdvancedTroubleshooting() {
    const int slot = CurrentSlot();
    if (!m_controller.OnAdvancedTroubleshooting(slot))
        return;
    ConnectionTestController::Options options;
    options.timing = m_options.timing;
    options.replyTimeoutMs = m_options.testMessage.replyTimeoutMs;
    options.nonOverlapped = m_options.nonOverlapped;
    options.collection = m_options.testMessage.collection;
    CAutomated_GSM_Sending test(m_devices, m_prompter, slot, options, this);
    test.exec();
    RefreshRows();
}

void CSelected_Device_Details_GSM::OnLoadPhonebook() {
    if (m_options.loadPhonebook)
        m_options.loadPhonebook(CurrentSlot());
}
