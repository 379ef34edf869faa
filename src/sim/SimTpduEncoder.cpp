#include "sim/SimTpduEncoder.h"

#include "sim/SimGsm0338.h"

#include <QTimeZone>

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace SimTpduEncoder {
namespace {

// TS 23.040 9.2.3.1: TP-MTI of the two PDUs the network sends.
constexpr int kMtiDeliver = 0x00;
constexpr int kMtiStatusReport = 0x02;
constexpr int kNoMoreMessages = 0x04; // TP-MMS set: nothing more waiting at the SC
constexpr int kUdhi = 0x40;
// TS 23.040 9.1.2.5: type of address, extension bit set, ISDN numbering plan or alphanumeric.
constexpr int kTypeInternational = 0x91;
constexpr int kTypeUnknown = 0x81;
constexpr int kTypeAlphanumeric = 0xD0;
// TS 23.038 4: 7-bit / UCS-2 alphabets, bit 4 marks a message class in bits 1-0.
constexpr int kDcsUcs2 = 0x08;
constexpr int kDcsClassPresent = 0x10;

bool IsDigits(const QString& text) {
    if (text.isEmpty())
        return false;
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

// Digits as swapped semi-octets, 'F' filling an odd count.
QByteArray SemiOctets(const QString& digits) {
    QByteArray out;
    for (qsizetype i = 0; i < digits.size(); i += 2) {
        const int low = digits.at(i).unicode() - '0';
        const int high = i + 1 < digits.size() ? digits.at(i + 1).unicode() - '0' : 0x0F;
        out.append(static_cast<char>(high << 4 | low));
    }
    return out;
}

int BcdSwapped(int value) {
    return (value % 10) << 4 | (value / 10);
}

QString Hex(const QByteArray& octets) {
    return QString::fromLatin1(octets.toHex().toUpper());
}

bool FitsGsm(const QString& text) {
    bool lossless = true;
    (void)SimGsm0338::EncodeText(text, &lossless);
    return lossless;
}

// Where each part's slice of septets / UTF-16 units starts; the last entry is the end.
std::vector<std::size_t> Slices(std::size_t size, std::size_t perPart,
                                const std::function<bool(std::size_t)>& splitsPair) {
    std::vector<std::size_t> starts = {0};
    while (size - starts.back() > perPart) {
        std::size_t next = starts.back() + perPart;
        if (splitsPair(next))
            --next; // the pair goes whole into the next part
        starts.push_back(next);
    }
    starts.push_back(size);
    return starts;
}

} // namespace

QByteArray Address(const QString& address) {
    QByteArray out;
    const bool international = address.startsWith(QLatin1Char('+'));
    const QString digits = international ? address.mid(1) : address;
    if (IsDigits(digits)) {
        out.append(static_cast<char>(digits.size()));
        out.append(static_cast<char>(international ? kTypeInternational : kTypeUnknown));
        out.append(SemiOctets(digits));
        return out;
    }
    // TS 23.040 9.1.2.5: an alphanumeric address is GSM 7-bit packed; its length counts the semi-octets used.
    const std::vector<std::uint8_t> septets = SimGsm0338::EncodeText(address);
    out.append(static_cast<char>((static_cast<int>(septets.size()) * 7 + 3) / 4));
    out.append(static_cast<char>(kTypeAlphanumeric));
    out.append(SimGsm0338::PackSeptets(septets));
    return out;
}

QByteArray SmscField(const QString& smsc) {
    if (smsc.isEmpty())
        return QByteArray(1, '\0');
    const bool international = smsc.startsWith(QLatin1Char('+'));
    const QByteArray digits = SemiOctets(international ? smsc.mid(1) : smsc);
    QByteArray out;
    out.append(static_cast<char>(digits.size() + 1));
    out.append(static_cast<char>(international ? kTypeInternational : kTypeUnknown));
    out.append(digits);
    return out;
}

QByteArray Timestamp(const QDateTime& time) {
    const QDate d = time.date();
    const QTime t = time.time();
    const int offsetSeconds = time.offsetFromUtc();
    const int quarters = std::abs(offsetSeconds) / 900;
    QByteArray out;
    for (const int v : {d.year() % 100, d.month(), d.day(), t.hour(), t.minute(), t.second()})
        out.append(static_cast<char>(BcdSwapped(v)));
    out.append(static_cast<char>(BcdSwapped(quarters) | (offsetSeconds < 0 ? 0x08 : 0x00)));
    return out;
}

std::vector<SimEncodedTpdu> Deliver(const SimIncomingMessage& message, int reference, const QString& smsc,
                                    const QDateTime& timestamp, QString* error) {
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return std::vector<SimEncodedTpdu>{};
    };
    if (message.from.isEmpty())
        return fail(QStringLiteral("a message needs a sender"));
    const QString fromDigits = message.from.startsWith(QLatin1Char('+')) ? message.from.mid(1) : message.from;
    if (IsDigits(fromDigits) ? fromDigits.size() > 20 : SimGsm0338::EncodeText(message.from).size() > 11)
        return fail(QStringLiteral("sender %1 is too long for an address field").arg(message.from));
    const bool ucs2 = message.ucs2.value_or(!FitsGsm(message.text));
    const int ref = message.reference >= 0 ? message.reference : reference;

    // The whole message as septets or UTF-16 units, then sliced into parts.
    const std::vector<std::uint8_t> septets = ucs2 ? std::vector<std::uint8_t>{} : SimGsm0338::EncodeText(message.text);
    const std::size_t size = ucs2 ? static_cast<std::size_t>(message.text.size()) : septets.size();
    const bool single = size <= (ucs2 ? 70u : 160u);
    const std::size_t perPart =
        single ? size : (ucs2 ? (message.reference16 ? 66u : 67u) : (message.reference16 ? 152u : 153u));
    const std::vector<std::size_t> starts =
        single ? std::vector<std::size_t>{0, size} : Slices(size, perPart, [&](std::size_t at) {
            if (ucs2)
                return message.text.at(static_cast<qsizetype>(at)).isLowSurrogate();
            // EncodeText writes an escape only as the first of a pair.
            return septets[at - 1] == SimGsm0338::kEscape;
        });
    const int total = static_cast<int>(starts.size()) - 1;
    if (total > 255)
        return fail(QStringLiteral("the text needs %1 parts, at most 255 can be concatenated").arg(total));

    int dcs = ucs2 ? kDcsUcs2 : 0x00;
    if (message.messageClass >= 0)
        dcs |= kDcsClassPresent | message.messageClass;

    std::vector<SimEncodedTpdu> parts;
    for (int seq = 1; seq <= total; ++seq) {
        SimEncodedTpdu part;
        part.sequence = seq;
        part.total = total;
        part.sevenBit = !ucs2;
        part.dcs = dcs;
        const std::size_t from = starts[static_cast<std::size_t>(seq - 1)];
        const std::size_t to = starts[static_cast<std::size_t>(seq)];

        // User data header: the concatenation element, 8-bit (IEI 0x00) or 16-bit (IEI 0x08) reference.
        QByteArray header;
        if (total > 1) {
            // UDHL, IEI, IEDL, then the reference, the part count and this part's number.
            header = message.reference16 ? QByteArray("\x06\x08\x04", 3) : QByteArray("\x05\x00\x03", 3);
            if (message.reference16)
                header.append(static_cast<char>(ref >> 8 & 0xFF));
            header.append(static_cast<char>(ref & 0xFF));
            header.append(static_cast<char>(total));
            header.append(static_cast<char>(seq));
        }
        int udl = 0;
        if (ucs2) {
            part.text = message.text.mid(static_cast<qsizetype>(from), static_cast<qsizetype>(to - from));
            QByteArray body;
            for (const QChar c : part.text) {
                body.append(static_cast<char>(c.unicode() >> 8));
                body.append(static_cast<char>(c.unicode() & 0xFF));
            }
            part.userData = header + body;
            udl = static_cast<int>(part.userData.size());
        } else {
            const std::vector<std::uint8_t> slice(septets.begin() + static_cast<std::ptrdiff_t>(from),
                                                  septets.begin() + static_cast<std::ptrdiff_t>(to));
            part.text = SimGsm0338::DecodeSeptets(slice);
            // The header fills whole septets: fill bits up to the next septet boundary (TS 23.040 9.2.3.24).
            const int headerSeptets = static_cast<int>((header.size() * 8 + 6) / 7);
            QByteArray packed = SimGsm0338::PackSeptets(slice, headerSeptets * 7);
            for (qsizetype i = 0; i < header.size(); ++i)
                packed[i] = header.at(i);
            part.userData = packed;
            udl = headerSeptets + static_cast<int>(slice.size());
        }

        // TP-MMS: the SC tells the modem more parts are waiting, until the last one.
        part.firstOctet = kMtiDeliver | (seq == total ? kNoMoreMessages : 0) | (total > 1 ? kUdhi : 0);
        QByteArray tpdu;
        tpdu.append(static_cast<char>(part.firstOctet));
        tpdu.append(Address(message.from));
        tpdu.append('\0'); // TP-PID: plain short message
        tpdu.append(static_cast<char>(dcs));
        tpdu.append(Timestamp(timestamp));
        part.userDataLength = udl;
        tpdu.append(static_cast<char>(udl));
        tpdu.append(part.userData);
        part.tpduLength = static_cast<int>(tpdu.size());
        part.pdu = Hex(SmscField(smsc) + tpdu);
        parts.push_back(part);
    }
    return parts;
}

SimEncodedTpdu StatusReport(int reference, const QString& recipient, const QString& smsc,
                            const QDateTime& serviceCentreTime, const QDateTime& dischargeTime, int status) {
    SimEncodedTpdu out;
    // TP-MTI 10, TP-MMS set, TP-SRQ 0 (the report of an SMS-SUBMIT), no TP-UDHI; no TP-PI (no optional fields).
    out.firstOctet = kMtiStatusReport | kNoMoreMessages;
    QByteArray tpdu;
    tpdu.append(static_cast<char>(out.firstOctet));
    tpdu.append(static_cast<char>(reference & 0xFF)); // TP-MR of the submission
    tpdu.append(Address(recipient));                  // TP-RA
    tpdu.append(Timestamp(serviceCentreTime));        // TP-SCTS: when the SC took the submission
    tpdu.append(Timestamp(dischargeTime));            // TP-DT: when the outcome came about
    tpdu.append(static_cast<char>(status & 0xFF));    // TP-ST
    out.tpduLength = static_cast<int>(tpdu.size());
    out.pdu = Hex(SmscField(smsc) + tpdu);
    return out;
}

} // namespace SimTpduEncoder
