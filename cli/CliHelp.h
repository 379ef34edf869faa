#pragma once

#include "CliCommand.h"

// The texts bulksms-cli writes about itself, all made from the registered commands so that the help, the man
// page and the shell completion never drift apart.
namespace CliHelp {

// The words of text in lines of at most width columns, the lines after the first indented by indent spaces
// (the first line's indent is the caller's).
QString Wrap(const QString& text, qsizetype indent, qsizetype width = 100);

// "usage: bulksms-cli NAME SYNOPSIS".
QString UsageLine(const CliCommand& command);
// `bulksms-cli NAME --help`: usage, summary, options with their descriptions, details, exit status.
QString CommandHelp(const CliCommand& command);
// `bulksms-cli --help`: usage, the commands with their summaries, the program's options, exit status.
QString ProgramHelp();
// `bulksms-cli --version`.
QString Version();

// The manual page bulksms-cli(1) in roff (man(7) macros).
QString ManPage();
// A bash completion script for bulksms-cli (commands, their options, files, ports and fixed choices).
QString BashCompletion();

} // namespace CliHelp
