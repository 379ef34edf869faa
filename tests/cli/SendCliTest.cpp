// bulksms-cli send end to end: a separate process over simulated modems served by this test.

#include "CliProcess.h"
#include "fakes/PtyPeer.h"
#include "modem/ModemTiming.h"
#include "sim/SimIncomingMessage.h"
#include "sim/SimModem.h"
#include "sim/SimProfile.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

#include <memory>

namespace {

std::unique_ptr<SimModem> Sim(const QString& imei, const QString& profile = QString()) {
    SimModem::Options options;
    options.identity.imei = imei;
    if (!profile.isEmpty()) {
        QString error;
        const auto parsed = SimProfile::Parse(profile, &error);
        EXPECT_TRUE(parsed) << error.toStdString();
        if (parsed)
            options.profile = *parsed;
    }
    auto sim = std::make_unique<SimModem>(options);
    QString error;
    EXPECT_TRUE(sim->Start(&error)) << error.toStdString();
    return sim;
}

class SendCli : public CliTest {};

} // namespace

TEST_F(SendCli, SendsRowsOverTwoModemsAndLogsThem) {
    auto a = Sim(QStringLiteral("350000000000001"));
    auto b = Sim(QStringLiteral("350000000000002"));
    const QString rows =
        File(QStringLiteral("rows.txt"), "+15550001\tfirst\\nline\n+15550002\tsecond\n+15550003\tthird\n");
    const CliRun r = RunCli({"send", "--port", a->PortName(), "--port", b->PortName(), "--rows", rows, "--timing",
                             "fast", "--save-sent", "--data", m_dir.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << r.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("+15550001\tDone (")));
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("\tMessage sent successfully.\t0")));
    EXPECT_EQ(lines[3], QStringLiteral("3 / 3 Message or 100.00%"));
    EXPECT_EQ(a->SubmissionCount() + b->SubmissionCount(), 3);
    QStringList texts;
    for (const auto* sim : {a.get(), b.get()}) {
        for (const SimSubmission& s : sim->Submissions())
            texts << s.text;
    }
    EXPECT_TRUE(texts.contains(QStringLiteral("first\nline")));

    const CliRun sent = RunCli({"sent", "--data", m_dir.path()});
    EXPECT_EQ(sent.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), 3);
}

TEST_F(SendCli, LeavesOutAPortThatIsNoDevice) {
    auto a = Sim(QStringLiteral("350000000000003"));
    const QString numbers = File(QStringLiteral("numbers.txt"), "+15550001,+15550002\n");
    const QString missing = m_dir.filePath(QStringLiteral("no-such-port"));
    CliRun r = RunCli({"send", "--port", missing, "--port", a->PortName(), "--numbers", numbers, "--message", "hi",
                       "--timing", "fast", "--data", m_dir.path()});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(missing)) << r.err.toStdString();
    EXPECT_EQ(a->SubmissionCount(), 2);

    r = RunCli({"send", "--port", missing, "--numbers", numbers, "--data", m_dir.path()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("No Mobile Phone Device is selected"))) << r.err.toStdString();

    r = RunCli({"send", "--port", a->PortName(), "--numbers", numbers, "--rows", numbers});
    EXPECT_EQ(r.exitCode, 2);
    r = RunCli({"send", "--port", a->PortName(), "--numbers", numbers, "--pause-every", "2", "--pause-for", "7s"});
    EXPECT_EQ(r.exitCode, 2);
}

