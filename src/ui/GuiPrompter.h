#pragma once

#include "app/Prompter.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

// The desktop's Prompter: a QMessageBox with the caption, icon and buttons asked for. A call from a worker
// thread is carried to the user-interface thread and waits there for the answer, so controllers may ask
// from any thread. The UI thread must never wait for a worker that may ask (that would deadlock).
//
// Esc and the window's close button give the "negative" answer: No for Yes/No, Cancel where there is one.
class GuiPrompter final : public QObject, public Prompter {
    Q_OBJECT
public:
    explicit GuiPrompter(QWidget* parentWindow = nullptr);

    Answer Ask(const QString& message, const QString& caption, Icon icon, Buttons buttons) override;
    // The window the boxes are centred on (may change as dialogs open and close).

private:
    Answer AskHere(const QString& message, const QString& caption, Icon icon, Buttons buttons);

    QPointer<QWidget> m_parent;
};
