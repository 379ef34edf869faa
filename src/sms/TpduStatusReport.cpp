#include "sms/TpduStatusReport.h"

#include "sms/TpduReader.h"

namespace Tpdu {

bool ReadStatusReport(TpduReader& in, SmsStatusReport* r, QString* why) {
    // First octet: TP-MTI bits 1-0 (10), TP-MMS bit 2, TP-LP bit 3, TP-SRQ bit 5, TP-UDHI bit 6.
    int status = 0;
    if (!in.Octet(&r->firstOctet) || !in.Octet(&r->messageReference)) {
        if (why)
            *why = QStringLiteral("no TP-MR");
        return false;
    }
    r->moreMessagesToSend = (r->firstOctet & 0x04) == 0;
    r->resultOfCommand = (r->firstOctet & 0x20) != 0;
    if (!in.Address(&r->recipient, why) || !in.Timestamp(&r->serviceCentreTime, why) ||
        !in.Timestamp(&r->dischargeTime, why))
        return false;
    if (!in.Octet(&status)) {
        if (why)
            *why = QStringLiteral("no TP-ST");
        return false;
    }
    r->status.value = status;

    // TS 23.040 9.2.3.27: TP-PI bit 0 announces TP-PID, bit 1 TP-DCS, bit 2 TP-UDL; bit 7 extends it by further
    // octets (none defined, skipped). Anything else after TP-ST is kept out of the decoded fields.
    if (in.Remaining() == 0)
        return true;
    int pi = 0;
    (void)in.Octet(&pi);
    r->parameterIndicator = pi;
    for (int extension = pi; (extension & 0x80) != 0;) {
        if (!in.Octet(&extension)) {
            r->notes << QStringLiteral("TP-PI extension cut short");
            return true;
        }
    }
    int value = 0;
    if (pi & 0x01) {
        if (!in.Octet(&value)) {
            r->notes << QStringLiteral("TP-PID announced but missing");
            return true;
        }
        r->protocolIdentifier = value;
    }
    if (pi & 0x02) {
        if (!in.Octet(&value)) {
            r->notes << QStringLiteral("TP-DCS announced but missing");
            return true;
        }
        r->coding = TpDataCoding::From(value);
    }
    if (pi & 0x04) {
        TpUserData ud;
        QString udWhy;
        // Without a TP-DCS the user data is GSM 7-bit (TS 23.040 9.2.3.27).
        if (in.UserData((r->firstOctet & 0x40) != 0, r->coding.value_or(TpDataCoding{}), &ud, &udWhy))
            r->userData = ud;
        else
            r->notes << QStringLiteral("user data unreadable: %1").arg(udWhy);
    }
    return true;
}

} // namespace Tpdu
