#include "excel_import/gui/CLoad_Xl_SMS_Modeless.h"

#include "composer/ExcelImportProgress.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

CLoad_Xl_SMS_Modeless::CLoad_Xl_SMS_Modeless(const ExcelImportProgress& progress, QWidget* parent)
    : QDialog(parent), m_progress(progress), m_total(new QLabel), m_current(new QLabel), m_number(new QLabel),
      m_message(new QLabel), m_bar(new QProgressBar), m_timer(new QTimer(this)) {
    setObjectName(QStringLiteral("CLoad_Xl_SMS_Modeless"));
    setWindowTitle(ExcelMessageImport::kReadingTitle);
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(ExcelMessageImport::kReadingTitle);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    layout->addWidget(m_total);
    layout->addWidget(new QLabel(ExcelMessageImport::kWaitText));
    m_bar->setTextVisible(false);
    m_bar->setRange(0, 0);
    layout->addWidget(m_bar);
    layout->addWidget(m_current);
    auto* record = new QFormLayout;
    m_number->setObjectName(QStringLiteral("Number"));
    m_message->setObjectName(QStringLiteral("Message"));
    m_message->setWordWrap(true);
    m_message->setMinimumWidth(380);
    // Room for a shown message (at most 160 characters and "...") of a few short lines, so the window does not
    // change size from record to record.
    m_message->setMinimumHeight(7 * m_message->fontMetrics().lineSpacing());
    m_message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    record->addRow(QStringLiteral("Number :"), m_number);
    record->addRow(QStringLiteral("Message :"), m_message);
    layout->addLayout(record);
    m_timer->setInterval(kPollMs);
    connect(m_timer, &QTimer::timeout, this, &CLoad_Xl_SMS_Modeless::Poll);
}

void CLoad_Xl_SMS_Modeless::Start(QWidget* pleaseWait) {
    m_pleaseWait = pleaseWait;
    m_total->clear();
    m_current->clear();
    m_number->clear();
    m_message->clear();
    m_bar->setRange(0, 0);
    m_timer->start();
    Poll();
}

void CLoad_Xl_SMS_Modeless::Stop() {
    m_timer->stop();
    // The last record stays readable (a short import may end before the first tick).
    Show(m_progress.Snapshot());
    hide();
}

void CLoad_Xl_SMS_Modeless::Poll() {
    const ExcelImportProgress::State state = m_progress.Snapshot();
    if (!state.started)
        return;
    if (!isVisible()) {
        if (m_pleaseWait)
            m_pleaseWait->hide();
        show();
        setEnabled(true);
    }
    Show(state);
}

void CLoad_Xl_SMS_Modeless::Show(const ExcelImportProgress::State& state) {
    if (!state.started)
        return;
    m_total->setText(state.TotalText());
    m_current->setText(state.CurrentText());
    m_bar->setRange(0, std::max(state.total, 1));
    m_bar->setValue(state.current);
    m_number->setText(state.number);
    m_message->setText(state.message);
}

QString CLoad_Xl_SMS_Modeless::TotalText() const {
    return m_total->text();
}
QString CLoad_Xl_SMS_Modeless::CurrentText() const {
    return m_current->text();
}
QString CLoad_Xl_SMS_Modeless::NumberText() const {
    return m_number->text();
}
QString CLoad_Xl_SMS_Modeless::MessageText() const {
    return m_message->text();
}
int CLoad_Xl_SMS_Modeless::BarValue() const {
    return m_bar->value();
}

void CLoad_Xl_SMS_Modeless::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CLoad_Xl_SMS_Modeless::closeEvent(QCloseEvent* event) {
    event->ignore();
}
