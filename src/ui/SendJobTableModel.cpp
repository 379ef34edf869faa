#include "ui/SendJobTableModel.h"

#include "sending/SendJob.h"

#include <algorithm>

SendJobTableModel::SendJobTableModel(const SendJob& job, QObject* parent)
    : QAbstractTableModel(parent), m_job(job), m_shownCount(job.RowCount()) {}

int SendJobTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_shownCount;
}

int SendJobTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : SendJob::kColumnCount;
}

QVariant SendJobTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    QString text = m_job.Text(index.row(), static_cast<SendJob::Column>(index.column()));
    if (role == Qt::DisplayRole)
        text.replace(QLatin1String("\r\n"), QStringLiteral(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QVariant SendJobTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return SendJob::ColumnCaptions().value(section);
    return section + 1;
}

void SendJobTableModel::MarkRowChanged(int row) {
    std::lock_guard lock(m_mutex);
    m_firstDirty = m_firstDirty < 0 ? row : std::min(m_firstDirty, row);
    m_lastDirty = std::max(m_lastDirty, row);
}

void SendJobTableModel::MarkRowsReset() {
    std::lock_guard lock(m_mutex);
    m_reset = true;
}

void SendJobTableModel::Flush() {
    bool reset = false;
    int first = -1;
    int last = -1;
    {
        std::lock_guard lock(m_mutex);
        std::swap(reset, m_reset);
        std::swap(first, m_firstDirty);
        std::swap(last, m_lastDirty);
    }
    const int count = m_job.RowCount();
    if (reset || count != m_shownCount) {
        if (count > m_shownCount && !reset) {
            beginInsertRows({}, m_shownCount, count - 1);
            m_shownCount = count;
            endInsertRows();
        } else {
            beginResetModel();
            m_shownCount = count;
            endResetModel();
            return;
        }
    }
    last = std::min(last, m_shownCount - 1);
    if (first >= 0 && first <= last)
        Q_EMIT dataChanged(index(first, 0), index(last, SendJob::kColumnCount - 1));
}
