#pragma once

#include <QString>

// What a device's "+CMS ERROR: <err>" says about the message: whether trying it again can help. The <err>
// values are those of 3GPP TS 27.005 3.2.5: 0-127 the RP-cause values of TS 24.011 (8.2.5.4, defined in
// annex E), 128-255 the TP-Failure-Cause values of TS 23.040 9.2.3.22, 300-511 the device's own errors.
namespace ModemErrorCause {

enum class Kind {
    Temporary, // the network, the SMSC or the device may take it later (and every cause not known to be final)
    Permanent, // the number or the message itself is refused: the same message to it fails again
};

struct Cause {
    Kind kind = Kind::Temporary;
    int code = -1; // the <err> value, -1 when the text holds no numeric +CMS ERROR
    QString text;  // the cause's name ("unassigned number"), empty when it has none here
};

// The cause of the first "+CMS ERROR: <err>" in text (a reply, or a result such as "Error : +CMS ERROR: 1").
// "+CME ERROR" (the device, TS 27.007 9.2), a bare "ERROR" and verbose or unknown values are temporary.
Cause Of(const QString& text);

} // namespace ModemErrorCause
