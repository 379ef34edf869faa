#include "sms/IncomingPdu.h"

#include "sms/TpduReader.h"

namespace Tpdu {
namespace {

// TS 23.040 9.2.3.1: TP-MTI of the PDUs that travel from the SC to the MS.
constexpr int kMtiDeliver = 0x00;
constexpr int kMtiStatusReport = 0x02;

} // namespace

IncomingPdu DecodeIncoming(const QString& hex, SmscField smsc, int tpduLength) {
    IncomingPdu out;
    out.rawHex = hex;
    const auto fail = [&out](const QString& why) {
        out.kind = IncomingPdu::Kind::Undecodable;
        out.deliver.reset();
        out.statusReport.reset();
        out.error = why;
        return out;
    };
    QByteArray octets;
    if (!TpduOctetsFromHex(hex, &octets))
        return fail(QStringLiteral("not hex text of whole octets"));
    TpduReader in(octets);
    TpAddress smscAddress;
    QString why;
    if (smsc == SmscField::Present && !in.SmscAddress(&smscAddress, &why))
        return fail(why);
    if (tpduLength >= 0 && in.Remaining() != tpduLength)
        return fail(
            QStringLiteral("the TPDU is %1 octets, the device announced %2").arg(in.Remaining()).arg(tpduLength));
    if (in.Remaining() == 0)
        return fail(QStringLiteral("no TPDU after the SMSC field"));
    const int mti = static_cast<unsigned char>(octets.at(in.Position())) & 0x03;
    if (mti == kMtiDeliver) {
        SmsDeliver d;
        d.smsc = smscAddress;
        if (!ReadDeliver(in, &d, &why))
            return fail(QStringLiteral("SMS-DELIVER: %1").arg(why));
        out.kind = IncomingPdu::Kind::Deliver;
        out.deliver = d;
        return out;
    }
    if (mti == kMtiStatusReport) {
        SmsStatusReport r;
        r.smsc = smscAddress;
        if (!ReadStatusReport(in, &r, &why))
            return fail(QStringLiteral("SMS-STATUS-REPORT: %1").arg(why));
        out.kind = IncomingPdu::Kind::StatusReport;
        out.statusReport = r;
        return out;
    }
    return fail(mti == 0x01 ? QStringLiteral("TP-MTI 01: an SMS-SUBMIT (a stored outgoing message) or an "
                                             "SMS-SUBMIT-REPORT, not a message from the network")
                            : QStringLiteral("TP-MTI 11 is reserved"));
}

} // namespace Tpdu
