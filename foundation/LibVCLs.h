#pragma once
// Plain routines that work on controls and data sets without knowing their classes: published
// properties by name, switching a data set's (and its data source's) handlers off and on around bulk
// work, writing a text into a field, and colouring or enabling the controls bound to a list of fields.
// None of the property routines raises: a nil object, an empty name, a property that is missing or of
// another kind leaves things as they are and answers the neutral value.
#include <array>
#include <initializer_list>
#include <utility>
#include <vector>

#include <algorithm>
#include <type_traits>

#include "classlib/controls/controls.h"
#include "classlib/objects/delegate.h"
#include "classlib/objects/stringlist.h"
#include "classlib/objects/typeinfo.h"
#include "classlib/rtl/strutils.h"

class TComponent;
class TDataSet;
class TDataSource;
class TField;
class TCustomClientDataSet;
class TwwDBGrid;

// ---- properties by name ----

void GetMethodPropByName(TObject* object, const AnsiString& name, TMethod& method);
void GetStrPropByName(TObject* object, const AnsiString& name, AnsiString& text);
// An ordinal value, or an object property's object as its address; 0 when there is none.
Int64 GetOrdPropByName(TObject* object, const AnsiString& name);
TObject* GetObjectPropByName(TObject* control, const AnsiString& name);
// The setters answer whether the property took the value.
bool SetStrPropByName(TObject* object, const AnsiString& name, const AnsiString& text);
bool SetOrdPropByName(TObject* object, const AnsiString& name, Int64 value);
bool SetMethodPropByName(TObject* object, const AnsiString& name, const TMethod& method);
TTypeKind GetPropKind(TObject* component, const AnsiString& name); // tkUnknown (0) when none
bool HasPropByName(TObject* object, const AnsiString& name);
inline bool HasProperty(TObject* object, const AnsiString& name) {
    return HasPropByName(object, name);
}

// ---- handlers switched off around bulk work ----

// The ten data-set events, in the order they are saved.
inline constexpr std::array<const char*, 10> DataSetEventNames{
    "AfterEdit",    "AfterInsert", "AfterOpen",  "AfterPost",    "BeforeEdit",
    "BeforeInsert", "BeforeOpen",  "BeforePost", "BeforeScroll", "AfterScroll"};

struct TDataSetEvents {
    std::array<TMethod, 10> Methods; // in the order of DataSetEventNames
};
struct TDataSourceEvents {
    std::array<TMethod, 12> Methods; // the data set's ten, then OnDataChange and OnStateChange
};
using TSavedEvents = std::vector<std::pair<AnsiString, TMethod>>;

// Save the handlers and clear them; the restore routines put the saved ones back by the same names.
// A data source without a data set saves (and later restores) only its own two.
void SaveDataSourceEvents(TDataSource* dataSource, TDataSourceEvents& saved);
void RestoreDataSourceEvents(TDataSource* dataSource, const TDataSourceEvents& saved);
void SaveDataSetEvents(TDataSet* dataSet, TDataSetEvents& saved);
void RestoreDataSetEvents(TDataSet* dataSet, const TDataSetEvents& saved);
// One pair per requested name; a name the data set does not publish as an event leaves an empty pair.
void SaveEventsByName(TDataSet* dataSet, std::initializer_list<const char*> names, TSavedEvents& saved);
void SaveEventsByName(TDataSet* dataSet, const std::vector<AnsiString>& names, TSavedEvents& saved);
void RestoreEventsByName(TDataSet* dataSet, const TSavedEvents& saved);

// ---- data sets and fields ----

// True when the data set exists, is open, browses and is not empty.
bool IsDataSetBrowsingData(TDataSet* dataSet) noexcept;

// Writes text into the field with its read-only flag lifted for the call (and put back in every case).
// Integer and float fields take it as edit text when byEditText, so their edit format, text handler
// and validation apply; any other field takes it as its string value, a text longer than a string
// field cut to the field's size in bytes of the system code page, never inside a double-byte character
// (the size of any other field is no length of text: a BCD field takes "1234.56" whole).
// False for no field; what the field's own validation raises passes on.
bool SetFieldText(TField* field, const AnsiString& text, bool byEditText);
// The text cut to at most size bytes on a character boundary of the system code page.
AnsiString CutToFieldSize(const AnsiString& text, int size);

