#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

// The layout of the record reports (the sent items, the inbox): a title block, then one numbered entry
// (S.No. 1, 2, ...) per record with its fields in order, as a UTF-16LE text file or an HTML page (same
// encoding, every value escaped; the field named "Message" keeps its line breaks as <br>).
namespace RecordReport {

struct Heading {
    QString title;    // "[ Bulk SMS - Sent Items ]"
    QString subtitle; // "[ Duration - ... ]"; empty: none
    QString caption;  // the HTML table's caption, "Sent Items:"
};
using Fields = QList<std::pair<QString, QString>>; // name, value

QByteArray Text(const Heading& heading, const QList<Fields>& entries);
QByteArray Html(const Heading& heading, const QList<Fields>& entries);

} // namespace RecordReport
