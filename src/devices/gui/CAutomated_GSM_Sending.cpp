#include "devices/gui/CAutomated_GSM_Sending.h"

#include "devices/MainDeviceState.h"
#include "ui/DialogButtons.h"
#include "ui/UiPost.h"
#include "ui/UiTask.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

class CAutomated_GSM_Sending::Observer final : public ConnectionTestObserver {
public:
    explicit Observer(CAutomated_GSM_Sending* window) : m_window(window) {}
    void OnStatusLabel(const QString&) override {
        // The label as it stands when the call is handled: a Stop pressed meanwhile is not undone by a late call.
        Post([](CAutomated_GSM_Sending* w) { w->m_status->setText(w->m_controller.StatusLabel()); });
    }
    void OnCaseStarted(int) override {
        Post([](CAutomated_GSM_Sending* w) { w->RefreshCases(); });
    }
    void OnCaseFinished(int, const QString&) override {
        Post([](CAutomated_GSM_Sending* w) { w->RefreshCases(); });
    }
    void OnTestFinished(bool) override {
        Post([](CAutomated_GSM_Sending* w) {
            w->RefreshCases();
            w->m_status->setText(w->m_controller.StatusLabel());
        });
    }

private:
    template <typename F> void Post(F f) { PostToWindow(m_window, std::move(f)); }
    CAutomated_GSM_Sending* m_window;
};

