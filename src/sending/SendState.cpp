#include "sending/SendState.h"

void SendState::Register(int index) {
    std::lock_guard lock(m_tableMutex);
    m_workers.insert(index);
}

int SendState::Unregister(int index) {
    std::lock_guard lock(m_tableMutex);
    m_workers.erase(index);
    return static_cast<int>(m_workers.size());
}

int SendState::RegisteredCount() const {
    std::lock_guard lock(m_tableMutex);
    return static_cast<int>(m_workers.size());
}

std::set<int> SendState::Registered() const {
    std::lock_guard lock(m_tableMutex);
    return m_workers;
}
