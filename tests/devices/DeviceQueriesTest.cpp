// The information queries and the phonebook against the simulated modem over real pseudo-terminals.

#include "fakes/DeviceTestSupport.h"
#include "fakes/PtyPeer.h"

#include "devices/DetailsText.h"
#include "devices/DeviceQueries.h"
#include "devices/PhonebookReader.h"
#include "modem/CSMSException.h"
#include "modem/CSMSSerialPort.h"

#include <future>

using DeviceTest::StartSim;

namespace {

struct DetailsCase {
    const char* profile;
    const char* details;
};

QString DetailsOf(SimModem& sim, int timeoutMs = DeviceTest::kReplyTimeoutMs) {
    CSMSSerialPort port;
    port.Open(timeoutMs, sim.PortName());
    return DeviceQueries(port).GetDeviceDetails();
}

} // namespace

TEST(DeviceQueries, DetailsOfEveryProfileThatChangesThem) {
    const DetailsCase cases[] = {
        {"default", "Manufacturer :SIMCOM\nModel :SIM800 Simulated\nRevision :Revision:1418B05SIM800L24\n"
                    "Supported SMS Mode :PDU Mode & Text Mode\nBattery :75%\nDefault SMSC No. :+919845087001\n"
                    "Operator Code :VRIX SIM\nSignal Quality :Good (17)\n"},
        {"no-smsc", "Manufacturer :SIMCOM\nModel :SIM800 Simulated\nRevision :Revision:1418B05SIM800L24\n"
                    "Supported SMS Mode :PDU Mode & Text Mode\nBattery :75%\nDefault SMSC No. :\n"
                    "Operator Code :VRIX SIM\nSignal Quality :Good (17)\n"},
        // The SMSC comes as UCS2 hex and is decoded back to the number.
        {"hexcharset", "Manufacturer :SIMCOM\nModel :SIM800 Simulated\nRevision :Revision:1418B05SIM800L24\n"
                       "Supported SMS Mode :PDU Mode & Text Mode\nBattery :75%\nDefault SMSC No. :+919845087001\n"
                       "Operator Code :VRIX SIM\nSignal Quality :Good (17)\n"},
        {"pdu-only", "Manufacturer :SIMCOM\nModel :SIM800 Simulated\nRevision :Revision:1418B05SIM800L24\n"
                     "Supported SMS Mode :PDU Mode\nBattery :75%\nDefault SMSC No. :+919845087001\n"
                     "Operator Code :VRIX SIM\nSignal Quality :Good (17)\n"},
        {"text-only", "Manufacturer :SIMCOM\nModel :SIM800 Simulated\nRevision :Revision:1418B05SIM800L24\n"
                      "Supported SMS Mode :Text Mode\nBattery :75%\nDefault SMSC No. :+919845087001\n"
                      "Operator Code :VRIX SIM\nSignal Quality :Good (17)\n"},
        // Split replies with unsolicited lines, the GMI/GMM fallbacks, "MODEL=" and prefixed identities.
        {"quirky", "Manufacturer :SIMCOM\nModel :SIM800 Simulated\nRevision :Revision:1418B05SIM800L24\n"
                   "Supported SMS Mode :PDU Mode & Text Mode\nBattery :75%\nDefault SMSC No. :+919845087001\n"
                   "Operator Code :VRIX SIM\nSignal Quality :Good (17)\n"},
        {"garbage,noecho", "Manufacturer :SIMCOM\nModel :SIM800 Simulated\nRevision :Revision:1418B05SIM800L24\n"
                           "Supported SMS Mode :PDU Mode & Text Mode\nBattery :75%\nDefault SMSC No. :+919845087001\n"
                           "Operator Code :VRIX SIM\nSignal Quality :Good (17)\n"},
    };
    for (const DetailsCase& c : cases) {
        auto sim = StartSim(QLatin1String(c.profile));
        EXPECT_EQ(DetailsOf(*sim), QString::fromLatin1(c.details)) << c.profile;
    }
}

