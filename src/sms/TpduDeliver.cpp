#include "sms/TpduDeliver.h"

#include "sms/TpduReader.h"

namespace Tpdu {

bool ReadDeliver(TpduReader& in, SmsDeliver* d, QString* why) {
    // First octet: TP-MTI bits 1-0 (00), TP-MMS bit 2, TP-LP bit 3, TP-SRI bit 5, TP-UDHI bit 6, TP-RP bit 7.
    if (!in.Octet(&d->firstOctet)) {
        if (why)
            *why = QStringLiteral("no TPDU after the SMSC field");
        return false;
    }
    d->moreMessagesToSend = (d->firstOctet & 0x04) == 0;
    d->statusReportIndication = (d->firstOctet & 0x20) != 0;
    d->replyPath = (d->firstOctet & 0x80) != 0;
    if (!in.Address(&d->originator, why))
        return false;
    int dcs = 0;
    if (!in.Octet(&d->protocolIdentifier) || !in.Octet(&dcs)) {
        if (why)
            *why = QStringLiteral("TP-PID / TP-DCS cut short");
        return false;
    }
    d->coding = TpDataCoding::From(dcs);
    return in.Timestamp(&d->serviceCentreTime, why) &&
           in.UserData((d->firstOctet & 0x40) != 0, d->coding, &d->userData, why);
}

} // namespace Tpdu
