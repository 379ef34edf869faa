#pragma once

#include <QString>

// One serial port found on the system or given by the user.
struct PortInfo {
    enum class Kind {
        Device,  // a USB modem or phone, a port added by path, a simulated modem: examined by the scan
        BuiltIn, // a built-in UART or the console's port: listed, never opened
    };

    QString name;        // the port name: the path to open (e.g. /dev/ttyUSB0, or a symlink to a pty)
    QString description; // what the system says it is (USB maker and product); empty when nothing is known
    Kind kind = Kind::Device;

    // "<port> (<description>)", "Unknown Device on <port>", or "Communications Port (<port>)" for a
    // built-in port.
    QString DisplayName() const;
    bool MayOpen() const { return kind == Kind::Device; }
};
