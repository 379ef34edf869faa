// Submissions of both transports against the simulated modem over a real pseudo-terminal.

#include "modem/CSMSException.h"
#include "sim/SimModem.h"
#include "sms/SmsTransport.h"
#include "sms/SmsRequest.h"
#include "sms/SubmissionResult.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <thread>

namespace {

class FixedSettings final : public SubmissionSettings {
public:
    bool flash = false;
    bool unicode = false;
    bool IsFlashSelected() const override { return flash; }
    bool IsUnicodeChecked() const override { return unicode; }
};

enum class Transport { Overlapped, NonOverlapped };
enum class Profile { Standard, Fast };
enum class Mode { Pdu, Text };

constexpr int kReplyTimeoutMs = 300; // the silence limit, shortened from 5000

// The standard profile's fixed pauses scaled down a hundredfold, or the fast profile.
ModemTiming TestTiming(Profile profile) {
    ModemTiming t = profile == Profile::Fast ? ModemTiming::Fast() : ModemTiming::Standard();
    if (profile == Profile::Standard) {
        t.settleBeforeResultMs = 20;
        t.betweenPartsMs = 20;
        t.beforeTextMs = 20;
        t.irdaCmgsSleepMs = 20;
        t.irdaAfterResultMs = 20;
    }
    t.irdaLineSilenceMs = kReplyTimeoutMs;
    t.irdaWriteStallMs = kReplyTimeoutMs;
    t.promptLimitMs = 2000;
    t.finalResultLimitMs = 3000;
    return t;
}

std::unique_ptr<SimModem> StartSim(const QString& profile) {
    QString error;
    const auto parsed = SimProfile::Parse(profile, &error);
    EXPECT_TRUE(parsed.has_value()) << error.toStdString();
    SimModem::Options options;
    options.profile = parsed.value_or(SimProfile{});
    auto sim = std::make_unique<SimModem>(options);
    EXPECT_TRUE(sim->Start(&error)) << error.toStdString();
    return sim;
}

// Opens the transport on the simulator, submits one message and classifies the outcome as a worker does.
struct Submitter {
    Transport transport;
    Profile profile;
    Mode mode;
    FixedSettings settings;
    QString lastError;
    const std::atomic<int>* stop = nullptr;

    QString Send(SimModem& sim, const SmsRequest& request) {
        try {
            const std::unique_ptr<SmsTransport> port =
                MakeSmsTransport(transport == Transport::NonOverlapped, kReplyTimeoutMs);
            port->SetTiming(TestTiming(profile));
            port->SetSubmissionSettings(&settings);
            port->SetStopFlag(stop);
            port->Open(sim.PortName());
            port->Submit(request, mode == Mode::Pdu ? SmsMode::Pdu : SmsMode::Text);
            lastError.clear();
            return SubmissionResult::Sent(false);
        } catch (const CSMSException& e) {
            lastError = GetErrorText(e);
            return SubmissionResult::FromException(e, false);
        }
    }
};

SmsRequest Request(const QString& text, const QString& to = QStringLiteral("+15551234567")) {
    SmsRequest r;
    r.message = text;
    r.recipientNumber = to;
    return r;
}

QString Joined(const std::vector<SimSubmission>& parts) {
    QString text;
    for (const SimSubmission& s : parts)
        text += s.text;
    return text;
}

struct Combination {
    Transport transport;
    Profile profile;
    Mode mode;
};

std::string Name(const testing::TestParamInfo<Combination>& info) {
    const Combination& c = info.param;
    return std::string(c.transport == Transport::Overlapped ? "Overlapped" : "NonOverlapped") +
           (c.profile == Profile::Fast ? "Fast" : "Standard") + (c.mode == Mode::Pdu ? "Pdu" : "Text");
}

class SubmissionDialogue : public testing::TestWithParam<Combination> {
protected:
    Submitter MakeSubmitter() { return Submitter{GetParam().transport, GetParam().profile, GetParam().mode, {}, {}, nullptr}; }
};

} // namespace

TEST_P(SubmissionDialogue, SendsOnEveryWellBehavedProfile) {
    for (const char* profile :
         {"default", "hexcharset", "quirky", "noecho", "garbage", "slow:60", "quirky,noecho,garbage"}) {
        SCOPED_TRACE(profile);
        auto sim = StartSim(QLatin1String(profile));
        Submitter submitter = MakeSubmitter();
        const QString text = QStringLiteral("Hello {world} \u20AC5\r\nline two");
        EXPECT_EQ(submitter.Send(*sim, Request(text)), SubmissionResult::kSentSuccessfully)
            << submitter.lastError.toStdString();
        const auto got = sim->Submissions();
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].to, QStringLiteral("+15551234567"));
        EXPECT_EQ(got[0].mode, GetParam().mode == Mode::Pdu ? QStringLiteral("pdu") : QStringLiteral("text"));
        // CR LF arrives as LF.
        EXPECT_EQ(got[0].text, QStringLiteral("Hello {world} \u20AC5\nline two"));
        EXPECT_FALSE(got[0].flash);
    }
}

