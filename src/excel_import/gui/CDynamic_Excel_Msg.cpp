#include "excel_import/gui/CDynamic_Excel_Msg.h"

#include "excel_import/gui/CExl_Msg_EG.h"
#include "excel_import/gui/CLoad_Xl_SMS_Modeless.h"
#include "ui/CPlease_Wail_Modeless.h"
#include "ui/DialogButtons.h"
#include "ui/ListWork.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

using Field = ExcelWizardController::Field;
using Mode = ExcelWizardController::Mode;

QLabel* WrappedLabel(const QString& text = QString()) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// A description under its radio button, indented to the button's text.
QLabel* Description(const QString& text) {
    QLabel* label = WrappedLabel(text);
    label->setContentsMargins(22, 0, 0, 8);
    return label;
}

QStringList NamesOf(const QList<WorkbookReader::ColumnName>& columns) {
    QStringList names;
    for (const WorkbookReader::ColumnName& column : columns)
        names << column.name;
    return names;
}

// One line of text per row, so more rows fit.
void CompactRows(QTableWidget* table) {
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setHighlightSections(false);
}

void ReadOnlyItem(QTableWidget* table, int row, int column, const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    table->setItem(row, column, item);
}

} // namespace

CDynamic_Excel_Msg::CDynamic_Excel_Msg(Prompter& prompter, QWidget* parent, const ReaderLimits& limits)
    : QDialog(parent), m_work(new ListWork(this, [] {})) {
    setObjectName(QStringLiteral("CDynamic_Excel_Msg"));
    setWindowTitle(ExcelWizardController::kTitle);
    m_controller = std::make_unique<ExcelWizardController>(
        prompter,
        [this](const QString& waitText, std::function<void()> job, std::function<void()> done) {
            Run(waitText, std::move(job), std::move(done));
        },
        limits);
    m_progress = new CLoad_Xl_SMS_Modeless(m_controller->Progress(), this);

    auto* layout = new QVBoxLayout(this);
    m_pages = new QStackedWidget;
    m_pages->addWidget(BuildModePage());
    m_pages->addWidget(BuildFilePage());
    m_pages->addWidget(BuildTemplatePage());
    layout->addWidget(m_pages, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_back = CommandButton(QStringLiteral("Close"), QStringLiteral("Back"));
    m_action = new QPushButton(QStringLiteral("Continue"));
    m_action->setObjectName(QStringLiteral("Action"));
    m_action->setDefault(true);
    buttons->addWidget(m_back);
    buttons->addWidget(m_action);
    layout->addLayout(buttons);
    connect(m_action, &QPushButton::clicked, this, &CDynamic_Excel_Msg::OnAction);
    connect(m_back, &QPushButton::clicked, this, &CDynamic_Excel_Msg::OnBack);

    setMinimumSize(680, 580);
    Refresh();
    m_numberMessageRadio->setFocus();
}

CDynamic_Excel_Msg::~CDynamic_Excel_Msg() = default;

void CDynamic_Excel_Msg::SetTarget(RecipientList* list, std::function<NumberCheckOptions()> options) {
    m_controller->SetTarget(list, std::move(options));
}

// ---- Pages ----

QPushButton* CDynamic_Excel_Msg::ExampleButton() {
    QPushButton* button = CommandButton(QStringLiteral("Show me an Example"));
    connect(button, &QPushButton::clicked, this, [this] {
        auto* example = new CExl_Msg_EG(this);
        example->setAttribute(Qt::WA_DeleteOnClose);
        example->open();
    });
    return button;
}

QWidget* CDynamic_Excel_Msg::BuildModePage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    m_numberMessageRadio = new QRadioButton(ExcelWizardController::kNumberMessageRadio);
    m_numberMessageRadio->setObjectName(QStringLiteral("NumberAndMessage"));
    m_dynamicRadio = new QRadioButton(ExcelWizardController::kDynamicRadio);
    m_dynamicRadio->setObjectName(QStringLiteral("Dynamic"));
    auto* group = new QButtonGroup(page);
    group->addButton(m_numberMessageRadio);
    group->addButton(m_dynamicRadio);
    layout->addWidget(m_numberMessageRadio);
    layout->addWidget(Description(ExcelWizardController::kNumberMessageDescription));
    layout->addWidget(m_dynamicRadio);
    layout->addWidget(Description(ExcelWizardController::kDynamicDescription));
    auto* example = new QHBoxLayout;
    example->addStretch(1);
    example->addWidget(ExampleButton());
    layout->addLayout(example);
    layout->addStretch(1);
    connect(m_numberMessageRadio, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_controller->SetMode(Mode::NumberAndMessage);
    });
    connect(m_dynamicRadio, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_controller->SetMode(Mode::Dynamic);
    });
    return page;
}

