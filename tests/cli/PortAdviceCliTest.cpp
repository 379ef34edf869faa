// What bulksms-cli tells a user about a port they may not open, and about one that ModemManager holds: the
// real refusals (a device node of another group opened by another user, a port locked by another process),
// through the commands that open ports.

#include "CliProcess.h"
#include "fakes/DeviceTestSupport.h"

#include "devices/PortHolder.h"

#include <QFileInfo>
#include <QStandardPaths>

#include <chrono>
#include <grp.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using DeviceTest::StartSim;

namespace {

class PortAdviceCli : public CliTest {};

constexpr uid_t kNobody = 65534;

} // namespace

// A process named ModemManager holds the port's lock, as the service holds a modem it has taken.
TEST_F(PortAdviceCli, PortHeldByModemManager) {
    const QString flock = QStandardPaths::findExecutable(QStringLiteral("flock"));
    ASSERT_FALSE(flock.isEmpty()) << "flock (util-linux) is missing";
    const QString service = m_dir.filePath(QStringLiteral("ModemManager"));
    ASSERT_TRUE(QFile::copy(flock, service));
    auto sim = StartSim();
    const QString port = sim->PortName();

    QProcess holder;
    holder.start(service, {QStringLiteral("--exclusive"), port, QStringLiteral("sleep"), QStringLiteral("60")});
    ASSERT_TRUE(holder.waitForStarted(5000));
    const QString held = QStringLiteral("ModemManager (pid %1)").arg(holder.processId());
    for (int i = 0; i < 250 && !PortHolder::Holders(port).contains(held); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(PortHolder::Holders(port), QStringList{held});

    const QString advice = QStringLiteral("  %1 holds this port: it takes modem ports for itself").arg(held);
    const QString command = QStringLiteral("\n    bulksms-cli udev-rule --port ") + port + QLatin1Char('\n');
    const QStringList commands[] = {
        {"info", "--port", port},
        {"phonebook", "--port", port},
        {"send-one", "--port", port, "--to", "+15550001", "--text", "hi"},
        {"scan", "--no-enumerate", "--port", port},
        {"send", "--port", port, "--rows", File(QStringLiteral("rows.txt"), "+15550001\thi\n"), "--data", m_dir.path()},
    };
    for (const QStringList& args : commands) {
        const CliRun run = RunCli(args);
        const std::string what = args.first().toStdString();
        EXPECT_EQ(run.exitCode, 1) << what;
        EXPECT_TRUE(run.err.contains(advice)) << what << "\n" << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(command)) << what << "\n" << run.err.toStdString();
    }
    holder.kill();
    holder.waitForFinished(5000);
    EXPECT_EQ(sim->SubmissionCount(), 0);
}

// The port's device node belongs to dialout, mode 660; a user outside dialout opens it and is refused.
TEST_F(PortAdviceCli, PortOfAGroupTheUserIsNotIn) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "opening the port as another user needs root";
    const group* dialout = ::getgrnam("dialout");
    if (!dialout)
        GTEST_SKIP() << "the system has no dialout group";
    auto sim = StartSim();
    const QString node = QFileInfo(sim->PortName()).canonicalFilePath();
    ASSERT_EQ(::chown(QFile::encodeName(node).constData(), static_cast<uid_t>(-1), dialout->gr_gid), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(node).constData(), 0660), 0);

    const CliRun run = RunCliWith({QStringLiteral("info"), QStringLiteral("--port"), node}, [](QProcess& p) {
        p.setChildProcessModifier([] {
            // In the child, before bulksms-cli starts: the user nobody, in no group but its own.
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
                ::_exit(99);
        });
    });
    ASSERT_NE(run.exitCode, 99) << "could not become nobody";
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Permission denied\n"));
    // The advice is wrapped under the error; the command stands on a line of its own.
    EXPECT_EQ(run.err.simplified(), QStringLiteral("%1 belongs to the group \"dialout\" (crw-rw----), and you are not "
                                                   "in it. Add yourself to the group, then log out and in again: sudo "
                                                   "usermod -aG dialout $USER")
                                        .arg(node));
    EXPECT_TRUE(run.err.endsWith(QStringLiteral("again:\n    sudo usermod -aG dialout $USER\n")))
        << run.err.toStdString();
}
