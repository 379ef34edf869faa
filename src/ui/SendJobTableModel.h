#pragma once

#include <QAbstractTableModel>

#include <mutex>

class SendJob;

// The Send job's rows as a table, every column of the job (the window hides the ones the user does not
// see). Workers change rows from their threads: MarkRowChanged() may be called from any thread and only
// notes the row; Flush(), on the UI thread (a timer), turns the noted rows into one repaint, so thousands
// of row changes a second cost one update per tick.
class SendJobTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit SendJobTableModel(const SendJob& job, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Thread-safe.
    void MarkRowChanged(int row);
    void MarkRowsReset();
    // UI thread: applies what was noted since the last call.
    void Flush();

private:
    const SendJob& m_job;
    int m_shownCount = 0;

    std::mutex m_mutex; // guards the notes below
    bool m_reset = false;
    int m_firstDirty = -1;
    int m_lastDirty = -1;
};
