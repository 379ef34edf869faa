#include "devices/gui/CPhone_List_Dlg.h"

#include "devices/DeviceTexts.h"

#include "app/Prompter.h"
#include "devices/PortEnumerator.h"
#include "ui/DemoModems.h"
#include "ui/DialogButtons.h"
#include "ui/UiPost.h"
#include "ui/UiTask.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

// The scan's progress, carried from the scan thread to the window as queued calls.
class CPhone_List_Dlg::Observer final : public ScanObserver {
public:
    explicit Observer(CPhone_List_Dlg* window) : m_window(window) {}
    void OnScanStarted(int portCount) override {
        Post([portCount](CPhone_List_Dlg* w) {
            w->m_progress->setRange(0, std::max(portCount, 1));
            w->m_progress->setValue(0);
            w->m_portList->setRowCount(0);
        });
    }
    void OnPortStarted(int, const PortInfo& port) override {
        const QString name = port.DisplayName();
        Post([name](CPhone_List_Dlg* w) { w->m_scanLabel->setText(QStringLiteral("Searching: ") + name); });
    }
    void OnPortDone(int index, const ScanPortReport& report) override {
        const QString port = report.displayName;
        const QString outcome = DeviceTexts::PortOutcome(report.listed, report.status);
        Post([index, port, outcome](CPhone_List_Dlg* w) {
            w->m_progress->setValue(index + 1);
            w->AddPortOutcome(port, outcome);
        });
    }
    void OnRowAdded(const DeviceRecord&) override {
        Post([](CPhone_List_Dlg* w) { w->RefreshRows(); });
    }
    void OnScanFinished(bool, int rowCount) override {
        Post([rowCount](CPhone_List_Dlg* w) {
            w->SetScanning(false);
            w->RefreshRows();
            w->m_progress->setValue(w->m_progress->maximum());
        });
    }

private:
    template <typename F> void Post(F f) { PostToWindow(m_window, std::move(f)); }
    CPhone_List_Dlg* m_window;
};

