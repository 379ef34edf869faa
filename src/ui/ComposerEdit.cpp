#include "ui/ComposerEdit.h"

#include "composer/MessageComposer.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocumentFragment>

ComposerEdit::ComposerEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setTabChangesFocus(false);
}

qsizetype ComposerEdit::ComposerLength() const {
    return MessageComposer::WithCrLfLineBreaks(toPlainText()).size();
}

void ComposerEdit::InsertLimited(const QString& text) {
    const QString selected = textCursor().selection().toPlainText();
    const qsizetype removed = MessageComposer::WithCrLfLineBreaks(selected).size();
    QString fit = MessageComposer::FitInsertion(ComposerLength(), removed, text);
    if (fit.isEmpty() && !text.isEmpty())
        return;
    fit.replace(QLatin1String("\r\n"), QStringLiteral("\n"));
    insertPlainText(fit);
    ensureCursorVisible();
}

void ComposerEdit::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (key == Qt::Key_Tab && (mods == Qt::NoModifier)) {
        InsertLimited(QStringLiteral("\t"));
        event->accept();
        return;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && (mods == Qt::NoModifier || mods == Qt::ShiftModifier)) {
        InsertLimited(QStringLiteral("\n"));
        event->accept();
        return;
    }
    const QString text = event->text();
    const bool typing = !text.isEmpty() && text.at(0).isPrint() && !(mods & (Qt::ControlModifier | Qt::AltModifier));
    if (typing) {
        InsertLimited(text);
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void ComposerEdit::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = event->commitString();
    if (commit.isEmpty()) {
        QPlainTextEdit::inputMethodEvent(event); // the pre-edit text is shown, not yet part of the message
        return;
    }
    // The commit replaces the selection and the event's replacement range around the caret.
    const QString selected = textCursor().selection().toPlainText();
    qsizetype removed = MessageComposer::WithCrLfLineBreaks(selected).size();
    if (event->replacementLength() > 0) {
        QTextCursor range = textCursor();
        range.clearSelection();
        range.setPosition(range.position() + event->replacementStart());
        range.setPosition(range.position() + event->replacementLength(), QTextCursor::KeepAnchor);
        removed += MessageComposer::WithCrLfLineBreaks(range.selectedText()).size();
    }
    QString fit = MessageComposer::FitInsertion(ComposerLength(), removed, commit);
    fit.replace(QLatin1String("\r\n"), QStringLiteral("\n"));
    QInputMethodEvent limited(event->preeditString(), event->attributes());
    limited.setCommitString(fit, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&limited);
    event->accept();
}

bool ComposerEdit::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText();
}

void ComposerEdit::insertFromMimeData(const QMimeData* source) {
    if (source->hasText())
        InsertLimited(source->text());
}
