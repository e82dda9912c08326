#include "testclasses.h"

KVR_PUBLISHED(TTestFont, c) {
    c.Property("Charset", &TTestFont::Charset, &TTestFont::SetCharset).Type("TFontCharset").Default(1);
    c.Property("Color", &TTestFont::Color, &TTestFont::SetColor)
        .Type("TColor")
        .Default(static_cast<int>(0x80000008u));
    c.Property("Name", &TTestFont::Name, &TTestFont::SetName);
    c.Property("Size", &TTestFont::Size, &TTestFont::SetSize).Default(9);
    c.Property("Style", &TTestFont::Style, &TTestFont::SetStyle).Default(0);
}

void TTestFont::Assign(TPersistent* source) {
    if (auto* f = dynamic_cast<TTestFont*>(source)) {
        FName = f->FName;
        FSize = f->FSize;
        FColor = f->FColor;
        FCharset = f->FCharset;
        FStyle = f->FStyle;
        return;
    }
    TPersistent::Assign(source);
}

KVR_PUBLISHED(TTestColumn, c) {
    c.Property("Caption", &TTestColumn::Caption, &TTestColumn::SetCaption);
    c.Property("Width", &TTestColumn::Width, &TTestColumn::SetWidth).Default(64);
}

void TTestColumn::Assign(TPersistent* source) {
    if (auto* col = dynamic_cast<TTestColumn*>(source)) {
        FCaption = col->FCaption;
        FWidth = col->FWidth;
        return;
    }
    TCollectionItem::Assign(source);
}

KVR_PUBLISHED(TTestControl, c) {
    c.Property("Align", &TTestControl::Align, &TTestControl::SetAlign).Default(taNone);
    c.Property("Amount", &TTestControl::Amount, &TTestControl::SetAmount).Type("Currency");
    c.Property("Big", &TTestControl::Big, &TTestControl::SetBig).Default(0);
    c.Property("Caption", &TTestControl::Caption, &TTestControl::SetCaption);
    c.Property("Color", &TTestControl::Color, &TTestControl::SetColor)
        .Type("TColor")
        .Default(static_cast<int>(0x8000000Fu));
    c.Property("Columns", &TTestControl::Columns, &TTestControl::SetColumns);
    c.Property("Enabled", &TTestControl::Enabled, &TTestControl::SetEnabled).Default(1);
    c.Property("Font", &TTestControl::Font, &TTestControl::SetFont);
    c.Property("Items", &TTestControl::Items, &TTestControl::SetItems);
    c.Property("Left", &TTestControl::Left, &TTestControl::SetLeft);
    c.Property("Letter", &TTestControl::Letter, &TTestControl::SetLetter).Default(0);
    c.Property("Link", &TTestControl::Link, &TTestControl::SetLink);
    c.Property("Ratio", &TTestControl::Ratio, &TTestControl::SetRatio);
    c.Property("Stamp", &TTestControl::Stamp, &TTestControl::SetStamp).Type("TDateTime");
    c.Property("Title", &TTestControl::Title, &TTestControl::SetTitle);
    c.Property("Value", &TTestControl::Value, &TTestControl::SetValue);
    c.Property("Visible", &TTestControl::Visible, &TTestControl::SetVisible).Default(1);
    c.Property("Weight", &TTestControl::Weight, &TTestControl::SetWeight);
    c.Property("Width", &TTestControl::Width, &TTestControl::SetWidth).Default(75);
    c.Property("OnClick", &TTestControl::OnClick, &TTestControl::SetOnClick);
    c.Property("OnKey", &TTestControl::OnKey, &TTestControl::SetOnKey);
}

TTestControl::TTestControl(TComponent* owner)
    : TComponent(owner), FFont(new TTestFont), FItems(new TStringList),
      FColumns(new TOwnedCollection(this, TTestColumn::StaticClass())) {}

TTestControl::~TTestControl() {
    while (!FControls.empty())
        FControls.back()->SetParent(nullptr);
    SetParent(nullptr);
    delete FFont;
    delete FItems;
    delete FColumns;
}

void TTestControl::SetParent(TTestControl* value) {
    if (FParent == value) return;
    for (TTestControl* p = value; p; p = p->FParent)
        if (p == this) throw EInvalidOperation("A control cannot have itself or its child as its parent");
    if (FParent) std::erase(FParent->FControls, this);
    FParent = value;
    if (FParent) FParent->FControls.push_back(this);
}

TComponent* TTestControl::GetParentComponent() const {
    return FParent;
}

void TTestControl::SetParentComponent(TComponent* value) {
    if (auto* parent = dynamic_cast<TTestControl*>(value)) SetParent(parent);
}

void TTestControl::GetChildren(const TGetChildProc& proc, TComponent*) {
    for (TTestControl* c : FControls)
        proc(c);
}

void TTestControl::Loaded() {
    SawLoadingInLoaded = ComponentState().Contains(csLoading);
    ++LoadedCount;
    TComponent::Loaded();
}

void TTestControl::SetLink(TComponent* v) {
    if (FLink == v) return;
    if (FLink) FLink->RemoveFreeNotification(this);
    FLink = v;
    if (FLink) FLink->FreeNotification(this);
}

