#include "fakes/PtyPeer.h"
#include "modem/CIrdaPort.h"
#include "modem/CSMSException.h"
#include "modem/CSMSSerialPort.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <future>
#include <thread>

namespace {
// Short limits so that no test waits for real seconds.
ModemTiming QuickTiming() {
    ModemTiming t = ModemTiming::Standard();
    t.irdaLineSilenceMs = 150;
    t.irdaWriteStallMs = 100;
    t.irdaCmgsSleepMs = 0;
    t.irdaAfterResultMs = 0;
    t.settleBeforeResultMs = 0;
    t.betweenPartsMs = 0;
    t.beforeTextMs = 0;
    return t;
}

void SendLater(PtyPeer& peer, QByteArray bytes, int delayMs) {
    std::thread([&peer, bytes, delayMs] {
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        peer.Send(bytes);
    }).detach();
}
} // namespace

TEST(CSMSSerialPort, OpenWithoutPortNameDoesNothing) {
    CSMSSerialPort port;
    EXPECT_NO_THROW(port.Open(5000, QString()));
    EXPECT_FALSE(port.IsOpen());
}

TEST(CSMSSerialPort, OpenFailuresThrowTheSystemErrorAndLeaveThePortClosed) {
    CSMSSerialPort port;
    try {
        port.Open(5000, QStringLiteral("/dev/does-not-exist-bulksms"));
        FAIL() << "no exception";
    } catch (const CSMSException& e) {
        EXPECT_EQ(e.SystemErrorNumber(), ENOENT);
        EXPECT_FALSE(GetErrorText(e).isEmpty());
    }
    EXPECT_FALSE(port.IsOpen());

    // A file that is not a terminal is no serial port.
    try {
        port.Open(5000, QStringLiteral(BULKSMS_TEST_DATA "/../CMakeLists.txt"));
        FAIL() << "no exception";
    } catch (const CSMSException& e) {
        EXPECT_EQ(e.SystemErrorNumber(), ENOTTY);
    }
    EXPECT_FALSE(port.IsOpen());
}

TEST(CSMSSerialPort, ASecondOpenOfABusyPortFails) {
    PtyPeer peer;
    ASSERT_TRUE(peer.IsValid());
    CSMSSerialPort first;
    first.Open(5000, peer.SlavePath());
    CSMSSerialPort second;
    try {
        second.Open(5000, peer.SlavePath());
        FAIL() << "opened a port held by another";
    } catch (const CSMSException& e) {
        EXPECT_EQ(e.SystemErrorNumber(), EBUSY);
    }
    CIrdaPort irda;
    EXPECT_FALSE(irda.Open(peer.SlavePath()));
    first.Close();
    EXPECT_TRUE(irda.Open(peer.SlavePath()));
}

TEST(CSMSSerialPort, ReadUntilCollectsSplitRepliesAndStopsAtSilence) {
    PtyPeer peer;
    CSMSSerialPort port;
    port.Open(150, peer.SlavePath());

    EXPECT_EQ(port.Write("AT\r"), 3);
    EXPECT_EQ(peer.Received(500, 3), QByteArray("AT\r"));
    peer.Send("AT\r\r\nO");
    SendLater(peer, "K\r\n", 40);
    EXPECT_TRUE(port.ReadUntil("OK"));
    EXPECT_TRUE(port.LastReply().startsWith(QStringLiteral("AT\r\r\nOK")));

    // NUL bytes become spaces.
    peer.Send(QByteArray("\r\n\0OK\r\n", 7));
    EXPECT_TRUE(port.ReadUntil("OK"));
    EXPECT_EQ(port.LastReply(), QStringLiteral("\r\n OK\r\n"));

    // A silent device: false after the reply time-out, empty reply.
    EXPECT_FALSE(port.ReadUntil("OK"));
    EXPECT_TRUE(port.LastReply().isEmpty());

    EXPECT_FALSE(port.WaitForData(30));
}

