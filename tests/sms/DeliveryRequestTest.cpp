// Asking for delivery reports: TP-SRR in the PDU and in AT+CSMP, the AT+CNMI chosen from the device's
// AT+CNMI=? answer, and the message references a submission returns, over the simulated modem.

#include "fakes/DeviceTestSupport.h"

#include "modem/CSMSException.h"
#include "sms/PduEncoder.h"
#include "sms/SmsRequest.h"
#include "sms/SmsTransport.h"
#include "sms/SubmissionSteps.h"

#include <gtest/gtest.h>

TEST(DeliveryRequest, StatusReportRequestBitIsSetInTheFirstOctetAfterTheSmscField) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"0011000B916407281553F80000AA0AE8329BFD4697D9EC37", "0031000B916407281553F80000AA0AE8329BFD4697D9EC37"},
        {"07916407058099F951000B916407281553F80000AA05", "07916407058099F971000B916407281553F80000AA05"},
        {"0031000B91", "0031000B91"}, // already set: unchanged
        {"07", "07"},                 // cut short: left alone
    };
    for (const Case& c : cases) {
        Pdu::EncodedPdu pdu{QString::fromLatin1(c.in), 10};
        SubmissionSteps::RequestStatusReport(pdu);
        EXPECT_EQ(pdu.hex.toStdString(), c.out);
    }
}

TEST(DeliveryRequest, IndicationsAreChosenFromWhatTheDeviceOffers) {
    struct Case {
        const char* answer;
        const char* command;
    } cases[] = {
        {"+CNMI: (0-2),(0-3),(0,2),(0-2),(0,1)\r\n\r\nOK", "AT+CNMI=2,1,0,2,0"},
        {"+CNMI: (0,1),(0,1),(0),(0,1),(0)", "AT+CNMI=1,1,0,1,0"},
        {"+CNMI: (0-3),(0,2,3),(0),(1),(0,1)", "AT+CNMI=2,0,0,1,0"},
        {"+CNMI: 2,1,0,2,0", "AT+CNMI=2,1,0,2,0"},  // single values
        {"+CNMI: (0-2),(0-3),(0,2),(0),(0,1)", ""}, // reports only stored silently
        {"+CNMI: (0),(0-3),(0),(0-2)", ""},         // no mode that passes indications on
        {"ERROR", ""},
        {"+CNMI: (0-2)", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SubmissionSteps::IndicationCommand(QString::fromLatin1(c.answer)).toStdString(), c.command)
            << c.answer;
}

TEST(DeliveryRequest, MessageReferenceIsReadFromTheReply) {
    EXPECT_EQ(SubmissionSteps::MessageReference(QStringLiteral("\r\n+CMGS: 17\r\n\r\nOK\r\n")), 17);
    EXPECT_EQ(SubmissionSteps::MessageReference(QStringLiteral("+CMTI: \"SM\",3\r\n+CMGS:255\r\nOK")), 255);
    EXPECT_EQ(SubmissionSteps::MessageReference(QStringLiteral("\r\nOK\r\n")), -1);
    EXPECT_EQ(SubmissionSteps::TextFirstOctet(false), 17);
    EXPECT_EQ(SubmissionSteps::TextFirstOctet(true), 49);
}

namespace {
struct Combination {
    bool nonOverlapped;
    SmsMode mode;
};
class DeliveryRequestOverSim : public testing::TestWithParam<Combination> {};
std::string Name(const testing::TestParamInfo<Combination>& param) {
    return std::string(param.param.nonOverlapped ? "NonOverlapped" : "Overlapped") +
           (param.param.mode == SmsMode::Pdu ? "Pdu" : "Text");
}
} // namespace

// Two messages, one of them in three parts: each part asks for a report, the port is told once which
// indications to give, and every part's reference comes back in order.
TEST_P(DeliveryRequestOverSim, EveryPartAsksForAReportAndItsReferenceComesBack) {
    auto sim = DeviceTest::StartSim(QStringLiteral("report-delay:60000"));
    auto port = MakeSmsTransport(GetParam().nonOverlapped, 1500);
    port->SetTiming(DeviceTest::Timing());
    port->SetStatusReports(true);
    port->Open(sim->PortName());
    SmsRequest request;
    request.recipientNumber = QStringLiteral("+447946000001");
    request.message = QStringLiteral("Short one");
    request.UseCallerSettings = 1;
    ASSERT_NO_THROW(port->Submit(request, GetParam().mode));
    EXPECT_EQ(port->MessageReferences().size(), 1u);
    request.message = QString(400, QLatin1Char('x'));
    ASSERT_NO_THROW(port->Submit(request, GetParam().mode));
    const std::vector<int> references = port->MessageReferences();

    const std::vector<SimSubmission> accepted = sim->Submissions();
    ASSERT_EQ(accepted.size(), 1u + references.size());
    ASSERT_GE(references.size(), 3u);
    for (std::size_t i = 0; i < accepted.size(); ++i) {
        EXPECT_TRUE(accepted[i].statusReportRequested) << i;
        if (i > 0) {
            EXPECT_EQ(accepted[i].messageReference, references[i - 1]) << i;
        }
    }
    EXPECT_EQ(sim->CountCommands(QStringLiteral("AT+CNMI=?")), 1);
    EXPECT_EQ(sim->CountCommands(QStringLiteral("AT+CNMI=2,1,0,2,0")), 1);
}

TEST_P(DeliveryRequestOverSim, WithoutTheOptionNothingIsAsked) {
    auto sim = DeviceTest::StartSim();
    auto port = MakeSmsTransport(GetParam().nonOverlapped, 1500);
    port->SetTiming(DeviceTest::Timing());
    port->Open(sim->PortName());
    SmsRequest request;
    request.recipientNumber = QStringLiteral("+447946000001");
    request.message = QStringLiteral("Short one");
    request.UseCallerSettings = 1;
    ASSERT_NO_THROW(port->Submit(request, GetParam().mode));
    ASSERT_EQ(sim->SubmissionCount(), 1);
    EXPECT_FALSE(sim->Submissions().front().statusReportRequested);
    EXPECT_EQ(sim->CountCommands(QStringLiteral("AT+CNMI=?")), 0);
}

INSTANTIATE_TEST_SUITE_P(Transports, DeliveryRequestOverSim,
                         testing::Values(Combination{false, SmsMode::Pdu}, Combination{false, SmsMode::Text},
                                         Combination{true, SmsMode::Pdu}, Combination{true, SmsMode::Text}),
                         Name);
