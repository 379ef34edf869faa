#include "records/SentItemsStore.h"

#include "app/AppendRecord.h"
#include "app/DataFileLock.h"
#include "app/CStdioFileEx.h"
#include "app/FileException.h"

#include <QFileInfo>

#include <cerrno>
#include <mutex>

namespace {

// One lock for every append, load and rewrite of the log in this process.
std::mutex& StoreLock() {
    static std::mutex lock;
    return lock;
}

void Report(FileError* out, const FileError& error) {
    if (out)
        *out = error;
}

QString StripMarks(QString text) {
    auto isMark = [](QChar c) { return c == SentItemsStore::kNumberMark || c == SentItemsStore::kMessageMark; };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isMark(text[begin]))
        ++begin;
    while (end > begin && isMark(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

SentItemsStore::SentItemsStore(QString path) : m_path(std::move(path)) {}

SentItemRecord SentItemsStore::MakeRecord(const QString& number, const QString& message, const QString& status,
                                          const QDate& date) {
    return {number, message, FormatDate(date), status};
}

QString SentItemsStore::FormatDate(const QDate& date) {
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

QString SentItemsStore::FormatLine(const SentItemRecord& record) {
    QString line = kNumberMark + record.number + kMessageMark + record.message + kNumberMark + record.date +
                   kMessageMark + record.status;
    line.replace(QLatin1Char('\n'), kNewlineMarker);
    line += QStringLiteral("\r\n");
    if (!record.delivery.isEmpty())
        line += kMessageMark + kDeliveryTag + kMessageMark + record.delivery + kMessageMark + record.device +
                kMessageMark + record.references + QStringLiteral("\r\n");
    return line;
}

bool SentItemsStore::ParseDeliveryLine(const QString& line, SentItemRecord* record) {
    const QString head = kMessageMark + kDeliveryTag + kMessageMark;
    if (!line.startsWith(head))
        return false;
    const QStringList fields = line.mid(head.size()).split(kMessageMark);
    record->delivery = fields.value(0);
    record->device = fields.value(1);
    record->references = fields.value(2);
    return true;
}

std::optional<SentItemRecord> SentItemsStore::ParseLine(const QString& stored) {
    QString line = stored;
    line.replace(kNewlineMarker, QStringLiteral("\n"));
    SentItemRecord record;
    const qsizetype firstVt = line.indexOf(kMessageMark);
    if (firstVt < 0) {
        // No separator: only the number is known.
        record.number = StripMarks(line);
    } else {
        record.number = StripMarks(line.left(firstVt));
        const qsizetype lastBel = line.lastIndexOf(kNumberMark);
        if (lastBel > firstVt) {
            record.message = StripMarks(line.mid(firstVt + 1, lastBel - firstVt - 1));
            // The tail is BEL date VT status; the date is read up to its VT, so an empty date (local time
            // unknown when it was written) does not eat into the status.
            const QString tail = line.mid(lastBel + 1);
            const qsizetype vt = tail.indexOf(kMessageMark);
            record.date = StripMarks(vt < 0 ? tail : tail.left(vt));
            record.status = vt < 0 ? QString() : tail.mid(vt + 1);
        } else {
            // A line cut short after the message: no date, no status.
            record.message = StripMarks(line.mid(firstVt + 1));
        }
    }
    if (record.number.isEmpty())
        return std::nullopt;
    return record;
}

QList<SentItemRecord> SentItemsStore::ParseFile(const QByteArray& bytes) {
    QList<SentItemRecord> records;
    QString line;
    auto finish = [&] {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.startsWith(kMessageMark)) {
            // No number: a delivery line belongs to the record before it; any other such line is passed over.
            if (!records.isEmpty())
                static_cast<void>(ParseDeliveryLine(line, &records.last()));
            line.clear();
            return;
        }
        if (auto record = ParseLine(line))
            records << *record;
        line.clear();
    };
    const qsizetype units = bytes.size() / 2;
    for (qsizetype i = 0; i < units; ++i) {
        const char16_t unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                                    (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
        if (unit == 0xFEFF)
            continue;
        if (unit == u'\n')
            finish();
        else
            line.append(QChar(unit));
    }
    // A last line without its line end (a log cut short) is still a record.
    if (!line.isEmpty())
        finish();
    return records;
}

bool SentItemsStore::IsLoggedAtEndOfRun(const QString& status) {
    return !status.isEmpty() && status != QLatin1String("Stopped") && status != QLatin1String("Skipped.") &&
           status != QLatin1String("Excluded.");
}

bool SentItemsStore::Append(const SentItemRecord& record, FileError* error) const {
    const QString line = FormatLine(record).chopped(2);
    std::lock_guard lock(StoreLock());
    const DataFileLock fileLock(m_path); // another process's append or rewrite goes first
    if (!fileLock.IsLocked()) {
        if (error)
            *error = FileError::FromText(m_path, fileLock.Error());
        return false;
    }
    return AppendRecord(m_path, line, QStringLiteral("\r\n"), error);
}

bool SentItemsStore::Load(QList<SentItemRecord>* records, FileError* error) const {
    std::lock_guard lock(StoreLock());
    return LoadHeld(records, error);
}

bool SentItemsStore::LoadHeld(QList<SentItemRecord>* records, FileError* error) const {
    records->clear();
    if (!QFileInfo::exists(m_path))
        return true;
    CStdioFileEx file;
    FileError openError;
    if (!file.Open(m_path, CStdioFileEx::kReadDataFile, &openError)) {
        Report(error, openError);
        return false;
    }
    try {
        file.SeekToBegin();
        QByteArray bytes(file.GetLength(), Qt::Uninitialized);
        bytes.resize(file.Read(bytes.data(), bytes.size()));
        file.Close();
        *records = ParseFile(bytes);
    } catch (const FileException& e) {
        Report(error, e.Error());
        return false;
    }
    return true;
}

bool SentItemsStore::Rewrite(const QList<SentItemRecord>& records, FileError* error) const {
    std::lock_guard lock(StoreLock());
    const DataFileLock fileLock(m_path); // another process's append or rewrite goes first
    if (!fileLock.IsLocked()) {
        if (error)
            *error = FileError::FromText(m_path, fileLock.Error());
        return false;
    }
    return RewriteHeld(records, error);
}

bool SentItemsStore::Update(const std::function<bool(QList<SentItemRecord>&)>& change,
                            QList<SentItemRecord>* written, FileError* error) const {
    std::lock_guard lock(StoreLock());
    const DataFileLock fileLock(m_path); // the read and the rewrite as one step for every other writer
    if (!fileLock.IsLocked()) {
        if (error)
            *error = FileError::FromText(m_path, fileLock.Error());
        return false;
    }
    QList<SentItemRecord> records;
    if (!LoadHeld(&records, error))
        return false;
    if (change(records) && !RewriteHeld(records, error))
        return false;
    if (written)
        *written = std::move(records);
    return true;
}

bool SentItemsStore::RewriteHeld(const QList<SentItemRecord>& records, FileError* error) const {
    CStdioFileEx file;
    FileError openError;
    if (!file.Open(m_path, CStdioFileEx::kRewriteDataFile, &openError)) {
        Report(error, openError);
        return false;
    }
    try {
        file.WriteString(QString()); // the byte-order mark, also for an empty log
        for (const SentItemRecord& record : records)
            file.WriteString(FormatLine(record));
        file.Close();
    } catch (const FileException& e) {
        Report(error, e.Error());
        return false;
    }
    return true;
}
