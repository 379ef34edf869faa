#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

// bulksms-cli run as a separate process by the command tests. The test program depends on the bulksms-cli
// target, so the program is always built beside it; a missing program fails the tests.
struct CliRun {
    int exitCode = -1;
    QByteArray bytes;  // stdout as written
    QString out;       // stdout as UTF-8 text
    QStringList lines; // stdout's non-empty lines
    QString err;
};

// The path of the built bulksms-cli.
QString CliPath();

// Runs bulksms-cli with the arguments. A run that has not ended after timeoutMs is killed and fails the test.
CliRun RunCli(const QStringList& args, int timeoutMs = 60000);
// The same, with the process set up before it starts (its stderr sent to a file, a child-process modifier).
CliRun RunCliWith(const QStringList& args, const std::function<void(QProcess&)>& setUp, int timeoutMs = 60000);

// A command test: fails at once when bulksms-cli is missing; a temporary folder for the files it reads.
class CliTest : public ::testing::Test {
protected:
    void SetUp() override;
    // Writes the bytes to a file of that name in the temporary folder and returns its path.
    QString File(const QString& name, const QByteArray& bytes);

    QTemporaryDir m_dir;
};
