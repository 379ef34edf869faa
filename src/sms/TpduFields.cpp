#include "sms/TpduFields.h"

#include <cstdlib>

QString TpTimestamp::Text() const {
    if (!time.isValid())
        return QString::fromLatin1(raw.toHex().toUpper());
    const int quarters = std::abs(quarterHours);
    return time.toString(QStringLiteral("yy/MM/dd,HH:mm:ss")) +
           (quarterHours < 0 ? QLatin1Char('-') : QLatin1Char('+')) +
           QStringLiteral("%1").arg(quarters, 2, 10, QLatin1Char('0'));
}

TpDataCoding TpDataCoding::From(int dcs) {
    TpDataCoding c;
    c.value = dcs & 0xFF;
    const int group = c.value >> 4;
    if (group <= 0x7) {
        // 00xx xxxx general data coding, 01xx xxxx the same marked for automatic deletion: bit 5 compressed,
        // bit 4 a class in bits 1-0, bits 3-2 the alphabet.
        c.compressed = (c.value & 0x20) != 0;
        if (c.value & 0x10)
            c.messageClass = c.value & 0x03;
        switch ((c.value >> 2) & 0x03) {
        case 0:
            c.alphabet = TpAlphabet::Gsm7Bit;
            break;
        case 1:
            c.alphabet = TpAlphabet::EightBit;
            break;
        case 2:
            c.alphabet = TpAlphabet::Ucs2;
            break;
        default:
            c.reservedCoding = true; // reserved alphabet: GSM 7-bit for a receiver
            break;
        }
        return c;
    }
    if (group == 0xC || group == 0xD) { // message waiting indication, discard / store: GSM 7-bit
        c.messageWaiting = true;
        return c;
    }
    if (group == 0xE) { // message waiting indication, store: UCS2
        c.messageWaiting = true;
        c.alphabet = TpAlphabet::Ucs2;
        return c;
    }
    if (group == 0xF) { // data coding / message class: bit 2 the alphabet (7-bit or 8-bit), bits 1-0 the class
        c.alphabet = (c.value & 0x04) ? TpAlphabet::EightBit : TpAlphabet::Gsm7Bit;
        c.messageClass = c.value & 0x03;
        c.reservedCoding = (c.value & 0x08) != 0;
        return c;
    }
    c.reservedCoding = true; // 1000-1011: reserved coding groups
    return c;
}
