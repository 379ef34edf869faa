#pragma once

#include "records/ExportResult.h"
#include "records/SentItemsStore.h"
#include "records/SpreadsheetExport.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

#include <optional>

class Prompter;

// The sent-items report: the entries of a date range that pass a status filter, numbered 1, 2, ... (S.No.),
// written as a UTF-16LE text report, an HTML report (same encoding), or a spreadsheet table.
//
// The text and HTML writers are pure functions over the selected entries; Export() selects, writes and gives
// the message to show. The target is written beside itself and renamed over it when complete, so a failed
// export, or one with no qualifying entry, leaves an existing file of that name as it was.
class SentItemsExport {
public:
    using Format = ExportFormat;

    using Result = ExportResult;

    // An entry's date text as stored (day/month/year, "05/03/2024"; one-digit day and month accepted).
    static std::optional<QDate> ParseDate(const QString& text);
    // The entries whose date lies in [from, to] (whole days) and whose status passes the filter, in order.
    // An entry whose date cannot be read is never in a range.
    static QList<SentItemRecord> Select(const QList<SentItemRecord>& records, const QDate& from, const QDate& to,
                                        SpreadsheetExport::Filter filter);
    // "[ Duration - 01/03/2024 to 05/03/2024 ]".
    static QString DurationText(const QDate& from, const QDate& to);

    // The whole file, byte-order mark included, for the entries already selected.
    static QByteArray TextReport(const QList<SentItemRecord>& selected, const QDate& from, const QDate& to);
    static QByteArray HtmlReport(const QList<SentItemRecord>& selected, const QDate& from, const QDate& to);

    // Selects and writes. Spreadsheet formats go through SpreadsheetExport (its sheet-capacity question is
    // put through the prompter); the text formats never ask anything.
    [[nodiscard]] static Result Export(const QList<SentItemRecord>& records, const QDate& from, const QDate& to,
                                       SpreadsheetExport::Filter filter, const QString& path, Format format,
                                       Prompter& prompter);

    // ".txt", ".html", ".xls" or ".xlsx" added unless the path already ends so (any letter case).
    static QString PathWithExtension(const QString& path, Format format);
    // "txt", "html", "xls", "xlsx"; nullopt for anything else.
    static std::optional<Format> FormatFromName(const QString& name);

    static inline const QString kEmptyList = QStringLiteral("Sent items list is empty.");
    static inline const QString kNoRecords = QStringLiteral("There is no record for selected duration.");
    static inline const QString kExported = QStringLiteral("Sent Items have been exported successfully.");
    static inline const QString kWriteError = SpreadsheetExport::kWriteError;
    static inline const QString kEndBeforeStart =
        QStringLiteral("End date should be greater than or equal to Start date.");
};
