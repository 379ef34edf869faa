#pragma once

#include "records/InboxStore.h"

#include <QDialog>

class InboxTableModel;
class QPlainTextEdit;
class QPushButton;
class QTableView;

// "Inbox": the received messages, unmatched reports and unreadable PDUs the program kept (InboxStore), one
// shown whole when selected; "Delete" takes the selected entries out of the inbox.
class CInbox final : public QDialog {
    Q_OBJECT
public:
    explicit CInbox(const QString& inboxPath, QWidget* parent = nullptr);

    QTableView* List() const { return m_list; }
    QPlainTextEdit* Details() const { return m_details; }
    InboxTableModel* Model() const { return m_model; }
    QPushButton* Button(const QString& caption) const;

public Q_SLOTS:
    void Reload();
    void OnDelete();

private:
    void ShowSelected();

    InboxStore m_store;
    InboxTableModel* m_model;
    QTableView* m_list;
    QPlainTextEdit* m_details;
};
