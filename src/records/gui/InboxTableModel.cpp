#include "records/gui/InboxTableModel.h"

#include "ui/ListViews.h"

#include <climits>

int InboxTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(std::min<qsizetype>(m_records.size(), INT_MAX));
}

int InboxTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 5;
}

QString InboxTableModel::KindText(const InboxRecord& record) {
    switch (record.kind) {
    case InboxRecord::Kind::Message:
        return record.optOut ? QStringLiteral("Opt-out") : QStringLiteral("Message");
    case InboxRecord::Kind::Report:
        return QStringLiteral("Report");
    case InboxRecord::Kind::Undecodable:
        break;
    }
    return QStringLiteral("Unreadable");
}

QVariant InboxTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_records.size() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const InboxRecord& r = m_records.at(index.row());
    switch (index.column()) {
    case 0:
        return r.number;
    case 1:
        return r.received;
    case 2: {
        const QString text = r.kind == InboxRecord::Kind::Undecodable ? r.reason : r.text;
        return role == Qt::DisplayRole ? OneLine(text) : text;
    }
    case 3:
        return r.device;
    case 4:
        return KindText(r);
    default:
        return {};
    }
}

QVariant InboxTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    static const QStringList captions = {QStringLiteral("Number"), QStringLiteral("Received"), QStringLiteral("Text"),
                                         QStringLiteral("Device"), QStringLiteral("Kind")};
    return captions.value(section);
}

void InboxTableModel::Show(QList<InboxRecord> records) {
    beginResetModel();
    m_records = std::move(records);
    endResetModel();
}
