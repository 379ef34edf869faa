#pragma once

#include "records/SpreadsheetExport.h"

#include <QString>

class Prompter;
class SendJob;

// The sending window's status export ("Export" after a run, `send --status-export`): Number, Message,
// Current Status, Status and, when the run had retries, Retry, of every job row whose Status passes the
// filter. Reads the rows one at a time, so a run of any size is exported in constant memory.
namespace SendStatusExport {

inline const QString kExported = QStringLiteral("Sent Items have been exported successfully.");

[[nodiscard]] SpreadsheetExport::Result Write(const SendJob& job, bool withRetry, SpreadsheetExport::Filter filter,
                                              const QString& path, SpreadsheetExport::Format format,
                                              Prompter& prompter);

} // namespace SendStatusExport
