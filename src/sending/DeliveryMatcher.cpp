#include "sending/DeliveryMatcher.h"

namespace {
constexpr int kTailDigits = 8;

// The last digits of a number text, as a number, with their count above them.
std::uint32_t DigitTail(QStringView key) {
    std::uint32_t tail = 0;
    std::uint32_t scale = 1;
    int taken = 0;
    for (qsizetype i = key.size() - 1; i >= 0 && taken < kTailDigits; --i) {
        const char16_t c = key[i].unicode();
        if (c < u'0' || c > u'9')
            continue;
        tail += static_cast<std::uint32_t>(c - u'0') * scale;
        scale *= 10;
        ++taken;
    }
    // The count of digits keeps "0012" apart from "12".
    return tail | (static_cast<std::uint32_t>(taken) << 27);
}
} // namespace

DeliveryMatcher::DeliveryMatcher(NumberComparison comparison) : m_comparison(std::move(comparison)) {}

void DeliveryMatcher::Reserve(std::size_t parts) {
    m_parts.reserve(parts);
    m_chains.reserve(parts);
    m_messages.reserve(parts);
}

std::uint64_t DeliveryMatcher::Key(const QString& device, int reference, const QString& recipient) {
    // Reports come in runs from one device: the last one's index is kept.
    if (m_lastDeviceIndex < 0 || device != m_lastDevice) {
        const auto found = m_devices.constFind(device);
        m_lastDeviceIndex = found != m_devices.cend() ? *found : *m_devices.insert(device, int(m_devices.size()));
        m_lastDevice = device;
    }
    const int deviceIndex = m_lastDeviceIndex;
    // A national and an international form of one number end in the same 8 digits, so the comparison form is
    // only needed for a shorter number, whose digit count tells the forms apart.
    std::uint32_t tail = DigitTail(recipient);
    if ((tail >> 27) < kTailDigits) {
        NumberComparison::KeyBuffer buffer;
        tail = DigitTail(m_comparison.KeyView(recipient, buffer));
    }
    return (static_cast<std::uint64_t>(deviceIndex & 0xFFFFFF) << 40) |
           (static_cast<std::uint64_t>(reference & 0xFF) << 32) | tail;
}

void DeliveryMatcher::Expect(int item, const QString& device, const QString& recipient,
                             const std::vector<int>& references) {
    if (item < 0)
        return;
    if (static_cast<std::size_t>(item) >= m_messages.size())
        m_messages.resize(static_cast<std::size_t>(item) + 1, Message{0, false});
    m_messages[static_cast<std::size_t>(item)] = {static_cast<int>(references.size()), false};
    for (int reference : references) {
        if (reference < 0)
            continue;
        const auto index = static_cast<std::int32_t>(m_parts.size());
        m_parts.push_back({item, -1, false});
        ++m_awaited;
        auto [chain, inserted] = m_chains.try_emplace(Key(device, reference, recipient), Chain{index, index});
        if (!inserted) {
            m_parts[static_cast<std::size_t>(chain->second.last)].next = index;
            chain->second.last = index;
        }
    }
}

std::optional<DeliveryMatcher::Outcome> DeliveryMatcher::Match(const QString& device, int reference,
                                                               const QString& recipient, TpStatus status) {
    if (!status.IsFinal())
        return std::nullopt;
    const auto chain = m_chains.find(Key(device, reference, recipient));
    if (chain == m_chains.end())
        return std::nullopt;
    std::int32_t at = chain->second.first;
    while (at >= 0 && m_parts[static_cast<std::size_t>(at)].done)
        at = m_parts[static_cast<std::size_t>(at)].next;
    if (at < 0) {
        m_chains.erase(chain);
        return std::nullopt;
    }
    Part& part = m_parts[static_cast<std::size_t>(at)];
    part.done = true;
    --m_awaited;
    chain->second.first = part.next;
    if (part.next < 0)
        m_chains.erase(chain);

    Message& message = m_messages[static_cast<std::size_t>(part.item)];
    --message.partsLeft;
    const bool delivered = status.StatusClass() == TpStatus::Class::Completed;
    if (message.failed) // the first failed part decided; later parts change nothing
        return Outcome{part.item, State::Failed, QString(), false};
    if (!delivered) {
        message.failed = true;
        return Outcome{part.item, State::Failed, DeliveryText(State::Failed, status), true};
    }
    if (message.partsLeft > 0)
        return Outcome{part.item, State::Awaiting, kAwaiting, false};
    return Outcome{part.item, State::Delivered, kDelivered, true};
}

QString DeliveryMatcher::DeliveryText(State state, const TpStatus& status) {
    switch (state) {
    case State::Awaiting:
        return kAwaiting;
    case State::Delivered:
        return kDelivered;
    case State::Failed:
        break;
    }
    return kFailedPrefix + status.Meaning();
}
