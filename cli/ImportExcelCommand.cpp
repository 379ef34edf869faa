// bulksms-cli import-excel FILE: the Excel import wizard into an empty Recipient list, numbers and messages
// from two columns or a personalised template over one or more number columns; prints the rows taken.
#include "CliCommand.h"
#include "CliData.h"
#include "CliExcel.h"

#include "composer/RecipientList.h"
#include "exclusion/ExclusionSet.h"

namespace {

const QString kName = QStringLiteral("import-excel");

int RunImportExcel(const CliArgs& a) {
    QString error;
    CliExcel::RowSource source;
    if (!CliExcel::ParseRowSource(a, a.Positional().first(), &source, &error))
        return CliUsageError(kName, error);

    ExclusionSet exclusion;
    NumberCheckOptions check;
    CliExcel::NumberCheck(a, &exclusion, &check);
    RecipientList list;
    const QString refusal = CliExcel::Import(source, list, check);
    return CliExcel::FinishImport(list, refusal, a.Json());
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = kName,
    .summary = QStringLiteral("Make Recipient list rows from a workbook sheet as the Excel import wizard does: "
                              "numbers and messages from two columns, or a template over number columns."),
    .synopsis = QStringLiteral("FILE --sheet N --number-column C (--message-column C | --template TEXT "
                               "[--number-column C]...) [--skip-duplicates] [--exclusion] [--data DIR] [--json]"),
    .options =
        [] {
            std::vector<CliOption> options = CliExcel::SourceOptions();
            for (const CliOption& option : CliExcel::CheckOptions())
                options.push_back(option);
            options.push_back(CliData::kOption);
            options.push_back(CliOptions::kJson);
            return options;
        }(),
    .positional = {QStringLiteral("FILE"), QStringLiteral("The workbook (.xls or .xlsx)."), 1, 1},
    .details = CliExcel::kRowsJson,
    .failure = QStringLiteral("the workbook could not be read or no row was taken"),
    .run = RunImportExcel,
});
