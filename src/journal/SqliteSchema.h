#pragma once

#include <QStringList>

// The run journal's SQLite schema as numbered migrations: migration n (from 1) takes a journal from
// PRAGMA user_version n-1 to n. A migration is never changed once released; a new one is appended.
namespace SqliteSchema {
const QList<QStringList>& Migrations();
}
