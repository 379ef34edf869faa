#include "ui/ListWork.h"

#include "ui/CPlease_Wail_Modeless.h"

#include <QTimer>
#include <QWidget>

ListWork::ListWork(QWidget* window, std::function<void()> refresh)
    : QObject(window), m_window(window), m_refresh(std::move(refresh)),
      m_pleaseWait(new CPlease_Wail_Modeless(window)), m_timer(new QTimer(this)) {
    m_timer->setInterval(500);
    connect(m_timer, &QTimer::timeout, this, [this] { m_refresh(); });
}

void ListWork::Begin(const QString& waitText) {
    m_busy = true;
    m_pleaseWait->SetText(waitText);
    m_pleaseWait->show();
    m_window->setEnabled(false);
    m_pleaseWait->setEnabled(true);
    m_timer->start();
}

void ListWork::StepAside() {
    m_timer->stop();
    m_pleaseWait->hide();
    m_window->setEnabled(true);
}

void ListWork::End() {
    Restore();
    Finish();
}

void ListWork::Restore() {
    m_timer->stop();
    m_refresh();
    m_pleaseWait->hide();
    m_window->setEnabled(true);
    m_window->raise();
    m_window->activateWindow();
}

void ListWork::Finish() {
    m_busy = false;
}
