#pragma once

#include "records/InboxStore.h"

#include <QAbstractTableModel>

// The inbox entries as the Inbox window lists them: Number, Received, Text, Device, Kind ("Message",
// "Opt-out", "Report", "Unreadable").
class InboxTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit InboxTableModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void Show(QList<InboxRecord> records);
    const QList<InboxRecord>& Records() const { return m_records; }
    static QString KindText(const InboxRecord& record);

private:
    QList<InboxRecord> m_records;
};
