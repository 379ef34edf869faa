#pragma once

#include <QObject>

class CVRIX_Bulk_SMSDlg;
class DemoModems;
class ListWork;
class Prompter;

// The main window's device commands: the connection wizard (steps, then the device selection), the selected
// device's details window, and "Load Phone Book" from there into the Recipient list on a list worker. Each
// device window takes the session's timing and transport choice. After the wizard, the devices chosen are
// remembered by IMEI, and the next wizard selects them again when it finds them.
class DeviceWindows final : public QObject {
public:
    DeviceWindows(CVRIX_Bulk_SMSDlg& main, ListWork& work, Prompter& prompter, DemoModems& demos);

    void OnConnectionWizard();
    void OnDeviceDetails();
    void OnLoadPhonebook(int slot);

private:
    CVRIX_Bulk_SMSDlg& m_main;
    ListWork& m_work;
    Prompter& m_prompter;
    DemoModems& m_demos;
};
