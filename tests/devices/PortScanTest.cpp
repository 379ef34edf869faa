// The port scan's per-port test against simulated modems, busy ports and ports never to be opened.

#include "fakes/DeviceTestSupport.h"

#include "devices/DetailsText.h"
#include "devices/DeviceTexts.h"
#include "devices/PortHolder.h"
#include "devices/PortScanner.h"
#include "fakes/HoldingProcess.h"
#include "modem/SerialLine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

using DeviceTest::StartSim;

namespace {

PortScanner Scanner() {
    PortScanner::Options options;
    options.replyTimeoutMs = DeviceTest::kReplyTimeoutMs;
    options.timing = DeviceTest::Timing();
    return PortScanner(options);
}

PortInfo Port(const SimModem& sim, const QString& description = QString()) {
    return PortInfo{sim.PortName(), description, PortInfo::Kind::Device};
}

// Records the observer calls in order.
class RecordingObserver : public ScanObserver {
public:
    void OnScanStarted(int portCount) override { calls << QStringLiteral("started %1").arg(portCount); }
    void OnPortStarted(int index, const PortInfo&) override { calls << QStringLiteral("port %1").arg(index); }
    void OnPortDone(int index, const ScanPortReport& report) override {
        calls << QStringLiteral("done %1 %2").arg(index).arg(report.listed ? QStringLiteral("listed") : report.status);
        if (index == stopAfter && stop)
            stop->store(true);
    }
    void OnRowAdded(const DeviceRecord& row) override { calls << QStringLiteral("row ") + row.portName; }
    void OnScanFinished(bool stopped, int rows) override {
        calls << QStringLiteral("finished %1 %2").arg(stopped ? "stopped" : "complete").arg(rows);
    }

    QStringList calls;
    int stopAfter = -1;
    std::atomic<bool>* stop = nullptr;
};

} // namespace

TEST(PortScan, RowOfAHealthyModem) {
    auto sim = StartSim();
    const PortScanner::Result result =
        Scanner().ScanPorts({Port(*sim, QStringLiteral("Simulated GSM Modem"))}, nullptr);
    ASSERT_EQ(result.rows.size(), 1u);
    const DeviceRecord& row = result.rows[0];
    const QString port = sim->PortName();
    EXPECT_EQ(row.portName, port);
    EXPECT_EQ(row.displayName, port + QStringLiteral(" (Simulated GSM Modem)"));
    EXPECT_EQ(row.imei, QStringLiteral("867856034556711"));
    EXPECT_EQ(row.defaultSmsc, QStringLiteral("+919845087001"));
    EXPECT_EQ(row.smscNumber, QStringLiteral("+919845087001"));
    EXPECT_EQ(row.supportedSmsModes, QStringLiteral("PDU Mode & Text Mode"));
    EXPECT_EQ(row.smsMode, DeviceRecord::kModePdu);
    EXPECT_FALSE(row.useCustomSmsc);
    EXPECT_TRUE(row.details.startsWith(QStringLiteral("COM Port :") + port + QStringLiteral("\nCom Port Details :") +
                                       row.displayName + QStringLiteral("\nManufacturer :SIMCOM\n")));
    EXPECT_TRUE(row.details.endsWith(QStringLiteral("Signal Quality :Good (17)\nSMS Capabilities : Yes\n")));
    EXPECT_EQ(DetailsText::GetDetailsValue(row.details, DetailsText::kSmsCapabilities), QStringLiteral("Yes"));
    // The device was reset before its details were read.
    const QStringList commands = sim->CommandsReceived();
    EXPECT_LT(commands.indexOf(QStringLiteral("AT&F")), commands.indexOf(QStringLiteral("AT+CSCA?")));
    EXPECT_LT(commands.indexOf(QStringLiteral("AT+CMGS=?")), commands.indexOf(QStringLiteral("AT&F")));
}

