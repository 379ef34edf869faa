#include "sending/PauseSetting.h"

namespace PauseSetting {

const QStringList& EveryChoices() {
    static const QStringList choices = {"1",  "2",   "3",   "4",   "5",   "10",  "15",  "20",  "25",  "50",
                                        "75", "100", "150", "200", "250", "300", "400", "500", "1000"};
    return choices;
}

const QStringList& DurationChoices() {
    static const QStringList choices = [] {
        QStringList list;
        for (int s = 5; s <= 55; s += 5)
            list << (s < 10 ? QStringLiteral(" %1  Seconds").arg(s) : QStringLiteral("%1 Seconds").arg(s));
        list << QStringLiteral(" 1  Minute");
        for (int m = 2; m <= 9; ++m)
            list << QStringLiteral(" %1  Minutes").arg(m);
        for (int m = 10; m <= 50; m += 10)
            list << QStringLiteral("%1 Minutes").arg(m);
        list << QStringLiteral(" 1  Hour");
        for (int h : {2, 4, 5, 8})
            list << QStringLiteral(" %1  Hours").arg(h);
        list << QStringLiteral("10 Hours") << QStringLiteral("12 Hours");
        return list;
    }();
    return choices;
}

int EveryCount(const QString& text) { return text.trimmed().toInt(); }

std::optional<int> DurationMs(const QString& text) {
    if (text.startsWith(QLatin1String("No")))
        return std::nullopt;
    bool ok = false;
    const int amount = text.left(2).trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    for (qsizetype i = 2; i < text.size(); ++i) {
        const QChar c = text.at(i).toUpper();
        if (!c.isLetter())
            continue;
        if (c == QLatin1Char('S'))
            return amount * 1000;
        if (c == QLatin1Char('M'))
            return amount * 60000;
        if (c == QLatin1Char('H'))
            return amount * 3600000;
        return std::nullopt;
    }
    return std::nullopt;
}

QString DurationFromPlain(const QString& text) {
    if (DurationChoices().contains(text))
        return text;
    const QString t = text.trimmed().toLower();
    if (t.size() < 2)
        return {};
    bool ok = false;
    const int amount = t.left(t.size() - 1).toInt(&ok);
    if (!ok)
        return {};
    const QChar unit = t.back();
    const int ms = unit == QLatin1Char('s') ? amount * 1000
                   : unit == QLatin1Char('m') ? amount * 60000
                   : unit == QLatin1Char('h') ? amount * 3600000
                                              : -1;
    for (const QString& choice : DurationChoices()) {
        if (DurationMs(choice) == ms)
            return choice;
    }
    return {};
}

QString CountdownText(int remainingMs) {
    const int s = remainingMs / 1000;
    const int h = s / 3600;
    const int m = (s % 3600) / 60;
    const int sec = s % 60;
    const QString hours = QStringLiteral("%1 %2 ").arg(h).arg(h < 2 ? QStringLiteral("Hour") : QStringLiteral("Hours"));
    const QString minutes =
        QStringLiteral("%1 %2 ").arg(m).arg(m < 2 ? QStringLiteral("Minute") : QStringLiteral("Minutes"));
    const QString seconds =
        QStringLiteral("%1 %2").arg(sec).arg(sec < 2 ? QStringLiteral("Second.") : QStringLiteral("Seconds."));
    QString text = QStringLiteral("Pausing the process for ");
    if (h > 0)
        text += hours + minutes + seconds;
    else if (m <= 0)
        text += seconds;
    else
        text += minutes + seconds;
    return text;
}

} // namespace PauseSetting
