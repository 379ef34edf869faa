#include "CliParser.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace {

const QString kHelp = QStringLiteral("help");

// QCommandLineParser's own texts end with a full stop and quote with '; ours name the option as it is typed.
QString ParserError(const QCommandLineParser& parser) {
    QString text = parser.errorText();
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text.isEmpty() ? QStringLiteral("invalid arguments") : text.at(0).toLower() + text.mid(1);
}

QString CountError(const CliPositional& positional, const QStringList& given) {
    // Without positional arguments max is 0, so the first word given is the unexpected one.
    if (positional.name.isEmpty() || (positional.max >= 0 && given.size() > positional.max))
        return QStringLiteral("unexpected argument %1").arg(given.value(positional.max));
    return positional.min == 1 && positional.max == 1
               ? QStringLiteral("give one %1").arg(positional.name)
               : QStringLiteral("give at least %1 %2").arg(positional.min).arg(positional.name);
}

} // namespace

CliParser::Result CliParser::Parse(const CliCommand& command, const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), kHelp}, QStringLiteral("Show this help.")));
    for (const CliOption& option : command.options)
        parser.addOption(QCommandLineOption(option.name, option.description, option.valueName));

    Result result;
    // The first word stands for the program; QCommandLineParser never reads it as an argument.
    const bool parsed = parser.parse(QStringList{QStringLiteral("bulksms-cli")} + arguments);
    // Help wins over every other mistake, so that "send --bogus --help" still shows the help.
    if (parser.isSet(kHelp)) {
        result.help = true;
        return result;
    }
    if (!parsed) {
        result.error = ParserError(parser);
        return result;
    }
    CliArgs args;
    for (const CliOption& option : command.options) {
        if (parser.isSet(option.name))
            args.m_values[option.name] = option.valueName.isEmpty() ? QStringList() : parser.values(option.name);
    }
    args.m_positional = parser.positionalArguments();
    const CliPositional& positional = command.positional;
    const qsizetype count = args.m_positional.size();
    if ((positional.name.isEmpty() && count > 0) || count < positional.min ||
        (positional.max >= 0 && count > positional.max)) {
        result.error = CountError(positional, args.m_positional);
        return result;
    }
    result.args = std::move(args);
    return result;
}
