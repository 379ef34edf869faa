#include "sms/Gsm0338Decoding.h"

#include "sms/Gsm0338.h"

namespace Gsm0338 {

bool UnpackSeptets(const QByteArray& octets, int bitOffset, int count, std::vector<std::uint8_t>* septets) {
    if (bitOffset < 0 || count < 0)
        return false;
    const qint64 bitsNeeded = static_cast<qint64>(bitOffset) + static_cast<qint64>(count) * 7;
    if (bitsNeeded > static_cast<qint64>(octets.size()) * 8)
        return false;
    septets->clear();
    septets->reserve(static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n) {
        const qint64 bit = bitOffset + static_cast<qint64>(n) * 7;
        const auto byte = static_cast<qsizetype>(bit / 8);
        const int shift = static_cast<int>(bit % 8);
        unsigned value = static_cast<unsigned char>(octets.at(byte)) >> shift;
        // A septet that starts in the top two bits of an octet continues in the next one, which is there
        // because bitsNeeded counted it.
        if (shift > 1)
            value |= static_cast<unsigned>(static_cast<unsigned char>(octets.at(byte + 1))) << (8 - shift);
        septets->push_back(static_cast<std::uint8_t>(value & 0x7F));
    }
    return true;
}

QString DecodeSeptets(const std::vector<std::uint8_t>& septets) {
    QString text;
    text.reserve(static_cast<qsizetype>(septets.size()));
    for (std::size_t i = 0; i < septets.size(); ++i) {
        const std::uint8_t code = septets[i] & 0x7F;
        if (code != kEscape) {
            text.append(QChar(kDefaultAlphabet[code]));
            continue;
        }
        if (i + 1 == septets.size()) {
            text.append(QLatin1Char(' '));
            break;
        }
        const std::uint8_t next = septets[++i] & 0x7F;
        if (next == kEscape) {
            text.append(QLatin1Char(' '));
            continue;
        }
        char16_t glyph = kDefaultAlphabet[next];
        for (const ExtensionEntry& e : kExtensionTable) {
            if (e.code == next)
                glyph = e.glyph;
        }
        text.append(QChar(glyph));
    }
    return text;
}

} // namespace Gsm0338
