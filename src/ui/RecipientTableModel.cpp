#include "ui/RecipientTableModel.h"

#include "composer/RecipientList.h"

#include <algorithm>
#include <climits>

namespace {
int Clamp(qsizetype n) {
    return static_cast<int>(std::min<qsizetype>(n, INT_MAX));
}
} // namespace

RecipientTableModel::RecipientTableModel(RecipientList& list, QObject* parent)
    : QAbstractTableModel(parent), m_list(list), m_shownCount(Clamp(list.Count())) {}

int RecipientTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_shownCount;
}

int RecipientTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant RecipientTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const RecipientRow row = m_list.Row(index.row());
    if (index.column() == 0)
        return row.number;
    if (role == Qt::DisplayRole) {
        // One line in the table; the tool tip shows the message as it is.
        QString text = row.message;
        text.replace(QLatin1String("\r\n"), QStringLiteral(" "));
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        return text;
    }
    return row.message;
}

QVariant RecipientTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section == 0 ? QStringLiteral("Number") : QStringLiteral("Message");
    return section + 1;
}

void RecipientTableModel::Refresh() {
    beginResetModel();
    m_shownCount = Clamp(m_list.Count());
    endResetModel();
}

void RecipientTableModel::RowsEdited() {
    if (m_shownCount > 0)
        Q_EMIT dataChanged(index(0, 0), index(m_shownCount - 1, 1));
}
