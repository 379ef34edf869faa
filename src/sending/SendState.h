#pragma once

#include <atomic>
#include <mutex>
#include <set>

// The state of a session's send runs, shared by the progress window, the dispatcher and every device worker
// of a run. Owned by the session (one per session, so two sessions never see each other's runs). Integers
// are read without locks; the counters change only under the job lock.
struct SendState {
    std::atomic<int> stopAll{0};          // 1: every worker stops at its next check, a long message after its part
    std::atomic<int> windowOpen{0};       // 1 while a progress window exists: a second send is refused
    std::atomic<int> generation{0};       // +1 at every opening; workers of an older run stop
    std::atomic<int> processedCount{0};   // rows of this pass done, skipped, excluded or failed-retry-allowed
    std::atomic<int> pauseCounter{0};     // attempts since the last pause, all workers together
    std::atomic<int> paused{0};           // 1 while a run-wide pause lasts
    std::atomic<int> pauseRemainingMs{0};
    std::atomic<int> retryMode{0};        // 1 while a retry pass runs
    std::atomic<int> retryPass{0};        // retry passes made
    std::atomic<int> totalRetries{0};     // retry passes allowed

    // The worker table: indexes of the registered workers.
    void Register(int index);
    // Returns the number of workers still registered.
    int Unregister(int index);
    int RegisteredCount() const;
    std::set<int> Registered() const;

private:
    mutable std::mutex m_tableMutex;
    std::set<int> m_workers;
};
