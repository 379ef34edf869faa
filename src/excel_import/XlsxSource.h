#pragma once

#include "excel_import/ReaderLimits.h"
#include "excel_import/WorkbookSource.h"
#include "excel_import/XlsxPackage.h"

#include <memory>
#include <string>
#include <vector>

// Reads an .xlsx workbook (Office Open XML spreadsheet, ECMA-376): the workbook part found through the
// package relationships, its sheets in workbook order, and on demand one worksheet's cells with the shared
// strings and the cell styles that mark dates. Parts are streamed; nothing but the values is kept.
class XlsxSource : public WorkbookSource {
public:
    // Opens the package over bytes the caller keeps alive until the source is destroyed. OpenFailed when it
    // is not a spreadsheet package.
    static ReaderStatus Open(const char* data, std::size_t size, const ReaderLimits& limits,
                             std::unique_ptr<WorkbookSource>* source);

    int SheetCount() const override { return static_cast<int>(m_sheets.size()); }
    QString SheetName(int index) const override { return m_sheets.at(static_cast<std::size_t>(index)).name; }
    SheetKind Kind(int index) const override { return m_sheets.at(static_cast<std::size_t>(index)).kind; }
    ReaderStatus LoadSheet(int index, std::shared_ptr<SheetCells>* cells) override;

    // An ST_Xstring value: UTF-8 with "_xHHHH_" escapes for characters XML cannot carry ("_x000D_" for a
    // carriage return; "_x005F_" for a literal "_").
    static QString DecodeText(std::string_view utf8);
    // A cell reference "AB12" as 0-based row and column; false when it is not one within the largest sheet.
    static bool ParseCellReference(std::string_view reference, std::uint32_t* row, std::uint32_t* column);

private:
    struct Sheet {
        QString name;
        SheetKind kind = SheetKind::Other;
        std::string part; // empty when the relationship is missing
    };

    explicit XlsxSource(const ReaderLimits& limits) : m_limits(limits), m_package(limits.maxPartBytes) {}
    ReaderStatus ReadWorkbook();
    ReaderStatus LoadShared();

    ReaderLimits m_limits;
    XlsxPackage m_package;
    std::string m_workbookPart;
    std::string m_sharedStringsPart;
    std::string m_stylesPart;
    std::vector<Sheet> m_sheets;
    bool m_date1904 = false;
    bool m_sharedLoaded = false;
    std::shared_ptr<std::vector<QString>> m_sharedStrings;
    std::vector<bool> m_dateStyles; // per cell format (cellXfs) index: whether it shows a date or time
};
