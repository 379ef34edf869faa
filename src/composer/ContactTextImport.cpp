#include "composer/ContactTextImport.h"

#include "common/AnsiCodec.h"
#include "composer/RecipientList.h"
#include "numbers/ImpossibleNumbers.h"

#include <QFile>

namespace ContactTextImport {

QStringList SplitNumbers(const QByteArray& bytes) {
    QStringList numbers;
    QByteArray current;
    auto flush = [&] {
        if (!current.isEmpty())
            numbers << AnsiCodec::Decode(current);
        current.clear();
    };
    for (char c : bytes) {
        if (c == ' ')
            continue;
        if (c == '\r' || c == '\n' || c == ',')
            flush();
        else
            current.append(c);
    }
    flush();
    return numbers;
}

Outcome ImportFile(const QString& path, RecipientList& list, const QString& composerText,
                   const NumberCheckOptions& options) {
    Outcome outcome;
    QFile file(path);
    if (!file.exists()) {
        outcome.refusal = kMissing;
        return outcome;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        outcome.refusal = kNothingAdded;
        return outcome;
    }
    const QByteArray bytes = file.readAll();
    // A UTF-16 mark (either order) or the start of a UTF-8 mark.
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF") || bytes.startsWith("\xEF\xBB")) {
        outcome.refusal = kNotAnsi;
        return outcome;
    }
    if (bytes.isEmpty()) {
        outcome.refusal = kEmpty;
        return outcome;
    }
    const qsizetype before = list.Count();
    qsizetype position = 0;
    QStringList taken;
    for (const QString& number : SplitNumbers(bytes)) {
        const NumberCheckResult result = list.AddNumber(position, number, composerText, composerText, options);
        if (result.Ok()) {
            ++position;
            taken << result.number;
        }
    }
    outcome.added = static_cast<int>(position);
    const NumberComparison comparison = list.Comparison();
    if (const InternationalNumbering* numbering = comparison.Numbering())
        outcome.impossible = ImpossibleNumbers(*numbering, taken);
    if (list.Count() == 0 || list.Count() == before)
        outcome.refusal = kNothingAdded;
    return outcome;
}

} // namespace ContactTextImport
