#pragma once

#include <QByteArray>
#include <QString>

// The device end of a pseudo-terminal for transport tests: the code under test opens SlavePath() like a
// serial port; the test writes the device's bytes and reads what the program sent.
class PtyPeer {
public:
    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    bool IsValid() const { return m_master >= 0; }
    const QString& SlavePath() const { return m_slavePath; }
    void Send(const QByteArray& bytes);
    // Everything the program wrote, waiting up to waitMs for at least minBytes.
    QByteArray Received(int waitMs = 0, qsizetype minBytes = 1);
    // Reads until the received bytes contain token or waitMs pass; returns what was read.
    QByteArray ReceiveUntil(const QByteArray& token, int waitMs);
    // Closes the device end: the program's side sees a hang-up, like an unplugged modem.
    void Hangup();

private:
    int m_master = -1;
    int m_slaveKeeper = -1; // keeps the pty alive while the program closes and reopens its side
    QString m_slavePath;
};
