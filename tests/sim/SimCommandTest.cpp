#include "SimTestPort.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <csignal>

namespace {

// bulksms-cli is built beside this test program; when it is not there (only the library was built), the
// command's tests are skipped.
bool CliBuilt() {
    return QFileInfo(QStringLiteral(BULKSMS_CLI_PATH)).isExecutable();
}

int RunCli(const QStringList& args, QByteArray* err = nullptr) {
    QProcess p;
    p.start(QStringLiteral(BULKSMS_CLI_PATH), QStringList{QStringLiteral("sim")} + args);
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    if (err)
        *err = p.readAllStandardError();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

TEST(SimCommand, BadArgumentsExitWithUsage) {
    if (!CliBuilt())
        GTEST_SKIP() << "bulksms-cli not built";
    const QStringList cases[] = {
        {},
        {QStringLiteral("--profile"), QStringLiteral("quirky")},
        {QStringLiteral("--link"), QStringLiteral("/tmp/x"), QStringLiteral("--profile"), QStringLiteral("bogus")},
        {QStringLiteral("--link"), QStringLiteral("/tmp/x"), QStringLiteral("--imei"), QStringLiteral("12ab")},
        {QStringLiteral("--link"), QStringLiteral("/tmp/x"), QStringLiteral("--frobnicate")},
        {QStringLiteral("--link"), QStringLiteral("/tmp/x"), QStringLiteral("extra")},
    };
    for (const QStringList& args : cases) {
        QByteArray err;
        EXPECT_EQ(RunCli(args, &err), 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(err.contains("usage: bulksms-cli sim")) << err.toStdString();
    }
}

TEST(SimCommand, HelpListsEveryProfileOption) {
    if (!CliBuilt())
        GTEST_SKIP() << "bulksms-cli not built";
    QProcess p;
    p.start(QStringLiteral(BULKSMS_CLI_PATH), {QStringLiteral("sim"), QStringLiteral("--help")});
    ASSERT_TRUE(p.waitForFinished(5000));
    EXPECT_EQ(p.exitCode(), 0);
    const QByteArray out = p.readAllStandardOutput();
    for (const char* option :
         {"pieces:MIN-MAX", "urc:MS", "cmddelay:MS", "reject:PATTERN=CODE", "tempfail:PATTERN=CODE[:N]",
          "report:PATTERN=delivered|failed:CODE|none", "report-delay:MS", "no-cmms", "wipe-smsc-on-csmp",
          "cnmi-cdsi-only", "cnmi-cds-only", "cnmi-none", "storage:N", "--inject FILE", "\"parts_order\""})
        EXPECT_TRUE(out.contains(option)) << option;

    QByteArray err;
    EXPECT_EQ(RunCli({QStringLiteral("--link"), QStringLiteral("/tmp/x"), QStringLiteral("--profile"),
                      QStringLiteral("report:+44*=lost")},
                     &err),
              2);
    EXPECT_TRUE(err.contains("report:PATTERN=")) << err.toStdString();
}

TEST(SimCommand, ExitsWithOneWhenThePortCannotBeMade) {
    if (!CliBuilt())
        GTEST_SKIP() << "bulksms-cli not built";
    QTemporaryDir dir;
    EXPECT_EQ(RunCli({QStringLiteral("--link"), dir.filePath(QStringLiteral("no/such/dir/modem"))}), 1);
}

TEST(SimCommand, ServesUntilTerminatedThenRemovesTheLink) {
    if (!CliBuilt())
        GTEST_SKIP() << "bulksms-cli not built";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("modem"));
    const QString log = dir.filePath(QStringLiteral("log.jsonl"));
    QProcess p;
    p.start(QStringLiteral(BULKSMS_CLI_PATH),
            {QStringLiteral("sim"), QStringLiteral("--link"), link, QStringLiteral("--profile"),
             QStringLiteral("noecho"), QStringLiteral("--profile"), QStringLiteral("quirky"), QStringLiteral("--imei"),
             QStringLiteral("353535353535353"), QStringLiteral("--log"), log});
    ASSERT_TRUE(p.waitForStarted(5000));
    ASSERT_TRUE(p.waitForReadyRead(5000)); // the first line is printed once the port is served
    EXPECT_TRUE(p.readAllStandardOutput().contains(link.toUtf8()));
    ASSERT_TRUE(QFileInfo(link).isSymLink());

    {
        SimTestPort port(link);
        ASSERT_TRUE(port.IsOpen());
        EXPECT_TRUE(port.Command("AT+CGSN\r").contains("353535353535353"));
        EXPECT_TRUE(port.Command("AT+CMGS=23\r", "> ").contains("> "));
        port.Write("0011000B916407281553F80000AA0AE8329BFD4697D9EC37\x1A");
        EXPECT_TRUE(port.ReadUntil("OK\r\n").contains("+CMGS: 1"));
    }

    ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(5000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray line = file.readAll();
    EXPECT_TRUE(line.startsWith("{\"mode\":\"pdu\",\"to\":\"+46708251358\",\"text\":\"hellohello\""))
        << line.toStdString();
    EXPECT_TRUE(line.endsWith("}\n"));
}

TEST(SimCommand, DeliversMessagesFromTheInjectionFile) {
    if (!CliBuilt())
        GTEST_SKIP() << "bulksms-cli not built";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("modem"));
    const QString inbox = dir.filePath(QStringLiteral("inbox.jsonl"));
    QFile file(inbox);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"from":"+447700900123","text":"STOP"})"
               "\n");
    file.close();
    EXPECT_EQ(RunCli({QStringLiteral("--link"), link, QStringLiteral("--inject"), dir.filePath(QStringLiteral("no"))}),
              1);

    QProcess p;
    p.start(QStringLiteral(BULKSMS_CLI_PATH),
            {QStringLiteral("sim"), QStringLiteral("--link"), link, QStringLiteral("--profile"),
             QStringLiteral("noecho"), QStringLiteral("--inject"), inbox});
    ASSERT_TRUE(p.waitForStarted(5000));
    ASSERT_TRUE(p.waitForReadyRead(5000));
    {
        SimTestPort port(link);
        ASSERT_TRUE(port.IsOpen());
        QByteArray listing;
        for (int i = 0; i < 50 && !listing.contains("+CMGL: 1,"); ++i) {
            listing = port.Command("AT+CMGF=1;+CMGL=\"ALL\"\r");
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        EXPECT_TRUE(listing.contains("\"+447700900123\",,\"")) << listing.toStdString();
        EXPECT_TRUE(listing.contains("\r\nSTOP\r\n")) << listing.toStdString();
    }
    ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(5000));
    EXPECT_EQ(p.exitCode(), 0);
}

} // namespace
