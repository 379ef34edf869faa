#include "exclusion/gui/CExclusion_Wizard.h"

#include "excel_import/gui/CExcel_Info_Dlg.h"
#include "exclusion/gui/CUpdate_Ex_Num.h"
#include "records/gui/COpen_Export_Log.h"
#include "ui/DialogButtons.h"
#include "ui/ListWork.h"
#include "ui/ListWorkRunner.h"
#include "ui/NumberEdit.h"
#include "ui/StringColumnModel.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

using Field = ExclusionWizardController::Field;
using Page = ExclusionWizardController::Page;

// The selected rows of a view, ascending, each once. A whole selection of a million rows is one range: the
// rows are written out at once, and sorted only when the ranges come out of order.
std::vector<qsizetype> SelectedRows(const QTableView* view) {
    const QItemSelection selection = view->selectionModel()->selection();
    qsizetype count = 0;
    for (const QItemSelectionRange& range : selection)
        count += range.height();
    std::vector<qsizetype> rows(static_cast<std::size_t>(count));
    qsizetype* out = rows.data();
    bool ascending = true;
    for (const QItemSelectionRange& range : selection) {
        ascending = ascending && (out == rows.data() || out[-1] < range.top());
        for (int row = range.top(); row <= range.bottom(); ++row)
            *out++ = row;
    }
    if (!ascending) {
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    }
    return rows;
}

QList<int> SelectedNameRows(const QTableView* view) {
    QList<int> rows;
    for (const qsizetype row : SelectedRows(view))
        rows << static_cast<int>(row);
    return rows;
}

QLabel* WrappedLabel(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// A dialog filter "Name(*.a;*.b)|*.a;*.b|..." as Qt writes it: "Name(*.a *.b);;...".
QString QtFilter(const QString& filter) {
    QStringList parts = filter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList names;
    for (qsizetype i = 0; i < parts.size(); i += 2)
        names << QString(parts.at(i)).replace(QLatin1Char(';'), QLatin1Char(' '));
    return names.join(QStringLiteral(";;"));
}

} // namespace

CExclusion_Wizard::CExclusion_Wizard(ExclusionStore& store, Prompter& prompter, FileOpener& opener, QWidget* parent,
                                     const ReaderLimits& limits)
    : QDialog(parent), m_prompter(prompter), m_opener(opener), m_work(new ListWork(this, [this] { RefreshCount(); })),
      m_availableModel(new StringColumnModel(ExclusionWizardController::kAvailableHeader, this)),
      m_appliedModel(new StringColumnModel(ExclusionWizardController::kAppliedHeader, this)),
      m_numbersModel(new StringColumnModel(ExclusionWizardController::kNumbersHeader, this)) {
    setObjectName(QStringLiteral("CExclusion_Wizard"));
    setWindowTitle(ExclusionWizardController::kTitle);
    ExclusionWizardController::Hooks hooks;
    hooks.run = ListWorkRunner(*m_work, [this] { Refresh(); });
    hooks.pickColumns = [this](const QString& path, const QStringList& sheets,
                               std::function<void(ExclusionWizardController::ColumnChoice)> chosen) {
        PickColumns(path, sheets, std::move(chosen));
    };
    hooks.exported = [this](const QString& path, const QString& message) {
        auto* done = new COpen_Export_Log(m_opener, path, message, this);
        done->setAttribute(Qt::WA_DeleteOnClose);
        done->open();
    };
    m_controller = std::make_unique<ExclusionWizardController>(store, prompter, std::move(hooks), limits);

    auto* layout = new QVBoxLayout(this);
    m_pages = new QStackedWidget;
    m_pages->addWidget(BuildListsPage());
    m_pages->addWidget(BuildNamePage());
    m_pages->addWidget(BuildNumbersPage());
    layout->addWidget(m_pages);
    setMinimumSize(640, 520);

    m_controller->Open();
    Refresh();
    m_availableView->setFocus();
}

CExclusion_Wizard::~CExclusion_Wizard() = default;

