#include "framework/QVForm.h"

#include <functional>
#include <memory>
#include <vector>

#include "classlib/controls/buttons.h"
#include "classlib/objects/formloader.h"
#include "classlib/rtl/files.h"
#include "components/SelectPnl.h"
#include "foundation/LibVCLs.h"
#include "foundation/proputils.h"

namespace {

// The select panel's texts: its value list, its words (rebuilt as new lists) and its hint word.
void ConvertSelectPanel(TCodeConverter& converter, TComponent* component, Byte direction) {
    auto* panel = dynamic_cast<TSelectPanel*>(component);
    if (!panel) return;
    converter.ConvertListView(panel->ListView(), direction);
    for (auto [words, set] : {std::pair{panel->BeginWords(), &TSelectPanel::SetBeginWords},
                              std::pair{panel->FinalWords(), &TSelectPanel::SetFinalWords}}) {
        TStringList converted;
        for (int i = 0; i < words->Count(); ++i)
            converted.Add(converter.ConvertString(direction, words->Get(i)));
        (panel->*set)(&converted);
    }
    panel->SetHintWord(converter.ConvertString(direction, panel->HintWord()));
}

[[maybe_unused]] const bool SelectPanelConversion =
    (RegisterClassConversion(SelectPanelClassName, ConvertSelectPanel), true);

} // namespace

KVR_PUBLISHED(TQVForm, c) {
    c.Field("QvConverter", &TQVForm::QvConverter);
    c.Field("LangController", &TQVForm::LangController);
    c.Method("FormCreate", &TQVForm::FormCreate);
    c.Method("FormShow", &TQVForm::FormShow);
}

KVR_FORM_RESOURCE(TQVForm, R"(object QVForm: TQVForm
  Caption = 'QVForm'
  Font.Height = -13
  Font.Name = '宋体'
  KeyPreview = True
  Position = poScreenCenter
  Scaled = False
  ShowHint = True
  OnCreate = FormCreate
  OnShow = FormShow
  object QvConverter: TCodeConverter
    DesignType = dtClient
  end
  object LangController: TQvLangController
    Active = False
  end
end
)");

TQVForm::TQVForm(TComponent* owner, bool load) : TForm(owner) {
    if (load) InitInheritedComponent(this);
}

// ---- code pages ----

void TQVForm::ConvertCodePage() {
    if (Converted) return;
    if (QvConverter) QvConverter->ConvertForm(this);
    Converted = true;
}

int TQVForm::ShowMessageDlg(const AnsiString& text, TMsgDlgType dialogType, TMsgDlgButtons buttons) {
    return QvConverter ? QvConverter->MessageDlg(text, dialogType, buttons) : 0;
}

AnsiString TQVForm::GetSystemCodePage() const {
    return QvConverter ? QvConverter->SystemCodePage() : AnsiString("936");
}

AnsiString TQVForm::GetDBCodePage() const {
    return QvConverter ? QvConverter->DBCodePage() : AnsiString("936");
}

AnsiString TQVForm::GetUICodePage() const {
    return QvConverter ? QvConverter->UICodePage() : AnsiString("936");
}

Byte TQVForm::GetUIConvertMode() const {
    return QvConverter ? QvConverter->UIConvertMode() : 0;
}

Byte TQVForm::GetDBConvertMode() const {
    return QvConverter ? QvConverter->DBConvertMode() : 0;
}

// ---- language files ----

void TQVForm::ApplyLanguageChain(TComponent* target, TClass stopAt, TClass alsoStopAt) {
    if (!target || !LangController) return;
    std::vector<TClass> chain;
    for (TClass c = target->ClassType(); c && c != stopAt && c != alsoStopAt; c = c->ClassParent())
        chain.push_back(c);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        LangController->SetActive(false);
        LangController->SetLangPackageName((*it)->ClassName());
        if (!FileExists(LangController->FileName())) continue;
        LangController->SetActive(true);
        if (LangController->Active()) LangController->GetActiveLangReader()->ReadComponent(target);
        LangController->SetActive(false);
    }
}

void TQVForm::LoadLanguage(TComponent* target) {
    ApplyLanguageChain(target, TForm::StaticClass(), nullptr);
}

void TQVForm::LoadModuleLanguage(TComponent* target) {
    ApplyLanguageChain(target, TForm::StaticClass(), TQVForm::StaticClass());
}

void TQVForm::LoadOwnLanguage() {
    LoadLanguage(this);
}

void TQVForm::GetLangString(const AnsiString& section, const AnsiString& ident, AnsiString& text,
                            bool convertDefault, const AnsiString& defaultText) {
    AnsiString fallback = defaultText;
    if (convertDefault && QvConverter) fallback = VarToStr(QvConverter->ProgramToUI(defaultText));
    const TDesignType designType = LangController ? LangController->DesignType() : dtClient;
    text = GetLangMessage(designType, section, ident, fallback);
}

// ---- creation and showing ----

