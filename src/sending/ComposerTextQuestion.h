#pragma once

#include <QString>

// The composer text question of the Send command (the window CSend_Msg_Info, title "Information"): the
// composer text differs from the message last applied to the list; should the rows get it? Two choices
// (every row, or only rows with a blank message) and three buttons. The window, a test or the command line
// answers; the Send command applies the answer to the list.
class ComposerTextQuestion {
public:
    enum class Button { Yes, ContinueAnyway, Cancel };
    enum class Scope { AllRows, BlankRowsOnly };
    struct Answer {
        Button button = Button::Cancel; // Esc and closing the window answer Cancel
        Scope scope = Scope::AllRows;
    };

    static inline const QString kTitle = QStringLiteral("Information");
    static inline const QString kText = QStringLiteral(
        "You have made the changes in the text in message composer.\n\nDo you want to update the messages in list "
        "items?");
    static inline const QString kAllRowsChoice = QStringLiteral("Apply message to all list items ");
    static inline const QString kBlankRowsChoice = QStringLiteral("Apply message only in blank list items");
    static inline const QString kYesButton = QStringLiteral("Yes");
    static inline const QString kContinueButton = QStringLiteral("Continue Anyway");
    static inline const QString kCancelButton = QStringLiteral("Cancel");
    static constexpr Scope kDefaultScope = Scope::AllRows;

    virtual ~ComposerTextQuestion() = default;
    // Shows the question with kDefaultScope chosen at first; may be called from any thread (an
    // implementation that needs its own thread marshals the call and waits).
    virtual Answer Ask() = 0;
};
