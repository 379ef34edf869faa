#pragma once

#include "sms/IrdaPortTransport.h"
#include "sms/SerialPortTransport.h"

#include <array>
#include <atomic>
#include <memory>

// A session's modem objects: one overlapped and one non-overlapped transport per device slot, created once
// and kept for the session's life. A slot is used by one worker at a time.
class ModemSlots {
public:
    static constexpr int kSlotCount = 32; // the most devices one send can use

    ModemSlots();
    // The transport a run submits through: the non-overlapped one with "Sent Non Overlapped".
    SmsTransport& Transport(int slot, bool nonOverlapped);
    // The overlapped transport's port, which the device preparation opens as a test.
    CSMSSerialPort& SerialPort(int slot) { return m_serial.at(static_cast<size_t>(slot))->Port(); }
    // The non-overlapped transport's port.
    CIrdaPort& IrdaPort(int slot) { return m_irda.at(static_cast<size_t>(slot))->Port(); }

    // Applied to every transport.
    void SetTiming(const ModemTiming& timing);
    const ModemTiming& Timing() const { return m_timing; }
    void SetSubmissionSettings(const SubmissionSettings* settings);
    void SetStopFlag(const std::atomic<int>* stop);
    // Closes every open port; errors of the modem layer end the loop quietly.
    void CloseAll();

private:
    std::array<std::unique_ptr<SerialPortTransport>, kSlotCount> m_serial;
    std::array<std::unique_ptr<IrdaPortTransport>, kSlotCount> m_irda;
    ModemTiming m_timing = ModemTiming::Fast();
};