TEST(DeviceQueries, IdentityFallbacksUseTheSecondCommand) {
    auto sim = StartSim(QStringLiteral("quirky"));
    CSMSSerialPort port;
    port.Open(DeviceTest::kReplyTimeoutMs, sim->PortName());
    DeviceQueries queries(port);
    EXPECT_EQ(queries.GetManufacturer(), QStringLiteral("SIMCOM"));    // AT+GMI: ERROR, then +CGMI: "SIMCOM"
    EXPECT_EQ(queries.GetModel(), QStringLiteral("SIM800 Simulated")); // "Undefined", then +CGMM: MODEL=...
    EXPECT_EQ(queries.GetImei(), QStringLiteral("867856034556711"));   // "IMEI 8678..."
    EXPECT_EQ(queries.GetImsi(), QStringLiteral("404451234567890"));   // "IMSI 4044..."
    const QStringList commands = sim->CommandsReceived();
    EXPECT_TRUE(commands.contains(QStringLiteral("AT+GMI")));
    EXPECT_TRUE(commands.contains(QStringLiteral("AT+CGMI")));
    EXPECT_TRUE(commands.contains(QStringLiteral("AT+CGMM")));
    // A device answering the first command needs no second one.
    auto plain = StartSim();
    CSMSSerialPort plainPort;
    plainPort.Open(DeviceTest::kReplyTimeoutMs, plain->PortName());
    EXPECT_EQ(DeviceQueries(plainPort).GetManufacturer(), QStringLiteral("SIMCOM"));
    EXPECT_EQ(DeviceTest::CountCommands(*plain, QStringLiteral("AT+CGMI")), 0);
}

TEST(DeviceQueries, AnsweredQueriesNeverWaitForTheSilenceLimit) {
    // The silence limit is an hour, far beyond the test's time-out: a query that waited for silence after its
    // answer (an ERROR read as "no OK yet") could not end while the test runs, so every query here ends at
    // the device's final result.
    auto sim = StartSim(QStringLiteral("quirky"));
    const QString details = DetailsOf(*sim, 3600000);
    EXPECT_TRUE(details.startsWith(QStringLiteral("Manufacturer :SIMCOM\n")));
    EXPECT_TRUE(details.contains(QStringLiteral("\nSignal Quality :")));
}

TEST(DeviceQueries, SmsModesAndSupport) {
    struct Case {
        const char* profile;
        int code;
        const char* text;
    };
    const Case cases[] = {
        {"default", 3, "Both PDU Mode and Text Mode"},
        {"pdu-only", 1, "Only PDU Mode"},
        {"text-only", 2, "Only Text Mode"},
    };
    for (const Case& c : cases) {
        auto sim = StartSim(QLatin1String(c.profile));
        CSMSSerialPort port;
        port.Open(DeviceTest::kReplyTimeoutMs, sim->PortName());
        DeviceQueries queries(port);
        const DeviceQueries::SmsModes modes = queries.GetSmsModes();
        EXPECT_EQ(modes.code, c.code) << c.profile;
        EXPECT_EQ(modes.text, QLatin1String(c.text)) << c.profile;
        EXPECT_TRUE(queries.CheckSmsSupport()) << c.profile;
    }
}

TEST(DeviceQueries, DeadDeviceThrowsNoResponseAndImeiStaysEmpty) {
    auto sim = StartSim(QStringLiteral("dead"));
    CSMSSerialPort port;
    port.Open(DeviceTest::kReplyTimeoutMs, sim->PortName());
    DeviceQueries queries(port);
    try {
        queries.GetDeviceDetails();
        FAIL() << "no exception";
    } catch (const CSMSException& e) {
        EXPECT_EQ(GetErrorText(e), QStringLiteral("Failed to receive a response from the modem."));
    }
    EXPECT_EQ(queries.GetImei(), QString());
    EXPECT_EQ(queries.GetSmsModes().code, 0);
    EXPECT_FALSE(queries.CheckSmsSupport());
    EXPECT_EQ(queries.GetModel(), QString());
}

TEST(DeviceQueries, ImeiOfAPortThatVanishedIsEmptyWithoutThrowing) {
    auto sim = StartSim();
    CSMSSerialPort port;
    port.Open(DeviceTest::kReplyTimeoutMs, sim->PortName());
    sim->Stop();
    EXPECT_EQ(DeviceQueries(port).GetImei(), QString());
}

TEST(Phonebook, ReadsSimAndPhoneMemoryIndexByIndex) {
    auto sim = StartSim();
    CSMSSerialPort port;
    port.Open(DeviceTest::kReplyTimeoutMs, sim->PortName());
    PhonebookReader reader(port);
    const std::vector<PhonebookEntry> entries = reader.ReadPhonebook();
    ASSERT_EQ(entries.size(), 5u);
    // The SIM first, as the device lists it: slots 1, 2 and 40 of 250.
    EXPECT_EQ(entries[0].number, QStringLiteral("+919845012345"));
    EXPECT_EQ(entries[0].type, 145);
    EXPECT_EQ(entries[0].name, QStringLiteral("Asha Rao"));
    EXPECT_EQ(entries[1].number, QStringLiteral("9845067890"));
    EXPECT_EQ(entries[1].type, 129);
    EXPECT_EQ(entries[2].name, QStringLiteral("Office"));
    EXPECT_EQ(entries[3].name, QStringLiteral("Meera Iyer"));
    EXPECT_EQ(entries[4].name, QStringLiteral("Help Desk"));

    // The SIM costs 40 reads (it stops at the third used slot, index 40), the phone memory 5; "FD" none.
    const QStringList commands = sim->CommandsReceived();
    const qsizetype sm = commands.indexOf(QStringLiteral("AT+CPBS=\"SM\""));
    const qsizetype me = commands.indexOf(QStringLiteral("AT+CPBS=\"ME\""));
    ASSERT_GE(sm, 0);
    ASSERT_GT(me, sm);
    int simReads = 0;
    for (qsizetype i = sm; i < me; ++i)
        simReads += commands.at(i).startsWith(QLatin1String("AT+CPBR=")) ? 1 : 0;
    EXPECT_EQ(simReads, 40);
    EXPECT_EQ(reader.ReadCommandCount(), 45);
    EXPECT_FALSE(commands.contains(QStringLiteral("AT+CPBS=\"FD\"")));
}

