#pragma once

#include "records/SpreadsheetExportWriter.h"

#include <QByteArray>

#include <vector>

struct lxw_workbook;
struct lxw_worksheet;

// Writes an Excel workbook (.xlsx) through libxlsxwriter in its constant-memory mode: each row goes to a
// scratch file in scratchDirectory as soon as the next one starts, and every cell is a text cell, so a
// leading zero or a 20-digit number keeps its characters and a text starting with "=" stays text.
class SpreadsheetExportXlsx : public SpreadsheetExportWriter {
public:
    // Rows of a sheet, the heading row included.
    static constexpr std::uint32_t kMaxRows = 1048576;

    SpreadsheetExportXlsx(QString path, QString scratchDirectory);
    ~SpreadsheetExportXlsx() override;
    SpreadsheetExportXlsx(const SpreadsheetExportXlsx&) = delete;
    SpreadsheetExportXlsx& operator=(const SpreadsheetExportXlsx&) = delete;

    bool StartSheet(const QString& name, const QStringList& headings) override;
    bool AddRow(const QStringList& cells) override;
    bool Finish() override;
    QString Error() const override { return m_error; }

    // A text as XML 1.0 can carry it in a cell: characters XML forbids (C0 controls other than tab, line
    // feed and carriage return; unpaired surrogates) as "_xHHHH_" escapes, and an "_x" that would read as
    // such an escape with its "_" escaped ("_x005F_"), the convention spreadsheet readers decode.
    static QString EscapeForXml(const QString& text);

private:
    bool Fail(const QString& why);
    bool WriteRow(const QStringList& cells);
    // libxlsxwriter does not report a failed write to its scratch files (a full disk, say): it would close a
    // workbook with rows missing. So the finished file is read back: every sheet part must pass its checksum,
    // end where a sheet ends and hold one row element per row written with text.
    bool Verify();

    QString m_path;
    QByteArray m_scratchDirectory;
    std::vector<std::uint32_t> m_rowsWithText; // per sheet, the heading row included
    lxw_workbook* m_workbook = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    std::uint32_t m_row = 0;
    bool m_done = false;
    QString m_error;
};
