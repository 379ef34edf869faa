#include "sending/ModemSlots.h"

ModemSlots::ModemSlots() {
    for (auto& port : m_serial)
        port = std::make_unique<CSMSSerialPort>();
    for (auto& port : m_irda)
        port = std::make_unique<CIrdaPort>();
}

void ModemSlots::SetTiming(const ModemTiming& timing) {
    for (auto& port : m_serial)
        port->SetTiming(timing);
    for (auto& port : m_irda)
        port->SetTiming(timing);
}

void ModemSlots::CloseAll() {
    for (auto& port : m_irda)
        port->Close();
    for (auto& port : m_serial)
        port->Close();
}
