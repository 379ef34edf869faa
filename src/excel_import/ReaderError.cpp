#include "excel_import/ReaderError.h"

QString ReaderErrorMessage(ReaderError error) {
    switch (error) {
    case ReaderError::None:
        return {};
    case ReaderError::ExcelMissing:
        return QStringLiteral("Microsoft Excel must be installed to use this feature.");
    case ReaderError::OpenFailed:
        return QStringLiteral("Failed to open Excel file!");
    case ReaderError::SheetFailed:
        return QStringLiteral("Failed to get Excel Worksheet!");
    case ReaderError::RangeFailed:
        return QStringLiteral("Failed to get header cell range!");
    case ReaderError::SheetEmpty:
        return QStringLiteral("Excel sheet is empty.");
    case ReaderError::AutomationError:
        return QStringLiteral("Excel Error : File reading process is discarded.");
    }
    return {};
}
