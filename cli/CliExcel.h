#pragma once

#include "CliCommand.h"

#include <QList>
#include <QString>

#include <optional>
#include <vector>

class ExclusionSet;
class RecipientList;
struct NumberCheckOptions;

// Workbook options shared by the import commands and send: sheets and columns as the user names them, and the
// wizard's two ways of making rows from a sheet.
namespace CliExcel {

// "3" or a column letter ("A", "c", "AB"): the column's number from 1, counted from the first column of the
// sheet's used range (what `bulksms-cli workbook` prints as the first column). nullopt for anything else,
// including 0 and letters past the last column a workbook can have (XFD, 16,384).
std::optional<int> ParseColumn(const QString& text);
// A 1-based sheet number; nullopt for anything else.
std::optional<int> ParseSheet(const QString& text);
// Whether the path names a workbook by its extension (.xls or .xlsx, case ignored).
bool IsWorkbookPath(const QString& path);

// The rows of one sheet: mode 0 (messageColumn > 0: one number column, the message beside it) or mode 2
// (a template filled per row, one recipient per number column).
struct RowSource {
    QString path;
    int sheet = 1;
    QList<int> numberColumns; // in column order, no repeats
    int messageColumn = 0;    // mode 0
    QString messageTemplate;  // mode 2
};

// The options ParseRowSource reads: --sheet, --number-column, --message-column, --template.
std::vector<CliOption> SourceOptions();
// The options NumberCheck reads: --skip-duplicates, --exclusion.
std::vector<CliOption> CheckOptions();

// Reads the source options "--excel"-style: FILE (given by the caller), "--sheet", "--number-column" (one in
// mode 0, one or more with "--template"), "--message-column" or "--template". False with a usage error.
bool ParseRowSource(const CliArgs& args, const QString& path, RowSource* source, QString* error);

// Inserts the rows into the list from the top as the wizard does. Returns the text that ends the import with
// exit status 1 (a missing file, a reader failure, no row taken), empty when rows were taken. Rows taken
// before a reader failure stay in the list.
QString Import(const RowSource& source, RecipientList& list, const NumberCheckOptions& options);

// The number check options of "--skip-duplicates" and "--exclusion"; with "--exclusion" the applied exclusion
// lists of the data folder ("--data") are loaded into *set, which must outlive the options.
void NumberCheck(const CliArgs& args, ExclusionSet* set, NumberCheckOptions* options);

// One "number TAB message" line, the message's line ends written as \n so a row stays one line (the form
// `send --rows` reads back).
QString RowLine(const QString& number, const QString& message);
// Prints every row of the list with RowLine, or as a JSON array of {"number", "message"} objects.
void PrintRows(const RecipientList& list, bool json);
// The end of an import command: the rows taken (also those before a reader failure), then the refusal on
// stderr. Returns the command's exit status.
int FinishImport(const RecipientList& list, const QString& refusal, bool json);

// How the import commands' rows look in JSON, for their help.
inline const QString kRowsJson = QStringLiteral("JSON: [{\"number\": TEXT, \"message\": TEXT}, ...]");

} // namespace CliExcel
