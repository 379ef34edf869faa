#pragma once

#include <QPlainTextEdit>

// The composer's text box: at most 1600 UTF-16 code units counted with CR LF line breaks (typing, pasting,
// dropping and input-method commits such as dead keys and compose sequences stop at the limit, never inside a
// surrogate pair or a line break), Tab inserts a tab character instead of moving the focus. The text it holds uses '\n'; MessageComposer stores it with CR LF.
class ComposerEdit final : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ComposerEdit(QWidget* parent = nullptr);

    // The length as the composer counts it (a line break counts 2).
    qsizetype ComposerLength() const;
    // Inserts text at the caret, replacing the selection, cut to what fits.
    void InsertLimited(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
};
