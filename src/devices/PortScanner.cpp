#include "devices/PortScanner.h"

#include "devices/DetailsText.h"
#include "devices/DeviceLog.h"
#include "devices/DeviceQueries.h"
#include "devices/DeviceTexts.h"
#include "devices/PortAdvice.h"
#include "devices/PortHolder.h"
#include "modem/CSMSException.h"
#include "modem/CSMSSerialPort.h"

QString PortScanner::RowDetails(const QString& portName, const QString& displayName, const QString& queried) {
    return DetailsText::kComPort + portName + QLatin1Char('\n') + DetailsText::kComPortDetails + displayName +
           QLatin1Char('\n') + queried + DetailsText::kSmsCapabilitiesYesLine;
}

QString PortScanner::DeviceName(const QString& details) {
    const QString maker = DetailsText::GetDetailsValue(details, DetailsText::kManufacturer);
    const QString model = DetailsText::GetDetailsValue(details, DetailsText::kModel);
    if (model.startsWith(maker, Qt::CaseInsensitive))
        return model;
    const QString name = maker + QLatin1Char(' ') + model;
    return name.trimmed();
}

DeviceRecord PortScanner::MakeRow(const PortInfo& port, const QString& details, const QString& imei) {
    DeviceRecord row;
    row.portName = port.name;
    row.displayName = port.DisplayName();
    row.details = details;
    row.imei = imei;
    row.defaultSmsc = DetailsText::GetDefaultSmsc(details);
    row.smscNumber = row.defaultSmsc;
    row.supportedSmsModes = DetailsText::GetDetailsValue(details, DetailsText::kSupportedSmsMode);
    row.smsMode = DeviceTexts::PresetSmsMode(row.supportedSmsModes);
    return row;
}

ScanPortReport PortScanner::Examine(const PortInfo& port, const std::vector<DeviceRecord>& rows,
                                    DeviceRecord* row) const {
    ScanPortReport report;
    report.port = port;
    report.displayName = port.DisplayName();
    if (port.description.contains(QLatin1String("Mobile Logging"))) {
        report.status = kLoggingPort;
        return report;
    }
    // The computer's own serial ports: one may be the console, and none holds a phone.
    if (!port.MayOpen() || report.displayName.contains(QLatin1String("Communications Port"))) {
        report.status = kBuiltInPort;
        return report;
    }

    CSMSSerialPort discovery;
    discovery.SetTiming(m_options.timing);
    try {
        discovery.Open(m_options.replyTimeoutMs, port.name);
    } catch (const CSMSException& e) {
        report.status = PortHolder::CannotAccessStatus(port.name, GetErrorText(e), m_options.procRoot);
        report.advice = PortAdvice::ForException(port.name, e, m_options.procRoot);
        return report;
    }

    try {
        DeviceQueries queries(discovery);
        // A device that echoed the command but said nothing more is slow rather than absent.
        if (!queries.CheckAt() && !discovery.LastReply().contains(QLatin1String("AT"))) {
            qCDebug(lcDevices, "%s: Check_Connection FALSE", qUtf8Printable(port.name));
            report.status = DeviceTexts::kRequestTimeout;
            // A device that says nothing may be answering another program: ModemManager probing it.
            report.advice =
                PortAdvice::ForFailure(port.name, 0, PortHolder::Holders(port.name, m_options.procRoot), {});
            return report;
        }
        queries.GetModel();
        if (!queries.CheckSmsSupport()) {
            qCDebug(lcDevices, "%s: Check Msg_Sending_Supported FALSE", qUtf8Printable(port.name));
            report.status = kNoSmsSupport;
            return report;
        }
        const QString imei = queries.GetImei();
        // Several ports of one phone share its IMEI; it is listed once, on the first. A device that gives no
        // IMEI cannot be recognised, so it is never taken for another.
        for (const DeviceRecord& r : rows) {
            if (!imei.isEmpty() && r.imei == imei) {
                report.status = kSameImei.arg(r.portName, imei);
                return report;
            }
        }
        discovery.ResetModem();
        const QString details = queries.GetDeviceDetails();
        // A port the system gave no name (a port given by path, a pty) is named after the device it holds.
        PortInfo named = port;
        if (named.description.isEmpty())
            named.description = DeviceName(details);
        report.displayName = named.DisplayName();
        *row = MakeRow(named, RowDetails(port.name, report.displayName, details), imei);
        report.listed = true;
    } catch (const CSMSException& e) {
        // The port failed under us (unplugged, hung up), or the device stopped answering.
        const QString base = e.IsSystemError() ? DeviceTexts::kCannotAccess : DeviceTexts::kRequestTimeout;
        const QString text = GetErrorText(e);
        report.status = text.isEmpty() ? base : base + QStringLiteral(" (") + text + QLatin1Char(')');
        report.advice = PortAdvice::ForException(port.name, e, m_options.procRoot);
    }
    return report;
}

PortScanner::Result PortScanner::ScanPorts(const std::vector<PortInfo>& ports, ScanObserver* observer,
                                           const std::atomic<bool>* stop) const {
    Result result;
    if (observer)
        observer->OnScanStarted(static_cast<int>(ports.size()));
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const int index = static_cast<int>(i);
        ScanPortReport report;
        if (stop && stop->load()) {
            result.stopped = true;
            report.port = ports[i];
            report.displayName = ports[i].DisplayName();
            report.status = kStopped;
        } else {
            if (observer)
                observer->OnPortStarted(index, ports[i]);
            DeviceRecord row;
            report = Examine(ports[i], result.rows, &row);
            if (report.listed) {
                result.rows.push_back(row);
                if (observer)
                    observer->OnRowAdded(row);
            }
        }
        result.ports.push_back(report);
        if (observer)
            observer->OnPortDone(index, report);
    }
    if (observer)
        observer->OnScanFinished(result.stopped, static_cast<int>(result.rows.size()));
    return result;
}
