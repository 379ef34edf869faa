#pragma once

#include "excel_import/ExcelInfoController.h"
#include "excel_import/ReaderLimits.h"
#include "excel_import/ReaderStatus.h"

#include <QString>

class RecipientList;
struct NumberCheckOptions;

// "Load Contacts From File" for workbooks: the sheet and the columns chosen in the picker
// (ExcelInfoController::Choice) give number texts, columns left to right, each from the used range's first row
// to its last (a header row is not skipped; its texts fail the number check). Every non-empty text goes
// through the number check silently, and the accepted numbers are inserted at positions 0, 1, 2 ... with the
// composer text as their message, ahead of the rows already there.
namespace ContactWorkbookImport {

struct Outcome {
    int added = 0;
    ReaderStatus status; // the reader's failure, which ends the import (shown with ReaderStatus::Report)
    QString refusal;     // ContactTextImport::kNothingAdded when the read succeeded and added nothing
    QStringList impossible; // numbers taken that are impossible for the list's default country
};

// Reads the numbers and inserts the accepted ones. Numbers read before a reader failure are inserted too.
Outcome Import(const QString& path, const ExcelInfoController::Choice& choice, RecipientList& list,
               const QString& composerText, const NumberCheckOptions& options,
               const ReaderLimits& limits = ReaderLimits());

} // namespace ContactWorkbookImport
