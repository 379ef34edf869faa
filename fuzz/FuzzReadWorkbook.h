#pragma once

// What both workbook reader targets do with a workbook that opened: every sheet's name, used range, cells (and
// the cells just outside the range) and column names, trapping on any answer that contradicts another.

#include "excel_import/WorkbookReader.h"

#include <QList>
#include <QString>

#include <algorithm>

inline void ReadEverything(WorkbookReader& reader) {
    for (int sheet = 1; sheet <= reader.SheetCount(); ++sheet) {
        (void)reader.SheetName(sheet);
        if (!reader.SelectSheet(sheet))
            continue;
        SheetData data;
        const ReaderStatus status = reader.GetUsedRange(&data);
        if (!status) {
            if (status.error == ReaderError::SheetEmpty && (data.Rows() != 0 || data.Columns() != 0))
                __builtin_trap();
            continue;
        }
        if (data.Rows() < 1 || data.Columns() < 1)
            __builtin_trap();
        QString text;
        for (int r = 0; r <= std::min(data.Rows(), 200) + 1; ++r) {
            for (int c = 0; c <= std::min(data.Columns(), 20) + 1; ++c) {
                const CellValue value = data.Cell(r, c);
                const ReaderStatus cell = reader.CellText(r, c, &text);
                if (cell.Ok() == value.IsError() || (!cell.Ok() && !text.isEmpty()))
                    __builtin_trap(); // error cells, and only they, refuse their text
                if ((r == 0 || c == 0 || r > data.Rows() || c > data.Columns()) && value.kind != CellValue::Kind::Empty)
                    __builtin_trap();
            }
        }
        QList<WorkbookReader::ColumnName> names;
        (void)reader.ColumnNames(WorkbookReader::kNoLimit, &names);
    }
}
