#include "ui/NumberEdit.h"

#include <QKeyEvent>

NumberEdit::NumberEdit(QWidget* parent) : QLineEdit(parent) {
    setMaxLength(kMaxLength);
}

void NumberEdit::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    const Qt::KeyboardModifiers mods = event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (mods == Qt::NoModifier && text.size() == 1 && text.at(0).isPrint()) {
        const QChar c = text.at(0);
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('+'))) {
            event->ignore();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}
