#pragma once

#include "devices/DetailsText.h"

#include <QByteArray>
#include <QString>

class CSMSSerialPort;

// The device information queries, run on an open port (the discovery port: 1000 ms reply time-out during
// the port scan, 5000 ms otherwise). Each query writes its command and reads until the device's final
// result (OK, ERROR, +CME / +CMS ERROR), so an answered query never waits for the silence limit; only a
// silent device costs the port's reply time-out. Only an "OK" answer is used. Failures of the port itself
// throw CSMSException, except in GetImei. One thread at a time, like the port.
class DeviceQueries {
public:
    struct SmsModes {
        int code = 0; // DeviceReply::SmsModeCode
        QString text; // "Only PDU Mode", "Only Text Mode", "Both PDU Mode and Text Mode" or empty
    };

    // Everything one pass reads: the details lines and the two values kept out of the details text.
    struct Information {
        DetailsText::Values values;
        QString imei;
        QString imsi;
        SmsModes smsModes;
    };

    explicit DeviceQueries(CSMSSerialPort& port) : m_port(port) {}

    // The details text (DetailsText::Build). A device that does not answer "AT" with "OK" throws the
    // no-response CSMSException (516, "Failed to receive a response from the modem.").
    QString GetDeviceDetails();
    // The same pass, with its values.
    Information QueryInformation();

    SmsModes GetSmsModes();
    // The IMEI (AT+CGSN, else AT+GSN), or empty; never throws.
    QString GetImei() noexcept;
    QString GetImsi();
    // Maker, model and revision: the first command, or the second when the first gets no "OK" or answers
    // empty or "Undefined". The model is cut to what follows "MODEL=".
    QString GetManufacturer();
    QString GetModel();
    QString GetRevision();
    QString GetBattery();
    QString GetSmsc();
    QString GetOperator();
    QString GetSignalQuality();
    // True when the device answers "OK" to both AT+CSMS=? and AT+CMGS=?.
    bool CheckSmsSupport();

    // Writes "AT" and reads its answer; true for "OK". LastReply() then holds what came, even on a time-out.
    bool CheckAt();
    // Writes command + "\r" (after dropping stale input and the port's last reply) and reads up to the final
    // result or the silence limit; true when the result is "OK".
    bool Ask(const QByteArray& command);
    const QString& LastReply() const;

private:
    QString Identity(const QByteArray& first, const QByteArray& second, const QStringList& prefixes);

    CSMSSerialPort& m_port;
};
