#pragma once

#include "sms/IncomingPdu.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Reading what a device says about received messages and status reports (3GPP TS 27.005 3.4.1 indications,
// 3.4.2 / 3.4.3 listings): +CMTI / +CDSI (stored), +CMT / +CDS (routed at once), +CMGR and +CMGL, in PDU
// mode (a header line, then the PDU line) and in text mode (a header line with the fields, then the data line
// where there is one). Pure functions over lines already framed by the transport.
namespace UnsolicitedSms {

// "+CMTI: <mem>,<index>" or "+CDSI: <mem>,<index>".
struct StoredNotice {
    QString memory;
    int index = 0;
    bool statusReport = false; // +CDSI
};
std::optional<StoredNotice> ParseStoredNotice(const QString& line);

// A PDU-mode header: "+CMT: [<alpha>],<length>", "+CDS: <length>", "+CMGR: <stat>,[<alpha>],<length>" or
// "+CMGL: <index>,<stat>,[<alpha>],<length>". The PDU is on the next line.
struct PduHeader {
    enum class Kind { Cmt, Cds, Cmgr, Cmgl };
    Kind kind = Kind::Cmt;
    int index = -1; // +CMGL
    int stat = -1;  // +CMGR / +CMGL: 0 REC UNREAD, 1 REC READ, 2 STO UNSENT, 3 STO SENT
    QString alpha;
    int length = 0; // TPDU octets (without the SMSC field)
};
std::optional<PduHeader> ParsePduHeader(const QString& line);

// <stat> of text mode ("REC UNREAD" ...) as its PDU-mode number, -1 when unknown.
int StatFromText(const QString& stat);

// The host's settings that shape text-mode data: the character set of AT+CSCS.
enum class SmsMode { Pdu, Text };

// One message, status report or notice read from the lines.
struct Item {
    enum class Source { Cmt, Cds, Cmti, Cdsi, Cmgr, Cmgl };
    Source source = Source::Cmt;
    int index = -1; // +CMGL, +CMTI, +CDSI
    int stat = -1;  // +CMGR, +CMGL
    QString memory; // +CMTI, +CDSI
    QString alpha;
    // +CMT, +CDS, +CMGR, +CMGL: what was read (a deliver, a report, or undecodable with the reason). Text mode
    // fills the same structures from the fields it has; its raw lines are in `lines`.
    IncomingPdu message;
    QStringList lines; // the lines this item was read from, as they came
};

// Reads every SMS item in `lines` (a reply or a run of unsolicited lines, CR/LF removed). Blank lines are
// skipped; lines that belong to no item (echo, OK, other unsolicited codes) go to *otherLines when given.
// A header whose PDU or data line is missing or unreadable gives an item of kind Undecodable with the
// reason, never nothing. In text mode a +CMGR / +CMGL data part runs to the next +CMGL header or final
// result code (a message text may hold line breaks); a +CMT data part is one line.
std::vector<Item> ReadItems(const QStringList& lines, SmsMode mode, const QString& charset = QStringLiteral("IRA"),
                            QStringList* otherLines = nullptr);
// The same over raw text split at CR and LF.
std::vector<Item> ReadItems(const QString& text, SmsMode mode, const QString& charset = QStringLiteral("IRA"),
                            QStringList* otherLines = nullptr);

// One parameter of an information line: its text without quotes, and whether it was a quoted string.
struct Field {
    QString text;
    bool quoted = false;
};
// The parameters of an information line after its "+XXX: " prefix, split at commas outside double quotes.
std::vector<Field> SplitFields(const QString& parameters);

// Text-mode forms, exposed for tests and for callers that frame lines themselves.
// <fo>,<mr>,[<ra>],[<tora>],<scts>,<dt>,<st> (as after "+CDS: ", "+CMGR: <stat>," or "+CMGL: <index>,<stat>,"):
// the report, or undecodable with a reason.
IncomingPdu ParseTextStatusReport(const std::vector<Field>& fields);
// <oa>,[<alpha>],<scts>[,<tooa>,<fo>,<pid>,<dcs>,<sca>,<tosca>,<length>] (after "+CMT: " or "+CMGR: <stat>,";
// `listing`: after "+CMGL: <index>,<stat>," with only [,<tooa>,<length>]) and the <data> that followed.
IncomingPdu ParseTextDeliver(const std::vector<Field>& fields, bool listing, const QString& data,
                             const QString& charset);
// A text-mode time stamp "yy/MM/dd,hh:mm:ss+zz" (zz in quarter hours); invalid when it is not one.
TpTimestamp ParseTextTimestamp(const QString& text);

} // namespace UnsolicitedSms
