#include "exclusion/ExclusionExport.h"

#include "app/CStdioFileEx.h"
#include "app/Prompter.h"
#include "app/ReportFile.h"
#include "records/ExportResult.h"

QByteArray ExclusionExport::Report(const QStringList& numbers) {
    const QString eol = QStringLiteral("\r\n");
    const QString rule(132, QLatin1Char('='));
    QString text = rule + eol;
    text += QStringLiteral("\t\t\t\t[ Bulk SMS - Exclusion Number List ]") + eol + eol;
    text += rule + eol + eol;
    for (const QString& number : numbers)
        text += number + eol;
    text += eol;
    return CStdioFileEx::EncodeIn(CStdioFileEx::kCodePageAnsi, text);
}

ExportResult ExclusionExport::Write(const QStringList& numbers, const QString& path, Format format,
                                    Prompter& prompter) {
    if (numbers.isEmpty())
        return ExportResult::Refused(ExportResult::Outcome::EmptyList, kEmptyList);
    if (format == Format::Text || format == Format::Html) // the wizard has no HTML report
        return ExportResult::WriteReport(path, Report(numbers), numbers.size(), kExported);
    return ExportResult::WriteColumn(prompter, SpreadsheetExportTable::ExclusionList(), numbers, path,
                                     SpreadsheetFormatOf(format), kExported);
}

std::optional<ExclusionExport::Format> ExclusionExport::FormatOfFilterIndex(int index) {
    return ExportFormatOfFilterIndex(index, 3);
}

QString ExclusionExport::PathWithExtension(const QString& path, Format format) {
    return PathWithExportExtension(path, format);
}
