#include "ImpossibleNumbers.h"

QStringList ImpossibleNumbers(const InternationalNumbering& numbering, const QStringList& numbers) {
    QStringList impossible;
    for (const QString& number : numbers) {
        if (!numbering.IsPossible(number))
            impossible << number;
    }
    return impossible;
}
