#include "excel_import/gui/CExl_Msg_EG.h"

#include "composer/ExcelWizardController.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPlainTextEdit* ReadOnlyText(const QString& text, const QString& name, int lines) {
    auto* edit = new QPlainTextEdit(text);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setTabChangesFocus(true);
    edit->setMinimumWidth(520);
    edit->setFixedHeight(edit->fontMetrics().lineSpacing() * lines + 12);
    return edit;
}

QLabel* Caption(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

} // namespace

CExl_Msg_EG::CExl_Msg_EG(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CExl_Msg_EG"));
    setWindowTitle(ExcelWizardController::kExampleTitle);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ReadOnlyText(ExcelWizardController::kExampleSheet, QStringLiteral("Sheet"), 13));
    auto* group = new QGroupBox(ExcelWizardController::kExampleGroup);
    auto* inner = new QVBoxLayout(group);
    inner->addWidget(Caption(ExcelWizardController::kExampleTemplateCaption));
    inner->addWidget(ReadOnlyText(ExcelWizardController::kExampleTemplate, QStringLiteral("Template"), 7));
    inner->addWidget(Caption(ExcelWizardController::kExampleResultCaption));
    inner->addWidget(ReadOnlyText(ExcelWizardController::ExampleResult(), QStringLiteral("Result"), 7));
    layout->addWidget(group);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}