namespace {

// The glyph and image count of a speed button or a bit button; nil for other components.
struct TGlyphButton {
    TBitmap* Glyph = nullptr;
    std::function<int()> Count;
    std::function<void(int)> SetCount;
};

TGlyphButton GlyphButtonOf(TComponent* component) {
    if (auto* speed = dynamic_cast<TSpeedButton*>(component))
        return {speed->Glyph(), [speed] { return speed->NumGlyphs(); },
                [speed](int n) { speed->SetNumGlyphs(n); }};
    if (auto* bit = dynamic_cast<TBitBtn*>(component))
        return {bit->Glyph(), [bit] { return bit->NumGlyphs(); }, [bit](int n) { bit->SetNumGlyphs(n); }};
    return {};
}

void MakeTwoStateButton(TComponent* component) {
    TGlyphButton button = GlyphButtonOf(component);
    if (!button.Glyph || button.Glyph->Empty() || button.Count() != 1) return;
    MakeTwoStateGlyph(button.Glyph);
    button.SetCount(2);
}

// The lookup edit, the lookup combo and the select panel carry their buttons as components of their
// own.
bool CarriesButtons(TComponent* component) {
    return ClassIsNamed(component, "TQvBtnDBEdit") || ClassIsNamed(component, "TQvBtnDBCombo") ||
           ClassIsNamed(component, SelectPanelClassName);
}

} // namespace

void TQVForm::FormCreate(TObject*) {
    Converted = false;
    LoadLanguageOnShow = true;
    const bool english = GetUICodePage() == "437";
    for (int i = 0; i < ComponentCount(); ++i) {
        TComponent* component = Components(i);
        if (HasPropByName(component, "ImeName")) SetStrPropByName(component, "ImeName", "");
        if (english && HasPropByName(component, "Font")) {
            TrySetPropValueByPath(component, "Font.Charset", Variant(134));
            TrySetPropValueByPath(component, "Font.Name", Variant("Tahoma"));
        }
        if (CarriesButtons(component)) {
            for (int j = 0; j < component->ComponentCount(); ++j)
                MakeTwoStateButton(component->Components(j));
        } else {
            MakeTwoStateButton(component);
        }
    }
}

void TQVForm::FormShow(TObject*) {
    if (LoadLanguageOnShow) LoadOwnLanguage();
}

// ---- glyphs ----

TBitmap* CreateDisabledGlyph(TBitmap* glyph) {
    glyph->SetPixelFormat(pf24bit);
    const int width = glyph->Width();
    const int height = glyph->Height();
    const TColor transparent = ColorToRGB(glyph->TransparentColor());
    auto result = std::make_unique<TBitmap>();
    result->Assign(glyph);
    result->SetPixelFormat(pf24bit);
    result->SetTransparent(false);
    result->Canvas()->Brush()->SetColor(transparent);
    result->Canvas()->FillRect(Rect(0, 0, width, height));

    // The dark pixels and the outline (a pixel next to the transparent colour) become black.
    auto isTransparent = [&](int x, int y) {
        x = x < 0 ? 0 : x >= width ? width - 1 : x;
        y = y < 0 ? 0 : y >= height ? height - 1 : y;
        return ColorToRGB(glyph->Pixel(x, y)) == transparent;
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const TColor pixel = ColorToRGB(glyph->Pixel(x, y));
            if (pixel == transparent) continue;
            const int sum = GetRValue(pixel) + GetGValue(pixel) + GetBValue(pixel);
            if (sum < 384 || isTransparent(x, y - 1) || isTransparent(x, y + 1) || isTransparent(x - 1, y) ||
                isTransparent(x + 1, y))
                result->SetPixel(x, y, clBlack);
        }
    }

    // The monochrome mask: made with black as the background colour, so that the black pixels are its
    // set (white) bits, which the raster operation paints in the brush colour.
    TBitmap mask;
    mask.SetSize(width, height);
    mask.SetPixelFormat(pf1bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            mask.SetPixel(x, y, ColorToRGB(result->Pixel(x, y)) == clBlack ? clWhite : clBlack);

    TCanvas* canvas = result->Canvas();
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(Rect(0, 0, width, height));
    canvas->SetCopyMode(ROP_DSPDxax);
    canvas->Brush()->SetColor(clBtnHighlight);
    canvas->Draw(1, 1, &mask);
    canvas->Brush()->SetColor(clBtnShadow);
    canvas->Draw(0, 0, &mask);
    canvas->SetCopyMode(cmSrcCopy);
    return result.release();
}

void MakeTwoStateGlyph(TBitmap* glyph) {
    TBitmap copy;
    copy.Assign(glyph);
    copy.SetTransparent(false);
    std::unique_ptr<TBitmap> disabled(CreateDisabledGlyph(&copy));
    const int width = copy.Width();
    const int height = copy.Height();
    const TColor transparent = glyph->TransparentColor();
    glyph->SetWidth(width * 2);
    TCanvas* canvas = glyph->Canvas();
    canvas->SetCopyMode(cmSrcCopy);
    canvas->Brush()->SetColor(transparent);
    canvas->FillRect(Rect(0, 0, width * 2, height));
    canvas->Draw(0, 0, &copy);
    canvas->Draw(width, 0, disabled.get());
}
