#include "devices/gui/DeviceWindows.h"

#include "composer/gui/CVRIX_Bulk_SMSDlg.h"
#include "devices/gui/CMobile_Conn_Dlg.h"
#include "devices/gui/CPhone_List_Dlg.h"
#include "devices/gui/CSelected_Device_Details_GSM.h"
#include "ui/ListWork.h"

#include <QLabel>

namespace {
const QString kImportingPhonebook = QStringLiteral("Importing contacts from phone, Please wait ...");
} // namespace

DeviceWindows::DeviceWindows(CVRIX_Bulk_SMSDlg& main, ListWork& work, Prompter& prompter, DemoModems& demos)
    : QObject(&main), m_main(main), m_work(work), m_prompter(prompter), m_demos(demos) {}

void DeviceWindows::OnConnectionWizard() {
    CMobile_Conn_Dlg steps(&m_main);
    if (steps.exec() != QDialog::Accepted)
        return;
    Session& session = m_main.UserSession();
    session.ForgetDevices();
    m_main.RefreshDevices();
    m_main.Form().wizardLink->setVisible(false);
    DeviceSelectionController::Options options;
    options.timing = session.Timing();
    options.rememberedImeis = session.Settings().ChosenImeis();
    CPhone_List_Dlg selection(session.Devices(), m_prompter, m_demos, options, &m_main);
    if (selection.exec() == QDialog::Accepted)
        session.RememberChosenDevices();
    m_main.RefreshDevices();
}

void DeviceWindows::OnDeviceDetails() {
    Session& session = m_main.UserSession();
    if (session.Devices().DeviceCount() == 0)
        return;
    CSelected_Device_Details_GSM::Options options;
    options.testMessage.timing = session.Timing();
    options.testMessage.collection = &session.DeviceWindowCollection();
    options.timing = session.Timing();
    options.nonOverlapped = session.SendOptions().NonOverlapped();
    options.loadPhonebook = [this](int slot) { OnLoadPhonebook(slot); };
    CSelected_Device_Details_GSM details(session.Devices(), m_prompter, options, &m_main);
    details.exec();
    m_main.RefreshDevices();
}

void DeviceWindows::OnLoadPhonebook(int slot) {
    if (m_main.IsListBusy())
        return;
    Session* session = &m_main.UserSession();
    const std::optional<QString> port = session->PhonebookPort(slot);
    if (!port)
        return;
    m_work.Run<PhonebookRead>(
        kImportingPhonebook, [session, port = *port] { return session->ReadPhonebook(port); },
        [this, session](PhonebookRead read) {
            session->AddPhonebook(read);
            m_main.RefreshList();
        });
}
