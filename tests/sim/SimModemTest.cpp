#include "fakes/SimTestPort.h"

#include "sim/SimModem.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const QByteArray kHelloHello = "0011000B916407281553F80000AA0AE8329BFD4697D9EC37"; // TPDU of 23 octets
// "Hi" to +15551234567 as part 2 of 3 with the 16-bit reference 0x1234.
const QByteArray kPart = "0051000B915155214365F700008F0A06080412340302C834"; // TPDU of 23 octets

SimModem::Options OptionsFor(const char* profile) {
    SimModem::Options o;
    QString error;
    o.profile = SimProfile::Parse(QString::fromLatin1(profile), &error).value_or(SimProfile{});
    return o;
}

// Waits (in short polls, at most `limitMs`) for a condition set by the simulator's thread.
template <typename Condition> bool WaitFor(Condition condition, int limitMs = 2000) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    while (!condition()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

// Submits one PDU and returns the whole exchange up to the final OK / error.
QByteArray SubmitPdu(SimTestPort& port, const QByteArray& pdu, int timeoutMs = 2000) {
    const QByteArray prompt =
        port.Command("AT+CMGS=" + QByteArray::number((pdu.size() - 2) / 2) + "\r", "> ", timeoutMs);
    if (!prompt.contains("> "))
        return prompt;
    port.Write(pdu + "\x1A");
    QByteArray reply = port.ReadUntil("OK\r\n", timeoutMs);
    return prompt + reply;
}

QByteArray WithoutNoise(QByteArray bytes) {
    bytes.replace("\r\n+CREG: 1\r\n", "");
    bytes.replace("\r\n^RSSI: 17\r\n", "");
    QByteArray out;
    for (const char c : bytes) {
        if (c != '\0' && static_cast<unsigned char>(c) < 0x80)
            out.append(c);
    }
    return out;
}

TEST(SimModem, ServesTheDialogueOnAPty) {
    SimModem modem(OptionsFor("default"));
    std::atomic<int> called{0};
    modem.SetSubmissionCallback([&called](const SimSubmission&) { ++called; });
    QString error;
    ASSERT_TRUE(modem.Start(&error)) << error.toStdString();
    EXPECT_TRUE(modem.PortName().startsWith(QLatin1String("/dev/pts/"))) << modem.PortName().toStdString();

    SimTestPort port(modem.PortName());
    ASSERT_TRUE(port.IsOpen());
    EXPECT_EQ(port.Command("AT\r"), QByteArray("AT\r\r\nOK\r\n"));
    EXPECT_EQ(port.Command("ATE0\r"), QByteArray("ATE0\r\r\nOK\r\n"));
    EXPECT_EQ(SubmitPdu(port, kHelloHello), QByteArray("\r\n> \r\n+CMGS: 1\r\n\r\nOK\r\n"));
    EXPECT_EQ(SubmitPdu(port, kPart), QByteArray("\r\n> \r\n+CMGS: 2\r\n\r\nOK\r\n"));

    EXPECT_EQ(modem.SubmissionCount(), 2);
    EXPECT_EQ(called.load(), 2);
    const std::vector<SimSubmission> got = modem.Submissions();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].text, QStringLiteral("hellohello"));
    EXPECT_TRUE(got[1].hasUdh);
    EXPECT_EQ(got[1].udhRef, 0x1234);
    EXPECT_EQ(got[1].udhTotal, 3);
    EXPECT_EQ(got[1].udhSeq, 2);
    EXPECT_EQ(modem.CommandsReceived(), (QStringList{QStringLiteral("AT"), QStringLiteral("ATE0"),
                                                     QStringLiteral("AT+CMGS=23"), QStringLiteral("AT+CMGS=23")}));
}

