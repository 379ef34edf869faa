#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <vector>

// A row's state in the run journal. Stored as its number: the values never change meaning.
enum class JournalRowState : int {
    Pending = 0,     // never claimed (or given back for the next pass)
    Claimed = 1,     // claimed by a device; its submission may have begun
    Sent = 2,        // the device confirmed it
    Failed = 3,      // the device answered with an error: not delivered
    Unconfirmed = 4, // claimed when its run was interrupted: it may have been sent
    Skipped = 5,     // decided without a submission (excluded, duplicate, stopped)
};

// The outcome of a journal operation; message says what went wrong (ok false) or, with ok, a notice the
// user should read (a file set aside).
struct [[nodiscard]] JournalResult {
    bool ok = true;
    QString message;

    static JournalResult Ok() { return {}; }
    static JournalResult Error(QString text) { return {false, std::move(text)}; }
};

struct JournalDevice {
    QString imei;
    QString port;  // its port name when the run started
    QString entry; // "<port> - <description>"
};

// What a new run records besides its rows.
struct JournalRunSpec {
    QByteArray options; // the run's settings, serialised by the sending engine (opaque here)
    std::vector<JournalDevice> devices;
};

struct JournalRowText {
    QString number;
    QString message;
};

// A row's journal state as a resume reads it.
struct JournalRowRecord {
    JournalRowState state = JournalRowState::Pending;
    QString imei;          // the device that claimed it last
    qint64 claimedAtMs = 0; // ms since the epoch (UTC); 0 when never claimed
    QString status;        // the result text
    QString reference;     // the device's message reference
    int retry = 0;
    bool logged = false;   // its sent-items entry was written
};

struct JournalRunSummary {
    qint64 id = 0;
    QDateTime created; // UTC
    int rows = 0;
    int sent = 0;
    int unconfirmed = 0; // claimed or unconfirmed without a result
    int notSent = 0;     // everything else: pending, failed, skipped
};

struct JournalRun {
    JournalRunSummary summary;
    QByteArray options;
    std::vector<JournalDevice> devices;
    std::vector<JournalRowText> rows;
    std::vector<JournalRowRecord> states; // parallel to rows
};
