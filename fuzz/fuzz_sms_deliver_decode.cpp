// PDUs and indication lines from a device are untrusted input: every decode must end in a decoded message or
// report, or in an error with a reason, with the raw text kept; never a crash, a hang or a read out of bounds.

#include "sms/IncomingPdu.h"
#include "sms/UnsolicitedSms.h"

#include <cstddef>
#include <cstdint>

namespace {

void Check(const IncomingPdu& pdu) {
    switch (pdu.kind) {
    case IncomingPdu::Kind::Deliver:
        if (!pdu.deliver || pdu.statusReport)
            __builtin_trap();
        break;
    case IncomingPdu::Kind::StatusReport:
        if (!pdu.statusReport || pdu.deliver)
            __builtin_trap();
        break;
    case IncomingPdu::Kind::Undecodable:
        if (pdu.error.isEmpty() || pdu.deliver || pdu.statusReport)
            __builtin_trap();
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // The bytes as the octets of a PDU, with and without the SMSC field, with and without an announced length.
    const QString hex = QString::fromLatin1(bytes.toHex());
    for (const Tpdu::SmscField smsc : {Tpdu::SmscField::Present, Tpdu::SmscField::Absent}) {
        const IncomingPdu pdu = Tpdu::DecodeIncoming(hex, smsc);
        Check(pdu);
        if (pdu.rawHex != hex)
            __builtin_trap();
        Check(Tpdu::DecodeIncoming(hex, smsc, size > 0 ? data[0] : 0));
    }
    // The bytes as device output: lines of indications and listings in both modes and several charsets.
    const QString text = QString::fromLatin1(bytes);
    for (const UnsolicitedSms::SmsMode mode : {UnsolicitedSms::SmsMode::Pdu, UnsolicitedSms::SmsMode::Text}) {
        for (const char* charset : {"IRA", "GSM", "UCS2"}) {
            QStringList other;
            for (const UnsolicitedSms::Item& item :
                 UnsolicitedSms::ReadItems(text, mode, QString::fromLatin1(charset), &other)) {
                if (item.lines.isEmpty())
                    __builtin_trap();
                const bool notice = item.source == UnsolicitedSms::Item::Source::Cmti ||
                                    item.source == UnsolicitedSms::Item::Source::Cdsi;
                if (!notice)
                    Check(item.message);
            }
        }
    }
    return 0;
}
