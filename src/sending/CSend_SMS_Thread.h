#pragma once

#include "sending/QuotaState.h"
#include "sending/SendJob.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <thread>

class SendRun;

// The sending worker of one device: scans the job rows, takes free ones, skips excluded and duplicate
// numbers, submits through its slot's transport, records and logs results, keeps to its quota and starts
// the run-wide pauses. It never touches a window: everything goes through the run and its observer.
class CSend_SMS_Thread {
public:
    struct Fields {
        int index = 0;          // position among the devices in use; also its modem slot and first row
        QString port;           // port name, written into Use Port
        QString deviceText;     // "<port> - <description>"
        int smsMode = 1;        // 1 PDU mode, 2 text mode; anything else fails every attempt
        bool useCustomSmsc = false;
        QString smsc;
        QString details;        // the device's details text ("SMS Capabilities :")
        QString imei;           // the device's IMEI, under which the journal records its claims
        int rowCount = 0;
        int generation = 0;
        DeviceQuota quota; // Manual: stop after quota.count successful messages
    };

    CSend_SMS_Thread(SendRun& run, Fields fields);
    ~CSend_SMS_Thread();
    CSend_SMS_Thread(const CSend_SMS_Thread&) = delete;
    CSend_SMS_Thread& operator=(const CSend_SMS_Thread&) = delete;

    void Start();
    void Join();

    const Fields& Info() const { return m_fields; }
    int SentCount() const { return m_sentCount.load(); }
    bool QuotaUsedUp() const { return m_fields.quota.IsManual() && SentCount() >= m_fields.quota.count; }

private:
    void Run();
    // The rows come from the run's row source instead of a scan of the job.
    void RunFromSource();
    bool StillWanted() const;
    // Returns false when the worker must leave its loop after this row.
    void HandleRow(int row);
    QString Submit(const QString& number, const QString& message);
    void PauseRule();

    SendRun& m_run;
    Fields m_fields;
    SendJob::Worker m_worker;
    std::thread m_thread;
    std::atomic<int> m_sentCount{0};
    bool m_portFailed = false;
    QStringList m_lastReferences; // the message references of the last submission's parts
    int m_pauseEvery = 0;
    int m_pauseMs = -1; // -1: no pause
};
