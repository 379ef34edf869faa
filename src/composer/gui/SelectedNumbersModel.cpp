#include "composer/gui/SelectedNumbersModel.h"

#include "composer/ListEditController.h"

#include <algorithm>
#include <climits>

SelectedNumbersModel::SelectedNumbersModel(QObject* parent) : QAbstractTableModel(parent) {}

int SelectedNumbersModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(std::min<qsizetype>(m_numbers.size(), INT_MAX));
}

int SelectedNumbersModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1;
}

QVariant SelectedNumbersModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole || index.row() >= m_numbers.size())
        return {};
    return m_numbers.at(index.row());
}

QVariant SelectedNumbersModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return ListEditController::kSelectedColumn;
    return section + 1;
}

void SelectedNumbersModel::SetNumbers(QStringList numbers) {
    beginResetModel();
    m_numbers = std::move(numbers);
    endResetModel();
}
