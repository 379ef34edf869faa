#pragma once

#include "devices/DeviceSelectionController.h"

#include <QDialog>

#include <atomic>
#include <memory>

class DemoModems;
class Prompter;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;

// "Mobile Phone Connection Wizard": the port scan with its progress, the devices found, their details, SMS
// mode and custom SMSC, the test message, and "Use Selected Device to Send SMS" for one or several rows (one
// run can then use several modems). Demo modems and ports named by path join the scan. A view over
// DeviceSelectionController; whatever may wait on a device runs on a pool thread while the window is
// disabled, so the scan's and the checks' questions reach the user through the Prompter.
class CPhone_List_Dlg final : public QDialog {
    Q_OBJECT
public:
    CPhone_List_Dlg(MainDeviceState& devices, Prompter& prompter, DemoModems& demos,
                    DeviceSelectionController::Options options, QWidget* parent = nullptr,
                    DeviceSelectionController::PortSource ports = {});
    ~CPhone_List_Dlg() override;

    DeviceSelectionController& Controller() { return *m_controller; }
    QTableWidget* DeviceList() const { return m_deviceList; }
    QTableWidget* DetailsList() const { return m_detailsList; }
    // Every port the last scan tried and its outcome ("Port tried", "Outcome").
    QTableWidget* PortList() const { return m_portList; }
    QPushButton* Button(const QString& objectName) const;
    QCheckBox* CustomSmscCheck() const { return m_customCheck; }
    QLineEdit* CustomSmscField() const { return m_customField; }
    QLineEdit* PhoneField() const { return m_phoneField; }
    bool IsBusy() const { return m_busy; }


public Q_SLOTS:
    void OnSearchAgain();
    void OnStop();
    void OnUseSelectedDevice();
    void OnContinueWithout();
    void OnAddDemoModem();
    void OnAddPortByPath();
    void OnSendTest();
    void OnSaveCustomSmsc();
    void OnResetCustomSmsc();
    void OnCopyDetails();
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    class Observer;
    void RefreshRows();
    void ShowDetails();
    int CurrentRow() const;
    std::vector<int> SelectedRows() const;
    DeviceSelectionController::CustomSmscChoice CustomChoice() const;
    void SetScanning(bool scanning);
    void AddPortOutcome(const QString& port, const QString& outcome);
    void RunBusy(std::function<bool()> work, std::function<void(bool)> done);

    Prompter& m_prompter;
    DemoModems& m_demos;
    std::unique_ptr<Observer> m_observer;
    std::unique_ptr<DeviceSelectionController> m_controller;
    bool m_started = false;
    bool m_busy = false;
    std::atomic<int> m_pending{0};

    QTableWidget* m_deviceList;
    QTableWidget* m_detailsList;
    QTableWidget* m_portList;
    QProgressBar* m_progress;
    QLabel* m_scanLabel;
    QRadioButton* m_pdu;
    QRadioButton* m_text;
    QCheckBox* m_customCheck;
    QLineEdit* m_customField;
    QLineEdit* m_phoneField;
};
