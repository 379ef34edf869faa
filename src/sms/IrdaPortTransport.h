#pragma once

#include "modem/CIrdaPort.h"
#include "sms/SmsTransport.h"

// Submission over the non-overlapped transport ("Sent Non Overlapped"): line-by-line exchanges through a
// CIrdaPort, which this object owns. The first submission after each opening clears a prompt an interrupted
// submission may have left open.
class IrdaPortTransport final : public SmsTransport {
public:
    void Open(const QString& portName) override;
    bool Close() override { return m_port.Close(); }
    bool IsOpen() const override { return m_port.IsOpen(); }
    QString PortName() const override { return m_port.PortName(); }
    void ResetModem() override { (void)m_port.ResetModem(); }
    void Submit(const SmsRequest& request, SmsMode mode) override;
    void SetTiming(const ModemTiming& timing) override { m_port.SetTiming(timing); }

    CIrdaPort& Port() { return m_port; }

private:
    void Handshake();
    void SubmitPdu(const SmsRequest& request);
    void SubmitText(const SmsRequest& request);

    CIrdaPort m_port;
    bool m_handshakeDone = false; // since the last opening
};
