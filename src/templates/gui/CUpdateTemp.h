#pragma once

#include <QDialog>
#include <QStringList>

class ComposerEdit;
class Prompter;
class QLabel;
class QPushButton;

// The template dialog of the templates window: "Add Template" (OK button "Add", the box empty) or "Update
// Template" (OK button "Update", the box holding the template). The box takes at most 1,600 characters, a line
// break counting two, and Tab inserts a tab; "%d Characters" follows every change. OK refuses an empty text
// and a text that another template already has (TemplatesController::CheckTemplateText), shown through the
// Prompter, the dialog staying open with the focus on the box.
class CUpdateTemp final : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Add, Update };

    // rows: the window's templates; row: the one being updated (ignored when adding).
    CUpdateTemp(Mode mode, const QStringList& rows, qsizetype row, Prompter& prompter, QWidget* parent = nullptr);

    // The text as typed, its line breaks CR LF (the form templates are kept in).
    QString Text() const;

    ComposerEdit* TextBox() const { return m_text; }
    QLabel* Counter() const { return m_counter; }
    QPushButton* OkButton() const { return m_ok; }

    void accept() override;

private:
    void Recount();

    QStringList m_rows;
    qsizetype m_row;
    Prompter& m_prompter;
    ComposerEdit* m_text;
    QLabel* m_counter;
    QPushButton* m_ok;
};
