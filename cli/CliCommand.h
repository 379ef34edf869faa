#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <vector>

// Exit statuses shared by the commands (also in `bulksms-cli --help` and the man page).
enum CliExit { kExitOk = 0, kExitRefused = 1, kExitUsage = 2 };

// One option of a command: "--name VALUE" when valueName is set (repeatable; the last one counts where one
// value is wanted), else a "--name" switch. The description is one line of the command's help.
struct CliOption {
    QString name;
    QString valueName;
    QString description;
};

// The positional arguments of a command: how many it takes and how its help names them ("FILE", "NAME...").
struct CliPositional {
    QString name{};
    QString description{};
    int min = 0;
    int max = 0; // -1: no limit
};

class CliArgs;

// A bulksms-cli command: what `bulksms-cli --help` lists, what `bulksms-cli NAME --help` shows, and the function
// that runs it over the parsed arguments. The framework (CliParser) adds -h/--help to every command, refuses
// unknown options, missing values and a wrong number of positional arguments with the command's usage (exit
// status 2), so a command checks only how its options combine.
// Commands are written with designated initializers; members left out keep their defaults.
struct CliCommand {
    QString name{};
    QString summary{};  // one line: what the command does
    QString synopsis{}; // how the options combine, after "bulksms-cli NAME"
    std::vector<CliOption> options{};
    CliPositional positional{}; // name empty: none taken
    QString details{};          // further help after the options (formats, profiles); may be empty
    QString failure{};          // when the command exits with 1, in a few words ("the port could not be used")
    std::function<int(const CliArgs&)> run{};
};

// The parsed command line of one command.
class CliArgs {
public:
    bool Has(const QString& name) const { return m_values.count(name) != 0; }
    // The last value given for the option, or fallback.
    QString Value(const QString& name, const QString& fallback = {}) const;
    QStringList Values(const QString& name) const;
    const QStringList& Positional() const { return m_positional; }
    // "--json": the command prints JSON for scripts instead of text for people.
    bool Json() const { return Has(QStringLiteral("json")); }

private:
    friend class CliParser;
    std::map<QString, QStringList> m_values; // every option given, with its values (none for a switch)
    QStringList m_positional;
};

// Each command file registers itself with a static BULKSMS_CLI_COMMAND; main() dispatches by name.
class CliRegistry {
public:
    static bool Add(CliCommand command);
    // In name order.
    static std::vector<CliCommand> All();
    static const CliCommand* Find(const QString& name);
};

#define BULKSMS_CLI_CONCAT_(a, b) a##b
#define BULKSMS_CLI_CONCAT(a, b) BULKSMS_CLI_CONCAT_(a, b)
#define BULKSMS_CLI_COMMAND(...)                                                                                       \
    static const bool BULKSMS_CLI_CONCAT(kRegistered_, __LINE__) = CliRegistry::Add(__VA_ARGS__)

// Options several commands share.
namespace CliOptions {
inline const CliOption kJson{QStringLiteral("json"), {}, QStringLiteral("Print JSON for scripts instead of text.")};
inline const CliOption kPort{QStringLiteral("port"), QStringLiteral("PATH"),
                             QStringLiteral("The device's port, e.g. /dev/ttyUSB0 or /dev/serial/by-id/...")};
inline const CliOption kTiming{QStringLiteral("timing"), QStringLiteral("fast|standard"),
                               QStringLiteral("Wait on the device's replies (fast, the default), or the fixed pauses "
                                              "between commands that older devices need (standard).")};
inline const CliOption kCountry{QStringLiteral("country"), QStringLiteral("CC"),
                                QStringLiteral("The default country (GB, IN, ...) that numbers are compared in; "
                                               "remembered for later commands and the window.")};
inline const CliOption kDropImpossible{QStringLiteral("drop-impossible"), {},
                                       QStringLiteral("Drop numbers impossible for the default country (listed on "
                                                      "stderr either way) instead of keeping them.")};
} // namespace CliOptions

// UTF-8 output helpers (stdout / stderr), each text followed by a line feed. CliErr keeps a progress line
// drawn on a terminal (CliProgressLine) below what it writes.
void CliOut(const QString& line);
void CliErr(const QString& line);
// A usage error of the named command: its usage line, the error and where to find help on stderr; returns
// kExitUsage.
int CliUsageError(const QString& command, const QString& error);
// Reads a whole UTF-8 file; false with an error text when it cannot be read.
bool CliReadUtf8File(const QString& path, QString* text, QString* error);
