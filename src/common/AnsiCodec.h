#pragma once

#include <QByteArray>
#include <QString>

// The 8-bit "ANSI" code page of the program's texts: Windows-1252. Bytes 0x00-0x7F and 0xA0-0xFF map to the
// same code points; 0x80-0x9F follow the Windows table, and the five bytes it leaves undefined map to the C1
// control of the same value, as Windows' own conversion does.
namespace AnsiCodec {

QString Decode(const QByteArray& bytes);
QString Decode(const char* data, qsizetype size);

// Characters with no byte in the code page become '?' (Windows' default character).
QByteArray Encode(const QString& text);

// True when every character of the text has a byte in the code page.
bool CanEncode(const QString& text);

} // namespace AnsiCodec
