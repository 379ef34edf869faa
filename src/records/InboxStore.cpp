#include "records/InboxStore.h"

#include "app/AppendRecord.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QHash>
#include <QSaveFile>

#include <mutex>

namespace {

std::mutex& InboxLock() {
    static std::mutex lock;
    return lock;
}

const char* KindName(InboxRecord::Kind kind) {
    switch (kind) {
    case InboxRecord::Kind::Message:
        return "message";
    case InboxRecord::Kind::Report:
        return "report";
    case InboxRecord::Kind::Undecodable:
        break;
    }
    return "undecodable";
}

} // namespace

QString InboxStore::FormatLine(const InboxRecord& r) {
    QJsonObject o;
    o.insert(QStringLiteral("kind"), QLatin1String(KindName(r.kind)));
    o.insert(QStringLiteral("received"), r.received);
    o.insert(QStringLiteral("device"), r.device);
    o.insert(QStringLiteral("number"), r.number);
    o.insert(QStringLiteral("sent"), r.sent);
    o.insert(QStringLiteral("text"), r.text);
    o.insert(QStringLiteral("raw"), r.raw);
    o.insert(QStringLiteral("reason"), r.reason);
    o.insert(QStringLiteral("optOut"), r.optOut);
    if (!r.keys.isEmpty())
        o.insert(QStringLiteral("keys"), QJsonArray::fromStringList(r.keys));
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

bool InboxStore::ParseLine(const QString& line, InboxRecord* r) {
    const QJsonDocument doc = QJsonDocument::fromJson(line.trimmed().toUtf8());
    if (!doc.isObject())
        return false;
    const QJsonObject o = doc.object();
    const QString kind = o.value(QStringLiteral("kind")).toString();
    r->kind = kind == QLatin1String("message")  ? InboxRecord::Kind::Message
              : kind == QLatin1String("report") ? InboxRecord::Kind::Report
                                                : InboxRecord::Kind::Undecodable;
    r->received = o.value(QStringLiteral("received")).toString();
    r->device = o.value(QStringLiteral("device")).toString();
    r->number = o.value(QStringLiteral("number")).toString();
    r->sent = o.value(QStringLiteral("sent")).toString();
    r->text = o.value(QStringLiteral("text")).toString();
    r->raw = o.value(QStringLiteral("raw")).toString();
    r->reason = o.value(QStringLiteral("reason")).toString();
    r->optOut = o.value(QStringLiteral("optOut")).toBool();
    r->keys.clear();
    for (const QJsonValue& key : o.value(QStringLiteral("keys")).toArray())
        r->keys << key.toString();
    return true;
}

bool InboxStore::Append(const InboxRecord& record, FileError* error) const {
    std::lock_guard lock(InboxLock());
    return AppendRecord(m_path, FormatLine(record), QStringLiteral("\r\n"), error);
}

namespace {

QByteArray Utf16Le(const QString& text) {
    QByteArray bytes("\xFF\xFE", 2);
    bytes.reserve(2 + text.size() * 2);
    for (QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

QString FromUtf16Le(const QByteArray& bytes) {
    QString text(bytes.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                              (static_cast<unsigned char>(bytes[2 * i + 1]) << 8)));
    text.remove(QChar(0xFEFF));
    return text;
}

// Under the inbox lock.
bool WriteWhole(const QString& path, const QString& text, FileError* error) {
    const QByteArray bytes = Utf16Le(text);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = FileError::FromText(path, file.errorString());
        return false;
    }
    return true;
}

// Under the inbox lock. A missing file reads as empty.
bool ReadWhole(const QString& path, QString* text, FileError* error) {
    text->clear();
    if (!QFileInfo::exists(path))
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = FileError::FromText(path, file.errorString());
        return false;
    }
    *text = FromUtf16Le(file.readAll());
    return true;
}

} // namespace

bool InboxStore::Rewrite(const QList<InboxRecord>& records, FileError* error) const {
    QString text;
    for (const InboxRecord& record : records)
        text += FormatLine(record) + QStringLiteral("\r\n");
    std::lock_guard lock(InboxLock());
    return WriteWhole(m_path, text, error);
}

bool InboxStore::RemoveLines(const QStringList& lines, FileError* error) const {
    std::lock_guard lock(InboxLock());
    QString text;
    if (!ReadWhole(m_path, &text, error))
        return false;
    QHash<QString, int> toRemove;
    for (const QString& line : lines)
        ++toRemove[line.trimmed()];
    QString kept;
    kept.reserve(text.size());
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (auto found = toRemove.find(trimmed); found != toRemove.end() && *found > 0) {
            --*found;
            continue;
        }
        kept += trimmed + QStringLiteral("\r\n");
    }
    return WriteWhole(m_path, kept, error);
}

bool InboxStore::Load(QList<InboxRecord>* records, FileError* error) const {
    records->clear();
    std::lock_guard lock(InboxLock());
    QString text;
    if (!ReadWhole(m_path, &text, error))
        return false;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        InboxRecord record;
        if (ParseLine(line, &record))
            *records << record;
    }
    return true;
}
