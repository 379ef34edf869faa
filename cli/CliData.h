#pragma once

#include "CliCommand.h"
#include "app/DataPaths.h"
#include "app/Prompter.h"
#include "records/SentItemsStore.h"

// The application folder of a command that touches data files. Each such command accepts
// "--data DIR": DIR is used as the application folder (its BULK_SMS_DATA inside) instead of the default one.
namespace CliData {

// Add to the command's options; kUsage goes into its synopsis.
inline const CliOption kOption{QStringLiteral("data"), QStringLiteral("DIR"),
                               QStringLiteral("Use DIR as the application folder: the data files are in its "
                                              "BULK_SMS_DATA folder (default: see `bulksms-cli datadir`).")};
inline const QString kUsage = QStringLiteral("[--data DIR]");

// Starts the data folder for the command: the folder of --data when given, else the default; makes the
// paths the shared ones (DataPaths::Shared()) and ensures the data files, as the program's start-up does.
DataPaths Start(const CliArgs& args);

// Reads the sent-items file of the data folder; false, with its file error text on stderr, when it cannot.
bool LoadSentItems(const DataPaths& paths, QList<SentItemRecord>* records);

} // namespace CliData

// Prompter of the command line: prints each notice or question on stderr (the message only) and answers
// it without asking: OK for notices, No or Cancel for questions unless told to agree.
class CliPrompter : public Prompter {
public:
    explicit CliPrompter(bool agree = false) : m_agree(agree) {}
    Answer Ask(const QString& message, const QString& caption, Icon icon, Buttons buttons) override;

private:
    bool m_agree;
};
