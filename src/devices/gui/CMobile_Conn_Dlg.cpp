#include "devices/gui/CMobile_Conn_Dlg.h"

#include "ui/DialogButtons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CMobile_Conn_Dlg::CMobile_Conn_Dlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CMobile_Conn_Dlg"));
    setWindowTitle(QStringLiteral("GSM Mobile Device Connection Steps..."));
    auto* layout = new QVBoxLayout(this);
    auto* steps = new QLabel(QStringLiteral(
        "<b>Connect your GSM mobile phone or GSM modem to this computer:</b>"
        "<ol>"
        "<li>Install the drivers of your device, if it needs any (most USB modems work without).</li>"
        "<li>Connect the device with its USB data cable and switch it on; unlock its SIM card.</li>"
        "<li>Make sure no other program uses the device's serial port (a dial-up or modem manager may hold it),"
        " and that your user may open serial ports (membership of the <i>dialout</i> group).</li>"
        "<li>Press <b>Next</b>: the wizard searches the serial ports for devices that can send SMS.</li>"
        "</ol>"
        "No device at hand? The next window can add a <b>demo modem</b>, a simulated modem inside this program,"
        " or a port by its path."));
    steps->setWordWrap(true);
    steps->setTextFormat(Qt::RichText);
    layout->addWidget(steps, 1);
    auto* next = new QPushButton(QStringLiteral("Next"));
    layout->addLayout(DefaultAndCancelRow(this, next));
    connect(next, &QPushButton::clicked, this, &QDialog::accept);
    resize(560, 320);
}
