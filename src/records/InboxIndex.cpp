#include "records/InboxIndex.h"

#include <QFileInfo>

#include <cstring>

bool InboxIndex::Open(const QString& path, FileError* error) {
    m_lines.clear();
    m_cache.clear();
    m_data = nullptr;
    m_copy.clear();
    m_file.reset();
    if (!QFileInfo::exists(path))
        return true;
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        if (error)
            *error = FileError::FromText(path, file->errorString());
        return false;
    }
    const qint64 size = file->size() & ~qint64(1); // whole UTF-16 units
    if (size == 0)
        return true;
    m_data = file->map(0, size);
    if (m_data == nullptr) {
        m_copy = file->read(size);
        if (m_copy.size() != size) {
            if (error)
                *error = FileError::FromText(path, file->errorString());
            m_copy.clear();
            return false;
        }
        m_data = reinterpret_cast<const uchar*>(m_copy.constData());
    }
    m_file = std::move(file);

    // Lines end at LF (U+000A: bytes 0A 00 at an even offset); a CR before it, a byte-order mark and blank
    // lines are no part of any record.
    const auto unitAt = [this](qint64 byte) { return char16_t(m_data[byte] | (m_data[byte + 1] << 8)); };
    const auto addLine = [&](qint64 start, qint64 end) {
        if (start < end && unitAt(start) == 0xFEFF)
            start += 2;
        while (end > start && (unitAt(end - 2) == u'\r' || unitAt(end - 2) == u' '))
            end -= 2;
        if (end > start)
            m_lines.push_back({start, (end - start) / 2});
    };
    m_lines.reserve(static_cast<std::size_t>(size / 256));
    qint64 lineStart = 0;
    const uchar* p = m_data;
    const uchar* end = m_data + size;
    while (p < end) {
        const void* found = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        if (found == nullptr)
            break;
        const qint64 at = static_cast<const uchar*>(found) - m_data;
        if ((at & 1) == 0 && at + 1 < size && m_data[at + 1] == 0) {
            addLine(lineStart, at);
            lineStart = at + 2;
        }
        p = m_data + at + 1;
    }
    addLine(lineStart, size);
    return true;
}

QString InboxIndex::Line(qsizetype i) const {
    const Span& span = m_lines.at(static_cast<std::size_t>(i));
    QString text(span.units, Qt::Uninitialized);
    const uchar* p = m_data + span.start;
    for (qint64 u = 0; u < span.units; ++u)
        text[u] = QChar(char16_t(p[2 * u] | (p[2 * u + 1] << 8)));
    return text;
}

InboxRecord InboxIndex::Record(qsizetype i) const {
    if (const auto found = m_cache.find(i); found != m_cache.end())
        return found->second;
    if (m_cache.size() >= kCacheSize)
        m_cache.clear();
    InboxRecord record;
    const QString line = Line(i);
    if (!InboxStore::ParseLine(line, &record)) {
        record = InboxRecord();
        record.kind = InboxRecord::Kind::Undecodable;
        record.raw = line;
        record.reason = QStringLiteral("This line of the inbox file is no record.");
    }
    return m_cache.emplace(i, std::move(record)).first->second;
}