TEST_P(SubmissionDialogue, LongAndUnicodeMessagesArriveWhole) {
    auto sim = StartSim(QStringLiteral("default"));
    Submitter submitter = MakeSubmitter();
    const QString longText = QString(140, QLatin1Char('a')) + QStringLiteral("[]{}") + QString(150, QLatin1Char('b'));
    ASSERT_EQ(submitter.Send(*sim, Request(longText)), SubmissionResult::kSentSuccessfully)
        << submitter.lastError.toStdString();
    auto got = sim->Submissions();
    ASSERT_EQ(got.size(), 2u);
    if (GetParam().mode == Mode::Pdu) {
        EXPECT_EQ(Joined(got), longText);
        EXPECT_TRUE(got[0].hasUdh);
        EXPECT_EQ(got[0].udhRef, got[1].udhRef);
        EXPECT_EQ(got[0].udhTotal, 2);
        EXPECT_EQ(got[1].udhSeq, 2);
    } else {
        EXPECT_FALSE(got[0].hasUdh);
        EXPECT_EQ(got[0].text.size(), 150);
    }

    // 71 Unicode characters: two concatenated parts in PDU mode, 64 + 7 in text mode.
    submitter.settings.unicode = true;
    const QString unicode = QString(70, QChar(0x0905)) + QStringLiteral("!");
    ASSERT_EQ(submitter.Send(*sim, Request(unicode)), SubmissionResult::kSentSuccessfully)
        << submitter.lastError.toStdString();
    got = sim->Submissions();
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[2].text + got[3].text, unicode);
    EXPECT_EQ(got[2].dcs, 8);
    if (GetParam().mode == Mode::Text) {
        EXPECT_EQ(got[2].text.size(), 64);
        EXPECT_EQ(got[3].text.size(), 7);
    }

    // Flash (message type "Notification").
    submitter.settings = {};
    submitter.settings.flash = true;
    ASSERT_EQ(submitter.Send(*sim, Request(QStringLiteral("flash"))), SubmissionResult::kSentSuccessfully);
    got = sim->Submissions();
    ASSERT_EQ(got.size(), 5u);
    EXPECT_TRUE(got[4].flash);
    EXPECT_EQ(got[4].dcs, 0x10);
}

TEST_P(SubmissionDialogue, DeviceErrorsAreReportedNeverSent) {
    {
        auto sim = StartSim(QStringLiteral("cms:38"));
        Submitter submitter = MakeSubmitter();
        EXPECT_EQ(submitter.Send(*sim, Request(QStringLiteral("hi"))), QStringLiteral("Error : +CMS ERROR: 38"));
        EXPECT_EQ(sim->SubmissionCount(), 0);
    }
    {
        // Every second submission fails: the failed part ends the message, the rest is not sent.
        auto sim = StartSim(QStringLiteral("flaky:2"));
        Submitter submitter = MakeSubmitter();
        const QString threeParts(400, QLatin1Char('x'));
        EXPECT_EQ(submitter.Send(*sim, Request(threeParts)), QStringLiteral("Error : +CMS ERROR: 500"));
        EXPECT_EQ(sim->SubmissionCount(), 1);
    }
    {
        // Silence after the data is no confirmation.
        auto sim = StartSim(QStringLiteral("silent-after-pdu"));
        Submitter submitter = MakeSubmitter();
        const QString result = submitter.Send(*sim, Request(QStringLiteral("hi")));
        EXPECT_TRUE(ResultText::IsFailure(result)) << result.toStdString();
    }
    {
        // No SMSC stored in the device: only a message that names its SMSC can go (in PDU mode).
        auto sim = StartSim(QStringLiteral("no-smsc"));
        Submitter submitter = MakeSubmitter();
        EXPECT_EQ(submitter.Send(*sim, Request(QStringLiteral("hi"))), QStringLiteral("Error : +CMS ERROR: 330"));
        if (GetParam().mode == Mode::Pdu) {
            SmsRequest withSmsc = Request(QStringLiteral("hi"));
            withSmsc.smscNumber = QStringLiteral(" +919845087001 ");
            EXPECT_EQ(submitter.Send(*sim, withSmsc), SubmissionResult::kSentSuccessfully);
            ASSERT_EQ(sim->SubmissionCount(), 1);
            EXPECT_EQ(sim->Submissions()[0].smsc, QStringLiteral("+919845087001"));
        }
    }
    {
        // A modem in the wrong mode only.
        auto sim = StartSim(GetParam().mode == Mode::Pdu ? QStringLiteral("text-only") : QStringLiteral("pdu-only"));
        Submitter submitter = MakeSubmitter();
        EXPECT_TRUE(ResultText::IsFailure(submitter.Send(*sim, Request(QStringLiteral("hi")))));
        EXPECT_EQ(sim->SubmissionCount(), 0);
    }
}

