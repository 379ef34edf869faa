// bulksms-cli ports, info, scan and phonebook, run as a separate process against simulated modems served by
// the test.

#include "CliProcess.h"
#include "fakes/DeviceTestSupport.h"

#include <QFile>

using DeviceTest::StartSim;

namespace {

class DeviceCli : public CliTest {};

} // namespace

TEST_F(DeviceCli, PortsGivesANameAndADisplayNamePerLine) {
    const CliRun r = RunCli({QStringLiteral("ports")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    for (const QString& line : r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        ASSERT_EQ(fields.size(), 2) << line.toStdString();
        EXPECT_TRUE(fields[0].startsWith(QLatin1String("/dev/")));
        EXPECT_TRUE(fields[1].contains(fields[0])) << line.toStdString();
    }
}

TEST_F(DeviceCli, InfoPrintsTheDetailsOrTheError) {
    auto sim = StartSim(QStringLiteral("text-only"));
    CliRun r = RunCli({QStringLiteral("info"), QStringLiteral("--port"), sim->PortName()});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out,
              QStringLiteral("Manufacturer :SIMCOM\nModel :SIM800 Simulated\nRevision :Revision:1418B05SIM800L24\n"
                             "Supported SMS Mode :Text Mode\nBattery :75%\nDefault SMSC No. :+919845087001\n"
                             "Operator Code :VRIX SIM\nSignal Quality :Good (17)\n"));
    r = RunCli({QStringLiteral("info"), QStringLiteral("--port"), QStringLiteral("/nonexistent/ttyUSB9")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, QStringLiteral("No such file or directory\n"));
}

TEST_F(DeviceCli, ScanPrintsOneBlockPerDevice) {
    auto first = StartSim(QStringLiteral("default"), QStringLiteral("351234567890123"));
    auto second = StartSim(QStringLiteral("pdu-only"), QStringLiteral("351234567890123")); // the same phone
    const CliRun r = RunCli({QStringLiteral("scan"), QStringLiteral("--no-enumerate"), QStringLiteral("--port"),
                             first->PortName(), QStringLiteral("--port"), second->PortName()});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString port = first->PortName();
    EXPECT_EQ(r.out, QStringLiteral("Com Port : %1\nCom Port Details : %1 (SIMCOM SIM800 Simulated)\nCom Port Status : \n"
                                    "SMSC No. : +919845087001\nIMEI No. : 351234567890123\nSMS Mode : PDU Mode\n"
                                    "Default SMSC No. : +919845087001\nSUP SMS Mode : PDU Mode & Text Mode\n"
                                    "USE CUS SMSC : N\n"
                                    "COM Port :%1\nCom Port Details :%1 (SIMCOM SIM800 Simulated)\nManufacturer :SIMCOM\n"
                                    "Model :SIM800 Simulated\nRevision :Revision:1418B05SIM800L24\n"
                                    "Supported SMS Mode :PDU Mode & Text Mode\nBattery :75%\n"
                                    "Default SMSC No. :+919845087001\nOperator Code :VRIX SIM\n"
                                    "Signal Quality :Good (17)\nSMS Capabilities : Yes\n\n")
                         .arg(port));
    EXPECT_TRUE(r.err.contains(QStringLiteral("Same device as %1").arg(port)));
}

TEST_F(DeviceCli, ScanWithoutDeviceSaysSo) {
    const CliRun r = RunCli({QStringLiteral("scan"), QStringLiteral("--no-enumerate"), QStringLiteral("--port"),
                             QStringLiteral("/nonexistent/ttyUSB9")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("No compatible device found connected to your computer.\n\n")));
    EXPECT_TRUE(r.err.contains(QStringLiteral("/nonexistent/ttyUSB9: Cannot access this port")));
}

// A device in UCS2 needs no option: the reader asks the device which set it is in. The old --ucs2-names is
// still taken and changes nothing.
TEST_F(DeviceCli, PhonebookListsTheContacts) {
    auto sim = StartSim(QStringLiteral("hexcharset"));
    for (const bool oldOption : {false, true}) {
        QStringList args = {QStringLiteral("phonebook"), QStringLiteral("--port"), sim->PortName()};
        if (oldOption)
            args << QStringLiteral("--ucs2-names");
        const CliRun r = RunCli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 5);
        EXPECT_EQ(lines[0], QStringLiteral("+919845012345\t145\tAsha Rao"));
        EXPECT_EQ(lines[4], QStringLiteral("18005550199\t129\tHelp Desk"));
    }
}
