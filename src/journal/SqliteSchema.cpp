#include "journal/SqliteSchema.h"

namespace SqliteSchema {

const QList<QStringList>& Migrations() {
    static const QList<QStringList> migrations = {
        // 1: runs, their devices, their distinct message texts and their rows.
        {
            QStringLiteral("CREATE TABLE runs ("
                           " id INTEGER PRIMARY KEY,"
                           " created_ms INTEGER NOT NULL," // ms since the epoch, UTC
                           " finished_ms INTEGER,"         // NULL while the run may still be resumed
                           " options BLOB NOT NULL,"
                           " row_count INTEGER NOT NULL)"),
            QStringLiteral("CREATE TABLE run_devices ("
                           " run_id INTEGER NOT NULL REFERENCES runs(id),"
                           " imei TEXT NOT NULL,"
                           " port TEXT NOT NULL,"
                           " entry TEXT NOT NULL)"),
            // A run's rows mostly share one text: each distinct text is kept once.
            QStringLiteral("CREATE TABLE run_messages ("
                           " run_id INTEGER NOT NULL REFERENCES runs(id),"
                           " id INTEGER NOT NULL,"
                           " text TEXT NOT NULL,"
                           " PRIMARY KEY (run_id, id)) WITHOUT ROWID"),
            QStringLiteral("CREATE TABLE run_rows ("
                           " run_id INTEGER NOT NULL REFERENCES runs(id),"
                           " row INTEGER NOT NULL,"
                           " number TEXT NOT NULL,"
                           " message_id INTEGER NOT NULL,"
                           " state INTEGER NOT NULL DEFAULT 0," // JournalRowState
                           " imei TEXT,"
                           " claimed_ms INTEGER,"
                           " status TEXT,"
                           " reference TEXT,"
                           " retry INTEGER NOT NULL DEFAULT 0,"
                           " logged INTEGER NOT NULL DEFAULT 0,"
                           " PRIMARY KEY (run_id, row)) WITHOUT ROWID"),
        },
    };
    return migrations;
}

} // namespace SqliteSchema
