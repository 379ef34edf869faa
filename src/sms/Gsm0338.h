#pragma once

#include <array>
#include <cstdint>

// The GSM 7-bit default alphabet and its extension table, 3GPP TS 23.038 clause 6.2.1 (formerly GSM 03.38).
namespace Gsm0338 {

// Code 0x1B of the default table: the next septet is read from the extension table.
inline constexpr std::uint8_t kEscape = 0x1B;

// Marks the one code of the default table that has no glyph (the escape).
inline constexpr char16_t kNoGlyph = u'\uFFFF';

// Default alphabet (TS 23.038 clause 6.2.1, table 1): the glyph of every code 0x00-0x7F, eight codes a row;
// the code of a glyph is its row's first code plus its column. 0x1B is the escape and has no glyph.
//
// clang-format off
//               +0         +1         +2         +3         +4         +5         +6         +7
inline constexpr std::array<char16_t, 128> kDefaultAlphabet = {
    /* 0x00 */ u'@',      u'£',      u'$',      u'¥',      u'è',      u'é',      u'ù',      u'ì',
    /* 0x08 */ u'ò',      u'Ç',      u'\n',     u'Ø',      u'ø',      u'\r',     u'Å',      u'å',
    /* 0x10 */ u'Δ',      u'_',      u'Φ',      u'Γ',      u'Λ',      u'Ω',      u'Π',      u'Ψ',
    /* 0x18 */ u'Σ',      u'Θ',      u'Ξ',      kNoGlyph,  u'Æ',      u'æ',      u'ß',      u'É',
    /* 0x20 */ u' ',      u'!',      u'"',      u'#',      u'¤',      u'%',      u'&',      u'\'',
    /* 0x28 */ u'(',      u')',      u'*',      u'+',      u',',      u'-',      u'.',      u'/',
    /* 0x30 */ u'0',      u'1',      u'2',      u'3',      u'4',      u'5',      u'6',      u'7',
    /* 0x38 */ u'8',      u'9',      u':',      u';',      u'<',      u'=',      u'>',      u'?',
    /* 0x40 */ u'¡',      u'A',      u'B',      u'C',      u'D',      u'E',      u'F',      u'G',
    /* 0x48 */ u'H',      u'I',      u'J',      u'K',      u'L',      u'M',      u'N',      u'O',
    /* 0x50 */ u'P',      u'Q',      u'R',      u'S',      u'T',      u'U',      u'V',      u'W',
    /* 0x58 */ u'X',      u'Y',      u'Z',      u'Ä',      u'Ö',      u'Ñ',      u'Ü',      u'§',
    /* 0x60 */ u'¿',      u'a',      u'b',      u'c',      u'd',      u'e',      u'f',      u'g',
    /* 0x68 */ u'h',      u'i',      u'j',      u'k',      u'l',      u'm',      u'n',      u'o',
    /* 0x70 */ u'p',      u'q',      u'r',      u's',      u't',      u'u',      u'v',      u'w',
    /* 0x78 */ u'x',      u'y',      u'z',      u'ä',      u'ö',      u'ñ',      u'ü',      u'à',
};
// clang-format on

// Extension table (TS 23.038 clause 6.2.1.1, table 2): the glyphs reached by the escape code followed by
// their code. The other extension codes are unassigned.
struct ExtensionEntry {
    char16_t glyph;
    std::uint8_t code;
};
// clang-format off
inline constexpr std::array<ExtensionEntry, 10> kExtensionTable = {{
    // glyph     code
    {u'\f',     0x0A}, // form feed (page break)
    {u'^',      0x14},
    {u'{',      0x28},
    {u'}',      0x29},
    {u'\\',     0x2F},
    {u'[',      0x3C},
    {u'~',      0x3D},
    {u']',      0x3E},
    {u'|',      0x40},
    {u'€',      0x65},
}};
// clang-format on

// Where one UTF-16 code unit sits in the alphabet.
struct Mapping {
    enum Kind : std::uint8_t { None, Default, Extension };
    Kind kind = None;
    std::uint8_t code = 0; // the default-table code, or the extension code that follows the escape
};

namespace detail {
// Lookup for U+0000..U+00FF, where almost all text falls: 0x00-0x7F a default code, 0x80 | code an
// extension code, 0xFF none (no extension code has bit 7 set, and 0x7F is not assigned in the extension).
inline constexpr std::uint8_t kLatin1None = 0xFF;
constexpr std::array<std::uint8_t, 256> BuildLatin1Lookup() {
    std::array<std::uint8_t, 256> lookup{};
    lookup.fill(kLatin1None);
    for (std::size_t code = 0; code < kDefaultAlphabet.size(); ++code) {
        if (kDefaultAlphabet[code] < 0x100)
            lookup[kDefaultAlphabet[code]] = static_cast<std::uint8_t>(code);
    }
    for (const ExtensionEntry& e : kExtensionTable) {
        if (e.glyph < 0x100)
            lookup[e.glyph] = static_cast<std::uint8_t>(0x80 | e.code);
    }
    return lookup;
}
inline constexpr std::array<std::uint8_t, 256> kLatin1Lookup = BuildLatin1Lookup();

// The glyphs above U+00FF (the Greek capitals and the euro sign).
Mapping MapAboveLatin1(char16_t unit);
} // namespace detail

inline Mapping Map(char16_t unit) {
    if (unit >= 0x100)
        return detail::MapAboveLatin1(unit);
    const std::uint8_t v = detail::kLatin1Lookup[unit];
    if (v == detail::kLatin1None)
        return {};
    if (v & 0x80)
        return {Mapping::Extension, static_cast<std::uint8_t>(v & 0x7F)};
    return {Mapping::Default, v};
}

// True when the unit is a glyph of the default alphabet or of the extension table.
inline bool Contains(char16_t unit) {
    return Map(unit).kind != Mapping::None;
}

} // namespace Gsm0338
