#pragma once

#include "sms/UnsolicitedSms.h"

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

// Frames what a device sent, as tapped from its port (command replies and unsolicited lines mixed, in pieces
// of any size), into the indications among it (3GPP TS 27.005 3.4.1): +CDS and +CMT with their PDU or data
// line, +CDSI and +CMTI. Listings and reads (+CMGL, +CMGR) answer the collector's own commands and are left to
// it; echoes, final results and other unsolicited codes are passed over. A line not ended yet, and a header
// whose data line has not come yet, are kept for the next Feed, so no indication is cut in two.
class DeliveryStream {
public:
    explicit DeliveryStream(UnsolicitedSms::SmsMode mode = UnsolicitedSms::SmsMode::Pdu) : m_mode(mode) {}
    // The device's SMS mode (AT+CMGF) shapes +CDS and +CMT.
    void SetMode(UnsolicitedSms::SmsMode mode) { m_mode = mode; }

    [[nodiscard]] std::vector<UnsolicitedSms::Item> Feed(QByteArrayView bytes);
    // Bytes kept for the next Feed.
    qsizetype Pending() const { return m_pending.size(); }

    // An unfinished line longer than this is no indication (a PDU line is at most 2 * 176 + 2 hex digits):
    // it is dropped so a device that never ends a line cannot grow the buffer without bound.
    static constexpr qsizetype kMaxLine = 4096;

private:
    UnsolicitedSms::SmsMode m_mode;
    QByteArray m_pending;
};
