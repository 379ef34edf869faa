#include "sending/QuotaSettings.h"

#include <QStringList>

namespace {
constexpr qint64 kAssignCeiling = Q_INT64_C(1'000'000'000'000);
} // namespace

QString QuotaSettings::Format(const std::vector<Line>& lines) {
    const QChar sep = QLatin1Char(';');
    QString text;
    for (const Line& l : lines) {
        text += sep + l.port + sep + l.details + sep + l.type + sep + l.assign + sep +
                (l.ticked ? QLatin1Char('Y') : QLatin1Char('N')) + sep + QLatin1Char('\n');
    }
    text += QLatin1Char('\n');
    return text;
}

std::vector<QuotaSettings::Line> QuotaSettings::Parse(const QString& text) {
    std::vector<Line> lines;
    for (QString raw : text.split(QLatin1Char('\n'))) {
        if (raw.endsWith(QLatin1Char('\r')))
            raw.chop(1);
        if (raw.startsWith(QLatin1Char(';')))
            raw.remove(0, 1);
        if (raw.endsWith(QLatin1Char(';')))
            raw.chop(1);
        QStringList fields = raw.split(QLatin1Char(';'));
        if (fields.size() < 5)
            continue;
        Line l;
        l.port = fields.takeFirst();
        l.ticked = fields.takeLast() == QLatin1String("Y");
        l.assign = fields.takeLast();
        l.type = fields.takeLast();
        l.details = fields.join(QLatin1Char(';'));
        if (l.port.isEmpty())
            continue;
        lines.push_back(std::move(l));
    }
    return lines;
}

std::optional<QuotaSettings::Line> QuotaSettings::Find(const QString& text, const QString& port) {
    for (Line& l : Parse(text)) {
        if (l.port == port)
            return std::move(l);
    }
    return std::nullopt;
}

qint64 QuotaSettings::AssignValue(const QString& assign) {
    if (assign.isEmpty())
        return 0;
    qint64 value = 0;
    for (const QChar c : assign) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
        value = value * 10 + (c.unicode() - u'0');
        if (value >= kAssignCeiling)
            return kAssignCeiling;
    }
    return value;
}
