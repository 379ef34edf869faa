#include "records/InboxController.h"

#include "app/Prompter.h"
#include "records/InboxExport.h"
#include "records/InboxTexts.h"

#include <QSet>

InboxController::InboxController(QString inboxPath, Prompter& prompter)
    : m_path(std::move(inboxPath)), m_prompter(prompter) {}

bool InboxController::Reload() {
    FileError error;
    if (m_index.Open(m_path, &error))
        return true;
    m_prompter.Notice(FileErrorText(error));
    static_cast<void>(m_index.Open(QString()));
    return false;
}

QString InboxController::Details(const std::vector<qsizetype>& rows) const {
    if (rows.size() != 1 || rows.front() < 0 || rows.front() >= Count())
        return {};
    return InboxTexts::Details(Record(rows.front()));
}

bool InboxController::Delete(const std::vector<qsizetype>& rows) {
    QStringList lines;
    for (qsizetype row : rows) {
        if (row >= 0 && row < Count())
            lines << m_index.Line(row);
    }
    if (lines.isEmpty()) {
        m_prompter.Notice(kSelectToDelete);
        return false;
    }
    FileError error;
    if (!InboxStore(m_path).RemoveLines(lines, &error)) {
        m_prompter.Notice(FileErrorText(error));
        return false;
    }
    return Reload();
}

bool InboxController::MayExport() const {
    if (Count() > 0)
        return true;
    m_prompter.Notice(InboxExport::kEmpty);
    return false;
}

ExportResult InboxController::Export(const std::vector<qsizetype>& rows, const QString& path, ExportFormat format) {
    QList<InboxRecord> records;
    if (rows.empty()) {
        records.reserve(Count());
        for (qsizetype i = 0; i < Count(); ++i)
            records << Record(i);
    } else {
        for (qsizetype row : rows) {
            if (row >= 0 && row < Count())
                records << Record(row);
        }
    }
    return InboxExport::Export(records, path, format, m_prompter);
}

QList<SentItemRecord> InboxController::ReplyEntries(const std::vector<qsizetype>& rows) const {
    QList<SentItemRecord> entries;
    QSet<QString> seen;
    for (qsizetype row : rows) {
        if (row < 0 || row >= Count())
            continue;
        const InboxRecord r = Record(row);
        if (r.kind != InboxRecord::Kind::Message || r.number.isEmpty() || seen.contains(r.number))
            continue;
        seen.insert(r.number);
        SentItemRecord entry;
        entry.number = r.number;
        entries << entry;
    }
    if (entries.isEmpty())
        m_prompter.Notice(kSelectToReply);
    return entries;
}
