#include "sim/SimCharset.h"

#include "sim/SimGsm0338.h"

namespace SimCharset {

bool IsHex(const QString& charset) {
    return charset == QLatin1String("UCS2") || charset == QLatin1String("HEX");
}

QString ToTe(const QString& text, const QString& charset) {
    if (IsHex(charset))
        return ToUcs2Hex(text);
    QString out;
    if (charset == QLatin1String("GSM")) {
        for (const std::uint8_t septet : SimGsm0338::EncodeText(text))
            out.append(QChar(static_cast<char16_t>(septet)));
        return out;
    }
    // IRA: ASCII only; a surrogate pair is one character, so one '?'.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        out.append(c.unicode() < 0x80 ? c : QLatin1Char('?'));
    }
    return out;
}

QString ToUcs2Hex(const QString& text) {
    QString hex;
    hex.reserve(text.size() * 4);
    for (const QChar c : text)
        hex += QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    return hex;
}

bool FromUcs2Hex(const QString& hex, QString* text) {
    if (hex.size() % 4 != 0)
        return false;
    text->clear();
    for (qsizetype i = 0; i < hex.size(); i += 4) {
        bool ok = false;
        const uint unit = hex.mid(i, 4).toUInt(&ok, 16);
        if (!ok)
            return false;
        text->append(QChar(static_cast<char16_t>(unit)));
    }
    return true;
}

} // namespace SimCharset
