#include "excel_import/ContactWorkbookImport.h"

#include "composer/ContactTextImport.h"
#include "composer/RecipientList.h"
#include "excel_import/WorkbookReader.h"

namespace ContactWorkbookImport {

ReaderStatus ReadColumnTexts(const QString& path, const ExcelInfoController::Choice& choice, QStringList* texts,
                             const ReaderLimits& limits) {
    texts->clear();
    WorkbookReader reader(limits);
    SheetData range;
    ReaderStatus status = reader.OpenSheet(path, choice.sheet, &range);
    if (status) {
        QString text;
        for (const ExcelInfoController::Column& column : choice.columns) {
            if (!column.checked)
                continue;
            for (int row = 1; row <= range.Rows() && status; ++row) {
                status = reader.CellText(row, column.number, &text);
                if (status && !text.isEmpty())
                    texts->append(text);
            }
            if (!status)
                break;
        }
    }
    reader.CloseWorkbook();
    return status;
}

Outcome Import(const QString& path, const ExcelInfoController::Choice& choice, RecipientList& list,
               const QString& composerText, const NumberCheckOptions& options, const ReaderLimits& limits) {
    Outcome outcome;
    QStringList texts;
    outcome.status = ReadColumnTexts(path, choice, &texts, limits);
    const RecipientList::AddNumbersResult added = list.AddNumbers(0, texts, composerText, composerText, options);
    outcome.added = static_cast<int>(added.added);
    if (outcome.status.Ok() && outcome.added == 0)
        outcome.refusal = ContactTextImport::kNothingAdded;
    return outcome;
}

} // namespace ContactWorkbookImport
