#include "CliHelp.h"

#include <QRegularExpression>

#include <algorithm>

#ifndef BULKSMS_VERSION
#define BULKSMS_VERSION "unknown"
#endif

namespace CliHelp {

namespace {

constexpr qsizetype kWidth = 100;          // help lines are wrapped at this column
constexpr qsizetype kMaxOptionColumn = 28; // wider option names put their description on the next line

const QString kProgramSummary =
    QStringLiteral("Send SMS in bulk through GSM modems and phones on serial ports, and work with the data folder of "
                   "VRIX Bulk SMS (sent items, templates, exclusion lists) from scripts and terminals.");
const QString kHelpOptionName = QStringLiteral("-h, --help");
const QString kHelpOptionText = QStringLiteral("Show this help.");

struct ExitStatus {
    int code;
    QString meaning;
};
const std::vector<ExitStatus>& ExitStatuses() {
    static const std::vector<ExitStatus> statuses{
        {kExitOk, QStringLiteral("success; for send, every row was sent")},
        {kExitRefused, QStringLiteral("failure: a refusal, a device or file error, a message not sent")},
        {kExitUsage, QStringLiteral("usage error: an unknown command or option, a missing value or argument")},
    };
    return statuses;
}

// What a serial port needs on Linux; the same advice the commands print when a port fails.
const QString kSerialPorts = QStringLiteral(
    "Serial devices belong to the group that owns their device node, usually dialout; a user outside it gets "
    "\"Permission denied\". Add yourself with: sudo usermod -aG dialout $USER (then log out and in again).\n"
    "ModemManager opens new modem ports and probes them for some seconds after they appear, and keeps the ones it "
    "recognises: the port is then busy. `bulksms-cli udev-rule --port PATH` prints a udev rule that tells "
    "ModemManager to leave the device alone, with where to put it.");

const QString kFiles = QStringLiteral(
    "BULK_SMS_DATA: the data folder (sent items, templates, exclusion lists), beside the program when that "
    "folder is writable, otherwise under ~/.local/share; `bulksms-cli datadir` prints it and --data DIR chooses "
    "another.");

QString OptionLabel(const CliOption& option) {
    return QStringLiteral("--") + option.name +
           (option.valueName.isEmpty() ? QString() : QLatin1Char(' ') + option.valueName);
}

// The paragraphs of a help text: lines that start with spaces (examples, tables) each stand alone as they
// are; other lines run on into the next one unless they end a sentence or introduce something (".", ":").
struct Paragraph {
    QString text;
    bool verbatim = false;
};
std::vector<Paragraph> Paragraphs(const QString& text) {
    std::vector<Paragraph> paragraphs;
    bool open = false;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.trimmed().isEmpty()) {
            open = false;
            continue;
        }
        const bool verbatim = line.startsWith(QLatin1Char(' '));
        if (open && !verbatim)
            paragraphs.back().text += QLatin1Char(' ') + line;
        else
            paragraphs.push_back({verbatim ? line : line.trimmed(), verbatim});
        open = !verbatim && !line.endsWith(QLatin1Char('.')) && !line.endsWith(QLatin1Char(':'));
    }
    return paragraphs;
}

QString WrapParagraphs(const QString& text) {
    QStringList lines;
    for (const Paragraph& p : Paragraphs(text))
        lines << (p.verbatim ? p.text : Wrap(p.text, 0, kWidth));
    return lines.join(QLatin1Char('\n'));
}

// Two columns: labels, then their texts wrapped beside them.
QString Table(const std::vector<std::pair<QString, QString>>& rows) {
    qsizetype column = 0;
    for (const auto& [label, text] : rows) {
        if (label.size() <= kMaxOptionColumn)
            column = std::max(column, label.size());
    }
    const qsizetype textColumn = 2 + column + 2;
    QString out;
    for (const auto& [label, text] : rows) {
        out += QStringLiteral("  ") + label;
        if (label.size() > column)
            out += QLatin1Char('\n') + QString(textColumn, QLatin1Char(' '));
        else
            out += QString(textColumn - 2 - label.size(), QLatin1Char(' '));
        out += Wrap(text, textColumn, kWidth) + QLatin1Char('\n');
    }
    return out;
}

