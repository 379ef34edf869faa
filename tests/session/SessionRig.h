#pragma once

// A session over a fresh data folder with simulated modems as its selected devices, and Send as the window
// does it, for the session's tests.

#include "devices/DeviceTexts.h"
#include "fakes/ScriptedPrompter.h"
#include "sending/SendRun.h"
#include "session/Session.h"
#include "sim/SimModem.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <vector>

inline ModemTiming TestTiming() {
    ModemTiming timing = ModemTiming::Fast();
    timing.finalResultLimitMs = 3000;
    return timing;
}

// A session over a fresh data folder, with simulated modems as its selected devices.
struct SessionRig {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    std::unique_ptr<Session> session;
    std::vector<std::unique_ptr<SimModem>> sims;

    SessionRig() {
        session = std::make_unique<Session>(prompter, Session::Options{DataPaths(dir.path()), TestTiming()});
    }

    void AddSim(const QString& profile, const QString& imei) {
        QString error;
        SimModem::Options options;
        options.profile = *SimProfile::Parse(profile, &error);
        options.identity.imei = imei;
        sims.push_back(std::make_unique<SimModem>(options));
        ASSERT_TRUE(sims.back()->Start(&error)) << error.toStdString();
        std::vector<DeviceRecord> records = session->Devices().Records();
        DeviceRecord r;
        r.portName = sims.back()->PortName();
        r.displayName = DeviceTexts::DisplayName(r.portName, QStringLiteral("SIMCOM SIM800"));
        r.smsMode = DeviceRecord::kModePdu;
        r.imei = imei;
        records.push_back(r);
        session->Devices().ReplaceSelection(records);
    }

    void AddRows(int count, const QString& prefix, const QString& message) {
        for (int i = 0; i < count; ++i)
            session->List().InsertRow(session->List().Count(), prefix + QString::number(100 + i), message, {});
    }

    // Send as the window does, with the run's window replaced by a loop that waits for its end. onOpen runs on
    // the run's thread once the run is open; beforeClose once the run has ended, before its window closes.
    SendCommand::RunOutcome Send(const std::function<void(SendRun&)>& onOpen = {},
                                 const std::function<void(SendRun&)>& beforeClose = {}) {
        const Session::DeviceView view = session->DeviceDisplay();
        SendCommand::CheckResult checked =
            session->CheckSend({QString(), view.text, view.entries.value(view.selected), false});
        EXPECT_EQ(checked.outcome, SendCommand::Outcome::Ready) << checked.message.toStdString();
        return session->RunSend(std::move(checked.plan), [&](SendContext context) {
            context.clock = SendClock(0.01);
            SendRun run(context);
            run.Open();
            if (onOpen)
                onOpen(run);
            EXPECT_TRUE(run.WaitForEnd(60000));
            if (beforeClose)
                beforeClose(run);
            run.RequestStop(true);
            statuses.clear();
            for (int r = 0; r < run.Job().RowCount(); ++r)
                statuses << run.Job().Text(r, SendJob::kStatus);
        });
    }

    QStringList statuses; // of the last run, by row
};
