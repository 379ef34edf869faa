#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

// The GSM 7-bit default alphabet and its extension table (3GPP TS 23.038 clause 6.2.1 and 6.2.1.1), as the
// simulated modem needs it: septets to text for the PDUs it receives, text to septets to show what a text-mode
// message turns into on the air and for the PDUs it delivers.
namespace SimGsm0338 {

constexpr std::uint8_t kEscape = 0x1B;

// Text of a septet stream. An escape followed by a code of the extension table gives that character; an
// escape followed by a code the table leaves empty gives the default-table character of that code (the
// receiving-entity rule of TS 23.038 6.2.1.1); an escape at the very end gives a space.
QString DecodeSeptets(const std::vector<std::uint8_t>& septets);

// Septets of a text: default table, else escape + extension table; a character in neither becomes '?'
// (what a device substitutes) and *lossless is cleared. Surrogate pairs count as one unmappable character.
std::vector<std::uint8_t> EncodeText(const QString& text, bool* lossless = nullptr);

// Unpacks `count` septets from packed octets, starting `bitOffset` bits into them (TS 23.040 9.2.3.24: the
// fill bits after a user data header). Returns false when the octets are too short.
bool UnpackSeptets(const QByteArray& octets, int bitOffset, int count, std::vector<std::uint8_t>* septets);

// Packs septets end to end, least significant bit first, after `bitOffset` zero bits (the fill bits that
// follow a user data header); the inverse of UnpackSeptets.
QByteArray PackSeptets(const std::vector<std::uint8_t>& septets, int bitOffset = 0);

} // namespace SimGsm0338