TEST(CSMSSerialPort, AwaitPassesOverEchoAndUnsolicitedLines) {
    PtyPeer peer;
    CSMSSerialPort port;
    port.Open(200, peer.SlavePath());
    // The echoed text holds "OK" on a line of its own; only the device's own result counts.
    const QByteArray text = "fine\nOK\nbye";
    peer.Send(text + "\x1a\r\n+CREG: 1\r\n");
    SendLater(peer, "\r\n+CMGS: 4\r\n\r\nOK\r\n", 50);
    EXPECT_TRUE(port.Await(CSMSSerialPort::Awaited::FinalResult, 1000, false, text));
    EXPECT_TRUE(port.LastReply().contains(QLatin1String("+CMGS: 4")));

    peer.Send("\r\n> ");
    EXPECT_TRUE(port.Await(CSMSSerialPort::Awaited::Prompt, 1000, false));
    peer.Send("\r\n+CMS ERROR: 304\r\n");
    EXPECT_TRUE(port.Await(CSMSSerialPort::Awaited::Prompt, 1000, false));
    EXPECT_TRUE(port.LastReply().contains(QLatin1String("304")));
}

// A message indicated in text mode while AT+CMGS waits for its prompt may hold '>' in its text: that is no
// prompt, so the body is not written into the middle of the indication. Everything read also reaches the tap.
TEST(CSMSSerialPort, AGreaterThanInsideAnIndicatedMessageIsNoPrompt) {
    PtyPeer peer;
    CSMSSerialPort port;
    port.Open(200, peer.SlavePath());
    QByteArray tap;
    port.SetReceiveTap(&tap);
    peer.Send("AT+CMGS=\"+15550001\"\r\r\n+CMT: \"+4479\",,\"24/03/01,10:00:00+00\"\r\nprice > 5 -> no\r\n");
    EXPECT_FALSE(port.Await(CSMSSerialPort::Awaited::Prompt, 150, false));
    SendLater(peer, "\r\n> ", 30);
    EXPECT_TRUE(port.Await(CSMSSerialPort::Awaited::Prompt, 1000, false));
    EXPECT_TRUE(tap.contains("price > 5 -> no\r\n\r\n> "));
    port.SetReceiveTap(nullptr);
}

