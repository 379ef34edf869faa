#include "modem/ModemErrorCause.h"

#include <gtest/gtest.h>

// The classes of 3GPP TS 27.005 3.2.5 <err> values as devices report them: what may pass on a later try is
// temporary, what refuses the number or the message is permanent.
TEST(ModemErrorCause, SortsErrorsByTheirCause) {
    using K = ModemErrorCause::Kind;
    struct Case {
        const char* text;
        K kind;
        int code;
        const char* cause;
    };
    const Case cases[] = {
        // TS 24.011 annex E, the network's RP-cause.
        {"+CMS ERROR: 1", K::Permanent, 1, "unassigned number"},
        {"+CMS ERROR: 8", K::Permanent, 8, "operator determined barring"},
        {"+CMS ERROR: 10", K::Permanent, 10, "call barred"},
        {"+CMS ERROR: 21", K::Permanent, 21, "short message transfer rejected"},
        {"+CMS ERROR: 28", K::Permanent, 28, "unidentified subscriber"},
        {"+CMS ERROR: 29", K::Permanent, 29, "facility rejected"},
        {"+CMS ERROR: 50", K::Permanent, 50, "requested facility not subscribed"},
        {"+CMS ERROR: 27", K::Temporary, 27, "destination out of order"},
        {"+CMS ERROR: 38", K::Temporary, 38, "network out of order"},
        {"+CMS ERROR: 41", K::Temporary, 41, "temporary failure"},
        {"+CMS ERROR: 42", K::Temporary, 42, "congestion"},
        {"+CMS ERROR: 47", K::Temporary, 47, "resources unavailable"},
        // TS 23.040 9.2.3.22, the SMSC's TP-Failure-Cause.
        {"+CMS ERROR: 195", K::Permanent, 195, "invalid SME address"},
        {"+CMS ERROR: 192", K::Temporary, 192, "SC busy"},
        // TS 27.005 3.2.5, the device's own errors.
        {"+CMS ERROR: 304", K::Permanent, 304, "invalid PDU mode parameter"},
        {"+CMS ERROR: 305", K::Permanent, 305, "invalid text mode parameter"},
        {"+CMS ERROR: 330", K::Temporary, 330, "SMSC address unknown"},
        {"+CMS ERROR: 331", K::Temporary, 331, "no network service"},
        {"+CMS ERROR: 332", K::Temporary, 332, "network timeout"},
        {"+CMS ERROR: 500", K::Temporary, 500, "unknown error"},
        // Vendor values, values without a name here, and anything not a numeric +CMS ERROR are temporary.
        {"+CMS ERROR: 512", K::Temporary, 512, ""},
        {"+CMS ERROR: 99", K::Temporary, 99, ""},
        {"+CMS ERROR: unassigned number", K::Temporary, -1, ""},
        {"+CME ERROR: 10", K::Temporary, -1, ""},
        {"ERROR", K::Temporary, -1, ""},
        {"", K::Temporary, -1, ""},
        // As a worker's result text, and as a raw reply with an unsolicited line after it.
        {"Error : +CMS ERROR: 1", K::Permanent, 1, "unassigned number"},
        {"AT+CMGS=23\r\r\n+CMS ERROR:10\r\n+CREG: 1\r\n", K::Permanent, 10, "call barred"},
    };
    for (const Case& c : cases) {
        const ModemErrorCause::Cause cause = ModemErrorCause::Of(QLatin1String(c.text));
        EXPECT_EQ(cause.kind, c.kind) << c.text;
        EXPECT_EQ(cause.code, c.code) << c.text;
        EXPECT_EQ(cause.text, QLatin1String(c.cause)) << c.text;
    }
}
