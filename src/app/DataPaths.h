#pragma once

#include <QString>
#include <QStringList>

// The application folder and the fixed places of the data files under it:
//
//   <application folder>/BULK_SMS_DATA/{SentItemAnd,SentItemWnd,SentItem,Templates,AppExclusion}.vrix
//   <application folder>/BULK_SMS_DATA/Exclusion/ExListIndex.vrix and one <list name>.vrix per list
//   <application folder>/VRIXBulkSMS.chm (help file, shipped with the program)
//
// Paths use '/'. A value type; the paths of the running program are kept in Shared().
class DataPaths {
public:
    DataPaths() = default;
    explicit DataPaths(QString applicationFolder);

    const QString& ApplicationFolder() const { return m_applicationFolder; }
    QString DataFolder() const;
    QString TemplatesFile() const;
    QString SentItemFile() const;
    QString InboxFile() const; // received messages and unmatched reports (InboxStore)
    QString SentItemWndFile() const;
    QString SentItemAndFile() const;
    QString AppExclusionFile() const;
    QString ExclusionFolder() const;
    QString ExclusionIndexFile() const;
    // The file of one exclusion list: the name is the file's base name.
    QString ExclusionListFile(const QString& listName) const;
    QString HelpFile() const;
    // The user's choices kept across starts (options, window sizes, folders, devices): an INI file in the data
    // folder, so a portable data folder carries them along.
    QString SettingsFile() const;
    // The run journal (an SQLite database): every run's rows, claims and results, for resuming interrupted runs.
    QString JournalFile() const;
    // Files other tools may leave in the application folder; Shutdown removes them.
    QStringList ScratchFiles() const;

    // Creates the data folder, the five data files (each just FF FE) and the Exclusion folder with its
    // index, whichever is missing. Never changes an existing file; failures are not reported here (the
    // stores report their own when they open the files).
    void EnsureDataFiles() const;
    // Deletes the scratch files that are present; a missing one is no error.
    void RemoveScratchFiles() const;

    // The folder of an executable path: everything before its last '/'; "/" when the path holds none.
    static QString FolderOfExecutable(const QString& executablePath);
    // The default application folder: the executable's folder when the data folder can be kept there
    // (it exists and is writable, or it can be created there), else the user's data location.
    static QString DefaultApplicationFolder();

    // The paths of the running program, set once at start-up before any worker starts.
    static const DataPaths& Shared();
    static void SetShared(const DataPaths& paths);

    static inline const QString kDataFolderName = QStringLiteral("BULK_SMS_DATA");

private:
    QString m_applicationFolder;
};
