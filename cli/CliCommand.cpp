#include "CliCommand.h"

#include "CliHelp.h"
#include "CliProgressLine.h"

#include <QFile>

#include <algorithm>

QString CliArgs::Value(const QString& name, const QString& fallback) const {
    const auto it = m_values.find(name);
    return it == m_values.end() || it->second.isEmpty() ? fallback : it->second.constLast();
}

QStringList CliArgs::Values(const QString& name) const {
    const auto it = m_values.find(name);
    return it == m_values.end() ? QStringList() : it->second;
}

namespace {
std::vector<CliCommand>& Registry() {
    static std::vector<CliCommand> commands;
    return commands;
}
} // namespace

bool CliRegistry::Add(CliCommand command) {
    Registry().push_back(std::move(command));
    return true;
}

std::vector<CliCommand> CliRegistry::All() {
    std::vector<CliCommand> commands = Registry();
    std::sort(commands.begin(), commands.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return commands;
}

const CliCommand* CliRegistry::Find(const QString& name) {
    for (const CliCommand& c : Registry()) {
        if (c.name == name)
            return &c;
    }
    return nullptr;
}

void CliOut(const QString& line) {
    CliProgressLine::WriteToStdout((line + QLatin1Char('\n')).toUtf8(), false);
}

void CliErr(const QString& line) {
    CliProgressLine::WriteToStderr((line + QLatin1Char('\n')).toUtf8());
}

int CliUsageError(const QString& command, const QString& error) {
    if (const CliCommand* c = CliRegistry::Find(command)) {
        CliErr(CliHelp::UsageLine(*c));
        CliErr(QStringLiteral("bulksms-cli %1: %2").arg(command, error));
        CliErr(QStringLiteral("Try 'bulksms-cli %1 --help' for more information.").arg(command));
    } else {
        CliErr(QStringLiteral("bulksms-cli: %1").arg(error));
        CliErr(QStringLiteral("Try 'bulksms-cli --help' for the list of commands."));
    }
    return kExitUsage;
}

bool CliReadUtf8File(const QString& path, QString* text, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    *text = QString::fromUtf8(file.readAll());
    return true;
}
