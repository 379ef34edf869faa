#pragma once

#include <QString>

// Every notice and question a controller puts to the user goes through this interface: the windows answer
// with a message box, tests with scripted answers, the command line from its options.
class Prompter {
public:
    enum class Icon { None, Information, Warning, Question, Error };
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~Prompter() = default;

    // Shows the message and gives the button the user chose. May be called from any thread; an
    // implementation that needs its own thread marshals the call and waits.
    virtual Answer Ask(const QString& message, const QString& caption, Icon icon, Buttons buttons) = 0;

    // A refusal or notice: caption "Message", information icon, OK.
    void Notice(const QString& message) { Ask(message, QStringLiteral("Message"), Icon::Information, Buttons::Ok); }
    // A question: caption "Confirm", Yes/No; true for Yes.
    bool Confirm(const QString& message) {
        return Ask(message, QStringLiteral("Confirm"), Icon::Question, Buttons::YesNo) == Answer::Yes;
    }
};
