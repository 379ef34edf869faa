#pragma once

#include "devices/PortInfo.h"
#include "sim/SimModem.h"

#include <QObject>
#include <QString>

#include <memory>
#include <mutex>
#include <vector>

// The demonstration modems of the desktop program: simulated GSM modems on pseudo-terminals inside this
// process, listed and used like any device, and the ports the user added by path. Both live as long as the
// program. Submissions arrive on the simulators' threads and are re-announced as a queued signal.
class DemoModems final : public QObject {
    Q_OBJECT
public:
    explicit DemoModems(QObject* parent = nullptr);
    ~DemoModems() override;

    // Starts one more demo modem; its port name, or empty with *error set.
    QString AddDemoModem(QString* error);
    int DemoCount() const;
    SimModem* Demo(int index) const;
    // The demo modem on a port name, or null.
    SimModem* DemoOnPort(const QString& portName) const;

    void AddPortByPath(const PortInfo& port);
    // The ports to scan besides the enumerated ones: the added paths, then the demo modems.
    std::vector<PortInfo> ExtraPorts() const;

    static inline const QString kDemoDescription = QStringLiteral("VRIX Demo Modem %1");

Q_SIGNALS:
    void MessageReceived(int demoIndex, const QString& to, const QString& text);
    void DemoModemsChanged();

private:
    mutable std::mutex m_mutex;
    std::vector<std::unique_ptr<SimModem>> m_demos;
    std::vector<PortInfo> m_added;
};
