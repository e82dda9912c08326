#pragma once
// The dialogs over a started base document form (tests/framework/BaseFixture.h), with a user who
// answers message dialogs from a queue and acts on the other modal windows through queued steps.
#include <deque>
#include <functional>

#include "classlib/controls/dialogs.h"
#include "classlib/rtl/strutils.h"
#include "tests/framework/BaseFixture.h"

class TDialogScript : public TModalDriver {
public:
    std::deque<AnsiString> Answers;                      // message dialogs: button names, OK when none
    std::deque<std::function<void(TCustomForm*)>> Steps; // other modal windows, one step each wait
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
        if (Steps.empty()) return false;
        auto step = std::move(Steps.front());
        Steps.pop_front();
        step(form);
        return true;
    }
};

class DialogFixture : public BaseFormFixture {
protected:
    void SetUp() override {
        BaseFormFixture::SetUp();
        FPrevious = Application->SetModalDriver(&Script);
    }
    void TearDown() override {
        Application->SetModalDriver(FPrevious);
        BaseFormFixture::TearDown();
    }
    // The texts of the message dialogs since the last call.
    std::vector<AnsiString> Shown() {
        std::vector<AnsiString> texts;
        for (const TDialogRecord& record : TakeDialogs())
            texts.push_back(TrimRight(record.Text)); // the message box pads its text
        return texts;
    }
    TDialogScript Script;

private:
    TModalDriver* FPrevious = nullptr;
};
