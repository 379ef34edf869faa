#pragma once

#include <QByteArray>
#include <QString>

class CIrdaPort;
class CSMSSerialPort;

// What collecting reports and messages needs of an open port, over either transport's port class, so the
// collector and the run's readers never branch on which one a device is reached through. Used by one thread at
// a time; failures of the port itself throw CSMSException.
class DeliveryPort {
public:
    virtual ~DeliveryPort() = default;
    virtual QString PortName() const = 0;
    virtual bool IsOpen() const = 0;
    // One command line (ending "\r") and its reply up to the final result; true for "OK". The reply is
    // LastReply() afterwards.
    virtual bool Command(const QByteArray& line) = 0;
    virtual QString LastReply() const = 0;
    // Reads what the device sent since the last command and nobody read (bounded), so a tap sees it too.
    virtual QByteArray ReadWaiting() = 0;
    // The port's receive tap (CSMSSerialPort::SetReceiveTap, CIrdaPort::SetReceiveTap).
    virtual void SetReceiveTap(QByteArray* tap) = 0;
};

// The overlapped transport's port.
class SerialDeliveryPort final : public DeliveryPort {
public:
    explicit SerialDeliveryPort(CSMSSerialPort& port) : m_port(port) {}
    QString PortName() const override;
    bool IsOpen() const override;
    bool Command(const QByteArray& line) override;
    QString LastReply() const override;
    QByteArray ReadWaiting() override;
    void SetReceiveTap(QByteArray* tap) override;

private:
    CSMSSerialPort& m_port;
};

// The non-overlapped transport's port ("Sent Non Overlapped"): replies collected byte by byte.
class IrdaDeliveryPort final : public DeliveryPort {
public:
    explicit IrdaDeliveryPort(CIrdaPort& port) : m_port(port) {}
    QString PortName() const override;
    bool IsOpen() const override;
    bool Command(const QByteArray& line) override;
    QString LastReply() const override { return m_lastReply; }
    QByteArray ReadWaiting() override;
    void SetReceiveTap(QByteArray* tap) override;

private:
    CIrdaPort& m_port;
    QString m_lastReply;
};
