#pragma once

#include "sms/TpduFields.h"

#include <QByteArray>
#include <QString>

// Sequential reader over a TPDU's octets (3GPP TS 23.040 clause 9). Every read checks what is left, so a
// short or malformed PDU ends in a false with a reason, never in a read past its end.
class TpduReader {
public:
    explicit TpduReader(QByteArray octets) : m_octets(std::move(octets)) {}

    [[nodiscard]] bool Octet(int* value);
    [[nodiscard]] bool Octets(qsizetype count, QByteArray* out);
    qsizetype Position() const { return m_pos; }
    qsizetype Remaining() const { return m_octets.size() - m_pos; }

    // TP-OA / TP-RA / TP-DA: length in semi-octets, type, digits or packed alphanumeric text.
    [[nodiscard]] bool Address(TpAddress* address, QString* why);
    // The SMSC address in front of a PDU (TS 27.005 3.1 <pdu>): length in octets including the type, 0 for none.
    [[nodiscard]] bool SmscAddress(TpAddress* address, QString* why);
    // Seven octets of a time stamp; false only when they are not all there (bad digits give an invalid time).
    [[nodiscard]] bool Timestamp(TpTimestamp* timestamp, QString* why);
    // TP-UDL and the TP-UD after it (to the end of the PDU), decoded by the coding scheme.
    [[nodiscard]] bool UserData(bool hasHeader, const TpDataCoding& coding, TpUserData* userData, QString* why);

private:
    QByteArray m_octets;
    qsizetype m_pos = 0;
};

// Hex text (upper or lower case, whitespace around it allowed) to octets; false on an odd count or a
// non-hex character.
[[nodiscard]] bool TpduOctetsFromHex(const QString& hex, QByteArray* octets);
