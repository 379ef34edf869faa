#include "records/SentItemsController.h"

#include "app/Prompter.h"
#include "records/SentItemsExport.h"

#include <algorithm>

SentItemsController::SentItemsController(SentItemsStore store, Prompter& prompter)
    : m_store(std::move(store)), m_prompter(prompter) {}

// ---- Loading and deleting ----

SentItemsController::Change SentItemsController::Read() const {
    Change change;
    change.ok = m_store.Load(&change.records, &change.error);
    return change;
}

SentItemsController::Change SentItemsController::Remove(const std::vector<qsizetype>& rows) const {
    // The chosen entries are taken out of the log as it is now: entries another process (a run of
    // bulksms-cli) appended since the window read it stay.
    QList<SentItemRecord> removed;
    for (const qsizetype row : rows) {
        if (row >= 0 && row < m_records.size())
            removed.append(m_records.at(row));
    }
    Change change;
    change.ok = m_store.Update(
        [&removed](QList<SentItemRecord>& records) {
            for (const SentItemRecord& gone : removed) {
                const qsizetype at = records.indexOf(gone);
                if (at >= 0)
                    records.removeAt(at);
            }
            return true;
        },
        &change.records, &change.error);
    return change;
}

SentItemsController::Change SentItemsController::RemoveAll() const {
    Change change;
    change.ok = m_store.Rewrite({}, &change.error);
    return change;
}

bool SentItemsController::Apply(const Change& change) {
    if (!change.ok) {
        m_prompter.Notice(FileErrorText(change.error));
        return false;
    }
    m_records = change.records;
    return true;
}

bool SentItemsController::MayClearAll() {
    if (m_records.isEmpty()) {
        m_prompter.Notice(SentItemsExport::kEmptyList);
        return false;
    }
    return m_prompter.Confirm(kClearAllQuestion);
}

bool SentItemsController::MayClearSelected(const std::vector<qsizetype>& rows) {
    return MayCopyToComposer(rows);
}

// ---- Texts of the window ----

QString SentItemsController::TotalText() const {
    return QStringLiteral("Total Items : %1").arg(m_records.size());
}

QString SentItemsController::SelectedText(qsizetype selected) {
    return QStringLiteral("Selected Items : %1").arg(selected);
}

QString SentItemsController::DetailsText(qsizetype row) const {
    if (row < 0 || row >= m_records.size())
        return {};
    return DetailsText(m_records.at(row));
}

QString SentItemsController::DetailsText(const SentItemRecord& record) {
    return QStringLiteral("Number\t:  ") + record.number + QStringLiteral("\r\n\r\nDate\t:  ") + record.date +
           QStringLiteral("\r\n\r\nMessage\t:  ") + record.message + QStringLiteral("\r\n\r\nStatus\t:  ") +
           record.status;
}

// ---- "Send selected items to SMS Composer" ----

bool SentItemsController::MayCopyToComposer(const std::vector<qsizetype>& rows) {
    if (m_records.isEmpty()) {
        m_prompter.Notice(SentItemsExport::kEmptyList);
        return false;
    }
    if (rows.empty()) {
        m_prompter.Notice(kSelectAtLeastOne);
        return false;
    }
    return true;
}

QList<SentItemRecord> SentItemsController::RecordsAt(const std::vector<qsizetype>& rows) const {
    QList<SentItemRecord> selected;
    selected.reserve(static_cast<qsizetype>(rows.size()));
    for (const qsizetype row : rows) {
        if (row >= 0 && row < m_records.size())
            selected.append(m_records.at(row));
    }
    return selected;
}

void SentItemsController::ReportCopy(qsizetype added) {
    m_prompter.Notice(added == 0 ? kNoneCopied : kCopied);
}

// ---- Export ----

bool SentItemsController::MayExport() {
    if (!m_records.isEmpty())
        return true;
    m_prompter.Notice(SentItemsExport::kEmptyList);
    return false;
}

std::pair<QDate, QDate> SentItemsController::DefaultDuration(const QDate& today) const {
    if (m_records.isEmpty())
        return {today, today};
    const auto dateOf = [&today](const SentItemRecord& record) {
        return SentItemsExport::ParseDate(record.date).value_or(today);
    };
    return {dateOf(m_records.first()), dateOf(m_records.last())};
}

bool SentItemsController::CheckDuration(const QDate& from, const QDate& to) {
    if (to >= from)
        return true;
    m_prompter.Notice(SentItemsExport::kEndBeforeStart);
    return false;
}

ExportResult SentItemsController::Export(const QList<SentItemRecord>& records, const QDate& from, const QDate& to,
                                         SpreadsheetExport::Filter filter, const QString& path, ExportFormat format,
                                         Prompter& prompter) {
    return SentItemsExport::Export(records, from, to, filter, path, format, prompter);
}

bool SentItemsController::ReportExport(const ExportResult& result) {
    if (result.Ok())
        return true;
    m_prompter.Notice(result.message);
    return false;
}

QString SentItemsController::DialogFilter(ExportFormat format) {
    switch (format) {
    case ExportFormat::Text:
        return QStringLiteral("Text Files(*.txt)");
    case ExportFormat::Html:
        return QStringLiteral("Html Files(*.html)");
    case ExportFormat::Xls:
        return QStringLiteral("Excel(97-2003) Files(*.xls)");
    case ExportFormat::Xlsx:
        return QStringLiteral("Excel Files(*.xlsx)");
    }
    return {};
}
