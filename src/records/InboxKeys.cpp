#include "records/InboxKeys.h"

#include <QCryptographicHash>
#include <QFile>

#include <sys/stat.h>

namespace {

// A key's 16 hex digits as a number; nullopt-like false when it is no key.
bool Parse(QStringView text, std::uint64_t* value) {
    if (text.size() != 16)
        return false;
    bool ok = false;
    *value = text.toULongLong(&ok, 16);
    return ok;
}

const QString kKeysField = QStringLiteral("\"keys\":[");

} // namespace

QString InboxKeys::KeyOf(const QString& device, const QString& pdu) {
    const QByteArray source = device.toUtf8() + '|' + pdu.trimmed().toUpper().toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(source, QCryptographicHash::Sha1).left(8).toHex());
}

bool InboxKeys::Contains(const QString& key) const {
    std::uint64_t value = 0;
    return Parse(key, &value) && m_keys.count(value) > 0;
}

void InboxKeys::Add(const QStringList& keys) {
    for (const QString& key : keys) {
        std::uint64_t value = 0;
        if (Parse(key, &value))
            m_keys.insert(value);
    }
}

bool InboxKeys::Refresh() {
    struct stat info {};
    if (::stat(QFile::encodeName(m_path).constData(), &info) != 0)
        return true; // no inbox yet: nothing stored
    const auto inode = static_cast<std::uint64_t>(info.st_ino);
    if (inode != m_file || info.st_size < m_offset) {
        // Replaced (a deletion rewrote it) or cut: what it holds now is read from its start. Keys known so far
        // stay known: what was stored was stored, whether or not the user deleted it from the inbox since.
        m_file = inode;
        m_offset = 0;
    }
    if (info.st_size == m_offset)
        return true;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(m_offset))
        return false;
    // In blocks of whole lines (UTF-16LE, each ending in 0A 00), so a large inbox is never held at once.
    constexpr qint64 kBlock = 8 << 20;
    QByteArray carry;
    while (true) {
        QByteArray bytes = carry + file.read(kBlock);
        if (bytes.size() == carry.size())
            break;
        qsizetype end = bytes.size() & ~qsizetype(1);
        while (end >= 2 && !(bytes[end - 2] == '\n' && bytes[end - 1] == 0))
            end -= 2;
        carry = bytes.mid(end);
        m_offset += end;
        const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), end / 2);
        for (qsizetype at = text.indexOf(kKeysField); at >= 0; at = text.indexOf(kKeysField, at)) {
            at += kKeysField.size();
            const qsizetype close = text.indexOf(QLatin1Char(']'), at);
            if (close < 0)
                break;
            for (QStringView piece : QStringView(text).mid(at, close - at).split(QLatin1Char(','))) {
                std::uint64_t value = 0;
                if (piece.size() == 18 && Parse(piece.mid(1, 16), &value))
                    m_keys.insert(value);
            }
            at = close;
        }
    }
    return file.error() == QFile::NoError;
}
