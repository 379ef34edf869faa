// bulksms-cli templates: the template store of the data folder, listed and added to.
#include "CliCommand.h"
#include "CliData.h"
#include "CliJson.h"

#include "templates/TemplatesController.h"

namespace {

int RunTemplates(const CliArgs& args) {
    const DataPaths paths = CliData::Start(args);
    CliPrompter prompter;
    TemplatesController templates(paths, prompter);
    if (!templates.Load())
        return kExitRefused;
    if (args.Has(QStringLiteral("add")) && !templates.AddNew(args.Value(QStringLiteral("add"))))
        return kExitRefused;
    if (args.Json()) {
        CliJson::Print(templates.Rows());
        return kExitOk;
    }
    for (QString text : templates.Rows())
        CliOut(text.replace(QLatin1Char('\n'), QLatin1String("\\n")));
    return kExitOk;
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = QStringLiteral("templates"),
    .summary = QStringLiteral("Print the stored message templates in the window's order, one a line (line feeds "
                              "shown as \\n), after adding one when asked."),
    .synopsis = CliData::kUsage + QStringLiteral(" [--add TEXT] [--json]"),
    .options = {CliData::kOption,
                {QStringLiteral("add"), QStringLiteral("TEXT"),
                 QStringLiteral("Add a template first (refused when it "
                                "exists).")},
                CliOptions::kJson},
    .details = QStringLiteral("JSON: [TEXT, ...], the texts as stored."),
    .failure = QStringLiteral("the templates could not be read, or the new one was refused"),
    .run = RunTemplates,
});
