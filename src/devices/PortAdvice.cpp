#include "devices/PortAdvice.h"

#include "devices/PortHolder.h"
#include "modem/CSMSException.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PortAdvice {

namespace {

// A word for a shell command line: as it is when it holds only characters no shell treats specially, else in
// single quotes.
QString ShellWord(const QString& text) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./:@%+=,-]+$"));
    if (plain.match(text).hasMatch())
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// The group's name, or its number when the system has no name for it.
QString GroupName(unsigned gid) {
    std::vector<char> buffer(16384);
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(static_cast<gid_t>(gid), &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return QString::fromLocal8Bit(found->gr_name);
    return QString::number(gid);
}

// Whether the group database puts the user in the group: as a listed member, or as the user's own group.
bool DatabaseMember(const QString& userName, unsigned gid) {
    if (userName.isEmpty())
        return false;
    const QByteArray name = userName.toLocal8Bit();
    std::vector<char> buffer(16384);
    passwd user{};
    passwd* userFound = nullptr;
    if (::getpwnam_r(name.constData(), &user, buffer.data(), buffer.size(), &userFound) == 0 && userFound &&
        static_cast<unsigned>(userFound->pw_gid) == gid)
        return true;
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(static_cast<gid_t>(gid), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return false;
    for (char** member = found->gr_mem; member && *member; ++member) {
        if (name == *member)
            return true;
    }
    return false;
}

// "crw-rw----" as ls shows it.
QString ModeText(mode_t mode) {
    QString text = S_ISCHR(mode) ? QStringLiteral("c") : S_ISDIR(mode) ? QStringLiteral("d") : QStringLiteral("-");
    const mode_t bits[] = {S_IRUSR, S_IWUSR, S_IXUSR, S_IRGRP, S_IWGRP, S_IXGRP, S_IROTH, S_IWOTH, S_IXOTH};
    const char letters[] = "rwxrwxrwx";
    for (int i = 0; i < 9; ++i)
        text += (mode & bits[i]) ? QLatin1Char(letters[i]) : QLatin1Char('-');
    return text;
}

bool IsModemManager(const QString& process) {
    return process.startsWith(kModemManager + QStringLiteral(" (pid "));
}

} // namespace

Identity Identity::Current() {
    Identity identity;
    identity.uid = static_cast<unsigned>(::geteuid());
    std::vector<char> buffer(16384);
    passwd user{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &user, buffer.data(), buffer.size(), &found) == 0 && found)
        identity.userName = QString::fromLocal8Bit(found->pw_name);
    identity.groups.push_back(static_cast<unsigned>(::getegid()));
    const int count = ::getgroups(0, nullptr);
    if (count > 0) {
        std::vector<gid_t> groups(static_cast<std::size_t>(count));
        const int got = ::getgroups(count, groups.data());
        for (int i = 0; i < got; ++i)
            identity.groups.push_back(static_cast<unsigned>(groups[static_cast<std::size_t>(i)]));
    }
    return identity;
}

QString PermissionAdvice(const QString& portName, const Identity& identity) {
    const QString canonical = QFileInfo(portName).canonicalFilePath();
    const QString node = canonical.isEmpty() ? portName : canonical;
    struct stat st {};
    if (::stat(QFile::encodeName(node).constData(), &st) != 0)
        return {};
    const auto gid = static_cast<unsigned>(st.st_gid);
    const QString group = GroupName(gid);
    const bool inProcess = std::find(identity.groups.begin(), identity.groups.end(), gid) != identity.groups.end();
    if (!inProcess && DatabaseMember(identity.userName, gid))
        return QStringLiteral("%1 belongs to the group \"%2\", which you were added to after this session started. "
                              "Log out and in again (or start a shell in the group with: newgrp %2).")
            .arg(node, group);
    if (!inProcess)
        return QStringLiteral("%1 belongs to the group \"%2\" (%3), and you are not in it. Add yourself to the group, "
                              "then log out and in again:\n  sudo usermod -aG %2 $USER")
            .arg(node, group, ModeText(st.st_mode));
    if ((st.st_mode & S_IRGRP) == 0 || (st.st_mode & S_IWGRP) == 0)
        return QStringLiteral("%1 belongs to the group \"%2\", which you are in, but its permissions (%3) do not let "
                              "the group read and write it.")
            .arg(node, group, ModeText(st.st_mode));
    return {};
}

