#pragma once

#include "modem/CIrdaPort.h"
#include "sms/SmsPortState.h"
#include "sms/SmsTransport.h"

// Submission over the non-overlapped transport ("Sent Non Overlapped"): line-by-line exchanges through a
// CIrdaPort, which this object owns. The first submission after each opening clears a prompt an interrupted
// submission may have left open ("fast" timing: also the first after a failure). What it learnt of the device
// (SmsPortState) lives as long as the port stays open.
class IrdaPortTransport final : public SmsTransport {
public:
    void Open(const QString& portName) override;
    bool Close() override;
    bool IsOpen() const override { return m_port.IsOpen(); }
    QString PortName() const override { return m_port.PortName(); }
    void ResetModem() override;
    void Submit(const SmsRequest& request, SmsMode mode) override;
    void SetTiming(const ModemTiming& timing) override { m_port.SetTiming(timing); }

    CIrdaPort& Port() { return m_port; }
    const SmsPortState& State() const { return m_state; }

private:
    void Handshake();
    // AT+CMGF for the mode, unless the port is prepared for it; a refusal ends the submission.
    void Prepare(SmsMode mode);
    // One command: true for "OK"; throws the no-response error when no line came at all.
    bool Step(const QString& command);
    QString TextCharset(bool unicode);
    void SubmitPdu(const SmsRequest& request);
    void SubmitText(const SmsRequest& request);

    CIrdaPort m_port;
    SmsPortState m_state;
    bool m_handshakeDone = false; // since the last opening
};
