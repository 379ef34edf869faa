#include "sim/SimModem.h"

namespace {

// A JSON string (RFC 8259): quotes, backslash and control characters escaped, everything else as UTF-8. A
// lone surrogate (half of a pair cut off by a bad split) is written as its \u escape so it stays visible
// instead of turning into a replacement character.
QString JsonString(const QString& text) {
    QString out;
    out.reserve(text.size() + 2);
    out.append(QLatin1Char('"'));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const bool pairedHigh = QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        if (pairedHigh) {
            out.append(text.at(i)).append(text.at(i + 1));
            ++i;
        } else if (c == u'"') {
            out.append(QLatin1String("\\\""));
        } else if (c == u'\\') {
            out.append(QLatin1String("\\\\"));
        } else if (c == u'\n') {
            out.append(QLatin1String("\\n"));
        } else if (c == u'\r') {
            out.append(QLatin1String("\\r"));
        } else if (c == u'\t') {
            out.append(QLatin1String("\\t"));
        } else if (c < 0x20 || c == 0x7F || QChar::isSurrogate(c)) {
            out.append(QStringLiteral("\\u%1").arg(static_cast<int>(c), 4, 16, QLatin1Char('0')));
        } else {
            out.append(QChar(c));
        }
    }
    out.append(QLatin1Char('"'));
    return out;
}

} // namespace

QString SimSubmission::ToJson() const {
    QString json = QStringLiteral("{\"mode\":") + JsonString(mode) + QStringLiteral(",\"to\":") + JsonString(to) +
                   QStringLiteral(",\"text\":") + JsonString(text) + QStringLiteral(",\"smsc\":") + JsonString(smsc) +
                   QStringLiteral(",\"dcs\":") + QString::number(dcs) + QStringLiteral(",\"flash\":") +
                   (flash ? QStringLiteral("true") : QStringLiteral("false")) + QStringLiteral(",\"udh\":");
    if (hasUdh) {
        json += QStringLiteral("{\"ref\":%1,\"total\":%2,\"seq\":%3}").arg(udhRef).arg(udhTotal).arg(udhSeq);
    } else {
        json += QStringLiteral("null");
    }
    if (mode == QLatin1String("pdu"))
        json += QStringLiteral(",\"pdu\":") + JsonString(pdu);
    json += QStringLiteral(",\"mr\":") + QString::number(messageReference) + QStringLiteral(",\"cmms\":") +
            QString::number(cmms) + QStringLiteral(",\"srr\":") +
            (statusReportRequested ? QStringLiteral("true") : QStringLiteral("false")) + QLatin1Char('}');
    return json;
}
