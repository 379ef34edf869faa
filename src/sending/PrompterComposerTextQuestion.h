#pragma once

#include "app/Prompter.h"
#include "sending/ComposerTextQuestion.h"

// The composer text question put through a Prompter, for front ends without the question window (the
// command line): Yes, No and Cancel stand for "Yes", "Continue Anyway" and "Cancel"; the rows a Yes writes
// are fixed when the object is made.
class PrompterComposerTextQuestion final : public ComposerTextQuestion {
public:
    explicit PrompterComposerTextQuestion(Prompter& prompter, Scope scope = kDefaultScope)
        : m_prompter(prompter), m_scope(scope) {}

    Answer Ask() override {
        switch (m_prompter.Ask(kText, kTitle, Prompter::Icon::Question, Prompter::Buttons::YesNoCancel)) {
        case Prompter::Answer::Yes:
        case Prompter::Answer::Ok:
            return {Button::Yes, m_scope};
        case Prompter::Answer::No:
            return {Button::ContinueAnyway, m_scope};
        case Prompter::Answer::Cancel:
            break;
        }
        return {Button::Cancel, m_scope};
    }

private:
    Prompter& m_prompter;
    Scope m_scope;
};
