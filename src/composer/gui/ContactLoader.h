#pragma once

#include <QObject>
#include <QString>

class ListWork;
class Prompter;
class QWidget;
class Session;

// "Load Contacts From File" once the file is chosen: a text file imported on a list worker; a workbook's
// sheet names read on a list worker, then the sheet and column picker (window-modal; the list stays busy
// while the user chooses), then the chosen columns imported on a list worker. Every check and notice is the
// session's.
class ContactLoader final : public QObject {
public:
    ContactLoader(Session& session, ListWork& work, Prompter& prompter, QWidget* owner);

    void Load(const QString& path);

private:
    void LoadWorkbook(const QString& path);

    Session& m_session;
    ListWork& m_work;
    Prompter& m_prompter;
    QWidget* m_owner;
};
