#pragma once

#include "excel_import/CellValue.h"
#include "excel_import/ReaderStatus.h"

#include <memory>

class SheetCells;

// One opened worksheet reduced to its used range: the smallest rectangle that holds every value. Row 1 and
// column 1 are the range's top-left cell, wherever it stands on the sheet; a sheet whose only value is in B2
// is one row by one column, and its cell (1, 1) is B2. Copies share the cells; the data stays valid after
// the workbook is closed.
class SheetData {
public:
    SheetData() = default;
    explicit SheetData(std::shared_ptr<const SheetCells> cells);

    // Size of the used range; 0 and 0 for a sheet with no value.
    int Rows() const;
    int Columns() const;
    // Where the used range starts on the sheet, 1-based (A1 is row 1, column 1); 0 for an empty sheet.
    int FirstSheetRow() const;
    int FirstSheetColumn() const;

    // The cell at a position counted from 1 within the used range; Empty outside it.
    CellValue Cell(int row, int column) const;
    // Its text: the empty text for an empty cell or one outside the range. A cell holding an error value has
    // no text: AutomationError, with the error code as the detail.
    ReaderStatus CellText(int row, int column, QString* text) const;

private:
    std::shared_ptr<const SheetCells> m_cells;
};
