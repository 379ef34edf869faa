#include "NumberText.h"

#include <QChar>

#include <cstdint>
#include <cstring>

QString NormalizeNumber(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u != u'-' && u != u' ' && u != u'(' && u != u')')
            out.append(c);
    }
    return out;
}

bool IsValidNumberText(const QString& text) {
    if (text.isEmpty() || text.size() > kMaxNumberLength)
        return false;
    bool hasDigit = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u >= u'0' && u <= u'9')
            hasDigit = true;
        else if (u == u'+' ? i != 0 : u != u'-')
            return false;
    }
    return hasDigit;
}

bool MayNeedCaseFolding(QStringView text) {
    // Nothing below U+0041 folds, and digits, '+', '-' and ' ' all lie there.
    for (const QChar c : text) {
        if (c.unicode() >= 0x41)
            return true;
    }
    return false;
}

void AppendCaseFolded(QStringView text, std::u16string& out) {
    out.reserve(out.size() + static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u < 0x41) {
            out.push_back(u);
        } else if (QChar::isHighSurrogate(u) && i + 1 < text.size() &&
                   QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(u, text.at(i + 1).unicode()));
            out.push_back(QChar::highSurrogate(folded));
            out.push_back(QChar::lowSurrogate(folded));
            ++i;
        } else {
            // Simple case folding never leaves the Basic Multilingual Plane for a character inside it.
            out.push_back(static_cast<char16_t>(QChar::toCaseFolded(static_cast<char32_t>(u))));
        }
    }
}

QString CaseFoldedKey(const QString& text) {
    if (!MayNeedCaseFolding(text))
        return text;
    std::u16string folded;
    AppendCaseFolded(text, folded);
    return QString::fromUtf16(folded.data(), static_cast<qsizetype>(folded.size()));
}

size_t HashNumberText(QStringView text) {
    constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;
    const char16_t* p = text.utf16();
    qsizetype n = text.size();
    std::uint64_t h = static_cast<std::uint64_t>(n) * kMul;
    while (n >= 4) {
        std::uint64_t chunk;
        std::memcpy(&chunk, p, sizeof chunk);
        h = (h ^ chunk) * kMul;
        h ^= h >> 29;
        p += 4;
        n -= 4;
    }
    std::uint64_t tail = 0;
    if (n > 0) // an empty view may have no data pointer at all
        std::memcpy(&tail, p, static_cast<size_t>(n) * sizeof(char16_t));
    h = (h ^ tail) * kMul;
    h ^= h >> 32;
    h *= kMul;
    h ^= h >> 29;
    return static_cast<size_t>(h);
}
