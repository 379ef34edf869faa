#pragma once

#include "sending/SendRun.h"

#include <QDialog>

#include <atomic>
#include <memory>
#include <mutex>

class DatabaseSend;
class FileOpener;
class Prompter;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;
class SendJobTableModel;

// "Sending Messages, Please wait...": the modal progress window of a send, a view over SendRun. The engine's
// observer calls arrive on its threads; they only note what changed, and a 50 ms timer on the UI thread
// applies the latest state (row repaints coalesced), so a fast run never floods the event loop. The
// once-only events (finished, closed, clear fields) are queued calls.
//
// Stop and close go to the engine from a pool thread, so its question and its waits never block the UI.
class CSMS_Sending final : public QDialog {
    Q_OBJECT
public:
    // context.observer is replaced by this window's own.
    CSMS_Sending(SendContext context, Prompter& prompter, QWidget* parent = nullptr);
    // The same window over a list sent through a job database (its job already submitted).
    CSMS_Sending(std::unique_ptr<DatabaseSend> send, Prompter& prompter, QWidget* parent = nullptr);
    ~CSMS_Sending() override;

    SendRun& Run() { return *m_run; } // a send over this host's devices only
    DatabaseSend* ThroughDatabase() const { return m_database.get(); } // null for a send over this host's devices
    QString StatusText() const;
    QString ProgressText() const;
    QString TimingText() const;
    QPushButton* StopButton() const { return m_stopButton; }
    QPushButton* ExportButton() const { return m_exportButton; }
    QProgressBar* OverallBar() const { return m_overall; }

    // Starts the run; done by the first show, callable before it (tests, screenshots).
    void Start();
    // The status export once its rows and file are chosen (format and filter as SpreadsheetExport's enums);
    // runs on a pool thread, then shows the export-done window.
    void ExportTo(const QString& path, int format, int filter);
    bool IsExporting() const { return m_exporting; }

Q_SIGNALS:
    // "Clear all fields after sending SMS" at the end of the run.
    void ClearFieldsRequested();
    void ExportFinished(bool ok);

public Q_SLOTS:
    void reject() override; // Esc and the title bar: a close request
    void OnStop();
    void OnExport();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class Bridge;
    // The widgets, for a job of rows rows; currentStatuses: the Current Status texts the column must fit.
    void Build(int rows, const QStringList& currentStatuses, const QString& timing);
    void ApplyState();
    void OnFinished();
    void OnClosed();
    void Request(bool close);

    Prompter& m_prompter;
    std::unique_ptr<FileOpener> m_opener; // opens an exported file from the export-done window
    std::unique_ptr<Bridge> m_bridge;
    std::unique_ptr<SendRun> m_run; // after m_bridge: destroyed (threads joined) before the bridge
    std::unique_ptr<DatabaseSend> m_database; // likewise; set instead of m_run
    SendJob* m_job = nullptr;                 // the rows shown, m_run's or m_database's
    SendJobTableModel* m_model = nullptr;
    bool m_started = false;
    bool m_closing = false;
    bool m_finished = false; // the run has ended: the button reads "Close" and closes
    bool m_retriesOn = false;
    bool m_exporting = false;
    std::atomic<int> m_pendingRequests{0};

    QTableView* m_jobView;
    QProgressBar* m_overall;
    QProgressBar* m_activity;
    QLabel* m_statusLabel;
    QLabel* m_progressLabel;
    QLabel* m_pauseLabel;
    QLabel* m_helpText;
    QLabel* m_timingLabel;
    QPushButton* m_stopButton;
    QPushButton* m_exportButton;
    QTimer* m_timer;
};
