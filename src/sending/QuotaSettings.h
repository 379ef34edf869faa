#pragma once

#include <QString>

#include <optional>
#include <vector>

// The quota settings text: what the quota window's table held when it was last confirmed, kept in memory for
// the program's life. One line per table row, in table order:
//
//   ";" port ";" details ";" type ";" assign ";" "Y"|"N" ";" LF
//
// and one more LF after the last line. The tick ("Y") means the device takes part; type is "Auto" or
// "Manual"; assign is the manual number of messages (digits) or "Auto".
class QuotaSettings {
public:
    static inline const QString kAuto = QStringLiteral("Auto");
    static inline const QString kManual = QStringLiteral("Manual");

    struct Line {
        QString port;
        QString details;
        QString type = kAuto;
        QString assign = kAuto;
        bool ticked = true;

        bool IsManual() const { return type == kManual; }
        friend bool operator==(const Line&, const Line&) = default;
    };

    static QString Format(const std::vector<Line>& lines);
    // Lines in text order. The fields are taken from both ends of a line (port first; tick, assign and type
    // last), so a device description holding ";" still reads back whole. Lines with too few fields are
    // passed over.
    static std::vector<Line> Parse(const QString& text);
    // The first line of the port, if any.
    static std::optional<Line> Find(const QString& text, const QString& port);

    // The number of an assign text: its digits read as a count, 0 for "Auto", empty or anything that is not
    // all digits; saturates far beyond any list size instead of overflowing.
    static qint64 AssignValue(const QString& assign);
};
