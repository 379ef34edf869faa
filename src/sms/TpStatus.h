#pragma once

#include <QString>

// The TP-Status of an SMS-STATUS-REPORT (3GPP TS 23.040 9.2.3.15): what became of a submitted message.
struct TpStatus {
    enum class Class {
        Completed,         // 0x00-0x1F: the transaction is over (delivered, or handed on without confirmation)
        TemporaryRetrying, // 0x20-0x3F: a temporary error, the SC is still trying
        Permanent,         // 0x40-0x5F: a permanent error, the SC has stopped trying
        TemporaryGivenUp,  // 0x60-0x7F: a temporary error, but the SC has stopped trying
        Reserved,          // 0x80-0xFF
    };

    int value = 0;

    Class StatusClass() const;
    // True when the SC will say nothing more about the message (every class but TemporaryRetrying).
    bool IsFinal() const { return StatusClass() != Class::TemporaryRetrying; }
    // True for 0x00, "Short message received by the SME": the one status that confirms delivery.
    bool IsDelivered() const { return value == 0x00; }
    // The standard's wording for the value ("Incompatible destination"); "Reserved" or "Value specific to
    // the SC" for the ranges it leaves open.
    QString Meaning() const;
    static QString ClassText(Class statusClass); // e.g. "permanent error, SC not making any more attempts"
};
