#pragma once

#include <QAbstractTableModel>
#include <QStringList>

// A one-column table over a list of texts (list names, exclusion numbers) with a header caption. It keeps its
// own copy of the list (shared with the owner's until either changes), so a worker may change the owner's
// list while the view still shows this one; SetRows brings the view to a new list. A million rows cost the
// view nothing: only the visible ones are asked for.
class StringColumnModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit StringColumnModel(QString header, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Resets the view to `rows`. A large list given up here is freed on a pool thread, not the window's.
    void SetRows(QStringList rows);
    const QStringList& Rows() const { return m_rows; }

private:
    QString m_header;
    QStringList m_rows;
};
