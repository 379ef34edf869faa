#include "CliCommand.h"
#include "CliData.h"

#include "templates/TemplatesController.h"

namespace {

int RunTemplates(const QStringList& argv) {
    QString error;
    const auto args = CliArgs::Parse(argv, {CliData::kOption, QStringLiteral("add")}, {}, &error);
    if (!args)
        return CliUsageError(QStringLiteral("templates"), error);
    if (!args->Positional().isEmpty())
        return CliUsageError(QStringLiteral("templates"),
                             QStringLiteral("unexpected argument %1").arg(args->Positional().first()));
    const DataPaths paths = CliData::Start(*args);
    CliPrompter prompter;
    TemplatesController templates(paths, prompter);
    if (!templates.Load())
        return kExitRefused;
    if (args->Has(QStringLiteral("add")) && !templates.AddNew(args->Value(QStringLiteral("add"))))
        return kExitRefused;
    for (QString text : templates.Rows())
        CliOut(text.replace(QLatin1Char('\n'), QLatin1String("\\n")));
    return kExitOk;
}

} // namespace

BULKSMS_CLI_COMMAND(QStringLiteral("templates"), CliData::kUsage + QStringLiteral(" [--add TEXT]"), RunTemplates);