QWidget* CDynamic_Excel_Msg::BuildFilePage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    m_browseText = WrappedLabel();
    layout->addWidget(m_browseText);

    auto* pathRow = new QHBoxLayout;
    auto* pathLabel = new QLabel(ExcelWizardController::kPathLabel);
    m_path = new QLineEdit;
    m_path->setObjectName(QStringLiteral("FilePath"));
    m_path->setReadOnly(true);
    pathLabel->setBuddy(m_path);
    m_browse = CommandButton(QStringLiteral("Browse"));
    pathRow->addWidget(pathLabel);
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(m_browse);
    layout->addLayout(pathRow);
    connect(m_browse, &QPushButton::clicked, this, &CDynamic_Excel_Msg::OnBrowse);

    m_sheetLabel = WrappedLabel();
    m_sheets = new QComboBox;
    m_sheets->setObjectName(QStringLiteral("Sheets"));
    layout->addWidget(m_sheetLabel);
    layout->addWidget(m_sheets);
    connect(m_sheets, &QComboBox::currentIndexChanged, this, [this](int position) {
        m_controller->ChooseSheet(position);
        Refresh();
    });

    m_numberMessageColumns = new QWidget;
    auto* pickers = new QVBoxLayout(m_numberMessageColumns);
    pickers->setContentsMargins(0, 0, 0, 0);
    m_numberLabel = WrappedLabel();
    m_numberColumn = new QComboBox;
    m_numberColumn->setObjectName(QStringLiteral("NumberColumn"));
    m_messageLabel = WrappedLabel();
    m_messageColumn = new QComboBox;
    m_messageColumn->setObjectName(QStringLiteral("MessageColumn"));
    for (QWidget* w : {static_cast<QWidget*>(m_numberLabel), static_cast<QWidget*>(m_numberColumn),
                       static_cast<QWidget*>(m_messageLabel), static_cast<QWidget*>(m_messageColumn)})
        pickers->addWidget(w);
    layout->addWidget(m_numberMessageColumns);
    connect(m_numberColumn, &QComboBox::currentIndexChanged, this,
            [this](int position) { m_controller->SetNumberColumn(position); });
    connect(m_messageColumn, &QComboBox::currentIndexChanged, this,
            [this](int position) { m_controller->SetMessageColumn(position); });

    m_dynamicColumns = new QWidget;
    auto* checks = new QVBoxLayout(m_dynamicColumns);
    checks->setContentsMargins(0, 0, 0, 0);
    m_checkListLabel = WrappedLabel();
    m_columnList = new QListWidget;
    m_columnList->setObjectName(QStringLiteral("Columns"));
    m_selectAll = new QCheckBox(QStringLiteral("Select All"));
    m_selectAll->setObjectName(QStringLiteral("Select All"));
    checks->addWidget(m_checkListLabel);
    checks->addWidget(m_columnList, 1);
    checks->addWidget(m_selectAll);
    layout->addWidget(m_dynamicColumns, 1);
    connect(m_columnList, &QListWidget::itemChanged, this, &CDynamic_Excel_Msg::OnColumnChecked);
    connect(m_selectAll, &QCheckBox::toggled, this, [this](bool on) {
        m_controller->SetAllChecked(on);
        RefreshPickers();
    });
    layout->addStretch(0);
    return page;
}

