#include "sms/PduEncoder.h"

#include "sms/Gsm0338.h"
#include "sms/PduHex.h"

#include <algorithm>
#include <atomic>
#include <optional>

namespace Pdu {
namespace {

using PduHex::PutOctet;

// TP-User-Data holds at most 140 octets (3GPP TS 23.040 clause 9.2.3.24): 160 septets or 70 UCS2 units.
constexpr qsizetype kMaxSingleSeptets = 160;
// A message goes as one SMS only at or under these character counts and this TPDU size.
constexpr qsizetype kMaxSingleChars7Bit = 160;
constexpr qsizetype kMaxSingleCharsUcs2 = 70;
constexpr int kMaxSingleTpduOctets = 154;
// A concatenated part carries a 7-octet user data header (= 8 septets), leaving 133 octets:
// 152 septets or 66 UCS2 units.
constexpr qsizetype kPartSeptets = 152;
constexpr qsizetype kPartUnits = 66;
constexpr int kHeaderSeptets = 8;
constexpr int kHeaderOctets = 7;
// The part count and number are one octet each.
constexpr std::size_t kMaxParts = 255;
// Independent text-mode messages: characters (UTF-16 units) per piece.
constexpr qsizetype kTextModePiece7Bit = 150;
constexpr qsizetype kTextModePieceUcs2 = 64;

// TP-MTI SMS-SUBMIT (bits 0-1 = 01) with TP-VPF relative (bits 3-4 = 10); 0x40 adds TP-UDHI.
constexpr unsigned kFirstOctetSingle = 0x11;
constexpr unsigned kFirstOctetConcatenated = 0x51;
// TP-VP relative: (143 + 1) x 5 minutes = 12 hours.
constexpr unsigned kValidity12Hours = 0x8F;
// Address types (TS 23.040 clause 9.1.2.5): numbering plan ISDN/E.164 with international or unknown type.
constexpr unsigned kTypeInternational = 0x91;
constexpr unsigned kTypeUnknown = 0x81;
// User data header information element: concatenated short messages, 16-bit reference (clause 9.2.3.24.8).
constexpr unsigned kUdhLength = 0x06;
constexpr unsigned kIeiConcat16 = 0x08;
constexpr unsigned kIeiConcat16Length = 0x04;

bool StartsWithPlus(const QString& number) {
    return !number.isEmpty() && number.front() == QLatin1Char('+');
}

bool IsEscapeCode(char code) {
    return (static_cast<unsigned char>(code) & 0x7F) == Gsm0338::kEscape;
}

bool IsSurrogatePairAt(const char16_t* units, qsizetype n, qsizetype i) {
    return i + 1 < n && QChar::isHighSurrogate(units[i]) && QChar::isLowSurrogate(units[i + 1]);
}

// ---- Address fields (TS 23.040 clause 9.1.2.5) ----

qsizetype AddressDigits(const QString& number) {
    if (number.isEmpty())
        return 2;
    const qsizetype digits = number.size() - (StartsWithPlus(number) ? 1 : 0);
    return 4 + digits + (digits & 1);
}

char16_t* PutAddress(char16_t* out, const QString& number, bool isSmsc) {
    if (number.isEmpty())
        return PutOctet(out, 0);
    const bool international = StartsWithPlus(number);
    const char16_t* digits = PduHex::Units(number) + (international ? 1 : 0);
    const qsizetype count = number.size() - (international ? 1 : 0);
    // A recipient's length counts its digits; the SMSC's counts octets, the type octet included.
    const qsizetype lengthOctet = isSmsc ? (count + 1) / 2 + 1 : count;
    out = PutOctet(out, static_cast<unsigned>(lengthOctet));
    out = PutOctet(out, international ? kTypeInternational : kTypeUnknown);
    // Semi-octets, low nibble first: "12345" becomes "2143F5". Characters are carried as they are.
    qsizetype i = 0;
    for (; i + 1 < count; i += 2) {
        *out++ = digits[i + 1];
        *out++ = digits[i];
    }
    if (i < count) {
        *out++ = u'F';
        *out++ = digits[i];
    }
    return out;
}

// ---- User data ----

// A run of user data: 7-bit codes or UTF-16 units, not owned.
struct UserData {
    bool sevenBit = true;
    const char* codes = nullptr;
    const char16_t* units = nullptr;
    qsizetype count = 0; // codes or units

