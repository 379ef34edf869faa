#include "excel_import/gui/CExcel_Info_Dlg.h"

#include "ui/CPlease_Wail_Modeless.h"
#include "ui/DialogButtons.h"
#include "ui/UiTask.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <initializer_list>

CExcel_Info_Dlg::CExcel_Info_Dlg(const QString& path, const QStringList& sheetNames, Prompter& prompter,
                                 const ReaderLimits& limits, QWidget* parent)
    : QDialog(parent), m_controller(std::make_shared<ExcelInfoController>(path, sheetNames, prompter, limits)),
      m_sheets(new QComboBox), m_columns(new QListWidget), m_selectAll(new QCheckBox(QStringLiteral("Select All"))),
      m_ok(new QPushButton(QStringLiteral("OK"))), m_pleaseWait(new CPlease_Wail_Modeless(this)) {
    setObjectName(QStringLiteral("CExcel_Info_Dlg"));
    setWindowTitle(ExcelInfoController::kTitle);
    auto* layout = new QVBoxLayout(this);

    auto* sheetsLabel = new QLabel(QStringLiteral("Sheets"));
    sheetsLabel->setBuddy(m_sheets);
    layout->addWidget(sheetsLabel);
    m_sheets->setObjectName(QStringLiteral("Sheets"));
    // Each item carries its sheet number (position + 1), as the controller counts them.
    for (qsizetype i = 0; i < m_controller->Sheets().size(); ++i)
        m_sheets->addItem(m_controller->Sheets().at(i), static_cast<int>(i + 1));
    m_sheets->setCurrentIndex(-1); // no sheet is read until the user chooses one
    m_sheets->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_sheets->setMinimumContentsLength(24);
    layout->addWidget(m_sheets);

    auto* columnsLabel = new QLabel(QStringLiteral("Columns"));
    columnsLabel->setBuddy(m_columns);
    layout->addWidget(columnsLabel);
    m_columns->setObjectName(QStringLiteral("Columns"));
    m_columns->setSelectionMode(QAbstractItemView::SingleSelection);
    m_columns->setMinimumHeight(180);
    layout->addWidget(m_columns, 1);

    m_selectAll->setObjectName(QStringLiteral("Select All"));
    layout->addWidget(m_selectAll);
    layout->addLayout(DefaultAndCancelRow(this, m_ok));
    m_cancel = findChild<QPushButton*>(QStringLiteral("Cancel"));

    m_pleaseWait->SetText(ExcelInfoController::kReadingText);

    connect(m_sheets, &QComboBox::currentIndexChanged, this, &CExcel_Info_Dlg::OnSheetChosen);
    connect(m_columns, &QListWidget::itemChanged, this, &CExcel_Info_Dlg::OnColumnChanged);
    connect(m_selectAll, &QCheckBox::toggled, this, &CExcel_Info_Dlg::OnSelectAll);
    connect(m_ok, &QPushButton::clicked, this, &CExcel_Info_Dlg::accept);
    m_sheets->setFocus();
}

CExcel_Info_Dlg::~CExcel_Info_Dlg() = default;

void CExcel_Info_Dlg::OnSheetChosen(int position) {
    // A choice made while a read runs is taken up when that read ends (OnReadDone).
    if (m_reading || position < 0)
        return;
    m_reading = true;
    {
        const QSignalBlocker block(m_columns);
        m_columns->clear();
    }
    RefreshSelectAll();
    // The controls wait for the read, which owns the controller's columns until it ends.
    SetControlsEnabled(false);
    m_pleaseWait->show();
    // The controller reports an empty sheet or a reader failure itself, from the reading thread.
    std::shared_ptr<ExcelInfoController> controller = m_controller;
    UiTask::Run(
        this, [controller, position] { static_cast<void>(controller->ChooseSheet(position)); },
        [this] { OnReadDone(); });
}

void CExcel_Info_Dlg::OnReadDone() {
    m_reading = false;
    m_pleaseWait->hide();
    SetControlsEnabled(true);
    FillColumns();
    m_sheets->setFocus();
    // The combo box was moved while the read ran (only a program can do that): read what it shows now.
    const int position = m_sheets->currentIndex();
    if (position >= 0 && position + 1 != m_controller->ShownSheet())
        OnSheetChosen(position);
}

void CExcel_Info_Dlg::SetControlsEnabled(bool enabled) {
    for (QWidget* control : std::initializer_list<QWidget*>{m_sheets, m_columns, m_selectAll, m_ok, m_cancel})
        control->setEnabled(enabled);
}

void CExcel_Info_Dlg::FillColumns() {
    {
        const QSignalBlocker block(m_columns);
        m_columns->clear();
        for (const ExcelInfoController::Column& column : m_controller->Columns()) {
            auto* item = new QListWidgetItem(column.name, m_columns);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(column.checked ? Qt::Checked : Qt::Unchecked);
            item->setData(Qt::UserRole, column.number); // the column's number within the used range
        }
    }
    RefreshSelectAll();
}

void CExcel_Info_Dlg::OnColumnChanged(QListWidgetItem* item) {
    if (m_reading)
        return;
    m_controller->SetChecked(m_columns->row(item), item->checkState() == Qt::Checked);
    RefreshSelectAll();
}

void CExcel_Info_Dlg::OnSelectAll(bool checked) {
    if (m_reading)
        return;
    m_controller->SetAllChecked(checked);
    {
        const QSignalBlocker block(m_columns);
        const QList<ExcelInfoController::Column>& columns = m_controller->Columns();
        for (int row = 0; row < m_columns->count() && row < columns.size(); ++row)
            m_columns->item(row)->setCheckState(columns.at(row).checked ? Qt::Checked : Qt::Unchecked);
    }
    RefreshSelectAll();
}

void CExcel_Info_Dlg::RefreshSelectAll() {
    const QSignalBlocker block(m_selectAll);
    m_selectAll->setChecked(!m_reading && m_controller->AllChecked());
}

void CExcel_Info_Dlg::accept() {
    if (m_reading)
        return;
    if (!m_controller->Accept()) {
        // No column listed: the sheet is at fault; none checked: the column list.
        if (m_controller->Columns().isEmpty())
            m_sheets->setFocus();
        else
            m_columns->setFocus();
        return;
    }
    m_chosen = m_controller->Result();
    QDialog::accept();
}

void CExcel_Info_Dlg::reject() {
    if (m_reading)
        return;
    QDialog::reject();
}
