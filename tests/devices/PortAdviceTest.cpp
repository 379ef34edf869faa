// What a user is told about a port they may not open, or one that ModemManager holds or may be probing.

#include "devices/PortAdvice.h"
#include "devices/PortHolder.h"
#include "fakes/DeviceTestSupport.h"
#include "modem/CSMSException.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using DeviceTest::StartSim;

namespace {

QString Group(gid_t gid) {
    const group* g = ::getgrgid(gid);
    return g ? QString::fromLocal8Bit(g->gr_name) : QString::number(gid);
}

QString CurrentUserName() {
    const passwd* user = ::getpwuid(::geteuid());
    return user ? QString::fromLocal8Bit(user->pw_name) : QString();
}

// A /proc of our own: processes with a command name, optionally holding a file open.
class FakeProc {
public:
    void AddProcess(int pid, const QByteArray& name, const QString& openFile = {}) {
        const QString base = dir.path() + QLatin1Char('/') + QString::number(pid);
        QDir().mkpath(base + QStringLiteral("/fd"));
        QFile comm(base + QStringLiteral("/comm"));
        ASSERT_TRUE(comm.open(QIODevice::WriteOnly));
        comm.write(name + '\n');
        if (!openFile.isEmpty()) {
            ASSERT_TRUE(QFile::link(openFile, base + QStringLiteral("/fd/3")));
        }
    }
    QString Root() const { return dir.path(); }

    QTemporaryDir dir;
};

} // namespace

// The device node's owning group decides what to say: its name, whether the user is in it for this session or
// only in the group database, and whether the group may read and write the node at all.
TEST(PortAdvice, PermissionDeniedNamesTheGroupAndWhatToDo) {
    QTemporaryDir dir;
    const QString node = dir.filePath(QStringLiteral("ttyUSB0"));
    QFile file(node);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(node).constData(), &st), 0);
    const QString group = Group(st.st_gid);
    const QString canonical = QFileInfo(node).canonicalFilePath();
    const unsigned gid = static_cast<unsigned>(st.st_gid);

    struct Case {
        const char* name;
        PortAdvice::Identity identity;
        mode_t mode;
        QString expected;
    };
    const Case cases[] = {
        {"not in the group",
         {4242, QStringLiteral("nobody-in-particular"), {4242}},
         0660,
         QStringLiteral("%1 belongs to the group \"%2\" (-rw-rw----), and you are not in it. Add yourself to the "
                        "group, then log out and in again:\n  sudo usermod -aG %2 $USER")
             .arg(canonical, group)},
        // The file's group is the user's own group in the database, but not one of this process's groups.
        {"added after the session started",
         {0, CurrentUserName(), {4242}},
         0660,
         QStringLiteral("%1 belongs to the group \"%2\", which you were added to after this session started. Log out "
                        "and in again (or start a shell in the group with: newgrp %2).")
             .arg(canonical, group)},
        {"in the group, group may not write",
         {4242, QStringLiteral("nobody-in-particular"), {4242, gid}},
         0640,
         QStringLiteral("%1 belongs to the group \"%2\", which you are in, but its permissions (-rw-r-----) do not let "
                        "the group read and write it.")
             .arg(canonical, group)},
        {"in the group with access: the error is another", {4242, QStringLiteral("x"), {gid}}, 0660, QString()},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(::chmod(QFile::encodeName(node).constData(), c.mode), 0);
        EXPECT_EQ(PortAdvice::PermissionAdvice(node, c.identity), c.expected) << c.name;
        // EACCES and EPERM from the open are routed to the same advice, whoever holds the port.
        EXPECT_EQ(PortAdvice::ForFailure(node, EACCES, {QStringLiteral("ModemManager (pid 7)")}, {}, c.identity),
                  c.expected)
            << c.name;
    }
    // Through a symlink (a /dev/serial/by-id/ name) the node itself is examined.
    const QString link = dir.filePath(QStringLiteral("by-id-modem"));
    ASSERT_TRUE(QFile::link(node, link));
    EXPECT_TRUE(PortAdvice::PermissionAdvice(link, cases[0].identity).startsWith(canonical));
    EXPECT_EQ(PortAdvice::PermissionAdvice(dir.filePath(QStringLiteral("gone")), cases[0].identity), QString());
}