// A device that never answers: the submission fails with the silence error at its first command, so a dead
// port costs one time-out, not one per step, and no message reaches it.
TEST_P(SubmissionDialogue, ADeadDeviceFailsAtItsFirstCommand) {
    auto sim = StartSim(QStringLiteral("dead"));
    Submitter submitter = MakeSubmitter();
    EXPECT_TRUE(ResultText::IsFailure(submitter.Send(*sim, Request(QStringLiteral("hi")))));
    EXPECT_EQ(submitter.lastError, QStringLiteral("Failed to receive a response from the modem."));
    EXPECT_EQ(sim->SubmissionCount(), 0);
    EXPECT_EQ(sim->CommandsReceived(), QStringList{QStringLiteral("AT")});
}

TEST_P(SubmissionDialogue, AStopRequestEndsALongMessageAfterItsFirstPart) {
    auto sim = StartSim(QStringLiteral("default"));
    Submitter submitter = MakeSubmitter();
    const std::atomic<int> stop{1};
    submitter.stop = &stop;
    const QString result = submitter.Send(*sim, Request(QString(400, QLatin1Char('s'))));
    EXPECT_TRUE(ResultText::IsFailure(result)) << result.toStdString();
    EXPECT_EQ(sim->SubmissionCount(), 1);
    // A single message is not affected.
    EXPECT_EQ(submitter.Send(*sim, Request(QStringLiteral("short"))), SubmissionResult::kSentSuccessfully);
}

// The modem goes while the submission waits for its confirmation, which it holds back for an hour: only
// noticing the hang-up can end the wait, and the failure is the system's error, not the silence error.
TEST_P(SubmissionDialogue, AVanishedModemIsAnErrorNotAHang) {
    auto sim = StartSim(QStringLiteral("slow:3600000"));
    Submitter submitter = MakeSubmitter();
    std::atomic<bool> ended{false};
    std::thread stopper([&sim, &ended] {
        while (sim->SubmissionCount() == 0 && !ended.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        sim->Stop();
    });
    const QString result = submitter.Send(*sim, Request(QStringLiteral("bye")));
    ended = true;
    stopper.join();
    EXPECT_TRUE(ResultText::IsFailure(result)) << result.toStdString();
    EXPECT_EQ(sim->SubmissionCount(), 1);
    EXPECT_EQ(submitter.lastError, QString::fromLocal8Bit(std::strerror(EIO)));
}

INSTANTIATE_TEST_SUITE_P(AllCombinations, SubmissionDialogue,
                         testing::Values(Combination{Transport::Overlapped, Profile::Standard, Mode::Pdu},
                                         Combination{Transport::Overlapped, Profile::Standard, Mode::Text},
                                         Combination{Transport::Overlapped, Profile::Fast, Mode::Pdu},
                                         Combination{Transport::Overlapped, Profile::Fast, Mode::Text},
                                         Combination{Transport::NonOverlapped, Profile::Standard, Mode::Pdu},
                                         Combination{Transport::NonOverlapped, Profile::Standard, Mode::Text},
                                         Combination{Transport::NonOverlapped, Profile::Fast, Mode::Pdu},
                                         Combination{Transport::NonOverlapped, Profile::Fast, Mode::Text}),
                         Name);

TEST(SubmissionResult, ClassifiesAsAWorkerDoes) {
    EXPECT_EQ(SubmissionResult::Sent(false), QStringLiteral("Message sent successfully."));
    EXPECT_EQ(SubmissionResult::Sent(true), QStringLiteral("Message sent to device."));
    EXPECT_EQ(SubmissionResult::FromException(CSMSException(0, QStringLiteral("+CME ERROR: 10")), false),
              QStringLiteral("Error : +CME ERROR: 10"));
    // Anything that is not a network or phone error code is reported under +CMS ERROR: 500.
    EXPECT_EQ(SubmissionResult::FromException(CSMSException(CSMSException::kSystemErrorBase | 5u, {}), false),
              QStringLiteral("Error : +CMS ERROR: 500"));
    EXPECT_EQ(SubmissionResult::FromException(CSMSException(0, QStringLiteral("ERROR")), false),
              QStringLiteral("Error : +CMS ERROR: 500"));
    EXPECT_TRUE(ResultText::IsFailure(QStringLiteral("Error : +CMS ERROR: 38")));
    EXPECT_FALSE(ResultText::IsFailure(SubmissionResult::kSentSuccessfully));
}
