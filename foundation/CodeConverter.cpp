#include "foundation/CodeConverter.h"

#include <map>
#include <mutex>
#include <vector>

#include "classlib/controls/comctrls.h"
#include "classlib/controls/grids.h"
#include "classlib/controls/menus.h"
#include "classlib/controls/stdctrls.h"
#include "classlib/objects/collection.h"
#include "classlib/objects/rtti.h"
#include "classlib/rtl/strutils.h"
#include "foundation/VeltraneIni.h"

namespace {

std::mutex& ConversionsMutex() {
    static std::mutex mutex;
    return mutex;
}

std::map<AnsiString, TClassConvertProc, TIdentLess>& Conversions() {
    static std::map<AnsiString, TClassConvertProc, TIdentLess> conversions;
    return conversions;
}

// The published property of that name whose type has that name, both ignoring case; nil otherwise.
const TPropInfo* TypedProp(TObject* object, const char* propName, const char* typeName) {
    const TPropInfo* prop = object ? GetPropInfo(object, propName) : nullptr;
    if (!prop || !SameText(prop->PropType()->Name(), typeName)) return nullptr;
    return prop;
}

void ConvertStrProp(TObject* object, const char* propName, const TCodeConverter& converter, Byte direction) {
    const TPropInfo* prop = object ? GetPropInfo(object, propName) : nullptr;
    if (!prop || !prop->Readable() || !prop->Writable()) return;
    if (prop->Kind() != tkLString && prop->Kind() != tkString) return;
    AnsiString text = prop->GetStr(object);
    AnsiString converted = converter.ConvertString(direction, text);
    if (converted != text) prop->SetStr(object, converted);
}

const char kSeparator = '\x03';

} // namespace

void RegisterClassConversion(const AnsiString& className, TClassConvertProc proc) {
    std::lock_guard<std::mutex> lock(ConversionsMutex());
    Conversions()[className] = std::move(proc);
}

void UnRegisterClassConversion(const AnsiString& className) {
    std::lock_guard<std::mutex> lock(ConversionsMutex());
    Conversions().erase(className);
}

bool ClassIsNamed(const TObject* object, const AnsiString& className) {
    if (!object) return false;
    for (TClass cls = object->ClassType(); cls; cls = cls->ClassParent())
        if (cls->ClassNameIs(className)) return true;
    return false;
}

KVR_PUBLISHED(TCodeConverter, c) {
    c.Property("DesignType", &TCodeConverter::DesignType, &TCodeConverter::SetDesignType).Default(dtClient);
    // Read only: what a host asks to speak to the user in the form's code page.
    c.Property("UICodePage", &TCodeConverter::UICodePage, nullptr);
}

TCodeConverter::TCodeConverter(TComponent* owner)
    : TComponent(owner), FExceptList(std::make_unique<TStringList>()) {
    LoadSettings();
    // A GB user interface over a BIG5 database needs the translator too: without it the values typed
    // would reach the database as GB bytes.
    FFormConversion = FUIConvertMode != 0;
    if (FUIConvertMode != 0 || FDBConvertMode != 0) FTranslator = std::make_unique<TTranslator>();
}

TCodeConverter::~TCodeConverter() = default;

void TCodeConverter::LoadSettings() {
    auto take = [this](const auto& ini) {
        FSystemCodePage = ini.SystemCodePage;
        FUICodePage = ini.UICodePage;
        FDBCodePage = ini.DBCodePage;
        FUIConvertMode = ini.UIConvertMode;
        FDBConvertMode = ini.DBConvertMode;
    };
    if (FDesignType == dtServer) {
        TVeltraneIniS ini;
        take(ini);
    } else {
        TVeltraneIniC ini;
        take(ini);
    }
}

// ---- single values ----

Variant TCodeConverter::ConvertVariant(Byte direction, const Variant& value) const {
    if ((direction != 1 && direction != 2) || !FTranslator) return value;
    if (VarIsEmpty(value) || VarIsNull(value)) return value;
    if (VarIsArray(value)) return ConvertVariantArray(direction, value);
    return Variant(ConvertString(direction, VarToStr(value)));
}

