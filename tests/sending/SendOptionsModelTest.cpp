// The main window's sending options: start state, the two toggles with their drop-downs, Reset, and the
// SendOptions a run receives.

#include "sending/SendOptionsModel.h"

#include <gtest/gtest.h>

TEST(SendOptionsModel, StartsWithEverythingOffAndTheDropDownsEmpty) {
    const SendOptionsModel m;
    EXPECT_FALSE(m.DelayedDelivery());
    EXPECT_FALSE(m.PauseControlsEnabled());
    EXPECT_TRUE(m.PauseEvery().isEmpty());
    EXPECT_TRUE(m.PauseFor().isEmpty());
    EXPECT_FALSE(m.RetryControlEnabled());
    EXPECT_TRUE(m.RetryCount().isEmpty());
    EXPECT_EQ(m.TotalRetries(), 0);
    const SendOptions o = m.Options();
    EXPECT_FALSE(o.skipDuplicates || o.useExclusion || o.saveSentItems || o.saveTemplates || o.clearAfterSend ||
                 o.nonOverlapped || o.quotaManagement || o.retriesOn || o.delayedDelivery || o.retryAllErrors);
    EXPECT_EQ(SendOptionsModel::PauseForChoices().size(), 32);
    EXPECT_EQ(SendOptionsModel::RetryCountChoices().constLast(), QStringLiteral("10"));
}

TEST(SendOptionsModel, DelayedDeliveryTogglesItsDropDowns) {
    SendOptionsModel m;
    EXPECT_FALSE(m.SetPauseEvery(QStringLiteral("5"))); // disabled
    m.SetDelayedDelivery(true);
    EXPECT_TRUE(m.PauseControlsEnabled());
    EXPECT_EQ(m.PauseEvery(), QStringLiteral("15"));
    EXPECT_EQ(m.PauseFor(), QStringLiteral(" 2  Minutes"));
    EXPECT_TRUE(m.SetPauseEvery(QStringLiteral("1000")));
    EXPECT_FALSE(m.SetPauseEvery(QStringLiteral("7")));
    EXPECT_FALSE(m.SetPauseFor(QStringLiteral("2 Minutes"))); // the texts keep their blanks
    EXPECT_TRUE(m.SetPauseFor(QStringLiteral("12 Hours")));
    EXPECT_TRUE(m.SetPauseFor(QString())); // nothing selected
    SendOptions o = m.Options();
    EXPECT_TRUE(o.delayedDelivery);
    EXPECT_EQ(o.pauseEvery, QStringLiteral("1000"));
    EXPECT_TRUE(o.pauseFor.isEmpty());
    m.SetDelayedDelivery(false);
    EXPECT_FALSE(m.PauseControlsEnabled());
    EXPECT_TRUE(m.PauseEvery().isEmpty());
    EXPECT_TRUE(m.PauseFor().isEmpty());
    m.SetDelayedDelivery(true);
    EXPECT_EQ(m.PauseEvery(), QStringLiteral("15")); // on again: the defaults, not the old choice
}

TEST(SendOptionsModel, RetryTogglesItsDropDownAndCount) {
    SendOptionsModel m;
    m.SetRetries(true);
    EXPECT_EQ(m.RetryCount(), QStringLiteral("1"));
    EXPECT_EQ(m.TotalRetries(), 1);
    EXPECT_TRUE(m.SetRetryCount(QStringLiteral("10")));
    EXPECT_FALSE(m.SetRetryCount(QStringLiteral("11")));
    EXPECT_EQ(m.Options().totalRetries, 10);
    EXPECT_TRUE(m.Options().retriesOn);
    m.SetRetries(false);
    EXPECT_TRUE(m.RetryCount().isEmpty());
    EXPECT_EQ(m.Options().totalRetries, 0);
    EXPECT_FALSE(m.SetRetryCount(QStringLiteral("2")));
}

TEST(SendOptionsModel, ResetTurnsTheOptionsOffButKeepsTransportAndQuota) {
    SendOptionsModel m;
    m.SetDelayedDelivery(true);
    m.SetRetries(true);
    m.SetRetryAllErrors(true);
    m.SetSkipDuplicates(true);
    m.SetUseExclusion(true);
    m.SetSaveSentItems(true);
    m.SetSaveTemplates(true);
    m.SetClearAfterSend(true);
    m.SetNonOverlapped(true);
    m.SetQuotaManagement(true);
    m.Reset();
    const SendOptions o = m.Options();
    EXPECT_FALSE(o.delayedDelivery || o.retriesOn || o.retryAllErrors || o.skipDuplicates || o.useExclusion ||
                 o.saveSentItems || o.saveTemplates || o.clearAfterSend);
    EXPECT_TRUE(o.pauseEvery.isEmpty() && o.pauseFor.isEmpty() && m.RetryCount().isEmpty());
    EXPECT_FALSE(m.PauseControlsEnabled() || m.RetryControlEnabled());
    EXPECT_TRUE(o.nonOverlapped);
    EXPECT_TRUE(o.quotaManagement);
}
