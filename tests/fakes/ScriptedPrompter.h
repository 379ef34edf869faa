#pragma once

#include "app/Prompter.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <mutex>
#include <vector>

// A Prompter for tests: answers from a script, first in first out, and records every question asked.
class ScriptedPrompter : public Prompter {
public:
    struct Question {
        QString message;
        QString caption;
        Icon icon;
        Buttons buttons;
    };

    // Answers given in order; when none is left, Ok for Ok buttons and No for Yes/No questions.
    void Script(std::initializer_list<Answer> answers) {
        std::lock_guard lock(m_mutex);
        m_script.insert(m_script.end(), answers);
    }

    // Called with each question as it is asked (on the asking thread), before it is answered.
    std::function<void(const QString& message)> onAsk;

    Answer Ask(const QString& message, const QString& caption, Icon icon, Buttons buttons) override {
        if (onAsk)
            onAsk(message);
        std::lock_guard lock(m_mutex);
        m_asked.push_back({message, caption, icon, buttons});
        if (!m_script.empty()) {
            const Answer a = m_script.front();
            m_script.pop_front();
            return a;
        }
        switch (buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::OkCancel:
            return Answer::Cancel;
        case Buttons::YesNo:
        case Buttons::YesNoCancel:
            return Answer::No;
        }
        return Answer::Ok;
    }

    std::vector<Question> Asked() const {
        std::lock_guard lock(m_mutex);
        return m_asked;
    }
    // The messages asked so far, in order.
    QStringList Messages() const {
        std::lock_guard lock(m_mutex);
        QStringList out;
        for (const Question& q : m_asked)
            out << q.message;
        return out;
    }
    void Clear() {
        std::lock_guard lock(m_mutex);
        m_asked.clear();
        m_script.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::deque<Answer> m_script;
    std::vector<Question> m_asked;
};
