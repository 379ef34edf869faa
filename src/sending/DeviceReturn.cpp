#include "sending/DeviceReturn.h"

#include "devices/DeviceQueries.h"
#include "devices/PortEnumerator.h"
#include "modem/CSMSException.h"
#include "modem/CSMSSerialPort.h"
#include "sending/SendClock.h"

DeviceReturn::PortLister DeviceReturn::SystemPorts(std::vector<QString> extra) {
    return [extra = std::move(extra)] {
        std::vector<QString> names;
        for (const PortInfo& port : PortEnumerator().Enumerate()) {
            if (port.MayOpen())
                names.push_back(port.name);
        }
        for (const QString& name : extra) {
            if (std::find(names.begin(), names.end(), name) == names.end())
                names.push_back(name);
        }
        return names;
    };
}

QString DeviceReturn::ImeiOn(const QString& port) {
    CSMSSerialPort serial;
    try {
        serial.Open(kReplyTimeoutMs, port);
    } catch (const CSMSException&) {
        return {}; // gone, busy (held exclusively) or not ours to open
    }
    DeviceQueries queries(serial);
    QString imei;
    try {
        if (queries.CheckAt())
            imei = queries.GetImei();
    } catch (const CSMSException&) {
    }
    serial.Close();
    return imei;
}

std::optional<QString> DeviceReturn::Find(const QString& imei, int waitMs, const PortLister& ports,
                                          const SendClock& clock, const std::function<bool()>& stop) {
    if (imei.isEmpty() || !ports)
        return std::nullopt;
    for (int waited = 0;; waited += kLookIntervalMs) {
        for (const QString& port : ports()) {
            if (stop && stop())
                return std::nullopt;
            if (ImeiOn(port) == imei)
                return port;
        }
        if (waited >= waitMs || (stop && stop()))
            return std::nullopt;
        clock.Sleep(std::min(kLookIntervalMs, waitMs - waited), stop);
    }
}
