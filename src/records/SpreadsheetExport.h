#pragma once

#include "records/SpreadsheetExportTable.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class Prompter;

// Writes one table (a column set and rows of texts) to an Excel 97-2003 workbook (.xls) or an Excel workbook
// (.xlsx): sheet "Sheet1" with the heading row from the column set, then one row per exported row, every cell
// a text cell. An .xls sheet holds 65,535 rows under its heading; when more remain, the user is asked once
// (kSplitQuestion, through the Prompter) whether to go on, and "Sheet2", "Sheet3", ... take the rest, each with
// its heading row. Every export of the program goes through here; callers differ in their column set
// (SpreadsheetExportTable) and the rows they pass.
//
// The file is written beside its target and renamed over it at the end, so a failed export leaves any earlier
// file of that name as it was.
class SpreadsheetExport {
public:
    enum class Format { Xls, Xlsx };
    // Which rows pass: every row ("ALL"), rows whose status is a success ("SUC"), rows whose status contains
    // "Error" ("FAL").
    enum class Filter { All, Successful, Failed };

    struct Result {
        enum class Outcome {
            Written,         // the file is complete (also when the user declined the next sheet)
            FileNotWritable, // the target exists and cannot be written; message is its file error text
            WriteFailed      // writing failed; message is kWriteError
        };
        Outcome outcome = Outcome::Written;
        QString message;        // what the caller shows (caption "Message") when the export failed
        qint64 rowsWritten = 0; // data rows, heading rows not counted
        int sheets = 0;
        bool declinedNextSheet = false; // the user answered No to kSplitQuestion
        QString detail;                 // the writer's own account of a failure, for diagnostics

        bool Ok() const { return outcome == Outcome::Written; }
    };

    // Gives the next row and true, or false when there is none.
    using RowSource = std::function<bool(QStringList* row)>;

    static constexpr qint64 kXlsRowsPerSheet = 65535;
    static constexpr qint64 kXlsxRowsPerSheet = 1048575;
    static inline const QString kFileDialogFilter =
        QStringLiteral("Excel(97-2003) Files(*.xls)|*.xls|Excel Files(*.xlsx)|*.xlsx||");
    static inline const QString kSplitQuestion =
        QStringLiteral("Number of rows in table is greater than the capacity of MS Excel worksheet so remaining rows "
                       "convert in new worksheet of same MS Excel File.\n\nAre you sure you want to continue?");
    static inline const QString kWriteError =
        QStringLiteral("Error in file.\n\nOR\n\nThere is not enough space on the disk.");

    explicit SpreadsheetExport(Prompter& prompter) : m_prompter(prompter) {}

    [[nodiscard]] Result Export(const SpreadsheetExportTable& table, const RowSource& rows, Filter filter,
                                const QString& path, Format format) const;
    [[nodiscard]] Result Export(const SpreadsheetExportTable& table, const QList<QStringList>& rows, Filter filter,
                                const QString& path, Format format) const;

    // The format of the file dialog's filter (0: .xls, 1: .xlsx).
    static Format FormatOfFilterIndex(int index) { return index == 1 ? Format::Xlsx : Format::Xls; }
    // The path with ".xls" or ".xlsx" added unless it already ends so (compared without regard to case).
    static QString PathWithExtension(const QString& path, Format format);
    // "ALL", "SUC", "FAL"; nullopt for any other code.
    static std::optional<Filter> FilterFromCode(const QString& code);
    // The filter's rule over a Status text: "SUC" takes only the two sent texts, "FAL" every failure
    // (ResultText); "Skipped.", "Excluded." and "Stopped" rows pass only "ALL".
    static bool Passes(Filter filter, const QString& status);
    // "Sheet1", "Sheet2", ...
    static QString SheetName(int number) { return QStringLiteral("Sheet%1").arg(number); }

private:
    Prompter& m_prompter;
};
