#pragma once

#include "modem/CSMSSerialPort.h"
#include "sms/SmsPortState.h"
#include "sms/SmsTransport.h"

// Submission over the overlapped transport: each message's AT+CMGS exchanges through a CSMSSerialPort, which
// this object owns (Port() gives it to callers that also query the device). What it learnt of the device
// (SmsPortState) lives as long as the port stays open.
class SerialPortTransport final : public SmsTransport {
public:
    explicit SerialPortTransport(int replyTimeoutMs = 5000) : m_replyTimeoutMs(replyTimeoutMs) {}

    void Open(const QString& portName) override;
    bool Close() override;
    bool IsOpen() const override { return m_port.IsOpen(); }
    QString PortName() const override { return m_port.PortName(); }
    void ResetModem() override;
    void Submit(const SmsRequest& request, SmsMode mode) override;
    void SetTiming(const ModemTiming& timing) override { m_port.SetTiming(timing); }

    CSMSSerialPort& Port() { return m_port; }
    const SmsPortState& State() const { return m_state; }

private:
    void SubmitPdu(const SmsRequest& request);
    void SubmitText(const SmsRequest& request);
    // AT, AT+CSMS=0 and AT+CMGF for the mode, unless the port is prepared for it.
    void Prepare(SmsMode mode);
    // One command up to its final result: true for "OK"; throws the no-response error when none came.
    bool Step(const QByteArray& line);
    // The text-mode character set for the message (SubmissionSteps::SelectTextCharset), asking the device only
    // what the port does not know yet.
    QString TextCharset(bool unicode);
    // One AT+CMGS exchange: the command, the ">" prompt, the data and Ctrl-Z, then the final result.
    void SubmitOne(const QByteArray& command, const QByteArray& data, SmsMode mode);

    CSMSSerialPort m_port;
    SmsPortState m_state;
    int m_replyTimeoutMs;
};
