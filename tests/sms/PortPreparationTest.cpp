// What each transport writes to a device over a run of messages, against the simulated modem on a real
// pseudo-terminal: one preparation per opened port with "fast" timing, the whole sequence per message with
// "standard", the link to the SMSC kept between the parts of a long message, and the SMSC kept on devices that
// forget it on AT+CSMP. The simulator's command log is the record.

#include "fakes/DeviceTestSupport.h"

#include "modem/CSMSException.h"
#include "sms/PduEncoder.h"
#include "sms/SmsRequest.h"
#include "sms/SmsTransport.h"

#include <gtest/gtest.h>

namespace {

enum class Transport { Overlapped, NonOverlapped };

// Replies in pieces with unsolicited lines between them and a per-command delay, as real USB modems give them,
// kept short so that the run stays quick.
const QString kRealModem = QStringLiteral("pieces:2-12,urc:40,cmddelay:5");

SmsRequest Request(const QString& to, const QString& text = QStringLiteral("Your code is 4711")) {
    SmsRequest r;
    r.recipientNumber = to;
    r.message = text;
    r.UseCallerSettings = 1; // "Standard SMS", no Unicode
    return r;
}

// Silence limits that only a dead device waits out: on a loaded machine a live one may pause for a while.
constexpr int kSilenceMs = 1500;

ModemTiming Fast() {
    ModemTiming t = DeviceTest::Timing();
    t.irdaLineSilenceMs = kSilenceMs;
    t.irdaWriteStallMs = kSilenceMs;
    return t;
}

std::unique_ptr<SmsTransport> OpenOn(SimModem& sim, Transport transport, const ModemTiming& timing) {
    auto port = MakeSmsTransport(transport == Transport::NonOverlapped, kSilenceMs);
    port->SetTiming(timing);
    port->Open(sim.PortName());
    return port;
}

ModemTiming Standard() {
    ModemTiming t = Fast();
    t.waitForReplies = false;
    t.prepareOnce = false;
    return t; // its fixed sleeps are left at 0 by the test timing
}

// The error of a submission, empty when it was sent.
std::string Send(SmsTransport& port, const SmsRequest& request, SmsMode mode) {
    try {
        port.Submit(request, mode);
        return {};
    } catch (const CSMSException& e) {
        return GetErrorText(e).toStdString();
    }
}

// A command list as one text, so that a failure shows it.
std::string Log(const QStringList& commands) {
    return commands.join(QStringLiteral(" | ")).toStdString();
}

struct Combination {
    Transport transport;
    SmsMode mode;
};

std::string Name(const testing::TestParamInfo<Combination>& info) {
    return std::string(info.param.transport == Transport::Overlapped ? "Overlapped" : "NonOverlapped") +
           (info.param.mode == SmsMode::Pdu ? "Pdu" : "Text");
}

class PortPreparation : public testing::TestWithParam<Combination> {
protected:
    bool Overlapped() const { return GetParam().transport == Transport::Overlapped; }
    bool Text() const { return GetParam().mode == SmsMode::Text; }

    // The preparation a port gets before its first message: the mode, and in text mode the parameters (with
    // the SMSC read around them) and the character set.
    QStringList Preparation() const {
        QStringList commands;
        commands << QStringLiteral("AT");
        if (Overlapped())
            commands << QStringLiteral("AT+CSMS=0");
        commands << (Text() ? QStringLiteral("AT+CMGF=1") : QStringLiteral("AT+CMGF=0"));
        if (Text()) {
            commands << QStringLiteral("AT+CSCA?")
                     << (Overlapped() ? QStringLiteral("AT+CSMP=17,255,0,0") : QStringLiteral("AT+CSMP=17,167,0,0"))
                     << QStringLiteral("AT+CSCA?") << QStringLiteral("AT+CSCS?");
        }
        return commands;
    }
    QString Cmgs(const QString& to) const {
        if (Text())
            return QStringLiteral("AT+CMGS=\"%1\"").arg(to);
        const auto pdus = Pdu::EncodeMessage(Request(to).message, to, QString(), false, false, 0);
        return QStringLiteral("AT+CMGS=%1").arg(pdus.at(0).tpduLength);
    }
};

} // namespace

