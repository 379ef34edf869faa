#include "sending/gui/CQuota_Dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// The "Assign Quota" cell editor: digits only, at most the controller's length.
class AssignDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
        auto* editor = new QLineEdit(parent);
        editor->setMaxLength(QuotaController::kAssignMaxLength);
        editor->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[%1]*").arg(QuotaController::kAssignChars)), editor));
        return editor;
    }
};

} // namespace

CQuota_Dlg::CQuota_Dlg(const QString& selectedDevicesText, QuotaState& quota, SendOptionsModel& options,
                       qsizetype totalMessages, Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_controller(selectedDevicesText, quota, options, totalMessages, prompter),
      m_table(new QTableWidget(0, static_cast<int>(QuotaController::Columns().size()))), m_total(new QLabel),
      m_assigned(new QLabel), m_available(new QLabel) {
    setObjectName(QStringLiteral("CQuota_Dlg"));
    setWindowTitle(QuotaController::kTitle);
    QStringList captions;
    const auto& columns = QuotaController::Columns();
    for (const auto& column : columns)
        captions << column.caption;
    m_table->setHorizontalHeaderLabels(captions);
    for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
        if (columns[static_cast<size_t>(c)].width == 0)
            m_table->setColumnHidden(c, true);
        else
            m_table->setColumnWidth(c, columns[static_cast<size_t>(c)].width + 20);
    }
    m_table->verticalHeader()->setVisible(false);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setItemDelegateForColumn(QuotaController::kAssignColumn, new AssignDelegate(m_table));
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    auto* note = new QLabel(QuotaController::kNote);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* numbers = new QFormLayout;
    numbers->addRow(QuotaController::kTotalCaption, m_total);
    numbers->addRow(QuotaController::kAssignedCaption, m_assigned);
    numbers->addRow(QuotaController::kAvailableCaption, m_available);
    layout->addLayout(numbers);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QPushButton* reset = buttons->addButton(QuotaController::kResetButton, QDialogButtonBox::ResetRole);
    reset->setObjectName(QStringLiteral("Reset"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CQuota_Dlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(reset, &QPushButton::clicked, this, &CQuota_Dlg::OnReset);
    connect(m_table, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (m_refreshing)
            return;
        if (item->column() == QuotaController::kPortColumn)
            m_controller.SetTicked(item->row(), item->checkState() == Qt::Checked);
        else if (item->column() == QuotaController::kAssignColumn)
            static_cast<void>(m_controller.SetAssign(item->row(), item->text()));
        RefreshTable();
    });
    resize(780, 400);
    RefreshTable();
}

QString CQuota_Dlg::TotalText() const {
    return m_total->text();
}
QString CQuota_Dlg::AssignedText() const {
    return m_assigned->text();
}
QString CQuota_Dlg::AvailableText() const {
    return m_available->text();
}

void CQuota_Dlg::SetTypeAt(int row, const QString& type) {
    m_controller.SetType(row, type);
    RefreshTable();
}

void CQuota_Dlg::SetAssignAt(int row, const QString& text) {
    static_cast<void>(m_controller.SetAssign(row, text));
    RefreshTable();
}

void CQuota_Dlg::RefreshTable() {
    m_refreshing = true;
    m_table->setRowCount(m_controller.RowCount());
    for (int r = 0; r < m_controller.RowCount(); ++r) {
        const QStringList values = m_controller.RowValues(r);
        for (int c = 0; c < values.size(); ++c) {
            auto* item = new QTableWidgetItem(values.at(c));
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (c == QuotaController::kPortColumn) {
                flags |= Qt::ItemIsUserCheckable;
                item->setCheckState(m_controller.Rows()[static_cast<size_t>(r)].ticked ? Qt::Checked : Qt::Unchecked);
            }
            if (c == QuotaController::kAssignColumn && m_controller.IsAssignEditable(r))
                flags |= Qt::ItemIsEditable;
            item->setFlags(flags);
            m_table->setItem(r, c, item);
        }
        auto* type = qobject_cast<QComboBox*>(m_table->cellWidget(r, QuotaController::kTypeColumn));
        if (type == nullptr) {
            type = new QComboBox;
            type->addItems(QuotaController::TypeChoices());
            m_table->setCellWidget(r, QuotaController::kTypeColumn, type);
            connect(type, &QComboBox::currentTextChanged, this, [this, r](const QString& text) {
                if (!m_refreshing)
                    SetTypeAt(r, text);
            });
        }
        type->setCurrentText(values.value(QuotaController::kTypeColumn));
    }
    m_refreshing = false;
    RefreshNumbers();
}

void CQuota_Dlg::RefreshNumbers() {
    m_total->setText(QString::number(m_controller.TotalMessages()));
    m_assigned->setText(QString::number(m_controller.AssignedQuota()));
    m_available->setText(QString::number(m_controller.AvailableQuota()));
}

void CQuota_Dlg::accept() {
    if (m_controller.Ok())
        QDialog::accept();
}

void CQuota_Dlg::OnReset() {
    if (m_controller.Reset())
        RefreshTable();
}
