#include "sim/SimPduDecoder.h"

#include "sim/SimGsm0338.h"

#include <cctype>
#include <vector>

namespace {

// Sequential reader over the PDU's octets; every read checks the length so a short PDU is an error, never an
// out-of-range access.
class OctetReader {
public:
    explicit OctetReader(const QByteArray& octets) : m_octets(octets) {}

    bool Byte(int* value) {
        if (m_pos >= m_octets.size())
            return false;
        *value = static_cast<unsigned char>(m_octets.at(m_pos++));
        return true;
    }
    bool Bytes(qsizetype count, QByteArray* out) {
        if (count < 0 || m_pos + count > m_octets.size())
            return false;
        *out = m_octets.mid(m_pos, count);
        m_pos += count;
        return true;
    }
    qsizetype Position() const { return m_pos; }
    qsizetype Remaining() const { return m_octets.size() - m_pos; }

private:
    const QByteArray& m_octets;
    qsizetype m_pos = 0;
};

std::optional<SimDecodedSubmit> Fail(QString* error, const QString& why) {
    if (error)
        *error = why;
    return std::nullopt;
}

bool HexToOctets(const QString& hex, QByteArray* octets) {
    if (hex.isEmpty() || hex.size() % 2 != 0)
        return false;
    for (const QChar c : hex) {
        if (c.unicode() > 0x7F || !std::isxdigit(static_cast<unsigned char>(c.unicode())))
            return false;
    }
    *octets = QByteArray::fromHex(hex.toLatin1());
    return octets->size() * 2 == hex.size();
}

// Type-of-address octet: bit 7 always 1, type of number in bits 6-4 (TS 23.040 9.1.2.5).
constexpr int kTonMask = 0x70;
constexpr int kTonInternational = 0x10;
constexpr int kTonAlphanumeric = 0x50;

} // namespace

bool SimPduDecoder::DecodeSemiOctets(const QByteArray& octets, int digits, QString* number) {
    static const char kDigits[] = "0123456789*#abc";
    number->clear();
    for (int i = 0; i < digits; ++i) {
        const int octet = static_cast<unsigned char>(octets.at(i / 2));
        const int nibble = (i % 2 == 0) ? (octet & 0x0F) : (octet >> 4);
        if (nibble == 0x0F)
            return false;
        number->append(QLatin1Char(kDigits[nibble]));
    }
    return true;
}

bool SimPduDecoder::InterpretDcs(int dcs, int* alphabet, bool* flash) {
    *flash = false;
    const int group = dcs >> 4;
    if (group <= 0x7) {
        // 00xx and 01xx (general and automatic deletion): bit 5 compressed, bit 4 class present, bits 3-2
        // alphabet, bits 1-0 class.
        if (dcs & 0x20)
            return false; // compressed text: not readable here
        const int bits = (dcs >> 2) & 0x03;
        if (bits == 0x03)
            return false; // reserved alphabet
        *alphabet = bits;
        *flash = (dcs & 0x10) != 0 && (dcs & 0x03) == 0;
        return true;
    }
    if (group == 0xC || group == 0xD) { // message waiting indication, discard / store, 7-bit
        *alphabet = 0;
        return true;
    }
    if (group == 0xE) { // message waiting indication, store, UCS2
        *alphabet = 2;
        return true;
    }
    if (group == 0xF) { // data coding / message class: bit 2 alphabet (7-bit or 8-bit), bits 1-0 class
        if (dcs & 0x08)
            return false; // reserved bit
        *alphabet = (dcs & 0x04) ? 1 : 0;
        *flash = (dcs & 0x03) == 0;
        return true;
    }
    return false; // 1000..1011 reserved coding groups
}

