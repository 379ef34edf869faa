#include "exclusion/ExclusionExport.h"

#include "app/Prompter.h"
#include "app/ReportFile.h"
#include "common/AnsiCodec.h"
#include "records/SpreadsheetExport.h"

namespace {

// Windows-1252 bytes, one per character; a character outside the code page (a surrogate pair counts as one)
// becomes '#', as the text file class writes 8-bit text.
QByteArray AnsiBytes(const QString& text) {
    const QString composed = text.normalized(QString::NormalizationForm_C);
    QByteArray out;
    out.reserve(composed.size());
    for (qsizetype i = 0; i < composed.size(); ++i) {
        qsizetype length = 1;
        if (composed[i].isHighSurrogate() && i + 1 < composed.size() && composed[i + 1].isLowSurrogate())
            length = 2;
        const QString one = composed.mid(i, length);
        i += length - 1;
        out.append(AnsiCodec::CanEncode(one) ? AnsiCodec::Encode(one) : QByteArray("#"));
    }
    return out;
}

} // namespace

QByteArray ExclusionExport::Report(const QStringList& numbers) {
    const QString eol = QStringLiteral("\r\n");
    const QString rule(132, QLatin1Char('='));
    QString text = rule + eol;
    text += QStringLiteral("\t\t\t\t[ Bulk SMS - Exclusion Number List ]") + eol + eol;
    text += rule + eol + eol;
    for (const QString& number : numbers)
        text += number + eol;
    text += eol;
    return AnsiBytes(text);
}

ExclusionExport::Result ExclusionExport::Write(const QStringList& numbers, const QString& path, Format format,
                                               Prompter& prompter) {
    Result result;
    if (numbers.isEmpty()) {
        result.outcome = Result::Outcome::EmptyList;
        result.message = kEmptyList;
        return result;
    }
    if (format == Format::Xls || format == Format::Xlsx) {
        qsizetype next = 0;
        const SpreadsheetExport::Result written = SpreadsheetExport(prompter).Export(
            SpreadsheetExportTable::ExclusionList(),
            [&numbers, &next](QStringList* row) {
                if (next >= numbers.size())
                    return false;
                *row = QStringList{numbers.at(next++)};
                return true;
            },
            SpreadsheetExport::Filter::All, path,
            format == Format::Xls ? SpreadsheetExport::Format::Xls : SpreadsheetExport::Format::Xlsx);
        result.rowsWritten = written.rowsWritten;
        result.message = written.Ok() ? kExported : written.message;
        if (written.outcome == SpreadsheetExport::Result::Outcome::FileNotWritable)
            result.outcome = Result::Outcome::FileNotWritable;
        else if (written.outcome == SpreadsheetExport::Result::Outcome::WriteFailed)
            result.outcome = Result::Outcome::WriteFailed;
        return result;
    }
    const ReportFile::WriteResult written = ReportFile::Replace(path, Report(numbers));
    switch (written.outcome) {
    case ReportFile::WriteResult::Outcome::Written:
        result.message = kExported;
        result.rowsWritten = numbers.size();
        break;
    case ReportFile::WriteResult::Outcome::NotWritable:
        result.outcome = Result::Outcome::FileNotWritable;
        result.message = written.message;
        break;
    case ReportFile::WriteResult::Outcome::Failed:
        result.outcome = Result::Outcome::WriteFailed;
        result.message = written.message;
        break;
    }
    return result;
}

std::optional<ExclusionExport::Format> ExclusionExport::FormatOfFilterIndex(int index) {
    switch (index) {
    case 0:
        return Format::Xls;
    case 1:
        return Format::Xlsx;
    case 2:
        return Format::Text;
    default:
        return std::nullopt;
    }
}

QString ExclusionExport::PathWithExtension(const QString& path, Format format) {
    switch (format) {
    case Format::Xls:
        return ReportFile::PathWithExtension(path, u"xls");
    case Format::Xlsx:
        return ReportFile::PathWithExtension(path, u"xlsx");
    case Format::Text:
        return ReportFile::PathWithExtension(path, u"txt");
    }
    return path;
}
