#include "composer/gui/RecordsWindows.h"

#include "app/gui/CAboutDlg.h"
#include "composer/gui/CVRIX_Bulk_SMSDlg.h"
#include "records/gui/CInbox.h"
#include "records/gui/CSent_Items.h"
#include "templates/gui/CViewTemplates.h"
#include "ui/ComposerEdit.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

// Opens the window over the main window and lets it go when it closes.
void OpenWindowModal(QDialog* window) {
    QObject::connect(window, &QDialog::finished, window, &QObject::deleteLater);
    window->open();
}

} // namespace

RecordsWindows::RecordsWindows(CVRIX_Bulk_SMSDlg& main) : QObject(&main), m_main(main) {
    setObjectName(QStringLiteral("RecordsWindows"));
    m_opener = std::make_unique<FileOpener>(main.UserSession().UserPrompter(),
                                            [this](const QString& path) { return m_launcher(path); });
}

RecordsWindows::~RecordsWindows() = default;

bool RecordsWindows::OpenWithDesktop(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void RecordsWindows::OnSentItems() {
    if (m_main.IsListBusy())
        return;
    auto* window = new CSent_Items(m_main.UserSession(), *m_opener, &m_main);
    window->SetFileChooser(m_chooser);
    window->SetListChanged([main = &m_main] { main->RefreshList(); });
    OpenWindowModal(window);
}

void RecordsWindows::OnInbox() {
    if (m_main.IsListBusy())
        return;
    auto* window = new CInbox(m_main.UserSession(), *m_opener, &m_main);
    window->SetFileChooser(m_chooser);
    window->SetListChanged([main = &m_main] { main->RefreshList(); });
    OpenWindowModal(window);
}

void RecordsWindows::OnViewTemplates() {
    if (m_main.IsListBusy())
        return;
    Session& session = m_main.UserSession();
    auto* window =
        new CViewTemplates(session.Paths(), session.UserPrompter(), *m_opener, m_main.Form().composer, &m_main);
    window->SetFileChooser(m_chooser);
    OpenWindowModal(window);
}

void RecordsWindows::OnHelp() {
    if (!m_main.IsListBusy())
        static_cast<void>(m_main.UserSession().Help(*m_opener));
}

void RecordsWindows::OnAbout() {
    if (!m_main.IsListBusy())
        OpenWindowModal(new CAboutDlg(&m_main));
}
