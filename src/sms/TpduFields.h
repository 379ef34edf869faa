#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Fields shared by the TPDUs a device hands over from the network (3GPP TS 23.040 clause 9), as decoded.

// An address field (TS 23.040 9.1.2.5), or the SMSC address in front of a PDU (TS 24.011 8.2.5.1).
struct TpAddress {
    QString value; // "+" and digits when international; digits (and * # a b c) otherwise; the text when
                   // alphanumeric; empty when absent
    int type = 0;  // the type-of-address octet (0x91 international, 0x81 unknown, 0xD0 alphanumeric)

    bool IsAlphanumeric() const { return (type & 0x70) == 0x50; }
};

// A service centre time stamp or a discharge time (TS 23.040 9.2.3.11 / 9.2.3.13): local time and its
// offset from UTC in quarter hours.
struct TpTimestamp {
    QByteArray raw;       // the seven octets as received
    QDateTime time;       // with its offset; invalid when a digit, the date or the zone is out of range
    int quarterHours = 0; // offset from UTC, negative west of Greenwich

    bool IsValid() const { return time.isValid(); }
    // "yy/MM/dd,hh:mm:ss+zz" as TS 27.005 text mode writes it; the raw octets in hex when invalid.
    QString Text() const;
};

enum class TpAlphabet { Gsm7Bit, EightBit, Ucs2 };

// A data coding scheme (TS 23.038 clause 4).
struct TpDataCoding {
    int value = 0;
    TpAlphabet alphabet = TpAlphabet::Gsm7Bit;
    int messageClass = -1;       // 0-3, -1 when none is given
    bool compressed = false;     // TS 23.042 compression: the text cannot be read here
    bool reservedCoding = false; // a reserved value, read as the GSM 7-bit alphabet as TS 23.038 tells a receiver
    bool messageWaiting = false; // coding groups 1100-1110 (message waiting indication)

    static TpDataCoding From(int dcs);
};

// The concatenated-short-message element of a user data header (TS 23.040 9.2.3.24.1 and 9.2.3.24.8).
struct TpConcatenation {
    int reference = 0;
    int total = 0;
    int sequence = 0;
    bool sixteenBitReference = false; // IEI 0x08 rather than 0x00
};

// A user data header (TS 23.040 9.2.3.24): every element as received, and the ones read here.
struct TpUserDataHeader {
    struct Element {
        int iei = 0;
        QByteArray data;
    };
    std::vector<Element> elements;
    std::optional<TpConcatenation> concatenation;
    int singleShiftTable = -1;  // national language single shift (IEI 0x24), -1 none
    int lockingShiftTable = -1; // national language locking shift (IEI 0x25), -1 none
};

// TP-UDL and TP-UD read with their header and text.
struct TpUserData {
    int length = 0; // TP-UDL as given: septets (7-bit) or octets
    TpUserDataHeader header;
    bool hasHeader = false;
    QString text;      // the text after the header; 8-bit data octet by octet as Latin-1
    QByteArray octets; // 8-bit data: the octets after the header
    QStringList notes; // where a receiving-entity rule or a fallback shaped the result
};
