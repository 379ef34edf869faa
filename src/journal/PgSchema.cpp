#include "journal/PgSchema.h"

namespace PgSchema {

const QStringList& CreateStatements() {
    static const QStringList statements = {
        QStringLiteral("CREATE TABLE bulksms_schema (version integer NOT NULL)"),
        QStringLiteral("INSERT INTO bulksms_schema (version) VALUES (1)"),
        // Every gateway process that ever took part; heartbeat_at is the server's clock.
        QStringLiteral("CREATE TABLE gateways ("
                       " id bigserial PRIMARY KEY,"
                       " name text NOT NULL,"
                       " started_at timestamptz NOT NULL DEFAULT now(),"
                       " heartbeat_at timestamptz NOT NULL DEFAULT now(),"
                       " stopped boolean NOT NULL DEFAULT false)"),
        QStringLiteral("CREATE TABLE jobs ("
                       " id bigserial PRIMARY KEY,"
                       " created_ms bigint NOT NULL," // ms since the epoch, UTC
                       " finished_ms bigint,"         // NULL while rows are open
                       " options bytea NOT NULL,"
                       " row_count integer NOT NULL)"),
        QStringLiteral("CREATE TABLE job_devices ("
                       " job_id bigint NOT NULL REFERENCES jobs(id),"
                       " imei text NOT NULL,"
                       " port text NOT NULL,"
                       " entry text NOT NULL)"),
        // A job's rows mostly share one text: each distinct text is kept once.
        QStringLiteral("CREATE TABLE job_messages ("
                       " job_id bigint NOT NULL REFERENCES jobs(id),"
                       " id integer NOT NULL,"
                       " text text NOT NULL,"
                       " PRIMARY KEY (job_id, id))"),
        // batch: the gateway's number of the reservation that holds the row, so a reservation whose commit
        // was not acknowledged (the connection dropped) is found again instead of being held for nothing.
        QStringLiteral("CREATE TABLE job_rows ("
                       " job_id bigint NOT NULL REFERENCES jobs(id),"
                       " row_no integer NOT NULL,"
                       " number text NOT NULL,"
                       " message_id integer NOT NULL,"
                       " state smallint NOT NULL DEFAULT 0," // JournalRowState, or kReserved
                       " gateway_id bigint REFERENCES gateways(id),"
                       " batch bigint,"
                       " imei text,"
                       " claimed_ms bigint,"
                       " status text,"
                       " reference text,"
                       " retry integer NOT NULL DEFAULT 0,"
                       " logged boolean NOT NULL DEFAULT false,"
                       " PRIMARY KEY (job_id, row_no))"),
        // The rows still open (pending, claimed, reserved): what reservations and the end-of-job test read.
        QStringLiteral("CREATE INDEX job_rows_open ON job_rows (job_id, row_no) WHERE state IN (0, 1, 6)"),
    };
    return statements;
}

} // namespace PgSchema
