#include "composer/gui/ContactLoader.h"

#include "excel_import/gui/CExcel_Info_Dlg.h"
#include "session/Session.h"
#include "ui/ListWork.h"

namespace {
// The please-wait text of "Load Contacts From File", text files and workbooks alike.
const QString kImportingContacts = QStringLiteral("Importing contacts from file, Please wait ...");
} // namespace

ContactLoader::ContactLoader(Session& session, ListWork& work, Prompter& prompter, QWidget* owner)
    : QObject(owner), m_session(session), m_work(work), m_prompter(prompter), m_owner(owner) {}

void ContactLoader::Load(const QString& path) {
    Session* session = &m_session;
    switch (session->ClassifyContactFile(path)) {
    case Session::ContactFile::None:
    case Session::ContactFile::Refused:
        return;
    case Session::ContactFile::Workbook:
        LoadWorkbook(path);
        return;
    case Session::ContactFile::Text:
        break;
    }
    m_work.Run<ContactTextImport::Outcome>(
        kImportingContacts, [session, path] { return session->ImportContactText(path); },
        [session](ContactTextImport::Outcome outcome) { session->ReportContactText(outcome); });
}

void ContactLoader::LoadWorkbook(const QString& path) {
    using SheetNames = std::pair<ReaderStatus, QStringList>;
    Session* session = &m_session;
    m_work.Begin(kImportingContacts);
    UiTask::Run<SheetNames>(
        this,
        [path] {
            SheetNames names;
            names.first = Session::ReadSheetNames(path, &names.second);
            return names;
        },
        [this, session, path](SheetNames names) {
            if (!names.first.Ok()) {
                m_work.End();
                session->ReportReaderFailure(names.first);
                return;
            }
            m_work.StepAside();
            auto* picker = new CExcel_Info_Dlg(path, names.second, m_prompter, ReaderLimits(), m_owner);
            connect(picker, &QDialog::finished, this, [this, session, picker, path](int result) {
                picker->deleteLater();
                if (result != QDialog::Accepted) {
                    m_work.End();
                    return;
                }
                const ExcelInfoController::Choice choice = picker->Chosen();
                m_work.Run<ContactWorkbookImport::Outcome>(
                    kImportingContacts, [session, path, choice] { return session->ImportContactWorkbook(path, choice); },
                    [session](ContactWorkbookImport::Outcome outcome) { session->ReportContactWorkbook(outcome); });
            });
            picker->open();
        });
}
