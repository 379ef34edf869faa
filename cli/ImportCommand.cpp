// bulksms-cli import FILE: "Load Contacts From File" into an empty Recipient list, from a text file or from
// chosen columns of one workbook sheet; prints the rows the list then holds.
#include "CliCommand.h"
#include "CliData.h"
#include "CliExcel.h"

#include "session/Session.h"

#include <algorithm>

namespace {

const QString kName = QStringLiteral("import");

int RunImport(const CliArgs& a) {
    const QString path = a.Positional().first();
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

    // The session of the data folder (its exclusion lists), with the number check's options as given.
    CliPrompter prompter;
    Session session(prompter, Session::Options{CliData::Start(a), ModemTiming::Fast()});
    session.SendOptions().SetSkipDuplicates(a.Has("skip-duplicates"));
    session.SendOptions().SetUseExclusion(a.Has("exclusion"));
    if (a.Has("exclusion"))
        session.UseExclusionSet(session.ReadExclusionSet());
    session.Composer().SetText(a.Value("message"));
    if (!session.ChooseCountry(a.Has("country") ? std::optional<QString>(a.Value("country")) : std::nullopt))
        return CliUsageError(kName, QStringLiteral("--country takes a country code such as GB or IN"));
    const bool dropImpossible = a.Has("drop-impossible");

    // The file's checks and notices are the window's: they go to stderr through the prompter.
    bool refused = false;
    switch (session.ClassifyContactFile(path)) {
    case Session::ContactFile::None:
    case Session::ContactFile::Refused:
        refused = true;
        break;
    case Session::ContactFile::Text: {
        const ContactTextImport::Outcome outcome = session.ImportContactText(path);
        session.ReportContactText(outcome, dropImpossible);
        refused = !outcome.refusal.isEmpty();
        break;
    }
    case Session::ContactFile::Workbook: {
        const ContactWorkbookImport::Outcome outcome = session.ImportContactWorkbook(path, choice);
        session.ReportContactWorkbook(outcome, dropImpossible);
        refused = !outcome.status.Ok() || !outcome.refusal.isEmpty();
        break;
    }
    }
    // Rows taken before a reader failure stay in the list, so they are printed even then.
    CliExcel::PrintRows(session.List(), a.Json());
    return refused ? kExitRefused : kExitOk;
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = kName,
    .summary = QStringLiteral("Load contacts from a text file or from chosen columns of a workbook sheet into an "
                              "empty Recipient list, as \"Load Contacts From File\" does, and print the rows."),
    .synopsis = QStringLiteral("FILE [--sheet N] [--columns C[,C...]] [--message TEXT] [--skip-duplicates] "
                               "[--exclusion] [--country CC] [--drop-impossible] [--data DIR] [--json]"),
    .options =
        [] {
            std::vector<CliOption> options{
                {QStringLiteral("sheet"), QStringLiteral("N"),
                 QStringLiteral("The workbook's sheet, numbered from 1 "
                                "(default 1).")},
                {QStringLiteral("columns"), QStringLiteral("C[,C...]"),
                 QStringLiteral("The workbook's columns of numbers: letters (A, B, ...) or numbers from 1.")},
                {QStringLiteral("message"), QStringLiteral("TEXT"),
                 QStringLiteral("The composer's text, given to every "
                                "row.")},
            };
            for (const CliOption& option : CliExcel::CheckOptions())
                options.push_back(option);
            options.push_back(CliOptions::kCountry);
            options.push_back(CliOptions::kDropImpossible);
            options.push_back(CliData::kOption);
            options.push_back(CliOptions::kJson);
            return options;
        }(),
    .positional = {QStringLiteral("FILE"), QStringLiteral("A text file (.txt) or a workbook (.xls, .xlsx)."), 1, 1},
    .details = CliExcel::kRowsJson,
    .failure = QStringLiteral("the file was refused or no row was taken"),
    .run = RunImport,
});
