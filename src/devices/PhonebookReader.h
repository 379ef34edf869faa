#pragma once

#include "devices/PhonebookEntry.h"

#include <QString>

#include <vector>

class CSMSSerialPort;
struct ModemTiming;

// The contacts read from a device, or why they could not be.
struct PhonebookRead {
    std::vector<PhonebookEntry> entries;
    QString error;  // the modem layer's error text when the read failed
    QString advice; // what the user can do about the port when it failed (PortAdvice), else empty
    bool failed = false;
};

// Reads the contacts of a device's phone memory ("ME") and SIM ("SM") over an open port (3GPP TS 27.007
// +CPBS / +CPBR), one AT+CPBR per index until the storage's used count is reached. Names are read in UCS2
// (TS 27.007 5.5, AT+CSCS) whenever the device offers it, so they arrive in any alphabet instead of as "?";
// the device's own character set is set again afterwards.
class PhonebookReader {
public:
    inline static const QString kNotSupported = QStringLiteral("Modem not supported phonebook reading command.");

    explicit PhonebookReader(CSMSSerialPort& port) : m_port(port) {}

    // The entries in the order the device lists its storages. Throws CSMSException: the no-response one
    // when "AT" is not answered "OK", one with kNotSupported when AT+CPBS=? is refused; a port failure throws
    // its system error. A storage that cannot be selected and an empty index ("ERROR") are skipped.
    std::vector<PhonebookEntry> ReadPhonebook();

    // Opens the port (the reply time-out of the device windows, 5000 ms), reads its phonebook and closes it.
    static PhonebookRead ReadFromPort(const QString& port, const ModemTiming& timing);

    // AT+CPBR commands written by the last ReadPhonebook.
    int ReadCommandCount() const { return m_readCommands; }

private:
    // The character set the names are read in: UCS2 when the device is in it or can be set to it. Returns the
    // set to restore afterwards (empty: nothing to restore) and whether names come in UCS2.
    QString SelectUcs2(bool* ucs2);
    std::vector<PhonebookEntry> ReadStorages(const QStringList& storages, bool ucs2);

    CSMSSerialPort& m_port;
    int m_readCommands = 0;
};
