#pragma once

#include "app/FileError.h"

#include <QDate>
#include <QList>

#include <functional>
#include <QString>

#include <optional>

// One logged attempt: the recipient number, the message, the local date "dd/MM/yyyy" of the attempt (empty
// when the local time was unknown) and the row's result text.
struct SentItemRecord {
    QString number;
    QString message;
    QString date;
    QString status;
    // Delivery reports (empty when none was requested): the delivery state text, the device (port name) that
    // sent it and the message references of its parts ("17,18").
    QString delivery = {};
    QString device = {};
    QString references = {};

    friend bool operator==(const SentItemRecord&, const SentItemRecord&) = default;
};

// The sent-items log "SentItem.vrix": UTF-16LE with FF FE, one record per line:
//
//   BEL number VT message BEL date VT status CR LF
//
// with every line feed inside the record written as the marker "|AP*|DX/". A record sent with a delivery
// report request is followed by a line of its own:
//
//   VT "DLR" VT delivery VT device VT references CR LF
//
// Its number field is empty, and every reader of the log, this one's earlier versions included, has always
// passed over a line with an empty number; so older versions show the record as before and only leave the
// delivery state out (a rewrite by one of them drops it). This reader attaches it to the record before it. Appends from any number of
// threads are serialised by one process-wide lock, so lines never interleave; a rewrite replaces the file
// atomically, so a failure midway leaves the previous log intact.
class SentItemsStore {
public:
    explicit SentItemsStore(QString path);

    const QString& Path() const { return m_path; }

    // Opens the file (created when missing), moves to its end, writes one line, closes. A last line left
    // without its line end by an interrupted write is ended first. False, with the reason, when the file
    // could not be opened or written; the caller then changes nothing.
    [[nodiscard]] bool Append(const SentItemRecord& record, FileError* error = nullptr) const;
    // The records in file order. A missing file is an empty log (true); a file that exists but cannot be
    // read gives false and the reason.
    [[nodiscard]] bool Load(QList<SentItemRecord>* records, FileError* error = nullptr) const;
    // Replaces the whole log by the records in list order; an empty list leaves only FF FE.
    [[nodiscard]] bool Rewrite(const QList<SentItemRecord>& records, FileError* error = nullptr) const;
    // Reads the log as it is now, lets change edit its records and rewrites it (unless change returns false:
    // nothing changed), all under the log's locks, so that an entry another process or thread appends meanwhile
    // is neither lost nor written in between. *written (may be null) gets the records as they are now.
    [[nodiscard]] bool Update(const std::function<bool(QList<SentItemRecord>&)>& change,
                              QList<SentItemRecord>* written, FileError* error = nullptr) const;

    // A record of today's local date.
    static SentItemRecord MakeRecord(const QString& number, const QString& message, const QString& status,
                                     const QDate& date = QDate::currentDate());
    // "05/03/2024"; empty for an invalid date.
    static QString FormatDate(const QDate& date);
    // The line as stored, with its CR LF.
    static QString FormatLine(const SentItemRecord& record);
    // One stored line (without its line end); nullopt for a line whose number is empty.
    static std::optional<SentItemRecord> ParseLine(const QString& line);
    // The delivery line's fields applied to the record; false when the line is no delivery line.
    static bool ParseDeliveryLine(const QString& line, SentItemRecord* record);
    static inline const QString kDeliveryTag = QStringLiteral("DLR");
    // Records from the file's bytes (UTF-16LE, any U+FEFF ignored).
    static QList<SentItemRecord> ParseFile(const QByteArray& bytes);

    // Whether a row with this result is logged at the end of a run: not empty, and none of "Stopped",
    // "Skipped." and "Excluded.".
    static bool IsLoggedAtEndOfRun(const QString& status);

    static constexpr QChar kNumberMark = QChar(0x07);  // BEL, before the number and the date
    static constexpr QChar kMessageMark = QChar(0x0B); // VT, before the message and the status
    static inline const QString kNewlineMarker = QStringLiteral("|AP*|DX/");

private:
    // Load and Rewrite for a caller holding the locks.
    bool LoadHeld(QList<SentItemRecord>* records, FileError* error) const;
    bool RewriteHeld(const QList<SentItemRecord>& records, FileError* error) const;

    QString m_path;
};
