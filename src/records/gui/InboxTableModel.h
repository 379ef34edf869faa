#pragma once

#include <QAbstractTableModel>

class InboxController;

// The inbox entries as the Inbox window lists them: Number, Received, Text, Device, Kind ("Message",
// "Opt-out", "Report", "Unreadable"). Rows are read from the controller when shown, so the count is all a reset
// costs.
class InboxTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit InboxTableModel(const InboxController& controller, QObject* parent = nullptr)
        : QAbstractTableModel(parent), m_controller(controller) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The controller read its inbox afresh.
    void Reset();

private:
    const InboxController& m_controller;
};