Variant TCodeConverter::ConvertVariantArray(Byte direction, const Variant& value) const {
    int dims = VarArrayDimCount(value);
    if (dims != 1 && dims != 2) return value;
    std::vector<int> bounds;
    for (int d = 1; d <= dims; ++d) {
        bounds.push_back(VarArrayLowBound(value, d));
        bounds.push_back(VarArrayHighBound(value, d));
    }
    // Converted elements are texts, whatever the array's element type was.
    Variant result = VarArrayCreate(bounds, varVariant);
    if (dims == 1) {
        for (int i = bounds[0]; i <= bounds[1]; ++i) {
            Variant element = value.GetElement({i});
            if (VarIsArray(element))
                result.PutElement({i}, ConvertVariantArray(direction, element));
            else
                // Empty and null elements stay what they are: a null turned into '' is a lost null.
                result.PutElement({i}, ConvertVariant(direction, element));
        }
    } else {
        for (int i = bounds[0]; i <= bounds[1]; ++i)
            for (int j = bounds[2]; j <= bounds[3]; ++j)
                result.PutElement({i, j}, ConvertVariant(direction, value.GetElement({i, j})));
    }
    return result;
}

Variant TCodeConverter::ProgramToUI(const Variant& value) const {
    try {
        return ConvertVariant(FUIConvertMode, value);
    } catch (...) {
        return value;
    }
}

Variant TCodeConverter::DBToUI(const Variant& value) const {
    try {
        return ConvertVariant(FDBConvertMode, value);
    } catch (...) {
        return value;
    }
}

namespace {
Byte ReverseDirection(Byte mode) {
    return mode == 1 ? 2 : mode == 2 ? 1 : 0;
}
} // namespace

Variant TCodeConverter::UIToProgram(const Variant& value) const {
    try {
        return ConvertVariant(ReverseDirection(FUIConvertMode), value);
    } catch (...) {
        return value;
    }
}

Variant TCodeConverter::UIToDB(const Variant& value) const {
    try {
        return ConvertVariant(ReverseDirection(FDBConvertMode), value);
    } catch (...) {
        return value;
    }
}

AnsiString TCodeConverter::Big5ToGB(const AnsiString& text) const {
    if (text.empty() || !FTranslator) return text;
    return FTranslator->BIG5ToGB(text);
}

AnsiString TCodeConverter::GBToBig5(const AnsiString& text) const {
    if (text.empty() || !FTranslator) return text;
    return FTranslator->GBToBIG5(text);
}

AnsiString TCodeConverter::ConvertString(Byte direction, const AnsiString& text) const {
    if (direction == 1) return Big5ToGB(text);
    if (direction == 2) return GBToBig5(text);
    return text;
}

void TCodeConverter::SetFontCharset(Byte mode, TFont* font) {
    if (!font) return;
    if (mode == 0 || mode == 1 || mode == 4) {
        font->SetName("SimSun");
        font->SetCharset(GB2312_CHARSET);
    } else if (mode == 2 || mode == 3) {
        font->SetName("SimSun");
        font->SetCharset(CHINESEBIG5_CHARSET);
    }
}

int TCodeConverter::MessageDlg(const AnsiString& text, TMsgDlgType dialogType, TMsgDlgButtons buttons) {
    if (text.empty()) return 0;
    AnsiString shown = text;
    // Room after the text, which the GB dialog font measures short.
    if (FUICodePage == "936" || FSystemCodePage == "936") shown += "      ";
    auto* ownerForm = dynamic_cast<TCustomForm*>(Owner());
    if (ownerForm && ownerForm->WindowState() == wsMinimized) ownerForm->SetWindowState(wsNormal);
    std::unique_ptr<TMessageForm> dialog(CreateMessageDialog(shown, dialogType, buttons));
    if (ownerForm) dialog->SetCaption(ownerForm->Caption());
    SetFontCharset(FUIConvertMode, dialog->Font());
    return dialog->ShowModal();
}

// ---- forms ----

void TCodeConverter::ConvertCaption(TComponent* component, Byte direction) {
    // The caption of an edit, memo or combo box is its text, which the form conversion leaves alone
    // (a memo's lines are converted as its lines). A labelled edit or combo box publishes a caption of
    // its own, its label's: that one is converted (the label is the control's, out of the form's reach).
    if (dynamic_cast<TCustomEdit*>(component) || dynamic_cast<TCustomComboBox*>(component)) {
        const TPropInfo* caption = GetPropInfo(component, "Caption");
        if (!caption || caption->OwnerClass() == TControl::StaticClass()) return;
    }
    ConvertStrProp(component, "Caption", *this, direction);
}

void TCodeConverter::ConvertHint(TComponent* component, Byte direction) {
    ConvertStrProp(component, "Hint", *this, direction);
    ConvertStrProp(component, "ButtonHint", *this, direction);
}