// Ten messages with "fast" timing on a device whose replies come in pieces between unsolicited lines: one
// preparation, then nothing but the ten AT+CMGS.
TEST_P(PortPreparation, FastTimingPreparesOnceForTenMessages) {
    auto sim = DeviceTest::StartSim(kRealModem);
    auto port = OpenOn(*sim, GetParam().transport, Fast());
    QStringList expected = Preparation();
    for (int i = 0; i < 10; ++i) {
        const QString to = QStringLiteral("+4479460000%1").arg(i, 2, 10, QLatin1Char('0'));
        EXPECT_EQ(Send(*port, Request(to), GetParam().mode), "") << i;
        expected << Cmgs(to);
    }
    EXPECT_EQ(Log(sim->CommandsReceived()), Log(expected));
    EXPECT_EQ(sim->SubmissionCount(), 10);

    // A reopened port is prepared again.
    port->Close();
    port->Open(sim->PortName());
    EXPECT_EQ(Send(*port, Request(QStringLiteral("+447946000099")), GetParam().mode), "");
    EXPECT_EQ(Log(sim->CommandsReceived().mid(expected.size())),
              Log(Preparation() << Cmgs(QStringLiteral("+447946000099"))));
}

// After a failed message the port is prepared again; a failure is no reason to change anything before it.
TEST_P(PortPreparation, AFailurePreparesThePortAgain) {
    auto sim = DeviceTest::StartSim(QStringLiteral("reject:+1999*=1"));
    auto port = OpenOn(*sim, GetParam().transport, Fast());
    EXPECT_EQ(Send(*port, Request(QStringLiteral("+15550000001")), GetParam().mode), "");
    EXPECT_EQ(Send(*port, Request(QStringLiteral("+19990000001")), GetParam().mode), "+CMS ERROR: 1");
    EXPECT_EQ(Send(*port, Request(QStringLiteral("+15550000002")), GetParam().mode), "");
    QStringList expected = Preparation();
    expected << Cmgs(QStringLiteral("+15550000001")) << Cmgs(QStringLiteral("+19990000001"));
    // The non-overlapped transport starts its handshake again too: the failure may have left a prompt open.
    expected << Preparation() << Cmgs(QStringLiteral("+15550000002"));
    EXPECT_EQ(Log(sim->CommandsReceived()), Log(expected));
}

// "standard" timing gives the whole documented sequence before every message (the non-overlapped transport's
// handshake once per opening).
TEST_P(PortPreparation, StandardTimingRepeatsTheSequence) {
    auto sim = DeviceTest::StartSim(kRealModem);
    auto port = OpenOn(*sim, GetParam().transport, Standard());
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(Send(*port, Request(QStringLiteral("+15550000001")), GetParam().mode), "") << i;
    QStringList once = Preparation();
    if (!Overlapped())
        once.removeFirst(); // the handshake
    else
        once << QStringLiteral("AT+CMGF?"); // the mode check before each AT+CMGS
    once << Cmgs(QStringLiteral("+15550000001"));
    const QStringList expected = (Overlapped() ? QStringList() : QStringList{QStringLiteral("AT")}) + once + once;
    EXPECT_EQ(Log(sim->CommandsReceived()), Log(expected));
    EXPECT_EQ(sim->SubmissionCount(), 2);
}

