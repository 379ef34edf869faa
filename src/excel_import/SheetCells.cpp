#include "excel_import/SheetCells.h"

#include "excel_import/CellTextFormat.h"

#include <algorithm>
#include <bit>

SheetCells::SheetCells(std::shared_ptr<const std::vector<QString>> sharedStrings, bool date1904, std::size_t maxCells)
    : m_shared(std::move(sharedStrings)), m_date1904(date1904), m_maxCells(maxCells) {}

bool SheetCells::Add(std::uint32_t row, std::uint32_t column, Kind kind, std::uint64_t payload) {
    if (row >= kMaxRows || column >= kMaxColumns || m_cells.size() >= m_maxCells)
        return false;
    m_cells.push_back({row, static_cast<std::uint16_t>(column), kind, 0, payload});
    return true;
}

bool SheetCells::AddSharedText(std::uint32_t row, std::uint32_t column, std::uint32_t index) {
    if (index >= SharedStringCount())
        return false;
    return Add(row, column, Kind::SharedText, index);
}

bool SheetCells::AddText(std::uint32_t row, std::uint32_t column, QString text) {
    if (!Add(row, column, Kind::LocalText, m_local.size()))
        return false;
    m_local.push_back(std::move(text));
    return true;
}

bool SheetCells::AddNumber(std::uint32_t row, std::uint32_t column, double value, bool isDate) {
    return Add(row, column, isDate ? Kind::Date : Kind::Number, std::bit_cast<std::uint64_t>(value));
}

bool SheetCells::AddBoolean(std::uint32_t row, std::uint32_t column, bool value) {
    return Add(row, column, value ? Kind::True : Kind::False, 0);
}

bool SheetCells::AddError(std::uint32_t row, std::uint32_t column, QString code) {
    if (!Add(row, column, Kind::Error, m_local.size()))
        return false;
    m_local.push_back(std::move(code));
    return true;
}

void SheetCells::Finish() {
    const auto before = [](const Cell& a, const Cell& b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    };
    // Producers write cells in order; sort only when one did not. Stable, so that of two values at one
    // position the later one stays last and wins below.
    if (!std::is_sorted(m_cells.begin(), m_cells.end(), before))
        std::stable_sort(m_cells.begin(), m_cells.end(), before);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_cells.size(); ++i) {
        if (i + 1 < m_cells.size() && !before(m_cells[i], m_cells[i + 1]))
            continue; // the next one has the same position
        m_cells[kept++] = m_cells[i];
    }
    m_cells.resize(kept);
    m_cells.shrink_to_fit();
    if (m_cells.empty()) {
        m_firstRow = m_firstColumn = m_rowCount = m_columnCount = 0;
        return;
    }
    std::uint32_t minColumn = kMaxColumns;
    std::uint32_t maxColumn = 0;
    for (const Cell& c : m_cells) {
        minColumn = std::min<std::uint32_t>(minColumn, c.column);
        maxColumn = std::max<std::uint32_t>(maxColumn, c.column);
    }
    m_firstRow = m_cells.front().row;
    m_rowCount = m_cells.back().row - m_firstRow + 1;
    m_firstColumn = minColumn;
    m_columnCount = maxColumn - minColumn + 1;
}

CellValue SheetCells::At(std::uint32_t row, std::uint32_t column) const {
    const auto it = std::lower_bound(m_cells.begin(), m_cells.end(), std::pair{row, column},
                                     [](const Cell& c, const std::pair<std::uint32_t, std::uint32_t>& key) {
                                         return c.row != key.first ? c.row < key.first : c.column < key.second;
                                     });
    if (it == m_cells.end() || it->row != row || it->column != column)
        return {};
    switch (it->kind) {
    case Kind::SharedText:
        return {CellValue::Kind::Text, (*m_shared)[it->payload]};
    case Kind::LocalText:
        return {CellValue::Kind::Text, m_local[it->payload]};
    case Kind::Number:
        return {CellValue::Kind::Number, CellTextFormat::Number(std::bit_cast<double>(it->payload))};
    case Kind::Date:
        return {CellValue::Kind::Number, CellTextFormat::DateTime(std::bit_cast<double>(it->payload), m_date1904)};
    case Kind::False:
        return {CellValue::Kind::Boolean, CellTextFormat::Boolean(false)};
    case Kind::True:
        return {CellValue::Kind::Boolean, CellTextFormat::Boolean(true)};
    case Kind::Error:
        return {CellValue::Kind::Error, m_local[it->payload]};
    }
    return {};
}
