#include "composer/gui/ImportWindows.h"

#include "app/FileOpener.h"
#include "composer/gui/CVRIX_Bulk_SMSDlg.h"
#include "excel_import/gui/CDynamic_Excel_Msg.h"
#include "exclusion/gui/CExclusion_Wizard.h"
#include "ui/CPlease_Wail_Modeless.h"
#include "ui/ListWork.h"

#include <QDesktopServices>
#include <QUrl>

ImportWindows::ImportWindows(CVRIX_Bulk_SMSDlg& main, ListWork& work, Prompter& prompter)
    : QObject(&main), m_main(main), m_work(work), m_prompter(prompter),
      m_opener(std::make_unique<FileOpener>(
          prompter, [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); })) {}

ImportWindows::~ImportWindows() = default;

void ImportWindows::OnExcelWizard() {
    if (m_main.IsListBusy() || !m_main.PrepareListFill())
        return;
    Session* session = &m_main.UserSession();
    auto* wizard = new CDynamic_Excel_Msg(m_prompter, &m_main);
    wizard->SetTarget(&session->List(), [session] { return session->CheckOptions(); });
    connect(wizard, &QDialog::finished, this, [this, wizard] {
        wizard->deleteLater();
        m_main.RefreshList();
    });
    wizard->open();
}

void ImportWindows::OnExclusion() {
    if (m_main.IsListBusy())
        return;
    Session* session = &m_main.UserSession();
    auto* wizard = new CExclusion_Wizard(session->ExclusionFiles(), m_prompter, *m_opener, &m_main);
    connect(wizard, &QDialog::finished, this, [this, session, wizard] {
        wizard->deleteLater();
        if (!wizard->StoredChanged() || !session->SendOptions().UseExclusion() || m_main.IsListBusy())
            return;
        m_work.Run<ExclusionSetLoad>(
            CPlease_Wail_Modeless::kDefaultText, [session] { return session->ReadExclusionSet(); },
            [session](ExclusionSetLoad load) { session->UseExclusionSet(std::move(load)); });
    });
    wizard->open();
}
