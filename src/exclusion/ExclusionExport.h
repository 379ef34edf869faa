#pragma once

#include "records/ExportResult.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

class Prompter;

// "Export Number" of the exclusion list wizard: the numbers in list order to an .xls or .xlsx table (one
// column "Exclusion Number"), or to a text report: 8-bit text in the program's ANSI code page (Windows-1252; a
// character with no byte there becomes '#'), CR LF line ends. Report() is a pure function; Write() puts the
// file at a path, replacing an earlier file only once the new one is complete.
class ExclusionExport {
public:
    // In the order of the save dialog's filter (kFileDialogFilter).
    using Format = ExportFormat;

    using Result = ExportResult;

    static QByteArray Report(const QStringList& numbers);

    // Writes the numbers in the format. The spreadsheet formats put their sheet-capacity question (more than
    // 65,535 rows in an .xls sheet) through the prompter; the text report never asks anything.
    [[nodiscard]] static Result Write(const QStringList& numbers, const QString& path, Format format,
                                      Prompter& prompter);

    // The format of the save dialog's filter at `index` (0 .xls, 1 .xlsx, 2 .txt); nullopt otherwise.
    static std::optional<Format> FormatOfFilterIndex(int index);
    // The path with the format's extension added unless it already ends so (any letter case).
    static QString PathWithExtension(const QString& path, Format format);

    static inline const QString kFileDialogFilter =
        QStringLiteral("Excel(97-2003) Files(*.xls)|*.xls|Excel Files(*.xlsx)|*.xlsx|Text Files(*.txt)|*.txt||");

    static inline const QString kEmptyList = QStringLiteral("Exclusion number list is empty.");
    static inline const QString kExported = QStringLiteral("Exclusion Number List has been exported successfully.");
    static inline const QString kWriteError =
        QStringLiteral("Error in file.\n\nOR\n\nThere is not enough space on the disk.");
};
