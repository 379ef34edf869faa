#include "ui/ComposerEdit.h"

#include "composer/MessageComposer.h"

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

bool ComposerEdit::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText();
}

void ComposerEdit::insertFromMimeData(const QMimeData* source) {
    if (source->hasText())
        InsertLimited(source->text());
}
