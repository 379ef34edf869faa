#include "records/RecordReport.h"

#include "app/ReportFile.h"

namespace {

const QString kRule = QString(132, QLatin1Char('='));
const QString kEol = QStringLiteral("\r\n");

// %1 the title (twice), %2 the caption; the subtitle goes between the two parts.
const QString kHtmlHeadTemplate = QStringLiteral(
    "<html><head><title>%1</title><style type=text/css>Body,Td,Th{font-family:Verdana, Arial, "
    "Helvetica, sans-serif; font-size:11px}.style1 {font-size: 16px;font-weight: bold; color: #000000;}.style2 "
    "{font-size: 11px;font-weight: normal; color: #000000;}.style3 {font-size: 16px;font-weight: bold;\tcolor: "
    "#ffffff;\t}style4 {font-size: 12px;font-weight: bold;\tcolor: #000000;\t}.</style></head><body bgcolor "
    "=#f1f4fa><table width=1100 border=0 align=center cellpadding=0 cellspacing=0 bordercolor=#000000><tr><td align "
    "= center class= style1>%1</td></tr></table><br><table width=1100 border=0 align=center "
    "cellpadding=0 cellspacing=0 bordercolor=#000000><tr><td align = center class= style4>");
const QString kHtmlHeadEndTemplate = QStringLiteral(
    "</td></tr></table><br><br><table width=1100 border=1 align=center cellpadding=0 cellspacing=0 "
    "bordercolor=#000000><tr><th height = 30 bgcolor = #647dbe align = Left class =style3>%2</th></tr>");

} // namespace

namespace RecordReport {

QByteArray Text(const Heading& heading, const QList<Fields>& entries) {
    QString text;
    text += kRule + kEol + kEol;
    text += QStringLiteral("\t\t\t\t\t\t") + heading.title + kEol + kEol;
    if (!heading.subtitle.isEmpty())
        text += QStringLiteral("\t\t\t\t\t    ") + heading.subtitle + kEol + kEol;
    text += kRule + kEol;
    qsizetype serial = 0;
    for (const Fields& fields : entries) {
        text += QStringLiteral("S.No.\t: ") + QString::number(++serial) + kEol;
        for (const auto& [name, value] : fields)
            text += name + QStringLiteral("\t: ") + value + kEol;
        text += kRule + kEol;
    }
    return ReportFile::Utf16LeWithBom(text);
}

QByteArray Html(const Heading& heading, const QList<Fields>& entries) {
    const auto field = [](const QString& name, const QString& value) -> QString {
        return QStringLiteral("</td><tr><td width=60>") + name + QStringLiteral("</td><td>:&nbsp;&nbsp;</td><td>") +
               value;
    };
    const QString title = ReportFile::EscapeHtml(heading.title);
    QString html = kHtmlHeadTemplate.arg(title) + ReportFile::EscapeHtml(heading.subtitle) +
                   kHtmlHeadEndTemplate.arg(ReportFile::EscapeHtml(heading.caption));
    qsizetype serial = 0;
    for (const Fields& fields : entries) {
        html += QStringLiteral("<tr><td  height = 50 class = style2>");
        html +=
            QStringLiteral("<table><tr><td width=60>S.No.</td><td>:&nbsp;&nbsp;</td><td>") + QString::number(++serial);
        for (const auto& [name, value] : fields)
            html += field(name, name == QLatin1String("Message") ? ReportFile::HtmlMessage(value)
                                                                : ReportFile::EscapeHtml(value));
        html += QStringLiteral("</td></table></td></tr>");
    }
    return ReportFile::Utf16LeWithBom(html);
}

} // namespace RecordReport