CAutomated_GSM_Sending::CAutomated_GSM_Sending(MainDeviceState& devices, Prompter& prompter, int slot,
                                               ConnectionTestController::Options options, QWidget* parent)
    : QDialog(parent), m_prompter(prompter), m_controller(devices, prompter, slot, std::move(options)),
      m_observer(std::make_unique<Observer>(this)), m_deviceList(new QTableWidget(0, 2)),
      m_caseList(new QTableWidget(0, 5)), m_phoneField(new QLineEdit), m_customField(new QLineEdit),
      m_status(new QLabel) {
    setObjectName(QStringLiteral("CAutomated_GSM_Sending"));
    setWindowTitle(QStringLiteral("Advanced Connection Troubleshooting"));
    m_deviceList->setHorizontalHeaderLabels({QStringLiteral("Com Port"), QStringLiteral("Com Port Details")});
    m_deviceList->verticalHeader()->setVisible(false);
    m_deviceList->horizontalHeader()->setStretchLastSection(true);
    m_deviceList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_deviceList->setColumnWidth(0, 140);
    if (const auto record = devices.Record(slot)) {
        m_deviceList->setRowCount(1);
        m_deviceList->setItem(0, 0, new QTableWidgetItem(record->portName));
        m_deviceList->setItem(0, 1, new QTableWidgetItem(record->displayName));
    }
    m_deviceList->setMaximumHeight(m_deviceList->horizontalHeader()->sizeHint().height() +
                                   2 * m_deviceList->verticalHeader()->defaultSectionSize() + 6);
    m_caseList->setObjectName(QStringLiteral("CaseList"));
    m_caseList->setHorizontalHeaderLabels({QStringLiteral("Possible Case"), QStringLiteral("Description"),
                                           QStringLiteral("Status"), QStringLiteral("Case SMS"),
                                           QStringLiteral("Case Name")});
    m_caseList->setColumnHidden(3, true);
    m_caseList->setColumnHidden(4, true);
    m_caseList->setColumnWidth(0, 120);
    m_caseList->setColumnWidth(1, 240);
    m_caseList->horizontalHeader()->setStretchLastSection(false);
    m_caseList->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    m_caseList->verticalHeader()->setVisible(false);
    m_caseList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_caseList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_caseList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_phoneField->setObjectName(QStringLiteral("PhoneField"));
    m_customField->setObjectName(QStringLiteral("CustomSmscField"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Connected Device")));
    layout->addWidget(m_deviceList);
    auto* hint = new QLabel(QStringLiteral("This test will suggest you the best suitable settings for your device for "
                                           "sending messages."));
    hint->setWordWrap(true);
    layout->addWidget(hint);
    auto* grid = new QGridLayout;
    auto* phoneLabel = new QLabel(
        QStringLiteral("Please enter your Phone number to receive test SMS sent by VRIX Bulk SMS Software."));
    phoneLabel->setWordWrap(true);
    grid->addWidget(phoneLabel, 0, 0, 1, 3);
    grid->addWidget(m_phoneField, 1, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Custom SMSC No. :")), 2, 0);
    grid->addWidget(m_customField, 2, 1);
    grid->addWidget(CommandButton(QStringLiteral("Set Cus SMSC"), QStringLiteral("SetCusSmsc")), 2, 2);
    auto* smscHint = new QLabel(QStringLiteral("Correct SMS Service Center number starts with ‘+’ or ‘00’ before your "
                                               "country code (e.g. +65 or 0044)."));
    smscHint->setWordWrap(true);
    grid->addWidget(smscHint, 3, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    layout->addWidget(new QLabel(QStringLiteral("Test Case for Selected Device")));
    layout->addWidget(m_caseList, 1);
    m_status->setObjectName(QStringLiteral("StatusLabel"));
    layout->addWidget(m_status);
    auto* row1 = new QHBoxLayout;
    row1->addWidget(CommandButton(m_controller.StartButtonCaption(), QStringLiteral("StartTest")));
    row1->addWidget(CommandButton(QStringLiteral("Stop"), QStringLiteral("Stop")));
    row1->addStretch(1);
    layout->addLayout(row1);
    auto* row2 = new QHBoxLayout;
    row2->addWidget(CommandButton(QStringLiteral("Use Selected Case for SMS Sending"), QStringLiteral("UseCase")));
    row2->addWidget(CommandButton(QStringLiteral("Save Test Case Log"), QStringLiteral("SaveLog")));
    row2->addWidget(CommandButton(QStringLiteral("Clear Status"), QStringLiteral("ClearStatus")));
    row2->addStretch(1);
    auto* close = CommandButton(QStringLiteral("Close"), QStringLiteral("Close"));
    row2->addWidget(close);
    layout->addLayout(row2);
    resize(760, 600);

    connect(Button(QStringLiteral("StartTest")), &QPushButton::clicked, this, &CAutomated_GSM_Sending::OnStartTest);
    connect(Button(QStringLiteral("Stop")), &QPushButton::clicked, this, &CAutomated_GSM_Sending::OnStop);
    connect(Button(QStringLiteral("UseCase")), &QPushButton::clicked, this, &CAutomated_GSM_Sending::OnUseSelectedCase);
    connect(Button(QStringLiteral("SaveLog")), &QPushButton::clicked, this, &CAutomated_GSM_Sending::OnSaveLog);
    connect(Button(QStringLiteral("ClearStatus")), &QPushButton::clicked, this, &CAutomated_GSM_Sending::OnClearStatus);
    connect(Button(QStringLiteral("SetCusSmsc")), &QPushButton::clicked, this,
            &CAutomated_GSM_Sending::OnSetCustomSmsc);
    connect(close, &QPushButton::clicked, this, &CAutomated_GSM_Sending::reject);
    connect(m_caseList, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() == 0)
            m_controller.SetTicked(item->row(), item->checkState() == Qt::Checked);
    });
    RefreshCases();
    m_status->setText(m_controller.StatusLabel());
}

CAutomated_GSM_Sending::~CAutomated_GSM_Sending() {
    while (m_pending.load() > 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    m_controller.OnStop();
    m_controller.WaitForTest();
}

QPushButton* CAutomated_GSM_Sending::Button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

QString CAutomated_GSM_Sending::StatusLabelText() const {
    return m_status->text();
}

void CAutomated_GSM_Sending::RefreshCases() {
    const std::vector<ConnectionTestCase> cases = m_controller.Cases();
    const QSignalBlocker block(m_caseList);
    m_caseList->setRowCount(static_cast<int>(cases.size()));
    for (int r = 0; r < static_cast<int>(cases.size()); ++r) {
        const ConnectionTestCase& c = cases[static_cast<size_t>(r)];
        auto* label = new QTableWidgetItem(c.label);
        label->setFlags(label->flags() | Qt::ItemIsUserCheckable);
        label->setCheckState(c.ticked ? Qt::Checked : Qt::Unchecked);
        m_caseList->setItem(r, 0, label);
        m_caseList->setItem(r, 1, new QTableWidgetItem(c.description));
        m_caseList->setItem(r, 2, new QTableWidgetItem(c.status));
        m_caseList->setItem(r, 3, new QTableWidgetItem(c.caseSms));
        m_caseList->setItem(r, 4, new QTableWidgetItem(c.name));
    }
}

void CAutomated_GSM_Sending::OnStartTest() {
    if (m_controller.OnStartTest(m_phoneField->text(), m_customField->text(), m_observer.get()))
        RefreshCases();
}

void CAutomated_GSM_Sending::OnStop() {
    m_controller.OnStop();
    m_status->setText(m_controller.StatusLabel()); // "Stopped" at once, not when the current case ends
}

void CAutomated_GSM_Sending::OnUseSelectedCase() {
    const auto rows = m_caseList->selectionModel()->selectedRows();
    const int index = rows.isEmpty() ? -1 : rows.first().row();
    static_cast<void>(m_controller.OnUseSelectedCase(index, m_customField->text()));
}

void CAutomated_GSM_Sending::OnSaveLog() {
    const std::vector<ConnectionTestCase> cases = m_controller.Cases();
    const bool executed =
        std::any_of(cases.begin(), cases.end(), [](const ConnectionTestCase& c) { return !c.status.isEmpty(); });
    QString path;
    if (executed && !m_controller.IsRunning()) {
        path = QFileDialog::getSaveFileName(this, QStringLiteral("Save Test Case Log"), QString(),
                                            QStringLiteral("Text Files(*.txt)"));
        if (path.isEmpty())
            return;
    }
    // Without an executed case (or while a test runs) the controller gives its refusal.
    static_cast<void>(m_controller.OnSaveLog(path));
}

void CAutomated_GSM_Sending::OnClearStatus() {
    if (m_controller.OnClearStatus())
        RefreshCases();
}

void CAutomated_GSM_Sending::OnSetCustomSmsc() {
    ConnectionTestController* controller = &m_controller;
    const QString number = m_customField->text();
    ++m_pending;
    std::atomic<int>* pending = &m_pending;
    setEnabled(false);
    UiTask::Run(
        this,
        [controller, number, pending] {
            static_cast<void>(controller->OnSetCustomSmsc(number));
            --*pending;
        },
        [this] { setEnabled(true); });
}

void CAutomated_GSM_Sending::reject() {
    if (m_closing)
        return;
    m_closing = true;
    ConnectionTestController* controller = &m_controller;
    ++m_pending;
    std::atomic<int>* pending = &m_pending;
    // The close question may stop a running test and wait for it, so it goes to a pool thread.
    UiTask::Run<bool>(
        this,
        [controller, pending] {
            const bool close = controller->OnClose();
            --*pending;
            return close;
        },
        [this](bool close) {
            m_closing = false;
            if (close)
                QDialog::reject();
        });
}
