#pragma once

#include "sending/ComposerTextQuestion.h"

#include <QDialog>

class QRadioButton;

// "Information": the composer text changed since it was last put into the rows. "Yes" (with the choice of
// all rows or only blank ones), "Continue Anyway" or "Cancel" (also Esc and the title bar). The window
// only asks; the caller applies the choice.
class CSend_Msg_Info final : public QDialog {
    Q_OBJECT
public:
    enum class Choice { Yes, ContinueAnyway, Cancel };

    explicit CSend_Msg_Info(QWidget* parent = nullptr);

    Choice Result() const { return m_choice; }
    // With Yes: true for "Apply message only in blank list items".
    bool OnlyBlankRows() const;
    QRadioButton* AllRowsOption() const { return m_all; }
    QRadioButton* BlankRowsOption() const { return m_blank; }

    // Shows the window modally and gives the button pressed.
    Choice Ask();

private:
    Choice m_choice = Choice::Cancel;
    QRadioButton* m_all;
    QRadioButton* m_blank;
};
