#pragma once

#include <QString>

// Why a workbook could not be read. None is success; the others are the failure kinds the callers show.
enum class ReaderError {
    None,
    ExcelMissing,   // no reader for workbooks is available (never the case with the built-in readers)
    OpenFailed,     // the file is missing, unreadable, or not a workbook
    SheetFailed,    // the sheet does not exist or is not a worksheet (a chart sheet, say)
    RangeFailed,    // the sheet's cells could not be sized
    SheetEmpty,     // the sheet holds no value; a notice, not an error box
    AutomationError // the read itself failed: a password, a damaged part, an error value in a cell
};

// The fixed message of each kind ("Failed to open Excel file!", ...); empty for None.
QString ReaderErrorMessage(ReaderError error);
