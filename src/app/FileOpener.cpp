#include "app/FileOpener.h"

#include "app/AppShell.h"

#include <QFileInfo>
#include <QProcess>

FileOpener::FileOpener(Prompter& prompter, Launcher launcher) : m_prompter(prompter), m_launcher(std::move(launcher)) {}

bool FileOpener::Open(const QString& path, const QString& cannotOpen) {
    if (!QFileInfo::exists(path)) {
        // A plain message box: the program's name as caption, no icon.
        m_prompter.Ask(kDoesNotExist, AppShell::kProductName, Prompter::Icon::None, Prompter::Buttons::Ok);
        return false;
    }
    if (m_launcher && m_launcher(path))
        return true;
    m_prompter.Notice(cannotOpen + path);
    return false;
}

bool FileOpener::XdgOpen(const QString& path) {
    return QProcess::startDetached(QStringLiteral("xdg-open"), {path});
}
