#pragma once

#include "exclusion/NumberComparison.h"
#include "sms/TpStatus.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

// Matches SMS-STATUS-REPORTs (TS 23.040 9.2.2.3) to the messages they report on. A message is known by the
// device that sent it, the message reference of each part (TP-MR, from "+CMGS: <mr>", 0-255, reused once a
// device has counted past 255) and its recipient. A device is any text that names it (its IMEI, else its port
// name). The recipient is compared by the session's comparison form (NumberComparison): with a country, a report
// that gives the number in international form matches a message sent in national form, and two subscribers
// never match each other; without one, the texts must be the same. When a device has used a reference for the same recipient
// more than once, the oldest message still waiting for that part takes the report (a network reports in
// order). Used from one thread; an item is any caller's index (a job row, a sent-items record).
class DeliveryMatcher {
public:
    enum class State { Awaiting, Delivered, Failed };

    explicit DeliveryMatcher(NumberComparison comparison = {});

    void Reserve(std::size_t parts);
    // A sent message (item >= 0) whose parts got these references; parts without a reference (-1) can never be matched,
    // so such a message stays awaiting.
    void Expect(int item, const QString& device, const QString& recipient, const std::vector<int>& references);

    struct Outcome {
        int item = -1;
        State state = State::Awaiting;
        QString text;         // DeliveryText of the state
        bool changed = false; // the report completed or failed the message (not: one part of several, or a part
                              // after the message had failed already)
    };
    // A report from a device: the item whose awaited part it answers, with the item's state; nullopt when it
    // matches no awaited part, or when it only says the service centre is still trying (the part stays awaited).
    [[nodiscard]] std::optional<Outcome> Match(const QString& device, int reference, const QString& recipient,
                                               TpStatus status);

    std::size_t AwaitedParts() const { return m_awaited; }

    // "Awaiting delivery report", "Delivered", "Delivery failed: <TP-Status meaning>".
    static QString DeliveryText(State state, const TpStatus& status = {});
    static inline const QString kAwaiting = QStringLiteral("Awaiting delivery report");
    static inline const QString kDelivered = QStringLiteral("Delivered");
    static inline const QString kFailedPrefix = QStringLiteral("Delivery failed: ");

private:
    struct PartKey {
        std::uint64_t number;  // the recipient's comparison form (see NumberValue)
        std::uint32_t station; // device index << 8 | reference
        bool operator==(const PartKey&) const = default;
    };
    struct PartKeyHash {
        std::size_t operator()(const PartKey& k) const noexcept {
            return static_cast<std::size_t>((k.number ^ (std::uint64_t(k.station) * 0x9E3779B97F4A7C15ULL)) *
                                            0xBF58476D1CE4E5B9ULL);
        }
    };
    // report: the recipient comes from a status report (a canonical international form is taken as it is).
    PartKey Key(const QString& device, int reference, const QString& recipient, bool report = false);

    struct Part {
        int item;
        std::int32_t next; // the next part with the same key, -1 at the end
        bool done;
    };
    struct Chain {
        std::int32_t first;
        std::int32_t last;
    };
    struct Message {
        int partsLeft;
        bool failed;
    };

    NumberComparison m_comparison;
    QHash<QString, int> m_devices;
    QString m_lastDevice;
    int m_lastDeviceIndex = -1;
    std::unordered_map<PartKey, Chain, PartKeyHash> m_chains;
    std::vector<Part> m_parts;
    std::vector<Message> m_messages; // by item (items are small indexes: rows, records)
    std::size_t m_awaited = 0;
};
