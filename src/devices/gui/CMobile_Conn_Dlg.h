#pragma once

#include <QDialog>

// "GSM Mobile Device Connection Steps...": how to connect a phone or modem, then "Next" to the device
// selection or "Cancel".
class CMobile_Conn_Dlg final : public QDialog {
    Q_OBJECT
public:
    explicit CMobile_Conn_Dlg(QWidget* parent = nullptr);
};
