#pragma once

#include "sim/SimIncomingMessage.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <vector>

// One PDU the simulated network hands to the modem, in hex text with the SMSC field first (as +CMT, +CDS and
// +CMGR show it in PDU mode), with what text mode shows of it.
struct SimEncodedTpdu {
    QString pdu;        // whole PDU, uppercase hex
    int tpduLength = 0; // octets after the SMSC field: the <length> of +CMT / +CDS / +CMGR / +CMGL
    int firstOctet = 0;
    int dcs = 0;
    int userDataLength = 0; // TP-UDL: septets (7-bit, header included) or octets
    QByteArray userData;    // TP-UD octets, header included (text mode shows them in hex when a header is there)
    QString text;           // this part's text
    bool sevenBit = true;
    int sequence = 1; // part number and count of a concatenated message (1 of 1 otherwise)
    int total = 1;
};

// The simulated network's encoders of SMS-DELIVER and SMS-STATUS-REPORT (3GPP TS 23.040 9.2.2.1 and 9.2.2.3),
// written apart from the program's own PDU code so that its decoders are checked against an independent
// implementation.
namespace SimTpduEncoder {

// Address field (TS 23.040 9.1.2.5): digits with "+" for international (type 0x91), other digits 0x81, any
// other text alphanumeric (type 0xD0, GSM 7-bit packed, length in semi-octets used).
QByteArray Address(const QString& address);
// RP SMSC address as TS 27.005 puts it in front of a PDU: length in octets including the type; "" is 00.
QByteArray SmscField(const QString& smsc);
// Service centre time stamp (TS 23.040 9.2.3.11): seven semi-octet pairs, time zone in quarter hours with
// its sign in bit 3.
QByteArray Timestamp(const QDateTime& time);

// The SMS-DELIVER PDUs of a message: one, or concatenated parts (at most 153 / 152 septets or 67 / 66
// UCS-2 units a part with an 8-bit / 16-bit reference), never splitting an escape pair or a surrogate pair.
// `reference` is used when the message gives none. Empty with a reason when the message cannot be sent.
std::vector<SimEncodedTpdu> Deliver(const SimIncomingMessage& message, int reference, const QString& smsc,
                                    const QDateTime& timestamp, QString* error);

// An SMS-STATUS-REPORT for the submission answered with TP-MR `reference` to `recipient`.
SimEncodedTpdu StatusReport(int reference, const QString& recipient, const QString& smsc,
                            const QDateTime& serviceCentreTime, const QDateTime& dischargeTime, int status);

} // namespace SimTpduEncoder
