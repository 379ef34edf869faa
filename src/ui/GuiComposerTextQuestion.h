#pragma once

#include "sending/ComposerTextQuestion.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

// The composer text question answered with the window CSend_Msg_Info; a call from a worker thread is carried
// to the user-interface thread and waits for the answer.
class GuiComposerTextQuestion final : public QObject, public ComposerTextQuestion {
    Q_OBJECT
public:
    explicit GuiComposerTextQuestion(QWidget* parentWindow = nullptr);
    Answer Ask() override;

private:
    Answer AskHere();
    QPointer<QWidget> m_parent;
};