QPushButton* CExclusion_Wizard::AddButton(QWidget* page, const QString& caption, void (CExclusion_Wizard::*slot)()) {
    QPushButton* button = CommandButton(caption);
    button->setParent(page);
    connect(button, &QPushButton::clicked, this, slot);
    return button;
}

QPushButton* CExclusion_Wizard::Button(const QString& caption) const {
    return m_pages->currentWidget()->findChild<QPushButton*>(caption);
}

QTableView* CExclusion_Wizard::ListView(StringColumnModel* model) {
    auto* view = new QTableView;
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    // Every row the same height, so a million of them lay out at once.
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setStretchLastSection(true);
    view->horizontalHeader()->setHighlightSections(false);
    view->setShowGrid(false);
    view->setWordWrap(false);
    view->installEventFilter(this);
    return view;
}

// ---- Pages ----

QWidget* CExclusion_Wizard::BuildListsPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(WrappedLabel(ExclusionWizardController::kListsText));
    auto* lists = new QHBoxLayout;
    m_availableView = ListView(m_availableModel);
    m_availableView->setObjectName(QStringLiteral("AvailableLists"));
    m_appliedView = ListView(m_appliedModel);
    m_appliedView->setObjectName(QStringLiteral("AppliedLists"));
    lists->addWidget(m_availableView, 1);
    auto* moves = new QVBoxLayout;
    moves->addStretch(1);
    moves->addWidget(AddButton(page, QStringLiteral("Add >>"), &CExclusion_Wizard::OnAdd));
    moves->addWidget(AddButton(page, QStringLiteral("Add All >>"), &CExclusion_Wizard::OnAddAll));
    moves->addWidget(AddButton(page, QStringLiteral("<< Remove"), &CExclusion_Wizard::OnRemove));
    moves->addWidget(AddButton(page, QStringLiteral("<< Remove All"), &CExclusion_Wizard::OnRemoveAll));
    moves->addStretch(1);
    lists->addLayout(moves);
    lists->addWidget(m_appliedView, 1);
    layout->addLayout(lists, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(AddButton(page, QStringLiteral("Add New"), &CExclusion_Wizard::OnAddNew));
    buttons->addWidget(AddButton(page, QStringLiteral("Update"), &CExclusion_Wizard::OnUpdate));
    buttons->addWidget(AddButton(page, QStringLiteral("Delete"), &CExclusion_Wizard::OnDelete));
    buttons->addStretch(1);
    buttons->addWidget(AddButton(page, QStringLiteral("Save"), &CExclusion_Wizard::OnSaveApplied));
    buttons->addWidget(AddButton(page, QStringLiteral("Close"), &CExclusion_Wizard::OnClose));
    layout->addLayout(buttons);
    connect(m_availableView, &QTableView::doubleClicked, this, &CExclusion_Wizard::OnUpdate);
    connect(m_appliedView, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        Focus(m_controller->UpdateApplied(index.row()));
        Refresh();
    });
    return page;
}

QWidget* CExclusion_Wizard::BuildNamePage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(WrappedLabel(ExclusionWizardController::kNameText));
    layout->addWidget(new QLabel(ExclusionWizardController::kNameExampleCaption));
    auto* example = new QLabel(ExclusionWizardController::kNameExample);
    example->setContentsMargins(20, 0, 0, 12);
    layout->addWidget(example);
    auto* row = new QHBoxLayout;
    m_name = new QLineEdit;
    m_name->setObjectName(QStringLiteral("ListName"));
    m_name->setMaxLength(static_cast<int>(kMaxListNameLength));
    auto* label = new QLabel(ExclusionWizardController::kNameLabel);
    label->setBuddy(m_name);
    row->addWidget(label);
    row->addWidget(m_name, 1);
    layout->addLayout(row);
    layout->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(AddButton(page, QStringLiteral("< Back"), &CExclusion_Wizard::OnNameBack));
    buttons->addWidget(AddButton(page, QStringLiteral("Next >"), &CExclusion_Wizard::OnNameNext));
    buttons->addWidget(AddButton(page, QStringLiteral("Close"), &CExclusion_Wizard::OnClose));
    layout->addLayout(buttons);
    connect(m_name, &QLineEdit::returnPressed, this, &CExclusion_Wizard::OnNameNext);
    return page;
}

