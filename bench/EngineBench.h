#pragma once

// Whole runs of the sending engine over simulated modems, shared by the engine and journal benchmarks.

#include "journal/JobStore.h"
#include "sending/SendRun.h"
#include "sim/SimModem.h"

#include <QElapsedTimer>

#include <cstdio>
#include <memory>
#include <vector>


struct Modems {
    std::vector<std::unique_ptr<SimModem>> sims;
    explicit Modems(int count, const QString& profile) {
        for (int i = 0; i < count; ++i) {
            QString error;
            SimModem::Options options;
            options.profile = *SimProfile::Parse(profile, &error);
            sims.push_back(std::make_unique<SimModem>(options));
            if (!sims.back()->Start(&error))
                std::fprintf(stderr, "simulator: %s\n", qPrintable(error));
        }
    }
    int Accepted() const {
        int n = 0;
        for (const auto& s : sims)
            n += s->SubmissionCount();
        return n;
    }
};

// Runs the engine over the modems; returns the wall time in seconds.
inline double EngineRun(Modems& modems, int rows, const ModemTiming& timing, int* sent, JobStore* journal = nullptr) {
    ModemSlots slots;
    slots.SetTiming(timing);
    SendState state;
    SendContext ctx;
    ctx.state = &state;
    for (size_t i = 0; i < modems.sims.size(); ++i) {
        RunDevice device;
        device.record.portName = modems.sims[i]->PortName();
        device.record.smsMode = DeviceRecord::kModePdu;
        device.record.slot = static_cast<int>(i);
        device.entry = device.record.portName + QStringLiteral(" - Simulated");
        ctx.devicesInUse.push_back(device);
    }
    ctx.selectedEntry = modems.sims.size() > 1 ? RunDevice::kAllDevice : ctx.devicesInUse.front().entry;
    const QString message = QStringLiteral("Your appointment is confirmed for 10:30 tomorrow. Reply STOP to opt out.");
    ctx.rowCount = [rows] { return rows; };
    ctx.rowAt = [&message](int i) {
        return std::pair<QString, QString>(QStringLiteral("+4477009%1").arg(i, 5, 10, QLatin1Char('0')), message);
    };
    ctx.slots = &slots;
    ctx.journal = journal;
    for (size_t i = 0; i < modems.sims.size(); ++i) {
        const QString imei = QStringLiteral("3500000000%1").arg(i, 5, 10, QLatin1Char('0'));
        ctx.devicesInUse[i].record.imei = imei;
        ctx.journalSpec.devices.push_back({imei, ctx.devicesInUse[i].record.portName, ctx.devicesInUse[i].entry});
    }
    QElapsedTimer timer;
    timer.start();
    {
        SendRun run(ctx);
        run.Open();
        while (!run.WaitForEnd(1000)) {
        }
        *sent = 0;
        for (int r = 0; r < run.Job().RowCount(); ++r)
            *sent += run.Job().Text(r, SendJob::kStatus) == QLatin1String("Message sent successfully.") ? 1 : 0;
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

