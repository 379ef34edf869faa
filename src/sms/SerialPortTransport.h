#pragma once

#include "modem/CSMSSerialPort.h"
#include "sms/SmsTransport.h"

// Submission over the overlapped transport: each message's AT+CMGS exchanges through a CSMSSerialPort, which
// this object owns (Port() gives it to callers that also query the device).
class SerialPortTransport final : public SmsTransport {
public:
    explicit SerialPortTransport(int replyTimeoutMs = 5000) : m_replyTimeoutMs(replyTimeoutMs) {}

    void Open(const QString& portName) override { m_port.Open(m_replyTimeoutMs, portName); }
    bool Close() override { return m_port.Close(); }
    bool IsOpen() const override { return m_port.IsOpen(); }
    QString PortName() const override { return m_port.PortName(); }
    void ResetModem() override { m_port.ResetModem(); }
    void Submit(const SmsRequest& request, SmsMode mode) override;
    void SetTiming(const ModemTiming& timing) override { m_port.SetTiming(timing); }

    CSMSSerialPort& Port() { return m_port; }

private:
    void SubmitPdu(const SmsRequest& request);
    void SubmitText(const SmsRequest& request);

    CSMSSerialPort m_port;
    int m_replyTimeoutMs;
};
