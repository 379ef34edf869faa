#include "ui/DemoModems.h"

#include <QMetaObject>

DemoModems::DemoModems(QObject* parent) : QObject(parent) {}

DemoModems::~DemoModems() {
    std::lock_guard lock(m_mutex);
    for (auto& demo : m_demos) {
        demo->SetSubmissionCallback({});
        demo->Stop();
    }
}

QString DemoModems::AddDemoModem(QString* error) {
    int index = 0;
    {
        std::lock_guard lock(m_mutex);
        index = static_cast<int>(m_demos.size());
    }
    SimModem::Options options;
    // Every demo modem is its own device: distinct IMEI, so the scan lists each one.
    options.identity.imei = QStringLiteral("86785603455%1").arg(6711 + index, 4, 10, QLatin1Char('0'));
    options.identity.model = QStringLiteral("Demo Modem %1").arg(index + 1);
    auto demo = std::make_unique<SimModem>(options);
    if (!demo->Start(error))
        return {};
    demo->SetSubmissionCallback([this, index](const SimSubmission& s) {
        const QString to = s.to;
        const QString text = s.hasUdh ? QStringLiteral("[%1/%2] %3").arg(s.udhSeq).arg(s.udhTotal).arg(s.text) : s.text;
        QMetaObject::invokeMethod(
            this, [this, index, to, text] { Q_EMIT MessageReceived(index, to, text); }, Qt::QueuedConnection);
    });
    const QString port = demo->PortName();
    {
        std::lock_guard lock(m_mutex);
        m_demos.push_back(std::move(demo));
    }
    Q_EMIT DemoModemsChanged();
    return port;
}

int DemoModems::DemoCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_demos.size());
}

SimModem* DemoModems::Demo(int index) const {
    std::lock_guard lock(m_mutex);
    return index >= 0 && index < static_cast<int>(m_demos.size()) ? m_demos[static_cast<size_t>(index)].get() : nullptr;
}

SimModem* DemoModems::DemoOnPort(const QString& portName) const {
    std::lock_guard lock(m_mutex);
    for (const auto& demo : m_demos) {
        if (demo->PortName() == portName)
            return demo.get();
    }
    return nullptr;
}

void DemoModems::AddPortByPath(const PortInfo& port) {
    std::lock_guard lock(m_mutex);
    for (const PortInfo& p : m_added) {
        if (p.name == port.name)
            return;
    }
    m_added.push_back(port);
}

std::vector<PortInfo> DemoModems::ExtraPorts() const {
    std::lock_guard lock(m_mutex);
    std::vector<PortInfo> ports = m_added;
    for (size_t i = 0; i < m_demos.size(); ++i) {
        PortInfo port;
        port.name = m_demos[i]->PortName();
        port.description = kDemoDescription.arg(i + 1);
        port.kind = PortInfo::Kind::Device;
        ports.push_back(port);
    }
    return ports;
}
