#include "sending/DeliveryWhileOpen.h"

#include "exclusion/ExclusionStore.h"
#include "modem/CSMSException.h"
#include "records/InboxStore.h"
#include "records/SentItemsStore.h"
#include "sending/DeliveryCollector.h"
#include "sending/DeliveryPort.h"
#include "sending/DeliveryStream.h"
#include "sms/IrdaPortTransport.h"
#include "sms/SerialPortTransport.h"

#include <QRegularExpression>

#include <chrono>

namespace {

qint64 NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The IMEI through the non-overlapped port (AT+CGSN, 3GPP TS 27.007 5.4), else the port name.
QString IrdaDeviceKey(CIrdaPort& port) {
    static const QRegularExpression imei(QStringLiteral("^\\d{14,17}$"));
    const QString line = port.QueryOneLine(QStringLiteral("AT+CGSN")).trimmed();
    return imei.match(line).hasMatch() ? line : port.PortName();
}

} // namespace

DeliveryWhileOpen::~DeliveryWhileOpen() {
    std::lock_guard lock(m_mutex);
    for (auto& [transport, held] : m_held)
        held->port->SetReceiveTap(nullptr);
}

void DeliveryWhileOpen::Opened(SmsTransport& transport) {
    auto held = std::make_unique<Held>();
    if (auto* serial = dynamic_cast<SerialPortTransport*>(&transport))
        held->port = std::make_unique<SerialDeliveryPort>(serial->Port());
    else if (auto* irda = dynamic_cast<IrdaPortTransport*>(&transport))
        held->port = std::make_unique<IrdaDeliveryPort>(irda->Port());
    else
        return;
    held->port->SetReceiveTap(&held->bytes);
    std::lock_guard lock(m_mutex);
    m_held[&transport] = std::move(held);
}

void DeliveryWhileOpen::Closing(SmsTransport& transport) noexcept {
    std::unique_ptr<Held> held;
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_held.find(&transport);
        if (found == m_held.end())
            return;
        held = std::move(found->second);
        m_held.erase(found);
    }
    try {
        Collect(transport, *held);
    } catch (...) {
        // A port that fails now is closed next anyway; what stayed on the device is read another time.
    }
    held->port->SetReceiveTap(nullptr);
}

void DeliveryWhileOpen::Collect(SmsTransport& transport, Held& held) {
    if (!held.port->IsOpen())
        return;
    const Setup setup = m_setup();
    if (!setup.delivery.paths)
        return;
    // The mode the device was left in shapes what was tapped (a +CMT in text mode is a header and a text line).
    auto* serial = dynamic_cast<SerialPortTransport*>(&transport);
    auto* irda = dynamic_cast<IrdaPortTransport*>(&transport);
    const std::optional<SmsMode> mode = serial ? serial->State().preparedMode : irda->State().preparedMode;
    const bool textMode = mode == SmsMode::Text;
    static_cast<void>(held.port->ReadWaiting());
    // From here the collector reads the replies itself, indications inside them included.
    held.port->SetReceiveTap(nullptr);
    DeliveryStream stream(textMode ? UnsolicitedSms::SmsMode::Text : UnsolicitedSms::SmsMode::Pdu);
    const std::vector<UnsolicitedSms::Item> items = stream.Feed(held.bytes);

    std::optional<SentItemsStore> sentItems;
    if (!setup.sentItemsPath.isEmpty())
        sentItems.emplace(setup.sentItemsPath);
    InboxStore inbox(setup.delivery.paths->InboxFile());
    ExclusionStore exclusion(*setup.delivery.paths);
    DeliveryCollector collector({sentItems ? &*sentItems : nullptr, &inbox, &exclusion}, setup.comparison,
                                setup.delivery.optOutList);
    collector.SetOptOutKeywords(setup.delivery.optOutKeywords);
    if (sentItems && !collector.LoadSentItems())
        return; // the sent items cannot be read now: reports stay on the device for a later reading
    collector.SetDeviceKey(held.port->PortName(),
                           serial ? DeliveryCollector::DeviceKey(serial->Port()) : IrdaDeviceKey(irda->Port()));
    // Unknown mode: the listing sets PDU mode itself; the device is closed next and prepared again when opened.
    collector.Feed(*held.port, items, NowMs(), textMode || !mode);
    collector.ListStored(*held.port, NowMs(), textMode || !mode);
    static_cast<void>(collector.SaveSentItems());
}
