#pragma once
// Small component classes for the tests of the objects layer: a font, a control with a parent and
// properties of every kind, a collection, a form root with published methods and component fields.
#include <vector>

#include "classlib/objects/collection.h"
#include "classlib/objects/filer.h"
#include "classlib/objects/formloader.h"
#include "classlib/objects/rtti.h"
#include "classlib/objects/stringlist.h"

KVR_ENUM(TTestAlign, taNone, taTop, taBottom, taClient);
KVR_ENUM(TTestFontStyle, tfsBold, tfsItalic, tfsUnderline, tfsStrikeOut);
KVR_SET(TTestFontStyles, TTestFontStyle);
KVR_EVENT_TYPE(TTestKeyEvent, void(TObject* sender, int& key, bool shift));

class TTestFont : public TPersistent {
    KVR_CLASS(TTestFont, TPersistent)
public:
    TTestFont() = default;
    const AnsiString& Name() const { return FName; }
    void SetName(const AnsiString& v) { FName = v; }
    int Size() const { return FSize; }
    void SetSize(int v) { FSize = v; }
    int Color() const { return FColor; }
    void SetColor(int v) { FColor = v; }
    Byte Charset() const { return FCharset; }
    void SetCharset(Byte v) { FCharset = v; }
    TTestFontStyles Style() const { return FStyle; }
    void SetStyle(TTestFontStyles v) { FStyle = v; }
    void Assign(TPersistent* source) override;

private:
    AnsiString FName;
    int FSize = 9;
    int FColor = static_cast<int>(0x80000008u); // clWindowText
    Byte FCharset = 1;
    TTestFontStyles FStyle;
};

class TTestColumn : public TCollectionItem {
    KVR_CLASS(TTestColumn, TCollectionItem)
public:
    explicit TTestColumn(TCollection* collection) : TCollectionItem(collection) {}
    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& v) { FCaption = v; }
    int Width() const { return FWidth; }
    void SetWidth(int v) { FWidth = v; }
    void Assign(TPersistent* source) override;

private:
    AnsiString FCaption;
    int FWidth = 64;
};

// A control: owned by its form, placed in a parent control; every kind of published property.
class TTestControl : public TComponent {
    KVR_CLASS(TTestControl, TComponent)
public:
    explicit TTestControl(TComponent* owner);
    ~TTestControl() override;

    TTestControl* Parent() const { return FParent; }
    void SetParent(TTestControl* value);
    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TTestControl* Controls(int i) const { return FControls[static_cast<std::size_t>(i)]; }

    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* value) override;
    void GetChildren(const TGetChildProc& proc, TComponent* root) override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void DefineProperties(TFiler& filer) override;

    // clang-format off
    const AnsiString& Caption() const { return FCaption; }  void SetCaption(const AnsiString& v) { FCaption = v; }
    int Left() const { return FLeft; }                       void SetLeft(int v) { FLeft = v; }
    int Width() const { return FWidth; }                     void SetWidth(int v) { FWidth = v; }
    bool Visible() const { return FVisible; }                void SetVisible(bool v) { FVisible = v; }
    bool Enabled() const { return FEnabled; }                void SetEnabled(bool v) { FEnabled = v; }
    TTestAlign Align() const { return FAlign; }              void SetAlign(TTestAlign v) { FAlign = v; }
    int Color() const { return FColor; }                     void SetColor(int v) { FColor = v; }
    TTestFont* Font() const { return FFont; }                void SetFont(TTestFont* v) { FFont->Assign(v); }
    TStrings* Items() const { return FItems; }               void SetItems(TStrings* v) { FItems->Assign(v); }
    double Ratio() const { return FRatio; }                  void SetRatio(double v) { FRatio = v; }
    float Weight() const { return FWeight; }                 void SetWeight(float v) { FWeight = v; }
    double Amount() const { return FAmount; }                void SetAmount(double v) { FAmount = v; }
    double Stamp() const { return FStamp; }                  void SetStamp(double v) { FStamp = v; }
    Int64 Big() const { return FBig; }                       void SetBig(Int64 v) { FBig = v; }
    const WideString& Title() const { return FTitle; }       void SetTitle(const WideString& v) { FTitle = v; }
    const Variant& Value() const { return FValue; }          void SetValue(const Variant& v) { FValue = v; }
    char Letter() const { return FLetter; }                  void SetLetter(char v) { FLetter = v; }
    TComponent* Link() const { return FLink; }               void SetLink(TComponent* v);
    TCollection* Columns() const { return FColumns; }        void SetColumns(TCollection* v) { FColumns->Assign(v); }
    const TNotifyEvent& OnClick() const { return FOnClick; } void SetOnClick(const TNotifyEvent& v) { FOnClick = v; }
    const TTestKeyEvent& OnKey() const { return FOnKey; }    void SetOnKey(const TTestKeyEvent& v) { FOnKey = v; }
    // clang-format on

    void Click() {
        if (FOnClick) FOnClick(this);
    }

    AnsiString Data;        // streamed itself, as a binary property
    std::vector<int> Marks; // streamed itself, as a list of integers
    int LoadedCount = 0;
    bool SawLoadingInLoaded = false;

