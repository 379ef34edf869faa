#include "sms/TpduReader.h"

#include "sms/Gsm0338Decoding.h"

#include <QTimeZone>

#include <cctype>

namespace {

// TS 23.040 9.1.2.5: bits 6-4 of the type of address.
constexpr int kTonMask = 0x70;
constexpr int kTonInternational = 0x10;
constexpr int kTonAlphanumeric = 0x50;
// An address value holds at most 20 semi-octets (TS 23.040 9.1.2.5: 2 to 12 octets with length and type).
constexpr int kMaxAddressDigits = 20;
// The SMSC field of TS 24.011 8.2.5.1 is at most 11 octets after its length octet.
constexpr int kMaxSmscOctets = 11;
// TS 23.040 9.2.3.16 / 9.2.3.24: the user data is at most 140 octets, 160 septets.
constexpr int kMaxUserDataOctets = 140;
constexpr int kMaxSeptets = 160;
// User data header elements read here (TS 23.040 9.2.3.24).
constexpr int kIeiConcat8 = 0x00;
constexpr int kIeiConcat16 = 0x08;
constexpr int kIeiSingleShift = 0x24;
constexpr int kIeiLockingShift = 0x25;

bool Fail(QString* why, const QString& text) {
    if (why)
        *why = text;
    return false;
}

// Semi-octet digits, low nibble first: 0-9, then A-E as * # a b c (TS 23.040 9.1.2.3); an F fills an odd
// count at the very end only.
bool SemiOctetDigits(const QByteArray& octets, int count, QString* digits) {
    static const char kDigits[] = "0123456789*#abc";
    digits->clear();
    for (int i = 0; i < count; ++i) {
        const int octet = static_cast<unsigned char>(octets.at(i / 2));
        const int nibble = (i % 2 == 0) ? (octet & 0x0F) : (octet >> 4);
        if (nibble == 0x0F)
            return false;
        digits->append(QLatin1Char(kDigits[nibble]));
    }
    return true;
}

int SwappedBcd(int octet, bool* ok) {
    const int tens = octet & 0x0F;
    const int units = octet >> 4;
    if (tens > 9 || units > 9)
        *ok = false;
    return tens * 10 + units;
}

} // namespace

bool TpduOctetsFromHex(const QString& hex, QByteArray* octets) {
    const QString trimmed = hex.trimmed();
    if (trimmed.isEmpty() || trimmed.size() % 2 != 0)
        return false;
    for (const QChar c : trimmed) {
        if (c.unicode() > 0x7F || !std::isxdigit(static_cast<unsigned char>(c.unicode())))
            return false;
    }
    *octets = QByteArray::fromHex(trimmed.toLatin1());
    return octets->size() * 2 == trimmed.size();
}

bool TpduReader::Octet(int* value) {
    if (m_pos >= m_octets.size())
        return false;
    *value = static_cast<unsigned char>(m_octets.at(m_pos++));
    return true;
}

bool TpduReader::Octets(qsizetype count, QByteArray* out) {
    if (count < 0 || count > Remaining())
        return false;
    *out = m_octets.mid(m_pos, count);
    m_pos += count;
    return true;
}

bool TpduReader::Address(TpAddress* address, QString* why) {
    int digits = 0;
    if (!Octet(&digits) || !Octet(&address->type))
        return Fail(why, QStringLiteral("address field cut short"));
    if (digits > kMaxAddressDigits)
        return Fail(why, QStringLiteral("address length %1 is over 20 semi-octets").arg(digits));
    QByteArray octets;
    if (!Octets((digits + 1) / 2, &octets))
        return Fail(why, QStringLiteral("address digits cut short"));
    if ((address->type & kTonMask) == kTonAlphanumeric) {
        // GSM 7-bit packed; the length counts the semi-octets the septets use.
        std::vector<std::uint8_t> septets;
        if (!Gsm0338::UnpackSeptets(octets, 0, digits * 4 / 7, &septets))
            return Fail(why, QStringLiteral("alphanumeric address cut short"));
        address->value = Gsm0338::DecodeSeptets(septets);
        return true;
    }
    QString number;
    if (!SemiOctetDigits(octets, digits, &number))
        return Fail(why, QStringLiteral("address digits hold a filler"));
    if (digits % 2 == 1 && (static_cast<unsigned char>(octets.back()) >> 4) != 0x0F)
        return Fail(why, QStringLiteral("address of an odd digit count without its filler"));
    address->value = ((address->type & kTonMask) == kTonInternational ? QStringLiteral("+") : QString()) + number;
    return true;
}

