#pragma once

#include "CliProgressLine.h"

#include "sending/SendJob.h"
#include "sending/SendObserver.h"

#include <QJsonObject>

#include <chrono>
#include <mutex>
#include <vector>

// What `bulksms-cli send` shows of a run while it goes. On a terminal, stderr carries one progress line (rows
// done of all, sent, failed, rate, time left; a pause's count-down); otherwise the progress label every 5%.
// Pause, status and diagnostic texts go to stderr as lines. With JSON, each row is printed on stdout the moment
// its result is final (CliSendObserver::RowJson). Called from the engine's threads.
class CliSendObserver final : public SendObserver {
public:
    CliSendObserver(bool json, CliProgressLine& line) : m_json(json), m_line(line) {}

    // The job of the run, before the run opens.
    void Watch(const SendJob& job);

    void RowChanged(int row) override;
    void RowsReset(int rowCount) override;
    void Progress(int position, int total, const QString& label) override;
    void PauseLabel(const QString& text) override;
    void StatusLabel(const QString& text) override;
    void Diagnostic(const QString& text) override;

    // After the run: the rows whose result was not printed yet (stopped, left waiting), in row order (JSON).
    void PrintRemainingRows();
    // Leaves the run's summary on the terminal in place of the progress line.
    void Finish();

    // {"row": N (from 1), "number", "result", "sent", "state", "port", "retries"}.
    static QJsonObject RowJson(int row, const SendJob::Row& data);
    // "120 of 50000 done, 118 sent, 2 failed, 4.2/s, 3h 17m left": rate and time left once a second has passed
    // with rows done.
    static QString ProgressText(int done, int total, int sent, int failed, double seconds);

private:
    void TakeFinalLocked(int row, const SendJob::Row& data);
    void DrawLocked(bool final);

    const bool m_json;
    CliProgressLine& m_line;
    const SendJob* m_job = nullptr;

    std::mutex m_mutex;        // guards everything below
    std::vector<char> m_taken; // per row: its final result was counted (and printed, with JSON)
    int m_sent = 0;
    int m_failed = 0;
    int m_done = 0;
    int m_total = 0;
    QString m_preparing; // while the job is built
    QString m_pause;
    std::chrono::steady_clock::time_point m_start{};
    bool m_started = false;
    int m_lastStep = -1;
    QString m_lastLabel;
    bool m_paused = false;
};
