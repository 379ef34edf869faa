#include "sms/UnsolicitedSms.h"

#include "sms/Gsm0338Decoding.h"
#include "sms/TpduReader.h"

#include <QRegularExpression>
#include <QTimeZone>

namespace UnsolicitedSms {
namespace {

const char* const kStatTexts[] = {"REC UNREAD", "REC READ", "STO UNSENT", "STO SENT", "ALL"};

// The parameters after "<prefix>: " when the line starts with it (spaces after the colon are optional).
std::optional<QString> After(const QString& line, QLatin1String prefix) {
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(prefix) || trimmed.size() <= prefix.size() || trimmed.at(prefix.size()) != QLatin1Char(':'))
        return std::nullopt;
    return trimmed.mid(prefix.size() + 1).trimmed();
}

bool ToInt(const Field& f, int* value, int low = 0, int high = 0x7FFFFFFF) {
    if (f.quoted)
        return false;
    bool ok = false;
    const int v = f.text.trimmed().toInt(&ok);
    if (!ok || v < low || v > high)
        return false;
    *value = v;
    return true;
}

IncomingPdu Undecodable(const QString& why) {
    IncomingPdu out;
    out.error = why;
    return out;
}

bool IsHexLine(const QString& line) {
    QByteArray octets;
    return TpduOctetsFromHex(line, &octets);
}

// Type of address a text-mode field gives, else the one its text implies.
int TypeOf(const QString& address, const Field* typeField) {
    int type = 0;
    if (typeField && ToInt(*typeField, &type, 0, 255))
        return type;
    return address.startsWith(QLatin1Char('+')) ? 0x91 : 0x81;
}

// A string parameter in the host's character set: UCS2 / HEX strings come as hex of UTF-16 units.
QString FromCharset(const QString& text, const QString& charset) {
    if ((charset == QLatin1String("UCS2") || charset == QLatin1String("HEX")) && !text.isEmpty() &&
        text.size() % 4 == 0) {
        QByteArray octets;
        if (TpduOctetsFromHex(text, &octets)) {
            QString decoded;
            for (qsizetype i = 0; i + 1 < octets.size(); i += 2)
                decoded.append(QChar(static_cast<char16_t>(static_cast<unsigned char>(octets.at(i)) << 8 |
                                                           static_cast<unsigned char>(octets.at(i + 1)))));
            return decoded;
        }
    }
    if (charset == QLatin1String("GSM")) {
        // One character per septet of the default alphabet (escape pairs included).
        std::vector<std::uint8_t> septets;
        for (const QChar c : text)
            septets.push_back(static_cast<std::uint8_t>(c.unicode() & 0x7F));
        return Gsm0338::DecodeSeptets(septets);
    }
    return text;
}

} // namespace

std::vector<Field> SplitFields(const QString& parameters) {
    std::vector<Field> fields;
    Field current;
    bool inQuotes = false;
    for (const QChar c : parameters) {
        if (c == QLatin1Char('"')) {
            inQuotes = !inQuotes;
            current.quoted = true;
        } else if (c == QLatin1Char(',') && !inQuotes) {
            fields.push_back(current);
            current = Field{};
        } else {
            current.text.append(c);
        }
    }
    fields.push_back(current);
    for (Field& f : fields) {
        if (!f.quoted)
            f.text = f.text.trimmed();
    }
    return fields;
}