bool TpduReader::SmscAddress(TpAddress* address, QString* why) {
    int length = 0;
    if (!Octet(&length))
        return Fail(why, QStringLiteral("empty PDU"));
    *address = TpAddress{};
    if (length == 0)
        return true;
    QByteArray octets;
    if (length > kMaxSmscOctets || !Octet(&address->type) || !Octets(length - 1, &octets))
        return Fail(why, QStringLiteral("SMSC field of %1 octets").arg(length));
    int count = static_cast<int>(octets.size()) * 2;
    if (count > 0 && (static_cast<unsigned char>(octets.back()) >> 4) == 0x0F)
        --count;
    QString number;
    if (!SemiOctetDigits(octets, count, &number))
        return Fail(why, QStringLiteral("SMSC digits hold a filler"));
    address->value = ((address->type & kTonMask) == kTonInternational ? QStringLiteral("+") : QString()) + number;
    return true;
}

bool TpduReader::Timestamp(TpTimestamp* timestamp, QString* why) {
    if (!Octets(7, &timestamp->raw))
        return Fail(why, QStringLiteral("time stamp cut short"));
    const auto at = [timestamp](int i) { return static_cast<int>(static_cast<unsigned char>(timestamp->raw.at(i))); };
    bool ok = true;
    const int year = SwappedBcd(at(0), &ok);
    const int month = SwappedBcd(at(1), &ok);
    const int day = SwappedBcd(at(2), &ok);
    const int hour = SwappedBcd(at(3), &ok);
    const int minute = SwappedBcd(at(4), &ok);
    const int second = SwappedBcd(at(5), &ok);
    // Time zone: the sign in bit 3 of the first semi-octet (the tens), the quarter hours in the rest.
    const int zone = at(6);
    const int tens = zone & 0x07;
    const int units = zone >> 4;
    ok = ok && units <= 9;
    const int quarters = (tens * 10 + units) * ((zone & 0x08) ? -1 : 1);
    // Two-digit years: devices of this century; 80-99 as the last one.
    const QDate date(year >= 80 ? 1900 + year : 2000 + year, month, day);
    const QTime time(hour, minute, second);
    timestamp->time = QDateTime();
    timestamp->quarterHours = 0;
    if (ok && date.isValid() && time.isValid() && quarters >= -56 && quarters <= 56) {
        timestamp->quarterHours = quarters;
        timestamp->time = QDateTime(date, time, QTimeZone(quarters * 15 * 60));
    }
    return true;
}

