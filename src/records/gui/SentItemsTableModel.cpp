#include "records/gui/SentItemsTableModel.h"

#include "ui/ListViews.h"

#include <algorithm>
#include <climits>

SentItemsTableModel::SentItemsTableModel(QObject* parent) : QAbstractTableModel(parent) {}

int SentItemsTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(std::min<qsizetype>(m_records.size(), INT_MAX));
}

int SentItemsTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 5;
}

QVariant SentItemsTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_records.size() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const SentItemRecord& record = m_records.at(index.row());
    switch (index.column()) {
    case 0:
        return record.number;
    case 1:
        return role == Qt::DisplayRole ? OneLine(record.message) : record.message;
    case 2:
        return record.date;
    case 3:
        return record.status;
    case 4:
        return record.delivery;
    default:
        return {};
    }
}

QVariant SentItemsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    switch (section) {
    case 0:
        return QStringLiteral("Number");
    case 1:
        return QStringLiteral("Message");
    case 2:
        return QStringLiteral("Date");
    case 3:
        return QStringLiteral("Status");
    case 4:
        return QStringLiteral("Delivery");
    default:
        return {};
    }
}

void SentItemsTableModel::Show(const QList<SentItemRecord>& records) {
    beginResetModel();
    m_records = records;
    endResetModel();
}
