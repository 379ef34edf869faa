#include "templates/gui/CViewTemplates.h"

#include "excel_import/gui/CExcel_Info_Dlg.h"
#include "records/gui/COpen_Export_Log.h"
#include "templates/TemplateExport.h"
#include "templates/gui/CUpdateTemp.h"
#include "templates/gui/TemplatesTableModel.h"
#include "ui/CPlease_Wail_Modeless.h"
#include "ui/DialogButtons.h"
#include "ui/ListViews.h"
#include "ui/ListWork.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The save dialog's filters, in the order of ExportFormat.
const QStringList kExportFilters{QStringLiteral("Excel(97-2003) Files(*.xls)"), QStringLiteral("Excel Files(*.xlsx)"),
                                 QStringLiteral("Text Files(*.txt)"), QStringLiteral("Html Files(*.html)")};

} // namespace

CViewTemplates::CViewTemplates(const DataPaths& paths, Prompter& prompter, FileOpener& opener, QPlainTextEdit* composer,
                               QWidget* parent)
    : QDialog(parent), m_opener(opener), m_prompter(prompter), m_controller(paths, prompter),
      m_import(m_controller, prompter), m_composer(composer), m_model(new TemplatesTableModel(this)),
      m_list(new QTableView), m_total(new QLabel) {
    setObjectName(QStringLiteral("CViewTemplates"));
    setWindowTitle(QStringLiteral("Templates"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    m_work = new ListWork(this, [this] { RefreshCount(); });

    m_list->setObjectName(QStringLiteral("TemplateList"));
    m_list->setModel(m_model);
    SetUpListView(m_list);
    m_list->setColumnWidth(0, TemplatesTableModel::kColumnWidth);
    m_list->setMinimumWidth(TemplatesTableModel::kColumnWidth + 24);
    m_list->installEventFilter(this);
    m_total->setText(TemplatesController::CountText(0));

    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    left->addWidget(m_list, 1);
    left->addWidget(m_total);
    layout->addLayout(left, 1);
    auto* buttons = new QVBoxLayout;
    const auto add = [this, buttons](const QString& caption, void (CViewTemplates::*slot)()) {
        QPushButton* button = CommandButton(caption);
        button->setMinimumWidth(button->sizeHint().width() + 16);
        buttons->addWidget(button);
        connect(button, &QPushButton::clicked, this, slot);
    };
    add(QStringLiteral("Add New"), &CViewTemplates::OnAddNew);
    add(QStringLiteral("Update"), &CViewTemplates::OnUpdate);
    add(QStringLiteral("Use Template"), &CViewTemplates::OnUseTemplate);
    buttons->addSpacing(12);
    add(QStringLiteral("Clear Selected"), &CViewTemplates::OnClearSelected);
    add(QStringLiteral("Clear All"), &CViewTemplates::OnClearAll);
    buttons->addSpacing(12);
    add(QStringLiteral("Import Templates"), &CViewTemplates::OnImport);
    add(QStringLiteral("Export Templates"), &CViewTemplates::OnExport);
    buttons->addStretch(1);
    add(QStringLiteral("Close"), &CViewTemplates::OnClose);
    layout->addLayout(buttons);
    resize(680, 440);

    connect(m_list, &QAbstractItemView::doubleClicked, this, &CViewTemplates::OnUpdate);
}

CViewTemplates::~CViewTemplates() = default;

bool CViewTemplates::IsBusy() const {
    return m_work->IsBusy();
}

QPushButton* CViewTemplates::Button(const QString& caption) const {
    return findChild<QPushButton*>(caption);
}

CUpdateTemp* CViewTemplates::TemplateDialog() const {
    return m_dialog && m_dialog->isVisible() ? m_dialog.data() : nullptr;
}

void CViewTemplates::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_loaded && !IsBusy())
        Load();
}

void CViewTemplates::Load() {
    m_loaded = true;
    TemplatesController* controller = &m_controller;
    m_work->Run(
        CPlease_Wail_Modeless::kDefaultText, [controller] { static_cast<void>(controller->Load()); },
        [this] {
            ShowRows(0);
            m_list->setFocus();
        });
}

void CViewTemplates::ShowRows(int selectRow) {
    m_model->Show(m_controller.Rows());
    RefreshCount();
    if (m_model->rowCount() == 0)
        return;
    const int row = std::clamp(selectRow, 0, m_model->rowCount() - 1);
    m_list->setCurrentIndex(m_model->index(row, 0));
    m_list->selectRow(row);
}

void CViewTemplates::RefreshCount() {
    // While an import runs the controller's list belongs to the worker: the count is the one before it plus
    // what it added so far.
    const qsizetype count = m_importBase ? *m_importBase + m_import.Added() : m_model->rowCount();
    m_total->setText(TemplatesController::CountText(count));
}

// ---- Adding and changing ----

void CViewTemplates::OnAddNew() {
    if (IsBusy() || TemplateDialog() != nullptr)
        return;
    m_dialog = new CUpdateTemp(CUpdateTemp::Mode::Add, m_controller.Rows(), -1, m_prompter, this);
    CUpdateTemp* dialog = m_dialog;
    connect(dialog, &QDialog::finished, this, [this, dialog](int result) {
        dialog->deleteLater();
        if (result == QDialog::Accepted && m_controller.AddNew(dialog->Text()))
            ShowRows(0);
    });
    dialog->open();
}