// Names in any alphabet: the device is asked for UCS2 for the read and set back to its own character set
// after it; in that set the same names would arrive as "Zo?" and "???????".
TEST(Phonebook, NamesOutsideAsciiAreReadInUcs2) {
    SimModem::Options options;
    options.profile = SimProfile{};
    options.identity.phonebook = {
        {QStringLiteral("SM"),
         10,
         {{1, QStringLiteral("+33612345678"), 145, QStringLiteral("Zoë")},
          {2, QStringLiteral("+79161234567"), 145, QStringLiteral("Дмитрий")},
          {4, QStringLiteral("0312345678"), 129, QStringLiteral("山田 \U0001F600")}}}};
    SimModem sim(options);
    QString error;
    ASSERT_TRUE(sim.Start(&error)) << error.toStdString();
    CSMSSerialPort port;
    port.Open(DeviceTest::kReplyTimeoutMs, sim.PortName());
    const std::vector<PhonebookEntry> entries = PhonebookReader(port).ReadPhonebook();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, QStringLiteral("Zoë"));
    EXPECT_EQ(entries[1].name, QStringLiteral("Дмитрий"));
    EXPECT_EQ(entries[2].name, QStringLiteral("山田 \U0001F600"));
    EXPECT_EQ(entries[2].number, QStringLiteral("0312345678"));

    const QStringList sets = sim.CommandsReceived().filter(QStringLiteral("AT+CSCS="));
    EXPECT_EQ(sets, (QStringList{"AT+CSCS=?", "AT+CSCS=\"UCS2\"", "AT+CSCS=\"IRA\""}));
    EXPECT_EQ(sim.CommandsReceived().constLast(), QStringLiteral("AT+CSCS=\"IRA\""));
    ASSERT_TRUE(DeviceQueries(port).Ask("AT+CSCS?"));
    EXPECT_TRUE(port.LastReply().contains(QLatin1String("+CSCS: \"IRA\"")));
}

// A device already in UCS2 is read as it is and left so.
TEST(Phonebook, ADeviceInUcs2IsLeftInIt) {
    auto sim = StartSim(QStringLiteral("hexcharset"));
    CSMSSerialPort port;
    port.Open(DeviceTest::kReplyTimeoutMs, sim->PortName());
    const std::vector<PhonebookEntry> entries = PhonebookReader(port).ReadPhonebook();
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].name, QStringLiteral("Asha Rao"));
    EXPECT_EQ(entries[0].number, QStringLiteral("+919845012345"));
    EXPECT_TRUE(sim->CommandsReceived().filter(QStringLiteral("AT+CSCS=")).isEmpty());
}

// Unsolicited lines and replies in pieces change no value of the details.
TEST(DeviceQueries, DetailsOfADeviceThatTalksBetweenAnswers) {
    const QString expected = QStringLiteral(
        "Manufacturer :SIMCOM\nModel :SIM800 Simulated\nRevision :Revision:1418B05SIM800L24\n"
        "Supported SMS Mode :PDU Mode & Text Mode\nBattery :75%\nDefault SMSC No. :+919845087001\n"
        "Operator Code :VRIX SIM\nSignal Quality :Good (17)\n");
    for (const char* profile : {"urc:30,pieces:10-40", "urc:30,pieces:10-40,seed:7"}) {
        auto sim = StartSim(QLatin1String(profile));
        EXPECT_EQ(DetailsOf(*sim).toStdString(), expected.toStdString()) << profile;
    }
}

TEST(Phonebook, DeadDeviceGivesNoResponse) {
    auto sim = StartSim(QStringLiteral("dead"));
    CSMSSerialPort port;
    port.Open(DeviceTest::kReplyTimeoutMs, sim->PortName());
    try {
        PhonebookReader(port).ReadPhonebook();
        FAIL() << "no exception";
    } catch (const CSMSException& e) {
        EXPECT_EQ(GetErrorText(e), QStringLiteral("Failed to receive a response from the modem."));
    }
}

