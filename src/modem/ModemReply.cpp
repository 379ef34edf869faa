#include "modem/ModemReply.h"

#include <algorithm>

namespace ModemReply {

namespace {
const QLatin1String kCms("+CMS ERROR");
const QLatin1String kCme("+CME ERROR");

QString FromMatchToLineEnd(const QString& text, qsizetype at) {
    qsizetype end = at;
    while (end < text.size() && text.at(end) != QLatin1Char('\r') && text.at(end) != QLatin1Char('\n'))
        ++end;
    return text.mid(at, end - at).trimmed();
}

template <typename Visit> bool ForEachLine(const QByteArray& reply, Visit visit) {
    qsizetype start = 0;
    for (qsizetype i = 0; i < reply.size(); ++i) {
        const char c = reply.at(i);
        if (c != '\r' && c != '\n')
            continue;
        if (i > start && visit(QByteArrayView(reply).sliced(start, i - start), start))
            return true;
        start = i + 1;
    }
    return false;
}
} // namespace

QString ParseError(const QString& reply) {
    const QString text = reply.trimmed();
    if (text == QLatin1String("ERROR"))
        return QStringLiteral("ERROR");
    if (const qsizetype p = text.indexOf(kCms); p >= 0)
        return FromMatchToLineEnd(text, p);
    if (const qsizetype p = text.indexOf(kCme); p >= 0)
        return FromMatchToLineEnd(text, p);
    if (text.contains(QLatin1String("ERROR")))
        return QStringLiteral("+CMS ERROR: 500");
    return {};
}

QString ShortenError(const QString& text) {
    constexpr qsizetype kCodeLength = 15; // "+CMS ERROR: 500"
    qsizetype p = text.indexOf(kCms);
    if (p < 0)
        p = text.indexOf(kCme);
    if (p >= 0 && text.size() >= p + kCodeLength && !text.endsWith(QLatin1Char('.')))
        return text.left(p + kCodeLength);
    return text;
}

QString ParseSmsModeQuery(const QString& reply) {
    if (!reply.contains(QLatin1String("OK")))
        return {};
    QString text = reply;
    for (const char* piece : {"OK", "AT+CMGF", "+CMGF", ":", "?"})
        text.remove(QLatin1String(piece));
    text = text.trimmed();
    const bool one = text.contains(QLatin1Char('1'));
    const bool zero = text.contains(QLatin1Char('0'));
    if (one && !zero)
        return QStringLiteral("1");
    if (zero && !one)
        return QStringLiteral("0");
    if (one && zero)
        return QStringLiteral("2");
    return {};
}

FinalResult FindFinalResult(const QByteArray& reply, qsizetype* lineStart) {
    FinalResult result = FinalResult::None;
    ForEachLine(reply, [&](QByteArrayView line, qsizetype start) {
        const QByteArrayView trimmed = line.trimmed();
        if (trimmed == "OK")
            result = FinalResult::Ok;
        else if (trimmed == "ERROR" || trimmed.startsWith("+CMS ERROR") || trimmed.startsWith("+CME ERROR"))
            result = FinalResult::Error;
        else
            return false;
        if (lineStart)
            *lineStart = start;
        return true;
    });
    return result;
}

qsizetype LineEndAfter(const QByteArray& reply, qsizetype lineStart) {
    qsizetype end = lineStart;
    while (end < reply.size() && reply.at(end) != '\r' && reply.at(end) != '\n')
        ++end;
    if (end < reply.size() && reply.at(end) == '\r')
        ++end;
    if (end < reply.size() && reply.at(end) == '\n')
        ++end;
    return end;
}

bool IsUnsolicited(const QString& line) {
    static const char* const kPrefixes[] = {"+CREG:", "+CGREG:", "+CEREG:", "+CMTI:", "+CDSI:", "+CDS:", "+CBM:",
                                            "+CMT:",  "+CRING:", "+CLIP:",  "+CUSD:", "+CIEV:", "^",     "RING"};
    const QString text = line.trimmed();
    for (const char* prefix : kPrefixes) {
        if (text.startsWith(QLatin1String(prefix)))
            return true;
    }
    return false;
}

namespace {
// The text after "name:" on the first line that starts with it (blanks before it allowed); nothing without one.
std::optional<QString> LineAfter(const QString& reply, QLatin1String name) {
    const QString lines = QString(reply).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (QStringView line : QStringView(lines).split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.startsWith(name) && line.mid(name.size()).startsWith(QLatin1Char(':')))
            return line.mid(name.size() + 1).trimmed().toString();
    }
    return std::nullopt;
}

// The double-quoted strings of a parameter list, in order.
QStringList QuotedStrings(const QString& parameters) {
    QStringList strings;
    qsizetype open = parameters.indexOf(QLatin1Char('"'));
    while (open >= 0) {
        const qsizetype close = parameters.indexOf(QLatin1Char('"'), open + 1);
        if (close < 0)
            break;
        strings << parameters.mid(open + 1, close - open - 1);
        open = parameters.indexOf(QLatin1Char('"'), close + 1);
    }
    return strings;
}
} // namespace

int UnsolicitedDataLines(const QString& line) {
    const QString text = line.trimmed();
    if (text.startsWith(QLatin1String("+CMT:")) || text.startsWith(QLatin1String("+CBM:")))
        return 1;
    if (text.startsWith(QLatin1String("+CDS:"))) {
        // PDU mode: "+CDS: <length>" alone; text mode: "+CDS: <fo>,<mr>,..." with everything on the line.
        bool number = false;
        text.mid(5).trimmed().toInt(&number);
        return number ? 1 : 0;
    }
    return 0;
}

std::optional<ServiceCentre> ParseServiceCentre(const QString& reply) {
    const std::optional<QString> parameters = LineAfter(reply, QLatin1String("+CSCA"));
    if (!parameters || !parameters->startsWith(QLatin1Char('"')))
        return std::nullopt;
    const qsizetype close = parameters->indexOf(QLatin1Char('"'), 1);
    if (close < 0)
        return std::nullopt;
    ServiceCentre centre;
    centre.address = parameters->mid(1, close - 1);
    const QString rest = parameters->mid(close + 1).trimmed();
    if (rest.startsWith(QLatin1Char(',')))
        centre.type = rest.mid(1).trimmed().toInt();
    return centre;
}

QStringList ParseCharsets(const QString& reply) {
    const std::optional<QString> parameters = LineAfter(reply, QLatin1String("+CSCS"));
    return parameters ? QuotedStrings(*parameters) : QStringList();
}

qsizetype EchoLength(const QByteArray& reply, const QByteArray& sent) {
    const qsizetype n = std::min(reply.size(), sent.size());
    return n > 0 && QByteArrayView(reply).first(n) == QByteArrayView(sent).first(n) ? n : 0;
}

bool HasMessageReference(const QByteArray& reply) {
    return ForEachLine(reply, [](QByteArrayView line, qsizetype) { return line.trimmed().startsWith("+CMGS:"); });
}

} // namespace ModemReply