TEST(PortScan, ProfilesPresetTheirRows) {
    struct Case {
        const char* profile;
        const char* supported;
        int mode;
        const char* smsc;
    };
    const Case cases[] = {
        {"pdu-only", "PDU Mode", DeviceRecord::kModePdu, "+919845087001"},
        {"text-only", "Text Mode", DeviceRecord::kModeText, "+919845087001"},
        {"no-smsc", "PDU Mode & Text Mode", DeviceRecord::kModePdu, ""},
        {"hexcharset", "PDU Mode & Text Mode", DeviceRecord::kModePdu, "+919845087001"},
    };
    for (const Case& c : cases) {
        auto sim = StartSim(QLatin1String(c.profile));
        const auto result = Scanner().ScanPorts({Port(*sim)}, nullptr);
        ASSERT_EQ(result.rows.size(), 1u) << c.profile;
        EXPECT_EQ(result.rows[0].supportedSmsModes, QLatin1String(c.supported)) << c.profile;
        EXPECT_EQ(result.rows[0].smsMode, c.mode) << c.profile;
        EXPECT_EQ(result.rows[0].defaultSmsc, QLatin1String(c.smsc)) << c.profile;
        // A pty has no system description: the row is named after the device that answers on it.
        EXPECT_EQ(result.rows[0].displayName, sim->PortName() + QStringLiteral(" (SIMCOM SIM800 Simulated)"));
    }
}

TEST(PortScan, TwoPortsOfOnePhoneAreListedOnceOnTheFirst) {
    auto first = StartSim(QStringLiteral("default"), QStringLiteral("351234567890123"));
    auto second = StartSim(QStringLiteral("default"), QStringLiteral("351234567890123"));
    auto other = StartSim(QStringLiteral("default"), QStringLiteral("359999999999999"));
    const auto result = Scanner().ScanPorts({Port(*first), Port(*second), Port(*other)}, nullptr);
    ASSERT_EQ(result.rows.size(), 2u);
    EXPECT_EQ(result.rows[0].portName, first->PortName());
    EXPECT_EQ(result.rows[1].portName, other->PortName());
    ASSERT_EQ(result.ports.size(), 3u);
    EXPECT_EQ(result.ports[1].status,
              QStringLiteral("Same device as %1 (IMEI 351234567890123)").arg(first->PortName()));
    // The second port was not reset nor asked for its details.
    EXPECT_EQ(DeviceTest::CountCommands(*second, QStringLiteral("AT&F")), 0);
}

TEST(PortScan, DeadPortTimesOutAndTheScanGoesOn) {
    auto dead = StartSim(QStringLiteral("dead"));
    auto alive = StartSim();
    const auto result = Scanner().ScanPorts({Port(*dead), Port(*alive)}, nullptr);
    ASSERT_EQ(result.rows.size(), 1u);
    EXPECT_EQ(result.rows[0].portName, alive->PortName());
    EXPECT_EQ(result.ports[0].status, QStringLiteral("Request Timeout"));
    EXPECT_FALSE(result.ports[0].listed);
}

TEST(PortScan, BuiltInAndLoggingPortsAreNeverOpened) {
    auto builtIn = StartSim();
    auto logging = StartSim();
    auto named = StartSim();
    const auto result = Scanner().ScanPorts({PortInfo{builtIn->PortName(), {}, PortInfo::Kind::BuiltIn},
                                             Port(*logging, QStringLiteral("Mobile Logging")),
                                             Port(*named, QStringLiteral("Communications Port"))},
                                            nullptr);
    EXPECT_TRUE(result.rows.empty());
    EXPECT_EQ(result.ports[0].status, PortScanner::kBuiltInPort);
    EXPECT_EQ(result.ports[0].displayName, QStringLiteral("Communications Port (%1)").arg(builtIn->PortName()));
    EXPECT_EQ(result.ports[1].status, PortScanner::kLoggingPort);
    EXPECT_EQ(result.ports[2].status, PortScanner::kBuiltInPort);
    for (const SimModem* sim : {builtIn.get(), logging.get(), named.get()})
        EXPECT_TRUE(sim->CommandsReceived().isEmpty());
}

TEST(PortScan, PortHeldByUsIsDroppedWithoutNamingUs) {
    auto sim = StartSim();
    SerialLine holder;
    ASSERT_EQ(holder.Open(sim->PortName()), 0);
    const auto result = Scanner().ScanPorts({Port(*sim)}, nullptr);
    EXPECT_TRUE(result.rows.empty());
    EXPECT_TRUE(result.ports[0].status.startsWith(QStringLiteral("Cannot access this port")));
    EXPECT_FALSE(result.ports[0].status.contains(QStringLiteral("in use by")));
    EXPECT_TRUE(DeviceTexts::IsFailedPortStatus(result.ports[0].status));
}

namespace {
} // namespace

