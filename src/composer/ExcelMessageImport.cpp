#include "composer/ExcelMessageImport.h"

#include "composer/ContactTextImport.h"
#include "composer/RecipientList.h"
#include "excel_import/WorkbookReader.h"

#include <algorithm>

QString ExcelMessageImport::Preview(const QString& message) {
    return message.size() <= kPreviewChars ? message : message.left(kPreviewChars) + QStringLiteral("...");
}

QString ExcelMessageImport::Stored(const QString& message) {
    if (message.size() <= kMaxMessageChars)
        return message;
    qsizetype n = kMaxMessageChars;
    if (message.at(n - 1).isHighSurrogate())
        --n;
    return message.left(n);
}

ExcelMessageImport::Outcome ExcelMessageImport::Import(const QString& path, int sheet, int numberColumn,
                                                       int messageColumn, RecipientList& list,
                                                       const NumberCheckOptions& options, Observer* observer,
                                                       const ReaderLimits& limits) {
    Outcome outcome;
    WorkbookReader reader(limits);
    SheetData range;
    ReaderStatus status = reader.OpenSheet(path, sheet, &range);
    if (status) {
        const int total = std::min(range.Rows(), kMaxImportRows);
        if (observer)
            observer->Started(total);
        QString number;
        QString message;
        for (int row = 1; row <= total && status; ++row) {
            status = reader.CellText(row, numberColumn, &number);
            if (status)
                status = reader.CellText(row, messageColumn, &message);
            if (!status)
                break;
            const QString stored = Stored(message);
            const NumberCheckResult check = list.AddNumber(outcome.added, number, stored, QString(), options);
            if (check.Ok())
                ++outcome.added;
            if (observer)
                observer->RowRead(row, total, check.Ok() ? check.number : number, Preview(message), check.Ok());
        }
    }
    reader.CloseWorkbook();
    outcome.status = status;
    if (status.Ok() && outcome.added == 0)
        outcome.refusal = ContactTextImport::kNothingAdded;
    return outcome;
}
