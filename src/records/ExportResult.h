#pragma once

#include "records/SpreadsheetExport.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

class Prompter;

// The file kinds a list can be exported to.
enum class ExportFormat { Xls, Xlsx, Text, Html };

// The path with the format's extension (".xls", ".xlsx", ".txt", ".html") added unless it already ends so,
// compared without regard to case.
QString PathWithExportExtension(const QString& path, ExportFormat format);
// The format at `index` of a save dialog whose filter lists the first `count` formats in the enum's order
// (.xls, .xlsx, .txt, .html); nullopt outside them.
std::optional<ExportFormat> ExportFormatOfFilterIndex(int index, int count);
// The spreadsheet kind of Xls or Xlsx.
SpreadsheetExport::Format SpreadsheetFormatOf(ExportFormat format);

// How an export of one of the program's lists to a file ended, and the message its window shows for it.
struct ExportResult {
    enum class Outcome {
        Written,         // message is the caller's success text
        EmptyList,       // nothing to export; message is the caller's empty-list text, no file written
        NoRecords,       // nothing passed the caller's selection; no file written
        FileNotWritable, // the target exists and cannot be written: its file error text
        WriteFailed      // writing failed: "Error in file. ... not enough space on the disk."
    };
    Outcome outcome = Outcome::Written;
    QString message;
    qint64 rowsWritten = 0;

    bool Ok() const { return outcome == Outcome::Written; }

    // An export that ends before writing anything.
    static ExportResult Refused(Outcome outcome, const QString& message);
    // Puts a text or HTML report of `rows` rows at the path (the target is replaced only by a complete file).
    static ExportResult WriteReport(const QString& path, const QByteArray& bytes, qint64 rows,
                                    const QString& successText);
    // A one-column table of the values, in order, as an .xls or .xlsx workbook (the sheet-capacity question
    // of .xls goes through the prompter).
    static ExportResult WriteColumn(Prompter& prompter, const SpreadsheetExportTable& table, const QStringList& values,
                                    const QString& path, SpreadsheetExport::Format format, const QString& successText);
    // What a spreadsheet export ended with.
    static ExportResult FromSpreadsheet(const SpreadsheetExport::Result& written, const QString& successText);
};