std::optional<SimDecodedSubmit> SimPduDecoder::Decode(const QString& hex, QString* error) {
    QByteArray octets;
    if (!HexToOctets(hex, &octets))
        return Fail(error, QStringLiteral("not an even count of hex digits"));
    OctetReader in(octets);
    SimDecodedSubmit out;

    // SMSC field (TS 27.005 3.1 <pdu>): length in octets including the type octet, 0 = none given.
    int smscLength = 0;
    in.Byte(&smscLength);
    if (smscLength > 0) {
        int type = 0;
        QByteArray digits;
        if (smscLength > 11 || !in.Byte(&type) || !in.Bytes(smscLength - 1, &digits))
            return Fail(error, QStringLiteral("bad SMSC field"));
        int count = static_cast<int>(digits.size()) * 2;
        if (count > 0 && (static_cast<unsigned char>(digits.back()) >> 4) == 0x0F)
            --count;
        QString number;
        if (!DecodeSemiOctets(digits, count, &number))
            return Fail(error, QStringLiteral("bad SMSC digits"));
        out.smsc = ((type & kTonMask) == kTonInternational ? QStringLiteral("+") : QString()) + number;
    }
    const qsizetype tpduStart = in.Position();

    // TP-MTI (bits 1-0) = 01 SMS-SUBMIT, TP-RD bit 2, TP-VPF bits 4-3, TP-SRR bit 5, TP-UDHI bit 6, TP-RP bit 7.
    if (!in.Byte(&out.firstOctet))
        return Fail(error, QStringLiteral("no TPDU"));
    if ((out.firstOctet & 0x03) != 0x01)
        return Fail(error, QStringLiteral("not an SMS-SUBMIT (TP-MTI %1)").arg(out.firstOctet & 0x03));
    out.udhi = (out.firstOctet & 0x40) != 0;
    out.validityFormat = (out.firstOctet >> 3) & 0x03;

    if (!in.Byte(&out.messageReference))
        return Fail(error, QStringLiteral("no TP-MR"));

    // TP-DA: length in semi-octets, type of address, the semi-octets (2 to 12 octets in all).
    int daDigits = 0;
    QByteArray daOctets;
    if (!in.Byte(&daDigits) || !in.Byte(&out.toType))
        return Fail(error, QStringLiteral("no TP-DA"));
    if (daDigits > 20 || (out.toType & 0x80) == 0)
        return Fail(error, QStringLiteral("bad TP-DA"));
    if (!in.Bytes((daDigits + 1) / 2, &daOctets))
        return Fail(error, QStringLiteral("TP-DA cut short"));
    if ((out.toType & kTonMask) == kTonAlphanumeric) {
        std::vector<std::uint8_t> septets;
        if (!SimGsm0338::UnpackSeptets(daOctets, 0, daDigits * 4 / 7, &septets))
            return Fail(error, QStringLiteral("bad alphanumeric TP-DA"));
        out.to = SimGsm0338::DecodeSeptets(septets);
    } else {
        QString number;
        if (daDigits % 2 == 1 && (static_cast<unsigned char>(daOctets.back()) >> 4) != 0x0F)
            return Fail(error, QStringLiteral("TP-DA odd digit count without filler"));
        if (!DecodeSemiOctets(daOctets, daDigits, &number))
            return Fail(error, QStringLiteral("bad TP-DA digits"));
        out.to = ((out.toType & kTonMask) == kTonInternational ? QStringLiteral("+") : QString()) + number;
    }

    if (!in.Byte(&out.pid) || !in.Byte(&out.dcs))
        return Fail(error, QStringLiteral("no TP-PID / TP-DCS"));
    if (!InterpretDcs(out.dcs, &out.alphabet, &out.flash))
        return Fail(error, QStringLiteral("unsupported TP-DCS %1").arg(out.dcs));

    // TP-VP by TP-VPF: none, 7 octets enhanced, 1 octet relative, 7 octets absolute.
    static const int kVpLength[4] = {0, 7, 1, 7};
    QByteArray vp;
    if (!in.Bytes(kVpLength[out.validityFormat], &vp))
        return Fail(error, QStringLiteral("TP-VP cut short"));

    if (!in.Byte(&out.userDataLength))
        return Fail(error, QStringLiteral("no TP-UDL"));
    const bool septetData = out.alphabet == 0;
    if (out.userDataLength > (septetData ? 160 : 140))
        return Fail(error, QStringLiteral("TP-UDL %1 too large").arg(out.userDataLength));
    const qsizetype udOctets = septetData ? (out.userDataLength * 7 + 7) / 8 : out.userDataLength;
    if (in.Remaining() != udOctets)
        return Fail(error, QStringLiteral("user data is %1 octets, TP-UDL says %2").arg(in.Remaining()).arg(udOctets));
    QByteArray ud;
    in.Bytes(udOctets, &ud);
    out.tpduLength = static_cast<int>(octets.size() - tpduStart);

    // User data header (TS 23.040 9.2.3.24): UDHL, then elements IEI, IEDL, data.
    int headerOctets = 0; // UDHL + 1 when a header is present
    if (out.udhi) {
        if (ud.isEmpty())
            return Fail(error, QStringLiteral("TP-UDHI set without user data"));
        const int udhl = static_cast<unsigned char>(ud.at(0));
        headerOctets = udhl + 1;
        if (udhl == 0 || headerOctets > ud.size())
            return Fail(error, QStringLiteral("bad user data header length"));
        int pos = 1;
        while (pos < headerOctets) {
            if (pos + 2 > headerOctets)
                return Fail(error, QStringLiteral("user data header element cut short"));
            const int iei = static_cast<unsigned char>(ud.at(pos));
            const int iedl = static_cast<unsigned char>(ud.at(pos + 1));
            if (pos + 2 + iedl > headerOctets)
                return Fail(error, QStringLiteral("user data header element overruns the header"));
            const auto at = [&](int k) { return static_cast<int>(static_cast<unsigned char>(ud.at(pos + 2 + k))); };
            if (iei == 0x00 || iei == 0x08) {
                // Concatenated short message, 8-bit (IEI 0x00) or 16-bit (IEI 0x08) reference.
                const bool wide = iei == 0x08;
                if (iedl != (wide ? 4 : 3) || out.hasConcat)
                    return Fail(error, QStringLiteral("bad concatenation element"));
                out.hasConcat = true;
                out.concat16Bit = wide;
                out.concatRef = wide ? (at(0) << 8 | at(1)) : at(0);
                out.concatTotal = at(wide ? 2 : 1);
                out.concatSeq = at(wide ? 3 : 2);
                // TS 23.040 9.2.3.24.1: a zero total, or a sequence of zero or past the total, is invalid.
                if (out.concatTotal == 0 || out.concatSeq == 0 || out.concatSeq > out.concatTotal)
                    return Fail(error,
                                QStringLiteral("concatenation part %1 of %2").arg(out.concatSeq).arg(out.concatTotal));
            }
            pos += 2 + iedl;
        }
    }

    if (septetData) {
        // The header occupies whole septets: its bits are followed by fill bits up to a septet boundary.
        const int headerSeptets = (headerOctets * 8 + 6) / 7;
        const int textSeptets = out.userDataLength - headerSeptets;
        if (textSeptets < 0)
            return Fail(error, QStringLiteral("TP-UDL shorter than the user data header"));
        std::vector<std::uint8_t> septets;
        if (!SimGsm0338::UnpackSeptets(ud, headerSeptets * 7, textSeptets, &septets))
            return Fail(error, QStringLiteral("user data cut short"));
        out.text = SimGsm0338::DecodeSeptets(septets);
    } else {
        if (headerOctets > out.userDataLength)
            return Fail(error, QStringLiteral("TP-UDL shorter than the user data header"));
        const QByteArray body = ud.mid(headerOctets);
        if (out.alphabet == 2) {
            if (body.size() % 2 != 0)
                return Fail(error, QStringLiteral("UCS2 user data of an odd octet count"));
            // UCS2 as UTF-16 code units, high octet first; surrogate pairs come through as they are.
            for (qsizetype i = 0; i < body.size(); i += 2) {
                const auto hi = static_cast<unsigned char>(body.at(i));
                const auto lo = static_cast<unsigned char>(body.at(i + 1));
                out.text.append(QChar(static_cast<char16_t>(hi << 8 | lo)));
            }
        } else {
            out.text = QString::fromLatin1(body); // 8-bit data, shown octet by octet
        }
    }
    return out;
}
