#pragma once

#include <QByteArray>
#include <QString>

// Reading what a device's reply says. Collecting a reply is the transports' job; these are pure functions
// over the text collected, which may hold the command's echo, blank lines and unsolicited result codes.
namespace ModemReply {

// The error a reply carries: "ERROR" for a bare "ERROR"; the "+CMS ERROR: n" (or "+CME ERROR: n") line
// from its start to the end of that line; "+CMS ERROR: 500" for any other reply mentioning "ERROR";
// empty when the reply holds no error.
QString ParseError(const QString& reply);

// An error text shortened for an exception: a text holding "+CMS ERROR" (else "+CME ERROR") at p that is
// at least p + 15 characters long and does not end with "." is cut after p + 15 characters, the length of
// "+CMS ERROR: 500". Anything else is kept whole.
QString ShortenError(const QString& text);

// The answer of AT+CMGF? after "OK": "1" (text mode), "0" (PDU mode), "2" (both digits seen) or empty.
QString ParseSmsModeQuery(const QString& reply);

enum class FinalResult { None, Ok, Error };

// Looks for a final result code on a line of its own (3GPP TS 27.007 / V.250): "OK", "ERROR",
// "+CMS ERROR: n" or "+CME ERROR: n", each ended by CR or LF. Unsolicited lines and the echo of a command
// are passed over; "OK" inside a longer line is not a result. When found, *lineStart is where its line starts.
FinalResult FindFinalResult(const QByteArray& reply, qsizetype* lineStart = nullptr);

// True for an unsolicited result code that devices send between and inside replies (network registration,
// signal, new message, ring, vendor "^" reports): such a line is never the answer to a command.
bool IsUnsolicited(const QString& line);

// How many bytes at the start of reply are the device echoing sent (all of it, or as much as has come).
qsizetype EchoLength(const QByteArray& reply, const QByteArray& sent);

// True when the reply holds a line beginning with "+CMGS:" (the device's message reference).
bool HasMessageReference(const QByteArray& reply);

} // namespace ModemReply
