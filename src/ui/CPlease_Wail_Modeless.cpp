#include "ui/CPlease_Wail_Modeless.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

CPlease_Wail_Modeless::CPlease_Wail_Modeless(QWidget* parent) : QDialog(parent), m_label(new QLabel(kDefaultText)) {
    setObjectName(QStringLiteral("CPlease_Wail_Modeless"));
    setWindowTitle(QStringLiteral("Please wait"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    m_label->setWordWrap(true);
    m_label->setMinimumWidth(300);
    layout->addWidget(m_label);
    auto* bar = new QProgressBar;
    bar->setRange(0, 0); // busy indicator: the length of the work is not known
    bar->setTextVisible(false);
    layout->addWidget(bar);
}

void CPlease_Wail_Modeless::SetText(const QString& text) {
    m_label->setText(text);
}

QString CPlease_Wail_Modeless::Text() const {
    return m_label->text();
}

void CPlease_Wail_Modeless::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CPlease_Wail_Modeless::closeEvent(QCloseEvent* event) {
    event->ignore();
}
