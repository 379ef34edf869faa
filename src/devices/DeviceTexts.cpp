#include "devices/DeviceTexts.h"

namespace DeviceTexts {

QString SmsModeText(int smsMode) {
    switch (smsMode) {
    case DeviceRecord::kModePdu:
        return kPduMode;
    case DeviceRecord::kModeText:
        return kTextMode;
    default:
        return {};
    }
}

int SmsModeFromText(const QString& text) {
    if (text == kPduMode)
        return DeviceRecord::kModePdu;
    if (text == kTextMode)
        return DeviceRecord::kModeText;
    return DeviceRecord::kModeNotChosen;
}

int PresetSmsMode(const QString& supportedSmsModes) {
    if (supportedSmsModes.contains(kPduMode))
        return DeviceRecord::kModePdu;
    if (supportedSmsModes.contains(kTextMode))
        return DeviceRecord::kModeText;
    return DeviceRecord::kModeNotChosen;
}

QString YesNo(bool yes) {
    return yes ? QStringLiteral("Y") : QStringLiteral("N");
}

QString DisplayName(const QString& portName, const QString& name) {
    if (name.isEmpty())
        return QStringLiteral("Unknown Device on ") + portName;
    return portName + QStringLiteral(" (") + name + QLatin1Char(')');
}

QString Description(const QString& portName, const QString& displayName) {
    const QString named = portName + QStringLiteral(" (");
    if (displayName.startsWith(named) && displayName.endsWith(QLatin1Char(')')))
        return displayName.mid(named.size()).chopped(1);
    if (displayName == QStringLiteral("Unknown Device on ") + portName)
        return QStringLiteral("Unknown Device");
    return displayName;
}

QString DeviceEntry(const DeviceRecord& record) {
    return record.portName + QStringLiteral(" - ") + Description(record.portName, record.displayName);
}

QString PortOfEntry(const QString& entry) {
    const qsizetype at = entry.indexOf(QStringLiteral(" - "));
    return at < 0 ? QString() : entry.left(at);
}

bool IsFailedPortStatus(const QString& status) {
    return status.startsWith(kRequestTimeout) || status.startsWith(kCannotAccess);
}

QString SelectedDeviceBlock(const DeviceRecord& r) {
    QString text = QStringLiteral("\r\nConnected Device Details:\r\n--------------------------------\r\n\r\n");
    const auto line = [&text](const char* label, const QString& value) {
        text += QLatin1String(label);
        text += value;
        text += QStringLiteral("\r\n\r\n");
    };
    line("Com Port: ", r.portName);
    line("Com Port Details: ", r.displayName);
    line("Default SMSC No.: ", r.defaultSmsc);
    line("Custom SMSC No.: ", r.customSmsc);
    line("SMS Mode: ", SmsModeText(r.smsMode));
    line("SUP SMS Mode: ", r.supportedSmsModes);
    line("USE CUS SMSC: ", YesNo(r.useCustomSmsc));
    return text;
}

const std::vector<Column>& ScanColumns() {
    static const std::vector<Column> columns = {
        {QStringLiteral("Com Port"), 100},       {QStringLiteral("Com Port Details"), 220},
        {QStringLiteral("Com Port Status"), 0},  {QStringLiteral("SMSC No."), 130},
        {QStringLiteral("IMEI No."), 0},         {QStringLiteral("SMS Mode"), 80},
        {QStringLiteral("Default SMSC No."), 0}, {QStringLiteral("SUP SMS Mode"), 0},
        {QStringLiteral("USE CUS SMSC"), 0},
    };
    return columns;
}

std::vector<QString> ScanRowValues(const DeviceRecord& r) {
    return {r.portName,    r.displayName,       r.portStatus,          r.smscNumber, r.imei, SmsModeText(r.smsMode),
            r.defaultSmsc, r.supportedSmsModes, YesNo(r.useCustomSmsc)};
}

QString PortOutcome(bool listed, const QString& status) { return listed ? kPortListed : status; }

bool IsValidCustomSmsc(const QString& number) {
    const QString trimmed = number.trimmed();
    return !trimmed.isEmpty() && trimmed.lastIndexOf(QLatin1Char('+')) <= 0;
}

} // namespace DeviceTexts