void TCodeConverter::ConvertFont(TComponent* component, Byte mode) {
    if (const TPropInfo* prop = TypedProp(component, "Font", "TFont"))
        SetFontCharset(mode, dynamic_cast<TFont*>(prop->GetObject(component)));
}

void TCodeConverter::ConvertTitleFont(TComponent* component, Byte mode) {
    if (const TPropInfo* prop = TypedProp(component, "TitleFont", "TFont"))
        SetFontCharset(mode, dynamic_cast<TFont*>(prop->GetObject(component)));
}

void TCodeConverter::ConvertStrings(TComponent* component, const char* propName, Byte direction) {
    const TPropInfo* prop = TypedProp(component, propName, "TStrings");
    if (!prop || (direction != 1 && direction != 2)) return;
    auto* strings = dynamic_cast<TStrings*>(prop->GetObject(component));
    if (!strings || strings->Count() == 0) return;
    auto* combo = dynamic_cast<TCustomComboBox*>(component);
    int itemIndex = combo ? combo->ItemIndex() : -1;
    strings->SetText(ConvertString(direction, strings->Text()));
    if (combo && itemIndex >= 0 && itemIndex < combo->Items()->Count()) combo->SetItemIndex(itemIndex);
}

void TCodeConverter::ConvertItems(TComponent* component, Byte direction) {
    ConvertStrings(component, "Items", direction);
}

void TCodeConverter::ConvertLines(TComponent* component, Byte direction) {
    ConvertStrings(component, "Lines", direction);
}

void TCodeConverter::ConvertText(TComponent*, Byte) {
    // A control's text is its caption here, which ConvertCaption has done.
}

void TCodeConverter::ConvertStyle(TComponent* component, Byte mode) {
    if (mode == 0 || !component) return;
    if (const TPropInfo* prop = TypedProp(component, "Style", "TComboBoxStyle")) {
        auto* combo = dynamic_cast<TCustomComboBox*>(component);
        int itemIndex = combo ? combo->ItemIndex() : -1;
        Int64 style = prop->GetOrd(component);
        if (style == csDropDown)
            prop->SetOrd(component, csOwnerDrawVariable);
        else if (style == csDropDownList)
            prop->SetOrd(component, csOwnerDrawFixed);
        if (combo && combo->ItemIndex() != itemIndex && itemIndex < combo->Items()->Count())
            combo->SetItemIndex(itemIndex);
    } else if (const TPropInfo* prop = TypedProp(component, "Style", "TListBoxStyle")) {
        if (prop->GetOrd(component) == lbStandard) prop->SetOrd(component, lbOwnerDrawFixed);
    }
}

void TCodeConverter::ConvertPanels(TComponent* component, Byte direction) {
    const TPropInfo* prop = TypedProp(component, "Panels", "TStatusPanels");
    if (!prop || (direction != 1 && direction != 2)) return;
    auto* panels = dynamic_cast<TCollection*>(prop->GetObject(component));
    if (!panels) return;
    for (int i = 0; i < panels->Count(); ++i)
        ConvertStrProp(panels->Items(i), "Text", *this, direction);
}

// A user interface in the other code page shows the caption converted like every other text (GB bytes
// in a BIG5 interface read as other characters); otherwise a BIG5 system shows it in BIG5.
void TCodeConverter::ConvertFormCaption(TCustomForm* form) {
    if (!form) return;
    if (FUIConvertMode == 1 || FUIConvertMode == 2)
        form->SetCaption(ConvertString(FUIConvertMode, form->Caption()));
    else if (FSystemCodePage == "950")
        form->SetCaption(GBToBig5(form->Caption()));
}

bool TCodeConverter::RunRegistered(const char* className, TComponent* component, Byte direction) {
    if (!ClassIsNamed(component, className)) return false;
    TClassConvertProc proc;
    {
        std::lock_guard<std::mutex> lock(ConversionsMutex());
        auto it = Conversions().find(className);
        if (it != Conversions().end()) proc = it->second;
    }
    // A class without a conversion is not converted: the chain goes on to what else it is.
    if (!proc) return false;
    proc(*this, component, direction);
    return true;
}

