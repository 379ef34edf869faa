// bulksms-cli's conventions, for every command: --help and -h, --version, usage errors with the command's usage
// and exit status 2, and help texts that describe every command and every option.

#include "CliProcess.h"

#include <QRegularExpression>

namespace {

class CliConventions : public CliTest {};

// The lines of a help text's section ("Commands:", "Options:") up to the next blank line.
QStringList Section(const QString& help, const QString& heading) {
    const QStringList lines = help.split(QLatin1Char('\n'));
    const qsizetype start = lines.indexOf(heading);
    QStringList section;
    for (qsizetype i = start + 1; start >= 0 && i < lines.size() && !lines[i].isEmpty(); ++i)
        section << lines[i];
    return section;
}

// The entries of a two-column section: each "  name  text" line, continuation lines joined to their entry.
QList<QPair<QString, QString>> Entries(const QStringList& section) {
    static const QRegularExpression entry(QStringLiteral("^  (\\S+(?:, \\S+)?(?: \\S+)?)(?:\\s{2,}(.*))?$"));
    QList<QPair<QString, QString>> entries;
    for (const QString& line : section) {
        const QRegularExpressionMatch m = entry.match(line);
        if (m.hasMatch())
            entries.append({m.captured(1), m.captured(2).trimmed()});
        else if (!entries.isEmpty())
            entries.last().second = QString(entries.last().second + QLatin1Char(' ') + line.trimmed()).trimmed();
    }
    return entries;
}

QStringList Commands() {
    const CliRun help = RunCli({QStringLiteral("--help")});
    QStringList names;
    for (const auto& [name, text] : Entries(Section(help.out, QStringLiteral("Commands:"))))
        names << name;
    return names;
}

} // namespace

TEST_F(CliConventions, ProgramHelpListsEveryCommandWithItsSummary) {
    for (const QStringList& args : {QStringList{"--help"}, QStringList{"-h"}, QStringList{"help"}}) {
        const CliRun help = RunCli(args);
        EXPECT_EQ(help.exitCode, 0) << args.join(' ').toStdString();
        EXPECT_TRUE(help.out.startsWith(QStringLiteral("usage: bulksms-cli COMMAND"))) << help.out.toStdString();
        EXPECT_TRUE(help.out.contains(QStringLiteral("Exit status:\n  0  success")));
        const auto commands = Entries(Section(help.out, QStringLiteral("Commands:")));
        EXPECT_GE(commands.size(), 18);
        for (const auto& [name, summary] : commands)
            EXPECT_GT(summary.size(), 20) << name.toStdString();
    }
    // Without a command the help goes to stderr, and it is a usage error.
    const CliRun bare = RunCli({});
    EXPECT_EQ(bare.exitCode, 2);
    EXPECT_TRUE(bare.out.isEmpty());
    EXPECT_TRUE(bare.err.contains(QStringLiteral("Commands:")));

    const CliRun version = RunCli({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^bulksms-cli \\(VRIX Bulk SMS\\) \\d+\\.\\d+"))
                    .match(version.out)
                    .hasMatch())
        << version.out.toStdString();
}

// Every command answers --help and -h with its usage, summary, options (each described) and exit statuses.
TEST_F(CliConventions, EveryCommandHasHelp) {
    const QStringList commands = Commands();
    ASSERT_TRUE(commands.contains(QStringLiteral("send")));
    ASSERT_TRUE(commands.contains(QStringLiteral("udev-rule")));
    for (const QString& command : commands) {
        for (const QString& flag : {QStringLiteral("--help"), QStringLiteral("-h")}) {
            const CliRun help = RunCli({command, flag});
            const std::string what = QString(command + QLatin1Char(' ') + flag).toStdString();
            EXPECT_EQ(help.exitCode, 0) << what;
            EXPECT_TRUE(help.err.isEmpty()) << what;
            EXPECT_TRUE(help.out.startsWith(QStringLiteral("usage: bulksms-cli ") + command)) << what;
            EXPECT_TRUE(help.out.contains(QStringLiteral("\nExit status: 0 success, 1 "))) << what;
            const auto options = Entries(Section(help.out, QStringLiteral("Options:")));
            EXPECT_FALSE(options.isEmpty()) << what;
            for (const auto& [option, text] : options)
                EXPECT_FALSE(text.isEmpty()) << what << ": " << option.toStdString() << " has no description";
        }
        // "help COMMAND" is the same as "COMMAND --help".
        EXPECT_EQ(RunCli({QStringLiteral("help"), command}).out, RunCli({command, QStringLiteral("--help")}).out);
    }
}

// Mistakes in the arguments: exit status 2, the command's usage and what was wrong on stderr, nothing on stdout.
TEST_F(CliConventions, UsageErrorsShowTheCommandsUsage) {
    struct Case {
        QStringList args;
        QString usage; // the usage line's start
        QString error;
    };
    const Case cases[] = {
        {{"info", "--bogus"}, "usage: bulksms-cli info --port PATH", "bulksms-cli info: unknown option 'bogus'"},
        {{"info", "--port"}, "usage: bulksms-cli info", "bulksms-cli info: missing value after '--port'"},
        {{"info"}, "usage: bulksms-cli info", "bulksms-cli info: --port is required"},
        {{"sent", "--json=yes"}, "usage: bulksms-cli sent", "bulksms-cli sent: unexpected value after '--json'"},
        {{"ports", "extra"}, "usage: bulksms-cli ports", "bulksms-cli ports: unexpected argument extra"},
        {{"workbook"}, "usage: bulksms-cli workbook FILE", "bulksms-cli workbook: give one FILE"},
        {{"workbook", "a.xlsx", "b.xlsx"}, "usage: bulksms-cli workbook", "unexpected argument b.xlsx"},
        {{"send", "--port", "/dev/null", "--numbers"},
         "usage: bulksms-cli send --port PATH",
         "bulksms-cli send: missing value after '--numbers'"},
        {{"frobnicate"}, "usage: bulksms-cli COMMAND", "bulksms-cli: unknown command 'frobnicate'"},
        {{"--frobnicate"}, "usage: bulksms-cli COMMAND", "bulksms-cli: unknown option 'frobnicate'"},
        {{"help", "frobnicate"}, "usage: bulksms-cli COMMAND", "bulksms-cli: unknown command 'frobnicate'"},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli(c.args);
        const std::string what = c.args.join(' ').toStdString();
        EXPECT_EQ(run.exitCode, 2) << what;
        EXPECT_TRUE(run.out.isEmpty()) << what;
        EXPECT_TRUE(run.err.startsWith(c.usage)) << what << "\n" << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.error)) << what << "\n" << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("--help"))) << what;
    }
}

TEST_F(CliConventions, OptionForms) {
    // "--name=value" is "--name value"; help wins over other mistakes; a failure that is not a usage error is 1.
    const CliRun inlineValue = RunCli({"info", "--port=/nonexistent/ttyUSB9"});
    EXPECT_EQ(inlineValue.exitCode, 1);
    EXPECT_EQ(inlineValue.out, QStringLiteral("No such file or directory\n"));
    EXPECT_EQ(RunCli({"send", "--bogus", "--help"}).exitCode, 0);
    const CliRun data = RunCli({"datadir", "-data", m_dir.path()});
    EXPECT_EQ(data.exitCode, 0) << data.err.toStdString();
    EXPECT_TRUE(data.out.startsWith(m_dir.path())) << data.out.toStdString();
}
