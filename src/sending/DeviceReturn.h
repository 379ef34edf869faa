#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <vector>

class SendClock;

// A device whose port failed at the system level (unplugged, a USB reset) often comes back within seconds,
// and may come back under another port name (/dev/ttyUSB0 becomes /dev/ttyUSB3): it is found again by its
// IMEI among the ports there are now, never by its old name.
class DeviceReturn {
public:
    static constexpr int kDefaultWaitSeconds = 60;
    static constexpr int kLookIntervalMs = 1000; // engine ms between two looks over the ports
    static constexpr int kReplyTimeoutMs = 1000; // a port's silence limit while its IMEI is asked

    // The ports to look at now.
    using PortLister = std::function<std::vector<QString>()>;
    // The system's serial devices that may be opened (built-in ports never), then the extra ports (the names
    // the run's devices had: a stable symlink such as /dev/serial/by-id/... may lead to the device again).
    static PortLister SystemPorts(std::vector<QString> extra);

    // Looks for the device with this IMEI, every kLookIntervalMs, until waitMs (engine ms) have passed or stop()
    // says so: the port it answers on, or nullopt. A port that cannot be opened (busy: another worker, or
    // another program, holds it) is passed over. An empty IMEI is never looked for.
    static std::optional<QString> Find(const QString& imei, int waitMs, const PortLister& ports, const SendClock& clock,
                                       const std::function<bool()>& stop);
    // The IMEI the device on a port gives (AT+CGSN), or empty when the port could not be opened or gave none.
    static QString ImeiOn(const QString& port);
};
