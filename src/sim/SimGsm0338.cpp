#include "sim/SimGsm0338.h"

#include <array>

namespace SimGsm0338 {
namespace {

// TS 23.038 6.2.1, default alphabet, eight codes a row from 0x00. 0x1B is the escape to the
// extension table; as a plain character a receiving entity shows it as a space.
// clang-format off
constexpr std::array<char16_t, 128> kDefault = {
    // @       £       $       ¥       è       é       ù       ì
    0x0040, 0x00A3, 0x0024, 0x00A5, 0x00E8, 0x00E9, 0x00F9, 0x00EC,
    // ò       Ç       LF      Ø       ø       CR      Å       å
    0x00F2, 0x00C7, 0x000A, 0x00D8, 0x00F8, 0x000D, 0x00C5, 0x00E5,
    // Δ       _       Φ       Γ       Λ       Ω       Π       Ψ
    0x0394, 0x005F, 0x03A6, 0x0393, 0x039B, 0x03A9, 0x03A0, 0x03A8,
    // Σ       Θ       Ξ       ESC     Æ       æ       ß       É
    0x03A3, 0x0398, 0x039E, 0x0020, 0x00C6, 0x00E6, 0x00DF, 0x00C9,
    // SP      !       "       #       ¤       %       &       '
    0x0020, 0x0021, 0x0022, 0x0023, 0x00A4, 0x0025, 0x0026, 0x0027,
    // (       )       *       +       ,       -       .       /
    0x0028, 0x0029, 0x002A, 0x002B, 0x002C, 0x002D, 0x002E, 0x002F,
    // 0       1       2       3       4       5       6       7
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,
    // 8       9       :       ;       <       =       >       ?
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,
    // ¡       A       B       C       D       E       F       G
    0x00A1, 0x0041, 0x0042, 0x0043, 0x0044, 0x0045, 0x0046, 0x0047,
    // H       I       J       K       L       M       N       O
    0x0048, 0x0049, 0x004A, 0x004B, 0x004C, 0x004D, 0x004E, 0x004F,
    // P       Q       R       S       T       U       V       W
    0x0050, 0x0051, 0x0052, 0x0053, 0x0054, 0x0055, 0x0056, 0x0057,
    // X       Y       Z       Ä       Ö       Ñ       Ü       §
    0x0058, 0x0059, 0x005A, 0x00C4, 0x00D6, 0x00D1, 0x00DC, 0x00A7,
    // ¿       a       b       c       d       e       f       g
    0x00BF, 0x0061, 0x0062, 0x0063, 0x0064, 0x0065, 0x0066, 0x0067,
    // h       i       j       k       l       m       n       o
    0x0068, 0x0069, 0x006A, 0x006B, 0x006C, 0x006D, 0x006E, 0x006F,
    // p       q       r       s       t       u       v       w
    0x0070, 0x0071, 0x0072, 0x0073, 0x0074, 0x0075, 0x0076, 0x0077,
    // x       y       z       ä       ö       ñ       ü       à
    0x0078, 0x0079, 0x007A, 0x00E4, 0x00F6, 0x00F1, 0x00FC, 0x00E0,
};
// clang-format on

struct Extension {
    std::uint8_t code;
    char16_t character;
};

// TS 23.038 6.2.1.1, extension table: the codes that follow an escape. 0x1B would escape to a further table
// that is not defined; it is shown as a space.
constexpr std::array<Extension, 10> kExtension = {{
    {0x0A, 0x000C}, // form feed (page break)
    {0x14, 0x005E}, // ^
    {0x28, 0x007B}, // {
    {0x29, 0x007D}, // }
    {0x2F, 0x005C}, // backslash
    {0x3C, 0x005B}, // [
    {0x3D, 0x007E}, // ~
    {0x3E, 0x005D}, // ]
    {0x40, 0x007C}, // |
    {0x65, 0x20AC}, // €
}};

int DefaultCodeOf(char16_t c) {
    for (std::size_t code = 0; code < kDefault.size(); ++code) {
        if (kDefault[code] == c && code != kEscape)
            return static_cast<int>(code);
    }
    return -1;
}

int ExtensionCodeOf(char16_t c) {
    for (const Extension& e : kExtension) {
        if (e.character == c)
            return e.code;
    }
    return -1;
}

} // namespace

QString DecodeSeptets(const std::vector<std::uint8_t>& septets) {
    QString text;
    text.reserve(static_cast<qsizetype>(septets.size()));
    for (std::size_t i = 0; i < septets.size(); ++i) {
        const std::uint8_t code = septets[i] & 0x7F;
        if (code != kEscape) {
            text.append(QChar(kDefault[code]));
            continue;
        }
        if (i + 1 == septets.size()) {
            text.append(QLatin1Char(' ')); // a lone escape at the end
            break;
        }
        const std::uint8_t next = septets[++i] & 0x7F;
        if (next == kEscape) {
            text.append(QLatin1Char(' '));
            continue;
        }
        char16_t shown = kDefault[next];
        for (const Extension& e : kExtension) {
            if (e.code == next)
                shown = e.character;
        }
        text.append(QChar(shown));
    }
    return text;
}

std::vector<std::uint8_t> EncodeText(const QString& text, bool* lossless) {
    std::vector<std::uint8_t> septets;
    septets.reserve(static_cast<std::size_t>(text.size()));
    bool allMapped = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (const int code = DefaultCodeOf(c); code >= 0) {
            septets.push_back(static_cast<std::uint8_t>(code));
        } else if (const int ext = ExtensionCodeOf(c); ext >= 0) {
            septets.push_back(kEscape);
            septets.push_back(static_cast<std::uint8_t>(ext));
        } else {
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
                ++i;
            septets.push_back(0x3F); // '?'
            allMapped = false;
        }
    }
    if (lossless)
        *lossless = allMapped;
    return septets;
}

