// The network side of the simulated modem on a real pty: injected messages, status reports on time, the
// injection file, the command delay and pieces as a serial client sees them.

#include "fakes/SimTestPort.h"

#include "sim/SimModem.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const QByteArray kHello = "0011000B916407281553F80000AA0AE8329BFD4697D9EC37";
const QByteArray kHelloReport = "0031000B916407281553F80000AA0AE8329BFD4697D9EC37";

SimModem::Options OptionsFor(const char* profile) {
    SimModem::Options o;
    QString error;
    o.profile = SimProfile::Parse(QString::fromLatin1(profile), &error).value_or(SimProfile{});
    return o;
}

QByteArray SubmitPdu(SimTestPort& port, const QByteArray& pdu) {
    const QByteArray prompt = port.Command("AT+CMGS=23\r", "> ");
    if (!prompt.contains("> "))
        return prompt;
    port.Write(pdu + "\x1A");
    return prompt + port.ReadUntil("OK\r\n");
}

// Reads until the line after `header` is complete; returns that line (without its line end), or what came.
QByteArray LineAfter(SimTestPort& port, const QByteArray& header, int limitMs = 3000) {
    QByteArray all = port.ReadUntil(header, limitMs);
    const qsizetype at = all.indexOf(header);
    if (at < 0)
        return all;
    for (int i = 0; i < 10 && !all.mid(at + header.size()).contains("\r\n"); ++i)
        all += port.ReadUntil("\r\n", 500);
    const QByteArray tail = all.mid(at + header.size());
    return tail.left(tail.indexOf("\r\n"));
}

// Asks AT+CPMS? until the "SM" storage holds `used` messages (at most limitMs).
bool WaitForStored(SimTestPort& port, int used, int limitMs = 3000) {
    const QByteArray wanted = "+CPMS: \"SM\"," + QByteArray::number(used) + ",";
    const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    while (Clock::now() < deadline) {
        if (port.Command("AT+CPMS?\r").contains(wanted))
            return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

TEST(SimModemNetwork, InjectedMessageArrivesAsAnIndication) {
    SimModem modem(OptionsFor("noecho"));
    SimIncomingMessage m;
    m.from = QStringLiteral("+447700900123");
    m.text = QStringLiteral("Hello");
    QString error;
    EXPECT_FALSE(modem.Inject(m, &error)) << "not running yet";
    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(modem.Start(&error)) << error.toStdString();
    SimTestPort port(modem.PortName());
    ASSERT_EQ(port.Command("AT+CNMI=2,2,0,0,0\r"), QByteArray("\r\nOK\r\n"));
    ASSERT_TRUE(modem.Inject(m, &error)) << error.toStdString();
    // TPDU: first octet, 8 octets of TP-OA, PID, DCS, 7 of SCTS, UDL, 5 of "Hello": 24.
    const QByteArray pdu = LineAfter(port, "\r\n+CMT: ,24\r\n");
    EXPECT_TRUE(pdu.startsWith("0791198954800710040C91447700091032")) << pdu.toStdString();
    EXPECT_EQ(pdu.size(), (8 + 24) * 2);

    SimIncomingMessage bad = m;
    bad.partsOrder = {2};
    EXPECT_FALSE(modem.Inject(bad, &error));
    EXPECT_TRUE(error.contains(QLatin1String("part 2"))) << error.toStdString();
}

TEST(SimModemNetwork, StatusReportFollowsTheSubmissionAfterItsDelay) {
    SimModem modem(OptionsFor("noecho,report-delay:300"));
    ASSERT_TRUE(modem.Start(nullptr));
    SimTestPort port(modem.PortName());
    ASSERT_EQ(port.Command("AT+CNMI=2,1,0,1,0\r"), QByteArray("\r\nOK\r\n"));
    const auto submitted = Clock::now();
    EXPECT_TRUE(SubmitPdu(port, kHelloReport).contains("+CMGS: 1"));
    const QByteArray pdu = LineAfter(port, "+CDS: 25\r\n");
    EXPECT_GE(Clock::now() - submitted, 290ms);
    // SMSC, first octet 06, TP-MR 01, TP-RA +46708251358, then the two time stamps and TP-ST 00.
    EXPECT_TRUE(pdu.startsWith("079119895480071006010B916407281553F8")) << pdu.toStdString();
    EXPECT_TRUE(pdu.endsWith("00"));
    EXPECT_EQ(pdu.size(), (8 + 25) * 2);
    const std::vector<SimSubmission> s = modem.Submissions();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_TRUE(s[0].statusReportRequested);
}

TEST(SimModemNetwork, FollowsTheInjectionFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("inbox.jsonl"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"from":"+447700900123","text":"first"})"
               "\n");
    file.flush();

    SimModem::Options options = OptionsFor("noecho");
    options.injectPath = path;
    SimModem modem(options);
    QString error;
    ASSERT_TRUE(modem.Start(&error)) << error.toStdString();
    SimTestPort port(modem.PortName());
    EXPECT_TRUE(WaitForStored(port, 1));

    // Lines appended later come as they are written; a line that is no message is skipped and reported.
    file.write(R"({"from":"12345","text":"second","ucs2":true})"
               "\n"
               "{broken\n");
    file.write(R"({"from":"12345","text":"third"})"); // no line end yet: not taken
    file.flush();
    EXPECT_TRUE(WaitForStored(port, 2));
    std::this_thread::sleep_for(250ms);
    EXPECT_TRUE(port.Command("AT+CPMS?\r").contains("+CPMS: \"SM\",2,"));
    file.write("\n");
    file.flush();
    EXPECT_TRUE(WaitForStored(port, 3));
    const QStringList errors = modem.InjectionErrors();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QLatin1String("{broken"))) << errors[0].toStdString();
    EXPECT_EQ(port.Command("AT+CMGL=4\r").count("+CMGL: "), 3);

    SimModem::Options missing = OptionsFor("noecho");
    missing.injectPath = dir.filePath(QStringLiteral("none.jsonl"));
    SimModem refused(missing);
    EXPECT_FALSE(refused.Start(&error));
    EXPECT_TRUE(error.contains(QLatin1String("none.jsonl")));
}

TEST(SimModemNetwork, CommandDelayAndPiecesAsTheClientSeesThem) {
    SimModem modem(OptionsFor("noecho,cmddelay:150,pieces:30-60"));
    ASSERT_TRUE(modem.Start(nullptr));
    SimTestPort port(modem.PortName());
    for (int i = 0; i < 5; ++i) {
        const auto sent = Clock::now();
        port.Write("AT+CSQ\r");
        int reads = 0;
        const QByteArray reply = port.ReadUntil("OK\r\n", 3000, &reads);
        EXPECT_GE(Clock::now() - sent, 140ms);
        EXPECT_EQ(reply, QByteArray("\r\n+CSQ: 17,0\r\n\r\nOK\r\n"));
        EXPECT_GE(reads, 2) << "the reply came in pieces";
    }
}

TEST(SimModemNetwork, CountsCommandsByPrefix) {
    SimModem modem(OptionsFor("noecho"));
    ASSERT_TRUE(modem.Start(nullptr));
    SimTestPort port(modem.PortName());
    port.Command("AT+CMGF=0;+CMMS=2\r");
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(SubmitPdu(port, kHello).contains("+CMGS:"));
    EXPECT_EQ(modem.CountCommands(QStringLiteral("AT+CMGS=")), 10);
    EXPECT_EQ(modem.CountCommands(QStringLiteral("AT+CMGF")), 1);
    for (const SimSubmission& s : modem.Submissions())
        EXPECT_EQ(s.cmms, 2);
}

} // namespace
