#pragma once

#include "sending/SendOptions.h"

#include <QString>
#include <QStringList>

#include <algorithm>

// The session's sending options (the main window's option controls): the check boxes and the three drop-downs of "Delayed Delivery Option"
// and "Retry attempts on Failed SMS", with their start and Reset states and what turning the two check boxes
// on or off does to their drop-downs. A drop-down's selection is its item text, empty when nothing is
// selected. Produces the SendOptions a run reads. The message type and the Unicode option belong to the
// composer (MessageComposer). Used from the window's thread.
class SendOptionsModel {
public:
    static inline const QString kDefaultPauseEvery = QStringLiteral("15");
    static inline const QString kDefaultPauseFor = QStringLiteral(" 2  Minutes");
    static inline const QString kDefaultRetryCount = QStringLiteral("1");

    // The drop-downs' items: "1" ... "1000"; " 5  Seconds" ... "12 Hours"; "1" ... "10".
    static const QStringList& PauseEveryChoices();
    static const QStringList& PauseForChoices();
    static const QStringList& RetryCountChoices();

    // "Delayed Delivery Option": on enables both pause drop-downs and selects "15" and " 2  Minutes"; off
    // clears and disables them.
    void SetDelayedDelivery(bool on);
    bool DelayedDelivery() const { return m_options.delayedDelivery; }
    bool PauseControlsEnabled() const { return m_options.delayedDelivery; }
    // A choice of the drop-down, or empty for no selection; refused (false) for any other text and while
    // the drop-down is disabled.
    [[nodiscard]] bool SetPauseEvery(const QString& text);
    [[nodiscard]] bool SetPauseFor(const QString& text);
    const QString& PauseEvery() const { return m_options.pauseEvery; }
    const QString& PauseFor() const { return m_options.pauseFor; }

    // "Retry attempts on Failed SMS": on enables the count drop-down and selects "1"; off clears and
    // disables it.
    void SetRetries(bool on);
    bool Retries() const { return m_options.retriesOn; }
    bool RetryControlEnabled() const { return m_options.retriesOn; }
    [[nodiscard]] bool SetRetryCount(const QString& text);
    const QString& RetryCount() const { return m_retryCount; }
    // The retry count a send uses: the drop-down's value while the check box is on, else 0.
    int TotalRetries() const;

    // "Retry every failed message": off, a retry pass leaves out rows whose error is permanent (an unassigned
    // number, a barred call ...); on, it retries every failure. Enabled with the retry drop-down.
    void SetRetryAllErrors(bool on) { m_options.retryAllErrors = on; }
    bool RetryAllErrors() const { return m_options.retryAllErrors; }

    void SetSkipDuplicates(bool on) { m_options.skipDuplicates = on; }
    bool SkipDuplicates() const { return m_options.skipDuplicates; }
    void SetUseExclusion(bool on) { m_options.useExclusion = on; }
    bool UseExclusion() const { return m_options.useExclusion; }
    void SetSaveSentItems(bool on) { m_options.saveSentItems = on; }
    bool SaveSentItems() const { return m_options.saveSentItems; }
    void SetSaveTemplates(bool on) { m_options.saveTemplates = on; }
    bool SaveTemplates() const { return m_options.saveTemplates; }
    // Not shown in the window; kept for the engine.
    void SetClearAfterSend(bool on) { m_options.clearAfterSend = on; }
    bool ClearAfterSend() const { return m_options.clearAfterSend; }
    void SetNonOverlapped(bool on) { m_options.nonOverlapped = on; }
    bool NonOverlapped() const { return m_options.nonOverlapped; }
    // "Send numbers in international format" (off by default): numbers with an international form are sent
    // and logged in it; the list keeps them as given.
    void SetSendInternational(bool on) { m_options.sendInternational = on; }
    bool SendInternational() const { return m_options.sendInternational; }
    // "Request delivery reports" (off by default): every submission asks the network for a status report.
    void SetDeliveryReports(bool on) { m_options.deliveryReports = on; }
    bool DeliveryReports() const { return m_options.deliveryReports; }
    // How long a device whose port failed (unplugged, reset) is waited for, in seconds (0: not waited for);
    // clamped to 0..kMaxReconnectWaitSeconds. Reset leaves it alone, like the port choices.
    static constexpr int kMaxReconnectWaitSeconds = 3600;
    void SetReconnectWaitSeconds(int seconds) {
        m_options.reconnectWaitSeconds = std::clamp(seconds, 0, kMaxReconnectWaitSeconds);
    }
    int ReconnectWaitSeconds() const { return m_options.reconnectWaitSeconds; }
    // The quota check box: set when the quota window is confirmed.
    void SetQuotaManagement(bool on) { m_options.quotaManagement = on; }
    bool QuotaManagement() const { return m_options.quotaManagement; }

    // Reset: every option above off and the drop-downs cleared and disabled, except "Sent Non Overlapped"
    // and the quota check box, which Reset leaves alone.
    void Reset();

    // The options as a run reads them (totalRetries as TotalRetries()).
    SendOptions Options() const;

private:
    SendOptions m_options;
    QString m_retryCount;
};
