#include "sending/SendOptionsModel.h"

#include "sending/PauseSetting.h"

const QStringList& SendOptionsModel::PauseEveryChoices() {
    return PauseSetting::EveryChoices();
}

const QStringList& SendOptionsModel::PauseForChoices() {
    return PauseSetting::DurationChoices();
}

const QStringList& SendOptionsModel::RetryCountChoices() {
    static const QStringList choices = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
    return choices;
}

void SendOptionsModel::SetDelayedDelivery(bool on) {
    m_options.delayedDelivery = on;
    m_options.pauseEvery = on ? kDefaultPauseEvery : QString();
    m_options.pauseFor = on ? kDefaultPauseFor : QString();
}

bool SendOptionsModel::SetPauseEvery(const QString& text) {
    if (!m_options.delayedDelivery || (!text.isEmpty() && !PauseEveryChoices().contains(text)))
        return false;
    m_options.pauseEvery = text;
    return true;
}

bool SendOptionsModel::SetPauseFor(const QString& text) {
    if (!m_options.delayedDelivery || (!text.isEmpty() && !PauseForChoices().contains(text)))
        return false;
    m_options.pauseFor = text;
    return true;
}

void SendOptionsModel::SetRetries(bool on) {
    m_options.retriesOn = on;
    m_retryCount = on ? kDefaultRetryCount : QString();
}

bool SendOptionsModel::SetRetryCount(const QString& text) {
    if (!m_options.retriesOn || (!text.isEmpty() && !RetryCountChoices().contains(text)))
        return false;
    m_retryCount = text;
    return true;
}

int SendOptionsModel::TotalRetries() const {
    return m_options.retriesOn ? m_retryCount.toInt() : 0;
}

void SendOptionsModel::Reset() {
    const bool nonOverlapped = m_options.nonOverlapped;
    const bool quota = m_options.quotaManagement;
    const int reconnectWait = m_options.reconnectWaitSeconds;
    m_options = SendOptions();
    m_options.reconnectWaitSeconds = reconnectWait;
    m_options.nonOverlapped = nonOverlapped;
    m_options.quotaManagement = quota;
    m_retryCount.clear();
}

SendOptions SendOptionsModel::Options() const {
    SendOptions options = m_options;
    options.totalRetries = TotalRetries();
    return options;
}
