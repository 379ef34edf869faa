#include "composer/DynamicMessageImport.h"

#include "composer/ContactTextImport.h"
#include "composer/RecipientList.h"
#include "excel_import/WorkbookReader.h"

#include <algorithm>

ReaderStatus DynamicMessageImport::Compose(const QString& messageTemplate, const SheetData& range, int row,
                                           QString* message) {
    *message = messageTemplate;
    const int columns = std::min(range.Columns(), ExcelMessageImport::kMaxImportColumns);
    QString text;
    for (int k = 1; k <= ExcelMessageImport::kMaxImportColumns; ++k) {
        for (int j = 0; j < columns; ++j) {
            const QString placeholder = WorkbookReader::Placeholder(k + j);
            if (!message->contains(placeholder))
                continue;
            if (ReaderStatus status = range.CellText(row, k + j, &text); !status)
                return status;
            message->replace(placeholder, text);
        }
    }
    return ReaderStatus::Success();
}

ExcelMessageImport::Outcome
DynamicMessageImport::Import(const QString& path, int sheet, const QList<int>& numberColumns,
                             const QString& messageTemplate, RecipientList& list, const NumberCheckOptions& options,
                             ExcelMessageImport::Observer* observer, const ReaderLimits& limits) {
    ExcelMessageImport::Outcome outcome;
    WorkbookReader reader(limits);
    SheetData range;
    ReaderStatus status = reader.OpenSheet(path, sheet, &range);
    if (status) {
        const int rows = std::min(range.Rows(), ExcelMessageImport::kMaxImportRows);
        const int total = static_cast<int>(numberColumns.size()) * rows;
        if (observer)
            observer->Started(total);
        int counter = 0;
        QString message;
        QString number;
        for (int column : numberColumns) {
            for (int row = 1; row <= rows && status; ++row) {
                ++counter;
                status = Compose(messageTemplate, range, row, &message);
                if (status)
                    status = range.CellText(row, column, &number);
                if (!status)
                    break;
                const NumberCheckResult check =
                    list.AddNumber(outcome.added, number, ExcelMessageImport::Stored(message), QString(), options);
                if (check.Ok())
                    ++outcome.added;
                if (observer)
                    observer->RowRead(counter, total, check.Ok() ? check.number : number,
                                      ExcelMessageImport::Preview(message), check.Ok());
            }
            if (!status)
                break;
        }
    }
    reader.CloseWorkbook();
    outcome.status = status;
    if (status.Ok() && outcome.added == 0)
        outcome.refusal = ContactTextImport::kNothingAdded;
    return outcome;
}