QString ModemManagerAdvice(const QString& portName, const QString& holder, bool busy) {
    QString fact;
    if (!holder.isEmpty())
        fact = QStringLiteral("%1 holds this port: it takes modem ports for itself, and probes new ones for some "
                              "seconds after they appear.")
                   .arg(holder);
    else if (busy)
        fact = QStringLiteral("The port is busy and ModemManager is running: it may be holding or probing this port "
                              "(it probes new modem ports for some seconds after they appear).");
    else
        return {};
    return fact + QStringLiteral(" To keep it away from this device, install the udev rule that this command prints "
                                 "(it says where):\n  bulksms-cli udev-rule --port %1\n"
                                 "or stop ModemManager for now:\n  sudo systemctl stop ModemManager")
                      .arg(ShellWord(portName));
}

QString ForFailure(const QString& portName, int errorNumber, const QStringList& holders, const QStringList& running,
                   const Identity& identity) {
    if (errorNumber == EACCES || errorNumber == EPERM)
        return PermissionAdvice(portName, identity);
    const auto modemManager = std::find_if(holders.begin(), holders.end(), IsModemManager);
    if (modemManager != holders.end())
        return ModemManagerAdvice(portName, *modemManager, true);
    // Root-owned holders cannot be seen by other users: a busy port with ModemManager running is likely its.
    if (errorNumber == EBUSY && holders.isEmpty() && std::any_of(running.begin(), running.end(), IsModemManager))
        return ModemManagerAdvice(portName, QString(), true);
    return {};
}

QString ForException(const QString& portName, const CSMSException& exception, const QString& procRoot) {
    const int errorNumber = exception.SystemErrorNumber();
    if (errorNumber == EACCES || errorNumber == EPERM)
        return PermissionAdvice(portName);
    const QStringList running = errorNumber == EBUSY ? PortHolder::Running(kModemManager, procRoot) : QStringList();
    return ForFailure(portName, errorNumber, PortHolder::Holders(portName, procRoot), running);
}

QString UdevRulePath(const PortEnumerator::UsbDevice& device) {
    return QStringLiteral("/etc/udev/rules.d/70-vrix-bulk-sms-%1-%2.rules")
        .arg(device.vendorId.toLower(), device.productId.toLower());
}

QString UdevRule(const PortEnumerator::UsbDevice& device) {
    // The names come from the device itself: kept to printable characters so that they stay one comment line.
    QString name = QStringList{device.manufacturer, device.product}.join(QLatin1Char(' ')).simplified();
    name.removeIf([](QChar c) { return !c.isPrint(); });
    const QString vendor = device.vendorId.toLower();
    const QString product = device.productId.toLower();
    const QString what = name.isEmpty() ? QStringLiteral("USB device %1:%2").arg(vendor, product)
                                        : QStringLiteral("%1 (USB %2:%3)").arg(name, vendor, product);
    return QStringLiteral("# ModemManager leaves %1 alone, so that VRIX Bulk SMS can use its ports.\n"
                          "# Save this as %2, then load it and plug the device in again:\n"
                          "#   sudo udevadm control --reload-rules && sudo udevadm trigger\n"
                          "# If ModemManager still holds the port: sudo systemctl restart ModemManager\n"
                          "ATTRS{idVendor}==\"%3\", ATTRS{idProduct}==\"%4\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"\n")
        .arg(what, UdevRulePath(device), vendor, product);
}

} // namespace PortAdvice
