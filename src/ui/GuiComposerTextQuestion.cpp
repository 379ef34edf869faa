#include "ui/GuiComposerTextQuestion.h"

#include "sending/gui/CSend_Msg_Info.h"

#include <QCoreApplication>
#include <QThread>

GuiComposerTextQuestion::GuiComposerTextQuestion(QWidget* parentWindow) : m_parent(parentWindow) {
    if (QCoreApplication::instance() != nullptr)
        moveToThread(QCoreApplication::instance()->thread());
}

ComposerTextQuestion::Answer GuiComposerTextQuestion::Ask() {
    if (QThread::currentThread() == thread())
        return AskHere();
    Answer answer;
    QMetaObject::invokeMethod(
        this, [&] { answer = AskHere(); }, Qt::BlockingQueuedConnection);
    return answer;
}

ComposerTextQuestion::Answer GuiComposerTextQuestion::AskHere() {
    CSend_Msg_Info window(m_parent.data());
    Answer answer;
    switch (window.Ask()) {
    case CSend_Msg_Info::Choice::Yes:
        answer.button = Button::Yes;
        break;
    case CSend_Msg_Info::Choice::ContinueAnyway:
        answer.button = Button::ContinueAnyway;
        break;
    case CSend_Msg_Info::Choice::Cancel:
        answer.button = Button::Cancel;
        break;
    }
    answer.scope = window.OnlyBlankRows() ? Scope::BlankRowsOnly : Scope::AllRows;
    return answer;
}
