// Port enumeration over a sysfs tree built in a temporary folder, shaped as the kernel lays it out.

#include "devices/PortEnumerator.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

class FakeSysfs {
public:
    FakeSysfs() {
        root = dir.path() + QStringLiteral("/sys");
        dev = dir.path() + QStringLiteral("/dev");
        QDir().mkpath(root + QStringLiteral("/class/tty"));
        QDir().mkpath(dev);
    }

    void Write(const QString& path, const QByteArray& text) {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    // A tty whose device sits at devicePath (relative to sys/devices); class/tty/<name>/device links there.
    void AddTty(const QString& name, const QString& devicePath) {
        const QString deviceDir = root + QStringLiteral("/devices/") + devicePath;
        const QString classDir = deviceDir + QStringLiteral("/tty/") + name;
        QDir().mkpath(classDir);
        QFile::link(deviceDir, classDir + QStringLiteral("/device"));
        QFile::link(classDir, root + QStringLiteral("/class/tty/") + name);
    }

    // A virtual tty without a device.
    void AddVirtualTty(const QString& name) {
        const QString classDir = root + QStringLiteral("/devices/virtual/tty/") + name;
        QDir().mkpath(classDir);
        QFile::link(classDir, root + QStringLiteral("/class/tty/") + name);
    }

    // A USB device with its manufacturer and product; returns its path below sys/devices.
    QString AddUsbDevice(const QString& path, const QByteArray& manufacturer, const QByteArray& product,
                         const QByteArray& productId = "1506") {
        const QString full = root + QStringLiteral("/devices/") + path;
        Write(full + QStringLiteral("/idVendor"), "12d1\n");
        Write(full + QStringLiteral("/idProduct"), productId + '\n');
        if (!manufacturer.isEmpty())
            Write(full + QStringLiteral("/manufacturer"), manufacturer + '\n');
        if (!product.isEmpty())
            Write(full + QStringLiteral("/product"), product + '\n');
        return path;
    }

    QTemporaryDir dir;
    QString root;
    QString dev;
};

QStringList Names(const std::vector<PortInfo>& ports) {
    QStringList names;
    for (const PortInfo& p : ports)
        names << p.name;
    return names;
}

} // namespace

TEST(PortEnumerator, ListsSerialDevicesWithTheirNames) {
    FakeSysfs fs;
    const QString usb = fs.AddUsbDevice(QStringLiteral("pci0000:00/usb1/1-1"), "HUAWEI", "HUAWEI Mobile");
    fs.Write(fs.root + "/devices/" + usb + "/1-1:1.0/interface", "Huawei Mobile Connect - Modem\n");
    fs.AddTty(QStringLiteral("ttyUSB0"), usb + QStringLiteral("/1-1:1.0/ttyUSB0"));
    fs.AddTty(QStringLiteral("ttyUSB10"), usb + QStringLiteral("/1-1:1.2/ttyUSB10"));
    fs.AddTty(QStringLiteral("ttyUSB2"), usb + QStringLiteral("/1-1:1.1/ttyUSB2"));
    const QString acm = fs.AddUsbDevice(QStringLiteral("pci0000:00/usb2/2-1"), {}, "Phone");
    fs.AddTty(QStringLiteral("ttyACM0"), acm + QStringLiteral("/2-1:1.0"));
    // A real built-in UART, one of the 8250 driver's placeholders, a virtual console and the console itself.
    fs.AddTty(QStringLiteral("ttyS0"), QStringLiteral("pnp0/00:01"));
    fs.Write(fs.root + "/class/tty/ttyS0/type", "4\n");
    fs.AddTty(QStringLiteral("ttyS1"), QStringLiteral("platform/serial8250"));
    fs.Write(fs.root + "/class/tty/ttyS1/type", "0\n");
    fs.AddVirtualTty(QStringLiteral("tty0"));
    fs.AddVirtualTty(QStringLiteral("console"));
    fs.Write(fs.root + "/class/tty/console/active", "tty0 ttyS0\n");

    const std::vector<PortInfo> ports = PortEnumerator(fs.root, fs.dev).Enumerate();
    EXPECT_EQ(Names(ports), (QStringList{fs.dev + "/ttyACM0", fs.dev + "/ttyS0", fs.dev + "/ttyUSB0",
                                         fs.dev + "/ttyUSB2", fs.dev + "/ttyUSB10"}));
    ASSERT_EQ(ports.size(), 5u);
    EXPECT_EQ(ports[0].description, QStringLiteral("Phone"));
    EXPECT_EQ(ports[0].kind, PortInfo::Kind::Device);
    EXPECT_EQ(ports[1].kind, PortInfo::Kind::BuiltIn);
    EXPECT_FALSE(ports[1].MayOpen());
    EXPECT_EQ(ports[1].DisplayName(), QStringLiteral("Communications Port (%1/ttyS0)").arg(fs.dev));
    EXPECT_EQ(ports[2].description, QStringLiteral("HUAWEI HUAWEI Mobile Huawei Mobile Connect - Modem"));
    EXPECT_EQ(ports[2].DisplayName(),
              fs.dev + QStringLiteral("/ttyUSB0 (HUAWEI HUAWEI Mobile Huawei Mobile Connect - Modem)"));
    EXPECT_EQ(ports[3].description, QStringLiteral("HUAWEI HUAWEI Mobile"));
}

