#include "ExclusionStore.h"

#include "app/CStdioFileEx.h"
#include "app/DataFileLock.h"
#include "app/FileException.h"

#include <QFile>
#include <QtEndian>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

QString ExclusionStoreStatus::Text() const {
    switch (kind) {
    case Kind::Ok:
        return {};
    case Kind::FileError:
        return FileErrorText(fileError);
    case Kind::MissingFile:
        return QStringLiteral("Error in file accessing.");
    case Kind::NameRefused:
        return ListNameErrorText(nameError);
    }
    return {};
}

ExclusionStoreStatus ExclusionStoreStatus::FromFileError(const FileError& error) {
    ExclusionStoreStatus status;
    status.kind = Kind::FileError;
    status.fileError = error;
    return status;
}

namespace {

ExclusionStoreStatus NameRefused(ListNameError error) {
    ExclusionStoreStatus status;
    status.kind = ExclusionStoreStatus::Kind::NameRefused;
    status.nameError = error;
    return status;
}

QByteArray NativePath(const QString& path) {
    return QFile::encodeName(path);
}

// The lines of a UTF-16LE file's bytes (with or without its FF FE), as CStdioFileEx::ReadString gives them one
// by one: each ends at U+000A, and loses that and a CR before it; a last line without U+000A loses a final
// CR; a lone trailing byte is dropped.
QStringList SplitUnicodeLines(const QByteArray& bytes) {
    const qsizetype start = bytes.startsWith("\xFF\xFE") ? 2 : 0;
    QString text((bytes.size() - start) / 2, Qt::Uninitialized);
    qFromLittleEndian<char16_t>(bytes.constData() + start, text.size(), text.data());
    QStringList lines;
    const QStringView all(text);
    qsizetype from = 0;
    while (from < all.size()) {
        qsizetype end = all.indexOf(u'\n', from);
        const qsizetype next = end < 0 ? all.size() : end + 1;
        if (end < 0)
            end = all.size();
        QStringView line = all.sliced(from, end - from);
        if (line.endsWith(u'\r'))
            line.chop(1);
        lines << line.toString();
        from = next;
    }
    return lines;
}

bool PathExists(const QString& path) {
    struct stat st {};
    return ::lstat(NativePath(path).constData(), &st) == 0;
}

} // namespace

ExclusionStore::ExclusionStore(DataPaths paths) : m_paths(std::move(paths)) {}

ExclusionStoreLines ExclusionStore::ListNames() const {
    return ReadLines(IndexPath());
}

ExclusionStoreLines ExclusionStore::LoadList(const QString& name) const {
    return ReadLines(ListPath(name));
}

ExclusionStoreLines ExclusionStore::AppliedNames() const {
    return ReadLines(AppliedPath());
}

namespace {
// A lock that could not be taken in time, as the store reports a file error.
ExclusionStoreStatus LockFailure(const QString& path, const DataFileLock& lock) {
    return ExclusionStoreStatus::FromFileError(FileError::FromText(path, lock.Error()));
}
} // namespace

ExclusionStoreStatus ExclusionStore::AppendList(const QString& name, const QStringList& numbers) {
    // The index is read, checked and appended to as one step: another process's rewrite waits for it.
    const DataFileLock indexLock(IndexPath());
    if (!indexLock.IsLocked())
        return LockFailure(IndexPath(), indexLock);
    ExclusionStoreLines index = ListNames();
    if (!index.status.Ok())
        return index.status;
    if (const ListNameError error = CheckListName(name, index.lines); error != ListNameError::None)
        return NameRefused(error);
    const QString listName = name.trimmed();
    // On a file system that ignores letter case, "exlistindex.vrix" is the index itself.
    if (IsIndexFile(ListPath(listName)))
        return NameRefused(ListNameError::Reserved);

    if (ExclusionStoreStatus status = WriteLines(ListPath(listName), numbers); !status.Ok())
        return status;
    return AppendLineHeld(IndexPath(), listName);
}

