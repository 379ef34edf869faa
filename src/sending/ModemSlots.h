#pragma once

#include "modem/CIrdaPort.h"
#include "modem/CSMSSerialPort.h"

#include <array>
#include <memory>

// The main window's modem objects: one overlapped and one non-overlapped transport per device slot, created
// once and kept for the program's life. A slot is used by one worker at a time.
class ModemSlots {
public:
    static constexpr int kSlotCount = 32; // the most devices one send can use

    ModemSlots();
    CSMSSerialPort& Serial(int slot) { return *m_serial.at(static_cast<size_t>(slot)); }
    CIrdaPort& Irda(int slot) { return *m_irda.at(static_cast<size_t>(slot)); }
    // Applies a timing profile to every transport.
    void SetTiming(const ModemTiming& timing);
    // Closes every open port; errors of the modem layer end the loop quietly.
    void CloseAll();

private:
    std::array<std::unique_ptr<CSMSSerialPort>, kSlotCount> m_serial;
    std::array<std::unique_ptr<CIrdaPort>, kSlotCount> m_irda;
};
