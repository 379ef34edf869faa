#pragma once

#include <QAbstractTableModel>
#include <QStringList>

// The one-column list "Selected Numbers" of CUpdate_Selected_Item_SMS. The numbers are copied once by the
// window's fill worker; the view asks only for the visible rows, so a selection of a million rows costs the
// copy and nothing per row in the view.
class SelectedNumbersModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit SelectedNumbersModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void SetNumbers(QStringList numbers);
    const QStringList& Numbers() const { return m_numbers; }

private:
    QStringList m_numbers;
};
