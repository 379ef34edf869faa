#pragma once

#include <QString>

// Why a file could not be opened, read or written: the path, the system's error number and the platform's
// text for it. Callers show FileErrorText() of it (caption "Message", information icon).
struct FileError {
    QString path;
    int osError = 0;         // errno of the failed call; 0 when the failure had no system error
    QString platformMessage; // the platform's text for the failure (see FromErrno)

    // The platform text for errno. A create that failed for want of space starts with "Failure creating
    // file." so that FileErrorText() gives its disk-space message.
    static FileError FromErrno(const QString& path, int errorNumber, bool creating = false);
    // A failure described by a text only (e.g. a failed atomic replace reported by Qt).
    static FileError FromText(const QString& path, const QString& message, int errorNumber = 0);
};

// The text shown when opening a file fails:
//  - the platform message (at most 4096 characters), emptied when it is the "no error" text;
//  - "Error in File creation.\n\nOR\n\nThere is not enough space on the disk." when it starts with
//    "Failure creating file.";
//  - otherwise "Error in file accessing.\n\nOR\n\n" + message, or just "Error in file accessing." when empty.
QString FileErrorText(const FileError& error);
