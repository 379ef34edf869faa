#pragma once

#include <QChar>
#include <QString>

#include <array>
#include <cstdint>
#include <cstring>

// Writing PDU hex text straight into a preallocated QString: two uppercase digits per octet, looked up in a
// table so that no temporary strings are made. Private to the PDU encoder.
namespace PduHex {

namespace detail {
constexpr std::array<std::array<char16_t, 2>, 256> BuildOctetDigits() {
    constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    std::array<std::array<char16_t, 2>, 256> table{};
    for (std::size_t v = 0; v < table.size(); ++v)
        table[v] = {kDigits[v >> 4], kDigits[v & 0xF]};
    return table;
}
inline constexpr std::array<std::array<char16_t, 2>, 256> kOctetDigits = BuildOctetDigits();
} // namespace detail

// Writable UTF-16 view of a string's buffer (QChar and char16_t share their representation).
inline char16_t* Begin(QString& s) {
    return reinterpret_cast<char16_t*>(s.data());
}
inline const char16_t* Units(const QString& s) {
    return reinterpret_cast<const char16_t*>(s.constData());
}

// Writes the octet's two digits (only its low 8 bits count) and returns the position after them.
inline char16_t* PutOctet(char16_t* out, unsigned value) {
    // One 4-byte copy rather than two 2-byte stores.
    std::memcpy(out, detail::kOctetDigits[value & 0xFF].data(), 2 * sizeof(char16_t));
    return out + 2;
}

// A UTF-16 code unit as four digits, high byte first.
inline char16_t* PutUnit(char16_t* out, char16_t unit) {
    out = PutOctet(out, static_cast<unsigned>(unit) >> 8);
    return PutOctet(out, unit);
}

// Octets needed for n septets packed end to end.
constexpr qsizetype PackedOctets(qsizetype septets) {
    return (septets * 7 + 7) / 8;
}

// Packs n 7-bit codes (only the low 7 bits of each byte count) least significant bit first, writing
// PackedOctets(n) octets as hex; the top of the last octet is zero.
inline char16_t* PutSeptets(char16_t* out, const char* codes, qsizetype n) {
    const auto code = [codes](qsizetype i) {
        return static_cast<std::uint64_t>(static_cast<unsigned char>(codes[i]) & 0x7F);
    };
    qsizetype i = 0;
    // Eight septets are exactly seven octets.
    for (; i + 8 <= n; i += 8) {
        std::uint64_t bits = 0;
        for (int k = 0; k < 8; ++k)
            bits |= code(i + k) << (7 * k);
        for (int k = 0; k < 7; ++k)
            out = PutOctet(out, static_cast<unsigned>(bits >> (8 * k)));
    }
    const qsizetype rest = n - i;
    if (rest > 0) {
        std::uint64_t bits = 0;
        for (qsizetype k = 0; k < rest; ++k)
            bits |= code(i + k) << (7 * k);
        for (qsizetype k = 0; k < PackedOctets(rest); ++k)
            out = PutOctet(out, static_cast<unsigned>(bits >> (8 * k)));
    }
    return out;
}

} // namespace PduHex
