#pragma once

#include <QString>

// The session's sending options as a run reads them.
struct SendOptions {
    bool delayedDelivery = false;  // "Delayed Delivery Option"
    QString pauseEvery;            // "Pause every" text, e.g. "15"
    QString pauseFor;              // duration text, e.g. " 2  Minutes"
    bool retriesOn = false;        // "Retry attempts on Failed SMS"
    int totalRetries = 0;          // the retry drop-down's value when retries are on, else 0
    bool retryAllErrors = false;   // "Retry every failed message": permanent errors are retried too
    bool skipDuplicates = false;   // "Skip Duplicate Numbers"
    bool useExclusion = false;     // "Use Exclusion Rules"
    bool saveSentItems = false;    // "Save Sent Items"
    bool saveTemplates = false;    // "Save sent message to Templates"
    bool clearAfterSend = false;   // "Clear all fields after sending SMS"
    bool nonOverlapped = false;    // "Sent Non Overlapped"
    bool quotaManagement = false;  // the quota check box
    bool sendInternational = false; // "Send numbers in international format": send and log the E.164 form
    bool deliveryReports = false;   // "Request delivery reports": TP-SRR set, reports matched to the rows
    int reconnectWaitSeconds = 60;  // how long a device whose port failed is waited for (by IMEI); 0: not
};
