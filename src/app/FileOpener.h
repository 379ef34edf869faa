#pragma once

#include "app/Prompter.h"

#include <QString>

#include <functional>

// Opens a file with the program the desktop associates with it (help file, exported files). The launcher
// is injectable: the desktop program may pass one built on QDesktopServices, the core default runs
// xdg-open detached.
class FileOpener {
public:
    // Starts a program for the file; false when none could be started.
    using Launcher = std::function<bool(const QString& path)>;

    explicit FileOpener(Prompter& prompter, Launcher launcher = XdgOpen);

    // "Does not exist." for a missing file; a failed start shows cannotOpen followed by the path. True when a
    // program was started.
    bool Open(const QString& path, const QString& cannotOpen = kCannotOpen);

    // Runs "xdg-open <path>" without waiting for it.
    static bool XdgOpen(const QString& path);

    static inline const QString kDoesNotExist = QStringLiteral("Does not exist.");
    static inline const QString kCannotOpen = QStringLiteral("No program could be started to open the file.\n\n");

private:
    Prompter& m_prompter;
    Launcher m_launcher;
};