// ---- controls bound to fields ----

// The key-field colour: combo boxes, data-aware radio groups and bitmap check boxes take only it.
inline constexpr Int64 KeyFieldColor = 0x00C8C800; // RGB(0, 200, 200)

// Every component of owner whose published DataField names an item of fieldList (cut at delimiter,
// trimmed, without case) takes the colour; the list ends at its first empty item.
void SetFieldControlsColor(TComponent* owner, const AnsiString& fieldList, const AnsiString& delimiter,
                           Int64 color);
// The same for Enabled; an item is cut at its first blank (a second word is an alias), empty items are
// passed over.
void SetFieldControlsEnabled(TComponent* owner, const AnsiString& fieldList, const AnsiString& delimiter,
                             bool enabled);
// True when the object's class, or one of its ancestors, has that name (classes of layers this unit
// does not see).
bool InheritsFromName(const TObject* object, const AnsiString& className);

// ---- controls ----

// The height the platform gives a horizontal scroll bar.
inline constexpr int HorzScrollBarHeight = 17;
// Fits a data grid's columns to its width: nothing without an open data set with fields; the columns
// (indicator and fields, each with its line) plus a scroll bar's height and 2 narrower than the client
// width are widened by an equal share of the rest; otherwise the grid's parent takes that width.
void FitGridColumns(TwwDBGrid* grid);

// Adds every selected item of source to target unless target already holds that text. A template over
// the list box class (Count, Selected, Items), so that this unit needs no header of the standard
// controls beside the data sets'.
template <class TListBox> void CopySelectedItems(TListBox* source, TListBox* target) {
    if (!source || !target || source == target) return;
    for (int i = 0; i < source->Count(); ++i) {
        if (!source->Selected(i)) continue;
        const AnsiString text = source->Items()->Strings(i);
        if (target->Items()->IndexOf(text) < 0) target->Items()->Add(text);
    }
}
// For Enter-key navigation: the name of the last control in tab order (visible, enabled, windowed,
// directly on the page) of each of the first 16 pages, less a last page "TbsBrowse" and a page
// "TbsUDF" before it; lastControl is the control of the last counted page that has one (else nil).
// A template over the page control class (Owner, PageCount, Pages(i) with PageControl and PageIndex),
// for the same reason as CopySelectedItems.
template <class TPageControlT>
void CollectPageLastControls(TPageControlT* pageControl, TStrings* names, TWinControl*& lastControl) {
    using TTabSheetT = std::remove_pointer_t<decltype(pageControl->Pages(0))>;
    lastControl = nullptr;
    if (!pageControl) return;
    constexpr int kMaxPages = 16;
    const int pageCount = std::min(pageControl->PageCount(), kMaxPages);
    std::array<TWinControl*, kMaxPages> last{};
    if (TComponent* owner = pageControl->Owner()) {
        for (int i = 0; i < owner->ComponentCount(); ++i) {
            auto* control = dynamic_cast<TWinControl*>(owner->Components(i));
            if (!control || !control->Visible() || !control->Enabled()) continue;
            auto* page = dynamic_cast<TTabSheetT*>(control->Parent());
            if (!page || page->PageControl() != pageControl) continue;
            const int index = page->PageIndex();
            if (index < 0 || index >= pageCount) continue;
            // On equal tab order the earlier control stays.
            if (!last[index] || control->TabOrder() > last[index]->TabOrder()) last[index] = control;
        }
    }
    int counted = pageControl->PageCount();
    if (counted > 0 && SameText(pageControl->Pages(counted - 1)->Name(), "TbsBrowse")) --counted;
    if (counted > 0 && SameText(pageControl->Pages(counted - 1)->Name(), "TbsUDF")) --counted;
    counted = std::min(counted, pageCount);
    for (int i = 0; i < counted; ++i) {
        if (!last[i]) continue;
        if (names) names->Add(last[i]->Name());
        lastControl = last[i];
    }
}
