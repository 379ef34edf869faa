#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// What the text and HTML reports of the program (sent items, templates, exclusion lists) share: their
// encoding, the escaping of values in HTML, the extension rule of the save dialogs, and how a finished report
// replaces its target.
namespace ReportFile {

inline const QString kWriteError = QStringLiteral("Error in file.\n\nOR\n\nThere is not enough space on the disk.");

// The text as UTF-16LE code units after the byte-order mark FF FE.
[[nodiscard]] QByteArray Utf16LeWithBom(const QString& text);

// "&", "<", ">" and '"' as character references.
[[nodiscard]] QString EscapeHtml(const QString& text);
// A message as a report shows it in HTML: escaped, each line feed as "<br>", each space as "&nbsp;".
[[nodiscard]] QString HtmlMessage(const QString& text);

// The path with "." + extension added unless it already ends so, compared without regard to case
// ("list.TXT" stays as it is for "txt").
[[nodiscard]] QString PathWithExtension(const QString& path, QStringView extension);

struct WriteResult {
    enum class Outcome {
        Written,
        NotWritable, // the target exists and cannot be opened for reading and writing, or cannot be created
        Failed       // writing the bytes failed (a full disk, say)
    };
    Outcome outcome = Outcome::Written;
    QString message; // NotWritable: the file error text of the target; Failed: kWriteError

    bool Ok() const { return outcome == Outcome::Written; }
};

// Replaces the file at path by the bytes. An existing target must open for reading and writing, else nothing
// is written. The bytes go to a file beside the target that takes its place only when complete, so a failed
// write leaves an earlier file of that name as it was.
[[nodiscard]] WriteResult Replace(const QString& path, const QByteArray& bytes);

} // namespace ReportFile
