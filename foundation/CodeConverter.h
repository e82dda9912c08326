#pragma once
// The code converter every form carries: it converts a form's texts and fonts once after creation for
// the user interface's code page, and single values on their way between the program (simplified
// Chinese, code page 936), the user interface and the database (936 or 950).
//
// Modes, computed by the configuration readers (VeltraneIni.h):
//   UIConvertMode 0 none, 1 form texts BIG5 to GB, 2 user interface BIG5 (GB to BIG5), 4 GB user
//                 interface on a BIG5 system (texts stay, fonts take the GB character set);
//   DBConvertMode 0 none, 1 user interface GB and database BIG5, 2 user interface BIG5 and database GB.
// Direction of one conversion: 1 BIG5 to GB, 2 GB to BIG5, anything else none.
//
// The exception list names components whose properties a form conversion must leave alone: one entry
// a component, its name alone or name #3 property #3 property ...
#include <functional>
#include <memory>

#include "classlib/controls/dialogs.h"
#include "classlib/controls/forms.h"
#include "classlib/graphics/graphics.h"
#include "classlib/objects/component.h"
#include "classlib/objects/stringlist.h"
#include "classlib/rtl/variants.h"
#include "foundation/GB2BIG5.h"
#include "foundation/LangCtrl.h"

class TCodeConverter;

// The conversion of a component class the class library does not hold (tab sets, tree views, database
// navigators, the select panel, the aligned string grid): registered by class name by the unit that
// declares the class, run for its instances (and those of derived classes) with the direction of the
// form conversion. A class of such a name without a registered conversion is not converted as one.
using TClassConvertProc =
    std::function<void(TCodeConverter& converter, TComponent* component, Byte direction)>;
void RegisterClassConversion(const AnsiString& className, TClassConvertProc proc);
void UnRegisterClassConversion(const AnsiString& className);

// The class names the form conversion knows (the list view is the class library's TListView).
inline constexpr const char* TabSetClassName = "TTabSet";
inline constexpr const char* TreeViewClassName = "TTreeView";
inline constexpr const char* DBNavigatorClassName = "TDBNavigator";
inline constexpr const char* SelectPanelClassName = "TSelectPanel";
inline constexpr const char* StringAlignGridClassName = "TStringAlignGrid";

// What the aligned string grid's published method "ConvertResources" takes: the conversion of each text
// it holds (cell texts as shown, cell hints, pick-list lines) and of each font it holds.
using TAlignGridConvertResources =
    TDelegate<void(const std::function<AnsiString(const AnsiString& text)>& text,
                   const std::function<void(TFont* font)>& font)>;

// True when the object's class or one of its ancestors has that name (ignoring case).
bool ClassIsNamed(const TObject* object, const AnsiString& className);

class TCodeConverter : public TComponent {
    KVR_CLASS(TCodeConverter, TComponent)
public:
    // Reads the code pages and modes of the client configuration; creates the translator when a
    // conversion is needed. Raises the translator's loading error (the library is missing).
    explicit TCodeConverter(TComponent* owner);
    ~TCodeConverter() override;

    // Reads the code pages and modes of the client or server configuration, by DesignType.
    void LoadSettings();

    const AnsiString& SystemCodePage() const { return FSystemCodePage; }
    const AnsiString& UICodePage() const { return FUICodePage; }
    const AnsiString& DBCodePage() const { return FDBCodePage; }
    Byte UIConvertMode() const { return FUIConvertMode; }
    Byte DBConvertMode() const { return FDBConvertMode; }
    // Settings are loaded at creation only; a design type set later does not reload them.
    TDesignType DesignType() const { return FDesignType; }
    void SetDesignType(TDesignType value) { FDesignType = value; }
    TStringList* ExceptList() const { return FExceptList.get(); }
    TTranslator* Translator() const { return FTranslator.get(); }

