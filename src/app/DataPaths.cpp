#include "app/DataPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace {

DataPaths g_shared;

// A new data file holds only the UTF-16LE byte-order mark. NewOnly makes the creation exclusive, so a file
// that appears meanwhile is never overwritten.
void CreateDataFileIfMissing(const QString& path) {
    if (QFileInfo::exists(path))
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return;
    file.write("\xFF\xFE", 2);
    file.close();
}

bool IsWritableFolder(const QString& folder) {
    const QByteArray native = QFile::encodeName(folder);
    return ::access(native.constData(), W_OK | X_OK) == 0;
}

} // namespace

DataPaths::DataPaths(QString applicationFolder) : m_applicationFolder(std::move(applicationFolder)) {
    while (m_applicationFolder.size() > 1 && m_applicationFolder.endsWith(QLatin1Char('/')))
        m_applicationFolder.chop(1);
}

namespace {
QString Join(const QString& folder, const QString& name) {
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}
} // namespace

QString DataPaths::DataFolder() const {
    return Join(m_applicationFolder, kDataFolderName);
}
QString DataPaths::TemplatesFile() const {
    return DataFolder() + QStringLiteral("/Templates.vrix");
}
QString DataPaths::SentItemFile() const {
    return DataFolder() + QStringLiteral("/SentItem.vrix");
}
QString DataPaths::InboxFile() const {
    return DataFolder() + QStringLiteral("/Inbox.vrix");
}
QString DataPaths::SentItemWndFile() const {
    return DataFolder() + QStringLiteral("/SentItemWnd.vrix");
}
QString DataPaths::SentItemAndFile() const {
    return DataFolder() + QStringLiteral("/SentItemAnd.vrix");
}
QString DataPaths::AppExclusionFile() const {
    return DataFolder() + QStringLiteral("/AppExclusion.vrix");
}
QString DataPaths::ExclusionFolder() const {
    return DataFolder() + QStringLiteral("/Exclusion");
}
QString DataPaths::ExclusionIndexFile() const {
    return ExclusionFolder() + QStringLiteral("/ExListIndex.vrix");
}
QString DataPaths::ExclusionListFile(const QString& listName) const {
    return ExclusionFolder() + QLatin1Char('/') + listName + QStringLiteral(".vrix");
}
QString DataPaths::HelpFile() const {
    return Join(m_applicationFolder, QStringLiteral("VRIXBulkSMS.chm"));
}

QString DataPaths::SettingsFile() const { return DataFolder() + QStringLiteral("/Settings.ini"); }
QString DataPaths::JournalFile() const { return DataFolder() + QStringLiteral("/RunJournal.db"); }

QStringList DataPaths::ScratchFiles() const {
    QStringList out;
    for (const char* name : {"message.txt", "vrixsms.txt", "myfile.txt", "myfilet.txt", "myfiles.txt", "build.prop"})
        out << Join(m_applicationFolder, QString::fromLatin1(name));
    return out;
}

void DataPaths::EnsureDataFiles() const {
    QDir().mkpath(DataFolder());
    for (const QString& path : {SentItemAndFile(), SentItemWndFile(), SentItemFile(), TemplatesFile()})
        CreateDataFileIfMissing(path);
    CreateDataFileIfMissing(AppExclusionFile());
    QDir().mkpath(ExclusionFolder());
    CreateDataFileIfMissing(ExclusionIndexFile());
}

void DataPaths::RemoveScratchFiles() const {
    for (const QString& path : ScratchFiles()) {
        // Only plain files: a folder of the same name is none of ours.
        const QFileInfo info(path);
        if (info.exists() && !info.isDir())
            QFile::remove(path);
    }
}

QString DataPaths::FolderOfExecutable(const QString& executablePath) {
    const qsizetype slash = executablePath.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QStringLiteral("/");
    return slash == 0 ? QStringLiteral("/") : executablePath.left(slash);
}

QString DataPaths::DefaultApplicationFolder() {
    const QString beside = FolderOfExecutable(QCoreApplication::applicationFilePath());
    const QString data = Join(beside, kDataFolderName);
    if (QFileInfo(data).isDir() ? IsWritableFolder(data) : IsWritableFolder(beside))
        return beside;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

const DataPaths& DataPaths::Shared() {
    return g_shared;
}

void DataPaths::SetShared(const DataPaths& paths) {
    g_shared = paths;
}