bool TpduReader::UserData(bool hasHeader, const TpDataCoding& coding, TpUserData* ud, QString* why) {
    if (!Octet(&ud->length))
        return Fail(why, QStringLiteral("no TP-UDL"));
    ud->hasHeader = hasHeader;
    if (coding.compressed)
        return Fail(why, QStringLiteral("compressed user data (TS 23.042) cannot be read"));
    const bool septets = coding.alphabet == TpAlphabet::Gsm7Bit;
    if (ud->length > (septets ? kMaxSeptets : kMaxUserDataOctets))
        return Fail(why, QStringLiteral("TP-UDL %1 is over the most a PDU holds").arg(ud->length));
    const qsizetype needed = septets ? (ud->length * 7 + 7) / 8 : ud->length;
    QByteArray octets;
    if (!Octets(needed, &octets))
        return Fail(
            why,
            QStringLiteral("user data is %1 octets, TP-UDL %2 needs %3").arg(Remaining()).arg(ud->length).arg(needed));
    if (Remaining() > 0)
        ud->notes << QStringLiteral("%1 octets after the user data were ignored").arg(Remaining());

    // User data header: UDHL, then elements of IEI, length, data (TS 23.040 9.2.3.24).
    int headerOctets = 0;
    if (hasHeader) {
        if (octets.isEmpty())
            return Fail(why, QStringLiteral("TP-UDHI set without user data"));
        const int udhl = static_cast<unsigned char>(octets.at(0));
        headerOctets = udhl + 1;
        if (headerOctets > octets.size())
            return Fail(why, QStringLiteral("user data header of %1 octets in %2").arg(udhl).arg(octets.size() - 1));
        int pos = 1;
        while (pos < headerOctets) {
            if (pos + 2 > headerOctets)
                return Fail(why, QStringLiteral("user data header element cut short"));
            TpUserDataHeader::Element e;
            e.iei = static_cast<unsigned char>(octets.at(pos));
            const int length = static_cast<unsigned char>(octets.at(pos + 1));
            if (pos + 2 + length > headerOctets)
                return Fail(why, QStringLiteral("user data header element 0x%1 overruns the header")
                                     .arg(e.iei, 2, 16, QLatin1Char('0')));
            e.data = octets.mid(pos + 2, length);
            pos += 2 + length;
            const auto at = [&e](int i) { return static_cast<int>(static_cast<unsigned char>(e.data.at(i))); };
            if ((e.iei == kIeiConcat8 && length == 3) || (e.iei == kIeiConcat16 && length == 4)) {
                const bool wide = e.iei == kIeiConcat16;
                const TpConcatenation c{wide ? (at(0) << 8 | at(1)) : at(0), at(wide ? 2 : 1), at(wide ? 3 : 2), wide};
                // TS 23.040 9.2.3.24.1: a zero count, or a number of zero or past the count, makes the receiver
                // ignore the element; a repeated element counts by its last occurrence.
                if (c.total == 0 || c.sequence == 0 || c.sequence > c.total)
                    ud->notes
                        << QStringLiteral("concatenation element part %1 of %2 ignored").arg(c.sequence).arg(c.total);
                else
                    ud->header.concatenation = c;
            } else if ((e.iei == kIeiSingleShift || e.iei == kIeiLockingShift) && length == 1) {
                (e.iei == kIeiSingleShift ? ud->header.singleShiftTable : ud->header.lockingShiftTable) = at(0);
                ud->notes << QStringLiteral("national language %1 shift table %2 is not known here; the text is "
                                            "read with the default alphabet")
                                 .arg(e.iei == kIeiSingleShift ? QStringLiteral("single") : QStringLiteral("locking"))
                                 .arg(at(0));
            }
            ud->header.elements.push_back(e);
        }
    }
    if (coding.reservedCoding)
        ud->notes
            << QStringLiteral("reserved data coding 0x%1 read as GSM 7-bit").arg(coding.value, 2, 16, QLatin1Char('0'));

    if (septets) {
        // The header fills whole septets: fill bits follow it up to a septet boundary.
        const int headerSeptets = (headerOctets * 8 + 6) / 7;
        const int textSeptets = ud->length - headerSeptets;
        if (textSeptets < 0)
            return Fail(why, QStringLiteral("TP-UDL shorter than the user data header"));
        std::vector<std::uint8_t> codes;
        if (!Gsm0338::UnpackSeptets(octets, headerSeptets * 7, textSeptets, &codes))
            return Fail(why, QStringLiteral("user data cut short"));
        ud->text = Gsm0338::DecodeSeptets(codes);
        return true;
    }
    if (headerOctets > ud->length)
        return Fail(why, QStringLiteral("TP-UDL shorter than the user data header"));
    const QByteArray body = octets.mid(headerOctets);
    if (coding.alphabet == TpAlphabet::EightBit) {
        ud->octets = body;
        ud->text = QString::fromLatin1(body);
        return true;
    }
    if (body.size() % 2 != 0)
        return Fail(why, QStringLiteral("UCS2 user data of an odd octet count (%1)").arg(body.size()));
    // UCS2 as UTF-16 code units, high octet first; surrogate pairs pass as they are.
    ud->text.reserve(body.size() / 2);
    for (qsizetype i = 0; i < body.size(); i += 2) {
        const auto hi = static_cast<unsigned char>(body.at(i));
        const auto lo = static_cast<unsigned char>(body.at(i + 1));
        ud->text.append(QChar(static_cast<char16_t>(hi << 8 | lo)));
    }
    return true;
}
