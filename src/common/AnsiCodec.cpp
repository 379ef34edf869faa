#include "common/AnsiCodec.h"

#include <array>

namespace {

// Windows-1252, bytes 0x80 to 0x9F. Undefined bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) keep their C1 value.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

int ToByte(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i) {
        if (kHigh[static_cast<size_t>(i)] == c)
            return 0x80 + i;
    }
    return -1;
}

} // namespace

namespace AnsiCodec {

QString Decode(const char* data, qsizetype size) {
    QString out;
    out.resize(size);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        dst[i] = QChar(b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : char16_t(b));
    }
    return out;
}

QString Decode(const QByteArray& bytes) { return Decode(bytes.constData(), bytes.size()); }

QByteArray Encode(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) {
        const int b = ToByte(c.unicode());
        out.append(static_cast<char>(b < 0 ? '?' : b));
    }
    return out;
}

bool CanEncode(const QString& text) {
    for (QChar c : text) {
        if (ToByte(c.unicode()) < 0)
            return false;
    }
    return true;
}

} // namespace AnsiCodec