CPhone_List_Dlg::CPhone_List_Dlg(MainDeviceState& devices, Prompter& prompter, DemoModems& demos,
                                 DeviceSelectionController::Options options, QWidget* parent,
                                 DeviceSelectionController::PortSource ports)
    : QDialog(parent), m_prompter(prompter), m_demos(demos), m_observer(std::make_unique<Observer>(this)),
      m_deviceList(new QTableWidget(0, static_cast<int>(DeviceTexts::ScanColumns().size()))),
      m_detailsList(new QTableWidget(0, 2)), m_portList(new QTableWidget(0, 2)), m_progress(new QProgressBar), m_scanLabel(new QLabel),
      m_pdu(new QRadioButton(QStringLiteral("PDU Mode"))), m_text(new QRadioButton(QStringLiteral("Text Mode"))),
      m_customCheck(new QCheckBox(QStringLiteral("Custom SMSC :"))), m_customField(new QLineEdit),
      m_phoneField(new QLineEdit) {
    setObjectName(QStringLiteral("CPhone_List_Dlg"));
    setWindowTitle(QStringLiteral("Mobile Phone Connection Wizard"));
    if (!ports) {
        DemoModems* demoModems = &m_demos;
        ports = [demoModems] { return PortEnumerator::Merge(PortEnumerator().Enumerate(), demoModems->ExtraPorts()); };
    }
    m_controller = std::make_unique<DeviceSelectionController>(devices, prompter, std::move(ports), options);

    m_deviceList->setObjectName(QStringLiteral("DeviceList"));
    m_deviceList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_deviceList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_deviceList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_deviceList->verticalHeader()->setVisible(false);
    m_deviceList->horizontalHeader()->setStretchLastSection(true);
    // Captions and widths of the scan's columns (dialog units: a quarter of the average character width).
    const std::vector<DeviceTexts::Column>& columns = DeviceTexts::ScanColumns();
    const int charWidth = m_deviceList->fontMetrics().averageCharWidth();
    for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
        const DeviceTexts::Column& column = columns[static_cast<size_t>(c)];
        m_deviceList->setHorizontalHeaderItem(c, new QTableWidgetItem(column.caption));
        m_deviceList->setColumnHidden(c, column.width == 0);
        m_deviceList->setColumnWidth(c, column.width * charWidth / 4);
    }
    m_detailsList->setObjectName(QStringLiteral("DetailsList"));
    m_detailsList->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Value")});
    m_detailsList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_detailsList->verticalHeader()->setVisible(false);
    m_detailsList->horizontalHeader()->setStretchLastSection(true);
    m_detailsList->setColumnWidth(0, 180);
    m_customField->setObjectName(QStringLiteral("CustomSmscField"));
    m_phoneField->setObjectName(QStringLiteral("PhoneField"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Connected Device List :")));
    layout->addWidget(m_deviceList, 2);
    auto* scanRow = new QHBoxLayout;
    scanRow->addWidget(m_progress, 1);
    scanRow->addWidget(CommandButton(QStringLiteral("Stop"), QStringLiteral("Stop")));
    scanRow->addWidget(CommandButton(QStringLiteral("Search Mobile Device Again"), QStringLiteral("SearchAgain")));
    layout->addLayout(scanRow);
    layout->addWidget(m_scanLabel);
    // Every port the scan tried, with what became of it, so a port that was left out says why.
    m_portList->setObjectName(QStringLiteral("PortList"));
    m_portList->setHorizontalHeaderLabels({QStringLiteral("Port tried"), QStringLiteral("Outcome")});
    m_portList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_portList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_portList->verticalHeader()->setVisible(false);
    m_portList->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_portList->horizontalHeader()->setStretchLastSection(true);
    m_portList->setWordWrap(false);
    m_portList->setMaximumHeight(m_portList->fontMetrics().height() * 7);
    layout->addWidget(m_portList, 1);
    auto* addRow = new QHBoxLayout;
    addRow->addWidget(CommandButton(QStringLiteral("Add demo modem"), QStringLiteral("AddDemoModem")));
    addRow->addWidget(CommandButton(QStringLiteral("Add port by path..."), QStringLiteral("AddPortByPath")));
    addRow->addStretch(1);
    layout->addLayout(addRow);

    auto* settings = new QGroupBox(QStringLiteral("Selected device"));
    auto* grid = new QGridLayout(settings);
    grid->addWidget(m_detailsList, 0, 0, 5, 1);
    grid->setColumnStretch(0, 1);
    auto* modeRow = new QHBoxLayout;
    modeRow->addWidget(m_pdu);
    modeRow->addWidget(m_text);
    grid->addLayout(modeRow, 0, 1, 1, 3);
    grid->addWidget(m_customCheck, 1, 1);
    grid->addWidget(m_customField, 1, 2);
    auto* smscButtons = new QHBoxLayout;
    smscButtons->addWidget(CommandButton(QStringLiteral("Save"), QStringLiteral("SaveSmsc")));
    smscButtons->addWidget(CommandButton(QStringLiteral("Reset"), QStringLiteral("ResetSmsc")));
    grid->addLayout(smscButtons, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Send Test Message By Selected Device")), 2, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Phone No. :")), 3, 1);
    grid->addWidget(m_phoneField, 3, 2);
    grid->addWidget(CommandButton(QStringLiteral("Send"), QStringLiteral("SendTest")), 3, 3);
    grid->addWidget(CommandButton(QStringLiteral("copy details"), QStringLiteral("CopyDetails")), 4, 1);
    layout->addWidget(settings, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* use = CommandButton(QStringLiteral("Use Selected Device \nto Send SMS"), QStringLiteral("UseSelectedDevice"));
    auto* without =
        CommandButton(QStringLiteral("Continue without\nDevice Selection..."), QStringLiteral("ContinueWithout"));
    buttons->addWidget(use);
    buttons->addWidget(without);
    layout->addLayout(buttons);
    resize(900, 640);

    connect(Button(QStringLiteral("Stop")), &QPushButton::clicked, this, &CPhone_List_Dlg::OnStop);
    connect(Button(QStringLiteral("SearchAgain")), &QPushButton::clicked, this, &CPhone_List_Dlg::OnSearchAgain);
    connect(Button(QStringLiteral("AddDemoModem")), &QPushButton::clicked, this, &CPhone_List_Dlg::OnAddDemoModem);
    connect(Button(QStringLiteral("AddPortByPath")), &QPushButton::clicked, this, &CPhone_List_Dlg::OnAddPortByPath);
    connect(Button(QStringLiteral("SaveSmsc")), &QPushButton::clicked, this, &CPhone_List_Dlg::OnSaveCustomSmsc);
    connect(Button(QStringLiteral("ResetSmsc")), &QPushButton::clicked, this, &CPhone_List_Dlg::OnResetCustomSmsc);
    connect(Button(QStringLiteral("SendTest")), &QPushButton::clicked, this, &CPhone_List_Dlg::OnSendTest);
    connect(Button(QStringLiteral("CopyDetails")), &QPushButton::clicked, this, &CPhone_List_Dlg::OnCopyDetails);
    connect(use, &QPushButton::clicked, this, &CPhone_List_Dlg::OnUseSelectedDevice);
    connect(without, &QPushButton::clicked, this, &CPhone_List_Dlg::OnContinueWithout);
    connect(m_deviceList, &QTableWidget::itemSelectionChanged, this, &CPhone_List_Dlg::ShowDetails);
    connect(m_pdu, &QRadioButton::clicked, this, [this] {
        for (int row : SelectedRows())
            m_controller->SetRowSmsMode(row, DeviceRecord::kModePdu);
        RefreshRows();
    });
    connect(m_text, &QRadioButton::clicked, this, [this] {
        for (int row : SelectedRows())
            m_controller->SetRowSmsMode(row, DeviceRecord::kModeText);
        RefreshRows();
    });
}