QWidget* CDynamic_Excel_Msg::BuildTemplatePage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* tableRow = new QHBoxLayout;
    m_columnTable = new QTableWidget(0, 3);
    m_columnTable->setObjectName(QStringLiteral("ColumnTable"));
    m_columnTable->setHorizontalHeaderLabels(ExcelWizardController::kColumnTableHeaders);
    int tableWidth = 2 * m_columnTable->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (int c = 0; c < 3; ++c) {
        m_columnTable->setColumnWidth(c, ExcelWizardController::kColumnTableWidths[c]);
        tableWidth += ExcelWizardController::kColumnTableWidths[c];
    }
    m_columnTable->setMinimumWidth(tableWidth);
    m_columnTable->horizontalHeader()->setStretchLastSection(true);
    m_columnTable->verticalHeader()->hide();
    CompactRows(m_columnTable);
    m_columnTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_columnTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_columnTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Six columns in view at least; more with a taller window.
    m_columnTable->setMinimumHeight(m_columnTable->horizontalHeader()->sizeHint().height() +
                                    6 * (m_columnTable->fontMetrics().height() + 6) + 4);
    tableRow->addWidget(m_columnTable, 1);
    auto* side = new QVBoxLayout;
    m_useColumn = CommandButton(QStringLiteral("Use Column"));
    side->addWidget(m_useColumn);
    side->addStretch(1);
    side->addWidget(ExampleButton());
    tableRow->addLayout(side);
    layout->addLayout(tableRow, 3);
    connect(m_useColumn, &QPushButton::clicked, this, &CDynamic_Excel_Msg::OnUseColumn);
    connect(m_columnTable, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        m_columnTable->selectRow(row);
        OnUseColumn();
    });

    auto* templateLabel = new QLabel(ExcelWizardController::kTemplateLabel);
    m_template = new QPlainTextEdit;
    m_template->setObjectName(QStringLiteral("Template"));
    templateLabel->setBuddy(m_template);
    layout->addWidget(templateLabel);
    layout->addWidget(m_template, 2);
    connect(m_template, &QPlainTextEdit::textChanged, this, [this] {
        m_controller->SetTemplate(m_template->toPlainText());
        RefreshPreview();
    });

    layout->addWidget(new QLabel(ExcelWizardController::kPreviewLabel));
    m_preview = new QTableWidget(0, 2);
    m_preview->setObjectName(QStringLiteral("Preview"));
    m_preview->setHorizontalHeaderLabels({QStringLiteral("Number"), QStringLiteral("Message")});
    m_preview->setColumnWidth(0, 130);
    m_preview->horizontalHeader()->setStretchLastSection(true);
    m_preview->verticalHeader()->hide();
    CompactRows(m_preview);
    // Room for every preview row without a scroll bar, and no more.
    m_preview->setFixedHeight(m_preview->horizontalHeader()->sizeHint().height() +
                              ExcelWizardController::kPreviewRows * (m_preview->fontMetrics().height() + 6) + 4);
    m_preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_preview->setSelectionMode(QAbstractItemView::NoSelection);
    m_preview->setFocusPolicy(Qt::NoFocus);
    m_preview->setWordWrap(false);
    layout->addWidget(m_preview, 0);
    return page;
}

// ---- Work ----

void CDynamic_Excel_Msg::Run(const QString& waitText, std::function<void()> job, std::function<void()> done) {
    const bool importing = m_controller->IsImporting();
    m_work->Run(waitText, std::move(job), [this, importing, done = std::move(done)] {
        if (importing)
            m_progress->Stop();
        done();
        Refresh();
        if (m_controller->IsFinished())
            accept();
    });
    if (importing)
        m_progress->Start(m_work->PleaseWait());
}

// ---- State to controls ----

void CDynamic_Excel_Msg::Refresh() {
    const ExcelWizardController& c = *m_controller;
    const int page = c.Page();
    m_pages->setCurrentIndex(page - 1);
    {
        const QSignalBlocker a(m_numberMessageRadio);
        const QSignalBlocker b(m_dynamicRadio);
        m_numberMessageRadio->setChecked(c.ImportMode() == Mode::NumberAndMessage);
        m_dynamicRadio->setChecked(c.ImportMode() == Mode::Dynamic);
    }
    const bool dynamic = c.ImportMode() == Mode::Dynamic;
    m_browseText->setText(c.BrowseText());
    m_path->setText(c.Path());
    m_sheetLabel->setText(c.SheetLabel());
    m_numberLabel->setText(c.NumberColumnLabel());
    m_messageLabel->setText(c.MessageColumnLabel());
    m_checkListLabel->setText(c.NumberColumnLabel());
    m_numberMessageColumns->setVisible(!dynamic);
    m_dynamicColumns->setVisible(dynamic);
    m_action->setText(c.ActionText());
    m_back->setText(c.BackText());
    RefreshPickers();
    if (page == 3 && m_shownPage != 3) {
        // A new template over the column table, its first row selected.
        const QSignalBlocker block(m_template);
        m_template->clear();
        if (m_columnTable->rowCount() > 0)
            m_columnTable->selectRow(0);
        m_template->setFocus();
    }
    if (page == 2 && m_shownPage == 1)
        m_browse->setFocus();
    if (page == 1 && m_shownPage != 1)
        (dynamic ? m_dynamicRadio : m_numberMessageRadio)->setFocus();
    m_shownPage = page;
    RefreshPreview();
}

