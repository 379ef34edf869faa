#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// SMS-SUBMIT PDUs as handed to a device in PDU mode (3GPP TS 23.040 clause 9.2.2.2, GSM 03.38 default
// alphabet or UCS2), written as uppercase hex text, two digits per octet.
namespace Pdu {

// One encoded PDU: the whole hex text (SMSC field first) and the TPDU length in octets (the SMSC field not
// counted), which is the number AT+CMGS=<length> needs. An empty hex text means nothing could be encoded.
struct EncodedPdu {
    QString hex;
    int tpduLength = 0;
};

// Address field: length octet, type of address (145 international when the number begins with "+",
// else 129), swapped semi-octets with "F" filling an odd count. An empty number gives "00".
// For a recipient the length counts digits; for an SMSC it counts octets including the type octet.
QString EncodeAddress(const QString& number, bool isSmsc);

// GSM 7-bit codes of a text: one code per character, or the escape 0x1B followed by a code for the
// extension table; characters outside the table keep their own code (the packer keeps the low 7 bits).
QByteArray ToGsmCodes(const QString& text);

// Packs 7-bit codes into octets, least significant bit first, as hex text. *lastOctetHasOneBit is set when
// the last octet carries exactly one data bit (code count = 7 mod 8).
QString PackSeptets(const QByteArray& codes, bool* lastOctetHasOneBit = nullptr);

// Four uppercase hex digits per UTF-16 code unit, high byte first.
QString ToUcs2Hex(const QString& text);

// Data coding scheme from the two message flags: 0x00, 0x10 (flash), 0x08 (UCS2), 0x18 (flash UCS2).
int DataCodingScheme(bool flash, bool unicode);

EncodedPdu EncodeSinglePdu(const QString& message, const QString& recipient, const QString& smsc, bool flash,
                           bool unicode);

// The parts of one concatenated message. The whole-message user data is computed once, at construction
// (part 1), and every part takes its slice from it, so a caller changing its text meanwhile changes nothing.
// Slices hold at most 152 septets (7-bit) or 66 UTF-16 units (UCS2) after the 7-octet user data header
// (IEI 0x08, 16-bit reference); a slice never ends between an escape code and its character, nor between
// the two halves of a surrogate pair, and the part count is that of the slices (never an empty part).
class MultipartPdu {
public:
    MultipartPdu(const QString& message, const QString& recipient, const QString& smsc, bool flash, bool unicode,
                 std::uint16_t reference);

    int PartCount() const { return static_cast<int>(m_sliceStarts.size()); }
    // partNumber from 1 to PartCount(); an out-of-range part gives an empty PDU.
    EncodedPdu EncodePart(int partNumber) const;

private:
    QString m_recipient;
    QString m_smsc;
    bool m_flash;
    bool m_unicode;
    std::uint16_t m_reference;
    QByteArray m_codes;                // 7-bit: the whole message's GSM codes
    QString m_text;                    // UCS2: the whole message's UTF-16 text
    std::vector<qsizetype> m_sliceStarts; // index into m_codes or m_text of each part's first unit
};

// The process-wide concatenation reference counter: 0 at start, every call returns the next value (1 first),
// distinct across threads. Parts carry it modulo 65536.
std::uint32_t NextConcatReference();

} // namespace Pdu

namespace Pdu {

// Every "\r\n" of a message replaced by "\n"; done first on every submission.
QString NormalizeLineBreaks(const QString& message);

// True when the message goes as one SMS: at most 160 characters (70 with UCS2) and its single-part TPDU at
// most 154 octets. The message must already have its line breaks normalised.
bool FitsSingleMessage(const QString& message, const QString& recipient, const QString& smsc, bool flash,
                       bool unicode);

// Every PDU of one PDU-mode message: the single PDU when FitsSingleMessage, else the concatenated parts
// carrying the given reference. Empty when nothing could be encoded.
std::vector<EncodedPdu> EncodeMessage(const QString& message, const QString& recipient, const QString& smsc,
                                      bool flash, bool unicode, std::uint16_t reference);

// The texts of a text-mode submission: the whole message when FitsSingleMessage (measured on the PDU-mode
// encoding), else independent pieces of 150 characters (64 with UCS2), never splitting a surrogate pair.
QStringList SplitForTextMode(const QString& message, const QString& recipient, const QString& smsc, bool flash,
                             bool unicode);

// True when every character belongs to the GSM 03.38 default alphabet (with its extension characters) as
// devices accept it in text mode; a text-mode submission then drops UCS2.
bool IsGsmCharacterSet(const QString& text);

} // namespace Pdu