TEST(PortEnumerator, UsbPortThatIsTheConsoleIsNeverOpened) {
    FakeSysfs fs;
    const QString usb = fs.AddUsbDevice(QStringLiteral("usb1/1-1"), "FTDI", "FT232R");
    fs.AddTty(QStringLiteral("ttyUSB0"), usb + QStringLiteral("/1-1:1.0/ttyUSB0"));
    fs.AddVirtualTty(QStringLiteral("console"));
    fs.Write(fs.root + "/class/tty/console/active", "ttyUSB0\n");
    const std::vector<PortInfo> ports = PortEnumerator(fs.root, fs.dev).Enumerate();
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_FALSE(ports[0].MayOpen());
}

TEST(PortEnumerator, AddedPaths) {
    FakeSysfs fs;
    const PortEnumerator enumerator(fs.root, fs.dev);
    // A pseudo-terminal (a simulated modem), by its own path or through a symlink, is a device.
    const QString pts = QStringLiteral("/dev/pts/0");
    if (QFileInfo::exists(pts)) {
        const QString link = fs.dir.path() + QStringLiteral("/modem");
        ASSERT_TRUE(QFile::link(pts, link));
        const PortInfo viaLink = enumerator.Describe(link);
        EXPECT_EQ(viaLink.name, link);
        EXPECT_TRUE(viaLink.MayOpen());
        EXPECT_EQ(viaLink.DisplayName(), QStringLiteral("Unknown Device on ") + link);
    }
    // The console and built-in UART names are never opened, whichever way they are named.
    for (const char* name : {"/dev/console", "/dev/tty", "/dev/tty1", "/dev/ttyS0", "/dev/ttyAMA0"}) {
        if (QFileInfo::exists(QLatin1String(name))) {
            EXPECT_FALSE(PortEnumerator().Describe(QLatin1String(name)).MayOpen()) << name;
        }
    }
    // A path that is not there is kept as given; opening it will tell.
    const PortInfo missing = enumerator.Describe(QStringLiteral("/nonexistent/ttyUSB7"));
    EXPECT_TRUE(missing.MayOpen());
    EXPECT_EQ(missing.name, QStringLiteral("/nonexistent/ttyUSB7"));
}

TEST(PortEnumerator, MergeKeepsEachDeviceOnce) {
    QTemporaryDir dir;
    const QString target = dir.path() + QStringLiteral("/ttyUSB0");
    QFile(target).open(QIODevice::WriteOnly);
    const QString link = dir.path() + QStringLiteral("/by-id-modem");
    ASSERT_TRUE(QFile::link(target, link));
    const std::vector<PortInfo> merged = PortEnumerator::Merge(
        {PortInfo{target, QStringLiteral("Modem"), PortInfo::Kind::Device}},
        {PortInfo{link, {}, PortInfo::Kind::Device}, PortInfo{QStringLiteral("/tmp/sim-a"), {}, PortInfo::Kind::Device},
         PortInfo{QStringLiteral("/tmp/sim-a"), {}, PortInfo::Kind::Device}});
    EXPECT_EQ(Names(merged), (QStringList{target, QStringLiteral("/tmp/sim-a")}));
    EXPECT_EQ(merged[0].description, QStringLiteral("Modem"));
}

