#pragma once

#include "records/SpreadsheetExportWriter.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <vector>

// Writes an Excel 97-2003 workbook: a BIFF8 "Workbook" stream (MS-XLS) in a compound file. Every cell is a
// text cell (LABELSST with a cell format showing text, "@"), so "0044..." and 20-digit numbers keep every
// character.
//
// Memory stays flat in the row count: cell records and new shared strings go to two scratch files (created in
// scratchDirectory and removed at once, so they vanish with the process); Finish writes the globals with the
// string table, copies the cell records after them and wraps the stream in its compound file. Texts repeated
// down a column (a status, one message for everyone) are stored once while a bounded cache remembers them.
class Biff8Writer : public SpreadsheetExportWriter {
public:
    // Rows of a sheet, the heading row included.
    static constexpr std::uint32_t kMaxRows = 65536;
    static constexpr std::uint32_t kMaxColumns = 256;

    Biff8Writer(QString path, QString scratchDirectory);
    ~Biff8Writer() override;
    Biff8Writer(const Biff8Writer&) = delete;
    Biff8Writer& operator=(const Biff8Writer&) = delete;

    bool StartSheet(const QString& name, const QStringList& headings) override;
    bool AddRow(const QStringList& cells) override;
    bool Finish() override;
    QString Error() const override { return m_error; }

private:
    struct Sheet {
        QString name;
        std::uint64_t offset = 0;       // of its BOF in the cell scratch file
        std::uint64_t dimensionsAt = 0; // of its DIMENSIONS record there
        std::uint32_t rows = 0;
        std::uint32_t columns = 0;
    };

    bool Fail(const QString& why);
    bool FailErrno(const QString& what);
    bool WriteRow(const QStringList& cells);
    bool EndSheet();
    std::uint32_t StringIndex(const QString& text); // UINT32_MAX when writing the string failed
    bool WriteWorkbook(std::FILE* out);

    QString m_path;
    std::FILE* m_cells = nullptr;
    std::FILE* m_strings = nullptr;
    std::vector<Sheet> m_sheets;
    bool m_inSheet = false;
    bool m_done = false;
    QString m_error;
    std::uint32_t m_stringCount = 0; // unique strings written
    std::uint32_t m_cellCount = 0;   // LABELSST records written
    QHash<QString, std::uint32_t> m_recent;
    qsizetype m_recentChars = 0;
};
