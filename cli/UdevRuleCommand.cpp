// bulksms-cli udev-rule: the udev rule that keeps ModemManager away from the USB modem on a port.

#include "CliCommand.h"
#include "CliJson.h"

#include "devices/PortAdvice.h"
#include "devices/PortEnumerator.h"

#include <QFileInfo>

#include <cstdio>

namespace {

const QString kName = QStringLiteral("udev-rule");

int Run(const CliArgs& args) {
    const QString port = args.Value(QStringLiteral("port"));
    if (port.isEmpty())
        return CliUsageError(kName, QStringLiteral("--port is required"));
    if (!QFileInfo::exists(port)) {
        CliErr(QStringLiteral("bulksms-cli %1: %2: no such port").arg(kName, port));
        return kExitRefused;
    }
    const std::optional<PortEnumerator::UsbDevice> usb = PortEnumerator().UsbDeviceOf(port);
    if (!usb) {
        CliErr(QStringLiteral("bulksms-cli %1: %2 is not a USB device, so no rule by USB vendor and product can be "
                              "made for it.")
                   .arg(kName, port));
        return kExitRefused;
    }
    const QString rule = PortAdvice::UdevRule(*usb);
    if (!args.Json()) {
        std::fputs(rule.toUtf8().constData(), stdout);
        return kExitOk;
    }
    CliJson::Print(QJsonObject{{QStringLiteral("port"), port},
                               {QStringLiteral("device"), usb->sysfsPath},
                               {QStringLiteral("vendor_id"), usb->vendorId},
                               {QStringLiteral("product_id"), usb->productId},
                               {QStringLiteral("manufacturer"), usb->manufacturer},
                               {QStringLiteral("product"), usb->product},
                               {QStringLiteral("file"), PortAdvice::UdevRulePath(*usb)},
                               {QStringLiteral("rule"), rule}});
    return kExitOk;
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = kName,
    .summary = QStringLiteral("Print a udev rule that tells ModemManager to leave the USB modem on a port alone, "
                              "with where to save it and how to load it."),
    .synopsis = QStringLiteral("--port PATH [--json]"),
    .options = {CliOptions::kPort, CliOptions::kJson},
    .details = QStringLiteral("The rule matches the device's USB vendor and product ids (read from sysfs, a "
                              "symlinked port followed first) and sets ID_MM_DEVICE_IGNORE. For example:\n"
                              "  bulksms-cli udev-rule --port /dev/ttyUSB0 | sudo tee "
                              "/etc/udev/rules.d/70-vrix-bulk-sms-12d1-1506.rules\n"
                              "JSON: {\"port\": PATH, \"device\": SYSFS PATH, \"vendor_id\": HEX, \"product_id\": HEX, "
                              "\"manufacturer\": TEXT, \"product\": TEXT, \"file\": PATH, \"rule\": TEXT}"),
    .failure = QStringLiteral("the port is not there or not on USB"),
    .run = Run,
});
