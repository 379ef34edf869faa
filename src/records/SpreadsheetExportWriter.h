#pragma once

#include <QString>
#include <QStringList>

// Writes one workbook, sheet after sheet and row after row, to a file named when the writer is made. Every
// cell is a text cell. Rows go to disk as they come, so memory stays flat however many rows are written.
class SpreadsheetExportWriter {
public:
    virtual ~SpreadsheetExportWriter() = default;

    // Starts a sheet with this name and writes its heading row.
    virtual bool StartSheet(const QString& name, const QStringList& headings) = 0;
    // One data row of the current sheet.
    virtual bool AddRow(const QStringList& cells) = 0;
    // Completes the file. After a false from any call the file is unusable and the writer is finished.
    virtual bool Finish() = 0;
    // What went wrong (for diagnostics; users see the export's own message).
    virtual QString Error() const = 0;

    // Excel keeps at most this many characters in a cell; longer texts are cut there (never inside a
    // surrogate pair).
    static constexpr qsizetype kMaxCellChars = 32767;
    static QString CellText(const QString& text) {
        if (text.size() <= kMaxCellChars)
            return text;
        qsizetype n = kMaxCellChars;
        if (text.at(n - 1).isHighSurrogate())
            --n;
        return text.left(n);
    }
};
