#include "sms/TpStatus.h"

#include <array>

namespace {

struct Known {
    int value;
    const char* meaning;
};

// TS 23.040 9.2.3.15, the assigned values.
// clang-format off
constexpr std::array<Known, 25> kKnown = {{
    // Short message transaction completed
    {0x00, "Short message received by the SME"},
    {0x01, "Short message forwarded by the SC to the SME but the SC is unable to confirm delivery"},
    {0x02, "Short message replaced by the SC"},
    // Temporary error, SC still trying to transfer SM
    {0x20, "Congestion"},
    {0x21, "SME busy"},
    {0x22, "No response from SME"},
    {0x23, "Service rejected"},
    {0x24, "Quality of service not available"},
    {0x25, "Error in SME"},
    // Permanent error, SC is not making any more transfer attempts
    {0x40, "Remote procedure error"},
    {0x41, "Incompatible destination"},
    {0x42, "Connection rejected by SME"},
    {0x43, "Not obtainable"},
    {0x44, "Quality of service not available"},
    {0x45, "No interworking available"},
    {0x46, "SM Validity Period Expired"},
    {0x47, "SM Deleted by originating SME"},
    {0x48, "SM Deleted by SC Administration"},
    {0x49, "SM does not exist"},
    // Temporary error, SC is not making any more transfer attempts
    {0x60, "Congestion"},
    {0x61, "SME busy"},
    {0x62, "No response from SME"},
    {0x63, "Service rejected"},
    {0x64, "Quality of service not available"},
    {0x65, "Error in SME"},
}};
// clang-format on

} // namespace

TpStatus::Class TpStatus::StatusClass() const {
    const int v = value & 0xFF;
    if (v >= 0x80)
        return Class::Reserved;
    switch (v >> 5) {
    case 0:
        return Class::Completed;
    case 1:
        return Class::TemporaryRetrying;
    case 2:
        return Class::Permanent;
    default:
        return Class::TemporaryGivenUp;
    }
}

QString TpStatus::Meaning() const {
    const int v = value & 0xFF;
    for (const Known& k : kKnown) {
        if (k.value == v)
            return QString::fromLatin1(k.meaning);
    }
    // Within each class the top sixteen values are the SC's own (0x10-0x1F, 0x30-0x3F, 0x50-0x5F, 0x70-0x7F).
    if (v < 0x80 && (v & 0x10) != 0)
        return QStringLiteral("Value specific to the SC");
    return QStringLiteral("Reserved");
}

QString TpStatus::ClassText(Class statusClass) {
    switch (statusClass) {
    case Class::Completed:
        return QStringLiteral("short message transaction completed");
    case Class::TemporaryRetrying:
        return QStringLiteral("temporary error, SC still trying to transfer SM");
    case Class::Permanent:
        return QStringLiteral("permanent error, SC is not making any more transfer attempts");
    case Class::TemporaryGivenUp:
        return QStringLiteral("temporary error, SC is not making any more transfer attempts");
    case Class::Reserved:
        break;
    }
    return QStringLiteral("reserved");
}
