#pragma once
// The user of a headless run: answers each message dialog with the next queued button name (OK when
// none is queued), and acts on any other modal window with the next queued step, or, when no step is
// queued, with Others (left waiting when there is none). Tests and benchmarks install it as the
// application's modal driver.
#include <deque>
#include <functional>

#include "classlib/controls/dialogs.h"
#include "classlib/controls/forms.h"

class TDialogUser : public TModalDriver {
public:
    std::deque<AnsiString> Answers;
    std::deque<std::function<void(TCustomForm*)>> Steps;
    std::function<void(TCustomForm*)> Others;

    bool Idle(TCustomForm* form) override {
        if (dynamic_cast<TMessageForm*>(form)) {
            AnsiString answer = "OK";
            if (!Answers.empty()) {
                answer = Answers.front();
                Answers.pop_front();
            }
            UserAnswer(form, answer);
            return true;
        }
        if (!Steps.empty()) {
            auto step = std::move(Steps.front());
            Steps.pop_front();
            step(form);
            return true;
        }
        if (!Others) return false;
        Others(form);
        return true;
    }
};
