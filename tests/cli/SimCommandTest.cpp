// bulksms-cli sim: a simulated modem served on a pseudo-terminal until the process is told to end.
#include "CliProcess.h"
#include "fakes/SimTestPort.h"

#include <QFileInfo>
#include <QProcess>

#include <csignal>
#include <thread>

namespace {

CliRun Sim(const QStringList& args) {
    return RunCli(QStringList{QStringLiteral("sim")} + args, 5000);
}

class SimCommand : public CliTest {};

TEST_F(SimCommand, BadArgumentsExitWithUsage) {
    const QStringList cases[] = {
        {},
        {QStringLiteral("--profile"), QStringLiteral("quirky")},
        {QStringLiteral("--link"), QStringLiteral("/tmp/x"), QStringLiteral("--profile"), QStringLiteral("bogus")},
        {QStringLiteral("--link"), QStringLiteral("/tmp/x"), QStringLiteral("--imei"), QStringLiteral("12ab")},
        {QStringLiteral("--link"), QStringLiteral("/tmp/x"), QStringLiteral("--frobnicate")},
        {QStringLiteral("--link"), QStringLiteral("/tmp/x"), QStringLiteral("extra")},
    };
    for (const QStringList& args : cases) {
        const CliRun run = Sim(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(run.err.contains(QLatin1String("usage: bulksms-cli sim"))) << run.err.toStdString();
    }
}

TEST_F(SimCommand, HelpListsEveryProfileOption) {
    const CliRun help = Sim({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option :
         {"pieces:MIN-MAX", "urc:MS", "cmddelay:MS", "reject:PATTERN=CODE", "tempfail:PATTERN=CODE[:N]",
          "report:PATTERN=delivered|failed:CODE|none", "report-delay:MS", "no-cmms", "wipe-smsc-on-csmp",
          "cnmi-cdsi-only", "cnmi-cds-only", "cnmi-none", "storage:N", "--inject FILE", "\"parts_order\""})
        EXPECT_TRUE(help.out.contains(QLatin1String(option))) << option;
    const CliRun bad = Sim({QStringLiteral("--link"), QStringLiteral("/tmp/x"), QStringLiteral("--profile"),
                            QStringLiteral("report:+44*=lost")});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.err.contains(QLatin1String("report:PATTERN="))) << bad.err.toStdString();
}

TEST_F(SimCommand, DeliversMessagesFromTheInjectionFile) {
    const QString link = m_dir.filePath(QStringLiteral("modem"));
    const QString inbox = File(QStringLiteral("inbox.jsonl"), R"({"from":"+447700900123","text":"STOP"})"
                                                              "\n");
    EXPECT_EQ(Sim({QStringLiteral("--link"), link, QStringLiteral("--inject"), m_dir.filePath(QStringLiteral("no"))})
                  .exitCode,
              1);

    QProcess p;
    p.start(CliPath(), {QStringLiteral("sim"), QStringLiteral("--link"), link, QStringLiteral("--profile"),
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

TEST_F(SimCommand, ExitsWithOneWhenThePortCannotBeMade) {
    EXPECT_EQ(Sim({QStringLiteral("--link"), m_dir.filePath(QStringLiteral("no/such/dir/modem"))}).exitCode, 1);
}

TEST_F(SimCommand, ServesUntilTerminatedThenRemovesTheLink) {
    const QString link = m_dir.filePath(QStringLiteral("modem"));
    const QString log = m_dir.filePath(QStringLiteral("log.jsonl"));
    QProcess p;
    p.start(CliPath(), {QStringLiteral("sim"), QStringLiteral("--link"), link, QStringLiteral("--profile"),
                        QStringLiteral("noecho"), QStringLiteral("--profile"), QStringLiteral("quirky"),
                        QStringLiteral("--imei"), QStringLiteral("353535353535353"), QStringLiteral("--log"), log});
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

} // namespace
