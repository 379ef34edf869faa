#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <optional>
#include <vector>

// Command-line options of one bulksms-cli command: "--name value" options (repeatable), "--flag" switches and
// positional words. Parse() refuses unknown options and missing values.
class CliArgs {
public:
    // valueOptions / flagOptions name the accepted options without their leading "--".
    static std::optional<CliArgs> Parse(const QStringList& args, const QStringList& valueOptions,
                                        const QStringList& flagOptions, QString* error);

    bool Has(const QString& name) const { return m_values.count(name) != 0 || m_flags.contains(name); }
    QString Value(const QString& name, const QString& fallback = {}) const;
    QStringList Values(const QString& name) const;
    const QStringList& Positional() const { return m_positional; }

private:
    std::map<QString, QStringList> m_values;
    QStringList m_flags;
    QStringList m_positional;
};

// Exit statuses shared by the commands.
enum CliExit { kExitOk = 0, kExitRefused = 1, kExitUsage = 2 };

struct CliCommand {
    QString name;
    QString usage; // one line: the options after the command name
    std::function<int(const QStringList& args)> run;
};

// Each command file registers itself with a static BULKSMS_CLI_COMMAND; main() dispatches by name.
class CliRegistry {
public:
    static bool Add(CliCommand command);
    static const std::vector<CliCommand>& All();
};

#define BULKSMS_CLI_CONCAT_(a, b) a##b
#define BULKSMS_CLI_CONCAT(a, b) BULKSMS_CLI_CONCAT_(a, b)
#define BULKSMS_CLI_COMMAND(name, usage, function)                                                                 \
    static const bool BULKSMS_CLI_CONCAT(kRegistered_, __LINE__) = CliRegistry::Add({name, usage, function})

// UTF-8 output helpers (stdout / stderr), each text followed by a line feed.
void CliOut(const QString& line);
void CliErr(const QString& line);
// Prints "usage: bulksms-cli NAME USAGE" and the error on stderr, returns kExitUsage.
int CliUsageError(const QString& command, const QString& error);
// Reads a whole UTF-8 file; false with an error text when it cannot be read.
bool CliReadUtf8File(const QString& path, QString* text, QString* error);
