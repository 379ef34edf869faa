#pragma once

// Number texts of British mobiles in the shapes people write them, for the benchmarks that compare numbers by
// their international form.

#include <QString>

// The mobile 07 followed by nine digits of `value`, in one of four shapes by `shape`: national with spaces,
// international with '+', "00" with a dash, national with brackets and a dash.
inline QString MixedNumber(long long value, int shape) {
    const QString nine = QStringLiteral("%1").arg(value % 1000000000, 9, 10, QLatin1Char('0'));
    const QString head = nine.left(3);
    const QString tail = nine.mid(3);
    switch (shape % 4) {
    case 0:
        return QStringLiteral("07") + head + QLatin1Char(' ') + tail;
    case 1:
        return QStringLiteral("+44 7") + head + QLatin1Char(' ') + tail;
    case 2:
        return QStringLiteral("0044 7") + head + QLatin1Char('-') + tail;
    default:
        return QStringLiteral("(07") + head + QStringLiteral(") ") + tail.left(3) + QLatin1Char('-') + tail.mid(3);
    }
}