QString ExitStatusLine(const CliCommand& command) {
    return QStringLiteral("Exit status: 0 success, 1 %1, 2 usage error.")
        .arg(command.failure.isEmpty() ? QStringLiteral("failure") : command.failure);
}

// roff: backslashes written as \e, a line's leading dot or quote protected, hyphens as minus signs in
// option names.
QString Roff(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char('\\'), QStringLiteral("\\e"));
    out.replace(QLatin1Char('-'), QStringLiteral("\\-"));
    QStringList lines = out.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.startsWith(QLatin1Char('.')) || line.startsWith(QLatin1Char('\'')))
            line.prepend(QStringLiteral("\\&"));
    }
    return lines.join(QLatin1Char('\n'));
}

// The paragraphs of a help text as man(7) paragraphs, verbatim ones unfilled.
QString RoffParagraphs(const QString& text) {
    QString out;
    bool verbatim = false;
    for (const Paragraph& p : Paragraphs(text)) {
        if (p.verbatim && !verbatim)
            out += QStringLiteral(".PP\n.nf\n");
        else if (!p.verbatim)
            out += verbatim ? QStringLiteral(".fi\n.PP\n") : QStringLiteral(".PP\n");
        verbatim = p.verbatim;
        out += Roff(p.text) + QLatin1Char('\n');
    }
    if (verbatim)
        out += QStringLiteral(".fi\n");
    return out;
}

QString RoffOption(const CliOption& option) {
    QString label = QStringLiteral(".B \\-\\-") + Roff(option.name);
    if (!option.valueName.isEmpty())
        label = QStringLiteral(".BI \\-\\-") + Roff(option.name) + QStringLiteral(" \" \" ") + Roff(option.valueName);
    return label;
}

// The words a value of this option can take: "pdu|text" gives pdu and text; empty when free.
QStringList Choices(const CliOption& option) {
    static const QRegularExpression choice(QStringLiteral("^[a-z0-9-]+(\\|[a-z0-9-]+)+$"));
    return choice.match(option.valueName).hasMatch() ? option.valueName.split(QLatin1Char('|')) : QStringList();
}

} // namespace

QString Wrap(const QString& text, qsizetype indent, qsizetype width) {
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QString out;
    qsizetype column = indent;
    bool first = true;
    for (const QString& word : words) {
        if (!first && column + 1 + word.size() > width) {
            out += QLatin1Char('\n') + QString(indent, QLatin1Char(' '));
            column = indent;
            first = true;
        }
        if (!first) {
            out += QLatin1Char(' ');
            ++column;
        }
        out += word;
        column += word.size();
        first = false;
    }
    return out;
}

QString UsageLine(const CliCommand& command) {
    const QString head = QStringLiteral("usage: bulksms-cli ") + command.name;
    if (command.synopsis.isEmpty())
        return head;
    // Long synopses continue under their first option.
    return head + QLatin1Char(' ') + Wrap(command.synopsis, head.size() + 1, kWidth);
}

QString CommandHelp(const CliCommand& command) {
    QString text =
        UsageLine(command) + QStringLiteral("\n\n") + Wrap(command.summary, 0, kWidth) + QStringLiteral("\n");
    if (!command.positional.name.isEmpty()) {
        text += QStringLiteral("\nArguments:\n") + Table({{command.positional.name, command.positional.description}});
    }
    std::vector<std::pair<QString, QString>> rows;
    for (const CliOption& option : command.options)
        rows.emplace_back(OptionLabel(option), option.description);
    rows.emplace_back(kHelpOptionName, kHelpOptionText);
    text += QStringLiteral("\nOptions:\n") + Table(rows);
    if (!command.details.isEmpty())
        text += QLatin1Char('\n') + WrapParagraphs(command.details) + QLatin1Char('\n');
    return text + QLatin1Char('\n') + ExitStatusLine(command) + QLatin1Char('\n');
}

