#pragma once

#include "CliExcel.h"

#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <vector>

class CliArgs;
class Session;
struct CliOption;

// "PATH=value" options keyed by port; false with the error for an item without "=".
bool CliPortValues(const QStringList& items, std::map<QString, QString>* out, QString* error);

// What `send` and `submit` take alike: the rows (numbers, rows, a workbook), the composer's text and the
// sending options (retries, pauses, skip duplicates, exclusion, quotas per device, ...), checked and then put
// into a session the way the main window would hold them.
struct CliSendInputs {
    CliExcel::RowSource excel;
    QString message;
    std::map<QString, QString> quotas; // port -> manual quota
    int retries = 0;
    QString pauseFor; // the window's text; empty: no pauses

    // Reads and checks the options; an exit status (a usage error, printed) when they do not combine.
    static std::optional<int> Parse(const CliArgs& a, const QString& command, CliSendInputs* inputs);
    // The options as `--help` lists them; the command adds its own (ports, export, ...).
    static std::vector<CliOption> Options();
    static QString Synopsis();

    // The composer, the options and the rows into the session; the devices must be selected first when quotas
    // name ports. An exit status when the rows could not be read (told).
    std::optional<int> Load(const CliArgs& a, const QString& command, Session& session) const;
};
