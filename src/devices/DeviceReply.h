#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

struct PhonebookEntry;

// Reading the answers of the device information queries (ITU-T V.250 identification, 3GPP TS 27.007 and
// TS 27.005 status commands). Pure functions over the text a query collected, which may hold the command's
// echo, blank lines, unsolicited result codes (+CREG, ^RSSI, RING ...) and stray bytes.
namespace DeviceReply {

// One query: the command line as written (without "\r") and the prefixes its answer may carry, listed in
// the order they are removed (the forms with "AT" first, so that removing "+CGMI" never leaves an "AT").
struct Query {
    QByteArray command;
    QStringList prefixes;
};

// The lines of a reply that answer the query: each line is kept to its printable ASCII characters and
// trimmed; empty lines, the echo of the command, final result codes and unsolicited result codes (lines
// starting with "^", "+" lines whose name is none of the query's prefixes, RING, NO CARRIER) are left out.
QStringList AnswerLines(const QString& reply, const Query& query);

// The cleaned value of a reply: the answer lines joined by a space; every "?", "<" and ">" removed, and
// every double quote unless keepQuotes; every prefix of the query removed; trimmed; a leading ":" removed
// and trimmed again.
QString Clean(const QString& reply, const Query& query, bool keepQuotes = false);

// True for a maker, model or revision value that needs the second command: empty or "Undefined".
bool NeedsFallback(const QString& value);

// A model value: what follows "MODEL=" when it holds that, else the value.
QString ModelValue(const QString& cleaned);
// IMEI / IMSI values without their leading "IMEI" / "IMSI" word (and a ":" after it).
QString ImeiValue(const QString& cleaned);
QString ImsiValue(const QString& cleaned);

// SMS mode codes of AT+CMGF=?: 0 none, 1 PDU only, 2 text only, 3 both.
enum SmsModeCode { kSmsModeNone = 0, kSmsModePdu = 1, kSmsModeText = 2, kSmsModeBoth = 3 };
// The code after the AT+CMGF=? answer (cleaned): "0" and "1" as the digits found; neither keeps codeBefore.
int SmsModesFromAnswer(const QString& cleaned, int codeBefore);
// "Only PDU Mode", "Only Text Mode", "Both PDU Mode and Text Mode" or empty (code 0).
QString SmsModesText(int code);
// The details value: "PDU Mode", "Text Mode", "PDU Mode & Text Mode" or "None".
QString SmsModesDetailsValue(int code);

// AT+CBC (battery connection status, comma, charge level): "75%" on battery (status 0), "75% ( Charging )"
// (status 1), the level alone for any other status; empty without a level. A third field (some devices add
// the voltage in mV) is not part of the level.
QString BatteryValue(const QString& cleaned);

// The text between the first two double quotes, or empty.
QString BetweenFirstQuotes(const QString& text);

// AT+CSCA? (quotes kept when cleaning): the number between the first two double quotes. A number not
// starting with "+" was hex-encoded by a device in a hex or UCS2 character set: UCS2 hex when that decodes to
// "+...", else packed 7-bit hex when that does, else the UCS2 decoding when the text itself is no valid
// number text.
QString SmscValue(const QString& cleaned);

// AT+COPS? (quotes kept): the operator between the first two double quotes, or empty.
QString OperatorValue(const QString& cleaned);

// AT+CSQ (rssi, comma, ber): "Low (n)" up to 8, "Medium (n)" 9-14, "Good (n)" 15-18, "High (n)" from 19;
// empty for 99 (not known) or an answer without a number.
QString SignalValue(const QString& cleaned);

// Four hex digits per UTF-16 code unit, high byte first; nullopt when the text is not such hex.
std::optional<QString> DecodeUcs2Hex(const QString& hex);
// Octets as two hex digits each, holding GSM 7-bit septets packed least significant bit first
// (3GPP TS 23.038 clause 6.1.2.1), read as GSM default alphabet text; nullopt when the text is not hex.
std::optional<QString> DecodePacked7BitHex(const QString& hex);

// The text after "name:" on the first line of the reply that holds it (stray bytes before the name do not
// matter), trimmed; empty when no line does. Used where values are not ASCII-only, such as phonebook names.
QString ResultLineValue(const QString& reply, const QString& name);

// Phonebook answers, given as ResultLineValue of "+CPBS" / "+CPBR".
// AT+CPBS=? (3GPP TS 27.007 8.11): the storages listed between "(" and ")", each without its quotes.
QStringList PhonebookStorages(const QString& cleaned);
// AT+CPBS? ("SM",3,250): the used and total counts after the storage name; false when they are not numbers.
bool PhonebookCounts(const QString& cleaned, int* used, int* total);
// AT+CPBR=i (i,"number",type,"name"): the entry, or nullopt without a quoted number. With namesInUcs2 (the
// device's character set is UCS2) the name is decoded from UCS2 hex (kept as it is when it is not hex), and so
// is a number the device gave in UCS2 hex.
std::optional<PhonebookEntry> PhonebookEntryFrom(const QString& cleaned, bool namesInUcs2);

} // namespace DeviceReply