// On a terminal, stderr carries a progress line redrawn in place and, at the end, the run's summary; piped,
// stderr gets no such line.
TEST_F(SendCli, ProgressLineOnlyOnATerminal) {
    auto sim = Sim(QStringLiteral("350000000000004"));
    const QString rows = File(QStringLiteral("rows.txt"), "+15550001\ta\n+15550002\tb\n+15550003\tc\n");
    const QStringList args{"send",     "--port", sim->PortName(), "--rows",    rows,
                           "--timing", "fast",   "--data",        m_dir.path()};

    PtyPeer terminal;
    ASSERT_TRUE(terminal.IsValid());
    QByteArray drawn;
    QProcess p;
    p.setStandardErrorFile(terminal.SlavePath());
    p.start(CliPath(), args);
    ASSERT_TRUE(p.waitForStarted(5000));
    // The terminal is read while the run goes, so that a full pty buffer never holds the program up.
    while (!p.waitForFinished(50))
        drawn += terminal.Received();
    drawn += terminal.Received(200);
    EXPECT_EQ(p.exitCode(), 0) << drawn.toStdString();
    EXPECT_TRUE(drawn.contains("\r\033[K")) << drawn.toStdString();
    EXPECT_TRUE(drawn.contains(" of 3 done, ")) << drawn.toStdString();
    EXPECT_TRUE(drawn.contains("\r\033[K3 of 3 sent, 0 failed, in ")) << drawn.toStdString();
    EXPECT_TRUE(drawn.endsWith("\n")) << drawn.toStdString();
    EXPECT_EQ(p.readAllStandardOutput().count('\n'), 4);

    const CliRun piped = RunCli(args);
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_FALSE(piped.err.contains(QLatin1Char('\r'))) << piped.err.toStdString();
    EXPECT_FALSE(piped.err.contains(QStringLiteral(" of 3 done"))) << piped.err.toStdString();
}

// A number the network refuses for good is tried once over the retry passes, and its status says why; with
// --retry-all-errors it is tried in every pass.
TEST_F(SendCli, APermanentErrorIsRetriedOnlyWhenAsked) {
    SimModem::Options options;
    QString error;
    options.profile = *SimProfile::Parse(QStringLiteral("reject:+15550009=1"), &error);
    options.identity.imei = QStringLiteral("350000000000004");
    SimModem sim(options);
    ASSERT_TRUE(sim.Start(&error)) << error.toStdString();
    const QString numbers = File(QStringLiteral("numbers.txt"), "+15550009\n");
    // AT+CMGS with a length; the device check asks AT+CMGS=? too.
    const auto submissions = [&sim] {
        return static_cast<int>(
            sim.CommandsReceived().filter(QRegularExpression(QStringLiteral("^AT\\+CMGS=\\d"))).size());
    };
    for (const bool retryAll : {false, true}) {
        QStringList args = {"send",      "--port", sim.PortName(), "--numbers", numbers,  "--message", "hi",
                            "--retries", "2",      "--timing",     "fast",      "--data", m_dir.path()};
        if (retryAll)
            args << QStringLiteral("--retry-all-errors");
        const int before = submissions();
        const CliRun r = RunCli(args);
        EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
        ASSERT_FALSE(r.lines.isEmpty()) << r.err.toStdString();
        EXPECT_TRUE(r.lines.first().endsWith(
            retryAll ? QStringLiteral("\tError : +CMS ERROR: 1\t2")
                     : QStringLiteral("\tError : +CMS ERROR: 1 (permanent: unassigned number; not retried)\t0")))
            << r.lines.first().toStdString();
        EXPECT_EQ(submissions() - before, retryAll ? 3 : 1);
    }
}

// Without --timing the run waits on the device's replies: on a device that takes 40 ms per command each message
// follows the previous one's answer, where "standard" waits its fixed pauses. Rows name the device by its model.
TEST_F(SendCli, WaitsOnRepliesByDefaultAndStandardKeepsItsPauses) {
    auto sim = Sim(QStringLiteral("350000000000004"), QStringLiteral("cmddelay:40"));
    const QString numbers = File(QStringLiteral("numbers.txt"), "+15550001,+15550002,+15550003,+15550004,+15550005,"
                                                                "+15550006,+15550007,+15550008,+15550009,+15550010\n");
    CliRun r =
        RunCli({"send", "--port", sim->PortName(), "--numbers", numbers, "--message", "hi", "--data", m_dir.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(ModemTiming::kReplyDriven)) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("\tDone (%1 - SIMCOM SIM800 Simulated)\t").arg(sim->PortName())))
        << r.out.toStdString();
    const int smallestPause = ModemTiming::Standard().settleBeforeResultMs;
    std::vector<SimSubmission> sent = sim->Submissions();
    ASSERT_EQ(sent.size(), 10u);
    for (size_t i = 1; i < sent.size(); ++i)
        EXPECT_LT(sent[i].acceptedMs - sent[i - 1].acceptedMs, smallestPause) << i;

    const QString two = File(QStringLiteral("two.txt"), "+15550011,+15550012\n");
    r = RunCli({"send", "--port", sim->PortName(), "--numbers", two, "--message", "hi", "--timing", "standard",
                "--data", m_dir.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(ModemTiming::kFixedPauses)) << r.err.toStdString();
    sent = sim->Submissions();
    ASSERT_EQ(sent.size(), 12u);
    EXPECT_GE(sent[11].acceptedMs - sent[10].acceptedMs, smallestPause);
}

