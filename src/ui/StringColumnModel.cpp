#include "ui/StringColumnModel.h"

#include <QThreadPool>

#include <utility>

namespace {
// Freeing this many texts takes the window's thread longer than a frame.
constexpr qsizetype kFreeAwayFrom = 100000;
} // namespace

StringColumnModel::StringColumnModel(QString header, QObject* parent)
    : QAbstractTableModel(parent), m_header(std::move(header)) {}

int StringColumnModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int StringColumnModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1;
}

QVariant StringColumnModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return m_rows.at(index.row());
}

QVariant StringColumnModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section == 0 ? QVariant(m_header) : QVariant();
    return section + 1;
}

void StringColumnModel::SetRows(QStringList rows) {
    beginResetModel();
    QStringList old = std::exchange(m_rows, std::move(rows));
    endResetModel();
    // The last holder of the texts frees them: when that may be this copy, the pool does it.
    if (old.size() >= kFreeAwayFrom)
        QThreadPool::globalInstance()->start([old = std::move(old)]() mutable { old = QStringList(); });
}
