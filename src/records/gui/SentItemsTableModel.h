#pragma once

#include "records/SentItemsStore.h"

#include <QAbstractTableModel>
#include <QList>

// The sent items as a table: "Number", "Message", "Date", "Status". The model holds its own copy of the
// entries (implicitly shared with the controller's, so a copy costs nothing), so a worker may build the next
// list while the view keeps painting this one. Only the rows on screen are ever asked for.
class SentItemsTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit SentItemsTableModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Shows these entries from now on (the view's selection is cleared).
    void Show(const QList<SentItemRecord>& records);

    // The column widths in pixels; the last column is stretched to fill the view.
    static constexpr int kColumnWidths[] = {100, 200, 100, 200};

private:
    QList<SentItemRecord> m_records;
};