bool UnpackSeptets(const QByteArray& octets, int bitOffset, int count, std::vector<std::uint8_t>* septets) {
    if (bitOffset < 0 || count < 0)
        return false;
    const qint64 bitsNeeded = static_cast<qint64>(bitOffset) + static_cast<qint64>(count) * 7;
    if (bitsNeeded > static_cast<qint64>(octets.size()) * 8)
        return false;
    septets->clear();
    septets->reserve(static_cast<std::size_t>(count));
    // Septets lie end to end, least significant bit first (TS 23.038 6.1.2.1.1).
    for (int n = 0; n < count; ++n) {
        const int bit = bitOffset + n * 7;
        const int byte = bit / 8;
        const int shift = bit % 8;
        unsigned value = static_cast<unsigned char>(octets.at(byte)) >> shift;
        if (shift > 1)
            value |= static_cast<unsigned>(static_cast<unsigned char>(octets.at(byte + 1))) << (8 - shift);
        septets->push_back(static_cast<std::uint8_t>(value & 0x7F));
    }
    return true;
}

QByteArray PackSeptets(const std::vector<std::uint8_t>& septets, int bitOffset) {
    const qsizetype bits = bitOffset + static_cast<qsizetype>(septets.size()) * 7;
    QByteArray octets((bits + 7) / 8, '\0');
    for (std::size_t n = 0; n < septets.size(); ++n) {
        const qsizetype bit = bitOffset + static_cast<qsizetype>(n) * 7;
        const unsigned value = static_cast<unsigned>(septets[n] & 0x7F) << (bit % 8);
        octets[bit / 8] = static_cast<char>(static_cast<unsigned char>(octets.at(bit / 8)) | (value & 0xFF));
        if (value > 0xFF)
            octets[bit / 8 + 1] = static_cast<char>(static_cast<unsigned char>(octets.at(bit / 8 + 1)) | (value >> 8));
    }
    return octets;
}

} // namespace SimGsm0338