void CDynamic_Excel_Msg::RefreshPickers() {
    const ExcelWizardController& c = *m_controller;
    const QSignalBlocker blockSheets(m_sheets);
    const QSignalBlocker blockNumber(m_numberColumn);
    const QSignalBlocker blockMessage(m_messageColumn);
    const QSignalBlocker blockList(m_columnList);
    const QSignalBlocker blockAll(m_selectAll);
    if (c.Sheets() != m_shownSheets) {
        m_shownSheets = c.Sheets();
        m_sheets->clear();
        m_sheets->addItems(m_shownSheets);
    }
    m_sheets->setCurrentIndex(c.SheetPosition());
    const QStringList names = NamesOf(c.Columns());
    if (names != m_shownColumns) {
        m_shownColumns = names;
        m_numberColumn->clear();
        m_numberColumn->addItems(names);
        m_messageColumn->clear();
        m_messageColumn->addItems(names);
        m_columnList->clear();
        for (const QString& name : names) {
            auto* item = new QListWidgetItem(name, m_columnList);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        }
        m_columnTable->setRowCount(static_cast<int>(names.size()));
        for (int row = 0; row < names.size(); ++row) {
            ReadOnlyItem(m_columnTable, row, 0, QString::number(row + 1));
            ReadOnlyItem(m_columnTable, row, 1, names.at(row));
            ReadOnlyItem(m_columnTable, row, 2, c.Columns().at(row).placeholder);
        }
    }
    m_numberColumn->setCurrentIndex(c.NumberColumnPosition());
    m_messageColumn->setCurrentIndex(c.MessageColumnPosition());
    for (int row = 0; row < m_columnList->count(); ++row)
        m_columnList->item(row)->setCheckState(c.IsChecked(row) ? Qt::Checked : Qt::Unchecked);
    m_selectAll->setChecked(c.AllChecked());
}

void CDynamic_Excel_Msg::RefreshPreview() {
    if (m_controller->Page() != 3 || m_controller->IsBusy()) {
        m_preview->setRowCount(0);
        return;
    }
    const QList<ExcelWizardController::PreviewRow> rows = m_controller->Preview();
    m_preview->setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < rows.size(); ++row) {
        ReadOnlyItem(m_preview, row, 0, rows.at(row).number);
        // One line per message in the table; the whole message is its tool tip.
        QString message = rows.at(row).message;
        ReadOnlyItem(m_preview, row, 1, message.replace(QLatin1Char('\n'), QChar(0x21B5)));
        m_preview->item(row, 1)->setToolTip(rows.at(row).message);
    }
}

// ---- Actions ----

void CDynamic_Excel_Msg::OnAction() {
    const Field field = m_controller->Action();
    Refresh();
    Focus(field);
}

void CDynamic_Excel_Msg::OnBack() {
    if (!m_controller->Back()) {
        reject();
        return;
    }
    Refresh();
}

void CDynamic_Excel_Msg::OnBrowse() {
    QString filter = ExcelWizardController::kFileFilter.section(QLatin1Char('|'), 0, 0);
    filter.replace(QLatin1Char(';'), QLatin1Char(' '));
    BrowseTo(QFileDialog::getOpenFileName(this, QStringLiteral("Open"), QString(), filter));
}

void CDynamic_Excel_Msg::BrowseTo(const QString& path) {
    m_controller->Browse(path);
    Refresh();
}

void CDynamic_Excel_Msg::OnColumnChecked(QListWidgetItem* item) {
    m_controller->SetChecked(m_columnList->row(item), item->checkState() == Qt::Checked);
    const QSignalBlocker block(m_selectAll);
    m_selectAll->setChecked(m_controller->AllChecked());
}

void CDynamic_Excel_Msg::OnUseColumn() {
    const QList<QTableWidgetSelectionRange> ranges = m_columnTable->selectedRanges();
    const std::optional<QString> placeholder =
        m_controller->PlaceholderOfRow(ranges.isEmpty() ? -1 : ranges.first().topRow());
    if (!placeholder) {
        m_columnTable->setFocus();
        return;
    }
    m_template->insertPlainText(*placeholder);
    m_template->setFocus();
}

void CDynamic_Excel_Msg::Focus(Field field) {
    switch (field) {
    case Field::None:
        return;
    case Field::Path:
        m_browse->setFocus();
        return;
    case Field::Sheet:
        m_sheets->setFocus();
        return;
    case Field::NumberColumn:
        m_numberColumn->setFocus();
        return;
    case Field::MessageColumn:
        m_messageColumn->setFocus();
        return;
    case Field::ColumnList:
        m_columnList->setFocus();
        return;
    case Field::ColumnTable:
        m_columnTable->setFocus();
        return;
    case Field::Template:
        m_template->setFocus();
        return;
    }
}

void CDynamic_Excel_Msg::reject() {
    if (m_controller->IsBusy())
        return;
    QDialog::reject();
}