TEST(PortEnumerator, NaturalOrder) {
    EXPECT_TRUE(PortEnumerator::NaturalLess(QStringLiteral("ttyACM2"), QStringLiteral("ttyACM10")));
    EXPECT_FALSE(PortEnumerator::NaturalLess(QStringLiteral("ttyACM10"), QStringLiteral("ttyACM2")));
    EXPECT_TRUE(PortEnumerator::NaturalLess(QStringLiteral("ttyACM9"), QStringLiteral("ttyUSB0")));
    EXPECT_TRUE(PortEnumerator::NaturalLess(QStringLiteral("ttyUSB"), QStringLiteral("ttyUSB0")));
    EXPECT_FALSE(PortEnumerator::NaturalLess(QStringLiteral("ttyUSB1"), QStringLiteral("ttyUSB1")));
}

// The USB ids behind a port, for the udev rule that keeps ModemManager away from it.
TEST(PortEnumerator, UsbDeviceOfAPort) {
    FakeSysfs fs;
    const QString usb = fs.AddUsbDevice(QStringLiteral("pci0000:00/usb1/1-1"), "HUAWEI", "HUAWEI Mobile");
    fs.AddTty(QStringLiteral("ttyUSB0"), usb + QStringLiteral("/1-1:1.0/ttyUSB0"));
    const QString acm = fs.AddUsbDevice(QStringLiteral("pci0000:00/usb2/2-1"), {}, "Phone", "a0b1");
    fs.AddTty(QStringLiteral("ttyACM0"), acm + QStringLiteral("/2-1:1.0"));
    const QString odd = fs.AddUsbDevice(QStringLiteral("pci0000:00/usb3/3-1"), {}, {}, "15\"6");
    fs.AddTty(QStringLiteral("ttyUSB9"), odd + QStringLiteral("/3-1:1.0/ttyUSB9"));
    fs.AddTty(QStringLiteral("ttyS0"), QStringLiteral("pnp0/00:01"));
    for (const char* node : {"ttyUSB0", "ttyACM0", "ttyUSB9", "ttyS0"})
        fs.Write(fs.dev + QLatin1Char('/') + QLatin1String(node), {});
    QDir().mkpath(fs.dev + QStringLiteral("/serial/by-id"));
    const QString byId = fs.dev + QStringLiteral("/serial/by-id/usb-HUAWEI_Mobile-if00-port0");
    ASSERT_TRUE(QFile::link(fs.dev + QStringLiteral("/ttyUSB0"), byId));

    const PortEnumerator enumerator(fs.root, fs.dev);
    struct Case {
        QString port;
        QString vendor; // empty: no USB device
        QString product;
        QString name;
    };
    const Case cases[] = {
        {fs.dev + QStringLiteral("/ttyUSB0"), QStringLiteral("12d1"), QStringLiteral("1506"),
         QStringLiteral("HUAWEI Mobile")},
        {byId, QStringLiteral("12d1"), QStringLiteral("1506"), QStringLiteral("HUAWEI Mobile")},
        {fs.dev + QStringLiteral("/ttyACM0"), QStringLiteral("12d1"), QStringLiteral("a0b1"), QStringLiteral("Phone")},
        {fs.dev + QStringLiteral("/ttyUSB9"), {}, {}, {}}, // an id that is no hex number never reaches a rule
        {fs.dev + QStringLiteral("/ttyS0"), {}, {}, {}},
        {fs.dev + QStringLiteral("/ttyUSB7"), {}, {}, {}},
        {QStringLiteral("/nonexistent/ttyUSB0"), {}, {}, {}},
    };
    for (const Case& c : cases) {
        const auto device = enumerator.UsbDeviceOf(c.port);
        ASSERT_EQ(device.has_value(), !c.vendor.isEmpty()) << c.port.toStdString();
        if (!device)
            continue;
        EXPECT_EQ(device->vendorId, c.vendor);
        EXPECT_EQ(device->productId, c.product);
        EXPECT_EQ(device->product, c.name);
        EXPECT_TRUE(device->sysfsPath.endsWith(QStringLiteral("-1"))) << device->sysfsPath.toStdString();
    }
}
