#pragma once

#include "records/ExportResult.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

class Prompter;

// "Export Templates" of the templates window: the list in list order to an .xls or .xlsx table (one column
// "Template Message"), or to a text or HTML report (UTF-16LE with FF FE, rows numbered from 1). The report
// writers are pure functions; Write() puts the file at a path, replacing an earlier file only once the new one
// is complete.
class TemplateExport {
public:
    // In the order of the save dialog's filter (kFileDialogFilter).
    using Format = ExportFormat;

    using Result = ExportResult;

    static QByteArray TextReport(const QStringList& templates);
    static QByteArray HtmlReport(const QStringList& templates);

    // Writes the templates in the format. The spreadsheet formats put their sheet-capacity question (more than
    // 65,535 rows in an .xls sheet) through the prompter; the reports never ask anything.
    [[nodiscard]] static Result Write(const QStringList& templates, const QString& path, Format format,
                                      Prompter& prompter);

    // The format of the save dialog's filter at `index` (0 .xls, 1 .xlsx, 2 .txt, 3 .html); nullopt otherwise.
    static std::optional<Format> FormatOfFilterIndex(int index);
    // The path with the format's extension added unless it already ends so (any letter case).
    static QString PathWithExtension(const QString& path, Format format);

    static inline const QString kFileDialogFilter =
        QStringLiteral("Excel(97-2003) Files(*.xls)|*.xls|Excel Files(*.xlsx)|*.xlsx|Text Files(*.txt)|*.txt|Html "
                       "Files(*.html)|*.html||");
    static inline const QString kEmptyList = QStringLiteral("Template list is empty.");
    static inline const QString kExported = QStringLiteral("Template Message List has been exported successfully.");
    static inline const QString kWriteError =
        QStringLiteral("Error in file.\n\nOR\n\nThere is not enough space on the disk.");
};
