#include "CliSendObserver.h"

#include "CliCommand.h"
#include "CliJson.h"

#include "common/ResultText.h"

#include <cmath>

namespace {

QString Duration(double seconds) {
    const auto total = static_cast<long long>(std::llround(seconds));
    if (total < 60)
        return QStringLiteral("%1s").arg(total);
    if (total < 3600)
        return QStringLiteral("%1m %2s").arg(total / 60).arg(total % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1h %2m").arg(total / 3600).arg(total / 60 % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

QJsonObject CliSendObserver::RowJson(int row, const SendJob::Row& data) {
    return QJsonObject{{QStringLiteral("row"), row + 1},
                       {QStringLiteral("number"), data[SendJob::kNumber]},
                       {QStringLiteral("result"), data[SendJob::kStatus]},
                       {QStringLiteral("sent"), ResultText::IsSent(data[SendJob::kStatus])},
                       {QStringLiteral("state"), data[SendJob::kCurrentStatus]},
                       {QStringLiteral("port"), data[SendJob::kUsePort]},
                       {QStringLiteral("retries"), data[SendJob::kRetry].toInt()}};
}

QString CliSendObserver::ProgressText(int done, int total, int sent, int failed, double seconds) {
    QString text = QStringLiteral("%1 of %2 done, %3 sent, %4 failed").arg(done).arg(total).arg(sent).arg(failed);
    if (seconds < 1.0 || done <= 0)
        return text;
    const double rate = done / seconds;
    text += rate >= 1.0 ? QStringLiteral(", %1/s").arg(rate, 0, 'f', 1)
                        : QStringLiteral(", %1/min").arg(rate * 60.0, 0, 'f', 1);
    if (done < total)
        text += QStringLiteral(", ") + Duration((total - done) / rate) + QStringLiteral(" left");
    return text;
}

void CliSendObserver::Watch(const SendJob& job) {
    std::lock_guard lock(m_mutex);
    m_job = &job;
}

void CliSendObserver::TakeFinalLocked(int row, const SendJob::Row& data) {
    if (row < 0)
        return;
    if (static_cast<std::size_t>(row) >= m_taken.size())
        m_taken.resize(static_cast<std::size_t>(row) + 1, 0);
    char& taken = m_taken[static_cast<std::size_t>(row)];
    if (taken)
        return;
    taken = 1;
    if (ResultText::IsSent(data[SendJob::kStatus]))
        ++m_sent;
    else if (ResultText::IsFailure(data[SendJob::kStatus]))
        ++m_failed;
    if (m_json)
        CliJson::Print(RowJson(row, data));
}

void CliSendObserver::RowChanged(int row) {
    std::lock_guard lock(m_mutex);
    if (!m_job)
        return;
    const SendJob::Row data = m_job->RowAt(row);
    if (SendJob::IsFinal(data)) {
        TakeFinalLocked(row, data);
        DrawLocked(false);
    }
}

void CliSendObserver::RowsReset(int rowCount) {
    std::lock_guard lock(m_mutex);
    if (static_cast<std::size_t>(rowCount) > m_taken.size())
        m_taken.resize(static_cast<std::size_t>(rowCount), 0);
    m_preparing.clear();
    m_total = rowCount;
    if (!m_started) {
        m_started = true;
        m_start = std::chrono::steady_clock::now();
    }
}

void CliSendObserver::Progress(int position, int total, const QString& label) {
    std::lock_guard lock(m_mutex);
    const bool sending = label.contains(QLatin1String("Message or"));
    if (m_line.Draws()) {
        if (sending) {
            m_done = position;
            m_total = total;
        } else {
            m_preparing = QStringLiteral("Preparing the list: %1 of %2").arg(position).arg(total);
        }
        DrawLocked(false);
        return;
    }
    // Not a terminal: the progress label when it changes, at most every 5%.
    const int step = total > 0 ? position * 20 / total : 0;
    if (sending && (step != m_lastStep || position == total) && label != m_lastLabel) {
        m_lastStep = step;
        m_lastLabel = label;
        CliErr(label);
    }
}

void CliSendObserver::PauseLabel(const QString& text) {
    std::lock_guard lock(m_mutex);
    if (m_line.Draws()) {
        m_pause = text;
        DrawLocked(true);
        return;
    }
    if (!text.isEmpty() && !m_paused)
        CliErr(text);
    m_paused = !text.isEmpty();
}

void CliSendObserver::StatusLabel(const QString& text) {
    CliErr(text);
}

void CliSendObserver::Diagnostic(const QString& text) {
    CliErr(text);
}

void CliSendObserver::DrawLocked(bool final) {
    if (!m_line.Draws() || (m_preparing.isEmpty() && !m_started))
        return; // nothing to count yet
    QString text;
    if (!m_preparing.isEmpty()) {
        text = m_preparing;
    } else {
        const double seconds =
            m_started ? std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count() : 0.0;
        text = ProgressText(m_done, m_total, m_sent, m_failed, seconds);
    }
    if (!m_pause.isEmpty())
        text += QStringLiteral(" | ") + m_pause;
    m_line.Show(text, final);
}

void CliSendObserver::PrintRemainingRows() {
    std::lock_guard lock(m_mutex);
    if (!m_job)
        return;
    for (int r = 0; r < m_job->RowCount(); ++r)
        TakeFinalLocked(r, m_job->RowAt(r));
}

void CliSendObserver::Finish() {
    std::lock_guard lock(m_mutex);
    if (!m_line.Draws() || !m_started)
        return;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    m_line.Finish(QStringLiteral("%1 of %2 sent, %3 failed, in %4")
                      .arg(m_sent)
                      .arg(m_job ? m_job->RowCount() : m_total)
                      .arg(m_failed)
                      .arg(Duration(seconds)));
}
