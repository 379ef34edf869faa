#pragma once

#include "devices/DeviceCollection.h"
#include "exclusion/NumberComparison.h"
#include "sending/DeliveryPort.h"
#include "sending/DeliverySetup.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <mutex>

// A session's DeviceCollection: while a device window holds a device open, its port is tapped; before it is
// closed, the indications tapped are handled and the device's report and message storages read, through the same
// DeliveryCollector a run and `listen` use (reports to the sent items awaiting them, messages to the inbox before
// they leave the device, opt-outs to their list). Either transport's port.
class DeliveryWhileOpen final : public DeviceCollection {
public:
    struct Setup {
        DeliverySetup delivery; // without a data folder nothing is collected
        QString sentItemsPath;  // empty: reports are not matched, and stay on the device unless kept in the inbox
        NumberComparison comparison;
    };
    // Asked at every closing, so the session's settings of that moment apply.
    explicit DeliveryWhileOpen(std::function<Setup()> setup) : m_setup(std::move(setup)) {}
    ~DeliveryWhileOpen() override;

    void Opened(SmsTransport& transport) override;
    void Closing(SmsTransport& transport) noexcept override;

private:
    struct Held {
        std::unique_ptr<DeliveryPort> port;
        QByteArray bytes; // the tap
        bool textMode = false;
    };
    void Collect(SmsTransport& transport, Held& held);

    std::function<Setup()> m_setup;
    std::mutex m_mutex; // guards m_held; a collection runs outside it (each transport is one thread's)
    std::map<const SmsTransport*, std::unique_ptr<Held>> m_held;
};
