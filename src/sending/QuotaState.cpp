#include "sending/QuotaState.h"

#include "sending/QuotaSettings.h"

#include <algorithm>
#include <limits>

QString QuotaState::SettingsText() const {
    std::lock_guard lock(m_mutex);
    return m_settingsText;
}

void QuotaState::SetSettingsText(const QString& text) {
    std::lock_guard lock(m_mutex);
    m_settingsText = text;
}

void QuotaState::ClearUsage() {
    std::lock_guard lock(m_mutex);
    m_usage.clear();
}

void QuotaState::AddUsage(const QString& port, int sent) {
    std::lock_guard lock(m_mutex);
    m_usage << UsageEntry(port, sent);
}

QStringList QuotaState::UsageEntries() const {
    std::lock_guard lock(m_mutex);
    return m_usage;
}

int QuotaState::UsedBy(const QString& port) const {
    std::lock_guard lock(m_mutex);
    return UsedByLocked(port);
}

int QuotaState::UsedByLocked(const QString& port) const {
    qint64 used = 0;
    for (const QString& entry : m_usage) {
        QString p;
        int sent = 0;
        if (ParseUsageEntry(entry, &p, &sent) && p == port)
            used += std::max(sent, 0);
    }
    return static_cast<int>(std::min<qint64>(used, std::numeric_limits<int>::max()));
}

DeviceQuota QuotaState::QuotaFor(const QString& port) const {
    std::lock_guard lock(m_mutex);
    const std::optional<QuotaSettings::Line> line = QuotaSettings::Find(m_settingsText, port);
    if (!line || !line->IsManual())
        return {};
    const qint64 left = QuotaSettings::AssignValue(line->assign) - UsedByLocked(port);
    return {static_cast<int>(std::clamp<qint64>(left, 0, std::numeric_limits<int>::max())), DeviceQuota::Mode::Manual};
}

QString QuotaState::UsageEntry(const QString& port, int sent) {
    return port + QLatin1Char('|') + QString::number(sent);
}

bool QuotaState::ParseUsageEntry(const QString& entry, QString* port, int* sent) {
    const qsizetype bar = entry.lastIndexOf(QLatin1Char('|'));
    if (bar < 0)
        return false;
    bool ok = false;
    const int count = entry.mid(bar + 1).toInt(&ok);
    if (!ok)
        return false;
    *port = entry.left(bar);
    *sent = count;
    return true;
}
