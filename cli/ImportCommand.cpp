// bulksms-cli import FILE: "Load Contacts From File" into an empty Recipient list, from a text file or from
// chosen columns of one workbook sheet; prints the rows the list then holds.
#include "CliCommand.h"
#include "CliData.h"
#include "CliExcel.h"

#include "composer/ContactTextImport.h"
#include "composer/ContactWorkbookImport.h"
#include "composer/RecipientList.h"
#include "exclusion/ExclusionSet.h"

#include <QFileInfo>

#include <algorithm>

namespace {

const QString kName = QStringLiteral("import");

int RunImport(const QStringList& argv) {
    QString error;
    const auto parsed = CliArgs::Parse(argv, {"sheet", "columns", "message", CliData::kOption},
                                       {"skip-duplicates", "exclusion"}, &error);
    if (!parsed)
        return CliUsageError(kName, error);
    const CliArgs& a = *parsed;
    if (a.Positional().size() != 1)
        return CliUsageError(kName, QStringLiteral("give one file"));
    const QString path = a.Positional().first();
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool workbook = CliExcel::IsWorkbookPath(path);

    ExcelInfoController::Choice choice;
    if (workbook) {
        choice.sheet = 1;
        if (a.Has("sheet")) {
            const auto sheet = CliExcel::ParseSheet(a.Value("sheet"));
            if (!sheet)
                return CliUsageError(kName, QStringLiteral("--sheet takes a sheet number from 1"));
            choice.sheet = *sheet;
        }
        if (!a.Has("columns"))
            return CliUsageError(kName, QStringLiteral("give --columns for a workbook"));
        // The picker lists every column of the used range; the chosen ones are taken left to right whatever
        // order they are named in.
        QList<int> columns;
        for (const QString& text : a.Value("columns").split(QLatin1Char(','))) {
            const auto column = CliExcel::ParseColumn(text);
            if (!column)
                return CliUsageError(
                    kName, QStringLiteral("%1: a column is a letter (A, B, ...) or a number from 1").arg(text));
            if (!columns.contains(*column))
                columns << *column;
        }
        std::sort(columns.begin(), columns.end());
        for (const int column : columns)
            choice.columns << ExcelInfoController::Column{column, QString(), true};
    } else if (a.Has("sheet") || a.Has("columns")) {
        return CliUsageError(kName, QStringLiteral("--sheet and --columns are for workbooks"));
    }

    ExclusionSet exclusion;
    NumberCheckOptions check;
    CliExcel::NumberCheck(a, &exclusion, &check);
    RecipientList list;
    const QString message = a.Value("message");

    QString refusal;
    if (!QFileInfo(path).isFile()) {
        refusal = ContactTextImport::kMissing;
    } else if (suffix == QLatin1String("txt")) {
        refusal = ContactTextImport::ImportFile(path, list, message, check).refusal;
    } else if (workbook) {
        const ContactWorkbookImport::Outcome outcome =
            ContactWorkbookImport::Import(path, choice, list, message, check);
        refusal = outcome.status ? outcome.refusal : outcome.status.Message();
    } else {
        refusal = QStringLiteral("Please select a valid file.");
    }
    // Rows taken before a reader failure stay in the list, so they are printed even then.
    return CliExcel::FinishImport(list, refusal);
}

} // namespace

BULKSMS_CLI_COMMAND(kName,
                    QStringLiteral("FILE [--sheet N] [--columns C[,C...]] [--message TEXT] [--skip-duplicates] "
                                   "[--exclusion] [--data DIR]"),
                    RunImport);
