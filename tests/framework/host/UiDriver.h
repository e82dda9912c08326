#pragma once
// The user of the controller tests: a modal driver that answers every message box with OK and, while
// the program's form waits in its modal loop, runs the step the test gave it once.
#include <functional>
#include <vector>

#include "classlib/controls/forms.h"

class TUiDriver : public TModalDriver {
public:
    void Install() {
        Application->ClearDialogs();
        FPrevious = Application->SetModalDriver(this);
    }
    void Uninstall() {
        Application->SetModalDriver(FPrevious);
        FStep = nullptr;
    }
    // The texts of the message boxes shown since the last ClearDialogs.
    std::vector<AnsiString> Dialogs() const {
        std::vector<AnsiString> texts;
        for (const TDialogRecord& record : Application->Dialogs())
            texts.push_back(record.Text);
        return texts;
    }
    void ClearDialogs() { Application->ClearDialogs(); }
    // What the user does on the form while it waits modally: once, then nothing (the loop would raise).
    void OnModalIdle(TCustomForm* form, std::function<void()> step) {
        FModalForm = form;
        FStep = std::move(step);
    }

    bool Idle(TCustomForm* form) override {
        if (form != FModalForm) { // a message box
            UserAnswer(form, "OK");
            return true;
        }
        if (!FStep) return false;
        auto step = std::move(FStep);
        FStep = nullptr;
        step();
        return true;
    }

private:
    TModalDriver* FPrevious = nullptr;
    TCustomForm* FModalForm = nullptr;
    std::function<void()> FStep;
};
