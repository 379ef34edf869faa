#include "CliData.h"

#include "app/AppShell.h"
#include "app/FileError.h"

#include <QDir>

namespace CliData {

DataPaths Start(const CliArgs& args) {
    const QString folder = args.Value(kOption.name);
    return AppShell::Startup(folder.isEmpty() ? QString() : QDir(folder).absolutePath());
}

bool LoadSentItems(const DataPaths& paths, QList<SentItemRecord>* records) {
    FileError error;
    if (SentItemsStore(paths.SentItemFile()).Load(records, &error))
        return true;
    CliErr(FileErrorText(error));
    return false;
}

} // namespace CliData

Prompter::Answer CliPrompter::Ask(const QString& message, const QString&, Icon, Buttons buttons) {
    CliErr(message);
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::OkCancel:
        return m_agree ? Answer::Ok : Answer::Cancel;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return m_agree ? Answer::Yes : Answer::No;
    }
    return Answer::Ok;
}
