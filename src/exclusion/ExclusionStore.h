#pragma once

#include "ExclusionListRules.h"

#include "app/DataPaths.h"
#include "app/FileError.h"

#include <QString>
#include <QStringList>

// Outcome of a store operation: success, a file error (shown as FileErrorText), the missing old file of a
// rename, or a list name the store will not write.
struct ExclusionStoreStatus {
    enum class Kind { Ok, FileError, MissingFile, NameRefused };

    Kind kind = Kind::Ok;
    FileError fileError;                           // with Kind::FileError
    ListNameError nameError = ListNameError::None; // with Kind::NameRefused

    bool Ok() const { return kind == Kind::Ok; }
    // The message shown to the user (caption "Message", information icon); empty for success.
    QString Text() const;

    static ExclusionStoreStatus FromFileError(const FileError& error);
};

// Lines read from a store file, with the status of the read. On a failure the lines are those read before it.
struct ExclusionStoreLines {
    QStringList lines;
    ExclusionStoreStatus status;
};

// The stored exclusion lists, under the data folder BULK_SMS_DATA (paths from DataPaths):
//   AppExclusion.vrix          names of the applied lists, one per line
//   Exclusion/ExListIndex.vrix names of every list, in creation order, one per line
//   Exclusion/<name>.vrix      the numbers of one list, one per line
// Every file is UTF-16LE with FF FE, each entry followed by "\n" (U+000A); reading also takes 8-bit files and
// CR LF line ends. Whole-file rewrites go through a temporary file and an atomic rename, so a failed write
// leaves the previous file as it was.
//
// The store keeps nothing in memory; every call reads or writes the files. Calls are made from one thread at a
// time (the wizard's or the main window's). The data folder and its empty files are created beforehand by
// DataPaths::EnsureDataFiles.
class ExclusionStore {
public:
    explicit ExclusionStore(DataPaths paths);

    const DataPaths& Paths() const { return m_paths; }
    QString IndexPath() const { return m_paths.ExclusionIndexFile(); }
    QString AppliedPath() const { return m_paths.AppExclusionFile(); }
    QString ListPath(const QString& name) const { return m_paths.ExclusionListFile(name); }

    // The index's lines, in order.
    [[nodiscard]] ExclusionStoreLines ListNames() const;
    // The lines of one list file (a blank line is an empty entry).
    [[nodiscard]] ExclusionStoreLines LoadList(const QString& name) const;
    // The applied-lists file's lines.
    [[nodiscard]] ExclusionStoreLines AppliedNames() const;

    // A new list: the list-name rules are checked against the index first; then the list file is written with
    // the numbers (replacing any stray file of that name left outside the index) and the name is appended to
    // the index.
    [[nodiscard]] ExclusionStoreStatus AppendList(const QString& name, const QStringList& numbers);
    // An existing list: its file is rewritten with the numbers.
    [[nodiscard]] ExclusionStoreStatus SaveList(const QString& name, const QStringList& numbers);
    // Deletes each list's file (a file already gone is no error) and drops the names from the index and the
    // applied names, then rewrites both files. A list whose file could not be deleted keeps its name, and the
    // first such failure is reported after the rest is done.
    [[nodiscard]] ExclusionStoreStatus DeleteLists(const QStringList& names);
    // Renames a list's file and its name in the index and, when applied, in the applied names. The new name
    // must pass the list-name rules; the old file must exist ("Error in file accessing."); an existing file
    // under the new name is never replaced.
    [[nodiscard]] ExclusionStoreStatus RenameList(const QString& oldName, const QString& newName);
    // Rewrites the applied-lists file with the names, in order.
    [[nodiscard]] ExclusionStoreStatus SaveApplied(const QStringList& names);

private:
    ExclusionStoreLines ReadLines(const QString& path) const;
    // WriteLines takes the file's cross-process lock (DataFileLock) for its work; the ...Held forms are for a
    // caller that holds it already (a read-modify-write of the index and the applied names).
    ExclusionStoreStatus WriteLines(const QString& path, const QStringList& lines) const;
    ExclusionStoreStatus WriteLinesHeld(const QString& path, const QStringList& lines) const;
    ExclusionStoreStatus AppendLineHeld(const QString& path, const QString& line) const;
    bool IsIndexFile(const QString& path) const;

    DataPaths m_paths;
};
