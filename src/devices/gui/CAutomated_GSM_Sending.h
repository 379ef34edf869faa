#pragma once

#include "devices/ConnectionTestController.h"

#include <QDialog>

#include <atomic>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// "Advanced Connection Troubleshooting": every applicable combination of SMS mode and SMSC tried on one
// device with a real test SMS, the results, applying one case to the Device record, the status log. A view
// over ConnectionTestController; the test runs on the controller's thread and reports through queued calls.
class CAutomated_GSM_Sending final : public QDialog {
    Q_OBJECT
public:
    CAutomated_GSM_Sending(MainDeviceState& devices, Prompter& prompter, int slot,
                           ConnectionTestController::Options options, QWidget* parent = nullptr);
    ~CAutomated_GSM_Sending() override;

    ConnectionTestController& Controller() { return m_controller; }
    QTableWidget* CaseList() const { return m_caseList; }
    QLineEdit* PhoneField() const { return m_phoneField; }
    QLineEdit* CustomSmscField() const { return m_customField; }
    QPushButton* Button(const QString& objectName) const;
    QString StatusLabelText() const;

public Q_SLOTS:
    void OnStartTest();
    void OnStop();
    void OnUseSelectedCase();
    void OnSaveLog();
    void OnClearStatus();
    void OnSetCustomSmsc();
    void reject() override;

private:
    class Observer;
    void RefreshCases();

    Prompter& m_prompter;
    ConnectionTestController m_controller;
    std::unique_ptr<Observer> m_observer;
    std::atomic<int> m_pending{0};
    bool m_closing = false;

    QTableWidget* m_deviceList;
    QTableWidget* m_caseList;
    QLineEdit* m_phoneField;
    QLineEdit* m_customField;
    QLabel* m_status;
};
