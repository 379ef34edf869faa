#include "CliExcel.h"
#include "CliData.h"
#include "CliJson.h"

#include "composer/ContactTextImport.h"
#include "composer/DynamicMessageImport.h"
#include "composer/ExcelMessageImport.h"
#include "composer/RecipientList.h"
#include "exclusion/ExclusionStore.h"
#include "exclusion/LoadExclusionSet.h"

#include <QFileInfo>

#include <algorithm>

namespace CliExcel {

namespace {
constexpr int kLastColumn = 16384; // XFD: the widest sheet a workbook can hold

const QString kEmptyTemplate = QStringLiteral("Please enter some text message.");
} // namespace

std::optional<int> ParseColumn(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const int number = t.toInt(&ok);
    if (ok)
        return number >= 1 && number <= kLastColumn ? std::optional<int>(number) : std::nullopt;
    if (t.size() > 3)
        return std::nullopt;
    int column = 0;
    for (const QChar c : t) {
        const QChar upper = c.toUpper();
        if (upper < QLatin1Char('A') || upper > QLatin1Char('Z'))
            return std::nullopt;
        column = column * 26 + (upper.unicode() - u'A' + 1);
    }
    return column <= kLastColumn ? std::optional<int>(column) : std::nullopt;
}

std::optional<int> ParseSheet(const QString& text) {
    bool ok = false;
    const int sheet = text.trimmed().toInt(&ok);
    return ok && sheet >= 1 ? std::optional<int>(sheet) : std::nullopt;
}

bool IsWorkbookPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("xls") || suffix == QLatin1String("xlsx");
}

std::vector<CliOption> SourceOptions() {
    return {
        {QStringLiteral("sheet"), QStringLiteral("N"), QStringLiteral("The sheet, numbered from 1.")},
        {QStringLiteral("number-column"), QStringLiteral("C"),
         QStringLiteral("A column of numbers: a letter A to J or a number 1 to 10 (one with --message-column, one "
                        "or more with --template).")},
        {QStringLiteral("message-column"), QStringLiteral("C"), QStringLiteral("The column of each number's message.")},
        {QStringLiteral("template"), QStringLiteral("TEXT"),
         QStringLiteral("A message for every number, its <COL-N> placeholders filled from the number's row.")},
    };
}

std::vector<CliOption> CheckOptions() {
    return {
        {QStringLiteral("skip-duplicates"), {}, QStringLiteral("Leave out numbers already in the list.")},
        {QStringLiteral("exclusion"),
         {},
         QStringLiteral("Leave out numbers of the applied exclusion lists (see `bulksms-cli exclusion`).")},
    };
}

bool ParseRowSource(const CliArgs& args, const QString& path, RowSource* source, QString* error) {
    source->path = path;
    if (!args.Has(QStringLiteral("sheet"))) {
        *error = QStringLiteral("give --sheet N");
        return false;
    }
    const auto sheet = ParseSheet(args.Value(QStringLiteral("sheet")));
    if (!sheet) {
        *error = QStringLiteral("--sheet takes a sheet number from 1");
        return false;
    }
    source->sheet = *sheet;
    const bool byColumn = args.Has(QStringLiteral("message-column"));
    if (byColumn == args.Has(QStringLiteral("template"))) {
        *error = QStringLiteral("give exactly one of --message-column and --template");
        return false;
    }
    // The wizard offers the first 10 columns of the used range for numbers and messages.
    const auto column = [&](const QString& text, int* out) {
        const auto c = ParseColumn(text);
        if (!c || *c > ExcelMessageImport::kMaxImportColumns) {
            *error = QStringLiteral("%1: a column is a letter A to J or a number 1 to %2")
                         .arg(text)
                         .arg(ExcelMessageImport::kMaxImportColumns);
            return false;
        }
        *out = *c;
        return true;
    };
    const QStringList numberColumns = args.Values(QStringLiteral("number-column"));
    if (numberColumns.isEmpty()) {
        *error = QStringLiteral("give --number-column C");
        return false;
    }
    if (byColumn && numberColumns.size() != 1) {
        *error = QStringLiteral("--message-column takes one --number-column");
        return false;
    }
    source->numberColumns.clear();
    for (const QString& text : numberColumns) {
        int c = 0;
        if (!column(text, &c))
            return false;
        source->numberColumns << c;
    }
    std::sort(source->numberColumns.begin(), source->numberColumns.end());
    source->numberColumns.erase(std::unique(source->numberColumns.begin(), source->numberColumns.end()),
                                source->numberColumns.end());
    if (byColumn) {
        if (!column(args.Value(QStringLiteral("message-column")), &source->messageColumn))
            return false;
    } else {
        source->messageColumn = 0;
        source->messageTemplate = args.Value(QStringLiteral("template"));
    }
    return true;
}

QString Import(const RowSource& source, RecipientList& list, const NumberCheckOptions& options) {
    if (!QFileInfo(source.path).isFile())
        return ContactTextImport::kMissing;
    if (!IsWorkbookPath(source.path))
        return QStringLiteral("Please select a valid file.");
    if (source.messageColumn == 0 && source.messageTemplate.trimmed().isEmpty())
        return kEmptyTemplate;
    const ExcelMessageImport::Outcome outcome =
        source.messageColumn > 0 ? ExcelMessageImport::Import(source.path, source.sheet, source.numberColumns.value(0),
                                                              source.messageColumn, list, options)
                                 : DynamicMessageImport::Import(source.path, source.sheet, source.numberColumns,
                                                                source.messageTemplate, list, options);
    if (!outcome.status)
        return outcome.status.Message();
    return outcome.refusal;
}

void NumberCheck(const CliArgs& args, ExclusionSet* set, NumberCheckOptions* options) {
    options->skipDuplicates = args.Has(QStringLiteral("skip-duplicates"));
    options->useExclusionRules = args.Has(QStringLiteral("exclusion"));
    options->exclusionSet = set;
    if (!options->useExclusionRules)
        return;
    const DataPaths paths = CliData::Start(args);
    ExclusionStore store(paths);
    ExclusionSetLoad load = LoadExclusionSet(store);
    if (!load.status.Ok())
        CliErr(load.status.Text());
    *set = std::move(load.set);
}

QString RowLine(const QString& number, const QString& message) {
    QString text = message;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return number + QLatin1Char('\t') + text;
}

void PrintRows(const RecipientList& list, bool json) {
    if (json) {
        QJsonArray rows;
        for (const RecipientRow& row : list.Rows())
            rows.append(QJsonObject{{QStringLiteral("number"), row.number}, {QStringLiteral("message"), row.message}});
        CliJson::Print(rows);
        return;
    }
    for (const RecipientRow& row : list.Rows())
        CliOut(RowLine(row.number, row.message));
}

int FinishImport(const RecipientList& list, const QString& refusal, bool json) {
    PrintRows(list, json);
    if (refusal.isEmpty())
        return kExitOk;
    CliErr(refusal);
    return kExitRefused;
}

} // namespace CliExcel
