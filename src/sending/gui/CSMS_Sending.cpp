#include "sending/gui/CSMS_Sending.h"

#include "app/FileOpener.h"
#include "app/Prompter.h"
#include "records/SpreadsheetExport.h"
#include "records/gui/COpen_Export_Log.h"
#include "sending/SendJob.h"
#include "sending/SendStatusExport.h"
#include "sending/gui/CStatus_Export_Opt.h"
#include "session/DatabaseSend.h"
#include "ui/SendJobTableModel.h"
#include "ui/TableFit.h"
#include "ui/UiPost.h"
#include "ui/UiTask.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

// The engine's observer: notes the latest state under a lock for the window's timer, and queues the
// once-only events to the window.
class CSMS_Sending::Bridge final : public SendObserver {
public:
    explicit Bridge(CSMS_Sending* window) : m_window(window) {}

    struct State {
        int position = 0;
        int total = 0;
        QString progressLabel;
        QString statusLabel;
        QString pauseLabel;
        QString caption;
        QString helpText;
        bool stopEnabled = false;
        int activitySteps = 0;
        bool activityReset = false;
        bool changed = false;
    };

    void RowChanged(int row) override { m_model.load()->MarkRowChanged(row); }
    void RowsReset(int) override { m_model.load()->MarkRowsReset(); }
    void Progress(int position, int total, const QString& label) override {
        Change([&](State& s) {
            s.position = position;
            s.total = total;
            s.progressLabel = label;
        });
    }
    void ActivityStep() override {
        Change([](State& s) { ++s.activitySteps; });
    }
    void ActivityReset() override {
        Change([](State& s) {
            s.activitySteps = 0;
            s.activityReset = true;
        });
    }
    void StatusLabel(const QString& text) override {
        Change([&](State& s) { s.statusLabel = text; });
    }
    void PauseLabel(const QString& text) override {
        Change([&](State& s) { s.pauseLabel = text; });
    }
    void Caption(const QString& text) override {
        Change([&](State& s) { s.caption = text; });
    }
    void HelpText(const QString& text) override {
        Change([&](State& s) { s.helpText = text; });
    }
    void StopEnabled(bool enabled) override {
        Change([&](State& s) { s.stopEnabled = enabled; });
    }
    void Finished() override { Post(&CSMS_Sending::OnFinished); }
    void Closed() override { Post(&CSMS_Sending::OnClosed); }
    void ClearFieldsRequested() override {
        PostToWindow(m_window, [](CSMS_Sending* window) { Q_EMIT window->ClearFieldsRequested(); });
    }
    void Diagnostic(const QString& text) override { qDebug("%s", qUtf8Printable(text)); }

    // Takes the state noted since the last call; changed is false when nothing happened.
    State Take() {
        std::lock_guard lock(m_mutex);
        State taken = m_state;
        m_state.changed = false;
        m_state.activitySteps = 0;
        m_state.activityReset = false;
        return taken;
    }

    void SetModel(SendJobTableModel* model) { m_model.store(model); }

private:
    template <typename F> void Change(F&& f) {
        std::lock_guard lock(m_mutex);
        f(m_state);
        m_state.changed = true;
    }
    void Post(void (CSMS_Sending::*method)()) {
        PostToWindow(m_window, [method](CSMS_Sending* window) { (window->*method)(); });
    }

    CSMS_Sending* m_window;
    std::atomic<SendJobTableModel*> m_model{nullptr};
    std::mutex m_mutex;
    State m_state;
};

