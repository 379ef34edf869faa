#include "modem/ModemTiming.h"

#include <chrono>
#include <thread>

ModemTiming ModemTiming::Standard() { return ModemTiming{}; }

ModemTiming ModemTiming::Fast() {
    ModemTiming t;
    t.waitForReplies = true;
    t.prepareOnce = true;
    t.settleBeforeResultMs = 0;
    t.betweenPartsMs = 0;
    t.beforeTextMs = 0;
    t.irdaCmgsSleepMs = 0;
    t.irdaAfterResultMs = 0;
    // A line read still ends at a silence, but the prompt and the final result end it as soon as they come.
    return t;
}

QString ModemTiming::Description() const { return waitForReplies ? kReplyDriven : kFixedPauses; }

std::optional<ModemTiming> ModemTiming::ByName(const QString& name) {
    if (name == QLatin1String("standard"))
        return Standard();
    if (name == QLatin1String("fast"))
        return Fast();
    return std::nullopt;
}

void ModemTiming::Sleep(int ms) {
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