private:
    TTestControl* FParent = nullptr;
    std::vector<TTestControl*> FControls;
    AnsiString FCaption;
    int FLeft = 0;
    int FWidth = 75;
    bool FVisible = true;
    bool FEnabled = true;
    TTestAlign FAlign = taNone;
    int FColor = static_cast<int>(0x8000000Fu); // clBtnFace
    TTestFont* FFont;
    TStringList* FItems;
    double FRatio = 0;
    float FWeight = 0;
    double FAmount = 0;
    double FStamp = 0;
    Int64 FBig = 0;
    WideString FTitle;
    char FLetter = '\0';
    Variant FValue;
    TComponent* FLink = nullptr;
    TOwnedCollection* FColumns;
    TNotifyEvent FOnClick;
    TTestKeyEvent FOnKey;
};

class TTestButton : public TTestControl {
    KVR_CLASS(TTestButton, TTestControl)
public:
    explicit TTestButton(TComponent* owner) : TTestControl(owner) {}
    bool Default() const { return FDefault; }
    void SetDefault(bool v) { FDefault = v; }

private:
    bool FDefault = false;
};

// A non-visual component, written at the root's level.
class TTestTimer : public TComponent {
    KVR_CLASS(TTestTimer, TComponent)
public:
    explicit TTestTimer(TComponent* owner) : TComponent(owner) {}
    int Interval() const { return FInterval; }
    void SetInterval(int v) { FInterval = v; }
    const TNotifyEvent& OnTimer() const { return FOnTimer; }
    void SetOnTimer(const TNotifyEvent& v) { FOnTimer = v; }
    TNotifyEvent FOnTimer;

private:
    int FInterval = 1000;
};

// A form: the root of its stream, a control itself.
class TTestForm : public TTestControl {
    KVR_CLASS(TTestForm, TTestControl)
public:
    explicit TTestForm(TComponent* owner) : TTestControl(owner) {}
    bool HasParent() const override { return false; }
    void GetChildren(const TGetChildProc& proc, TComponent* root) override;

    void FormClick(TObject* sender) {
        Clicks.push_back("FormClick:" + static_cast<TComponent*>(sender)->Name());
    }
    void OtherClick(TObject* sender) {
        Clicks.push_back("OtherClick:" + static_cast<TComponent*>(sender)->Name());
    }
    void KeyHandler(TObject*, int& key, bool) { key = 0; }
    std::vector<AnsiString> Clicks;
};

// The ancestor form of the inheritance tests and its descendant, with their streams registered.
class TfrmTestBase : public TTestForm {
    KVR_CLASS(TfrmTestBase, TTestForm)
public:
    explicit TfrmTestBase(TComponent* owner, bool load = true);
    void btnOKClick(TObject* sender) {
        Clicks.push_back("base.btnOKClick:" + static_cast<TComponent*>(sender)->Name());
    }
    TTestButton* btnOK = nullptr;
    TTestControl* pnlTop = nullptr;
};

class TfrmTestChild : public TfrmTestBase {
    KVR_CLASS(TfrmTestChild, TfrmTestBase)
public:
    explicit TfrmTestChild(TComponent* owner, bool load = true);
    void btnCancelClick(TObject* sender) {
        Clicks.push_back("child.btnCancelClick:" + static_cast<TComponent*>(sender)->Name());
    }
    TTestButton* btnCancel = nullptr;
    TTestTimer* tmrPoll = nullptr;
};

// A frame: a control with a stream of its own, placed on forms inline.
class TTestFrame : public TTestControl {
    KVR_CLASS(TTestFrame, TTestControl)
public:
    explicit TTestFrame(TComponent* owner) : TTestControl(owner) { InitInheritedComponent(this); }
    void GetChildren(const TGetChildProc& proc, TComponent* root) override;
};

extern const char* const TestBaseText;
extern const char* const TestChildText;
