#include "templates/gui/TemplatesTableModel.h"

#include "ui/ListViews.h"

#include <algorithm>
#include <climits>

TemplatesTableModel::TemplatesTableModel(QObject* parent) : QAbstractTableModel(parent) {}

int TemplatesTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(std::min<qsizetype>(m_rows.size(), INT_MAX));
}

int TemplatesTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1;
}

QVariant TemplatesTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    if (role == Qt::ToolTipRole)
        return m_rows.at(index.row());
    if (role != Qt::DisplayRole)
        return {};
    // One line in the table; the tool tip shows the template as it is.
    return OneLine(m_rows.at(index.row()));
}

QVariant TemplatesTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section != 0)
        return {};
    return QStringLiteral("Template Message");
}

void TemplatesTableModel::Show(const QStringList& rows) {
    beginResetModel();
    m_rows = rows;
    endResetModel();
}
