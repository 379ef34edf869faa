#include "modem/ModemErrorCause.h"

namespace ModemErrorCause {

namespace {

struct Entry {
    int code;
    Kind kind;
    const char* text;
};

constexpr Kind T = Kind::Temporary;
constexpr Kind P = Kind::Permanent;

// Values missing here are temporary: a message is only given up on a cause that says the number or the
// message is refused, never on one that may pass later.
constexpr Entry kCauses[] = {
    // TS 24.011 8.2.5.4 table 8.4 (part 1), RP-cause of a mobile originating message; meanings in annex E.
    {1, P, "unassigned number"},
    {8, P, "operator determined barring"},
    {10, P, "call barred"},
    {21, P, "short message transfer rejected"},
    {27, T, "destination out of order"},
    {28, P, "unidentified subscriber"},
    {29, P, "facility rejected"},
    {30, P, "unknown subscriber"},
    {38, T, "network out of order"},
    {41, T, "temporary failure"},
    {42, T, "congestion"},
    {47, T, "resources unavailable"},
    {50, P, "requested facility not subscribed"},
    {69, T, "requested facility not implemented"},
    {81, T, "invalid short message transfer reference value"},
    {95, T, "semantically incorrect message"},
    {96, T, "invalid mandatory information"},
    {111, T, "protocol error"},
    {127, T, "interworking"},
    // TS 23.040 9.2.3.22, TP-Failure-Cause of the SMSC.
    {192, T, "SC busy"},
    {193, P, "no SC subscription"},
    {194, T, "SC system failure"},
    {195, P, "invalid SME address"},
    {196, P, "destination SME barred"},
    {255, T, "unspecified error cause"},
    // TS 27.005 3.2.5, the device's own errors.
    {300, T, "ME failure"},
    {302, T, "operation not allowed"},
    {304, P, "invalid PDU mode parameter"},
    {305, P, "invalid text mode parameter"},
    {310, T, "SIM not inserted"},
    {314, T, "SIM busy"},
    {322, T, "memory full"},
    {330, T, "SMSC address unknown"},
    {331, T, "no network service"},
    {332, T, "network timeout"},
    {500, T, "unknown error"},
};

} // namespace

Cause Of(const QString& text) {
    Cause cause;
    const QLatin1String marker("+CMS ERROR:");
    const qsizetype at = text.indexOf(marker);
    if (at < 0)
        return cause;
    qsizetype start = at + marker.size();
    while (start < text.size() && text.at(start) == QLatin1Char(' '))
        ++start;
    qsizetype end = start;
    while (end < text.size() && text.at(end) >= QLatin1Char('0') && text.at(end) <= QLatin1Char('9'))
        ++end;
    bool ok = false;
    const int code = text.mid(start, end - start).toInt(&ok);
    if (!ok)
        return cause; // a verbose error text (AT+CMEE=2): not one of the values above
    cause.code = code;
    for (const Entry& e : kCauses) {
        if (e.code == code) {
            cause.kind = e.kind;
            cause.text = QString::fromLatin1(e.text);
            break;
        }
    }
    return cause;
}

} // namespace ModemErrorCause
