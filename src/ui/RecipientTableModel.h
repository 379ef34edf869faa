#pragma once

#include <QAbstractTableModel>

class RecipientList;

// The Recipient list as a table: "Number" and "Message", rows in list order. Reads rows on demand (only the
// visible ones are ever asked for), so a million rows cost nothing here. The list may grow or shrink from a
// worker thread: Refresh(), called on the UI thread, brings the view to the list's current count.
class RecipientTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RecipientTableModel(RecipientList& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Resets the view to the list as it is now (after inserts, removals or edits anywhere).
    void Refresh();
    // Rows changed in place (messages applied): repaints without resetting the selection.
    void RowsEdited();

    RecipientList& List() { return m_list; }

private:
    RecipientList& m_list;
    int m_shownCount = 0;
};