// A long message goes with the link to the SMSC kept open between its parts (AT+CMMS=2) and released after the
// last; a device that refuses AT+CMMS is asked once and sent to part by part as before.
TEST_P(PortPreparation, LongMessagesKeepTheLinkBetweenParts) {
    const QString threeParts(400, QLatin1Char('x'));
    {
        auto sim = DeviceTest::StartSim(kRealModem);
        auto port = OpenOn(*sim, GetParam().transport, Fast());
        EXPECT_EQ(Send(*port, Request(QStringLiteral("+15550000001"), threeParts), GetParam().mode), "");
        const auto parts = sim->Submissions();
        ASSERT_EQ(parts.size(), 3u);
        for (const SimSubmission& part : parts)
            EXPECT_EQ(part.cmms, 2);
        QStringList commands = sim->CommandsReceived().mid(Preparation().size());
        ASSERT_EQ(commands.size(), 5) << Log(commands);
        EXPECT_EQ(commands.first(), QStringLiteral("AT+CMMS=2"));
        EXPECT_EQ(commands.last(), QStringLiteral("AT+CMMS=0"));
        // A single message needs no link kept.
        EXPECT_EQ(Send(*port, Request(QStringLiteral("+15550000002")), GetParam().mode), "");
        EXPECT_EQ(sim->Submissions().back().cmms, 0);
        EXPECT_EQ(sim->CountCommands(QStringLiteral("AT+CMMS")), 2);
    }
    {
        auto sim = DeviceTest::StartSim(QStringLiteral("no-cmms"));
        auto port = OpenOn(*sim, GetParam().transport, Fast());
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(Send(*port, Request(QStringLiteral("+15550000001"), threeParts), GetParam().mode), "");
        EXPECT_EQ(sim->SubmissionCount(), 6);
        EXPECT_EQ(sim->CommandsReceived().filter(QStringLiteral("AT+CMMS")), QStringList{QStringLiteral("AT+CMMS=2")});
    }
}

// A part the network refuses ends the message; the link kept for it is released all the same.
TEST_P(PortPreparation, AFailedPartReleasesTheLink) {
    auto sim = DeviceTest::StartSim(QStringLiteral("flaky:2"));
    auto port = OpenOn(*sim, GetParam().transport, Fast());
    EXPECT_EQ(Send(*port, Request(QStringLiteral("+15550000001"), QString(400, QLatin1Char('x'))), GetParam().mode),
              "+CMS ERROR: 500");
    EXPECT_EQ(sim->SubmissionCount(), 1);
    EXPECT_EQ(sim->CommandsReceived().last(), QStringLiteral("AT+CMMS=0"));
}

INSTANTIATE_TEST_SUITE_P(BothTransports, PortPreparation,
                         testing::Values(Combination{Transport::Overlapped, SmsMode::Pdu},
                                         Combination{Transport::Overlapped, SmsMode::Text},
                                         Combination{Transport::NonOverlapped, SmsMode::Pdu},
                                         Combination{Transport::NonOverlapped, SmsMode::Text}),
                         Name);

// A device that forgets its SMSC on AT+CSMP: text mode restores it, so two text messages and a PDU-mode message
// after them all go, where each failed with +CMS ERROR: 330 before. Also when the device shows its SMSC in UCS2,
// and with either timing (with "standard" every text message sets AT+CSMP again).
TEST(PortPreparation, TheSmscSurvivesADeviceThatForgetsItOnCsmp) {
    for (const Transport transport : {Transport::Overlapped, Transport::NonOverlapped}) {
        for (const char* profile : {"wipe-smsc-on-csmp", "wipe-smsc-on-csmp,hexcharset"}) {
            for (const ModemTiming& timing : {Fast(), Standard()}) {
                SCOPED_TRACE(testing::Message() << profile << (transport == Transport::Overlapped ? " overlapped" : "")
                                                << (timing.prepareOnce ? " fast" : " standard"));
                auto sim = DeviceTest::StartSim(QLatin1String(profile));
                auto port = OpenOn(*sim, transport, timing);
                EXPECT_EQ(Send(*port, Request(QStringLiteral("+15550000001")), SmsMode::Text), "");
                EXPECT_EQ(Send(*port, Request(QStringLiteral("+15550000002")), SmsMode::Text), "");
                EXPECT_EQ(Send(*port, Request(QStringLiteral("+15550000003")), SmsMode::Pdu), "");
                const auto sent = sim->Submissions();
                ASSERT_EQ(sent.size(), 3u);
                EXPECT_EQ(sent[0].smsc, QStringLiteral("+919845087001"));
                EXPECT_EQ(sent[1].smsc, QStringLiteral("+919845087001"));
                EXPECT_EQ(sent[2].mode, QStringLiteral("pdu"));
                EXPECT_EQ(sim->CountCommands(QStringLiteral("AT+CSCA=\"")), timing.prepareOnce ? 1 : 2);
            }
        }
    }
}