void TCodeConverter::ConvertListView(TComponent* component, Byte direction) {
    auto* list = dynamic_cast<TListView*>(component);
    if (!list) return;
    const int columns = list->Columns()->Count();
    for (int c = 0; c < columns; ++c)
        list->Columns()->Items(c)->SetCaption(ConvertString(direction, list->Columns()->Items(c)->Caption()));
    for (int i = 0; i < list->Items()->Count(); ++i) {
        TListItem* item = list->Items()->Item(i);
        item->SetCaption(ConvertString(direction, item->Caption()));
        // Sub-item k - 1 belongs to column k; those beyond the columns stay.
        TStrings* subItems = item->SubItems();
        for (int k = 1; k < columns && k - 1 < subItems->Count(); ++k)
            subItems->Put(k - 1, ConvertString(direction, subItems->Get(k - 1)));
    }
}

void TCodeConverter::ConvertComboBox(TComponent* component) {
    auto* combo = dynamic_cast<TCustomComboBox*>(component);
    if (!combo || combo->Style() == csSimple) return;
    int itemIndex = combo->ItemIndex();
    combo->SetStyle(csOwnerDrawFixed);
    if (itemIndex < 0 && combo->Items()->Count() > 0)
        combo->SetItemIndex(0);
    else if (combo->ItemIndex() != itemIndex)
        combo->SetItemIndex(itemIndex);
}

void TCodeConverter::ConvertStringGrid(TComponent* component, Byte direction) {
    auto* grid = dynamic_cast<TStringGrid*>(component);
    if (!grid) return;
    for (int col = 0; col < grid->ColCount(); ++col)
        for (int row = 0; row < grid->RowCount(); ++row) {
            AnsiString text = grid->Cells(col, row);
            if (!text.empty()) grid->SetCells(col, row, ConvertString(direction, text));
        }
}

bool TCodeConverter::ConvertAlignGrid(TComponent* component, Byte direction) {
    if (!ClassIsNamed(component, StringAlignGridClassName)) return false;
    const TMethod method = component->MethodAddress("ConvertResources");
    if (!method.Assigned() || !TAlignGridConvertResources::Accepts(method)) return false;
    // Only what the grid holds is converted: fonts are not made for cells, columns or rows without one,
    // which would put the grid's font over a column's or a row's.
    const Byte mode = FUIConvertMode;
    TAlignGridConvertResources::FromMethod(method)(
        [this, direction](const AnsiString& text) { return ConvertString(direction, text); },
        [mode](TFont* font) { SetFontCharset(mode, font); });
    return true;
}

bool TCodeConverter::FirstClassChain(TComponent* component, Byte mode, bool deep) {
    if (mode == 1 && dynamic_cast<TListView*>(component)) {
        ConvertListView(component, 1);
        return true;
    }
    if (mode == 2 && RunRegistered(TabSetClassName, component, 2)) return true;
    if (mode == 1 && RunRegistered(TabSetClassName, component, 1)) return true;
    if (mode == 1 && RunRegistered(SelectPanelClassName, component, 1)) return true;
    if (mode == 1 && dynamic_cast<TCustomComboBox*>(component)) {
        ConvertComboBox(component);
        return true;
    }
    if (auto* menu = dynamic_cast<TPopupMenu*>(component)) {
        menu->SetOwnerDraw(true);
        return true;
    }
    if (auto* menu = dynamic_cast<TMainMenu*>(component)) {
        menu->SetOwnerDraw(true);
        return true;
    }
    if (mode == 1 && RunRegistered(DBNavigatorClassName, component, 1)) return true;
    if (deep && mode == 1) {
        if (RunRegistered(TreeViewClassName, component, 1)) return true;
        if (RunRegistered(StringAlignGridClassName, component, 1)) return true;
        if (ConvertAlignGrid(component, 1)) return true;
        if (dynamic_cast<TStringGrid*>(component)) {
            ConvertStringGrid(component, 1);
            return true;
        }
    }
    return false;
}

void TCodeConverter::SecondClassChain(TComponent* component, Byte mode, bool deep) {
    if (mode != 2) return;
    if (dynamic_cast<TListView*>(component)) {
        ConvertListView(component, 2);
        return;
    }
    if (RunRegistered(SelectPanelClassName, component, 2)) return;
    if (dynamic_cast<TCustomComboBox*>(component)) {
        ConvertComboBox(component);
        return;
    }
    if (RunRegistered(DBNavigatorClassName, component, 2)) return;
    if (deep) {
        if (RunRegistered(TreeViewClassName, component, 2)) return;
        if (RunRegistered(StringAlignGridClassName, component, 2)) return;
        if (ConvertAlignGrid(component, 2)) return;
        ConvertStringGrid(component, 2);
    }
}

