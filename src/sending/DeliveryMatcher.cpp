#include "sending/DeliveryMatcher.h"

namespace {
constexpr int kMaxExactDigits = 17; // 10^17 < 2^57: digits, their count (5 bits) and the "+" fit 63 bits
constexpr std::uint64_t kHashed = std::uint64_t(1) << 63;

// A number's comparison form as one value: exact for "+" and up to 17 digits, or up to 17 digits (the count
// keeps "0012" apart from "12", the flag "+12" from "12"); a hash with the top bit set for anything else
// (letters, longer texts), which no exact value can equal.
std::uint64_t NumberValue(QStringView key) {
    const bool plus = !key.isEmpty() && key.front() == u'+';
    const QStringView digits = plus ? key.mid(1) : key;
    if (!digits.isEmpty() && digits.size() <= kMaxExactDigits) {
        std::uint64_t value = 0;
        bool allDigits = true;
        for (QChar c : digits) {
            const char16_t u = c.unicode();
            if (u < u'0' || u > u'9') {
                allDigits = false;
                break;
            }
            value = value * 10 + static_cast<std::uint64_t>(u - u'0');
        }
        if (allDigits)
            return (value << 6) | (static_cast<std::uint64_t>(digits.size()) << 1) | (plus ? 1 : 0);
    }
    return kHashed | (qHash(key, 0x5bd1e995U) & ~kHashed);
}

// "+" and 7 to 15 digits, the first not 0: already an E.164 form, which the comparison would give back unchanged.
// A report gives its recipient so (TP-RA of type international, TS 23.040 9.1.2.5), so the costly classification
// is left out for it.
bool IsCanonicalInternational(QStringView number) {
    if (number.size() < 8 || number.size() > 16 || number.front() != u'+' || number[1] == u'0')
        return false;
    for (qsizetype i = 1; i < number.size(); ++i) {
        if (number[i] < u'0' || number[i] > u'9')
            return false;
    }
    return true;
}
} // namespace

DeliveryMatcher::DeliveryMatcher(NumberComparison comparison) : m_comparison(std::move(comparison)) {}

void DeliveryMatcher::Reserve(std::size_t parts) {
    m_parts.reserve(parts);
    m_chains.reserve(parts);
    m_messages.reserve(parts);
}

DeliveryMatcher::PartKey DeliveryMatcher::Key(const QString& device, int reference, const QString& recipient,
                                               bool report) {
    // Reports come in runs from one device: the last one's index is kept.
    if (m_lastDeviceIndex < 0 || device != m_lastDevice) {
        const auto found = m_devices.constFind(device);
        m_lastDeviceIndex = found != m_devices.cend() ? *found : *m_devices.insert(device, int(m_devices.size()));
        m_lastDevice = device;
    }
    NumberComparison::KeyBuffer buffer;
    const bool canonical = report && IsCanonicalInternational(recipient);
    return {NumberValue(canonical ? QStringView(recipient) : m_comparison.KeyView(recipient, buffer)),
            (static_cast<std::uint32_t>(m_lastDeviceIndex) << 8) | static_cast<std::uint32_t>(reference & 0xFF)};
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
    const auto chain = m_chains.find(Key(device, reference, recipient, true));
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