void CViewTemplates::OnUpdate() {
    if (IsBusy() || TemplateDialog() != nullptr)
        return;
    const std::vector<qsizetype> rows = SelectedRows(m_list);
    if (!m_controller.MayUpdate(rows))
        return;
    const qsizetype row = rows.front();
    m_dialog = new CUpdateTemp(CUpdateTemp::Mode::Update, m_controller.Rows(), row, m_prompter, this);
    CUpdateTemp* dialog = m_dialog;
    connect(dialog, &QDialog::finished, this, [this, dialog, row](int result) {
        dialog->deleteLater();
        if (result == QDialog::Accepted && m_controller.Update(row, dialog->Text()))
            ShowRows(static_cast<int>(m_controller.Rows().indexOf(dialog->Text())));
    });
    dialog->open();
}

void CViewTemplates::OnClearSelected() {
    if (IsBusy())
        return;
    const std::vector<qsizetype> rows = SelectedRows(m_list);
    if (!m_controller.MayClearSelected(rows))
        return;
    const int mark = std::max(0, m_list->currentIndex().row());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    static_cast<void>(m_controller.RemoveRows(rows)); // a failure shows its file error; the list is shown anew
    ShowRows(mark);
    QApplication::restoreOverrideCursor();
}

void CViewTemplates::OnClearAll() {
    if (!IsBusy() && m_controller.ClearAll())
        ShowRows(0);
}

void CViewTemplates::OnUseTemplate() {
    if (IsBusy() || m_composer == nullptr)
        return;
    const QTextCursor cursor = m_composer->textCursor();
    const std::optional<QString> text = m_controller.UseTemplate(SelectedRows(m_list), m_composer->toPlainText(),
                                                                 cursor.selectionStart(), cursor.selectionEnd());
    if (!text)
        return;
    m_composer->setPlainText(QString(*text).replace(QLatin1String("\r\n"), QStringLiteral("\n")));
    m_composer->moveCursor(QTextCursor::End);
    m_composer->setFocus();
    m_controller.ReportUsed();
}

// ---- Import and export ----

void CViewTemplates::OnImport() {
    if (IsBusy())
        return;
    QString filter = QStringLiteral("Excel Files(*.xls *.xlsx)");
    const QString path = m_chooser.open(this, QStringLiteral("Import Templates"), filter, &filter);
    if (!path.isEmpty())
        ImportFrom(path);
}

void CViewTemplates::ImportFrom(const QString& path) {
    if (IsBusy() || !m_import.CheckFile(path))
        return;
    using SheetNames = std::pair<bool, QStringList>;
    TemplateWorkbookImport* import = &m_import;
    m_work->Begin(TemplateWorkbookImport::kPleaseWait);
    UiTask::Run<SheetNames>(
        this,
        [import, path] {
            SheetNames names;
            names.first = import->ReadSheetNames(path, &names.second);
            return names;
        },
        [this, import, path](SheetNames names) {
            if (!names.first) {
                m_work->End();
                return;
            }
            m_work->StepAside();
            auto* picker = new CExcel_Info_Dlg(path, names.second, m_prompter, ReaderLimits(), this);
            connect(picker, &QDialog::finished, this, [this, import, picker, path](int result) {
                picker->deleteLater();
                if (result != QDialog::Accepted) {
                    m_work->End();
                    return;
                }
                const ExcelInfoController::Choice choice = picker->Chosen();
                m_importBase = m_model->rowCount();
                m_work->Run<TemplateWorkbookImport::Outcome>(
                    TemplateWorkbookImport::kPleaseWait, [import, path, choice] { return import->Run(path, choice); },
                    [this](const TemplateWorkbookImport::Outcome&) {
                        m_importBase.reset();
                        ShowRows(0);
                    });
            });
            picker->open();
        });
}

void CViewTemplates::OnExport() {
    if (IsBusy())
        return;
    if (m_controller.Rows().isEmpty()) {
        m_prompter.Notice(TemplatesController::kEmptyList);
        return;
    }
    QString selected = kExportFilters.first();
    const QString path =
        m_chooser.save(this, QStringLiteral("Export Templates"), kExportFilters.join(QStringLiteral(";;")), &selected);
    if (path.isEmpty())
        return;
    const ExportFormat format = TemplateExport::FormatOfFilterIndex(static_cast<int>(kExportFilters.indexOf(selected)))
                                    .value_or(ExportFormat::Xls);
    ExportTo(TemplateExport::PathWithExtension(path, format), format);
}

void CViewTemplates::ExportTo(const QString& path, ExportFormat format) {
    if (IsBusy())
        return;
    Prompter* prompter = &m_prompter;
    m_work->Run<ExportResult>(
        CPlease_Wail_Modeless::kDefaultText,
        [rows = m_controller.Rows(), path, format, prompter] {
            return TemplateExport::Write(rows, path, format, *prompter);
        },
        [this, path](ExportResult result) {
            if (!result.Ok()) {
                m_prompter.Notice(result.message);
                return;
            }
            auto* done = new COpen_Export_Log(m_opener, path, result.message, this);
            done->setAttribute(Qt::WA_DeleteOnClose);
            done->open();
        });
}

// ---- Keys and closing ----

bool CViewTemplates::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        OnClearSelected();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CViewTemplates::OnClose() {
    if (!IsBusy()) // every change is in the store already
        QDialog::done(QDialog::Accepted);
}

void CViewTemplates::reject() {
    OnClose();
}

void CViewTemplates::closeEvent(QCloseEvent* event) {
    event->ignore();
    OnClose();
}
