#include "CliCommand.h"

#include <QFile>

#include <cstdio>

std::optional<CliArgs> CliArgs::Parse(const QStringList& args, const QStringList& valueOptions,
                                      const QStringList& flagOptions, QString* error) {
    CliArgs out;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!arg.startsWith(QLatin1String("--")) || arg == QLatin1String("--")) {
            out.m_positional << arg;
            continue;
        }
        QString name = arg.mid(2);
        QString inlineValue;
        bool hasInline = false;
        if (const qsizetype eq = name.indexOf(QLatin1Char('=')); eq > 0) {
            inlineValue = name.mid(eq + 1);
            name = name.left(eq);
            hasInline = true;
        }
        if (valueOptions.contains(name)) {
            if (hasInline) {
                out.m_values[name] << inlineValue;
            } else if (i + 1 < args.size()) {
                out.m_values[name] << args.at(++i);
            } else {
                *error = QStringLiteral("option --%1 needs a value").arg(name);
                return std::nullopt;
            }
        } else if (flagOptions.contains(name) && !hasInline) {
            out.m_flags << name;
        } else {
            *error = QStringLiteral("unknown option %1").arg(arg);
            return std::nullopt;
        }
    }
    return out;
}

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

const std::vector<CliCommand>& CliRegistry::All() { return Registry(); }

void CliOut(const QString& line) {
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

void CliErr(const QString& line) {
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
}

int CliUsageError(const QString& command, const QString& error) {
    for (const CliCommand& c : CliRegistry::All()) {
        if (c.name == command)
            CliErr(QStringLiteral("usage: bulksms-cli %1 %2").arg(c.name, c.usage));
    }
    CliErr(QStringLiteral("bulksms-cli %1: %2").arg(command, error));
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
