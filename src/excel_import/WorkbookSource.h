#pragma once

#include "excel_import/ReaderStatus.h"
#include "excel_import/SheetKind.h"

#include <QString>

#include <memory>

class SheetCells;

// One workbook format's reader (.xlsx or .xls) over the bytes of an opened file. Sheets are counted from 0
// here, in workbook order.
class WorkbookSource {
public:
    virtual ~WorkbookSource() = default;

    virtual int SheetCount() const = 0;
    virtual QString SheetName(int index) const = 0;
    virtual SheetKind Kind(int index) const = 0;
    // Parses the values of worksheet `index`. AutomationError when its part is damaged or exceeds the
    // reader's limits.
    virtual ReaderStatus LoadSheet(int index, std::shared_ptr<SheetCells>* cells) = 0;
};