TEST(SimModem, EchoOffProfileAndLengthMismatch) {
    SimModem modem(OptionsFor("noecho"));
    ASSERT_TRUE(modem.Start(nullptr));
    SimTestPort port(modem.PortName());
    EXPECT_EQ(port.Command("AT\r"), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(port.Command("AT+CMGS=22\r", "> "), QByteArray("\r\n> "));
    port.Write(kHelloHello + "\x1A");
    EXPECT_EQ(port.ReadUntil("304\r\n"), QByteArray("\r\n+CMS ERROR: 304\r\n"));
    EXPECT_EQ(modem.SubmissionCount(), 0);
}

TEST(SimModem, SplitRepliesWithNoiseStillCarryEveryToken) {
    SimModem modem(OptionsFor("quirky,garbage"));
    ASSERT_TRUE(modem.Start(nullptr));
    SimTestPort port(modem.PortName());
    QByteArray all;
    for (const QByteArray& command : {QByteArray("AT\r"), QByteArray("AT+CSQ\r"), QByteArray("AT+CBC\r"),
                                      QByteArray("AT+CSCA?\r"), QByteArray("AT+CMGF=?\r"), QByteArray("AT\r")}) {
        const QByteArray reply = port.Command(command);
        EXPECT_TRUE(reply.endsWith("OK\r\n")) << command.toStdString();
        all += reply;
    }
    EXPECT_TRUE(all.contains("+CREG: 1") || all.contains("^RSSI: 17"));
    EXPECT_TRUE(all.contains('\0'));
    EXPECT_EQ(WithoutNoise(all), QByteArray("AT\r\r\nOK\r\n"
                                            "AT+CSQ\r\r\n+CSQ: 17,0\r\n\r\nOK\r\n"
                                            "AT+CBC\r\r\n+CBC: 0,75\r\n\r\nOK\r\n"
                                            "AT+CSCA?\r\r\n+CSCA: \"+919845087001\",145\r\n\r\nOK\r\n"
                                            "AT+CMGF=?\r\r\n+CMGF: (0-1)\r\n\r\nOK\r\n"
                                            "AT\r\r\nOK\r\n"));
    EXPECT_TRUE(WithoutNoise(SubmitPdu(port, kHelloHello)).endsWith("\r\n+CMGS: 1\r\n\r\nOK\r\n"));
}

// The network wait of a submission (slow:MS) holds back output, never input. An hour-long wait cannot end
// while this test runs, so what is checked during it cannot depend on how fast the machine is.
TEST(SimModem, SlowReplyKeepsReadingInputAndHoldsBackEveryOutput) {
    SimModem modem(OptionsFor("noecho,slow:3600000"));
    ASSERT_TRUE(modem.Start(nullptr));
    SimTestPort port(modem.PortName());
    ASSERT_EQ(port.Command("AT+CMGS=23\r", "> "), QByteArray("\r\n> "));
    port.Write(kHelloHello + "\x1A");
    port.Write("AT+CSQ\r");
    // The command written during the network wait is read...
    ASSERT_TRUE(WaitFor([&] { return modem.CommandsReceived().contains(QStringLiteral("AT+CSQ")); }));
    EXPECT_EQ(modem.SubmissionCount(), 1); // accepted at Ctrl-Z, confirmed after the network wait
    // ...but neither the submission's reply nor the command's answer is written yet.
    pollfd p{port.Fd(), POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 0), 0);
}

TEST(SimModem, OutputWrittenDuringANetworkWaitFollowsTheDelayedReply) {
    SimModem modem(OptionsFor("noecho,slow:300"));
    ASSERT_TRUE(modem.Start(nullptr));
    SimTestPort port(modem.PortName());
    ASSERT_EQ(port.Command("AT+CMGS=23\r", "> "), QByteArray("\r\n> "));
    port.Write(kHelloHello + "\x1A");
    port.Write("AT+CSQ\r");
    EXPECT_EQ(port.ReadUntil("+CSQ: 17,0\r\n\r\nOK\r\n", 3000),
              QByteArray("\r\n+CMGS: 1\r\n\r\nOK\r\n\r\n+CSQ: 17,0\r\n\r\nOK\r\n"));
}

