#include "records/ExportResult.h"

#include "app/Prompter.h"
#include "app/ReportFile.h"

QString PathWithExportExtension(const QString& path, ExportFormat format) {
    switch (format) {
    case ExportFormat::Xls:
        return ReportFile::PathWithExtension(path, u"xls");
    case ExportFormat::Xlsx:
        return ReportFile::PathWithExtension(path, u"xlsx");
    case ExportFormat::Text:
        return ReportFile::PathWithExtension(path, u"txt");
    case ExportFormat::Html:
        return ReportFile::PathWithExtension(path, u"html");
    }
    return path;
}

std::optional<ExportFormat> ExportFormatOfFilterIndex(int index, int count) {
    if (index < 0 || index >= count || index > static_cast<int>(ExportFormat::Html))
        return std::nullopt;
    return static_cast<ExportFormat>(index);
}

SpreadsheetExport::Format SpreadsheetFormatOf(ExportFormat format) {
    return format == ExportFormat::Xlsx ? SpreadsheetExport::Format::Xlsx : SpreadsheetExport::Format::Xls;
}

ExportResult ExportResult::Refused(Outcome outcome, const QString& message) {
    ExportResult result;
    result.outcome = outcome;
    result.message = message;
    return result;
}

ExportResult ExportResult::WriteReport(const QString& path, const QByteArray& bytes, qint64 rows,
                                       const QString& successText) {
    const ReportFile::WriteResult written = ReportFile::Replace(path, bytes);
    switch (written.outcome) {
    case ReportFile::WriteResult::Outcome::Written:
        break;
    case ReportFile::WriteResult::Outcome::NotWritable:
        return Refused(Outcome::FileNotWritable, written.message);
    case ReportFile::WriteResult::Outcome::Failed:
        return Refused(Outcome::WriteFailed, written.message);
    }
    ExportResult result;
    result.message = successText;
    result.rowsWritten = rows;
    return result;
}

ExportResult ExportResult::WriteColumn(Prompter& prompter, const SpreadsheetExportTable& table,
                                       const QStringList& values, const QString& path, SpreadsheetExport::Format format,
                                       const QString& successText) {
    qsizetype next = 0;
    const SpreadsheetExport::RowSource rows = [&values, &next](QStringList* row) {
        if (next >= values.size())
            return false;
        *row = QStringList{values.at(next++)};
        return true;
    };
    return FromSpreadsheet(
        SpreadsheetExport(prompter).Export(table, rows, SpreadsheetExport::Filter::All, path, format), successText);
}

ExportResult ExportResult::FromSpreadsheet(const SpreadsheetExport::Result& written, const QString& successText) {
    ExportResult result;
    result.rowsWritten = written.rowsWritten;
    switch (written.outcome) {
    case SpreadsheetExport::Result::Outcome::Written:
        result.message = successText;
        break;
    case SpreadsheetExport::Result::Outcome::FileNotWritable:
        result.outcome = Outcome::FileNotWritable;
        result.message = written.message;
        break;
    case SpreadsheetExport::Result::Outcome::WriteFailed:
        result.outcome = Outcome::WriteFailed;
        result.message = written.message;
        break;
    }
    return result;
}
