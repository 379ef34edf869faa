#include "records/gui/InboxTableModel.h"

#include "records/InboxController.h"
#include "records/InboxTexts.h"
#include "ui/ListViews.h"

#include <QBrush>
#include <QColor>

#include <climits>

int InboxTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(std::min<qsizetype>(m_controller.Count(), INT_MAX));
}

int InboxTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 5;
}

QVariant InboxTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_controller.Count())
        return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::ForegroundRole)
        return {};
    const InboxRecord r = m_controller.Record(index.row());
    if (role == Qt::ForegroundRole) // opt-outs stand out in the list
        return r.optOut && index.column() == 4 ? QVariant(QBrush(QColor(0xB0, 0x20, 0x20))) : QVariant();
    switch (index.column()) {
    case 0:
        return r.number;
    case 1: // stored as ISO 8601; listed with a space between date and time, as people read it
        return QString(r.received).replace(QLatin1Char('T'), QLatin1Char(' '));
    case 2: {
        const QString text = r.kind == InboxRecord::Kind::Undecodable ? r.reason : r.text;
        return role == Qt::DisplayRole ? OneLine(text) : text;
    }
    case 3:
        return r.device;
    case 4:
        return InboxTexts::KindText(r);
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

void InboxTableModel::Reset() {
    beginResetModel();
    endResetModel();
}
