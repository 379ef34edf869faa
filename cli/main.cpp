// bulksms-cli: the program's options (help, version), then one command with its own options.
#include "CliCommand.h"
#include "CliHelp.h"
#include "CliParser.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

void Print(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

int ProgramUsageError(const QString& error) {
    CliErr(QStringLiteral("usage: bulksms-cli COMMAND [OPTIONS] [ARGUMENTS]"));
    return CliUsageError(QString(), error);
}

int RunCommand(const CliCommand& command, const QStringList& arguments) {
    const CliParser::Result parsed = CliParser::Parse(command, arguments);
    if (parsed.help) {
        Print(CliHelp::CommandHelp(command));
        return kExitOk;
    }
    if (!parsed.args)
        return CliUsageError(command.name, parsed.error);
    return command.run(*parsed.args);
}

int Run(const QStringList& arguments) {
    // Options after the command's name are the command's own.
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    // What the build installs: the manual page and the bash completion, made from the commands themselves.
    const QCommandLineOption manPage(QStringLiteral("man-page"));
    const QCommandLineOption bashCompletion(QStringLiteral("bash-completion"));
    for (const QCommandLineOption& option : {help, version, manPage, bashCompletion})
        parser.addOption(option);
    if (!parser.parse(QStringList{QStringLiteral("bulksms-cli")} + arguments)) {
        QString error = parser.errorText();
        error.chop(error.endsWith(QLatin1Char('.')) ? 1 : 0);
        return ProgramUsageError(error.isEmpty() ? error : error.at(0).toLower() + error.mid(1));
    }
    QStringList words = parser.positionalArguments();
    // "bulksms-cli help [COMMAND]" and "bulksms-cli --help COMMAND" are the command's "--help".
    const bool helpWord = !words.isEmpty() && words.first() == QLatin1String("help");
    if (helpWord)
        words.removeFirst();
    if (parser.isSet(help) || helpWord) {
        if (words.isEmpty()) {
            Print(CliHelp::ProgramHelp());
            return kExitOk;
        }
        words = QStringList{words.first(), QStringLiteral("--help")};
    }
    if (parser.isSet(version)) {
        Print(CliHelp::Version() + QLatin1Char('\n'));
        return kExitOk;
    }
    if (parser.isSet(manPage) || parser.isSet(bashCompletion)) {
        Print(parser.isSet(manPage) ? CliHelp::ManPage() : CliHelp::BashCompletion());
        return kExitOk;
    }
    if (words.isEmpty()) {
        CliErr(CliHelp::ProgramHelp());
        return kExitUsage;
    }
    const QString name = words.takeFirst();
    const CliCommand* command = CliRegistry::Find(name);
    if (!command)
        return ProgramUsageError(QStringLiteral("unknown command '%1'").arg(name));
    return RunCommand(*command, words);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("VRIX Bulk SMS"));
    const int status = Run(QCoreApplication::arguments().mid(1));
    std::fflush(stdout);
    return status;
}
