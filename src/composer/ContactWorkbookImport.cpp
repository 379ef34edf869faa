#include "composer/ContactWorkbookImport.h"

#include "composer/ContactTextImport.h"
#include "composer/RecipientList.h"
#include "excel_import/ChosenColumnTexts.h"
#include "numbers/ImpossibleNumbers.h"

namespace ContactWorkbookImport {

Outcome Import(const QString& path, const ExcelInfoController::Choice& choice, RecipientList& list,
               const QString& composerText, const NumberCheckOptions& options, const ReaderLimits& limits) {
    Outcome outcome;
    QStringList texts;
    outcome.status = ReadChosenColumnTexts(path, choice, &texts, limits);
    const RecipientList::AddNumbersResult added = list.AddNumbers(0, texts, composerText, composerText, options);
    outcome.added = static_cast<int>(added.added);
    // The rows taken went to the top of the list, in order.
    const NumberComparison comparison = list.Comparison();
    if (const InternationalNumbering* numbering = comparison.Numbering()) {
        QStringList taken;
        for (qsizetype row = 0; row < added.added; ++row)
            taken << list.Number(row);
        outcome.impossible = ImpossibleNumbers(*numbering, taken);
    }
    if (outcome.status.Ok() && outcome.added == 0)
        outcome.refusal = ContactTextImport::kNothingAdded;
    return outcome;
}

} // namespace ContactWorkbookImport
