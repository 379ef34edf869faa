#pragma once

#include "excel_import/ReaderLimits.h"
#include "excel_import/ReaderStatus.h"
#include "excel_import/SheetData.h"
#include "excel_import/SheetKind.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

class WorkbookSource;

// The one way the program reads .xls and .xlsx workbooks. Every caller goes: OpenWorkbook, then the sheet
// listing or SelectSheet, then GetUsedRange and cell reads, then CloseWorkbook (also after any failure; the
// destructor closes too). The file is never written. One object serves one workbook at a time and is used
// by one thread.
//
// The format is told by the file's content (a zip package or a compound file), not by its name. The reader
// is our own: failures say what is wrong with the file in ReaderStatus::detail.
class WorkbookReader {
public:
    // A column offered for selection: its number (1-based within the used range), its name from row 1, and
    // its placeholder "<COL-n>".
    struct ColumnName {
        int column = 0;
        QString name;
        QString placeholder;
        friend bool operator==(const ColumnName&, const ColumnName&) = default;
    };

    static constexpr int kNoLimit = -1;

    explicit WorkbookReader(const ReaderLimits& limits = ReaderLimits());
    ~WorkbookReader();
    WorkbookReader(const WorkbookReader&) = delete;
    WorkbookReader& operator=(const WorkbookReader&) = delete;

    // Opens the workbook read-only. OpenFailed when the file is missing or unreadable (osError says why), or
    // is not a workbook; AutomationError when it is protected by a password.
    ReaderStatus OpenWorkbook(const QString& path);
    // The same over the bytes of a workbook file (tests and fuzzing).
    ReaderStatus OpenWorkbookData(QByteArray bytes);

    // The workbook's sheets in workbook order, numbered from 1; 0 sheets while no workbook is open.
    int SheetCount() const;
    QString SheetName(int sheet) const;
    SheetKind SheetKindOf(int sheet) const;

    // Chooses sheet `sheet` (1-based). SheetFailed when there is no such sheet or it is not a worksheet (a
    // chart sheet, say).
    ReaderStatus SelectSheet(int sheet);
    // Reads the chosen sheet and gives its used range. SheetEmpty (with *data set to the empty range) when
    // the sheet holds no value; RangeFailed when no sheet is chosen; AutomationError when the sheet's data is
    // damaged or exceeds the reader's limits.
    ReaderStatus GetUsedRange(SheetData* data);
    // OpenWorkbook, SelectSheet and GetUsedRange in turn, stopping at the first failure: how every import
    // starts on a chosen sheet.
    ReaderStatus OpenSheet(const QString& path, int sheet, SheetData* data);
    // Text of one cell of the used range (row and column from 1); the empty text for an empty cell or one
    // outside the range; AutomationError for a cell holding an error value. GetUsedRange must have succeeded.
    ReaderStatus CellText(int row, int column, QString* text) const;
    // For columns 1..min(column count, limit) (every column with kNoLimit): the text of row 1, or for a header
    // that is empty after trimming "Untitled Column " and a running count of such headers; placeholders
    // "<COL-n>". AutomationError when a header cell holds an error value.
    ReaderStatus ColumnNames(int limit, QList<ColumnName>* names) const;

    // Releases the workbook and everything read from it (SheetData copies stay valid). Safe to call twice.
    void CloseWorkbook();

    // The sheet names of a workbook: OpenWorkbook, the names in order, CloseWorkbook.
    static ReaderStatus ReadSheetNames(const QString& path, QStringList* names);
    // "<COL-n>".
    static QString Placeholder(int column);

private:
    ReaderStatus OpenBytes(const char* data, std::size_t size);

    ReaderLimits m_limits;
    std::unique_ptr<WorkbookSource> m_source;
    QByteArray m_bytes;    // the workbook's bytes when opened from memory
    void* m_map = nullptr; // the mapped file
    std::size_t m_mapSize = 0;
    int m_selected = 0; // chosen sheet, 1-based; 0 for none
    SheetData m_range;
    bool m_haveRange = false;
};
