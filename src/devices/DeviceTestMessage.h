#pragma once

#include "devices/DeviceCollection.h"

#include "devices/DeviceRecord.h"
#include "modem/ModemTiming.h"

#include <QString>

class Prompter;

// The test message of the device windows: checks, questions, one submission through a discovery port of
// its own, and the outcome shown to the user.
class DeviceTestMessage {
public:
    struct Options {
        int replyTimeoutMs = 5000;
        ModemTiming timing = ModemTiming::Fast();
        DeviceCollection* collection = nullptr; // reports and messages the device announces meanwhile (may be null)
    };

    DeviceTestMessage(Prompter& prompter, Options options) : m_prompter(prompter), m_options(std::move(options)) {}

    // Sends kTestMessageText to phoneNumber through the device, in its SMS mode ("Standard SMS", no Unicode),
    // with smsc as the SMSC (empty: the device's own). In order: the recipient-number check, the question for
    // a device whose SMS capabilities were not detected, the question for a device with neither a default
    // nor a custom SMSC. Returns the result shown ("Message sent successfully.", "Message sent to device.",
    // "Error : <text>"), or empty when refused or not confirmed.
    QString Send(const DeviceRecord& device, const QString& phoneNumber, const QString& smsc);

private:
    Prompter& m_prompter;
    Options m_options;
};
