#pragma once

#include "app/FileOpener.h"
#include "ui/FileChooser.h"

#include <QObject>

#include <memory>

class CVRIX_Bulk_SMSDlg;

// The main window's windows over the stored records, and its information: "Sent Items" (CSent_Items), "View
// Templates" (CViewTemplates), "Help" (the user guide in the desktop's browser) and "About Us" (CAboutDlg).
// Each opens window-modal over the main window and does nothing while one of the main window's list workers
// runs.
class RecordsWindows final : public QObject {
    Q_OBJECT
public:
    explicit RecordsWindows(CVRIX_Bulk_SMSDlg& main);
    ~RecordsWindows() override;

    // How the windows ask for files and how files are opened; the desktop's dialogs and browser unless a test
    // sets its own.
    void SetFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }
    void SetLauncher(FileOpener::Launcher launcher) { m_launcher = std::move(launcher); }

public Q_SLOTS:
    void OnSentItems();
    void OnInbox(); // "Inbox" (CInbox): received messages and what else the devices handed over
    void OnViewTemplates();
    void OnHelp();
    void OnAbout();

private:
    static bool OpenWithDesktop(const QString& path);

    CVRIX_Bulk_SMSDlg& m_main;
    FileOpener::Launcher m_launcher = OpenWithDesktop;
    std::unique_ptr<FileOpener> m_opener;
    FileChooser m_chooser = FileChooser::Dialogs();
};
