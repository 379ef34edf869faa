#pragma once

#include "excel_import/CellValue.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

// The values of one worksheet as parsed from its file, kept sparse: a sheet with a value in A1 and another in
// XFD1048576 costs two cells, not its whole rectangle. Rows and columns here are 0-based sheet positions
// (A1 = 0,0). Cells without a value (formatting only) are never added, so the used range is the smallest
// rectangle holding every value.
class SheetCells {
public:
    // The largest sheet of either format: 1,048,576 rows by 16,384 columns.
    static constexpr std::uint32_t kMaxRows = 1048576;
    static constexpr std::uint32_t kMaxColumns = 16384;

    // maxCells bounds the values kept (16 bytes each plus their texts); a sheet with more is refused rather
    // than read in part.
    SheetCells(std::shared_ptr<const std::vector<QString>> sharedStrings, bool date1904, std::size_t maxCells);

    // Each Add* returns false when the sheet already holds maxCells values or the position is outside the
    // largest sheet; the parser then refuses the sheet. A later value at the same position replaces an earlier.
    [[nodiscard]] bool AddSharedText(std::uint32_t row, std::uint32_t column, std::uint32_t index);
    [[nodiscard]] bool AddText(std::uint32_t row, std::uint32_t column, QString text);
    [[nodiscard]] bool AddNumber(std::uint32_t row, std::uint32_t column, double value, bool isDate);
    [[nodiscard]] bool AddBoolean(std::uint32_t row, std::uint32_t column, bool value);
    [[nodiscard]] bool AddError(std::uint32_t row, std::uint32_t column, QString code);

    std::size_t MaxCells() const { return m_maxCells; }
    std::size_t SharedStringCount() const { return m_shared ? m_shared->size() : 0; }

    // Sorts the values by position and computes the used range; call once after the last Add*.
    void Finish();

    bool IsEmpty() const { return m_cells.empty(); }
    // Used range: its first row and column (0-based) and its size; all 0 for an empty sheet.
    std::uint32_t FirstRow() const { return m_firstRow; }
    std::uint32_t FirstColumn() const { return m_firstColumn; }
    std::uint32_t RowCount() const { return m_rowCount; }
    std::uint32_t ColumnCount() const { return m_columnCount; }

    // The value at a 0-based sheet position; Empty where there is none.
    CellValue At(std::uint32_t row, std::uint32_t column) const;

private:
    enum class Kind : std::uint8_t { SharedText, LocalText, Number, Date, False, True, Error };
    struct Cell {
        std::uint32_t row;
        std::uint16_t column;
        Kind kind;
        std::uint8_t unused;
        std::uint64_t payload; // string index, or the bits of the number
    };
    static_assert(sizeof(Cell) == 16);

    bool Add(std::uint32_t row, std::uint32_t column, Kind kind, std::uint64_t payload);

    std::shared_ptr<const std::vector<QString>> m_shared;
    std::vector<QString> m_local;
    std::vector<Cell> m_cells;
    bool m_date1904 = false;
    std::size_t m_maxCells = 0;
    std::uint32_t m_firstRow = 0;
    std::uint32_t m_firstColumn = 0;
    std::uint32_t m_rowCount = 0;
    std::uint32_t m_columnCount = 0;
};
