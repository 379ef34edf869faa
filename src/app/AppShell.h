#pragma once

#include "app/DataPaths.h"
#include "app/FileOpener.h"

#include <QString>

// Start-up and shutdown of the program, shared by the desktop program and the command line.
class AppShell {
public:
    static inline const QString kProductName = QStringLiteral("VRIX Bulk SMS");
    // The product's version, "0.1".
    static QString Version();

    // Finds the application folder (applicationFolder when not empty, else the default one), makes its
    // paths the shared ones and ensures the data files. Existing files are never changed.
    static DataPaths Startup(const QString& applicationFolder = {});

    // Removes the scratch files of the shared application folder and ends the process with exit code 0 at
    // once, without unwinding windows or worker threads (as the Exit button requires).
    [[noreturn]] static void Shutdown();
};
