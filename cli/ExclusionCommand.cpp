#include "CliCommand.h"
#include "CliData.h"
#include "CliJson.h"

#include "app/FileError.h"
#include "exclusion/ExclusionListRules.h"
#include "exclusion/ExclusionStore.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <optional>

// bulksms-cli exclusion: the stored exclusion lists. One action per call:
//   --lists                      the names of the index, one per line
//   --show NAME                  the numbers of one list, one per line
//   --create NAME --numbers FILE a new list from a text file of numbers (8-bit text; numbers separated by
//                                commas or line ends), with the same name and import rules as the wizard
//   --apply NAME...              the lists applied when sending (no name: none applied)
// Refusals print the message the program shows and exit 1.

namespace {

const QString kCommand = QStringLiteral("exclusion");

int Refuse(const QString& message) {
    CliErr(message);
    return kExitRefused;
}

// The index's spelling of a list name: an exact match, else the one name equal to it ignoring case.
std::optional<QString> IndexName(const QStringList& index, const QString& name) {
    if (index.contains(name))
        return name;
    for (const QString& n : index) {
        if (QString::compare(n, name, Qt::CaseInsensitive) == 0)
            return n;
    }
    return std::nullopt;
}

int RefuseUnknownList(const QString& name) {
    return Refuse(QStringLiteral("There is no exclusion list named \"%1\".").arg(name));
}

// One text a line, or a JSON array of the texts.
int PrintLines(const QStringList& lines, bool json) {
    if (json) {
        CliJson::Print(lines);
        return kExitOk;
    }
    for (const QString& line : lines)
        CliOut(line);
    return kExitOk;
}

int Lists(const ExclusionStore& store, bool json) {
    const ExclusionStoreLines index = store.ListNames();
    if (!index.status.Ok())
        return Refuse(index.status.Text());
    return PrintLines(index.lines, json);
}

int Show(const ExclusionStore& store, const QString& name, bool json) {
    const ExclusionStoreLines index = store.ListNames();
    if (!index.status.Ok())
        return Refuse(index.status.Text());
    const std::optional<QString> listed = IndexName(index.lines, name);
    if (!listed)
        return RefuseUnknownList(name);
    const ExclusionStoreLines numbers = store.LoadList(*listed);
    if (!numbers.status.Ok())
        return Refuse(numbers.status.Text());
    return PrintLines(numbers.lines, json);
}

int Create(ExclusionStore& store, const QString& name, const QString& numbersFile, bool json) {
    // The name page comes first, then the file, as in the wizard.
    const ExclusionStoreLines index = store.ListNames();
    if (!index.status.Ok())
        return Refuse(index.status.Text());
    if (const ListNameError error = CheckListName(name, index.lines); error != ListNameError::None)
        return Refuse(ListNameErrorText(error));

    if (numbersFile.isEmpty())
        return Refuse(QStringLiteral("Please select a valid file path."));
    if (const ImportFileError error = CheckImportFile(numbersFile); error != ImportFileError::None)
        return Refuse(ImportFileErrorText(error));
    if (QFileInfo(numbersFile).suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) != 0)
        return CliUsageError(kCommand, QStringLiteral("--numbers takes a text (.txt) file"));

    QFile file(numbersFile);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        return Refuse(FileErrorText(FileError::FromErrno(numbersFile, errno ? errno : EACCES)));
    const QByteArray bytes = file.readAll();

    ExclusionNumberList numbers;
    const TextImportResult imported = ImportNumbersFromText(bytes, numbers);
    if (imported.error != TextImportError::None)
        return Refuse(TextImportErrorText(imported.error));

    if (const ExclusionStoreStatus status = store.AppendList(name, numbers.Numbers()); !status.Ok())
        return Refuse(status.Text());
    if (json)
        CliJson::Print(QJsonObject{{QStringLiteral("list"), name},
                                   {QStringLiteral("numbers"), static_cast<qint64>(numbers.Count())},
                                   {QStringLiteral("message"), numbers.CountText()}});
    else
        CliOut(numbers.CountText());
    return kExitOk;
}

int Apply(ExclusionStore& store, const QStringList& names, bool json) {
    const ExclusionStoreLines index = store.ListNames();
    if (!index.status.Ok())
        return Refuse(index.status.Text());
    QStringList applied;
    for (const QString& name : names) {
        const std::optional<QString> listed = IndexName(index.lines, name);
        if (!listed)
            return RefuseUnknownList(name);
        if (!applied.contains(*listed))
            applied << *listed;
    }
    if (const ExclusionStoreStatus status = store.SaveApplied(applied); !status.Ok())
        return Refuse(status.Text());
    return PrintLines(applied, json);
}

int RunExclusion(const CliArgs& args) {
    const bool lists = args.Has(QStringLiteral("lists"));
    const bool show = args.Has(QStringLiteral("show"));
    const bool create = args.Has(QStringLiteral("create"));
    const bool apply = args.Has(QStringLiteral("apply"));
    if (int(lists) + int(show) + int(create) + int(apply) != 1)
        return CliUsageError(kCommand, QStringLiteral("give one of --lists, --show, --create, --apply"));
    if (create != args.Has(QStringLiteral("numbers")))
        return CliUsageError(kCommand, QStringLiteral("--create and --numbers go together"));
    if (!apply && !args.Positional().isEmpty())
        return CliUsageError(kCommand, QStringLiteral("unexpected argument %1").arg(args.Positional().first()));

    ExclusionStore store(CliData::Start(args));
    if (lists)
        return Lists(store, args.Json());
    if (show)
        return Show(store, args.Value(QStringLiteral("show")), args.Json());
    if (create)
        return Create(store, args.Value(QStringLiteral("create")), args.Value(QStringLiteral("numbers")), args.Json());
    return Apply(store, args.Positional(), args.Json());
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = kCommand,
    .summary = QStringLiteral("List, show, create and apply the stored exclusion lists (numbers never messaged)."),
    .synopsis = CliData::kUsage +
                QStringLiteral(" (--lists | --show NAME | --create NAME --numbers FILE | --apply [NAME...]) [--json]"),
    .options = {CliData::kOption,
                {QStringLiteral("lists"), {}, QStringLiteral("Print the names of the lists.")},
                {QStringLiteral("show"), QStringLiteral("NAME"), QStringLiteral("Print the numbers of one list.")},
                {QStringLiteral("create"), QStringLiteral("NAME"),
                 QStringLiteral("Create a list from the numbers of --numbers, with the wizard's name rules.")},
                {QStringLiteral("numbers"), QStringLiteral("FILE"),
                 QStringLiteral("A text file (.txt, 8-bit) of numbers separated by commas or line ends.")},
                {QStringLiteral("apply"),
                 {},
                 QStringLiteral("Apply the named lists when sending with --exclusion; no name applies none.")},
                CliOptions::kJson},
    .positional = {QStringLiteral("NAME..."), QStringLiteral("The lists to apply (with --apply)."), 0, -1},
    .details = QStringLiteral("JSON: --lists, --show and --apply print an array of texts; --create prints "
                              "{\"list\": NAME, \"numbers\": N, \"message\": TEXT}."),
    .failure = QStringLiteral("a refusal (unknown list, bad name or file)"),
    .run = RunExclusion,
});
