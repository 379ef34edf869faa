#pragma once

#include "excel_import/ReaderLimits.h"
#include "excel_import/WorkbookSource.h"

#include <QByteArray>

#include <memory>
#include <vector>

// Reads an Excel 97-2003 workbook: the BIFF8 "Workbook" stream of a compound file (MS-XLS). The workbook
// globals give the sheets (BOUNDSHEET), the shared strings (SST), the date system and the cell formats that
// show dates; one sheet's substream gives its values: LABELSST, LABEL, RSTRING, NUMBER, RK, MULRK, BOOLERR,
// and FORMULA with its cached result (a string result in the STRING record after it).
class XlsSource : public WorkbookSource {
public:
    // Takes the Workbook stream. AutomationError for a workbook protected by a password (FILEPASS),
    // OpenFailed for one that is not BIFF8 or whose globals are damaged.
    static ReaderStatus Open(QByteArray workbookStream, const ReaderLimits& limits,
                             std::unique_ptr<WorkbookSource>* source);

    int SheetCount() const override { return static_cast<int>(m_sheets.size()); }
    QString SheetName(int index) const override { return m_sheets.at(static_cast<std::size_t>(index)).name; }
    SheetKind Kind(int index) const override { return m_sheets.at(static_cast<std::size_t>(index)).kind; }
    ReaderStatus LoadSheet(int index, std::shared_ptr<SheetCells>* cells) override;

private:
    struct Sheet {
        QString name;
        SheetKind kind = SheetKind::Other;
        std::size_t offset = 0; // stream position of the sheet's BOF record
    };

    explicit XlsSource(const ReaderLimits& limits) : m_limits(limits) {}
    ReaderStatus ReadGlobals();
    bool IsDateFormat(std::uint16_t xfIndex) const { return xfIndex < m_dateFormats.size() && m_dateFormats[xfIndex]; }

    ReaderLimits m_limits;
    QByteArray m_stream;
    std::vector<Sheet> m_sheets;
    std::shared_ptr<std::vector<QString>> m_sharedStrings;
    std::vector<bool> m_dateFormats; // per XF index
    bool m_date1904 = false;
};
