#pragma once

#include "composer/ExcelMessageImport.h"
#include "excel_import/ReaderLimits.h"
#include "excel_import/ReaderStatus.h"

#include <QList>
#include <QString>

class RecipientList;
class SheetData;
struct NumberCheckOptions;

// The "Dynamic message" import of the Excel import wizard: one template with "<COL-n>" placeholders gives
// each sheet row its personalised message, and each checked number column of the row one recipient with that
// message. Recipients are inserted from the top (0, 1, 2 ...) by number column first, then by row, through
// the number check, with messages cut to 1,600 characters; progress as for the number and message import.
class DynamicMessageImport {
public:
    // The personalised message of row `row` (1-based in the used range): with K = min(column count, 10), for
    // k = 1..10 and within it j = 0..K-1, every "<COL-(k+j)>" is replaced by the text of the row's cell in that
    // column, in that order. So placeholders for columns 1 to 9 + K are filled (with the empty text beyond the
    // used range), higher ones stay as typed, lower-case ones are not placeholders, and a placeholder that a
    // cell's text brings in is filled by a later step. Only cells whose placeholder is in the text are read; a
    // cell holding an error value fails with AutomationError.
    static ReaderStatus Compose(const QString& messageTemplate, const SheetData& range, int row, QString* message);

    // numberColumns: the checked entries of the number-column selection, in column order (1-based). Reads
    // rows 1 to min(rows, 50,000) of the sheet for each of them; the observer sees the total (number columns
    // times rows) and a running record count. Rows taken before a reader failure stay in the list.
    static ExcelMessageImport::Outcome Import(const QString& path, int sheet, const QList<int>& numberColumns,
                                              const QString& messageTemplate, RecipientList& list,
                                              const NumberCheckOptions& options,
                                              ExcelMessageImport::Observer* observer = nullptr,
                                              const ReaderLimits& limits = ReaderLimits());
};