// Stop does not wait for a pending network wait (an hour here: a Stop that waited would outlast the test's
// time-out), and the client sees the modem gone without the held-back reply.
TEST(SimModem, StopIsPromptAndTheClientSeesTheModemGone) {
    SimModem modem(OptionsFor("noecho,slow:3600000"));
    ASSERT_TRUE(modem.Start(nullptr));
    SimTestPort port(modem.PortName());
    ASSERT_EQ(port.Command("AT+CMGS=23\r", "> "), QByteArray("\r\n> "));
    port.Write(kHelloHello + "\x1A");
    ASSERT_TRUE(WaitFor([&] { return modem.SubmissionCount() == 1; }));

    modem.Stop();

    // An unplugged modem: the read side reports hang-up or an error, writes fail.
    pollfd p{port.Fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 1000), 1);
    EXPECT_NE(p.revents & (POLLHUP | POLLERR), 0);
    char byte = 0;
    EXPECT_LE(::read(port.Fd(), &byte, 1), 0);
    EXPECT_EQ(::write(port.Fd(), "AT\r", 3), -1);
    modem.Stop(); // a second Stop does nothing
}

TEST(SimModem, ClientMayCloseAndReopenThePort) {
    SimModem modem(OptionsFor("default"));
    ASSERT_TRUE(modem.Start(nullptr));
    for (int i = 0; i < 3; ++i) {
        SimTestPort port(modem.PortName());
        ASSERT_TRUE(port.IsOpen());
        EXPECT_EQ(port.Command("AT\r"), QByteArray("AT\r\r\nOK\r\n")) << "opening " << i;
    }
}

TEST(SimModem, DeadModemNeverAnswers) {
    SimModem modem(OptionsFor("dead"));
    ASSERT_TRUE(modem.Start(nullptr));
    SimTestPort port(modem.PortName());
    port.Write("AT\r");
    EXPECT_EQ(port.ReadFor(150), QByteArray());
    EXPECT_TRUE(WaitFor([&] { return modem.CommandsReceived() == QStringList{QStringLiteral("AT")}; }));
}