CPhone_List_Dlg::~CPhone_List_Dlg() {
    // A pool task may still be with the controller; its questions are served by this thread meanwhile.
    while (m_pending.load() > 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    m_controller->StopScan();
    m_controller->WaitForScan();
}

QPushButton* CPhone_List_Dlg::Button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

void CPhone_List_Dlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_started) {
        m_started = true;
        QTimer::singleShot(0, this, [this] {
            SetScanning(true);
            if (!m_controller->StartScan(m_observer.get()))
                SetScanning(false);
        });
    }
}

void CPhone_List_Dlg::AddPortOutcome(const QString& port, const QString& outcome) {
    const int row = m_portList->rowCount();
    m_portList->insertRow(row);
    m_portList->setItem(row, 0, new QTableWidgetItem(port));
    auto* item = new QTableWidgetItem(outcome);
    item->setToolTip(outcome);
    m_portList->setItem(row, 1, item);
}

void CPhone_List_Dlg::SetScanning(bool scanning) {
    m_scanLabel->setText(scanning ? QStringLiteral("Searching for connected mobile devices...")
                                  : QStringLiteral("Search finished."));
    Button(QStringLiteral("Stop"))->setEnabled(scanning);
    for (const char* name : {"UseSelectedDevice", "SendTest", "AddDemoModem", "AddPortByPath"})
        Button(QString::fromLatin1(name))->setEnabled(!scanning);
}