QWidget* CExclusion_Wizard::BuildNumbersPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    m_currentList = new QLabel;
    m_currentList->setObjectName(QStringLiteral("CurrentList"));
    QFont bold = m_currentList->font();
    bold.setBold(true);
    m_currentList->setFont(bold);
    layout->addWidget(m_currentList);

    auto* nameRow = new QHBoxLayout;
    m_numbersName = new QLineEdit;
    m_numbersName->setReadOnly(true);
    m_numbersName->setMaxLength(static_cast<int>(kMaxListNameLength));
    nameRow->addWidget(new QLabel(ExclusionWizardController::kNameLabel));
    nameRow->addWidget(m_numbersName, 1);
    layout->addLayout(nameRow);

    auto* numberRow = new QHBoxLayout;
    m_number = new NumberEdit;
    m_number->setObjectName(QStringLiteral("Number"));
    auto* numberLabel = new QLabel(ExclusionWizardController::kNumberLabel);
    numberLabel->setBuddy(m_number);
    numberRow->addWidget(numberLabel);
    numberRow->addWidget(m_number, 1);
    numberRow->addWidget(AddButton(page, QStringLiteral("Add Number"), &CExclusion_Wizard::OnAddNumber));
    layout->addLayout(numberRow);
    connect(m_number, &QLineEdit::returnPressed, this, &CExclusion_Wizard::OnAddNumber);

    auto* numbers = new QHBoxLayout;
    m_numbersView = ListView(m_numbersModel);
    m_numbersView->setObjectName(QStringLiteral("Numbers"));
    numbers->addWidget(m_numbersView, 1);
    auto* side = new QVBoxLayout;
    side->addWidget(AddButton(page, QStringLiteral("Update Number"), &CExclusion_Wizard::OnUpdateNumber));
    side->addWidget(AddButton(page, QStringLiteral("Remove Number"), &CExclusion_Wizard::OnRemoveNumber));
    side->addWidget(AddButton(page, QStringLiteral("Export Number"), &CExclusion_Wizard::OnExport));
    side->addStretch(1);
    numbers->addLayout(side);
    layout->addLayout(numbers, 1);
    connect(m_numbersView, &QTableView::doubleClicked, this, &CExclusion_Wizard::OnUpdateNumber);
    m_count = new QLabel;
    m_count->setObjectName(QStringLiteral("Count"));
    layout->addWidget(m_count);

    auto* fileRow = new QHBoxLayout;
    m_path = new QLineEdit;
    m_path->setObjectName(QStringLiteral("FilePath"));
    fileRow->addWidget(m_path, 1);
    QPushButton* browse = AddButton(page, QStringLiteral("..."), &CExclusion_Wizard::OnBrowse);
    browse->setMaximumWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    fileRow->addWidget(browse);
    fileRow->addWidget(AddButton(page, QStringLiteral("Load"), &CExclusion_Wizard::OnLoad));
    layout->addLayout(fileRow);

    auto* renameRow = new QHBoxLayout;
    m_rename = new QLineEdit;
    m_rename->setObjectName(QStringLiteral("Rename"));
    m_rename->setMaxLength(static_cast<int>(kMaxListNameLength));
    auto* renameLabel = new QLabel(ExclusionWizardController::kRenameLabel);
    renameLabel->setBuddy(m_rename);
    renameRow->addWidget(renameLabel);
    renameRow->addWidget(m_rename, 1);
    renameRow->addWidget(AddButton(page, QStringLiteral("Update Name"), &CExclusion_Wizard::OnUpdateName));
    layout->addLayout(renameRow);
    connect(m_rename, &QLineEdit::returnPressed, this, &CExclusion_Wizard::OnUpdateName);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(AddButton(page, QStringLiteral("< Back"), &CExclusion_Wizard::OnNumbersBack));
    buttons->addWidget(AddButton(page, QStringLiteral("Save"), &CExclusion_Wizard::OnSaveNumbers));
    buttons->addWidget(AddButton(page, QStringLiteral("Close"), &CExclusion_Wizard::OnClose));
    layout->addLayout(buttons);
    return page;
}