    qsizetype HexDigits() const { return sevenBit ? 2 * PduHex::PackedOctets(count) : 4 * count; }
    char16_t* Put(char16_t* out) const {
        if (sevenBit)
            return PduHex::PutSeptets(out, codes, count);
        for (qsizetype i = 0; i < count; ++i)
            out = PduHex::PutUnit(out, units[i]);
        return out;
    }
};

UserData SevenBit(const QByteArray& codes, qsizetype start, qsizetype end) {
    return {true, codes.constData() + start, nullptr, end - start};
}

UserData Ucs2(const QString& text, qsizetype start, qsizetype end) {
    return {false, nullptr, PduHex::Units(text) + start, end - start};
}

// SMSC field, then TP-MTI..TP-VP of an SMS-SUBMIT up to (not including) TP-UDL.
char16_t* PutHeadFields(char16_t* out, const QString& smsc, unsigned firstOctet, const QString& recipient, int dcs) {
    out = PutAddress(out, smsc, true); // "00": the device's stored SMSC
    out = PutOctet(out, firstOctet);
    out = PutOctet(out, 0x00); // TP-MR: 0, the device assigns its own
    out = PutAddress(out, recipient, false);
    out = PutOctet(out, 0x00); // TP-PID: plain short message
    out = PutOctet(out, static_cast<unsigned>(dcs));
    return PutOctet(out, kValidity12Hours);
}

// Hex digits of PutHeadFields without the SMSC field.
qsizetype HeadTpduDigits(const QString& recipient) {
    return 2 + 2 + AddressDigits(recipient) + 2 + 2 + 2;
}

EncodedPdu BuildSingle(const UserData& ud, const QString& recipient, const QString& smsc, int dcs) {
    // TP-UDL counts septets (7-bit) or octets (UCS2).
    const qsizetype udl = ud.sevenBit ? ud.count : 2 * ud.count;
    // A user data length above one octet only arises for a text that cannot go as one SMS; the length is
    // then written with all its digits and the PDU serves only to measure (its TPDU length is above the
    // single-message limit).
    const QString wideUdl = udl > 0xFF ? QString::number(udl, 16).toUpper() : QString();
    const qsizetype udlDigits = udl > 0xFF ? wideUdl.size() : 2;

    const qsizetype smscDigits = AddressDigits(smsc);
    const qsizetype tpduDigits = HeadTpduDigits(recipient) + udlDigits + ud.HexDigits();
    QString hex(smscDigits + tpduDigits, Qt::Uninitialized);
    char16_t* out = PutHeadFields(PduHex::Begin(hex), smsc, kFirstOctetSingle, recipient, dcs);
    if (udl > 0xFF)
        out = std::copy_n(PduHex::Units(wideUdl), wideUdl.size(), out);
    else
        out = PutOctet(out, static_cast<unsigned>(udl));
    ud.Put(out);
    return {hex, static_cast<int>(tpduDigits / 2)};
}

// The single PDU when the message goes as one SMS: within the character limit, its user data within one
// SMS and its TPDU within 154 octets.
std::optional<EncodedPdu> SingleIfFits(const QString& message, const QString& recipient, const QString& smsc,
                                       bool flash, bool unicode) {
    const int dcs = DataCodingScheme(flash, unicode);
    EncodedPdu pdu;
    if (unicode) {
        if (message.size() > kMaxSingleCharsUcs2)
            return std::nullopt;
        pdu = BuildSingle(Ucs2(message, 0, message.size()), recipient, smsc, dcs);
    } else {
        if (message.size() > kMaxSingleChars7Bit)
            return std::nullopt;
        const QByteArray codes = ToGsmCodes(message);
        // Escapes can take a text of 160 characters or fewer past 160 septets; a short recipient number
        // would otherwise let such a PDU through the TPDU test.
        if (codes.size() > kMaxSingleSeptets)
            return std::nullopt;
        pdu = BuildSingle(SevenBit(codes, 0, codes.size()), recipient, smsc, dcs);
    }
    if (pdu.tpduLength > kMaxSingleTpduOctets)
        return std::nullopt;
    return pdu;
}

// ---- Slicing a concatenated message ----

// Start of each slice of at most kPartSeptets codes; an escape never ends a slice when its character
// follows. Empty when the message needs more parts than can be numbered.
std::vector<qsizetype> SliceSevenBit(const QByteArray& codes) {
    const char* c = codes.constData();
    const qsizetype n = codes.size();
    std::vector<qsizetype> starts;
    starts.reserve(std::min<std::size_t>(static_cast<std::size_t>(n / kPartSeptets) + 2, kMaxParts));
    for (qsizetype start = 0; start < n;) {
        if (starts.size() == kMaxParts)
            return {};
        starts.push_back(start);
        qsizetype end = start + kPartSeptets;
        if (end >= n)
            break;
        // A receiver reads an escape and the code after it as one character. Slice starts are character
        // starts, and so is the position after any non-escape code, so in the run of escapes ending at
        // end - 1 they pair up from its first: an odd run leaves the last escape's character in the next
        // slice.
        qsizetype run = 0;
        while (end - 1 - run >= start && IsEscapeCode(c[end - 1 - run]))
            ++run;
        if (run % 2 == 1)
            --end;
        start = end;
    }
    return starts;
}

// As SliceSevenBit for UTF-16 units: slices of at most kPartUnits, never between two surrogate halves.
std::vector<qsizetype> SliceUcs2(const QString& text) {
    const char16_t* u = PduHex::Units(text);
    const qsizetype n = text.size();
    std::vector<qsizetype> starts;
    starts.reserve(std::min<std::size_t>(static_cast<std::size_t>(n / kPartUnits) + 2, kMaxParts));
    for (qsizetype start = 0; start < n;) {
        if (starts.size() == kMaxParts)
            return {};
        starts.push_back(start);
        qsizetype end = start + kPartUnits;
        if (end >= n)
            break;
        if (IsSurrogatePairAt(u, n, end - 1))
            --end;
        start = end;
    }
    return starts;
}

std::atomic<std::uint32_t> g_concatReference{0};

} // namespace

QString EncodeAddress(const QString& number, bool isSmsc) {
    QString hex(AddressDigits(number), Qt::Uninitialized);
    PutAddress(PduHex::Begin(hex), number, isSmsc);
    return hex;
}

QByteArray ToGsmCodes(const QString& text) {
    // At most two codes per character (escape and extension code).
    QByteArray codes(2 * text.size(), Qt::Uninitialized);
    char* out = codes.data();
    const char16_t* units = PduHex::Units(text);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = units[i];
        // Fast path: a default-table character of U+0000..U+00FF, nearly all text.
        if (unit < 0x100 && Gsm0338::detail::kLatin1Lookup[unit] < 0x80) {
            *out++ = static_cast<char>(Gsm0338::detail::kLatin1Lookup[unit]);
            continue;
        }
        const Gsm0338::Mapping m = Gsm0338::Map(unit);
        if (m.kind == Gsm0338::Mapping::Extension) {
            *out++ = static_cast<char>(Gsm0338::kEscape);
            *out++ = static_cast<char>(m.code);
        } else if (m.kind == Gsm0338::Mapping::Default) {
            *out++ = static_cast<char>(m.code);
        } else {
            // Not in the alphabet: its own code, of which packing keeps the low 7 bits.
            *out++ = static_cast<char>(unit & 0xFF);
        }
    }
    codes.truncate(out - codes.constData());
    return codes;
}

