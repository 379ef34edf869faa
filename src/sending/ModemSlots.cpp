#include "sending/ModemSlots.h"

ModemSlots::ModemSlots() {
    for (auto& port : m_serial)
        port = std::make_unique<SerialPortTransport>();
    for (auto& port : m_irda)
        port = std::make_unique<IrdaPortTransport>();
    SetTiming(m_timing);
}

SmsTransport& ModemSlots::Transport(int slot, bool nonOverlapped) {
    const auto index = static_cast<size_t>(slot);
    if (nonOverlapped)
        return *m_irda.at(index);
    return *m_serial.at(index);
}

void ModemSlots::SetTiming(const ModemTiming& timing) {
    m_timing = timing;
    for (auto& port : m_serial)
        port->SetTiming(timing);
    for (auto& port : m_irda)
        port->SetTiming(timing);
}

void ModemSlots::SetSubmissionSettings(const SubmissionSettings* settings) {
    for (auto& port : m_serial)
        port->SetSubmissionSettings(settings);
    for (auto& port : m_irda)
        port->SetSubmissionSettings(settings);
}

void ModemSlots::SetStopFlag(const std::atomic<int>* stop) {
    for (auto& port : m_serial)
        port->SetStopFlag(stop);
    for (auto& port : m_irda)
        port->SetStopFlag(stop);
}

void ModemSlots::CloseAll() {
    for (auto& port : m_irda)
        port->Close();
    for (auto& port : m_serial)
        port->Close();
}
