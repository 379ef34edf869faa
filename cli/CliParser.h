#pragma once

#include "CliCommand.h"

#include <optional>

// Parses one command's arguments with QCommandLineParser against the options and positional arguments the
// command declares, plus -h/--help. "--name=value" and "--name value" are both taken; "-name" is read as
// "--name"; "--" ends the options.
class CliParser {
public:
    struct Result {
        std::optional<CliArgs> args; // set when the arguments are valid
        bool help = false;           // -h or --help was given: show the command's help instead
        QString error;               // why the arguments are not valid
    };

    static Result Parse(const CliCommand& command, const QStringList& arguments);
};
