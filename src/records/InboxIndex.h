#pragma once

#include "app/FileError.h"
#include "records/InboxStore.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>
#include <unordered_map>
#include <vector>

// The inbox file as its window reads it: opened by finding where each line starts (the file mapped, not
// decoded), each record read from its line only when it is asked for, so an inbox of a million messages opens
// at once. A line that is no record shows as an unreadable one holding the line, never hidden. Used from one
// thread.
class InboxIndex {
public:
    // Reads the file afresh. A missing file is an empty inbox.
    [[nodiscard]] bool Open(const QString& path, FileError* error = nullptr);
    qsizetype Count() const { return static_cast<qsizetype>(m_lines.size()); }
    // The record of line i (0 <= i < Count()).
    InboxRecord Record(qsizetype i) const;
    // Line i as stored, without its line end.
    QString Line(qsizetype i) const;

private:
    struct Span {
        qint64 start; // byte offset of the line's first UTF-16 unit
        qint64 units; // its length in UTF-16 units
    };
    static constexpr std::size_t kCacheSize = 512; // records kept parsed (a screenful or two, several times over)

    std::unique_ptr<QFile> m_file;
    const uchar* m_data = nullptr;
    QByteArray m_copy; // the bytes when the file could not be mapped
    std::vector<Span> m_lines;
    mutable std::unordered_map<qsizetype, InboxRecord> m_cache;
};
