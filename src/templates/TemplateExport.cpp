#include "templates/TemplateExport.h"

#include "app/Prompter.h"
#include "app/ReportFile.h"
#include "records/ExportResult.h"

namespace {

const QString kEol = QStringLiteral("\r\n");

const QString kHtmlHead = QStringLiteral(
    "<html><head><title>Bulk SMS - Phone Messages</title><style type=text/css>Body,Td,Th{font-family:Verdana, Arial, "
    "Helvetica, sans-serif; font-size:11px}.style1 {font-size: 16px;\tfont-weight: bold;\tcolor: #FFFFFF;}.style2 "
    "{font-size: 13px;\tfont-weight: bold;\tcolor: #000000;}</style></head><body bgcolor =#f1f4fa><table width=900 "
    "border=1 align=center cellpadding=0 cellspacing=0 bordercolor=#647dbe><tr><td><table width=900 border=0 "
    "align=center cellpadding=0 cellspacing=0><tr><td height=26 colspan=2 bgcolor=#647dbe><div align=center "
    "class=style1>VRIX Bulk SMS - Template Messages</div></td></tr><tr><td height=21 colspan=2></td></tr><tr><td "
    "width=98>&nbsp;</td><td width=802><br>");

} // namespace

QByteArray TemplateExport::TextReport(const QStringList& templates) {
    const QString rule(132, QLatin1Char('='));
    QString text = rule + kEol;
    text += QStringLiteral("\t\t\t\t[ VRIX Bulk SMS - Template Messages ]") + kEol + kEol;
    text += rule + kEol + kEol;
    qsizetype serial = 0;
    for (const QString& t : templates) {
        text += kEol + QStringLiteral("S.No : ") + QString::number(++serial) + kEol + QStringLiteral("---------") +
                kEol + QStringLiteral("Message  : ") + t + kEol;
    }
    text += kEol;
    return ReportFile::Utf16LeWithBom(text);
}

QByteArray TemplateExport::HtmlReport(const QStringList& templates) {
    QString html = kHtmlHead;
    qsizetype serial = 0;
    for (const QString& t : templates) {
        html += QStringLiteral("<br>S.No. : ") + QString::number(++serial) + QStringLiteral("<br>---------<br>") +
                QStringLiteral("Message&nbsp;&nbsp;&nbsp;:&nbsp;&nbsp;") + ReportFile::HtmlMessage(t) +
                QStringLiteral("<br>");
    }
    html += QStringLiteral("<br>");
    return ReportFile::Utf16LeWithBom(html);
}

ExportResult TemplateExport::Write(const QStringList& templates, const QString& path, Format format,
                                   Prompter& prompter) {
    if (templates.isEmpty())
        return ExportResult::Refused(ExportResult::Outcome::EmptyList, kEmptyList);
    if (format == Format::Text || format == Format::Html) {
        return ExportResult::WriteReport(path, format == Format::Text ? TextReport(templates) : HtmlReport(templates),
                                         templates.size(), kExported);
    }
    return ExportResult::WriteColumn(prompter, SpreadsheetExportTable::Templates(), templates, path,
                                     SpreadsheetFormatOf(format), kExported);
}

std::optional<TemplateExport::Format> TemplateExport::FormatOfFilterIndex(int index) {
    return ExportFormatOfFilterIndex(index, 4);
}

QString TemplateExport::PathWithExtension(const QString& path, Format format) {
    return PathWithExportExtension(path, format);
}
