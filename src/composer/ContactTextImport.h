#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class RecipientList;
struct NumberCheckOptions;

// "Load Contacts From File" for 8-bit text files: numbers separated by CR, LF or commas, spaces ignored
// anywhere, every other byte part of the number (Windows-1252). Each number goes through the number check
// silently and is inserted at positions 0, 1, 2 ... with the composer text as its message.
namespace ContactTextImport {

inline const QString kNotAnsi = QStringLiteral("Please select the ANSI encoded text file.");
inline const QString kEmpty = QStringLiteral("File is empty.");
inline const QString kMissing = QStringLiteral("File does not exist on selected location.");
inline const QString kNothingAdded = QStringLiteral(
    "Either file is corrupted or selected file contains invalid characters.\n\nOR\n\nRecipient number is skipped "
    "because of using 'Skip Duplicate Numbers' or 'Exclusion List' option.");

// The number texts of a file's bytes, in file order (before the number check).
QStringList SplitNumbers(const QByteArray& bytes);

struct Outcome {
    int added = 0;
    QString refusal; // the message that ends the import, empty when none
    // Numbers added that are impossible for the list's default country (none without a country), for the
    // caller to show; the user keeps or drops them.
    QStringList impossible;
};

// Reads the file and inserts its numbers; the refusal is set when the file is refused or added nothing.
Outcome ImportFile(const QString& path, RecipientList& list, const QString& composerText,
                   const NumberCheckOptions& options);

} // namespace ContactTextImport
