#pragma once

// Selected devices for the preparation and Send tests: simulated modems on pseudo-terminals, and devices
// whose port does not exist (they fail to open), all in one MainDeviceState with fast modem timing.

#include "devices/DeviceTexts.h"
#include "devices/MainDeviceState.h"
#include "modem/ModemTiming.h"
#include "sending/ModemSlots.h"
#include "sim/SimModem.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <map>
#include <memory>
#include <vector>

struct SimDeviceRig {
    QTemporaryDir dir;
    std::vector<std::unique_ptr<SimModem>> sims;
    std::vector<DeviceRecord> records;
    MainDeviceState devices;
    ModemSlots slots;

    SimDeviceRig() {
        ModemTiming timing = ModemTiming::Fast();
        timing.finalResultLimitMs = 3000;
        slots.SetTiming(timing);
    }

    // A simulated modem as the next selected device; returns its port.
    QString AddSim(const QString& profile = QStringLiteral("default")) {
        QString error;
        SimModem::Options options;
        options.profile = *SimProfile::Parse(profile, &error);
        options.identity.imei = QStringLiteral("35000000000001%1").arg(sims.size());
        sims.push_back(std::make_unique<SimModem>(options));
        EXPECT_TRUE(sims.back()->Start(&error)) << error.toStdString();
        return AddRecord(sims.back()->PortName(), QStringLiteral("SIMCOM SIM800"));
    }
    // A selected device whose port is gone (unplugged after the scan): opening it fails.
    QString AddMissing() {
        return AddRecord(dir.filePath(QStringLiteral("ttyGone%1").arg(records.size())), QStringLiteral("Gone"));
    }
    QString AddRecord(const QString& port, const QString& name) {
        DeviceRecord r;
        r.portName = port;
        r.displayName = DeviceTexts::DisplayName(port, name);
        r.smsMode = DeviceRecord::kModePdu;
        r.supportedSmsModes = QStringLiteral("PDU Mode & Text Mode");
        records.push_back(r);
        devices.ReplaceSelection(records);
        return port;
    }
    QString Entry(int i) const { return DeviceTexts::DeviceEntry(devices.Record(i).value()); }

    int Submitted(int sim) const { return sims.at(static_cast<size_t>(sim))->SubmissionCount(); }
    // Every number the modems accepted, and how often.
    std::map<QString, int> Accepted() const {
        std::map<QString, int> count;
        for (const auto& sim : sims) {
            for (const SimSubmission& s : sim->Submissions())
                ++count[s.to];
        }
        return count;
    }
};