// ---- State to controls ----

void CExclusion_Wizard::Refresh() {
    const ExclusionWizardController& c = *m_controller;
    const Page page = c.CurrentPage();
    m_pages->setCurrentIndex(static_cast<int>(page));
    if (m_availableModel->Rows() != c.Available())
        m_availableModel->SetRows(c.Available());
    if (m_appliedModel->Rows() != c.Applied())
        m_appliedModel->SetRows(c.Applied());
    if (!c.IsBusy() && c.NumbersRevision() != m_shownRevision) {
        m_shownRevision = c.NumbersRevision();
        m_numbersModel->SetRows(c.NumbersSnapshot());
    }
    m_currentList->setText(c.CurrentListText());
    m_numbersName->setText(c.CurrentName());
    RefreshCount();
    if (page != m_shownPage) {
        if (page == Page::Name) {
            m_name->setText(c.CurrentName());
            m_name->setFocus();
        } else if (page == Page::Numbers) {
            m_number->clear();
            m_path->clear();
            m_rename->clear();
            m_number->setFocus();
        } else {
            m_availableView->setFocus();
        }
        m_shownPage = page;
    }
    CloseIfDone();
}

void CExclusion_Wizard::RefreshCount() {
    m_count->setText(m_controller->CountText());
}

void CExclusion_Wizard::Focus(Field field) {
    switch (field) {
    case Field::None:
        return;
    case Field::Available:
        m_availableView->setFocus();
        return;
    case Field::Applied:
        m_appliedView->setFocus();
        return;
    case Field::Name:
        m_name->setFocus();
        return;
    case Field::Number:
        m_number->setFocus();
        return;
    case Field::Numbers:
        m_numbersView->setFocus();
        return;
    case Field::Path:
        m_path->setFocus();
        return;
    case Field::Rename:
        m_rename->setFocus();
        return;
    }
}

void CExclusion_Wizard::CloseIfDone() {
    if (m_controller->IsClosed())
        done(QDialog::Accepted);
}

// ---- Lists page ----

void CExclusion_Wizard::OnAdd() {
    Focus(m_controller->AddSelected(SelectedNameRows(m_availableView)));
    Refresh();
}

void CExclusion_Wizard::OnAddAll() {
    Focus(m_controller->AddAll());
    Refresh();
}

void CExclusion_Wizard::OnRemove() {
    Focus(m_controller->RemoveSelected(SelectedNameRows(m_appliedView)));
    Refresh();
}

void CExclusion_Wizard::OnRemoveAll() {
    Focus(m_controller->RemoveAll());
    Refresh();
}

void CExclusion_Wizard::OnSaveApplied() {
    m_controller->SaveApplied();
    Refresh();
}

void CExclusion_Wizard::OnAddNew() {
    m_controller->AddNew();
    Refresh();
}

void CExclusion_Wizard::OnUpdate() {
    Focus(m_controller->Update(SelectedNameRows(m_availableView)));
    Refresh();
}

void CExclusion_Wizard::OnDelete() {
    Focus(m_controller->Delete(SelectedNameRows(m_availableView)));
    m_availableView->clearSelection();
    Refresh();
}

void CExclusion_Wizard::OnClose() {
    m_controller->Close();
    Refresh();
}

void CExclusion_Wizard::reject() {
    OnClose();
}

// ---- Name page ----

void CExclusion_Wizard::OnNameNext() {
    Focus(m_controller->NameNext(m_name->text()));
    Refresh();
}

