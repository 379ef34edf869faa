#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// bulksms-cli run as a separate process by the command tests; the program is built beside the test programs.
struct CliRun {
    int exitCode = -1;
    QByteArray bytes; // stdout as written
    QString out;      // stdout as UTF-8 text
    QStringList lines; // stdout's non-empty lines
    QString err;
};

// Runs bulksms-cli with the arguments. A run that has not ended after timeoutMs is killed and fails the test.
CliRun RunCli(const QStringList& args, int timeoutMs = 60000);

// Whether bulksms-cli has been built (only the libraries may have been).
bool CliBuilt();

// A command test: skipped when bulksms-cli is not built; a temporary folder for the files it reads.
class CliTest : public ::testing::Test {
protected:
    void SetUp() override;
    // Writes the bytes to a file of that name in the temporary folder and returns its path.
    QString File(const QString& name, const QByteArray& bytes);

    QTemporaryDir m_dir;
};
