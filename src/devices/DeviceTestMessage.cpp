#include "devices/DeviceTestMessage.h"

#include "app/Prompter.h"
#include "devices/DetailsText.h"
#include "devices/DeviceMessages.h"
#include "exclusion/NumberText.h"
#include "modem/CSMSException.h"
#include "modem/CSMSSerialPort.h"
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
        CSMSSerialPort port;
        port.SetTiming(m_options.timing);
        port.Open(m_options.replyTimeoutMs, device.portName);
        if (device.smsMode == DeviceRecord::kModeText)
            port.SendTextMessage(request);
        else
            port.SendPduMessage(request);
        result = SubmissionResult::Sent(notDetected);
    } catch (const CSMSException& e) {
        result = QStringLiteral("Error : ") + GetErrorText(e);
    }
    m_prompter.Notice(result);
    return result;
}
