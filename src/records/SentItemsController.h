#pragma once

#include "app/FileError.h"
#include "records/ExportResult.h"
#include "records/SentItemsStore.h"
#include "records/SpreadsheetExport.h"

#include <QDate>
#include <QList>
#include <QString>

#include <utility>
#include <vector>

class Prompter;

// The logic of the sent items window over the entries of the sent-items log: loading, the counts and the
// details of an entry, deleting entries (the log rewritten atomically), the checks and texts of "Send selected
// items to SMS Composer", and the export of a date range. Every refusal, question and notice goes through the
// Prompter (caption "Message" unless noted).
//
// Threads: the steps marked "worker work" only read Records() and the log, and give back a Change that the
// window's thread then applies. The window keeps its own copy of Records() (implicitly shared, so the copy costs
// nothing) for its view, and calls nothing else here while a worker step runs.
//
// Selected rows are passed as row indexes sorted ascending without repeats.
class SentItemsController {
public:
    // What a worker step made of the log: the list after it, or the file error that stopped it.
    struct Change {
        bool ok = true;
        FileError error;
        QList<SentItemRecord> records;
    };

    SentItemsController(SentItemsStore store, Prompter& prompter);

    const QList<SentItemRecord>& Records() const { return m_records; }
    qsizetype Count() const { return m_records.size(); }

    // ---- Loading and deleting ----
    // Worker work: the log as it stands (a missing log is an empty list).
    Change Read() const;
    // Worker work: the rows' entries taken out of the log as it is now; the list becomes the log after it.
    Change Remove(const std::vector<qsizetype>& rows) const;
    // Worker work: every entry of the list taken out of the log as it is now, so entries appended since the
    // list was read (a run's journal, bulksms-cli send or listen) stay and are shown.
    Change RemoveAll() const;
    // Takes the step's list; a failed step shows its file error text and leaves the list as it was. True
    // when the step succeeded.
    bool Apply(const Change& change);

    // "Clear All": refused over an empty list; then the question (caption "Confirm", Yes/No). True for Yes.
    bool MayClearAll();
    // "Clear Selected": refused over an empty list or without a selection.
    bool MayClearSelected(const std::vector<qsizetype>& rows);

    // ---- Texts of the window ----
    // "Total Items : %d"
    QString TotalText() const;
    // "Selected Items : %d"
    static QString SelectedText(qsizetype selected);
    // The details box for an entry; empty for a row out of range.
    QString DetailsText(qsizetype row) const;
    static QString DetailsText(const SentItemRecord& record);

    // ---- "Send selected items to SMS Composer" ----
    // Refused over an empty list or without a selection.
    bool MayCopyToComposer(const std::vector<qsizetype>& rows);
    // The selected entries in list order.
    QList<SentItemRecord> RecordsAt(const std::vector<qsizetype>& rows) const;
    // What the copy ended with: kNoneCopied when nothing was added, else kCopied.
    void ReportCopy(qsizetype added);

    // ---- Export ----
    // Refused over an empty list.
    bool MayExport();
    // The range the duration window starts with: the dates of the first and the last entry (today for an
    // entry whose date cannot be read).
    std::pair<QDate, QDate> DefaultDuration(const QDate& today = QDate::currentDate()) const;
    // The duration window's OK: refuses an end before the start (kEndBeforeStart).
    bool CheckDuration(const QDate& from, const QDate& to);
    // Worker work: the entries of `records` in [from, to] that pass the filter, written to the path.
    [[nodiscard]] static ExportResult Export(const QList<SentItemRecord>& records, const QDate& from, const QDate& to,
                                             SpreadsheetExport::Filter filter, const QString& path, ExportFormat format,
                                             Prompter& prompter);
    // A failed or empty export's message; true when the export was written (the window then offers to open it).
    bool ReportExport(const ExportResult& result);
    // The save dialog's filter for the format, e.g. "Text Files(*.txt)".
    static QString DialogFilter(ExportFormat format);

    static inline const QString kTitle = QStringLiteral("Sent Items");
    static inline const QString kSelectAtLeastOne =
        QStringLiteral("Please select at least one record from the sent items list to continue.");
    static inline const QString kClearAllQuestion =
        QStringLiteral("This option will clear the entire list contents. Are you sure you want to continue clearing "
                       "the entire list?");
    static inline const QString kNoneCopied = QStringLiteral(
        "Either file is corrupted or selected file contains invalid characters.\n\nOR\n\nRecipient number is skipped "
        "because of using 'Skip Duplicate Numbers' or 'Exclusion List' option.");
    static inline const QString kCopied = QStringLiteral("Selected sent items inserted in SMS Composer successfully.");

private:
    Change RemoveEntries(const QList<SentItemRecord>& gone) const;

    SentItemsStore m_store;
    Prompter& m_prompter;
    QList<SentItemRecord> m_records;
};
