#include "composer/ContactWorkbookImport.h"

#include "composer/ContactTextImport.h"
#include "composer/RecipientList.h"
#include "excel_import/ChosenColumnTexts.h"

namespace ContactWorkbookImport {

Outcome Import(const QString& path, const ExcelInfoController::Choice& choice, RecipientList& list,
               const QString& composerText, const NumberCheckOptions& options, const ReaderLimits& limits) {
    Outcome outcome;
    QStringList texts;
    outcome.status = ReadChosenColumnTexts(path, choice, &texts, limits);
    const RecipientList::AddNumbersResult added = list.AddNumbers(0, texts, composerText, composerText, options);
    outcome.added = static_cast<int>(added.added);
    if (outcome.status.Ok() && outcome.added == 0)
        outcome.refusal = ContactTextImport::kNothingAdded;
    return outcome;
}

} // namespace ContactWorkbookImport
