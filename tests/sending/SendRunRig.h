#pragma once

// A run over simulated modems on real pseudo-terminals with a scaled clock, for the engine's tests.

#include "exclusion/ExclusionSet.h"
#include "fakes/ScriptedPrompter.h"
#include "records/SentItemsStore.h"
#include "sending/SendRun.h"
#include "sending/SendState.h"
#include "sim/SimModem.h"

#include <gtest/gtest.h>

#include <QSet>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <mutex>

class RecordingObserver : public SendObserver {
public:
    void PauseLabel(const QString& text) override {
        std::lock_guard lock(m_mutex);
        if (text.startsWith(QLatin1String("Pausing")) && !m_inPause) {
            ++pauses;
            m_inPause = true;
        }
        if (text.isEmpty())
            m_inPause = false;
    }
    void Finished() override { finished = true; }
    void Diagnostic(const QString& text) override {
        std::lock_guard lock(m_mutex);
        diagnostics << text;
    }
    int pauses = 0;
    QStringList diagnostics;
    std::atomic<bool> finished{false};

private:
    std::mutex m_mutex;
    bool m_inPause = false;
};

struct Rig {
    std::vector<std::unique_ptr<SimModem>> sims;
    std::vector<std::pair<QString, QString>> rows;
    ModemSlots slots;
    SendState state;
    ExclusionSet exclusion;
    QTemporaryDir dir;
    std::unique_ptr<SentItemsStore> sentItems;
    RecordingObserver observer;
    ScriptedPrompter prompter;
    SendContext ctx;

    explicit Rig(const QStringList& profiles) {
        ModemTiming timing = ModemTiming::Fast();
        timing.finalResultLimitMs = 3000;
        slots.SetTiming(timing);
        sentItems = std::make_unique<SentItemsStore>(dir.filePath(QStringLiteral("SentItem.vrix")));
        for (int i = 0; i < profiles.size(); ++i) {
            QString error;
            SimModem::Options options;
            options.profile = *SimProfile::Parse(profiles.at(i), &error);
            options.identity.imei = QStringLiteral("35000000000000%1").arg(i);
            sims.push_back(std::make_unique<SimModem>(options));
            EXPECT_TRUE(sims.back()->Start(&error)) << error.toStdString();
            RunDevice device;
            device.record.portName = sims.back()->PortName();
            device.record.smsMode = DeviceRecord::kModePdu;
            device.record.imei = options.identity.imei;
            device.record.slot = i;
            device.entry = device.record.portName + QStringLiteral(" - Simulated ") + QString::number(i);
            ctx.devicesInUse.push_back(device);
        }
        ctx.selectedEntry = profiles.size() > 1 ? RunDevice::kAllDevice : ctx.devicesInUse.front().entry;
        ctx.rowCount = [this] { return static_cast<int>(rows.size()); };
        ctx.rowAt = [this](int i) { return rows.at(static_cast<size_t>(i)); };
        ctx.state = &state;
        ctx.slots = &slots;
        ctx.exclusion = &exclusion;
        ctx.sentItems = sentItems.get();
        ctx.observer = &observer;
        ctx.prompter = &prompter;
        ctx.clock = SendClock(0.01); // one engine second is 10 real ms
    }

    void AddRows(int count, const QString& prefix = QStringLiteral("+1555000")) {
        for (int i = 0; i < count; ++i)
            rows.emplace_back(prefix + QString::number(1000 + rows.size()), QStringLiteral("Hello %1").arg(i));
    }

    std::unique_ptr<SendRun> Run() {
        auto run = std::make_unique<SendRun>(ctx);
        run->Open();
        EXPECT_TRUE(run->WaitForEnd(60000));
        return run;
    }

    // Every number the modems accepted, and how often.
    std::map<QString, int> Accepted() const {
        std::map<QString, int> count;
        for (const auto& sim : sims) {
            for (const SimSubmission& s : sim->Submissions())
                ++count[s.to];
        }
        return count;
    }

    QList<SentItemRecord> Logged() const {
        QList<SentItemRecord> records;
        EXPECT_TRUE(sentItems->Load(&records));
        return records;
    }
};