ExclusionStoreStatus ExclusionStore::SaveList(const QString& name, const QStringList& numbers) {
    return WriteLines(ListPath(name), numbers);
}

ExclusionStoreStatus ExclusionStore::DeleteLists(const QStringList& names) {
    // Read, changed and rewritten under their locks (the index first, then the applied names, always in this
    // order), so that no other process's append lands in between and is lost.
    const DataFileLock indexLock(IndexPath());
    if (!indexLock.IsLocked())
        return LockFailure(IndexPath(), indexLock);
    const DataFileLock appliedLock(AppliedPath());
    if (!appliedLock.IsLocked())
        return LockFailure(AppliedPath(), appliedLock);
    ExclusionStoreLines available = ListNames();
    if (!available.status.Ok())
        return available.status;
    ExclusionStoreLines applied = AppliedNames();
    if (!applied.status.Ok())
        return applied.status;

    ExclusionStoreStatus firstFailure;
    for (auto it = names.crbegin(); it != names.crend(); ++it) {
        const QString path = ListPath(*it);
        if (std::remove(NativePath(path).constData()) != 0 && errno != ENOENT) {
            if (firstFailure.Ok())
                firstFailure = ExclusionStoreStatus::FromFileError(FileError::FromErrno(path, errno));
            continue;
        }
        available.lines.removeAll(*it);
        applied.lines.removeAll(*it);
    }
    if (ExclusionStoreStatus status = WriteLinesHeld(IndexPath(), available.lines); !status.Ok())
        return status;
    if (ExclusionStoreStatus status = WriteLinesHeld(AppliedPath(), applied.lines); !status.Ok())
        return status;
    return firstFailure;
}

ExclusionStoreStatus ExclusionStore::RenameList(const QString& oldName, const QString& newName) {
    const DataFileLock indexLock(IndexPath()); // as DeleteLists: index, then applied names
    if (!indexLock.IsLocked())
        return LockFailure(IndexPath(), indexLock);
    const DataFileLock appliedLock(AppliedPath());
    if (!appliedLock.IsLocked())
        return LockFailure(AppliedPath(), appliedLock);
    ExclusionStoreLines available = ListNames();
    if (!available.status.Ok())
        return available.status;
    if (const ListNameError error = CheckListName(newName, available.lines); error != ListNameError::None)
        return NameRefused(error);
    const ExclusionStoreLines applied = AppliedNames();
    if (!applied.status.Ok())
        return applied.status;
    const QString name = newName.trimmed();
    const QString oldPath = ListPath(oldName);
    const QString newPath = ListPath(name);
    if (!PathExists(oldPath)) {
        ExclusionStoreStatus status;
        status.kind = ExclusionStoreStatus::Kind::MissingFile;
        return status;
    }
    if (IsIndexFile(newPath))
        return NameRefused(ListNameError::Reserved);
    // rename() would silently replace a stray file of the new name; refuse as the platform's move does.
    if (PathExists(newPath))
        return ExclusionStoreStatus::FromFileError(FileError::FromErrno(newPath, EEXIST));
    if (std::rename(NativePath(oldPath).constData(), NativePath(newPath).constData()) != 0)
        return ExclusionStoreStatus::FromFileError(FileError::FromErrno(oldPath, errno));

    QStringList appliedNames = applied.lines;
    for (QString& n : available.lines) {
        if (n == oldName)
            n = name;
    }
    for (QString& n : appliedNames) {
        if (n == oldName)
            n = name;
    }
    if (ExclusionStoreStatus status = WriteLinesHeld(IndexPath(), available.lines); !status.Ok())
        return status;
    return WriteLinesHeld(AppliedPath(), appliedNames);
}

ExclusionStoreStatus ExclusionStore::SaveApplied(const QStringList& names) {
    return WriteLines(AppliedPath(), names);
}

