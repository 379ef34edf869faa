#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

// Reading GSM 7-bit text (3GPP TS 23.038 clause 6.1.2.1 packing, clause 6.2.1 tables): the decoding side of
// Gsm0338.h, over the same tables.
namespace Gsm0338 {

// Unpacks `count` septets stored end to end, least significant bit first, starting `bitOffset` bits into the
// octets (after a user data header and its fill bits). False, with nothing read, when the octets are short.
[[nodiscard]] bool UnpackSeptets(const QByteArray& octets, int bitOffset, int count,
                                 std::vector<std::uint8_t>* septets);

// The text of septets: default table; an escape followed by an extension code gives its glyph. The
// receiving-entity rules of TS 23.038 6.2.1.1 apply to what the table leaves open: an escape followed by an
// unassigned code shows the default-table character of that code, an escape followed by another escape (a
// further table not yet defined) and an escape at the very end show a space.
QString DecodeSeptets(const std::vector<std::uint8_t>& septets);

} // namespace Gsm0338
