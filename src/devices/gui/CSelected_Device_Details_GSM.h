#pragma once

#include "devices/DeviceDetailsController.h"
#include "modem/ModemTiming.h"

#include <QDialog>

#include <atomic>
#include <functional>

class MainDeviceState;
class Prompter;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

// "Selected Device Details": the main window's devices with their settings, the selected one's details,
// its custom SMSC and SMS mode, the test message, the way to the connection test, and "Load Phone Book"
// (the main window hides its own button for it). A view over DeviceDetailsController; the test message runs
// on a pool thread while the window is disabled.
class CSelected_Device_Details_GSM final : public QDialog {
    Q_OBJECT
public:
    struct Options {
        DeviceTestMessage::Options testMessage;
        ModemTiming timing = ModemTiming::Fast();
        bool nonOverlapped = false; // the main window's "Sent Non Overlapped"
        // "Load Phone Book" for a device slot; set by the main window (the command belongs to it).
        std::function<void(int slot)> loadPhonebook;
    };

    CSelected_Device_Details_GSM(MainDeviceState& devices, Prompter& prompter, Options options,
                                 QWidget* parent = nullptr);
    ~CSelected_Device_Details_GSM() override;

    QTableWidget* DeviceList() const { return m_deviceList; }
    QTableWidget* DetailsList() const { return m_detailsList; }
    QLineEdit* CustomSmscField() const { return m_customField; }
    QLineEdit* PhoneField() const { return m_phoneField; }
    QPushButton* Button(const QString& objectName) const;
    bool IsBusy() const { return m_busy; }
    // The selected row's slot, or -1.
    int CurrentSlot() const;

public Q_SLOTS:
    void OnSaveCustomSmsc();
    void OnResetCustomSmsc();
    void OnSendTest();
    void OnAdvancedTroubleshooting();
    void OnLoadPhonebook();

private:
    void RefreshRows();
    void ShowDetails();
    void OnModeClicked(int smsMode);

    MainDeviceState& m_devices;
    Prompter& m_prompter;
    Options m_options;
    DeviceDetailsController m_controller;
    bool m_busy = false;
    std::atomic<int> m_pending{0};

    QTableWidget* m_deviceList;
    QTableWidget* m_detailsList;
    QLineEdit* m_portField;
    QLineEdit* m_customField;
    QLineEdit* m_phoneField;
    QRadioButton* m_pdu;
    QRadioButton* m_text;
};
