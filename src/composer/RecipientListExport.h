#pragma once

#include "records/ExportResult.h"

#include <QString>

class Prompter;
class RecipientList;

// "Export" of the main window: the Recipient list's rows in list order to an .xls or .xlsx table
// ([Number] TEXT, [Message] MEMO). The rows are copied from the list a chunk at a time under its lock, so a
// long list is never held twice and other threads may read it meanwhile.
namespace RecipientListExport {

inline const QString kEmptyList = QStringLiteral("Phone numbers-Messages list is empty.");
inline const QString kExported = QStringLiteral("Phone Number and Message List has been exported successfully.");

// Writes the list; the .xls sheet-capacity question goes through the prompter. An empty list writes nothing.
[[nodiscard]] ExportResult Write(const RecipientList& list, const QString& path, SpreadsheetExport::Format format,
                                 Prompter& prompter);

} // namespace RecipientListExport