int StatFromText(const QString& stat) {
    for (int i = 0; i < 5; ++i) {
        if (stat.compare(QLatin1String(kStatTexts[i]), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

std::optional<StoredNotice> ParseStoredNotice(const QString& line) {
    StoredNotice notice;
    std::optional<QString> rest = After(line, QLatin1String("+CMTI"));
    if (!rest) {
        rest = After(line, QLatin1String("+CDSI"));
        notice.statusReport = true;
    }
    if (!rest)
        return std::nullopt;
    const std::vector<Field> fields = SplitFields(*rest);
    if (fields.size() != 2 || !ToInt(fields[1], &notice.index, 0))
        return std::nullopt;
    notice.memory = fields[0].text;
    return notice;
}

std::optional<PduHeader> ParsePduHeader(const QString& line) {
    static const struct {
        const char* prefix;
        PduHeader::Kind kind;
        std::size_t fields; // with <length> last
    } kForms[] = {{"+CMT", PduHeader::Kind::Cmt, 2},
                  {"+CDS", PduHeader::Kind::Cds, 1},
                  {"+CMGR", PduHeader::Kind::Cmgr, 3},
                  {"+CMGL", PduHeader::Kind::Cmgl, 4}};
    for (const auto& form : kForms) {
        const std::optional<QString> rest = After(line, QLatin1String(form.prefix));
        if (!rest)
            continue;
        const std::vector<Field> fields = SplitFields(*rest);
        PduHeader h;
        h.kind = form.kind;
        // Some devices leave the <alpha> field out altogether: one field fewer is taken too.
        const bool hasAlpha = form.kind != PduHeader::Kind::Cds;
        if (fields.size() != form.fields && !(hasAlpha && fields.size() + 1 == form.fields))
            return std::nullopt;
        if (!ToInt(fields.back(), &h.length, 0, 255))
            return std::nullopt;
        if (hasAlpha && fields.size() == form.fields)
            h.alpha = fields[fields.size() - 2].text;
        if (form.kind == PduHeader::Kind::Cmgr && !ToInt(fields[0], &h.stat, 0, 4))
            return std::nullopt;
        if (form.kind == PduHeader::Kind::Cmgl && (!ToInt(fields[0], &h.index, 0) || !ToInt(fields[1], &h.stat, 0, 4)))
            return std::nullopt;
        return h;
    }
    return std::nullopt;
}

TpTimestamp ParseTextTimestamp(const QString& text) {
    static const QRegularExpression kForm(
        QStringLiteral("^(\\d\\d)/(\\d\\d)/(\\d\\d),(\\d\\d):(\\d\\d):(\\d\\d)([+-])(\\d\\d)$"));
    TpTimestamp t;
    const QRegularExpressionMatch m = kForm.match(text.trimmed());
    if (!m.hasMatch())
        return t;
    const int year = m.captured(1).toInt();
    const QDate date(year >= 80 ? 1900 + year : 2000 + year, m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    const int quarters = m.captured(8).toInt() * (m.captured(7) == QLatin1String("-") ? -1 : 1);
    if (date.isValid() && time.isValid() && quarters >= -56 && quarters <= 56) {
        t.quarterHours = quarters;
        t.time = QDateTime(date, time, QTimeZone(quarters * 15 * 60));
    }
    return t;
}

IncomingPdu ParseTextStatusReport(const std::vector<Field>& f) {
    if (f.size() != 7)
        return Undecodable(QStringLiteral("a text-mode status report has 7 fields, not %1").arg(f.size()));
    SmsStatusReport r;
    int status = 0;
    if (!ToInt(f[0], &r.firstOctet, 0, 255) || !ToInt(f[1], &r.messageReference, 0, 255) ||
        !ToInt(f[6], &status, 0, 255))
        return Undecodable(QStringLiteral("text-mode status report: <fo>, <mr> or <st> is not a number"));
    r.moreMessagesToSend = (r.firstOctet & 0x04) == 0;
    r.resultOfCommand = (r.firstOctet & 0x20) != 0;
    r.recipient.value = f[2].text;
    r.recipient.type = TypeOf(f[2].text, f[3].text.isEmpty() ? nullptr : &f[3]);
    r.serviceCentreTime = ParseTextTimestamp(f[4].text);
    r.dischargeTime = ParseTextTimestamp(f[5].text);
    r.status.value = status;
    if (!r.serviceCentreTime.IsValid() || !r.dischargeTime.IsValid())
        r.notes << QStringLiteral("time stamp not in the form yy/MM/dd,hh:mm:ss+zz");
    IncomingPdu out;
    out.kind = IncomingPdu::Kind::StatusReport;
    out.statusReport = r;
    return out;
}

IncomingPdu ParseTextDeliver(const std::vector<Field>& f, bool listing, const QString& data, const QString& charset) {
    if (f.size() < 3)
        return Undecodable(QStringLiteral("a text-mode message header has at least 3 fields, not %1").arg(f.size()));
    SmsDeliver d;
    d.originator.value = FromCharset(f[0].text, charset);
    d.originator.type = TypeOf(d.originator.value, f.size() > 3 ? &f[3] : nullptr);
    d.serviceCentreTime = ParseTextTimestamp(f[2].text);
    if (!d.serviceCentreTime.IsValid() && !f[2].text.isEmpty())
        d.userData.notes << QStringLiteral("time stamp not in the form yy/MM/dd,hh:mm:ss+zz");

    // With AT+CSDH=1 the header says how the data is written (TS 27.005 3.1 <data>): hex of the user data when
    // it holds a header or is not 7-bit text, else text in the host's character set.
    int length = -1;
    bool details = false;
    if (!listing && f.size() >= 10) {
        int dcs = 0;
        details = ToInt(f[4], &d.firstOctet, 0, 255) && ToInt(f[5], &d.protocolIdentifier, 0, 255) &&
                  ToInt(f[6], &dcs, 0, 255);
        if (!details)
            return Undecodable(QStringLiteral("text-mode message header: <fo>, <pid> or <dcs> is not a number"));
        d.coding = TpDataCoding::From(dcs);
        d.smsc.value = FromCharset(f[7].text, charset);
        d.smsc.type = TypeOf(d.smsc.value, &f[8]);
        if (!ToInt(f[9], &length, 0, 255))
            length = -1;
    } else if (listing && f.size() >= 5 && !ToInt(f[4], &length, 0, 255)) {
        length = -1;
    }
    d.moreMessagesToSend = details && (d.firstOctet & 0x04) == 0;
    d.statusReportIndication = (d.firstOctet & 0x20) != 0;
    d.replyPath = (d.firstOctet & 0x80) != 0;

    const bool header = (d.firstOctet & 0x40) != 0;
    if (details && (header || d.coding.alphabet != TpAlphabet::Gsm7Bit)) {
        QByteArray octets;
        if (!data.isEmpty() && !TpduOctetsFromHex(data, &octets))
            return Undecodable(QStringLiteral("text-mode data should be hex of the user data and is not"));
        // TP-UDL: the octet count, or for 7-bit text the septets. Devices announce either TP-UDL or the text's
        // length without the header; whichever fits the octets is taken, else the septets the octets hold
        // (then a last septet of fill bits would read as '@', so it is noted).
        int udl = static_cast<int>(octets.size());
        if (d.coding.alphabet == TpAlphabet::Gsm7Bit) {
            const int headerSeptets =
                header && !octets.isEmpty() ? ((static_cast<unsigned char>(octets.at(0)) + 1) * 8 + 6) / 7 : 0;
            const auto fits = [&octets](int septets) { return septets >= 0 && (septets * 7 + 7) / 8 == octets.size(); };
            if (length >= 0 && fits(length)) {
                udl = length;
            } else if (length >= 0 && fits(length + headerSeptets)) {
                udl = length + headerSeptets;
            } else {
                udl = static_cast<int>(octets.size() * 8 / 7);
                d.userData.notes << QStringLiteral("TP-UDL taken from the %1 octets of the data").arg(octets.size());
            }
        }
        TpduReader in(QByteArray(1, static_cast<char>(udl)) + octets);
        QString why;
        const QStringList notes = d.userData.notes;
        if (udl > 255 || !in.UserData(header, d.coding, &d.userData, &why))
            return Undecodable(QStringLiteral("text-mode user data: %1").arg(why));
        d.userData.notes = notes + d.userData.notes;
    } else {
        d.userData.text = FromCharset(data, charset);
        d.userData.length = static_cast<int>(d.userData.text.size());
        if (!details)
            d.userData.notes << QStringLiteral("text mode without AT+CSDH=1: the data coding is not known");
    }
    IncomingPdu out;
    out.kind = IncomingPdu::Kind::Deliver;
    out.deliver = d;
    return out;
}

std::vector<Item> ReadItems(const QString& text, SmsMode mode, const QString& charset, QStringList* otherLines) {
    static const QRegularExpression kLineEnd(QStringLiteral("[\\r\\n]+"));
    return ReadItems(text.split(kLineEnd, Qt::SkipEmptyParts), mode, charset, otherLines);
}

std::vector<Item> ReadItems(const QStringList& input, SmsMode mode, const QString& charset, QStringList* otherLines) {
    QStringList lines;
    for (const QString& l : input) {
        if (!l.trimmed().isEmpty())
            lines << l;
    }
    const auto isFinal = [](const QString& l) {
        const QString t = l.trimmed();
        return t == QLatin1String("OK") || t == QLatin1String("ERROR") || t.startsWith(QLatin1String("+CMS ERROR:")) ||
               t.startsWith(QLatin1String("+CME ERROR:"));
    };
    std::vector<Item> items;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        Item item;
        item.lines << line;
        if (const std::optional<StoredNotice> n = ParseStoredNotice(line)) {
            item.source = n->statusReport ? Item::Source::Cdsi : Item::Source::Cmti;
            item.memory = n->memory;
            item.index = n->index;
            items.push_back(item);
            continue;
        }
        const QString trimmed = line.trimmed();
        static const struct {
            const char* prefix;
            Item::Source source;
        } kSources[] = {{"+CMT", Item::Source::Cmt},
                        {"+CDS", Item::Source::Cds},
                        {"+CMGR", Item::Source::Cmgr},
                        {"+CMGL", Item::Source::Cmgl}};
        std::optional<QString> rest;
        for (const auto& s : kSources) {
            if ((rest = After(trimmed, QLatin1String(s.prefix)))) {
                item.source = s.source;
                break;
            }
        }
        if (!rest) {
            if (otherLines)
                *otherLines << line;
            continue;
        }

        if (mode == SmsMode::Pdu) {
            const std::optional<PduHeader> h = ParsePduHeader(trimmed);
            if (!h) {
                item.message = Undecodable(QStringLiteral("unreadable header"));
            } else {
                item.index = h->index;
                item.stat = h->stat;
                item.alpha = h->alpha;
                if (i + 1 < lines.size() && IsHexLine(lines.at(i + 1))) {
                    item.lines << lines.at(++i);
                    item.message = Tpdu::DecodeIncoming(lines.at(i).trimmed(), Tpdu::SmscField::Present, h->length);
                } else {
                    item.message = Undecodable(QStringLiteral("no PDU line after the header"));
                }
            }
            items.push_back(item);
            continue;
        }

        // Text mode.
        std::vector<Field> f = SplitFields(*rest);
        const bool listed = item.source == Item::Source::Cmgl;
        const bool read = item.source == Item::Source::Cmgr;
        if (listed && (f.size() < 2 || !ToInt(f[0], &item.index, 0))) {
            item.message = Undecodable(QStringLiteral("unreadable +CMGL header"));
            items.push_back(item);
            continue;
        }
        if (listed || read) {
            const Field& stat = f[listed ? 1 : 0];
            item.stat = stat.quoted ? StatFromText(stat.text) : -1;
            if (!stat.quoted)
                (void)ToInt(stat, &item.stat, 0, 4);
            f.erase(f.begin(), f.begin() + (listed ? 2 : 1));
        }
        // A status report has its <fo> (a number) where a message has its quoted <oa>.
        int number = 0;
        const bool report =
            item.source == Item::Source::Cds || ((listed || read) && !f.empty() && ToInt(f[0], &number));
        if (report) {
            item.message = ParseTextStatusReport(f);
            items.push_back(item);
            continue;
        }
        QStringList data;
        if (item.source == Item::Source::Cmt) {
            if (i + 1 < lines.size())
                data << lines.at(++i);
        } else {
            while (i + 1 < lines.size() && !After(lines.at(i + 1), QLatin1String("+CMGL")) && !isFinal(lines.at(i + 1)))
                data << lines.at(++i);
        }
        item.lines << data;
        if (f.size() >= 2)
            item.alpha = f[1].text;
        item.message = ParseTextDeliver(f, listed, data.join(QLatin1Char('\n')), charset);
        items.push_back(item);
    }
    return items;
}

} // namespace UnsolicitedSms