QString ProgramHelp() {
    QString text = QStringLiteral("usage: bulksms-cli COMMAND [OPTIONS] [ARGUMENTS]\n"
                                  "       bulksms-cli COMMAND --help\n"
                                  "       bulksms-cli --version\n\n") +
                   Wrap(kProgramSummary, 0, kWidth) + QStringLiteral("\n\nCommands:\n");
    std::vector<std::pair<QString, QString>> rows;
    for (const CliCommand& c : CliRegistry::All())
        rows.emplace_back(c.name, c.summary);
    text += Table(rows) + QStringLiteral("\nOptions:\n") +
            Table({{kHelpOptionName, kHelpOptionText},
                   {QStringLiteral("--version"), QStringLiteral("Show the version.")}}) +
            QStringLiteral("\nExit status:\n");
    rows.clear();
    for (const ExitStatus& s : ExitStatuses())
        rows.emplace_back(QString::number(s.code), s.meaning);
    return text + Table(rows) + QStringLiteral("\nSerial ports:\n") + WrapParagraphs(kSerialPorts) +
           QStringLiteral("\n");
}

QString Version() {
    return QStringLiteral("bulksms-cli (VRIX Bulk SMS) " BULKSMS_VERSION);
}

QString ManPage() {
    QString man = QStringLiteral(".TH BULKSMS\\-CLI 1 \"\" \"VRIX Bulk SMS " BULKSMS_VERSION "\" \"User Commands\"\n"
                                 ".SH NAME\n"
                                 "bulksms\\-cli \\- send SMS in bulk through GSM modems from the command line\n"
                                 ".SH SYNOPSIS\n"
                                 ".B bulksms\\-cli\n.I command\n.RI [ options ]\n.RI [ arguments ]\n.br\n"
                                 ".B bulksms\\-cli\n.I command\n.B \\-\\-help\n.br\n"
                                 ".B bulksms\\-cli \\-\\-version\n"
                                 ".SH DESCRIPTION\n") +
                  Roff(kProgramSummary) +
                  QStringLiteral("\n.PP\nEvery command takes \\fB\\-h\\fR or \\fB\\-\\-help\\fR. Commands that print a "
                                 "table or a result take \\fB\\-\\-json\\fR: their output is then JSON, and "
                                 "\\fBsend\\fR and \\fBsend\\-one\\fR print one JSON object per row as it "
                                 "finishes.\n.SH COMMANDS\n");
    for (const CliCommand& c : CliRegistry::All()) {
        man += QStringLiteral(".SS \"") + Roff(c.name) + QStringLiteral("\"\n.B bulksms\\-cli ") + Roff(c.name) +
               QLatin1Char('\n') + Roff(c.synopsis) + QStringLiteral("\n.PP\n") + Roff(c.summary) + QLatin1Char('\n');
        if (!c.positional.name.isEmpty())
            man += QStringLiteral(".TP\n.I ") + Roff(c.positional.name) + QLatin1Char('\n') +
                   Roff(c.positional.description) + QLatin1Char('\n');
        for (const CliOption& option : c.options)
            man += QStringLiteral(".TP\n") + RoffOption(option) + QLatin1Char('\n') + Roff(option.description) +
                   QLatin1Char('\n');
        if (!c.details.isEmpty())
            man += RoffParagraphs(c.details);
        man += QStringLiteral(".PP\n") + Roff(ExitStatusLine(c)) + QLatin1Char('\n');
    }
    man += QStringLiteral(".SH \"EXIT STATUS\"\n");
    for (const ExitStatus& s : ExitStatuses())
        man += QStringLiteral(".TP\n.B %1\n").arg(s.code) + Roff(s.meaning) + QLatin1Char('\n');
    man += QStringLiteral(".SH \"SERIAL PORTS\"\n") + RoffParagraphs(kSerialPorts) + QStringLiteral(".SH FILES\n") +
           Roff(kFiles) +
           QStringLiteral("\n.SH EXAMPLES\n.nf\n"
                          "bulksms\\-cli scan \\-\\-json\n"
                          "bulksms\\-cli send \\-\\-port /dev/ttyUSB0 \\-\\-numbers numbers.txt "
                          "\\-\\-message \"Hello\" \\-\\-json\n"
                          "bulksms\\-cli udev\\-rule \\-\\-port /dev/ttyUSB0 | sudo tee "
                          "/etc/udev/rules.d/70\\-vrix\\-bulk\\-sms.rules\n"
                          ".fi\n.SH \"SEE ALSO\"\n.BR bulksms (1),\n.BR udev (7),\n.BR ModemManager (8)\n");
    return man;
}

