#include "devices/DeviceReply.h"

#include "devices/PhonebookEntry.h"

#include "exclusion/NumberText.h"
#include "modem/ModemReply.h"
#include "sms/Gsm0338.h"

#include <QRegularExpression>

#include <algorithm>

namespace DeviceReply {

namespace {

// Keeps the printable ASCII characters of a line: devices answer these queries in IRA (ASCII), and stray
// bytes from a line that powers up or glitches (0x00, 0xFF, 0x80 ...) would otherwise stick to a value.
QString PrintableAscii(QStringView line) {
    QString out;
    out.reserve(line.size());
    for (QChar c : line) {
        if (c.unicode() >= 0x20 && c.unicode() <= 0x7E)
            out.append(c);
    }
    return out.trimmed();
}

bool IsFinalResult(const QString& line) {
    return line == QLatin1String("OK") || line == QLatin1String("ERROR") ||
           line.startsWith(QLatin1String("+CMS ERROR")) || line.startsWith(QLatin1String("+CME ERROR"));
}

// The name of a "+NAME: ..." or "^NAME: ..." line, with its sign.
QString ResultName(const QString& line) {
    qsizetype end = 1;
    while (end < line.size() && line.at(end) != QLatin1Char(':') && line.at(end) != QLatin1Char(' '))
        ++end;
    return line.left(end);
}

bool IsUnsolicited(const QString& line, const QStringList& prefixes) {
    if (line == QLatin1String("RING") || line == QLatin1String("NO CARRIER"))
        return true;
    if (line.startsWith(QLatin1Char('^')))
        return true;
    if (!line.startsWith(QLatin1Char('+')))
        return false;
    const QString name = ResultName(line);
    for (const QString& prefix : prefixes) {
        if (name.compare(prefix, Qt::CaseInsensitive) == 0)
            return false;
    }
    return true;
}

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

std::optional<QByteArray> HexOctets(const QString& hex) {
    if (hex.size() % 2 != 0)
        return std::nullopt;
    QByteArray octets;
    octets.reserve(hex.size() / 2);
    for (qsizetype i = 0; i < hex.size(); i += 2) {
        const int hi = HexDigit(hex.at(i));
        const int lo = HexDigit(hex.at(i + 1));
        if (hi < 0 || lo < 0)
            return std::nullopt;
        octets.append(static_cast<char>(hi * 16 + lo));
    }
    return octets;
}

} // namespace

QStringList AnswerLines(const QString& reply, const Query& query) {
    const QString echo = QString::fromLatin1(query.command).trimmed();
    QStringList lines;
    int dataLines = 0; // lines still to come that belong to an unsolicited header (a +CMT PDU ...)
    for (QStringView raw : QStringView(reply).split(QRegularExpression(QStringLiteral("[\r\n]")))) {
        const QString line = PrintableAscii(raw);
        if (line.isEmpty())
            continue;
        if (dataLines > 0) {
            --dataLines;
            continue;
        }
        if (IsFinalResult(line))
            continue;
        if (IsUnsolicited(line, query.prefixes)) {
            dataLines = ModemReply::UnsolicitedDataLines(line);
            continue;
        }
        if (!echo.isEmpty() && line.compare(echo, Qt::CaseInsensitive) == 0)
            continue;
        lines.append(line);
    }
    return lines;
}

QString Clean(const QString& reply, const Query& query, bool keepQuotes) {
    QString text = AnswerLines(reply, query).join(QLatin1Char(' '));
    for (QChar c : {QLatin1Char('?'), QLatin1Char('<'), QLatin1Char('>')})
        text.remove(c);
    if (!keepQuotes)
        text.remove(QLatin1Char('"'));
    text = text.trimmed();
    for (const QString& prefix : query.prefixes)
        text.remove(prefix, Qt::CaseInsensitive);
    text = text.trimmed();
    if (text.startsWith(QLatin1Char(':')))
        text = text.mid(1).trimmed();
    return text;
}

bool NeedsFallback(const QString& value) {
    return value.isEmpty() || value == QLatin1String("Undefined");
}

QString ModelValue(const QString& cleaned) {
    const QLatin1String marker("MODEL=");
    const qsizetype at = cleaned.indexOf(marker);
    return at < 0 ? cleaned : cleaned.mid(at + marker.size()).trimmed();
}

namespace {
QString WithoutWord(const QString& cleaned, QLatin1String word) {
    if (!cleaned.startsWith(word))
        return cleaned;
    QString rest = cleaned.mid(word.size()).trimmed();
    if (rest.startsWith(QLatin1Char(':')))
        rest = rest.mid(1).trimmed();
    return rest;
}
} // namespace

QString ImeiValue(const QString& cleaned) {
    return WithoutWord(cleaned, QLatin1String("IMEI"));
}

QString ImsiValue(const QString& cleaned) {
    return WithoutWord(cleaned, QLatin1String("IMSI"));
}

int SmsModesFromAnswer(const QString& cleaned, int codeBefore) {
    const bool zero = cleaned.contains(QLatin1Char('0'));
    const bool one = cleaned.contains(QLatin1Char('1'));
    if (zero && one)
        return kSmsModeBoth;
    if (zero)
        return kSmsModePdu;
    if (one)
        return kSmsModeText;
    return codeBefore;
}

QString SmsModesText(int code) {
    switch (code) {
    case kSmsModePdu:
        return QStringLiteral("Only PDU Mode");
    case kSmsModeText:
        return QStringLiteral("Only Text Mode");
    case kSmsModeBoth:
        return QStringLiteral("Both PDU Mode and Text Mode");
    default:
        return {};
    }
}

QString SmsModesDetailsValue(int code) {
    switch (code) {
    case kSmsModePdu:
        return QStringLiteral("PDU Mode");
    case kSmsModeText:
        return QStringLiteral("Text Mode");
    case kSmsModeBoth:
        return QStringLiteral("PDU Mode & Text Mode");
    default:
        return QStringLiteral("None");
    }
}

QString BatteryValue(const QString& cleaned) {
    if (cleaned.size() < 2)
        return {};
    const QChar status = cleaned.at(0);
    QString level = cleaned.mid(2);
    if (const qsizetype comma = level.indexOf(QLatin1Char(',')); comma >= 0)
        level.truncate(comma);
    level = level.trimmed();
    if (level.isEmpty())
        return {};
    if (status == QLatin1Char('0'))
        return level + QLatin1Char('%');
    if (status == QLatin1Char('1'))
        return level + QStringLiteral("% ( Charging )");
    return level;
}

QString BetweenFirstQuotes(const QString& text) {
    const qsizetype open = text.indexOf(QLatin1Char('"'));
    if (open < 0)
        return {};
    const qsizetype close = text.indexOf(QLatin1Char('"'), open + 1);
    if (close < 0)
        return {};
    return text.mid(open + 1, close - open - 1);
}

QString SmscValue(const QString& cleaned) {
    const QString raw = BetweenFirstQuotes(cleaned).trimmed();
    if (raw.startsWith(QLatin1Char('+')))
        return raw;
    const std::optional<QString> ucs2 = DecodeUcs2Hex(raw);
    if (ucs2 && ucs2->startsWith(QLatin1Char('+')))
        return *ucs2;
    const std::optional<QString> septets = DecodePacked7BitHex(raw);
    if (septets && septets->startsWith(QLatin1Char('+')))
        return *septets;
    // A text that is not hex stays as the device gave it: a decoding of nothing would only lose it.
    if (ucs2 && !IsValidNumberText(raw))
        return *ucs2;
    return raw;
}

QString OperatorValue(const QString& cleaned) {
    return BetweenFirstQuotes(cleaned).trimmed();
}

QString SignalValue(const QString& cleaned) {
    const qsizetype comma = cleaned.indexOf(QLatin1Char(','));
    const QString field = (comma < 0 ? cleaned : cleaned.left(comma)).trimmed();
    bool ok = false;
    const int rssi = field.toInt(&ok, 10);
    if (!ok || rssi < 0 || rssi == 99)
        return {};
    if (rssi <= 8)
        return QStringLiteral("Low (%1)").arg(rssi);
    if (rssi <= 14)
        return QStringLiteral("Medium (%1)").arg(rssi);
    if (rssi <= 18)
        return QStringLiteral("Good (%1)").arg(rssi);
    return QStringLiteral("High (%1)").arg(rssi);
}

std::optional<QString> DecodeUcs2Hex(const QString& hex) {
    if (hex.size() % 4 != 0)
        return std::nullopt;
    const std::optional<QByteArray> octets = HexOctets(hex);
    if (!octets)
        return std::nullopt;
    QString text;
    text.reserve(octets->size() / 2);
    for (qsizetype i = 0; i + 1 < octets->size(); i += 2) {
        const auto hi = static_cast<unsigned char>(octets->at(i));
        const auto lo = static_cast<unsigned char>(octets->at(i + 1));
        text.append(QChar(static_cast<char16_t>(hi << 8 | lo)));
    }
    return text;
}

std::optional<QString> DecodePacked7BitHex(const QString& hex) {
    const std::optional<QByteArray> octets = HexOctets(hex);
    if (!octets)
        return std::nullopt;
    QByteArray codes;
    unsigned bits = 0;
    int bitCount = 0;
    for (char octet : *octets) {
        bits |= static_cast<unsigned>(static_cast<unsigned char>(octet)) << bitCount;
        bitCount += 8;
        while (bitCount >= 7) {
            codes.append(static_cast<char>(bits & 0x7F));
            bits >>= 7;
            bitCount -= 7;
        }
    }
    // Seven octets carry eight septets; when the text had seven characters the eighth is fill (zero).
    if (octets->size() % 7 == 0 && !codes.isEmpty() && codes.back() == 0)
        codes.chop(1);
    QString text;
    for (qsizetype i = 0; i < codes.size(); ++i) {
        const auto code = static_cast<std::uint8_t>(codes.at(i));
        if (code == Gsm0338::kEscape && i + 1 < codes.size()) {
            const auto next = static_cast<std::uint8_t>(codes.at(++i));
            for (const Gsm0338::ExtensionEntry& e : Gsm0338::kExtensionTable) {
                if (e.code == next) {
                    text.append(QChar(e.glyph));
                    break;
                }
            }
            continue;
        }
        if (Gsm0338::kDefaultAlphabet[code] != Gsm0338::kNoGlyph)
            text.append(QChar(Gsm0338::kDefaultAlphabet[code]));
    }
    return text;
}

QString ResultLineValue(const QString& reply, const QString& name) {
    for (QStringView line : QStringView(reply).split(QRegularExpression(QStringLiteral("[\r\n]")))) {
        const qsizetype at = line.indexOf(name);
        if (at >= 0 && line.mid(at + name.size()).startsWith(QLatin1Char(':')))
            return line.mid(at + name.size() + 1).trimmed().toString();
    }
    return {};
}

QStringList PhonebookStorages(const QString& cleaned) {
    const qsizetype open = cleaned.indexOf(QLatin1Char('('));
    const qsizetype close = cleaned.indexOf(QLatin1Char(')'), open + 1);
    if (open < 0 || close < 0)
        return {};
    QStringList names;
    for (const QString& field : cleaned.mid(open + 1, close - open - 1).split(QLatin1Char(','))) {
        QString name = field;
        name.remove(QLatin1Char('"'));
        name = name.trimmed();
        if (!name.isEmpty())
            names << name;
    }
    return names;
}

bool PhonebookCounts(const QString& cleaned, int* used, int* total) {
    const QStringList fields = cleaned.split(QLatin1Char(','));
    if (fields.size() < 3)
        return false;
    bool okUsed = false;
    bool okTotal = false;
    *used = fields.at(1).trimmed().toInt(&okUsed);
    *total = fields.at(2).trimmed().toInt(&okTotal);
    return okUsed && okTotal && *used >= 0 && *total >= 0;
}

std::optional<PhonebookEntry> PhonebookEntryFrom(const QString& cleaned, bool namesInUcs2) {
    const qsizetype numberOpen = cleaned.indexOf(QLatin1Char('"'));
    const qsizetype numberClose = numberOpen < 0 ? -1 : cleaned.indexOf(QLatin1Char('"'), numberOpen + 1);
    if (numberClose < 0)
        return std::nullopt;
    PhonebookEntry entry;
    entry.number = cleaned.mid(numberOpen + 1, numberClose - numberOpen - 1);
    const QString rest = cleaned.mid(numberClose + 1);
    const qsizetype nameOpen = rest.indexOf(QLatin1Char('"'));
    QString typeField = nameOpen < 0 ? rest : rest.left(nameOpen);
    typeField = typeField.remove(QLatin1Char(',')).trimmed();
    entry.type = typeField == QLatin1String("145") ? 145 : 129;
    if (nameOpen >= 0) {
        const qsizetype nameClose = rest.indexOf(QLatin1Char('"'), nameOpen + 1);
        entry.name = nameClose < 0 ? rest.mid(nameOpen + 1) : rest.mid(nameOpen + 1, nameClose - nameOpen - 1);
    }
    if (namesInUcs2) {
        if (const std::optional<QString> decoded = DecodeUcs2Hex(entry.name))
            entry.name = *decoded;
        // Some devices give the number in the character set too: "002B0031..." is "+1...". A number of at least
        // two characters that decodes to dialling characters only is taken decoded; digits alone stay as they are.
        const std::optional<QString> number = DecodeUcs2Hex(entry.number);
        const auto dialling = [](QChar c) {
            return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('+') || c == QLatin1Char('*') ||
                   c == QLatin1Char('#');
        };
        if (number && number->size() >= 2 && std::all_of(number->cbegin(), number->cend(), dialling))
            entry.number = *number;
    }
    return entry;
}

} // namespace DeviceReply