namespace {
// Answers a scripted device's side: for each expected command, the reply to send.
std::vector<PhonebookEntry> ReadWithScript(const std::vector<std::pair<QByteArray, QByteArray>>& script,
                                           QString* error) {
    PtyPeer peer;
    EXPECT_TRUE(peer.IsValid());
    CSMSSerialPort port;
    port.Open(DeviceTest::kReplyTimeoutMs, peer.SlavePath());
    auto read = std::async(std::launch::async, [&port, error] {
        try {
            return PhonebookReader(port).ReadPhonebook();
        } catch (const CSMSException& e) {
            *error = GetErrorText(e);
            return std::vector<PhonebookEntry>{};
        }
    });
    for (const auto& [command, reply] : script) {
        const QByteArray got = peer.ReceiveUntil(command, 2000);
        EXPECT_TRUE(got.contains(command)) << command.constData();
        peer.Send(reply);
    }
    return read.get();
}
} // namespace

// A device that, once in UCS2, takes every string in it: the storage name, and the set it is put back to.
TEST(Phonebook, ADeviceThatWantsStringsInUcs2) {
    QString error;
    const auto entries = ReadWithScript(
        {{"AT\r", "\r\nOK\r\n"},
         {"AT+CPBS=?\r", "\r\n+CPBS: (\"SM\")\r\n\r\nOK\r\n"},
         {"AT+CSCS?\r", "\r\n+CSCS: \"GSM\"\r\n\r\nOK\r\n"},
         {"AT+CSCS=?\r", "\r\n+CSCS: (\"GSM\",\"UCS2\")\r\n\r\nOK\r\n"},
         {"AT+CSCS=\"UCS2\"\r", "\r\nOK\r\n"},
         {"AT+CPBS=\"SM\"\r", "\r\nERROR\r\n"},
         {"AT+CPBS=\"0053004D\"\r", "\r\nOK\r\n"},
         {"AT+CPBS?\r", "\r\n+CPBS: \"0053004D\",1,5\r\n\r\nOK\r\n"},
         {"AT+CPBR=1\r",
          "\r\n+CPBR: 1,\"002B0034003400370037003000300039003000300031\",145,\"005A006F00EB\"\r\n\r\nOK\r\n"},
         {"AT+CSCS=\"GSM\"\r", "\r\nERROR\r\n"},
         {"AT+CSCS=\"00470053004D\"\r", "\r\nOK\r\n"}},
        &error);
    EXPECT_EQ(error, QString());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].number, QStringLiteral("+4477009001"));
    EXPECT_EQ(entries[0].name, QStringLiteral("Zoë"));
}

TEST(Phonebook, RefusedStorageListRaisesNotSupported) {
    QString error;
    const auto entries = ReadWithScript({{"AT\r", "\r\nOK\r\n"}, {"AT+CPBS=?\r", "\r\nERROR\r\n"}}, &error);
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(error, QStringLiteral("Modem not supported phonebook reading command."));
}

TEST(Phonebook, OnlyFixedDiallingAndOwnNumbersYieldsNothing) {
    QString error;
    const auto entries =
        ReadWithScript({{"AT\r", "\r\nOK\r\n"}, {"AT+CPBS=?\r", "\r\n+CPBS: (\"FD\",\"ON\")\r\n\r\nOK\r\n"}}, &error);
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(error, QString());
}

TEST(Phonebook, StorageThatCannotBeSelectedIsSkipped) {
    QString error;
    // A device without UCS2 is read in its own set.
    const auto entries = ReadWithScript({{"AT\r", "\r\nOK\r\n"},
                                         {"AT+CPBS=?\r", "\r\n+CPBS: (\"ME\",\"SM\")\r\n\r\nOK\r\n"},
                                         {"AT+CSCS?\r", "\r\n+CSCS: \"IRA\"\r\n\r\nOK\r\n"},
                                         {"AT+CSCS=?\r", "\r\n+CSCS: (\"IRA\",\"GSM\")\r\n\r\nOK\r\n"},
                                         {"AT+CPBS=\"ME\"\r", "\r\n+CME ERROR: 3\r\n"},
                                         {"AT+CPBS=\"SM\"\r", "\r\nOK\r\n"},
                                         {"AT+CPBS?\r", "\r\n+CPBS: \"SM\",1,10\r\n\r\nOK\r\n"},
                                         {"AT+CPBR=1\r", "\r\nERROR\r\n"},
                                         {"AT+CPBR=2\r", "\r\n+CPBR: 2,\"5551234\",129,\"Jo\"\r\n\r\nOK\r\n"}},
                                        &error);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].number, QStringLiteral("5551234"));
    EXPECT_EQ(entries[0].name, QStringLiteral("Jo"));
}
