#pragma once

#include <QString>
#include <QStringList>

class FileOpener;
class Prompter;

// "Help": the user guide "user-guide.html" ships with the program and is opened with the desktop's browser.
// It is looked for beside the executable (a build folder, or a portable copy), in the installed data folder
// (<prefix>/share/bulksms beside <prefix>/bin), and in the source tree the program was built from (a
// development build run from anywhere).
class UserGuide {
public:
    static inline const QString kFileName = QStringLiteral("user-guide.html");

    // Where the guide is looked for, in order, for an executable in executableFolder.
    static QStringList Candidates(const QString& executableFolder);
    // The first candidate that is a file; empty when none is.
    static QString Locate(const QStringList& candidates);
    // Opens the first guide found. A missing guide (kMissing, with the places looked in) and a browser that
    // could not be started (kNoBrowser, with the guide's path) are told through the prompter; true when a
    // browser was started.
    static bool Open(const QStringList& candidates, FileOpener& opener, Prompter& prompter);

    static inline const QString kMissing =
        QStringLiteral("The user guide could not be found. It is installed with the program as \"user-guide.html\"; "
                       "it was looked for here:\n\n");
    static inline const QString kNoBrowser =
        QStringLiteral("The user guide could not be opened: no web browser could be started.\n\nOpen this file in a "
                       "web browser:\n\n");
};