TEST(PortAdvice, ModemManagerHoldingOrProbingThePort) {
    const QString port = QStringLiteral("/dev/ttyUSB2");
    const QString udevRule = QStringLiteral(" To keep it away from this device, install the udev rule that this "
                                            "command prints (it says where):\n  bulksms-cli udev-rule --port "
                                            "/dev/ttyUSB2\nor stop ModemManager for now:\n  sudo systemctl stop "
                                            "ModemManager");
    const QString held = QStringLiteral("ModemManager (pid 812) holds this port: it takes modem ports for itself, and "
                                        "probes new ones for some seconds after they appear.") +
                         udevRule;
    const QString probing = QStringLiteral("The port is busy and ModemManager is running: it may be holding or probing "
                                           "this port (it probes new modem ports for some seconds after they "
                                           "appear).") +
                            udevRule;
    const QStringList modemManager{QStringLiteral("ModemManager (pid 812)")};
    struct Case {
        const char* name;
        int error;
        QStringList holders;
        QStringList running;
        QString expected;
    };
    const Case cases[] = {
        {"busy, held by it", EBUSY, {QStringLiteral("minicom (pid 5)"), modemManager[0]}, {}, held},
        {"answering nothing while it holds the port", 0, modemManager, modemManager, held},
        {"busy, holder hidden (a root process), it runs", EBUSY, {}, modemManager, probing},
        {"busy, held by another program", EBUSY, {QStringLiteral("minicom (pid 5)")}, modemManager, QString()},
        {"busy, it does not run", EBUSY, {}, {QStringLiteral("ModemManagerX (pid 9)")}, QString()},
        {"not there", ENOENT, {}, modemManager, QString()},
        {"answering nothing, it only runs", 0, {}, modemManager, QString()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PortAdvice::ForFailure(port, c.error, c.holders, c.running), c.expected) << c.name;

    // A port name a shell would split is quoted in the command.
    EXPECT_TRUE(PortAdvice::ModemManagerAdvice(QStringLiteral("/tmp/my modem's port"), modemManager[0], true)
                    .contains(QStringLiteral("bulksms-cli udev-rule --port '/tmp/my modem'\\''s port'\n")));
}

// Holders and running services looked up in a /proc of our own, down to the advice for a real busy port.
TEST(PortAdvice, FindsModemManagerInProc) {
    auto sim = StartSim();
    const QString pty = QFileInfo(sim->PortName()).canonicalFilePath();
    FakeProc proc;
    // Process ids above the kernel's limit (PID_MAX_LIMIT, 2^22), so that none is this test's own.
    proc.AddProcess(5000001, "bash");
    proc.AddProcess(5000812, "ModemManager", pty);
    proc.AddProcess(5000900, "ModemManager");
    EXPECT_EQ(
        PortHolder::Running(QStringLiteral("ModemManager"), proc.Root()),
        (QStringList{QStringLiteral("ModemManager (pid 5000812)"), QStringLiteral("ModemManager (pid 5000900)")}));
    EXPECT_EQ(PortHolder::Holders(sim->PortName(), proc.Root()),
              QStringList{QStringLiteral("ModemManager (pid 5000812)")});
    const QString advice = PortAdvice::ForException(
        sim->PortName(), CSMSException(CSMSException::kSystemErrorBase | EBUSY, {}), proc.Root());
    EXPECT_TRUE(advice.startsWith(QStringLiteral("ModemManager (pid 5000812) holds this port")))
        << advice.toStdString();
    EXPECT_TRUE(advice.contains(QStringLiteral("bulksms-cli udev-rule --port ") + sim->PortName()));
}

TEST(PortAdvice, UdevRuleForTheUsbDevice) {
    PortEnumerator::UsbDevice device;
    device.vendorId = QStringLiteral("12D1");
    device.productId = QStringLiteral("1506");
    device.manufacturer = QStringLiteral("HUAWEI");
    device.product = QStringLiteral("Mobile\tBroadband");
    EXPECT_EQ(PortAdvice::UdevRulePath(device), QStringLiteral("/etc/udev/rules.d/70-vrix-bulk-sms-12d1-1506.rules"));
    EXPECT_EQ(PortAdvice::UdevRule(device),
              QStringLiteral("# ModemManager leaves HUAWEI Mobile Broadband (USB 12d1:1506) alone, so that VRIX Bulk "
                             "SMS can use its ports.\n"
                             "# Save this as /etc/udev/rules.d/70-vrix-bulk-sms-12d1-1506.rules, then load it and "
                             "plug the device in again:\n"
                             "#   sudo udevadm control --reload-rules && sudo udevadm trigger\n"
                             "# If ModemManager still holds the port: sudo systemctl restart ModemManager\n"
                             "ATTRS{idVendor}==\"12d1\", ATTRS{idProduct}==\"1506\", "
                             "ENV{ID_MM_DEVICE_IGNORE}=\"1\"\n"));
    device.manufacturer.clear();
    device.product = QStringLiteral("\x1b[2J");
    EXPECT_TRUE(
        PortAdvice::UdevRule(device).startsWith(QStringLiteral("# ModemManager leaves [2J (USB 12d1:1506) alone")));
}
