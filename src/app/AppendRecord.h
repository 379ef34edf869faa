#pragma once

#include "app/FileError.h"

#include <QString>

// Appends one record to a UTF-16LE data file: opens it (created with FF FE when missing or empty), moves
// to its end and writes record + lineEnd, then closes it. When an earlier append was cut short (the file
// ends inside a code unit, or its last record lacks U+000A), that record is ended first, so the new record
// is never glued onto it. False, with the reason, when the file cannot be opened or written.
// Not serialised: each store holds its own lock around it.
[[nodiscard]] bool AppendRecord(const QString& path, const QString& record, const QString& lineEnd,
                                FileError* error = nullptr);