// The rest of an unsolicited line that the device writes in pieces arrives after the next command went out:
// it is no part of that command's answer, whether its start was read with the answer before (Case 1) or was
// still waiting when the command went (Case 2). Devices writing "^BOOT:20952548,0,0,0,72" in pieces once gave
// answers such as "20952548,0,0,0,72 SIM800".
TEST(CSMSSerialPort, TheRestOfAnUnsolicitedLineIsNoPartOfTheNextAnswer) {
    PtyPeer peer;
    CSMSSerialPort port;
    port.Open(300, peer.SlavePath());
    const auto answerWhenAsked = [&peer](const QByteArray& command, const QByteArray& reply) {
        return std::async(std::launch::async, [&peer, command, reply] {
            peer.ReceiveUntil(command, 2000);
            peer.Send(reply);
        });
    };

    // Case 1: the start came in the same read as the final result of the command before.
    auto answered = answerWhenAsked("AT\r", "AT\r\r\nOK\r\n\r\n^BOOT:2095");
    EXPECT_EQ(port.Exchange("AT\r"), ModemReply::FinalResult::Ok);
    answered.get();
    answered = answerWhenAsked("AT+CGMM\r", "2548,0,0,0,72\r\nAT+CGMM\r\r\nSIM800\r\n\r\nOK\r\n");
    EXPECT_EQ(port.Exchange("AT+CGMM\r"), ModemReply::FinalResult::Ok);
    answered.get();
    EXPECT_EQ(port.LastReply(), QStringLiteral("AT+CGMM\r\r\nSIM800\r\n\r\nOK\r\n"));

    // Case 2: the start waits unread when the command goes; the device's answer then follows the line's rest.
    peer.Send("\r\n+CR");
    ASSERT_TRUE(port.WaitForData(1000));
    answered = answerWhenAsked("AT+CGMI\r", "EG: 1\r\nAT+CGMI\r\r\nSIMCOM\r\n\r\nOK\r\n");
    EXPECT_TRUE(port.Command("AT+CGMI\r"));
    answered.get();
    EXPECT_EQ(port.LastReply(), QStringLiteral("AT+CGMI\r\r\nSIMCOM\r\n\r\nOK\r\n"));

    // A whole unsolicited line before the answer stays in it (the readers pass over it); an error is an answer.
    answered = answerWhenAsked("AT+CSCS=?\r", "\r\nRING\r\nAT+CSCS=?\r\r\nERROR\r\n");
    EXPECT_EQ(port.Exchange("AT+CSCS=?\r"), ModemReply::FinalResult::Error);
    answered.get();
    EXPECT_TRUE(port.LastReply().contains(QLatin1String("RING")));

    // The start of an incoming message's header came before the command: its PDU line goes with it.
    const QByteArray pdu = "07911326040000F0040B911346610089F60000208062917314080CC8329BFD06";
    peer.Send("\r\n+CMT: ,2");
    ASSERT_TRUE(port.WaitForData(1000));
    answered = answerWhenAsked("AT+CGMR\r", "4\r\n" + pdu + "\r\nAT+CGMR\r\r\nR1\r\n\r\nOK\r\n");
    EXPECT_TRUE(port.Command("AT+CGMR\r"));
    answered.get();
    EXPECT_EQ(port.LastReply(), QStringLiteral("AT+CGMR\r\r\nR1\r\n\r\nOK\r\n"));
    // A whole header after an answer's final result: its PDU opens the next reply and is passed over too.
    answered = answerWhenAsked("AT\r", "AT\r\r\nOK\r\n\r\n+CDS: 25\r\n");
    EXPECT_TRUE(port.Command("AT\r"));
    answered.get();
    answered = answerWhenAsked("AT+CGMR\r", "0006D60B911326880736F4111011719551401110117195714000\r\nAT+CGMR\r\r\nR1\r\n"
                                            "\r\nOK\r\n");
    EXPECT_TRUE(port.Command("AT+CGMR\r"));
    answered.get();
    EXPECT_EQ(port.LastReply(), QStringLiteral("AT+CGMR\r\r\nR1\r\n\r\nOK\r\n"));

    // Silence: no final result at all, after the reply time-out.
    EXPECT_EQ(port.Exchange("AT\r"), ModemReply::FinalResult::None);
}

// The device goes while a read waits for its reply. The reply time-out is longer than the test's own, so only
// noticing the hang-up can end the wait: an exception, not a false after the silence.
TEST(CSMSSerialPort, AVanishedPortIsAnExceptionNotAHang) {
    PtyPeer peer;
    CSMSSerialPort port;
    port.Open(3600000, peer.SlavePath());
    SendLater(peer, "AT", 20);
    std::thread([&peer] {
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
        peer.Hangup();
    }).detach();
    EXPECT_THROW(port.ReadUntil("OK"), CSMSException);
}

TEST(CIrdaPort, ReadLineTakesTheFirstLineAfterCrLf) {
    PtyPeer peer;
    CIrdaPort port;
    port.SetTiming(QuickTiming());
    ASSERT_TRUE(port.Open(peer.SlavePath()));
    QString line;
    peer.Send("AT\r\r\nOK\r\n");
    EXPECT_TRUE(port.ReadLine(&line));
    EXPECT_EQ(line, QStringLiteral("OK"));

    peer.Send("AT+CSCS=?\r\r\n+CSCS: (\"IRA\",\"GSM\")\r\n\r\nOK\r\n");
    EXPECT_TRUE(port.ReadLine(&line));
    EXPECT_EQ(line, QStringLiteral("+CSCS: (\"IRA\",\"GSM\")"));

    // The prompt has no line end: the read ends at the silence with "> " captured.
    port.SendCommand(QStringLiteral("AT"), true); // purges what is left
    peer.Send("\r\n> ");
    EXPECT_FALSE(port.ReadLine(&line));
    EXPECT_EQ(line, QStringLiteral("> "));

    // With endAtPrompt the prompt ends the read at once: true with the prompt alone, where the silence gives
    // false and "> ".
    peer.Send("\r\n> ");
    EXPECT_TRUE(port.ReadLine(&line, 5000, true));
    EXPECT_EQ(line, QStringLiteral(">"));
}