QString PackSeptets(const QByteArray& codes, bool* lastOctetHasOneBit) {
    if (lastOctetHasOneBit)
        *lastOctetHasOneBit = codes.size() % 8 == 7; // 7 x 7 = 49 bits: 6 octets and one bit
    QString hex(2 * PduHex::PackedOctets(codes.size()), Qt::Uninitialized);
    PduHex::PutSeptets(PduHex::Begin(hex), codes.constData(), codes.size());
    return hex;
}

QString ToUcs2Hex(const QString& text) {
    QString hex(4 * text.size(), Qt::Uninitialized);
    char16_t* out = PduHex::Begin(hex);
    const char16_t* units = PduHex::Units(text);
    for (qsizetype i = 0; i < text.size(); ++i)
        out = PduHex::PutUnit(out, units[i]);
    return hex;
}

int DataCodingScheme(bool flash, bool unicode) {
    // TS 23.038 clause 4, general data coding: bit 4 = a message class is given (class 0, shown at once),
    // bits 2-3 = alphabet (00 default, 10 UCS2).
    return (flash ? 0x10 : 0x00) | (unicode ? 0x08 : 0x00);
}

EncodedPdu EncodeSinglePdu(const QString& message, const QString& recipient, const QString& smsc, bool flash,
                           bool unicode) {
    const int dcs = DataCodingScheme(flash, unicode);
    if (unicode)
        return BuildSingle(Ucs2(message, 0, message.size()), recipient, smsc, dcs);
    const QByteArray codes = ToGsmCodes(message);
    return BuildSingle(SevenBit(codes, 0, codes.size()), recipient, smsc, dcs);
}

MultipartPdu::MultipartPdu(const QString& message, const QString& recipient, const QString& smsc, bool flash,
                           bool unicode, std::uint16_t reference)
    : m_recipient(recipient), m_smsc(smsc), m_flash(flash), m_unicode(unicode), m_reference(reference) {
    if (m_unicode) {
        m_text = message; // shared until the caller changes its copy, which then detaches
        m_sliceStarts = SliceUcs2(m_text);
    } else {
        m_codes = ToGsmCodes(message);
        m_sliceStarts = SliceSevenBit(m_codes);
    }
}

