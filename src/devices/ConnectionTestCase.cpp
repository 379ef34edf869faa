#include "devices/ConnectionTestCase.h"

#include "devices/DetailsText.h"
#include "devices/DeviceTexts.h"

std::vector<ConnectionTestCase> ConnectionTestCase::ListFor(const DeviceRecord& device) {
    struct Kind {
        const char* name;
        const char* description;
        bool pdu;
        bool custom;
    };
    static constexpr Kind kKinds[] = {
        {"PDU_DEF_SMSC", "PDU Mode with Default SMSC", true, false},
        {"PDU_CUS_SMSC", "PDU Mode with Custom SMSC", true, true},
        {"TXT_DEF_SMSC", "Text Mode with Default SMSC", false, false},
        {"TXT_CUS_SMSC", "Text Mode with Custom SMSC", false, true},
    };
    const bool pdu = device.supportedSmsModes.contains(DeviceTexts::kPduMode);
    const bool text = device.supportedSmsModes.contains(DeviceTexts::kTextMode);
    const QString defaultSmsc =
        device.defaultSmsc.isEmpty() ? DetailsText::GetDefaultSmsc(device.details) : device.defaultSmsc;
    const QString model = DetailsText::GetDetailsValue(device.details, DetailsText::kModel);

    std::vector<ConnectionTestCase> cases;
    for (const Kind& k : kKinds) {
        if (!(k.pdu ? pdu : text) || (!k.custom && defaultSmsc.isEmpty()))
            continue;
        ConnectionTestCase c;
        c.name = QLatin1String(k.name);
        c.description = QLatin1String(k.description);
        c.label = QStringLiteral("Case %1:").arg(cases.size() + 1);
        c.caseSms = QStringLiteral("%1 is working for Device Model: %2").arg(c.description, model);
        cases.push_back(c);
    }
    return cases;
}
