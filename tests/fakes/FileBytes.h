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

// The text's UTF-16LE code units, built independently of the code under test.
inline QByteArray Utf16Le(const QString& text) {
    QByteArray out;
    for (QChar c : text) {
        out.append(static_cast<char>(c.unicode() & 0xFF));
        out.append(static_cast<char>(c.unicode() >> 8));
    }
    return out;
}

// The same after the byte-order mark FF FE, as a whole file.
inline QByteArray Utf16File(const QString& text) {
    return QByteArray("\xFF\xFE") + Utf16Le(text);
}

} // namespace FileBytes
