#include "excel_import/ChosenColumnTexts.h"

#include "excel_import/WorkbookReader.h"

ReaderStatus ReadChosenColumnTexts(const QString& path, const ExcelInfoController::Choice& choice, QStringList* texts,
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
