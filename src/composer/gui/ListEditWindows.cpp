#include "composer/gui/ListEditWindows.h"

#include "composer/gui/CFill_Msg_In_List.h"
#include "composer/gui/CManually_Multiple_Num_Add.h"
#include "composer/gui/CUpdate_Num_Message.h"
#include "composer/gui/CUpdate_Selected_Item_SMS.h"
#include "composer/gui/CVRIX_Bulk_SMSDlg.h"
#include "ui/CPlease_Wail_Modeless.h"
#include "ui/ListWork.h"
#include "ui/RecipientTableModel.h"

#include <QTableView>

ListEditWindows::ListEditWindows(CVRIX_Bulk_SMSDlg& main, ListWork& work) : QObject(&main), m_main(main), m_work(work) {}

void ListEditWindows::OnManualAdd() {
    if (m_main.IsListBusy() || !m_main.PrepareListFill())
        return;
    Session* session = &m_main.UserSession();
    const qsizetype before = session->List().Count();
    auto* window = new CManually_Multiple_Num_Add(session->ListEdit(), &m_main);
    connect(window, &QDialog::finished, this, [this, session, window, before](int result) {
        window->deleteLater();
        if (result != QDialog::Accepted)
            return;
        const QString text = window->Text();
        m_work.Run(
            CPlease_Wail_Modeless::kDefaultText,
            [session, text] {
                const QString composerText = session->Composer().Text();
                static_cast<void>(session->ListEdit().AddManualNumbers(text, composerText, session->CheckOptions()));
            },
            [session, before] { static_cast<void>(session->ListEdit().ReportManualOutcome(before)); });
    });
    window->open();
}

void ListEditWindows::OnApplyMessage() {
    if (m_main.IsListBusy())
        return;
    Session& session = m_main.UserSession();
    const QString text = session.Composer().Text();
    const ListEditFocus focus = session.ListEdit().MayFillMessage(text);
    if (focus != ListEditFocus::None) {
        m_main.Form().Focus(focus);
        return;
    }
    auto* window = new CFill_Msg_In_List(session.ListEdit(), text, m_main.Form().SelectedRows(), &m_main);
    connect(window, &QDialog::finished, this, [this, window, text](int result) {
        if (result == QDialog::Accepted) {
            m_main.UserSession().ListEdit().FillAccepted(text);
            m_main.ListModel().RowsEdited();
        }
        window->deleteLater();
    });
    window->open();
}

void ListEditWindows::OnUpdateSelected() {
    std::vector<qsizetype> rows = m_main.Form().SelectedRows();
    ListEditController& edit = m_main.UserSession().ListEdit();
    ListEditFocus focus = ListEditFocus::None;
    if (!edit.MayUpdateSelected(m_main.IsListBusy(), static_cast<qsizetype>(rows.size()), &focus)) {
        m_main.Form().Focus(focus);
        return;
    }
    auto* window = new CUpdate_Selected_Item_SMS(edit, std::move(rows), &m_main);
    connect(window, &QDialog::finished, this, [this, window](int result) {
        if (result == QDialog::Accepted)
            m_main.ListModel().RowsEdited();
        window->deleteLater();
    });
    window->open();
}

void ListEditWindows::OnUpdateRow() {
    if (m_main.IsSending() || m_main.IsListBusy())
        return;
    Session& session = m_main.UserSession();
    const std::vector<qsizetype> rows = m_main.Form().SelectedRows();
    const auto edit = session.ListEdit().RowToEdit(rows.empty() ? -1 : rows.front());
    if (!edit)
        return;
    auto* window = new CUpdate_Num_Message(session.ListEdit(), *edit, session.CheckOptions(), &m_main);
    connect(window, &QDialog::finished, this, [this, window](int result) {
        if (result == QDialog::Accepted) {
            m_main.UserSession().ListEdit().WriteRow(window->Row(), window->Number(), window->Message());
            m_main.ListModel().RowsEdited();
            m_main.RefreshCount();
            m_main.Form().listView->setFocus();
        }
        window->deleteLater();
    });
    window->open();
}
