#pragma once

#include "records/InboxController.h"
#include "ui/FileChooser.h"

#include <QDialog>

#include <functional>

class FileOpener;
class InboxTableModel;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class Session;

// "Inbox": the received messages, unmatched reports and unreadable PDUs the program kept, one shown whole when
// selected. "Reply" puts the senders into the Recipient list for the composer's text (through the Session),
// "Delete" takes the selected entries out of the inbox, "Export" writes the selected ones (or all) like the sent
// items, "Opt-out Settings" edits the opt-out keywords and their exclusion list. The logic is InboxController's.
class CInbox final : public QDialog {
    Q_OBJECT
public:
    CInbox(Session& session, FileOpener& opener, QWidget* parent = nullptr);
    ~CInbox() override;

    void SetFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }
    // Called when a reply changed the Recipient list (the main window shows it again).
    void SetListChanged(std::function<void()> changed) { m_listChanged = std::move(changed); }

    QTableView* List() const { return m_list; }
    QPlainTextEdit* Details() const { return m_details; }
    InboxTableModel* Model() const { return m_model; }
    QPushButton* Button(const QString& caption) const;

public Q_SLOTS:
    void Reload();
    void FitDeviceColumn();
    void OnReply();
    void OnDelete();
    void OnExport();
    void OnOptOutSettings();

private:
    void ShowSelected();

    Session& m_session;
    FileOpener& m_opener;
    InboxController m_controller;
    FileChooser m_chooser = FileChooser::Dialogs();
    std::function<void()> m_listChanged;
    InboxTableModel* m_model;
    QTableView* m_list;
    QPlainTextEdit* m_details;
};