void TCodeConverter::ConvertExcepted(TComponent* component, const AnsiString& entry) {
    if (IsPublishedProp(component, "ParentFont") && PropType(component, "ParentFont") == tkEnumeration)
        SetOrdProp(component, "ParentFont", 0);
    if (entry.find(kSeparator) == AnsiString::npos) return;
    // A step runs unless its name occurs anywhere in the entry, the component's name included.
    const AnsiString upperEntry = UpperCase(entry);
    auto keeps = [&](const char* name) { return upperEntry.find(UpperCase(name)) != AnsiString::npos; };
    const Byte mode = FUIConvertMode;
    if (!keeps("Caption")) ConvertCaption(component, mode);
    if (!keeps("Hint")) ConvertHint(component, mode);
    if (!keeps("Font")) ConvertFont(component, mode);
    if (!keeps("TitleFont")) ConvertTitleFont(component, mode);
    if (!keeps("Items")) ConvertItems(component, mode);
    if (!keeps("Lines")) ConvertLines(component, mode);
    if (!keeps("Text")) ConvertText(component, mode);
    if (!keeps("Style")) ConvertStyle(component, mode);
    if (!keeps("Panels")) ConvertPanels(component, mode);
}

void TCodeConverter::ConvertForm(TCustomForm* form, const AnsiString& exceptMarker, bool deep) {
    if (!form || !FormConversion()) return;
    const Byte mode = FUIConvertMode;
    ConvertFormCaption(form);
    ConvertHint(form, mode);
    if (Screen) {
        SetFontCharset(mode, Screen->IconFont());
        SetFontCharset(mode, Screen->HintFont());
        SetFontCharset(mode, Screen->MenuFont());
    }
    if (Application) {
        // The hint window takes the new hint font when hints are switched on again.
        bool showHint = Application->ShowHint();
        Application->SetShowHint(!showHint);
        Application->SetShowHint(showHint);
    }
    for (int i = 0; i < form->ComponentCount(); ++i) {
        TComponent* component = form->Components(i);
        if (!exceptMarker.empty() && !component->Name().empty()) {
            bool found = false;
            for (int e = 0; e < FExceptList->Count() && !found; ++e) {
                AnsiString entry = FExceptList->Strings(e);
                if (SameText(entry.substr(0, entry.find(kSeparator)), component->Name())) {
                    ConvertExcepted(component, entry);
                    found = true;
                }
            }
            if (found) continue;
        }
        ConvertFont(component, mode);
        ConvertTitleFont(component, mode);
        ConvertCaption(component, mode);
        ConvertHint(component, mode);
        ConvertItems(component, mode);
        ConvertLines(component, mode);
        ConvertText(component, mode);
        ConvertStyle(component, mode);
        ConvertPanels(component, mode);
        FirstClassChain(component, mode, deep);
        SecondClassChain(component, mode, deep);
    }
    // The caption bar draws the converted caption in the form's own font, which must read its bytes.
    // Last, so that an excepted control has let go of its parent's font before this one changes.
    if (mode == 1 || mode == 2) SetFontCharset(mode, form->Font());
}

void TCodeConverter::ConvertFormBy(TCustomForm* form, const Variant& exceptList, bool deep) {
    if (!FormConversion()) return;
    FExceptList->Clear();
    FlattenVariant(exceptList, false);
    ConvertForm(form, "DO", deep);
}

AnsiString TCodeConverter::JoinVariant(const Variant& list) const {
    AnsiString joined;
    int low = VarArrayLowBound(list, 1), high = VarArrayHighBound(list, 1);
    for (int i = low; i <= high; ++i) {
        Variant element = list.GetElement({i});
        if (i > low) joined += kSeparator;
        joined += VarIsArray(element) ? JoinVariant(element) : VarToStr(element);
    }
    return joined;
}

void TCodeConverter::FlattenVariant(const Variant& list, bool join) {
    if (VarArrayDimCount(list) != 1) return;
    try {
        if (join) {
            FExceptList->Add(JoinVariant(list));
            return;
        }
        for (int i = VarArrayLowBound(list, 1); i <= VarArrayHighBound(list, 1); ++i) {
            Variant element = list.GetElement({i});
            if (VarIsArray(element))
                FlattenVariant(element, true);
            else
                FExceptList->Add(VarToStr(element));
        }
    } catch (const Exception&) {
        // An element without a text (a dispatch object) names no component.
    }
}