void CPhone_List_Dlg::RefreshRows() {
    const std::vector<int> selected = SelectedRows();
    const std::vector<DeviceRecord> rows = m_controller->Rows();
    const QSignalBlocker block(m_deviceList);
    m_deviceList->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const std::vector<QString> values = DeviceTexts::ScanRowValues(rows[static_cast<size_t>(r)]);
        for (int c = 0; c < static_cast<int>(values.size()); ++c)
            m_deviceList->setItem(r, c, new QTableWidgetItem(values[static_cast<size_t>(c)]));
    }
    for (int r : m_controller->RowsToSelect(selected)) {
        if (r < m_deviceList->rowCount())
            m_deviceList->selectionModel()->select(m_deviceList->model()->index(r, 0),
                                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    ShowDetails();
}

int CPhone_List_Dlg::CurrentRow() const {
    const std::vector<int> rows = SelectedRows();
    return rows.empty() ? -1 : rows.front();
}

std::vector<int> CPhone_List_Dlg::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : m_deviceList->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CPhone_List_Dlg::ShowDetails() {
    const int row = CurrentRow();
    const auto pairs = row >= 0 ? m_controller->DetailPairs(row) : std::vector<QPair<QString, QString>>{};
    m_detailsList->setRowCount(static_cast<int>(pairs.size()));
    for (int r = 0; r < static_cast<int>(pairs.size()); ++r) {
        m_detailsList->setItem(r, 0, new QTableWidgetItem(pairs[static_cast<size_t>(r)].first));
        m_detailsList->setItem(r, 1, new QTableWidgetItem(pairs[static_cast<size_t>(r)].second));
    }
    if (row >= 0) {
        const std::vector<DeviceRecord> rows = m_controller->Rows();
        const DeviceRecord& d = rows.at(static_cast<size_t>(row));
        m_pdu->setChecked(d.smsMode == DeviceRecord::kModePdu);
        m_text->setChecked(d.smsMode == DeviceRecord::kModeText);
        if (d.useCustomSmsc)
            m_customField->setText(d.customSmsc);
    }
}

DeviceSelectionController::CustomSmscChoice CPhone_List_Dlg::CustomChoice() const {
    return {m_customCheck->isChecked(), m_customField->text()};
}

void CPhone_List_Dlg::RunBusy(std::function<bool()> work, std::function<void(bool)> done) {
    m_busy = true;
    setEnabled(false);
    ++m_pending;
    std::atomic<int>* pending = &m_pending;
    UiTask::Run<bool>(
        this,
        [work = std::move(work), pending] {
            const bool result = work();
            --*pending;
            return result;
        },
        [this, done = std::move(done)](bool result) {
            setEnabled(true);
            m_busy = false;
            done(result);
        });
}

void CPhone_List_Dlg::OnStop() {
    DeviceSelectionController* c = m_controller.get();
    RunBusy([c] { return c->OnStop(); }, [](bool) {});
}

void CPhone_List_Dlg::OnSearchAgain() {
    DeviceSelectionController* c = m_controller.get();
    Observer* observer = m_observer.get();
    RunBusy([c, observer] { return c->OnSearchAgain(observer); },
            [this](bool started) {
                if (started)
                    SetScanning(true);
                RefreshRows();
            });
}

void CPhone_List_Dlg::OnUseSelectedDevice() {
    const std::vector<int> rows = SelectedRows();
    const auto custom = CustomChoice();
    DeviceSelectionController* c = m_controller.get();
    RunBusy([c, rows, custom] { return c->OnUseSelectedDevice(rows, custom); },
            [this](bool taken) {
                if (taken)
                    accept();
            });
}

void CPhone_List_Dlg::OnContinueWithout() {
    const bool modeChosen = m_pdu->isChecked() || m_text->isChecked();
    DeviceSelectionController* c = m_controller.get();
    RunBusy([c, modeChosen] { return c->OnContinueWithoutDeviceSelection(modeChosen); },
            [this](bool close) {
                if (close)
                    QDialog::reject();
            });
}

void CPhone_List_Dlg::reject() {
    if (m_busy)
        return;
    DeviceSelectionController* c = m_controller.get();
    RunBusy([c] { return c->OnClose(); },
            [this](bool close) {
                if (close)
                    QDialog::reject();
            });
}

void CPhone_List_Dlg::OnAddDemoModem() {
    QString error;
    const QString port = m_demos.AddDemoModem(&error);
    if (port.isEmpty()) {
        m_prompter.Notice(QStringLiteral("The demo modem could not be started.\n\n") + error);
        return;
    }
    OnSearchAgain();
}

void CPhone_List_Dlg::OnAddPortByPath() {
    bool ok = false;
    const QString path = QInputDialog::getText(this, QStringLiteral("Add port by path"),
                                               QStringLiteral("Serial port path (for example /dev/ttyUSB0):"),
                                               QLineEdit::Normal, QStringLiteral("/dev/"), &ok)
                             .trimmed();
    if (!ok || path.isEmpty())
        return;
    if (!QFileInfo::exists(path)) {
        m_prompter.Notice(QStringLiteral("No port exists at %1.").arg(path));
        return;
    }
    m_demos.AddPortByPath(PortEnumerator().Describe(path));
    OnSearchAgain();
}

void CPhone_List_Dlg::OnSendTest() {
    const int row = CurrentRow();
    const QString phone = m_phoneField->text();
    const auto custom = CustomChoice();
    DeviceSelectionController* c = m_controller.get();
    RunBusy([c, row, phone, custom] { return !c->OnSendTestMessage(row, phone, custom).isEmpty(); }, [](bool) {});
}

void CPhone_List_Dlg::OnSaveCustomSmsc() {
    if (m_controller->OnSaveCustomSmsc(CurrentRow(), m_customField->text()))
        RefreshRows();
}

void CPhone_List_Dlg::OnResetCustomSmsc() {
    if (m_controller->OnResetCustomSmsc(CurrentRow())) {
        m_customField->clear();
        m_customCheck->setChecked(false);
        RefreshRows();
    }
}

void CPhone_List_Dlg::OnCopyDetails() {
    const int row = CurrentRow();
    if (row < 0)
        return;
    const std::vector<DeviceRecord> rows = m_controller->Rows();
    QClipboard* clipboard = QApplication::clipboard();
    if (clipboard == nullptr) {
        m_prompter.Notice(QStringLiteral("Error in opening clipboard."));
        return;
    }
    clipboard->setText(rows.at(static_cast<size_t>(row)).details);
}
