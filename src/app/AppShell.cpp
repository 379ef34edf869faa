#include "app/AppShell.h"

#include <cstdio>
#include <cstdlib>

QString AppShell::Version() { return QStringLiteral(BULKSMS_VERSION); }

DataPaths AppShell::Startup(const QString& applicationFolder) {
    const DataPaths paths(applicationFolder.isEmpty() ? DataPaths::DefaultApplicationFolder() : applicationFolder);
    DataPaths::SetShared(paths);
    paths.EnsureDataFiles();
    return paths;
}

void AppShell::Shutdown() {
    DataPaths::Shared().RemoveScratchFiles();
    std::fflush(nullptr);
    // _Exit: workers may still run; static destructors must not pull their objects from under them. Every
    // data file is opened and closed within one operation, so nothing is left unwritten.
    std::_Exit(0);
}
