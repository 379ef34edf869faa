#include "devices/DeviceDetailsController.h"

#include "app/Prompter.h"
#include "devices/DeviceMessages.h"
#include "devices/DeviceTexts.h"
#include "devices/MainDeviceState.h"

DeviceDetailsController::DeviceDetailsController(MainDeviceState& devices, Prompter& prompter,
                                                 DeviceTestMessage::Options options)
    : m_devices(devices), m_prompter(prompter), m_options(std::move(options)) {}

const std::vector<QString>& DeviceDetailsController::Columns() {
    static const std::vector<QString> columns = {
        QStringLiteral("Com Port"),     QStringLiteral("Com Port Details"), QStringLiteral("SMSC No."),
        QStringLiteral("SMS Mode"),     QStringLiteral("SUP SMS Mode"),     QStringLiteral("Default SMSC No."),
        QStringLiteral("USE CUS SMSC"),
    };
    return columns;
}

std::vector<QString> DeviceDetailsController::RowValues(const DeviceRecord& r) {
    return {r.portName,
            r.displayName,
            r.smscNumber,
            DeviceTexts::SmsModeText(r.smsMode),
            r.supportedSmsModes,
            r.defaultSmsc,
            DeviceTexts::YesNo(r.useCustomSmsc)};
}

std::vector<QPair<QString, QString>> DeviceDetailsController::RecordLines(const DeviceRecord& r) {
    return {
        {QStringLiteral("Com Port: "), r.portName},
        {QStringLiteral("Com Port Details: "), r.displayName},
        {QStringLiteral("Default SMSC No.: "), r.defaultSmsc},
        {QStringLiteral("Custom SMSC No.: "), r.customSmsc},
        {QStringLiteral("SMS Mode: "), DeviceTexts::SmsModeText(r.smsMode)},
        {QStringLiteral("SUP SMS Mode: "), r.supportedSmsModes},
        {QStringLiteral("USE CUS SMSC: "), DeviceTexts::YesNo(r.useCustomSmsc)},
    };
}

std::optional<DeviceRecord> DeviceDetailsController::Target(int slot, const QString& portField) const {
    if (slot >= 0)
        return m_devices.Record(slot);
    if (!portField.trimmed().isEmpty())
        return m_devices.RecordByPort(portField.trimmed());
    return std::nullopt;
}

bool DeviceDetailsController::OnSaveCustomSmsc(int slot, const QString& portField, const QString& number) {
    const std::optional<DeviceRecord> device = Target(slot, portField);
    if (!device) {
        m_prompter.Notice(DeviceMessages::kNoDeviceSelected);
        return false;
    }
    if (!DeviceTexts::IsValidCustomSmsc(number)) {
        m_prompter.Notice(DeviceMessages::kInvalidSmsc);
        return false;
    }
    const QString trimmed = number.trimmed();
    m_devices.CustomSmsc().Set(device->portName, trimmed, true);
    m_devices.UpdateRecord(device->slot, [&trimmed](DeviceRecord& r) {
        r.customSmsc = trimmed;
        r.useCustomSmsc = true;
        r.smscNumber = trimmed;
    });
    m_prompter.Notice(DeviceMessages::kCustomSmscSaved.arg(device->portName));
    return true;
}

bool DeviceDetailsController::OnResetCustomSmsc(int slot, const QString& portField) {
    const std::optional<DeviceRecord> device = Target(slot, portField);
    if (!device) {
        m_prompter.Notice(DeviceMessages::kSelectValidDevice);
        return false;
    }
    m_devices.CustomSmsc().Remove(device->portName);
    m_devices.UpdateRecord(device->slot, [](DeviceRecord& r) {
        r.customSmsc.clear();
        r.useCustomSmsc = false;
        r.smscNumber = r.defaultSmsc;
    });
    m_prompter.Notice(DeviceMessages::kCustomSmscReset.arg(device->portName));
    return true;
}

bool DeviceDetailsController::OnSmsModeChanged(int slot, int smsMode) {
    if (!m_devices.UpdateRecord(slot, [smsMode](DeviceRecord& r) { r.smsMode = smsMode; })) {
        m_prompter.Notice(DeviceMessages::kSelectValidDevice);
        return false;
    }
    m_devices.SetCurrentSmsMode(smsMode);
    if (smsMode == DeviceRecord::kModeText)
        m_prompter.Ask(DeviceMessages::kTextModeInformation, DeviceMessages::kInformationCaption,
                       Prompter::Icon::Information, Prompter::Buttons::Ok);
    return true;
}

QString DeviceDetailsController::OnSendTestMessage(int slot, const QString& phoneNumber) {
    const std::optional<DeviceRecord> device = m_devices.Record(slot);
    if (!device) {
        m_prompter.Notice(DeviceMessages::kSelectValidDevice);
        return {};
    }
    const QString smsc = device->useCustomSmsc ? device->customSmsc : QString();
    return DeviceTestMessage(m_prompter, m_options).Send(*device, phoneNumber, smsc);
}

bool DeviceDetailsController::OnAdvancedTroubleshooting(int slot) {
    if (!m_devices.Record(slot)) {
        m_prompter.Notice(DeviceMessages::kSelectValidDevice);
        return false;
    }
    return m_prompter.Confirm(DeviceMessages::kAdvancedTroubleshooting);
}
