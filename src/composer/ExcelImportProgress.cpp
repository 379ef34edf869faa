#include "composer/ExcelImportProgress.h"

void ExcelImportProgress::Reset() {
    const std::lock_guard lock(m_mutex);
    m_state = State();
}

ExcelImportProgress::State ExcelImportProgress::Snapshot() const {
    const std::lock_guard lock(m_mutex);
    return m_state;
}

void ExcelImportProgress::Started(int total) {
    const std::lock_guard lock(m_mutex);
    m_state = State();
    m_state.started = true;
    m_state.total = total;
}

void ExcelImportProgress::RowRead(int row, int total, const QString& number, const QString& messagePreview,
                                  bool taken) {
    const std::lock_guard lock(m_mutex);
    m_state.started = true;
    m_state.total = total;
    m_state.current = row;
    m_state.number = number;
    m_state.message = messagePreview;
    if (taken)
        ++m_state.taken;
}
