#include "devices/DeviceTestMessage.h"

#include "app/Prompter.h"
#include "devices/DetailsText.h"
#include "devices/DeviceMessages.h"
#include "exclusion/NumberText.h"
#include "modem/CSMSException.h"
#include "sms/SerialPortTransport.h"
#include "sms/SmsRequest.h"
#include "sms/SubmissionResult.h"

QString DeviceTestMessage::Send(const DeviceRecord& device, const QString& phoneNumber, const QString& smsc) {
    const QString number = NormalizeNumber(phoneNumber).trimmed();
    if (!IsValidNumberText(number)) {
        m_prompter.Notice(DeviceMessages::kInvalidTestNumber);
        return {};
    }
    const bool notDetected = DetailsText::CapabilitiesNotDetected(device.details);
    if (notDetected && !m_prompter.Confirm(DeviceMessages::kNoSmsCapabilitiesQuestion))
        return {};
    if (device.defaultSmsc.isEmpty() && smsc.trimmed().isEmpty() && !m_prompter.Confirm(DeviceMessages::kNoDefaultSmsc))
        return {};

    SmsRequest request;
    request.message = DeviceMessages::kTestMessageText;
    request.recipientNumber = number;
    request.smscNumber = smsc.trimmed();
    request.UseCallerSettings = 1;

    QString result;
    try {
        SerialPortTransport port(m_options.replyTimeoutMs);
        port.SetTiming(m_options.timing);
        port.Open(device.portName);
        const DeviceCollection::Hold collecting(m_options.collection, port);
        port.Submit(request, device.smsMode == DeviceRecord::kModeText ? SmsMode::Text : SmsMode::Pdu);
        result = SubmissionResult::Sent(notDetected);
    } catch (const CSMSException& e) {
        result = QStringLiteral("Error : ") + GetErrorText(e);
    }
    m_prompter.Notice(result);
    return result;
}
