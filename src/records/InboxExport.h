#pragma once

#include "records/ExportResult.h"
#include "records/InboxStore.h"

#include <QByteArray>
#include <QList>
#include <QString>

class Prompter;

// The inbox report: the chosen entries numbered 1, 2, ... (S.No.) in the layout of the sent-items report
// (RecordReport), as text or HTML, or a spreadsheet table Number, Received, Sent, Kind, Device, Message.
namespace InboxExport {

QByteArray TextReport(const QList<InboxRecord>& records);
QByteArray HtmlReport(const QList<InboxRecord>& records);
// The row of one entry in the spreadsheet table.
QStringList TableRow(const InboxRecord& record);
[[nodiscard]] ExportResult Export(const QList<InboxRecord>& records, const QString& path, ExportFormat format,
                                  Prompter& prompter);

inline const QString kEmpty = QStringLiteral("Inbox is empty.");
inline const QString kExported = QStringLiteral("Inbox has been exported successfully.");

} // namespace InboxExport