TEST(SimModem, TwoInstancesAtOnceShareALogFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString log = dir.filePath(QStringLiteral("received.jsonl"));
    SimModem::Options a = OptionsFor("noecho");
    a.linkPath = dir.filePath(QStringLiteral("modemA"));
    a.logPath = log;
    a.identity.imei = QStringLiteral("111111111111111");
    SimModem::Options b = OptionsFor("noecho,text-only");
    b.linkPath = dir.filePath(QStringLiteral("modemB"));
    b.logPath = log;
    b.identity.imei = QStringLiteral("222222222222222");
    SimModem modemA(a);
    SimModem modemB(b);
    QString error;
    ASSERT_TRUE(modemA.Start(&error)) << error.toStdString();
    ASSERT_TRUE(modemB.Start(&error)) << error.toStdString();
    EXPECT_EQ(modemA.PortName(), a.linkPath);
    EXPECT_NE(QFileInfo(a.linkPath).symLinkTarget(), QFileInfo(b.linkPath).symLinkTarget());

    SimTestPort portA(a.linkPath);
    SimTestPort portB(b.linkPath);
    ASSERT_TRUE(portA.IsOpen() && portB.IsOpen());
    EXPECT_TRUE(portA.Command("AT+CGSN\r").contains("111111111111111"));
    EXPECT_TRUE(portB.Command("AT+CGSN\r").contains("222222222222222"));
    EXPECT_TRUE(SubmitPdu(portA, kPart).contains("+CMGS: 1"));
    EXPECT_EQ(portB.Command("AT+CMGS=\"+15551234567\"\r", "> "), QByteArray("\r\n> "));
    portB.Write("caf\xE9\x1A");
    EXPECT_EQ(portB.ReadUntil("OK\r\n"), QByteArray("\r\n+CMGS: 1\r\n\r\nOK\r\n"));
    EXPECT_EQ(modemA.SubmissionCount(), 1);
    EXPECT_EQ(modemB.SubmissionCount(), 1);

    modemA.Stop();
    modemB.Stop();
    EXPECT_FALSE(QFileInfo::exists(a.linkPath) || QFileInfo(a.linkPath).isSymLink());
    EXPECT_FALSE(QFileInfo(b.linkPath).isSymLink());

    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3); // two lines and the empty rest after the last line feed
    EXPECT_TRUE(lines[2].isEmpty());
    QJsonObject pdu = QJsonDocument::fromJson(lines[0]).object();
    QJsonObject text = QJsonDocument::fromJson(lines[1]).object();
    if (pdu.value(QStringLiteral("mode")).toString() != QLatin1String("pdu"))
        std::swap(pdu, text);
    EXPECT_EQ(pdu.value(QStringLiteral("to")).toString(), QStringLiteral("+15551234567"));
    EXPECT_EQ(pdu.value(QStringLiteral("text")).toString(), QStringLiteral("Hi"));
    EXPECT_EQ(pdu.value(QStringLiteral("smsc")).toString(), QString());
    EXPECT_EQ(pdu.value(QStringLiteral("dcs")).toInt(-1), 0);
    EXPECT_FALSE(pdu.value(QStringLiteral("flash")).toBool(true));
    EXPECT_EQ(pdu.value(QStringLiteral("udh")).toObject().value(QStringLiteral("ref")).toInt(), 0x1234);
    EXPECT_EQ(pdu.value(QStringLiteral("udh")).toObject().value(QStringLiteral("seq")).toInt(), 2);
    EXPECT_EQ(pdu.value(QStringLiteral("pdu")).toString(), QString::fromLatin1(kPart));
    EXPECT_EQ(text.value(QStringLiteral("mode")).toString(), QStringLiteral("text"));
    EXPECT_EQ(text.value(QStringLiteral("text")).toString(), QString::fromUtf8("café"));
    EXPECT_EQ(text.value(QStringLiteral("smsc")).toString(), QStringLiteral("+919845087001"));
    EXPECT_TRUE(text.value(QStringLiteral("udh")).isNull());
}

TEST(SimModem, LinkPathRules) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("port"));

    // A regular file is never replaced.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    SimModem::Options o = OptionsFor("default");
    o.linkPath = path;
    {
        SimModem modem(o);
        QString error;
        EXPECT_FALSE(modem.Start(&error));
        EXPECT_TRUE(error.contains(QLatin1String("not a symbolic link"))) << error.toStdString();
        EXPECT_TRUE(QFileInfo(path).isFile());
    }
    // A link left behind by a killed run is replaced.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/pts/nonexistent"), path));
    SimModem modem(o);
    QString error;
    ASSERT_TRUE(modem.Start(&error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo(path).symLinkTarget().startsWith(QLatin1String("/dev/pts/")));
    EXPECT_FALSE(modem.Start(&error)) << "already running";
    SimTestPort port(path);
    EXPECT_EQ(port.Command("AT\r"), QByteArray("AT\r\r\nOK\r\n"));
    port.Close();
    modem.Stop();
    EXPECT_FALSE(QFileInfo(path).isSymLink());

    // It can be started again, on a new pty.
    ASSERT_TRUE(modem.Start(&error)) << error.toStdString();
    SimTestPort again(path);
    EXPECT_EQ(again.Command("AT\r"), QByteArray("AT\r\r\nOK\r\n"));

    // A directory that does not exist cannot hold the link.
    SimModem::Options bad = OptionsFor("default");
    bad.linkPath = dir.filePath(QStringLiteral("missing/port"));
    SimModem refused(bad);
    EXPECT_FALSE(refused.Start(&error));
}

} // namespace