TEST(CIrdaPort, ExecuteCommandJudgesTokens) {
    PtyPeer peer;
    CIrdaPort port;
    port.SetTiming(QuickTiming());
    ASSERT_TRUE(port.Open(peer.SlavePath()));
    QString response;
    SendLater(peer, "AT+CMGF=0\r\r\nOK\r\n", 30);
    EXPECT_TRUE(port.ExecuteCommand(QStringLiteral("AT+CMGF=0"), QStringLiteral("ERROR"), QStringLiteral("OK"),
                                    &response, true));
    EXPECT_EQ(response, QStringLiteral("OK"));
    EXPECT_EQ(peer.Received(200), QByteArray("AT+CMGF=0\r"));

    SendLater(peer, "\r\nERROR\r\n", 30);
    EXPECT_FALSE(port.ExecuteCommand(QStringLiteral("AT+CMGF=1"), QStringLiteral("ERROR"), QStringLiteral("OK"),
                                     &response, true));
    EXPECT_EQ(CIrdaPort::ParseError(response), QStringLiteral("ERROR"));

    // The prompt is accepted after the silence; a bare ERROR to AT+CMGS counts as empty.
    SendLater(peer, "\r\n> ", 30);
    EXPECT_TRUE(port.ExecuteCommand(QStringLiteral("AT+CMGS=20"), QStringLiteral("ERROR"), QStringLiteral(">"),
                                    &response, true));
    SendLater(peer, "\r\nERROR\r\n", 30);
    EXPECT_FALSE(port.ExecuteCommand(QStringLiteral("AT+CMGS=20"), QStringLiteral("ERROR"), QStringLiteral(">"),
                                     &response, true));
    EXPECT_TRUE(response.isEmpty());

    // Silence: false, unless tokens are not checked.
    EXPECT_FALSE(
        port.ExecuteCommand(QStringLiteral("AT"), QStringLiteral("ERROR"), QStringLiteral("OK"), &response, true));
    EXPECT_TRUE(
        port.ExecuteCommand(QStringLiteral("AT"), QStringLiteral("ERROR"), QStringLiteral("OK"), &response, false));
    EXPECT_EQ(CIrdaPort::ParseError(QStringLiteral("Failed to receive a response from the modem.")),
              QStringLiteral("Failed to receive a response from the modem."));
}

// An incoming message routed as "+CMT: ,<length>" with its PDU on the next line, around an answer: neither line
// is the answer, also when the header's start came before the command (and was purged with the input).
TEST(CIrdaPort, AnswersComeAfterUnsolicitedLinesAndTheirData) {
    PtyPeer peer;
    CIrdaPort port;
    port.SetTiming(QuickTiming());
    ASSERT_TRUE(port.Open(peer.SlavePath()));
    const QByteArray pdu = "07911326040000F0040B911346610089F60000208062917314080CC8329BFD06";
    SendLater(peer, "AT+CSCS?\r\r\n+CMT: ,24\r\n" + pdu + "\r\n\r\n+CSCS: \"IRA\"\r\n\r\nOK\r\n", 30);
    EXPECT_EQ(port.QueryCharset(), QStringLiteral("+CSCS: \"IRA\""));

    peer.Send("\r\n+CMT: ,2");
    std::this_thread::sleep_for(std::chrono::milliseconds(20)); // in the port's input when the command goes
    SendLater(peer, "4\r\n" + pdu + "\r\n\r\n+CSCS: \"GSM\"\r\n\r\nOK\r\n", 30);
    EXPECT_EQ(port.QueryCharset(), QStringLiteral("+CSCS: \"GSM\""));

    const QByteArray report = "0006D60B911326880736F4111011719551401110117195714000";
    peer.Send("\r\n+CDS: 2");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    SendLater(peer, "5\r\n" + report + "\r\nAT+CMGF=0\r\r\nOK\r\n", 30);
    QString response;
    EXPECT_TRUE(port.ExecuteCommand(QStringLiteral("AT+CMGF=0"), QStringLiteral("ERROR"), QStringLiteral("OK"),
                                    &response, true));
    EXPECT_EQ(response, QStringLiteral("OK"));
}