ExclusionStoreLines ExclusionStore::ReadLines(const QString& path) const {
    ExclusionStoreLines result;
    CStdioFileEx file;
    FileError error;
    if (!file.Open(path, CStdioFileEx::kReadDataFile, &error)) {
        result.status = ExclusionStoreStatus::FromFileError(error);
        return result;
    }
    try {
        if (file.IsFileUnicodeText()) {
            // The whole file at once, split as ReadString splits it: a list of a million numbers is read in a
            // fraction of the time line-by-line reading takes.
            QByteArray bytes;
            bytes.reserve(static_cast<qsizetype>(file.GetLength()));
            char buffer[1 << 16];
            for (qint64 got; (got = file.Read(buffer, sizeof buffer)) > 0;)
                bytes.append(buffer, got);
            result.lines = SplitUnicodeLines(bytes);
        } else {
            QString line;
            while (file.ReadString(line))
                result.lines << line;
        }
    } catch (const FileException& e) {
        result.status = ExclusionStoreStatus::FromFileError(e.Error());
    }
    return result;
}

ExclusionStoreStatus ExclusionStore::WriteLines(const QString& path, const QStringList& lines) const {
    const DataFileLock fileLock(path); // another process's rewrite of the same file goes first
    if (!fileLock.IsLocked())
        return LockFailure(path, fileLock);
    return WriteLinesHeld(path, lines);
}

ExclusionStoreStatus ExclusionStore::WriteLinesHeld(const QString& path, const QStringList& lines) const {
    CStdioFileEx file;
    FileError error;
    if (!file.Open(path, CStdioFileEx::kRewriteDataFile, &error))
        return ExclusionStoreStatus::FromFileError(error);
    try {
        // A new file written in Unicode starts with FF FE even when it holds no line.
        file.WriteString(QString());
        for (const QString& line : lines)
            file.WriteString(line + QLatin1Char('\n'));
        file.Close();
    } catch (const FileException& e) {
        return ExclusionStoreStatus::FromFileError(e.Error());
    }
    return {};
}

ExclusionStoreStatus ExclusionStore::AppendLineHeld(const QString& path, const QString& line) const {
    // Appending UTF-16 to an 8-bit file would mix encodings: such a file is rewritten whole in UTF-16.
    {
        CStdioFileEx probe;
        if (probe.Open(path, CStdioFileEx::kReadDataFile) && probe.GetLength() > 0 && !probe.IsFileUnicodeText()) {
            probe.Abort();
            ExclusionStoreLines existing = ReadLines(path);
            if (!existing.status.Ok())
                return existing.status;
            existing.lines << line;
            return WriteLinesHeld(path, existing.lines);
        }
    }
    CStdioFileEx file;
    FileError error;
    // Read-write rather than the usual write-only append, to look at the last code unit.
    constexpr unsigned kAppendReadable = CStdioFileEx::kModeCreate | CStdioFileEx::kModeNoTruncate |
                                         CStdioFileEx::kModeReadWrite | CStdioFileEx::kTypeText |
                                         CStdioFileEx::kModeWriteUnicode;
    if (!file.Open(path, kAppendReadable, &error))
        return ExclusionStoreStatus::FromFileError(error);
    try {
        const qint64 length = file.GetLength();
        QString text = line + QLatin1Char('\n');
        if (length > 2) {
            // A last line without its line end would otherwise run into the new one.
            file.Seek(length - 2, CStdioFileEx::SeekFrom::Begin);
            char last[2] = {};
            if (file.Read(last, 2) == 2 && !(last[0] == '\n' && last[1] == '\0'))
                text.prepend(QLatin1Char('\n'));
        }
        file.SeekToEnd();
        file.WriteString(text);
        file.Close();
    } catch (const FileException& e) {
        return ExclusionStoreStatus::FromFileError(e.Error());
    }
    return {};
}

bool ExclusionStore::IsIndexFile(const QString& path) const {
    struct stat target {};
    struct stat index {};
    if (::stat(NativePath(path).constData(), &target) != 0 || ::stat(NativePath(IndexPath()).constData(), &index) != 0)
        return false;
    return target.st_dev == index.st_dev && target.st_ino == index.st_ino;
}
