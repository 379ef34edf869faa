#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// What the simulated modem reads out of one SMS-SUBMIT PDU handed to it in PDU mode.
struct SimDecodedSubmit {
    QString smsc; // "" when the SMSC field is "00" (use the stored one); "+" for an international one
    int firstOctet = 0;
    bool udhi = false;      // TP-UDHI
    int validityFormat = 0; // TP-VPF: 0 none, 1 enhanced, 2 relative, 3 absolute
    int messageReference = 0;
    QString to;     // TP-DA as text; "+" for an international number
    int toType = 0; // type-of-address octet of TP-DA
    int pid = 0;
    int dcs = 0;
    int alphabet = 0;       // 0 GSM 7-bit, 1 8-bit data, 2 UCS2
    bool flash = false;     // message class 0
    int userDataLength = 0; // TP-UDL as given: septets (7-bit) or octets
    bool hasConcat = false; // a concatenation element (IEI 0x00 or 0x08) was found in the header
    bool concat16Bit = false;
    int concatRef = 0;
    int concatTotal = 0;
    int concatSeq = 0;
    QString text;       // the user data after the header, decoded
    int tpduLength = 0; // octets after the SMSC field: what AT+CMGS=<length> must say
};

// Decoder of SMS-SUBMIT PDUs in hex text, as a device receives them after AT+CMGS=<length> (3GPP TS 23.040
// clause 9.2.2.2 with the SMSC field of TS 27.005 in front; alphabets and classes by TS 23.038 clause 4).
// Strict: anything a network would refuse, or that cannot be read unambiguously, is an error.
class SimPduDecoder {
public:
    // Decodes the hex text of a whole PDU; on failure returns nothing and says why in *error.
    static std::optional<SimDecodedSubmit> Decode(const QString& hex, QString* error);

    // Interprets a data coding scheme (TS 23.038 clause 4): alphabet 0/1/2 as above and whether it is
    // class 0. False for a compressed or reserved coding that cannot be read.
    static bool InterpretDcs(int dcs, int* alphabet, bool* flash);

    // Address value of an address field's semi-octets (TS 23.040 9.1.2.3/9.1.2.5); `digits` is the count of
    // semi-octets to take. 'A'..'E' become '*', '#', 'a', 'b', 'c'. False on a filler inside the digits.
    static bool DecodeSemiOctets(const QByteArray& octets, int digits, QString* number);
};
