#pragma once

#include "app/FileError.h"

#include <QList>
#include <QString>
#include <QStringList>

// One thing a device handed over from the network and the program kept: a received message, a status report
// that matched no sent message, or a PDU that could not be read (kept raw with the reason).
struct InboxRecord {
    enum class Kind { Message, Report, Undecodable };
    Kind kind = Kind::Message;
    QString received;    // when the program stored it, ISO 8601 local time
    QString device;      // the port it came through
    QString number;      // the originator (a report: the recipient it reports on)
    QString sent;        // the service centre time stamp as the network gave it, "yy/MM/dd,hh:mm:ss+zz"
    QString text;        // the message text, parts put together; a report: its delivery text
    QString raw;         // the PDU(s) as the device gave them
    QString reason;      // Undecodable: why; a message with a part missing: which
    bool optOut = false; // the text was an opt-out keyword and the sender was put on the opt-out list
    QStringList keys;    // one per PDU it was read from (InboxKeys::KeyOf), so a re-read is known as stored

    friend bool operator==(const InboxRecord&, const InboxRecord&) = default;
};

// The inbox "Inbox.vrix" in the data folder: UTF-16LE with FF FE, one JSON object per line (CR LF), so a
// message text may hold any character. Appends are serialised by a process-wide lock and a line cut short by
// an interrupted write is ended before the next one; a line that is no JSON object is passed over on reading.
class InboxStore {
public:
    explicit InboxStore(QString path) : m_path(std::move(path)) {}
    const QString& Path() const { return m_path; }

    [[nodiscard]] bool Append(const InboxRecord& record, FileError* error = nullptr) const;
    // Replaces the whole inbox atomically (what is left after a deletion).
    [[nodiscard]] bool Rewrite(const QList<InboxRecord>& records, FileError* error = nullptr) const;
    // Takes the given lines (as stored, without line ends; each once) out of the inbox atomically, leaving every
    // other line as it is, appended meanwhile or not. False with the reason when the file could not be rewritten.
    [[nodiscard]] bool RemoveLines(const QStringList& lines, FileError* error = nullptr) const;
    // A missing file is an empty inbox.
    [[nodiscard]] bool Load(QList<InboxRecord>* records, FileError* error = nullptr) const;

    static QString FormatLine(const InboxRecord& record);
    static bool ParseLine(const QString& line, InboxRecord* record);

private:
    QString m_path;
};