CSMS_Sending::CSMS_Sending(SendContext context, Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_prompter(prompter), m_bridge(std::make_unique<Bridge>(this)) {
    m_retriesOn = context.options.retriesOn;
    const int rows = context.rowCount ? context.rowCount() : 0;
    // Current Status names the device that took each row: wide enough for the longest of those texts.
    QStringList currentStatuses{SendJob::kWaitingRetry};
    for (const RunDevice& device : context.devicesInUse)
        currentStatuses << QStringLiteral("Sending (%1)").arg(device.entry);
    context.observer = m_bridge.get();
    m_run = std::make_unique<SendRun>(std::move(context));
    m_job = &m_run->Job();
    Build(rows, currentStatuses, m_run->Context().slots->Timing().Description());
}

CSMS_Sending::CSMS_Sending(std::unique_ptr<DatabaseSend> send, Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_prompter(prompter), m_bridge(std::make_unique<Bridge>(this)), m_database(std::move(send)) {
    m_retriesOn = m_database->WithRetry();
    m_job = &m_database->Job();
    Build(m_job->RowCount(), {SendJob::kWaitingRetry, SendJob::kSending},
          QStringLiteral("Sent by the gateway hosts of job %1 in %2")
              .arg(m_database->JobId())
              .arg(m_database->Location()));
}

void CSMS_Sending::Build(int rows, const QStringList& currentStatuses, const QString& timing) {
    m_jobView = new QTableView;
    m_overall = new QProgressBar;
    m_activity = new QProgressBar;
    m_statusLabel = new QLabel;
    m_progressLabel = new QLabel;
    m_pauseLabel = new QLabel;
    m_helpText = new QLabel;
    m_timingLabel = new QLabel;
    m_stopButton = new QPushButton(QStringLiteral("Stop"));
    m_exportButton = new QPushButton(QStringLiteral("Export"));
    m_timer = new QTimer(this);
    setObjectName(QStringLiteral("CSMS_Sending"));
    setWindowTitle(SendRun::kCaptionRunning);
    setModal(true);
    m_opener = std::make_unique<FileOpener>(
        m_prompter, [](const QString& file) { return QDesktopServices::openUrl(QUrl::fromLocalFile(file)); });
    m_model = new SendJobTableModel(*m_job, this);
    m_bridge->SetModel(m_model);

    m_jobView->setModel(m_model);
    m_jobView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_jobView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_jobView->setShowGrid(true);
    m_jobView->setWordWrap(false);
    m_jobView->verticalHeader()->setVisible(false);
    m_jobView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_jobView->verticalHeader()->setDefaultSectionSize(m_jobView->fontMetrics().height() + 6);
    m_jobView->horizontalHeader()->setStretchLastSection(true);
    m_jobView->setColumnWidth(SendJob::kNumber, 120);
    m_jobView->setColumnWidth(SendJob::kMessage, 180);
    m_jobView->setColumnWidth(SendJob::kCurrentStatus, 180);
    m_jobView->setColumnWidth(SendJob::kStatus, m_retriesOn ? 180 : 340);
    m_jobView->setColumnWidth(SendJob::kRetry, 50);
    for (int hidden : {int(SendJob::kUsePort), int(SendJob::kUseStatus), int(SendJob::kSentItem), int(SendJob::kReferences)})
        m_jobView->setColumnHidden(hidden, true);
    m_jobView->setColumnHidden(SendJob::kRetry, !m_retriesOn);
    // Retry shown last before the stretched column would stretch it; keep Status the stretching one.
    m_jobView->horizontalHeader()->setStretchLastSection(false);
    m_jobView->horizontalHeader()->setSectionResizeMode(SendJob::kStatus, QHeaderView::Stretch);

    m_overall->setRange(0, std::max(rows, 1));
    m_overall->setValue(0);
    m_activity->setRange(0, 100);
    m_activity->setTextVisible(false);
    m_statusLabel->setText(SendRun::kPopulating);
    m_progressLabel->setText(SendJob::ProgressLabel(0, rows));
    m_pauseLabel->setVisible(false);
    m_helpText->setText(SendRun::kHelpRunning);
    // Which timing the run sends with (the main window's "Wait fixed pauses between commands").
    m_timingLabel->setObjectName(QStringLiteral("TimingLabel"));
    m_timingLabel->setText(timing);
    m_helpText->setWordWrap(true);
    m_stopButton->setEnabled(false);
    m_stopButton->setAutoDefault(false);
    m_exportButton->setVisible(false);
    m_exportButton->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_jobView, 1);
    layout->addWidget(m_statusLabel);
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(m_overall, 1);
    progressRow->addWidget(m_progressLabel);
    layout->addLayout(progressRow);
    layout->addWidget(m_activity);
    layout->addWidget(m_pauseLabel);
    layout->addWidget(m_helpText);
    layout->addWidget(m_timingLabel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_exportButton);
    buttons->addWidget(m_stopButton);
    layout->addLayout(buttons);
    resize(820, 560);
    TableFit::ColumnToTexts(m_jobView, SendJob::kCurrentStatus, currentStatuses, this);

    connect(m_stopButton, &QPushButton::clicked, this, &CSMS_Sending::OnStop);
    connect(m_exportButton, &QPushButton::clicked, this, &CSMS_Sending::OnExport);
    connect(m_timer, &QTimer::timeout, this, &CSMS_Sending::ApplyState);
    m_timer->start(50);
}

CSMS_Sending::~CSMS_Sending() {
    m_timer->stop();
    // A stop or close request may still be with the engine on a pool thread (its question is served by
    // this thread's events meanwhile).
    while (m_pendingRequests.load() > 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    m_bridge->SetModel(nullptr);
    m_run.reset(); // stops a run still going and joins its threads
    m_database.reset();
}

QString CSMS_Sending::StatusText() const {
    return m_statusLabel->text();
}
QString CSMS_Sending::TimingText() const {
    return m_timingLabel->text();
}
QString CSMS_Sending::ProgressText() const {
    return m_progressLabel->text();
}

void CSMS_Sending::Start() {
    if (m_started)
        return;
    m_started = true;
    if (m_database)
        m_database->Open(*m_bridge);
    else
        m_run->Open();
}

void CSMS_Sending::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_started)
        QTimer::singleShot(0, this, &CSMS_Sending::Start);
}