    // ---- single values ----
    // A copy of value; for direction 1 or 2 with a translator, a value that is neither empty nor null
    // comes back converted: arrays element by element, anything else as its converted text.
    Variant ConvertVariant(Byte direction, const Variant& value) const;
    // One dimension: nested arrays recursively, other elements as texts (empty and null stay); two
    // dimensions: each element through ConvertVariant; other arrays unchanged.
    Variant ConvertVariantArray(Byte direction, const Variant& value) const;
    // These never raise: on failure the value comes back unchanged.
    Variant ProgramToUI(const Variant& value) const;
    Variant UIToProgram(const Variant& value) const;
    Variant DBToUI(const Variant& value) const;
    Variant UIToDB(const Variant& value) const;

    // The translator's conversions of a text, for the form conversion; the text itself without one.
    AnsiString Big5ToGB(const AnsiString& text) const;
    AnsiString GBToBig5(const AnsiString& text) const;
    // By direction: 1 BIG5 to GB, 2 GB to BIG5, else the text.
    AnsiString ConvertString(Byte direction, const AnsiString& text) const;

    // Modes 0, 1, 4: "SimSun" with the GB character set; 2, 3: "SimSun" with BIG5; others leave it.
    static void SetFontCharset(Byte mode, TFont* font);

    // The standard message dialog over the owner form, with its caption and a font for the user
    // interface; 0 for an empty text, which shows nothing.
    int MessageDlg(const AnsiString& text, TMsgDlgType dialogType, TMsgDlgButtons buttons);

    // ---- forms ----
    // Converts the form's texts and fonts by UIConvertMode (nothing without a form conversion). With a
    // non-empty exceptMarker the exception list applies. Deep also converts trees and grids.
    void ConvertForm(TCustomForm* form, const AnsiString& exceptMarker = "", bool deep = true);
    // The exception list from a Variant array of names and of arrays (name, property, ...), then
    // ConvertForm with it.
    void ConvertFormBy(TCustomForm* form, const Variant& exceptList, bool deep = true);
    // Adds the entries of a one-dimensional array to the exception list: a nested array becomes one
    // entry of its elements joined by #3; in join mode the whole list is one such entry.
    void FlattenVariant(const Variant& list, bool join);

    // Steps of the form conversion, each on the component's published property of that name and type.
    void ConvertCaption(TComponent* component, Byte direction);
    void ConvertHint(TComponent* component, Byte direction);
    void ConvertFont(TComponent* component, Byte mode);
    void ConvertTitleFont(TComponent* component, Byte mode);
    void ConvertItems(TComponent* component, Byte direction);
    void ConvertLines(TComponent* component, Byte direction);
    void ConvertText(TComponent* component, Byte direction);
    void ConvertStyle(TComponent* component, Byte mode);
    void ConvertPanels(TComponent* component, Byte direction);
    // A list view's column captions, item captions and the sub-items that have a column.
    void ConvertListView(TComponent* component, Byte direction);
    // The form's caption by the user-interface mode when it converts texts, else GB to BIG5 on a BIG5
    // system.
    void ConvertFormCaption(TCustomForm* form);

private:
    bool FormConversion() const { return FTranslator && FUIConvertMode != 0 && FFormConversion; }
    void ConvertExcepted(TComponent* component, const AnsiString& entry);
    bool FirstClassChain(TComponent* component, Byte mode, bool deep);
    void SecondClassChain(TComponent* component, Byte mode, bool deep);
    bool RunRegistered(const char* className, TComponent* component, Byte direction);
    void ConvertComboBox(TComponent* component);
    void ConvertStringGrid(TComponent* component, Byte direction);
    // The aligned string grid, through its published ConvertResources; false for a grid without one.
    bool ConvertAlignGrid(TComponent* component, Byte direction);
    void ConvertStrings(TComponent* component, const char* propName, Byte direction);
    AnsiString JoinVariant(const Variant& list) const;

    std::unique_ptr<TTranslator> FTranslator;
    AnsiString FSystemCodePage = "936";
    AnsiString FUICodePage = "936";
    AnsiString FDBCodePage = "936";
    Byte FUIConvertMode = 0;
    Byte FDBConvertMode = 0;
    TDesignType FDesignType = dtClient;
    std::unique_ptr<TStringList> FExceptList;
    // Whether the form conversion runs: the user-interface mode asked for a translator at creation.
    bool FFormConversion = false;
};
