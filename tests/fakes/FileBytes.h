#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Whole files as bytes, for the byte-exact tests of the file formats.
namespace FileBytes {

// A file's bytes; empty when it cannot be read.
inline QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The text as UTF-16LE after FF FE, built independently of the code under test.
inline QByteArray Utf16File(const QString& text) {
    QByteArray out("\xFF\xFE");
    for (QChar c : text) {
        out.append(static_cast<char>(c.unicode() & 0xFF));
        out.append(static_cast<char>(c.unicode() >> 8));
    }
    return out;
}

} // namespace FileBytes
