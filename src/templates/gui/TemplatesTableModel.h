#pragma once

#include <QAbstractTableModel>
#include <QStringList>

// The templates as a one-column table, "Template Message", row 0 on top. The model holds its own copy of the
// texts (implicitly shared with the controller's), so a worker may change the controller's list while the
// view keeps painting this one. Only the rows on screen are ever asked for.
class TemplatesTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TemplatesTableModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Shows these texts from now on (the view's selection is cleared).
    void Show(const QStringList& rows);

    static constexpr int kColumnWidth = 458;

private:
    QStringList m_rows;
};
