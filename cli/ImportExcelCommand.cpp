// bulksms-cli import-excel FILE: the Excel import wizard into an empty Recipient list, numbers and messages
// from two columns or a personalised template over one or more number columns; prints the rows taken.
#include "CliCommand.h"
#include "CliData.h"
#include "CliExcel.h"

#include "composer/RecipientList.h"
#include "exclusion/ExclusionSet.h"

namespace {

const QString kName = QStringLiteral("import-excel");

int RunImportExcel(const QStringList& argv) {
    QString error;
    const auto parsed = CliArgs::Parse(argv, {"sheet", "number-column", "message-column", "template", CliData::kOption},
                                       {"skip-duplicates", "exclusion"}, &error);
    if (!parsed)
        return CliUsageError(kName, error);
    const CliArgs& a = *parsed;
    if (a.Positional().size() != 1)
        return CliUsageError(kName, QStringLiteral("give one workbook file"));
    CliExcel::RowSource source;
    if (!CliExcel::ParseRowSource(a, a.Positional().first(), &source, &error))
        return CliUsageError(kName, error);

    ExclusionSet exclusion;
    NumberCheckOptions check;
    CliExcel::NumberCheck(a, &exclusion, &check);
    RecipientList list;
    const QString refusal = CliExcel::Import(source, list, check);
    return CliExcel::FinishImport(list, refusal);
}

} // namespace

BULKSMS_CLI_COMMAND(kName,
                    QStringLiteral("FILE --sheet N --number-column C (--message-column C | --template TEXT "
                                   "[--number-column C]...) [--skip-duplicates] [--exclusion] [--data DIR]"),
                    RunImportExcel);