void TTestControl::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == FLink) FLink = nullptr;
    if (operation == opRemove && component == FParent) SetParent(nullptr);
}

void TTestControl::DefineProperties(TFiler& filer) {
    TComponent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Data",
        [this](TStream& s) {
            Data.resize(static_cast<std::size_t>(s.Size()));
            s.ReadBuffer(Data.data(), s.Size());
        },
        [this](TStream& s) { s.WriteBuffer(Data.data(), static_cast<Int64>(Data.size())); }, !Data.empty());
    filer.DefineProperty(
        "Marks",
        [this](TReader& r) {
            Marks.clear();
            r.ReadListBegin();
            while (!r.EndOfList())
                Marks.push_back(r.ReadInteger());
            r.ReadListEnd();
        },
        [this](TWriter& w) {
            w.WriteListBegin();
            for (int m : Marks)
                w.WriteInteger(m);
            w.WriteListEnd();
        },
        !Marks.empty());
}

KVR_PUBLISHED(TTestButton, c) {
    c.Property("Default", &TTestButton::Default, &TTestButton::SetDefault).Default(0);
}

KVR_PUBLISHED(TTestTimer, c) {
    c.Property("Interval", &TTestTimer::Interval, &TTestTimer::SetInterval).Default(1000);
    c.Property("OnTimer", &TTestTimer::FOnTimer);
}

KVR_PUBLISHED(TTestForm, c) {
    c.Method("FormClick", &TTestForm::FormClick);
    c.Method("OtherClick", &TTestForm::OtherClick);
    c.Method("KeyHandler", &TTestForm::KeyHandler);
}

void TTestForm::GetChildren(const TGetChildProc& proc, TComponent* root) {
    if (root == this) {
        for (int i = 0; i < ComponentCount(); ++i)
            if (!Components(i)->HasParent()) proc(Components(i));
    }
    TTestControl::GetChildren(proc, root);
}

KVR_PUBLISHED(TfrmTestBase, c) {
    c.Method("btnOKClick", &TfrmTestBase::btnOKClick);
    c.Field("btnOK", &TfrmTestBase::btnOK);
    c.Field("pnlTop", &TfrmTestBase::pnlTop);
}

TfrmTestBase::TfrmTestBase(TComponent* owner, bool load) : TTestForm(owner) {
    if (load) InitInheritedComponent(this);
}

KVR_PUBLISHED(TfrmTestChild, c) {
    c.Method("btnCancelClick", &TfrmTestChild::btnCancelClick);
    c.Field("btnCancel", &TfrmTestChild::btnCancel);
    c.Field("tmrPoll", &TfrmTestChild::tmrPoll);
}

TfrmTestChild::TfrmTestChild(TComponent* owner, bool load) : TfrmTestBase(owner, false) {
    if (load) InitInheritedComponent(this);
}

const char* const TestBaseText = "object frmTestBase: TfrmTestBase\r\n"
                                 "  Caption = '基础窗体'\r\n"
                                 "  Left = 0\r\n"
                                 "  Width = 400\r\n"
                                 "  object pnlTop: TTestControl\r\n"
                                 "    Align = taTop\r\n"
                                 "    Caption = 'Top'\r\n"
                                 "    Left = 0\r\n"
                                 "    object btnOK: TTestButton\r\n"
                                 "      Caption = '确定'\r\n"
                                 "      Left = 8\r\n"
                                 "      OnClick = btnOKClick\r\n"
                                 "    end\r\n"
                                 "  end\r\n"
                                 "end\r\n";

const char* const TestChildText = "inherited frmTestChild: TfrmTestChild\r\n"
                                  "  Caption = '子窗体'\r\n"
                                  "  object tmrPoll: TTestTimer\r\n"
                                  "    Interval = 500\r\n"
                                  "    OnTimer = btnOKClick\r\n"
                                  "  end\r\n"
                                  "  inherited pnlTop: TTestControl\r\n"
                                  "    inherited btnOK: TTestButton\r\n"
                                  "      Left = 16\r\n"
                                  "      Link = btnCancel\r\n"
                                  "    end\r\n"
                                  "    object btnCancel: TTestButton\r\n"
                                  "      Caption = '取消'\r\n"
                                  "      Left = 96\r\n"
                                  "      OnClick = btnCancelClick\r\n"
                                  "    end\r\n"
                                  "  end\r\n"
                                  "end\r\n";

KVR_FORM_RESOURCE(TfrmTestBase, TestBaseText);
KVR_FORM_RESOURCE(TfrmTestChild, TestChildText);

KVR_PUBLISHED(TTestFrame, c) {}

void TTestFrame::GetChildren(const TGetChildProc& proc, TComponent* root) {
    // Its own non-visual components too, as a root does.
    for (int i = 0; i < ComponentCount(); ++i)
        if (!Components(i)->HasParent()) proc(Components(i));
    TTestControl::GetChildren(proc, root);
}

KVR_FORM_RESOURCE(TTestFrame, "object TestFrame: TTestFrame\r\n"
                              "  Width = 200\r\n"
                              "  object lblTitle: TTestControl\r\n"
                              "    Caption = 'Frame'\r\n"
                              "  end\r\n"
                              "end\r\n");
