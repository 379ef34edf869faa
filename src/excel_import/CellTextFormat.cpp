#include "excel_import/CellTextFormat.h"

#include <QDate>
#include <QTime>

#include <cmath>
#include <cstdio>

QString CellTextFormat::Number(double value) {
    if (!std::isfinite(value))
        return QStringLiteral("#NUM!");
    if (value == 0.0)
        return QStringLiteral("0"); // also -0
    // %G with 15 significant digits: plain notation while the exponent is below 15 and at least -4, exponent
    // notation otherwise, trailing zeros removed; the exponent has a sign and at least two digits.
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    return QString::fromLatin1(buffer);
}

namespace {
// Serial 1 of the 1900 system is 1 January 1900. The system counts a 29 February 1900 (serial 60) that never
// was, so from serial 61 on the days are counted from 30 December 1899.
constexpr qint64 kSerialFictitiousLeapDay = 60;
const QDate kEpoch1900(1899, 12, 31);
const QDate kEpoch1900AfterLeapDay(1899, 12, 30);
const QDate kEpoch1904(1904, 1, 1);
constexpr double kSecondsPerDay = 86400.0;
constexpr double kMaxSerial = 2958465.0; // 31 December 9999
} // namespace

QString CellTextFormat::DateTime(double serial, bool date1904) {
    if (!std::isfinite(serial) || serial < 0.0 || serial > kMaxSerial + 1.0)
        return Number(serial);
    // Round to the second first, so 0.99999999 of a day becomes the next midnight, not 23:59:60.
    const double totalSeconds = std::round(serial * kSecondsPerDay);
    const auto days = static_cast<qint64>(std::floor(totalSeconds / kSecondsPerDay));
    const auto seconds = static_cast<int>(totalSeconds - static_cast<double>(days) * kSecondsPerDay);
    const QString time = QTime(0, 0).addSecs(seconds).toString(QStringLiteral("HH:mm:ss"));
    if (days == 0 && !date1904)
        return time; // a time of day alone
    QString date;
    if (!date1904 && days == kSerialFictitiousLeapDay) {
        date = QStringLiteral("29/02/1900");
    } else {
        const QDate base =
            date1904 ? kEpoch1904 : (days > kSerialFictitiousLeapDay ? kEpoch1900AfterLeapDay : kEpoch1900);
        const QDate day = base.addDays(days);
        if (!day.isValid() || day.year() > 9999)
            return Number(serial);
        date = day.toString(QStringLiteral("dd/MM/yyyy"));
    }
    return seconds ? date + QLatin1Char(' ') + time : date;
}

bool CellTextFormat::IsBuiltInDateFormat(int formatId) {
    // 14-22: dates and times; 27-36 and 50-58: the East Asian date formats; 45-47: times.
    return (formatId >= 14 && formatId <= 22) || (formatId >= 27 && formatId <= 36) ||
           (formatId >= 45 && formatId <= 47) || (formatId >= 50 && formatId <= 58);
}

bool CellTextFormat::IsDateFormatCode(QStringView code) {
    bool inQuotes = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (inQuotes) {
            if (c == QLatin1Char('"'))
                inQuotes = false;
            continue;
        }
        switch (c.unicode()) {
        case '"':
            inQuotes = true;
            break;
        case '\\':
        case '_':
        case '*':
            ++i; // an escaped character, a space as wide as the next one, a fill character
            break;
        case ';':
            return false; // only the first section decides
        case 'g':
        case 'G':
            if (code.mid(i, 7).compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
                i += 6;
            break;
        case '[': {
            const qsizetype close = code.indexOf(QLatin1Char(']'), i);
            if (close < 0)
                return false;
            // Elapsed hours, minutes or seconds ("[h]", "[mm]", "[ss]") are times; colours, conditions and
            // locales ("[Red]", "[>100]", "[$-409]") are not.
            const QStringView inside = code.mid(i + 1, close - i - 1);
            if (!inside.isEmpty()) {
                const QChar f = inside.front().toLower();
                if ((f == QLatin1Char('h') || f == QLatin1Char('m') || f == QLatin1Char('s')) &&
                    inside.count(f) + inside.count(f.toUpper()) == inside.size())
                    return true;
            }
            i = close;
            break;
        }
        case 'd':
        case 'D':
        case 'm':
        case 'M':
        case 'y':
        case 'Y':
        case 'h':
        case 'H':
        case 's':
        case 'S':
            return true;
        default:
            break;
        }
    }
    return false;
}

QString CellTextFormat::BiffErrorText(int code) {
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0F:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1D:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    case 0x2A:
        return QStringLiteral("#N/A");
    case 0x2B:
        return QStringLiteral("#GETTING_DATA");
    default:
        return QStringLiteral("#N/A");
    }
}