EncodedPdu MultipartPdu::EncodePart(int partNumber) const {
    const int parts = PartCount();
    if (partNumber < 1 || partNumber > parts)
        return {};
    const qsizetype start = m_sliceStarts[static_cast<std::size_t>(partNumber - 1)];
    const qsizetype end = partNumber == parts ? (m_unicode ? m_text.size() : m_codes.size())
                                              : m_sliceStarts[static_cast<std::size_t>(partNumber)];
    const UserData ud = m_unicode ? Ucs2(m_text, start, end) : SevenBit(m_codes, start, end);
    // TP-UDL counts the header too: 8 septets ahead of 7-bit text (7 octets, no fill bits), 7 octets
    // ahead of UCS2.
    const qsizetype udl = m_unicode ? kHeaderOctets + 2 * ud.count : kHeaderSeptets + ud.count;

    const qsizetype smscDigits = AddressDigits(m_smsc);
    const qsizetype tpduDigits = HeadTpduDigits(m_recipient) + 2 + 2 * kHeaderOctets + ud.HexDigits();
    QString hex(smscDigits + tpduDigits, Qt::Uninitialized);
    char16_t* out = PutHeadFields(PduHex::Begin(hex), m_smsc, kFirstOctetConcatenated, m_recipient,
                                  DataCodingScheme(m_flash, m_unicode));
    out = PutOctet(out, static_cast<unsigned>(udl));
    out = PutOctet(out, kUdhLength);
    out = PutOctet(out, kIeiConcat16);
    out = PutOctet(out, kIeiConcat16Length);
    out = PutOctet(out, m_reference >> 8); // reference, high octet first
    out = PutOctet(out, m_reference);
    out = PutOctet(out, static_cast<unsigned>(parts));
    out = PutOctet(out, static_cast<unsigned>(partNumber));
    ud.Put(out);
    return {hex, static_cast<int>(tpduDigits / 2)};
}

std::uint32_t NextConcatReference() {
    return g_concatReference.fetch_add(1, std::memory_order_relaxed) + 1;
}

QString NormalizeLineBreaks(const QString& message) {
    QString out = message;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return out;
}

bool FitsSingleMessage(const QString& message, const QString& recipient, const QString& smsc, bool flash,
                       bool unicode) {
    return SingleIfFits(message, recipient, smsc, flash, unicode).has_value();
}

std::vector<EncodedPdu> EncodeMessage(const QString& message, const QString& recipient, const QString& smsc, bool flash,
                                      bool unicode, std::uint16_t reference) {
    if (std::optional<EncodedPdu> single = SingleIfFits(message, recipient, smsc, flash, unicode))
        return {std::move(*single)};
    const MultipartPdu parts(message, recipient, smsc, flash, unicode, reference);
    std::vector<EncodedPdu> pdus;
    pdus.reserve(static_cast<std::size_t>(parts.PartCount()));
    for (int n = 1; n <= parts.PartCount(); ++n)
        pdus.push_back(parts.EncodePart(n));
    return pdus;
}

QStringList SplitForTextMode(const QString& message, const QString& recipient, const QString& smsc, bool flash,
                             bool unicode) {
    if (FitsSingleMessage(message, recipient, smsc, flash, unicode))
        return {message};
    // The device builds each piece as a message of its own, so a 7-bit piece must also stay within 160
    // septets: characters of the extension table cost two.
    const qsizetype maxUnits = unicode ? kTextModePieceUcs2 : kTextModePiece7Bit;
    const char16_t* u = PduHex::Units(message);
    const qsizetype n = message.size();
    QStringList pieces;
    for (qsizetype start = 0; start < n;) {
        qsizetype end = start;
        qsizetype septets = 0;
        while (end < n) {
            const qsizetype units = IsSurrogatePairAt(u, n, end) ? 2 : 1;
            const qsizetype cost = units == 1 && Gsm0338::Map(u[end]).kind == Gsm0338::Mapping::Extension ? 2 : units;
            if (end + units - start > maxUnits || (!unicode && septets + cost > kMaxSingleSeptets))
                break;
            end += units;
            septets += cost;
        }
        pieces << message.mid(start, end - start);
        start = end;
    }
    return pieces;
}

bool IsGsmCharacterSet(const QString& text) {
    const char16_t* units = PduHex::Units(text);
    return std::all_of(units, units + text.size(), [](char16_t unit) { return Gsm0338::Contains(unit); });
}

} // namespace Pdu
