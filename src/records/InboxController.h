#pragma once

#include "records/ExportResult.h"
#include "records/InboxIndex.h"
#include "records/InboxStore.h"
#include "records/SentItemsStore.h"

#include <QList>
#include <QString>

#include <vector>

class Prompter;

// The Inbox window's logic: the inbox read lazily (InboxIndex), the entry shown, deleting, exporting, and the
// entries a reply goes to. Refusals and failures are told through the Prompter. Used from the window's thread.
class InboxController {
public:
    InboxController(QString inboxPath, Prompter& prompter);

    // Reads the inbox afresh; false (told) when it could not be read, leaving it empty.
    bool Reload();
    qsizetype Count() const { return m_index.Count(); }
    InboxRecord Record(qsizetype row) const { return m_index.Record(row); }
    // The details of one entry (InboxTexts::Details); empty for anything but one row.
    QString Details(const std::vector<qsizetype>& rows) const;

    // Takes the rows out of the inbox file (appends made meanwhile stay) and reads it again. False (told) when
    // nothing was chosen or the file could not be written.
    bool Delete(const std::vector<qsizetype>& rows);
    // The chosen rows, or every entry when none is chosen, to the file; the result's message is for the window.
    [[nodiscard]] ExportResult Export(const std::vector<qsizetype>& rows, const QString& path, ExportFormat format);
    bool MayExport() const;

    // The senders of the chosen received messages, each once, as entries for the composer (no message of their
    // own, so the composer's text goes to them). Told and empty when no chosen row is a received message.
    QList<SentItemRecord> ReplyEntries(const std::vector<qsizetype>& rows) const;

    static inline const QString kSelectToDelete = QStringLiteral("Please select the messages to delete.");
    static inline const QString kSelectToReply = QStringLiteral("Please select a received message to reply to.");

private:
    QString m_path;
    Prompter& m_prompter;
    InboxIndex m_index;
};
