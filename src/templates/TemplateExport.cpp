#include "templates/TemplateExport.h"

#include "app/CStdioFileEx.h"
#include "app/FileException.h"

#include <QFileInfo>
#include <QtEndian>

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

QByteArray Utf16LeWithBom(const QString& text) {
    QByteArray bytes;
    bytes.reserve(2 + text.size() * 2);
    bytes.append('\xFF').append('\xFE');
    for (const QChar c : text) {
        const char16_t unit = qToLittleEndian(c.unicode());
        bytes.append(reinterpret_cast<const char*>(&unit), 2);
    }
    return bytes;
}

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
    return Utf16LeWithBom(text);
}

QByteArray TemplateExport::HtmlReport(const QStringList& templates) {
    QString html = kHtmlHead;
    qsizetype serial = 0;
    for (const QString& t : templates) {
        QString message = EscapeHtml(t);
        message.replace(QLatin1Char('\n'), QLatin1String("<br>"));
        message.replace(QLatin1Char(' '), QLatin1String("&nbsp;"));
        html += QStringLiteral("<br>S.No. : ") + QString::number(++serial) + QStringLiteral("<br>---------<br>") +
                QStringLiteral("Message&nbsp;&nbsp;&nbsp;:&nbsp;&nbsp;") + message + QStringLiteral("<br>");
    }
    html += QStringLiteral("<br>");
    return Utf16LeWithBom(html);
}

TemplateExport::Result TemplateExport::Write(const QStringList& templates, const QString& path, Format format) {
    Result result;
    if (templates.isEmpty()) {
        result.outcome = Result::Outcome::EmptyList;
        result.message = kEmptyList;
        return result;
    }
    FileError error;
    if (QFileInfo::exists(path)) {
        CStdioFileEx probe;
        if (!probe.Open(path, CStdioFileEx::kModeReadWrite, &error)) {
            result.outcome = Result::Outcome::FileNotWritable;
            result.message = FileErrorText(error);
            return result;
        }
        probe.Abort();
    }
    const QByteArray bytes = format == Format::Text ? TextReport(templates) : HtmlReport(templates);
    CStdioFileEx file;
    if (!file.Open(path,
                   CStdioFileEx::kModeCreate | CStdioFileEx::kModeWrite | CStdioFileEx::kTypeBinary |
                       CStdioFileEx::kModeAtomicRewrite,
                   &error)) {
        result.outcome = Result::Outcome::FileNotWritable;
        result.message = FileErrorText(error);
        return result;
    }
    try {
        file.Write(bytes.constData(), bytes.size());
        file.Close();
    } catch (const FileException&) {
        file.Abort();
        result.outcome = Result::Outcome::WriteFailed;
        result.message = kWriteError;
        return result;
    }
    result.message = kExported;
    return result;
}

QString TemplateExport::EscapeHtml(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        default:
            out += c;
        }
    }
    return out;
}
