#pragma once
// Controls the tests of the controls layer share: an edit that takes typed characters and a test form
// described by a form stream.
#include <vector>

#include "classlib/controls/button.h"
#include "classlib/controls/forms.h"

// A one-line edit: WM_CHAR appends (Backspace removes the last byte), EM_SETSEL 0, -1 selects all so the
// next character replaces the text; it wants characters and arrows for itself.
class TTestEdit : public TCustomControl {
    KVR_CLASS(TTestEdit, TCustomControl)
    KVR_MESSAGES(TTestEdit)
public:
    explicit TTestEdit(TComponent* owner);
    bool AllSelected = false;
    std::vector<Word> KeysSeen;

protected:
    void KeyDown(Word& key, TShiftState shift) override;
    void Paint() override;
    void WMChar(TMessage& message);
    void EMSetSel(TMessage& message);
    void WMGetDlgCode(TMessage& message);
    void WMLButtonDown(TMessage& message);
};

// The form of the stream tests; its handlers record what ran.
class TfrmTest : public TForm {
    KVR_CLASS(TfrmTest, TForm)
public:
    explicit TfrmTest(TComponent* owner);

    TCustomControl* pnlTop = nullptr;
    TTestEdit* edName = nullptr;
    TTestEdit* edCode = nullptr;
    TButton* btnOK = nullptr;
    TButton* btnCancel = nullptr;

    std::vector<AnsiString> Events;
    int CreateCount = 0;
    int CloseQueries = 0;
    bool RequireName = false;
    Word SwallowKey = 0;

    void FormCreate(TObject* sender);
    void FormKeyDown(TObject* sender, Word& key, TShiftState shift);
    void FormKeyPress(TObject* sender, char& key);
    void FormCloseQuery(TObject* sender, bool& canClose);
    void FormShow(TObject* sender);
    void FormActivate(TObject* sender);
    void ControlEnter(TObject* sender);
    void ControlExit(TObject* sender);
    void btnOKClick(TObject* sender);
    void edKeyDown(TObject* sender, Word& key, TShiftState shift);
};

// Frees every form left on the screen and removes the driver, so tests do not see each other's.
struct TFormsCleanup {
    TFormsCleanup();
    ~TFormsCleanup();
};