QString BashCompletion() {
    QStringList names;
    for (const CliCommand& c : CliRegistry::All())
        names << c.name;
    QString script =
        QStringLiteral(
            "# bash completion for bulksms-cli, made by bulksms-cli from its own commands      -*- shell-script -*-\n\n"
            "_bulksms_cli_ports()\n{\n"
            "    local ports=$(compgen -G '/dev/ttyUSB*'; compgen -G '/dev/ttyACM*'; compgen -G "
            "'/dev/serial/by-id/*')\n"
            "    COMPREPLY=($(compgen -W \"$ports\" -- \"$cur\"))\n"
            "    _filedir\n}\n\n"
            "_bulksms_cli()\n{\n"
            "    local cur prev words cword\n"
            "    _init_completion || return\n\n"
            "    if ((cword == 1)); then\n"
            "        COMPREPLY=($(compgen -W '%1 --help --version' -- \"$cur\"))\n"
            "        return\n"
            "    fi\n\n"
            "    local options= positional=\n"
            "    case ${words[1]} in\n")
            .arg(names.join(QLatin1Char(' ')));
    for (const CliCommand& c : CliRegistry::All()) {
        QStringList optionWords;
        QString valueCases;
        for (const CliOption& option : c.options) {
            optionWords << QStringLiteral("--") + option.name;
            if (option.valueName.isEmpty())
                continue;
            QString action;
            if (option.name == QLatin1String("port"))
                action = QStringLiteral("_bulksms_cli_ports");
            else if (option.valueName == QLatin1String("DIR"))
                action = QStringLiteral("_filedir -d");
            else if (option.valueName.startsWith(QLatin1String("FILE")) || option.valueName == QLatin1String("PATH"))
                action = QStringLiteral("_filedir");
            else if (const QStringList choices = Choices(option); !choices.isEmpty())
                action =
                    QStringLiteral("COMPREPLY=($(compgen -W '%1' -- \"$cur\"))").arg(choices.join(QLatin1Char(' ')));
            else
                action = QStringLiteral("COMPREPLY=()");
            valueCases += QStringLiteral("                --%1) %2; return ;;\n").arg(option.name, action);
        }
        script += QStringLiteral("        %1)\n").arg(c.name);
        if (!valueCases.isEmpty())
            script += QStringLiteral("            case $prev in\n") + valueCases + QStringLiteral("            esac\n");
        script += QStringLiteral("            options='%1 --help'\n").arg(optionWords.join(QLatin1Char(' ')));
        if (!c.positional.name.isEmpty())
            script += QStringLiteral("            positional=files\n");
        script += QStringLiteral("            ;;\n");
    }
    script += QStringLiteral("        *) return ;;\n"
                             "    esac\n\n"
                             "    if [[ $cur == -* || -z $positional ]]; then\n"
                             "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
                             "    else\n"
                             "        _filedir\n"
                             "    fi\n"
                             "} &&\n"
                             "    complete -F _bulksms_cli bulksms-cli\n");
    return script;
}

} // namespace CliHelp
