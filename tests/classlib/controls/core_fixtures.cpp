#include "core_fixtures.h"

#include "classlib/objects/formloader.h"
#include "classlib/rtl/format.h"

KVR_PUBLISHED(TTestEdit, c) {
    c.Property("Text", &TTestEdit::Text, &TTestEdit::SetText);
}

KVR_MESSAGE_MAP(TTestEdit, m) {
    m.Handle(WM_CHAR, &TTestEdit::WMChar);
    m.Handle(EM_SETSEL, &TTestEdit::EMSetSel);
    m.Handle(WM_GETDLGCODE, &TTestEdit::WMGetDlgCode);
    m.Handle(WM_LBUTTONDOWN, &TTestEdit::WMLButtonDown);
}

TTestEdit::TTestEdit(TComponent* owner) : TCustomControl(owner) {
    SetTabStop(true);
    SetBounds(0, 0, 121, 21);
    FParentColor = false;
    FColor = clWindow;
}

void TTestEdit::KeyDown(Word& key, TShiftState shift) {
    KeysSeen.push_back(key);
    inherited::KeyDown(key, shift);
}

void TTestEdit::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    DrawEdge(c, r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(r.Left + 2, r.Top + 2, Text());
}

void TTestEdit::WMChar(TMessage& message) {
    // The form's key preview and OnKeyPress first, as for every windowed control.
    InheritedMessage(message);
    if (message.WParam == 0) return;
    char ch = static_cast<char>(message.WParam);
    AnsiString text = AllSelected ? AnsiString() : Text();
    AllSelected = false;
    if (ch == 8) {
        if (!text.empty()) text.pop_back();
    } else if (static_cast<unsigned char>(ch) >= 0x20) {
        text += ch;
    }
    SetText(text);
}

void TTestEdit::EMSetSel(TMessage& message) {
    AllSelected = message.WParam == 0 && message.LParam == -1;
}

void TTestEdit::WMGetDlgCode(TMessage& message) {
    message.Result = DLGC_WANTCHARS | DLGC_WANTARROWS;
}

void TTestEdit::WMLButtonDown(TMessage& message) {
    if (CanFocus()) SetFocus();
    InheritedMessage(message);
}

// The edit's WM_CHAR reaches TWinControl's handling (key preview, OnKeyPress) through InheritedMessage,
// which ends in DefaultHandler; TWinControl::WMChar returns without a default of its own.

KVR_PUBLISHED(TfrmTest, c) {
    c.Field("pnlTop", &TfrmTest::pnlTop);
    c.Field("edName", &TfrmTest::edName);
    c.Field("edCode", &TfrmTest::edCode);
    c.Field("btnOK", &TfrmTest::btnOK);
    c.Field("btnCancel", &TfrmTest::btnCancel);
    c.Method("FormCreate", &TfrmTest::FormCreate);
    c.Method("FormKeyDown", &TfrmTest::FormKeyDown);
    c.Method("FormKeyPress", &TfrmTest::FormKeyPress);
    c.Method("FormCloseQuery", &TfrmTest::FormCloseQuery);
    c.Method("FormShow", &TfrmTest::FormShow);
    c.Method("FormActivate", &TfrmTest::FormActivate);
    c.Method("ControlEnter", &TfrmTest::ControlEnter);
    c.Method("ControlExit", &TfrmTest::ControlExit);
    c.Method("btnOKClick", &TfrmTest::btnOKClick);
    c.Method("edKeyDown", &TfrmTest::edKeyDown);
}

KVR_FORM_RESOURCE(TfrmTest, R"(object frmTest: TfrmTest
  Left = 100
  Top = 50
  BorderStyle = bsDialog
  Caption = '测试窗口'
  ClientHeight = 120
  ClientWidth = 240
  Color = clBtnFace
  KeyPreview = True
  ShowHint = True
  OnActivate = FormActivate
  OnCloseQuery = FormCloseQuery
  OnCreate = FormCreate
  OnKeyDown = FormKeyDown
  OnKeyPress = FormKeyPress
  OnShow = FormShow
  object pnlTop: TCustomControl
    Left = 0
    Top = 0
    Width = 100
    Height = 40
    Align = alTop
    TabOrder = 0
    object edName: TTestEdit
      Left = 8
      Top = 8
      Width = 120
      Height = 21
      Hint = '姓名|输入姓名'
      TabOrder = 0
      OnEnter = ControlEnter
      OnExit = ControlExit
      OnKeyDown = edKeyDown
    end
  end
  object edCode: TTestEdit
    Left = 8
    Top = 50
    Width = 120
    Height = 21
    TabOrder = 1
    OnEnter = ControlEnter
    OnExit = ControlExit
  end
  object btnOK: TButton
    Left = 76
    Top = 88
    Width = 75
    Height = 25
    Caption = '确定(&O)'
    Default = True
    ModalResult = 1
    TabOrder = 2
    OnClick = btnOKClick
    OnEnter = ControlEnter
    OnExit = ControlExit
  end
  object btnCancel: TButton
    Left = 158
    Top = 88
    Width = 75
    Height = 25
    Cancel = True
    Caption = '取消'
    ModalResult = 2
    TabOrder = 3
  end
end
)");

TfrmTest::TfrmTest(TComponent* owner) : TForm(owner) {
    InitInheritedComponent(this);
}

void TfrmTest::FormCreate(TObject*) {
    ++CreateCount;
    Events.push_back("create");
}

void TfrmTest::FormKeyDown(TObject*, Word& key, TShiftState) {
    Events.push_back("form key " + IntToStr(key));
    if (key == SwallowKey) key = 0;
}

void TfrmTest::FormKeyPress(TObject*, char& key) {
    if (key == '\r') Events.push_back("form enter");
}

void TfrmTest::FormCloseQuery(TObject*, bool& canClose) {
    ++CloseQueries;
    canClose = !RequireName || !edName->Text().empty();
}

void TfrmTest::FormShow(TObject*) {
    Events.push_back("show");
}
void TfrmTest::FormActivate(TObject*) {
    Events.push_back("activate");
}

void TfrmTest::ControlEnter(TObject* sender) {
    Events.push_back("enter " + static_cast<TComponent*>(sender)->Name());
}

void TfrmTest::ControlExit(TObject* sender) {
    Events.push_back("exit " + static_cast<TComponent*>(sender)->Name());
}

void TfrmTest::btnOKClick(TObject*) {
    Events.push_back("ok click");
}

void TfrmTest::edKeyDown(TObject*, Word& key, TShiftState) {
    Events.push_back("edit key " + IntToStr(key));
}

TFormsCleanup::TFormsCleanup() {
    Application->SetModalDriver(nullptr);
    Application->ClearDialogs();
    Application->ResetTerminated();
    TMsg msg;
    while (PeekMessage(msg, true)) {
    }
}

TFormsCleanup::~TFormsCleanup() {
    Application->SetModalDriver(nullptr);
    while (Screen->FormCount() > 0)
        Screen->Forms(0)->Free();
    TMsg msg;
    while (PeekMessage(msg, true)) {
    }
    Application->ClearDialogs();
    Application->ResetTerminated();
    Application->SetMainForm(nullptr);
    SetKeyboardShiftState(TShiftState());
}