void CExclusion_Wizard::OnNameBack() {
    m_controller->NameBack();
    Refresh();
}

// ---- Numbers page ----

void CExclusion_Wizard::OnAddNumber() {
    if (m_controller->AddNumber(m_number->text()))
        m_number->clear();
    Refresh();
    m_number->setFocus();
}

void CExclusion_Wizard::OnUpdateNumber() {
    std::vector<qsizetype> rows = SelectedRows(m_numbersView);
    // The row with the focus frame first, when it is one of the selected.
    const int current = m_numbersView->currentIndex().row();
    if (current >= 0 && std::binary_search(rows.begin(), rows.end(), current))
        rows.insert(rows.begin(), current);
    const std::optional<qsizetype> row = m_controller->MayUpdateNumber(rows);
    if (!row) {
        m_numbersView->setFocus();
        return;
    }
    auto* edit = new CUpdate_Ex_Num(*m_controller, *row, m_numbersModel->Rows().at(*row), this);
    connect(edit, &QDialog::finished, this, [this, edit](int result) {
        edit->deleteLater();
        if (result != QDialog::Accepted)
            return;
        const int edited = static_cast<int>(edit->Row());
        Refresh();
        m_numbersView->setFocus();
        m_numbersView->setCurrentIndex(m_numbersModel->index(edited, 0));
        m_numbersView->selectRow(edited);
    });
    edit->open();
}

void CExclusion_Wizard::OnRemoveNumber() {
    Focus(m_controller->RemoveNumbers(SelectedRows(m_numbersView)));
    Refresh();
}

void CExclusion_Wizard::OnBrowse() {
    ChooseFile(QFileDialog::getOpenFileName(this, QStringLiteral("Open"), QString(),
                                            QtFilter(ExclusionNumberImport::kFileDialogFilter)));
}

void CExclusion_Wizard::ChooseFile(const QString& path) {
    if (m_controller->ChooseFile(path))
        m_path->setText(path);
}

void CExclusion_Wizard::OnLoad() {
    m_controller->Load(m_path->text());
    Refresh();
}

void CExclusion_Wizard::PickColumns(const QString& path, const QStringList& sheets,
                                    std::function<void(ExclusionWizardController::ColumnChoice)> chosen) {
    auto* picker = new CExcel_Info_Dlg(path, sheets, m_prompter, ReaderLimits(), this);
    connect(picker, &QDialog::finished, this, [this, picker, chosen = std::move(chosen)](int result) {
        picker->deleteLater();
        chosen(result == QDialog::Accepted ? ExclusionWizardController::ColumnChoice(picker->Chosen()) : std::nullopt);
        Refresh();
    });
    picker->open();
}

void CExclusion_Wizard::OnExport() {
    if (!m_controller->MayExport()) {
        m_numbersView->setFocus();
        return;
    }
    const QStringList filters = QtFilter(ExclusionExport::kFileDialogFilter).split(QStringLiteral(";;"));
    QString selected = filters.first();
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export Number"), QString(),
                                                      filters.join(QStringLiteral(";;")), &selected);
    ExportTo(path, static_cast<int>(filters.indexOf(selected)));
}

void CExclusion_Wizard::ExportTo(const QString& path, int filterIndex) {
    m_controller->Export(path, filterIndex);
    Refresh();
}

void CExclusion_Wizard::OnSaveNumbers() {
    m_controller->Save();
    Refresh();
}

void CExclusion_Wizard::OnUpdateName() {
    if (m_controller->UpdateName(m_rename->text()))
        m_rename->clear();
    else
        m_rename->setFocus();
    Refresh();
}

void CExclusion_Wizard::OnNumbersBack() {
    m_controller->NumbersBack();
    Refresh();
}

// ---- Keys ----

bool CExclusion_Wizard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        if (watched == m_availableView) {
            OnDelete();
            return true;
        }
        if (watched == m_appliedView) {
            OnRemove();
            return true;
        }
        if (watched == m_numbersView) {
            OnRemoveNumber();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
