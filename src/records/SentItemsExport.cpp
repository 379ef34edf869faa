#include "records/SentItemsExport.h"

#include "app/Prompter.h"
#include "app/ReportFile.h"

#include <algorithm>

namespace {

const QString kRule = QString(132, QLatin1Char('='));
const QString kEol = QStringLiteral("\r\n");

const QString kHtmlHead = QStringLiteral(
    "<html><head><title>[ Bulk SMS - Sent Items ]</title><style type=text/css>Body,Td,Th{font-family:Verdana, Arial, "
    "Helvetica, sans-serif; font-size:11px}.style1 {font-size: 16px;font-weight: bold; color: #000000;}.style2 "
    "{font-size: 11px;font-weight: normal; color: #000000;}.style3 {font-size: 16px;font-weight: bold;\tcolor: "
    "#ffffff;\t}style4 {font-size: 12px;font-weight: bold;\tcolor: #000000;\t}.</style></head><body bgcolor "
    "=#f1f4fa><table width=1100 border=0 align=center cellpadding=0 cellspacing=0 bordercolor=#000000><tr><td align "
    "= center class= style1>[ Bulk SMS - Sent Items ]</td></tr></table><br><table width=1100 border=0 align=center "
    "cellpadding=0 cellspacing=0 bordercolor=#000000><tr><td align = center class= style4>");
const QString kHtmlHeadEnd = QStringLiteral(
    "</td></tr></table><br><br><table width=1100 border=1 align=center cellpadding=0 cellspacing=0 "
    "bordercolor=#000000><tr><th height = 30 bgcolor = #647dbe align = Left class =style3>Sent Items:</th></tr>");

} // namespace

std::optional<QDate> SentItemsExport::ParseDate(const QString& text) {
    const QDate date = QDate::fromString(text.trimmed(), QStringLiteral("d/M/yyyy"));
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QList<SentItemRecord> SentItemsExport::Select(const QList<SentItemRecord>& records, const QDate& from, const QDate& to,
                                              SpreadsheetExport::Filter filter) {
    QList<SentItemRecord> selected;
    for (const SentItemRecord& record : records) {
        const std::optional<QDate> date = ParseDate(record.date);
        if (!date || *date < from || *date > to)
            continue;
        if (!SpreadsheetExport::Passes(filter, record.status))
            continue;
        selected.append(record);
    }
    return selected;
}

QString SentItemsExport::DurationText(const QDate& from, const QDate& to) {
    return QStringLiteral("[ Duration - ") + SentItemsStore::FormatDate(from) + QStringLiteral(" to ") +
           SentItemsStore::FormatDate(to) + QStringLiteral(" ]");
}

QByteArray SentItemsExport::TextReport(const QList<SentItemRecord>& selected, const QDate& from, const QDate& to) {
    QString text;
    text += kRule + kEol + kEol;
    text += QStringLiteral("\t\t\t\t\t\t[ Bulk SMS - Sent Items ]") + kEol + kEol;
    text += QStringLiteral("\t\t\t\t\t    ") + DurationText(from, to) + kEol + kEol;
    text += kRule + kEol;
    qsizetype serial = 0;
    for (const SentItemRecord& r : selected) {
        text += QStringLiteral("S.No.\t: ") + QString::number(++serial) + kEol;
        text += QStringLiteral("Date\t: ") + r.date + kEol;
        text += QStringLiteral("Status\t: ") + r.status + kEol;
        if (!r.delivery.isEmpty())
            text += QStringLiteral("Delivery\t: ") + r.delivery + kEol;
        text += QStringLiteral("Number\t: ") + r.number + kEol;
        text += QStringLiteral("Message\t: ") + r.message + kEol;
        text += kRule + kEol;
    }
    return ReportFile::Utf16LeWithBom(text);
}

QByteArray SentItemsExport::HtmlReport(const QList<SentItemRecord>& selected, const QDate& from, const QDate& to) {
    const auto field = [](const QString& name, const QString& value) -> QString {
        return QStringLiteral("</td><tr><td width=60>") + name + QStringLiteral("</td><td>:&nbsp;&nbsp;</td><td>") +
               value;
    };
    QString html = kHtmlHead + ReportFile::EscapeHtml(DurationText(from, to)) + kHtmlHeadEnd;
    qsizetype serial = 0;
    for (const SentItemRecord& r : selected) {
        html += QStringLiteral("<tr><td  height = 50 class = style2>");
        html +=
            QStringLiteral("<table><tr><td width=60>S.No.</td><td>:&nbsp;&nbsp;</td><td>") + QString::number(++serial);
        html += field(QStringLiteral("Date"), ReportFile::EscapeHtml(r.date));
        html += field(QStringLiteral("Status"), ReportFile::EscapeHtml(r.status));
        if (!r.delivery.isEmpty())
            html += field(QStringLiteral("Delivery"), ReportFile::EscapeHtml(r.delivery));
        html += field(QStringLiteral("Number"), ReportFile::EscapeHtml(r.number));
        html += field(QStringLiteral("Message"), ReportFile::HtmlMessage(r.message));
        html += QStringLiteral("</td></table></td></tr>");
    }
    return ReportFile::Utf16LeWithBom(html);
}

ExportResult SentItemsExport::Export(const QList<SentItemRecord>& records, const QDate& from, const QDate& to,
                                     SpreadsheetExport::Filter filter, const QString& path, Format format,
                                     Prompter& prompter) {
    if (records.isEmpty())
        return ExportResult::Refused(ExportResult::Outcome::EmptyList, kEmptyList);
    const QList<SentItemRecord> selected = Select(records, from, to, filter);
    if (selected.isEmpty())
        return ExportResult::Refused(ExportResult::Outcome::NoRecords, kNoRecords);
    if (format == Format::Text || format == Format::Html) {
        const QByteArray bytes =
            format == Format::Text ? TextReport(selected, from, to) : HtmlReport(selected, from, to);
        return ExportResult::WriteReport(path, bytes, selected.size(), kExported);
    }
    // The delivery column only when a record has a state, so logs without reports export as they always did.
    const bool withDelivery =
        std::any_of(selected.cbegin(), selected.cend(), [](const SentItemRecord& r) { return !r.delivery.isEmpty(); });
    QList<QStringList> rows;
    rows.reserve(selected.size());
    for (const SentItemRecord& r : selected) {
        rows.append({r.number, r.message, r.date, r.status});
        if (withDelivery)
            rows.last() << r.delivery;
    }
    return ExportResult::FromSpreadsheet(SpreadsheetExport(prompter).Export(SpreadsheetExportTable::SentItems(withDelivery), rows,
                                                                            SpreadsheetExport::Filter::All, path,
                                                                            SpreadsheetFormatOf(format)),
                                         kExported);
}

QString SentItemsExport::PathWithExtension(const QString& path, Format format) {
    return PathWithExportExtension(path, format);
}

std::optional<SentItemsExport::Format> SentItemsExport::FormatFromName(const QString& name) {
    if (name == QLatin1String("txt"))
        return Format::Text;
    if (name == QLatin1String("html"))
        return Format::Html;
    if (name == QLatin1String("xls"))
        return Format::Xls;
    if (name == QLatin1String("xlsx"))
        return Format::Xlsx;
    return std::nullopt;
}
