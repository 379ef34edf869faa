#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

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

// Where the line that starts at lineStart ends, its CR LF (or lone CR or LF) included.
qsizetype LineEndAfter(const QByteArray& reply, qsizetype lineStart);

// True for an unsolicited result code that devices send between and inside replies (network registration,
// signal, new message, ring, vendor "^" reports): such a line is never the answer to a command.
bool IsUnsolicited(const QString& line);

// How many lines after an unsolicited result code belong to it (3GPP TS 27.005 3.4.1): the data line after
// "+CMT:" and "+CBM:" (the PDU, or the text in text mode), and the PDU after a PDU-mode "+CDS: <length>".
// 0 for a text-mode "+CDS:" (its fields are all on its own line) and for every other line.
int UnsolicitedDataLines(const QString& line);

// The service centre address of an AT+CSCA? answer (3GPP TS 27.005 3.3.1, +CSCA: <sca>,<tosca>): <sca> as
// the device wrote it (in its AT+CSCS character set, so it can be written back unchanged) and <tosca>, 0
// when the device left it out. Nothing when the reply holds no +CSCA line with a quoted number.
struct ServiceCentre {
    QString address;
    int type = 0;
};
std::optional<ServiceCentre> ParseServiceCentre(const QString& reply);

// The character set names in the +CSCS line of a reply (3GPP TS 27.007 5.5): the supported ones of
// AT+CSCS=? ('+CSCS: ("IRA","GSM","UCS2")'), or the one in force of AT+CSCS? ('+CSCS: "IRA"'). Empty when
// the reply has no such line.
QStringList ParseCharsets(const QString& reply);

// How many bytes at the start of reply are the device echoing sent (all of it, or as much as has come).
qsizetype EchoLength(const QByteArray& reply, const QByteArray& sent);

// True when the reply holds a line beginning with "+CMGS:" (the device's message reference).
bool HasMessageReference(const QByteArray& reply);

} // namespace ModemReply
