#include "records/SentItemsExport.h"

#include "app/Prompter.h"
#include "app/ReportFile.h"
#include "records/RecordReport.h"

#include <algorithm>


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

namespace {

RecordReport::Heading Heading(const QDate& from, const QDate& to) {
    return {QStringLiteral("[ Bulk SMS - Sent Items ]"), SentItemsExport::DurationText(from, to),
            QStringLiteral("Sent Items:")};
}

QList<RecordReport::Fields> Entries(const QList<SentItemRecord>& selected) {
    QList<RecordReport::Fields> entries;
    entries.reserve(selected.size());
    for (const SentItemRecord& r : selected) {
        RecordReport::Fields fields = {{QStringLiteral("Date"), r.date}, {QStringLiteral("Status"), r.status}};
        if (!r.delivery.isEmpty())
            fields.append({QStringLiteral("Delivery"), r.delivery});
        fields.append({QStringLiteral("Number"), r.number});
        fields.append({QStringLiteral("Message"), r.message});
        entries.append(std::move(fields));
    }
    return entries;
}

} // namespace

QByteArray SentItemsExport::TextReport(const QList<SentItemRecord>& selected, const QDate& from, const QDate& to) {
    return RecordReport::Text(Heading(from, to), Entries(selected));
}

QByteArray SentItemsExport::HtmlReport(const QList<SentItemRecord>& selected, const QDate& from, const QDate& to) {
    return RecordReport::Html(Heading(from, to), Entries(selected));
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
