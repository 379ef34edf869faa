#pragma once

#include <QString>

// What a sheet of a workbook is. Only worksheets hold cells the reader delivers.
enum class SheetKind {
    Worksheet,
    Chart, // a chart sheet
    Other  // a dialog or macro sheet
};

inline QString SheetKindName(SheetKind kind) {
    switch (kind) {
    case SheetKind::Worksheet:
        return QStringLiteral("worksheet");
    case SheetKind::Chart:
        return QStringLiteral("chart");
    case SheetKind::Other:
        return QStringLiteral("other");
    }
    return {};
}