TEST(PortScan, BusyPortNamesTheProcessHoldingIt) {
    auto sim = StartSim();
    {
        HoldingProcess holder(sim->PortName());
        ASSERT_TRUE(holder.Holding());
        const auto result = Scanner().ScanPorts({Port(*sim)}, nullptr);
        EXPECT_TRUE(result.rows.empty());
        const QString status = result.ports[0].status;
        EXPECT_EQ(status, QStringLiteral("Cannot access this port (Device or resource busy; in use by test_devices "
                                         "(pid %1))")
                              .arg(holder.Pid()));
        EXPECT_EQ(PortHolder::Holders(sim->PortName()).size(), 1);
    }
    EXPECT_TRUE(PortHolder::Holders(sim->PortName()).isEmpty());
    EXPECT_EQ(Scanner().ScanPorts({Port(*sim)}, nullptr).rows.size(), 1u);
}

TEST(PortScan, StopBetweenPortsLeavesTheRestUnexamined) {
    auto a = StartSim(QStringLiteral("default"), QStringLiteral("111111111111111"));
    auto b = StartSim(QStringLiteral("default"), QStringLiteral("222222222222222"));
    auto c = StartSim(QStringLiteral("default"), QStringLiteral("333333333333333"));
    std::atomic<bool> stop{false};
    RecordingObserver observer;
    observer.stop = &stop;
    observer.stopAfter = 0;
    const auto result = Scanner().ScanPorts({Port(*a), Port(*b), Port(*c)}, &observer, &stop);
    EXPECT_TRUE(result.stopped);
    ASSERT_EQ(result.rows.size(), 1u);
    EXPECT_EQ(observer.calls, (QStringList{"started 3", "port 0", "row " + a->PortName(), "done 0 listed",
                                           "done 1 " + PortScanner::kStopped, "done 2 " + PortScanner::kStopped,
                                           "finished stopped 1"}));
    EXPECT_TRUE(b->CommandsReceived().isEmpty());
}

TEST(PortScan, PortThatIsNotThereCannotBeAccessed) {
    const auto result =
        Scanner().ScanPorts({PortInfo{QStringLiteral("/nonexistent/ttyUSB9"), {}, PortInfo::Kind::Device}}, nullptr);
    EXPECT_TRUE(result.rows.empty());
    EXPECT_EQ(result.ports[0].status, QStringLiteral("Cannot access this port (No such file or directory)"));
}

// A port ModemManager holds: the scan's report says what to do, whether the open was refused or the device
// said nothing (ModemManager answering it). The process list is one of our own, the lock a real one.
TEST(PortScan, ReportsOfPortsModemManagerHoldsCarryAdvice) {
    auto held = StartSim();
    auto dead = StartSim(QStringLiteral("dead"));
    auto healthy = StartSim();
    QTemporaryDir proc;
    int pid = 5000812; // above the kernel's limit: never a real process, never ours
    for (const SimModem* sim : {held.get(), dead.get()}) {
        const QString base = proc.path() + QLatin1Char('/') + QString::number(pid++);
        ASSERT_TRUE(QDir().mkpath(base + QStringLiteral("/fd")));
        QFile comm(base + QStringLiteral("/comm"));
        ASSERT_TRUE(comm.open(QIODevice::WriteOnly));
        comm.write("ModemManager\n");
        ASSERT_TRUE(QFile::link(QFileInfo(sim->PortName()).canonicalFilePath(), base + QStringLiteral("/fd/9")));
    }
    PortScanner::Options options;
    options.replyTimeoutMs = DeviceTest::kReplyTimeoutMs;
    options.timing = DeviceTest::Timing();
    options.procRoot = proc.path();
    HoldingProcess lock(held->PortName());
    ASSERT_TRUE(lock.Holding());
    const auto result = PortScanner(options).ScanPorts({Port(*held), Port(*dead), Port(*healthy)}, nullptr);
    ASSERT_EQ(result.ports.size(), 3u);
    EXPECT_EQ(result.ports[0].status, QStringLiteral("Cannot access this port (Device or resource busy; in use by "
                                                     "ModemManager (pid 5000812))"));
    EXPECT_TRUE(result.ports[0].advice.startsWith(QStringLiteral("ModemManager (pid 5000812) holds this port")));
    EXPECT_TRUE(result.ports[0].advice.contains(QStringLiteral("bulksms-cli udev-rule --port ") + held->PortName()));
    EXPECT_EQ(result.ports[1].status, DeviceTexts::kRequestTimeout);
    EXPECT_TRUE(result.ports[1].advice.startsWith(QStringLiteral("ModemManager (pid 5000813) holds this port")));
    EXPECT_TRUE(result.ports[2].listed);
    EXPECT_TRUE(result.ports[2].advice.isEmpty());
}
