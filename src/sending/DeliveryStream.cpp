#include "sending/DeliveryStream.h"

#include "common/AnsiCodec.h"

namespace {

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Whether a line is a header whose data line follows it: +CMT in both modes, +CDS in PDU mode (a text-mode
// +CDS holds its fields on its own line).
bool AwaitsDataLine(QByteArrayView line, UnsolicitedSms::SmsMode mode) {
    if (line.startsWith("+CMT:"))
        return true;
    return mode == UnsolicitedSms::SmsMode::Pdu && line.startsWith("+CDS:");
}

} // namespace

std::vector<UnsolicitedSms::Item> DeliveryStream::Feed(QByteArrayView bytes) {
    m_pending.append(bytes.data(), bytes.size());
    qsizetype end = m_pending.size();
    while (end > 0 && !IsLineEnd(m_pending.at(end - 1)))
        --end;
    if (end == 0) {
        if (m_pending.size() > kMaxLine)
            m_pending.clear();
        return {};
    }
    // The last complete line, when it is a header, waits with what follows it for its data line.
    qsizetype lastEnd = end;
    while (lastEnd > 0 && IsLineEnd(m_pending.at(lastEnd - 1)))
        --lastEnd;
    qsizetype lastStart = lastEnd;
    while (lastStart > 0 && !IsLineEnd(m_pending.at(lastStart - 1)))
        --lastStart;
    if (lastEnd > lastStart &&
        AwaitsDataLine(QByteArrayView(m_pending).sliced(lastStart, lastEnd - lastStart), m_mode))
        end = lastStart;
    if (end == 0)
        return {};

    const QString text = AnsiCodec::Decode(m_pending.left(end));
    m_pending.remove(0, end);
    std::vector<UnsolicitedSms::Item> items;
    for (UnsolicitedSms::Item& item : UnsolicitedSms::ReadItems(text, m_mode)) {
        using Source = UnsolicitedSms::Item::Source;
        if (item.source == Source::Cds || item.source == Source::Cmt || item.source == Source::Cdsi ||
            item.source == Source::Cmti)
            items.push_back(std::move(item));
    }
    return items;
}