void CSMS_Sending::ApplyState() {
    Bridge::State s = m_bridge->Take();
    m_model->Flush();
    if (!s.changed)
        return;
    if (!s.caption.isEmpty())
        setWindowTitle(s.caption);
    if (!s.statusLabel.isEmpty())
        m_statusLabel->setText(s.statusLabel);
    if (!s.helpText.isEmpty())
        m_helpText->setText(s.helpText);
    if (!s.progressLabel.isEmpty())
        m_progressLabel->setText(s.progressLabel);
    if (s.total > 0) {
        m_overall->setMaximum(s.total);
        m_overall->setValue(std::min(s.position, s.total));
    }
    m_pauseLabel->setText(s.pauseLabel);
    m_pauseLabel->setVisible(!s.pauseLabel.isEmpty());
    if (!m_finished)
        m_stopButton->setEnabled(s.stopEnabled);
    if (s.activityReset)
        m_activity->setValue(0);
    if (s.activitySteps > 0)
        m_activity->setValue((m_activity->value() + 5 * s.activitySteps) % 105);
}

void CSMS_Sending::OnFinished() {
    ApplyState();
    m_finished = true;
    m_statusLabel->setText(SendRun::kFinish);
    setWindowTitle(SendRun::kCaptionFinished);
    m_helpText->setText(SendRun::kHelpFinished);
    m_stopButton->setText(QStringLiteral("Close"));
    m_stopButton->setEnabled(true);
    m_exportButton->setVisible(true);
    m_exportButton->setEnabled(true);
    m_overall->setValue(m_overall->maximum());
    m_activity->setValue(0);
}

void CSMS_Sending::OnClosed() {
    m_closing = true;
    ApplyState();
    done(QDialog::Accepted);
}

void CSMS_Sending::OnStop() {
    if (m_exporting)
        return;
    // After the end the button reads "Close" and means closing: a close request is honoured even while the
    // end-of-run steps still run (a stop request would then be dropped and the press lost).
    Request(m_finished);
}

void CSMS_Sending::Request(bool close) {
    SendRun* run = m_run.get();
    DatabaseSend* database = m_database.get();
    std::atomic<int>* pending = &m_pendingRequests;
    ++m_pendingRequests;
    UiTask::Run(
        this,
        [run, database, pending, close] {
            if (database != nullptr)
                database->RequestStop(close);
            else
                run->RequestStop(close);
            --*pending;
        },
        [] {});
}

void CSMS_Sending::reject() {
    if (m_closing || m_exporting)
        return;
    Request(true);
}

void CSMS_Sending::closeEvent(QCloseEvent* event) {
    if (m_closing) {
        event->accept();
        return;
    }
    event->ignore();
    reject();
}

void CSMS_Sending::OnExport() {
    if (m_exporting)
        return;
    CStatus_Export_Opt choice(this);
    if (choice.exec() != QDialog::Accepted)
        return;
    const auto filter = SpreadsheetExport::FilterFromCode(choice.Filter());
    const QString xls = QStringLiteral("Excel(97-2003) Files(*.xls)");
    const QString xlsx = QStringLiteral("Excel Files(*.xlsx)");
    QString selected = xls;
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export"), QString(),
                                                xls + QStringLiteral(";;") + xlsx, &selected);
    if (path.isEmpty() || !filter)
        return;
    const SpreadsheetExport::Format format = SpreadsheetExport::FormatOfFilterIndex(selected == xlsx ? 1 : 0);
    path = SpreadsheetExport::PathWithExtension(path, format);
    ExportTo(path, static_cast<int>(format), static_cast<int>(*filter));
}

void CSMS_Sending::ExportTo(const QString& path, int format, int filter) {
    m_exporting = true;
    m_exportButton->setEnabled(false);
    const SendJob* job = m_job;
    Prompter* prompter = &m_prompter;
    const bool withRetry = m_retriesOn;
    ++m_pendingRequests;
    std::atomic<int>* pending = &m_pendingRequests;
    UiTask::Run<SpreadsheetExport::Result>(
        this,
        [job, prompter, withRetry, path, format, filter, pending] {
            const SpreadsheetExport::Result result = SendStatusExport::Write(
                *job, withRetry, static_cast<SpreadsheetExport::Filter>(filter), path,
                static_cast<SpreadsheetExport::Format>(format), *prompter);
            --*pending;
            return result;
        },
        [this, path](SpreadsheetExport::Result result) {
            m_exporting = false;
            m_exportButton->setEnabled(true);
            if (!result.Ok()) {
                m_prompter.Notice(result.message);
            } else {
                auto* done = new COpen_Export_Log(*m_opener, path, SendStatusExport::kExported, this);
                done->setAttribute(Qt::WA_DeleteOnClose);
                done->open();
            }
            Q_EMIT ExportFinished(result.Ok());
        });
}
