#pragma once

#include "modem/ModemTiming.h"
#include "sms/MessageFlags.h"

#include <QString>

#include <atomic>
#include <memory>
#include <vector>

struct SmsRequest;
class SubmissionSettings;

// How a device takes a message: PDU mode (AT+CMGF=0) or text mode (AT+CMGF=1), 3GPP TS 27.005 clause 3.2.3.
enum class SmsMode { Pdu = 1, Text = 2 };

// One device slot's way of submitting messages, over either serial transport. A transport is used by one
// thread at a time; its settings pointers (stop flag, submission settings) belong to the caller and must
// outlive the transport's use of them.
class SmsTransport {
public:
    virtual ~SmsTransport() = default;

    // Opens the port exclusively. Throws CSMSException (a system error with errno) and leaves the port
    // closed when it cannot.
    virtual void Open(const QString& portName) = 0;
    // Never throws; false when the port was not open or the close failed.
    virtual bool Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual QString PortName() const = 0;
    // AT, AT&F (the factory settings) and AT+CMEE=1 (the connection test resets before each case); what the
    // transport knew of the device is forgotten with it.
    virtual void ResetModem() = 0;
    // Submits one message, every part of it. Returns only when the device confirmed every part; throws
    // CSMSException otherwise (also when a stop request ends a concatenated message between parts, and with the
    // no-response error at the first command a silent device leaves unanswered).
    virtual void Submit(const SmsRequest& request, SmsMode mode) = 0;
    virtual void SetTiming(const ModemTiming& timing) = 0;

    // Where a request that leaves them to the caller reads the message type and the Unicode choice; null
    // gives "Standard SMS" without Unicode.
    void SetSubmissionSettings(const SubmissionSettings* settings) { m_settings = settings; }
    // Polled between the parts of a concatenated message: once it is non-zero, the message ends after the part
    // being sent. Null: never stopped.
    void SetStopFlag(const std::atomic<int>* stop) { m_stop = stop; }
    // "Request delivery reports": every part asks for a status report (TP-SRR, TS 23.040 9.2.3.5; text mode
    // through AT+CSMP's <fo>), and the port is set once (AT+CNMI) to announce reports and new messages.
    void SetStatusReports(bool on) { m_statusReports = on; }
    bool StatusReports() const { return m_statusReports; }
    // The message references (+CMGS: <mr>, 0-255) the device gave the parts of the last Submit, in part order;
    // -1 for a part confirmed without one.
    const std::vector<int>& MessageReferences() const { return m_references; }

protected:
    MessageFlags FlagsFor(const SmsRequest& request) const { return DeriveMessageFlags(request, m_settings); }
    // Throws the "stopped" exception before part n (from 0) of total when a stop was requested; the first part
    // always goes.
    void ThrowIfStopped(int n, int total) const;
    std::vector<int> m_references;

private:
    bool m_statusReports = false;
    const SubmissionSettings* m_settings = nullptr;
    const std::atomic<int>* m_stop = nullptr;
};

// The overlapped transport (the default), or the non-overlapped one ("Sent Non Overlapped"). replyTimeoutMs
// is the overlapped transport's silence limit for replies.
std::unique_ptr<SmsTransport> MakeSmsTransport(bool nonOverlapped, int replyTimeoutMs = 5000);
