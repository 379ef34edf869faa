#pragma once

#include <QStringList>

// The PostgreSQL job database: its schema version and the statements that create it.
namespace PgSchema {

// The version this program reads and writes; a database of any other version is refused, never changed.
constexpr int kVersion = 1;
// The key of the advisory lock under which a new database is given its tables, so that two gateways starting
// together never create them twice ("VRJP").
constexpr qint64 kCreateLock = 0x56524A50;
// A row held for a gateway that has not yet begun to submit it. Only this back end has the state; a row read
// back in it is Pending for everyone else. The other states are JournalRowState's numbers.
constexpr int kReserved = 6;

const QStringList& CreateStatements();

} // namespace PgSchema
