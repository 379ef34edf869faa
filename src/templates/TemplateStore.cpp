#include "templates/TemplateStore.h"

#include "app/AppendRecord.h"
#include "app/DataFileLock.h"
#include "app/CStdioFileEx.h"
#include "app/FileException.h"

#include <QSet>

#include <algorithm>
#include <mutex>

namespace {

std::mutex& StoreLock() {
    static std::mutex lock;
    return lock;
}

} // namespace

TemplateStore::TemplateStore(QString path) : m_path(std::move(path)) {}

QString TemplateStore::EncodeRecord(const QString& text) {
    QString record = text;
    record.replace(QLatin1Char('\n'), kNewlineMarker);
    return record;
}

QStringList TemplateStore::ParseRows(const QByteArray& bytes, Duplicates duplicates) {
    QStringList fileOrder;
    QSet<QString> seen;
    QString collected;
    const qsizetype units = bytes.size() / 2;
    for (qsizetype i = 0; i < units; ++i) {
        const char16_t unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                                    (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
        if (unit == 0xFEFF)
            continue;
        if (unit != u'\n') {
            collected.append(QChar(unit));
            continue;
        }
        if (!collected.isEmpty()) {
            const QString text = QString(collected).replace(kNewlineMarker, QStringLiteral("\n"));
            const QString key = duplicates == Duplicates::Exact ? text : text.toCaseFolded();
            if (!text.isEmpty() && !seen.contains(key)) {
                seen.insert(key);
                fileOrder.append(text);
            }
        }
        collected.clear();
    }
    // Each record goes in as row 0: the window shows the file bottom up.
    std::reverse(fileOrder.begin(), fileOrder.end());
    return fileOrder;
}

bool TemplateStore::Read(QStringList* rows, Duplicates duplicates, FileError* error) const {
    std::lock_guard lock(StoreLock());
    return ReadHeld(rows, duplicates, error);
}

bool TemplateStore::ReadHeld(QStringList* rows, Duplicates duplicates, FileError* error) const {
    rows->clear();
    CStdioFileEx file;
    FileError openError;
    if (!file.Open(m_path, CStdioFileEx::kReadDataFile, &openError)) {
        if (error)
            *error = openError;
        return false;
    }
    try {
        QByteArray bytes(file.GetLength(), Qt::Uninitialized);
        bytes.resize(file.Read(bytes.data(), bytes.size()));
        file.Close();
        *rows = ParseRows(bytes, duplicates);
    } catch (const FileException& e) {
        if (error)
            *error = e.Error();
        return false;
    }
    return true;
}

bool TemplateStore::Append(const QString& text, FileError* error) const {
    std::lock_guard lock(StoreLock());
    const DataFileLock fileLock(m_path); // another process's append or rewrite goes first
    if (!fileLock.IsLocked()) {
        if (error)
            *error = FileError::FromText(m_path, fileLock.Error());
        return false;
    }
    return AppendRecord(m_path, EncodeRecord(text), QStringLiteral("\n"), error);
}

bool TemplateStore::Append(const QStringList& texts, FileError* error) const {
    if (texts.isEmpty())
        return true;
    QString records;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (i > 0)
            records += QLatin1Char('\n');
        records += EncodeRecord(texts.at(i));
    }
    std::lock_guard lock(StoreLock());
    const DataFileLock fileLock(m_path); // another process's append or rewrite goes first
    if (!fileLock.IsLocked()) {
        if (error)
            *error = FileError::FromText(m_path, fileLock.Error());
        return false;
    }
    return AppendRecord(m_path, records, QStringLiteral("\n"), error);
}

bool TemplateStore::Rewrite(const QStringList& rows, FileError* error) const {
    std::lock_guard lock(StoreLock());
    const DataFileLock fileLock(m_path); // another process's append or rewrite goes first
    if (!fileLock.IsLocked()) {
        if (error)
            *error = FileError::FromText(m_path, fileLock.Error());
        return false;
    }
    return RewriteHeld(rows, error);
}

bool TemplateStore::Update(const std::function<bool(QStringList&)>& change, QStringList* rows,
                           FileError* error) const {
    std::lock_guard lock(StoreLock());
    const DataFileLock fileLock(m_path); // the read and the rewrite as one step for every other writer
    if (!fileLock.IsLocked()) {
        if (error)
            *error = FileError::FromText(m_path, fileLock.Error());
        return false;
    }
    QStringList current;
    if (!ReadHeld(&current, Duplicates::Exact, error))
        return false;
    if (change(current) && !RewriteHeld(current, error))
        return false;
    if (rows)
        *rows = std::move(current);
    return true;
}

bool TemplateStore::RewriteHeld(const QStringList& rows, FileError* error) const {
    CStdioFileEx file;
    FileError openError;
    if (!file.Open(m_path, CStdioFileEx::kRewriteDataFile, &openError)) {
        if (error)
            *error = openError;
        return false;
    }
    try {
        file.WriteString(QString()); // the byte-order mark, also for an empty store
        for (qsizetype i = rows.size() - 1; i >= 0; --i)
            file.WriteString(EncodeRecord(rows.at(i)) + QLatin1Char('\n'));
        file.Close();
    } catch (const FileException& e) {
        if (error)
            *error = e.Error();
        return false;
    }
    return true;
}
