#pragma once
// The dialogs over a started base document form (tests/framework/BaseFixture.h), with a user who
// answers message dialogs from a queue and acts on the other modal windows through queued steps.
#include <deque>
#include <functional>

#include "classlib/controls/dialogs.h"
#include "classlib/rtl/strutils.h"
#include "tests/framework/BaseFixture.h"
#include "tests/support/dialoguser.h"

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
    TDialogUser Script;

private:
    TModalDriver* FPrevious = nullptr;
};