// A listing is many lines with PDU lines among them: collected whole up to its final result. Everything read,
// the indications the purge before a command reads away included, reaches the tap.
TEST(CIrdaPort, CommandReplyCollectsAWholeListingAndTheTapSeesEverything) {
    PtyPeer peer;
    CIrdaPort port;
    port.SetTiming(QuickTiming());
    ASSERT_TRUE(port.Open(peer.SlavePath()));
    QByteArray tap;
    port.SetReceiveTap(&tap);
    const QByteArray report = "0006D60B911326880736F4111011719551401110117195714000";
    peer.Send("\r\n+CDS: 25\r\n" + report + "\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(20)); // waiting in the port when the command goes
    const QByteArray listing = "\r\n+CMGL: 1,1,,25\r\n" + report + "\r\n+CMGL: 2,1,,25\r\n" + report + "\r\n\r\nOK\r\n";
    SendLater(peer, "AT+CMGL=4\r" + listing, 30);
    QByteArray reply;
    EXPECT_EQ(port.CommandReply(QStringLiteral("AT+CMGL=4"), &reply), ModemReply::FinalResult::Ok);
    // The reply ends at the final result's CR; its LF is read away before the next command.
    const QByteArray upToResult = listing.chopped(1);
    EXPECT_TRUE(reply.endsWith(upToResult)) << reply.toPercentEncoding().toStdString();
    const QByteArray indication = "\r\n+CDS: 25\r\n" + report;
    EXPECT_TRUE(tap.startsWith(indication)) << tap.toStdString();
    EXPECT_TRUE(tap.endsWith(upToResult)) << tap.toPercentEncoding().toStdString();

    SendLater(peer, "\r\n+CMS ERROR: 321\r\n", 30);
    EXPECT_EQ(port.CommandReply(QStringLiteral("AT+CMGD=9"), &reply), ModemReply::FinalResult::Error);
    port.SetReceiveTap(nullptr);
    SendLater(peer, "\r\nOK\r\n", 30);
    const qsizetype seen = tap.size();
    EXPECT_EQ(port.CommandReply(QStringLiteral("AT"), &reply), ModemReply::FinalResult::Ok);
    EXPECT_EQ(tap.size(), seen);
}

TEST(CIrdaPort, WriteAllGivesUpWhenTheDeviceTakesNothing) {
    PtyPeer peer; // never reads: the pty's buffer fills up
    CIrdaPort port;
    port.SetTiming(QuickTiming());
    ASSERT_TRUE(port.Open(peer.SlavePath()));
    // The write stalls once the buffer is full; after the stall limit it gives up instead of waiting for ever.
    EXPECT_FALSE(port.WriteAll(QByteArray(1 << 20, 'x')));
}

TEST(CIrdaPort, AVanishedPortIsAnException) {
    PtyPeer peer;
    CIrdaPort port;
    port.SetTiming(QuickTiming());
    ASSERT_TRUE(port.Open(peer.SlavePath()));
    peer.Hangup();
    QString line;
    EXPECT_THROW(port.ReadLine(&line), CSMSException);
    EXPECT_THROW(port.WriteAll("AT\r"), CSMSException);
}
