#include "records/InboxExport.h"

#include "records/InboxTexts.h"
#include "records/RecordReport.h"
#include "records/SpreadsheetExportTable.h"

namespace {

const RecordReport::Heading kHeading = {QStringLiteral("[ Bulk SMS - Inbox ]"), QString(), QStringLiteral("Inbox:")};

QList<RecordReport::Fields> Entries(const QList<InboxRecord>& records) {
    QList<RecordReport::Fields> entries;
    entries.reserve(records.size());
    for (const InboxRecord& r : records) {
        RecordReport::Fields fields = {{QStringLiteral("Received"), r.received},
                                       {QStringLiteral("Sent"), r.sent},
                                       {QStringLiteral("Kind"), InboxTexts::KindText(r)},
                                       {QStringLiteral("Number"), r.number},
                                       {QStringLiteral("Device"), r.device},
                                       {QStringLiteral("Message"), r.text}};
        if (!r.reason.isEmpty())
            fields.append({QStringLiteral("Note"), r.reason});
        if (r.kind == InboxRecord::Kind::Undecodable)
            fields.append({QStringLiteral("PDU"), r.raw});
        entries.append(std::move(fields));
    }
    return entries;
}

SpreadsheetExportTable Table() {
    return {{QStringLiteral("Number"), QStringLiteral("Received"), QStringLiteral("Sent"), QStringLiteral("Kind"),
             QStringLiteral("Device"), QStringLiteral("Message")}};
}

} // namespace

namespace InboxExport {

QByteArray TextReport(const QList<InboxRecord>& records) { return RecordReport::Text(kHeading, Entries(records)); }

QByteArray HtmlReport(const QList<InboxRecord>& records) { return RecordReport::Html(kHeading, Entries(records)); }

QStringList TableRow(const InboxRecord& r) {
    const QString text = r.kind == InboxRecord::Kind::Undecodable ? r.reason + QStringLiteral(": ") + r.raw : r.text;
    return {r.number, r.received, r.sent, InboxTexts::KindText(r), r.device, text};
}

ExportResult Export(const QList<InboxRecord>& records, const QString& path, ExportFormat format, Prompter& prompter) {
    if (records.isEmpty())
        return ExportResult::Refused(ExportResult::Outcome::EmptyList, kEmpty);
    if (format == ExportFormat::Text || format == ExportFormat::Html) {
        const QByteArray bytes = format == ExportFormat::Text ? TextReport(records) : HtmlReport(records);
        return ExportResult::WriteReport(path, bytes, records.size(), kExported);
    }
    QList<QStringList> rows;
    rows.reserve(records.size());
    for (const InboxRecord& r : records)
        rows.append(TableRow(r));
    return ExportResult::FromSpreadsheet(SpreadsheetExport(prompter).Export(Table(), rows, SpreadsheetExport::Filter::All,
                                                                            path, SpreadsheetFormatOf(format)),
                                         kExported);
}

} // namespace InboxExport
