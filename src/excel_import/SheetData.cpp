#include "excel_import/SheetData.h"

#include "excel_import/SheetCells.h"

SheetData::SheetData(std::shared_ptr<const SheetCells> cells) : m_cells(std::move(cells)) {}

int SheetData::Rows() const {
    return m_cells ? static_cast<int>(m_cells->RowCount()) : 0;
}

int SheetData::Columns() const {
    return m_cells ? static_cast<int>(m_cells->ColumnCount()) : 0;
}

int SheetData::FirstSheetRow() const {
    return m_cells && !m_cells->IsEmpty() ? static_cast<int>(m_cells->FirstRow()) + 1 : 0;
}

int SheetData::FirstSheetColumn() const {
    return m_cells && !m_cells->IsEmpty() ? static_cast<int>(m_cells->FirstColumn()) + 1 : 0;
}

CellValue SheetData::Cell(int row, int column) const {
    if (!m_cells || row < 1 || column < 1 || row > Rows() || column > Columns())
        return {};
    return m_cells->At(m_cells->FirstRow() + static_cast<std::uint32_t>(row - 1),
                       m_cells->FirstColumn() + static_cast<std::uint32_t>(column - 1));
}

ReaderStatus SheetData::CellText(int row, int column, QString* text) const {
    CellValue value = Cell(row, column);
    if (value.IsError()) {
        text->clear();
        return ReaderStatus::Fail(ReaderError::AutomationError,
                                  QStringLiteral("The cell holds the error value %1.").arg(value.text));
    }
    *text = std::move(value.text);
    return ReaderStatus::Success();
}