// send --delivery-reports, then listen: the sent items go from awaiting to delivered or failed.
TEST_F(SendCli, DeliveryReportsAreCollectedByListen) {
    // The reports come after the run (one that comes during it is matched by the run itself).
    auto a = Sim(QStringLiteral("350000000000011"), QStringLiteral("report-delay:1500,report:+15550002=failed:0x41"));
    const QString rows = File(QStringLiteral("rows.txt"), "+15550001\tfirst\n+15550002\tsecond\n");
    const CliRun r = RunCli({"send", "--port", a->PortName(), "--rows", rows, "--timing", "fast", "--save-sent",
                             "--delivery-reports", "--data", m_dir.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const CliRun before = RunCli({"sent", "--data", m_dir.path()});
    EXPECT_EQ(before.out.count(QStringLiteral("\tAwaiting delivery report")), 2) << before.out.toStdString();

    const CliRun listen = RunCli({"listen", "--port", a->PortName(), "--for", "3", "--data", m_dir.path()});
    ASSERT_EQ(listen.exitCode, 0) << listen.err.toStdString();
    EXPECT_TRUE(listen.out.contains(QStringLiteral("Delivered: 1"))) << listen.out.toStdString();
    EXPECT_TRUE(listen.out.contains(QStringLiteral("Delivery failed: 1"))) << listen.out.toStdString();
    const QStringList after = RunCli({"sent", "--data", m_dir.path()}).out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(after.size(), 2);
    EXPECT_TRUE(after[0].startsWith(QStringLiteral("+15550001\t")));
    EXPECT_TRUE(after[0].endsWith(QStringLiteral("\tDelivered")));
    EXPECT_TRUE(after[1].endsWith(QStringLiteral("\tDelivery failed: Incompatible destination"))) << after[1].toStdString();
}

// listen with its own opt-out words and list: the reply is stored, its sender is on the list, and a later send
// with exclusion rules leaves the sender out.
TEST_F(SendCli, ListenPutsAnOptOutReplyOnTheChosenList) {
    auto a = Sim(QStringLiteral("350000000000012"));
    SimIncomingMessage reply;
    reply.from = QStringLiteral("+15550007");
    reply.text = QStringLiteral(" basta ");
    ASSERT_TRUE(a->Inject(reply));
    const CliRun listen = RunCli({"listen", "--port", a->PortName(), "--opt-out-words", "BASTA,ALTO", "--opt-out-list",
                                  "No more", "--data", m_dir.path()});
    ASSERT_EQ(listen.exitCode, 0) << listen.err.toStdString();
    EXPECT_TRUE(listen.out.contains(QStringLiteral("Opt-outs: 1"))) << listen.out.toStdString();
    EXPECT_EQ(a->CountCommands(QStringLiteral("AT+CMGD=")), 1);

    const QString rows = File(QStringLiteral("rows.txt"), "+15550007\tagain\n+15550008\tnew\n");
    const CliRun r = RunCli({"send", "--port", a->PortName(), "--rows", rows, "--exclusion", "--data", m_dir.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(a->SubmissionCount(), 1);
    EXPECT_EQ(a->Submissions().front().to, QStringLiteral("+15550008"));
}
