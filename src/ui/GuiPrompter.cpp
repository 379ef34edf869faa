#include "ui/GuiPrompter.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

GuiPrompter::GuiPrompter(QWidget* parentWindow) : m_parent(parentWindow) {
    if (QCoreApplication::instance() != nullptr)
        moveToThread(QCoreApplication::instance()->thread());
}

Prompter::Answer GuiPrompter::Ask(const QString& message, const QString& caption, Icon icon, Buttons buttons) {
    if (QThread::currentThread() == thread())
        return AskHere(message, caption, icon, buttons);
    Answer answer = Answer::Cancel;
    QMetaObject::invokeMethod(
        this, [&] { answer = AskHere(message, caption, icon, buttons); }, Qt::BlockingQueuedConnection);
    return answer;
}

Prompter::Answer GuiPrompter::AskHere(const QString& message, const QString& caption, Icon icon, Buttons buttons) {
    QWidget* parent = m_parent.data();
    if (parent == nullptr)
        parent = QApplication::activeModalWidget() != nullptr ? QApplication::activeModalWidget()
                                                              : QApplication::activeWindow();
    QMessageBox box(parent);
    box.setWindowTitle(caption);
    box.setText(message);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    }
    // A command's wait cursor (the Send checks show one) gives way to the arrow while the box is up.
    const bool waiting = QApplication::overrideCursor() != nullptr;
    if (waiting)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int result = box.exec();
    if (waiting)
        QApplication::restoreOverrideCursor();
    switch (result) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}
