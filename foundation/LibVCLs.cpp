#include "foundation/LibVCLs.h"

#include "classlib/dbctrls/wwdbgrid.h"

#include <algorithm>

#include "classlib/objects/stringlist.h"
#include "classlib/db/dbclient.h"
#include "classlib/objects/component.h"
#include "classlib/objects/rtti.h"
#include "classlib/rtl/codepages.h"
#include "classlib/rtl/strutils.h"

namespace {

// The published property, nil for a nil object or an empty name.
const TPropInfo* FindProp(const TObject* object, const AnsiString& name) {
    if (!object || name.empty()) return nullptr;
    return GetPropInfo(object, name);
}

bool IsOrdinalKind(TTypeKind kind) {
    return kind == tkInteger || kind == tkChar || kind == tkEnumeration || kind == tkSet || kind == tkClass ||
           kind == tkWChar || kind == tkInt64;
}

bool IsStringKind(TTypeKind kind) {
    return kind == tkString || kind == tkLString;
}

// Each item of the list, trimmed.
std::vector<AnsiString> SplitItems(const AnsiString& list, const AnsiString& delimiter) {
    std::vector<AnsiString> items;
    if (delimiter.empty()) {
        items.push_back(Trim(list));
        return items;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = list.find(delimiter, start);
        items.push_back(Trim(list.substr(start, at == AnsiString::npos ? AnsiString::npos : at - start)));
        if (at == AnsiString::npos) break;
        start = at + delimiter.size();
    }
    return items;
}

// The components of owner bound to the field, by their published DataField.
template <class TAction>
void ForFieldControls(TComponent* owner, const AnsiString& fieldName, TAction action) {
    for (int i = 0; i < owner->ComponentCount(); ++i) {
        TComponent* component = owner->Components(i);
        if (GetPropKind(component, "DataField") == tkUnknown) continue;
        AnsiString dataField;
        GetStrPropByName(component, "DataField", dataField);
        if (SameText(dataField, fieldName)) action(component);
    }
}

} // namespace

void GetMethodPropByName(TObject* object, const AnsiString& name, TMethod& method) {
    method = TMethod();
    const TPropInfo* prop = FindProp(object, name);
    if (!prop || prop->Kind() != tkMethod || !prop->Readable()) return;
    try {
        method = prop->GetMethod(object);
    } catch (const EPropertyError&) {
    }
}

void GetStrPropByName(TObject* object, const AnsiString& name, AnsiString& text) {
    const TPropInfo* prop = FindProp(object, name);
    if (!prop || !IsStringKind(prop->Kind()) || !prop->Readable()) return;
    try {
        text = prop->GetStr(object);
    } catch (const EPropertyError&) {
    }
}

Int64 GetOrdPropByName(TObject* object, const AnsiString& name) {
    const TPropInfo* prop = FindProp(object, name);
    if (!prop || !IsOrdinalKind(prop->Kind()) || !prop->Readable()) return 0;
    try {
        return prop->GetOrd(object);
    } catch (const EPropertyError&) {
        return 0;
    }
}

TObject* GetObjectPropByName(TObject* control, const AnsiString& name) {
    // Only a class-typed property gives an object: an integer is never taken for an address.
    const TPropInfo* prop = FindProp(control, name);
    if (!prop || prop->Kind() != tkClass || !prop->Readable()) return nullptr;
    try {
        return prop->GetObject(control);
    } catch (const EPropertyError&) {
        return nullptr;
    }
}

bool SetStrPropByName(TObject* object, const AnsiString& name, const AnsiString& text) {
    const TPropInfo* prop = FindProp(object, name);
    if (!prop || !IsStringKind(prop->Kind()) || !prop->Writable()) return false;
    try {
        prop->SetStr(object, text);
        return true;
    } catch (const EPropertyError&) {
        return false;
    }
}

bool SetOrdPropByName(TObject* object, const AnsiString& name, Int64 value) {
    const TPropInfo* prop = FindProp(object, name);
    if (!prop || !IsOrdinalKind(prop->Kind()) || prop->Kind() == tkClass || !prop->Writable()) return false;
    try {
        prop->SetOrd(object, value);
        return true;
    } catch (const EPropertyError&) {
        return false; // out of the property's range
    }
}

bool SetMethodPropByName(TObject* object, const AnsiString& name, const TMethod& method) {
    const TPropInfo* prop = FindProp(object, name);
    if (!prop || prop->Kind() != tkMethod || !prop->Writable()) return false;
    try {
        prop->SetMethod(object, method);
        return true;
    } catch (const EPropertyError&) {
        return false; // a handler of another signature
    }
}

TTypeKind GetPropKind(TObject* component, const AnsiString& name) {
    const TPropInfo* prop = FindProp(component, name);
    return prop ? prop->Kind() : tkUnknown;
}

bool HasPropByName(TObject* object, const AnsiString& name) {
    return FindProp(object, name) != nullptr;
}

// ---- handlers ----

void SaveDataSetEvents(TDataSet* dataSet, TDataSetEvents& saved) {
    for (std::size_t i = 0; i < DataSetEventNames.size(); ++i) {
        GetMethodPropByName(dataSet, DataSetEventNames[i], saved.Methods[i]);
        SetMethodPropByName(dataSet, DataSetEventNames[i], TMethod());
    }
}

void RestoreDataSetEvents(TDataSet* dataSet, const TDataSetEvents& saved) {
    for (std::size_t i = 0; i < DataSetEventNames.size(); ++i)
        SetMethodPropByName(dataSet, DataSetEventNames[i], saved.Methods[i]);
}

void SaveDataSourceEvents(TDataSource* dataSource, TDataSourceEvents& saved) {
    saved = TDataSourceEvents();
    if (!dataSource) return;
    TDataSetEvents dataSetEvents;
    if (TDataSet* dataSet = dataSource->DataSet()) {
        SaveDataSetEvents(dataSet, dataSetEvents);
        for (std::size_t i = 0; i < dataSetEvents.Methods.size(); ++i)
            saved.Methods[i] = dataSetEvents.Methods[i];
    }
    GetMethodPropByName(dataSource, "OnDataChange", saved.Methods[10]);
    GetMethodPropByName(dataSource, "OnStateChange", saved.Methods[11]);
    SetMethodPropByName(dataSource, "OnDataChange", TMethod());
    SetMethodPropByName(dataSource, "OnStateChange", TMethod());
}

void RestoreDataSourceEvents(TDataSource* dataSource, const TDataSourceEvents& saved) {
    if (!dataSource) return;
    if (TDataSet* dataSet = dataSource->DataSet()) {
        TDataSetEvents dataSetEvents;
        for (std::size_t i = 0; i < dataSetEvents.Methods.size(); ++i)
            dataSetEvents.Methods[i] = saved.Methods[i];
        RestoreDataSetEvents(dataSet, dataSetEvents);
    }
    SetMethodPropByName(dataSource, "OnDataChange", saved.Methods[10]);
    SetMethodPropByName(dataSource, "OnStateChange", saved.Methods[11]);
}

void SaveEventsByName(TDataSet* dataSet, const std::vector<AnsiString>& names, TSavedEvents& saved) {
    saved.assign(names.size(), {});
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (GetPropKind(dataSet, names[i]) != tkMethod) continue;
        saved[i].first = names[i];
        GetMethodPropByName(dataSet, names[i], saved[i].second);
        SetMethodPropByName(dataSet, names[i], TMethod());
    }
}

void SaveEventsByName(TDataSet* dataSet, std::initializer_list<const char*> names, TSavedEvents& saved) {
    SaveEventsByName(dataSet, std::vector<AnsiString>(names.begin(), names.end()), saved);
}

void RestoreEventsByName(TDataSet* dataSet, const TSavedEvents& saved) {
    for (const auto& [name, method] : saved)
        if (!name.empty()) SetMethodPropByName(dataSet, name, method);
}

// ---- data sets and fields ----

bool IsDataSetBrowsingData(TDataSet* dataSet) noexcept {
    if (!dataSet) return false;
    try {
        if (!dataSet->Active()) return false;
        return dataSet->State() == dsBrowse && !(dataSet->Bof() && dataSet->Eof());
    } catch (...) {
        return false;
    }
}

AnsiString CutToFieldSize(const AnsiString& text, int size) {
    if (size < 0) return AnsiString();
    if (static_cast<int>(text.size()) <= size) return text;
    std::size_t end = 0;
    for (;;) {
        const int length = CharLength(text, end);
        if (length <= 0 || end + length > static_cast<std::size_t>(size)) break;
        end += length;
    }
    return text.substr(0, end);
}

bool SetFieldText(TField* field, const AnsiString& text, bool byEditText) {
    if (!field) return false;
    const bool readOnly = field->ReadOnly();
    field->SetReadOnly(false);
    struct TRestore {
        TField* Field;
        bool ReadOnly;
        ~TRestore() { Field->SetReadOnly(ReadOnly); }
    } restore{field, readOnly};
    const bool numeric =
        field->InheritsFrom(TIntegerField::StaticClass()) || field->InheritsFrom(TFloatField::StaticClass());
    if (numeric && byEditText) {
        field->SetText(text);
    } else if (field->InheritsFrom(TStringField::StaticClass()) && field->Size() > 0) {
        // Only a string's size counts bytes of text; a BCD field's is its scale, a byte field's its bytes.
        field->SetAsString(CutToFieldSize(text, field->Size()));
    } else {
        field->SetAsString(text);
    }
    return true;
}

// ---- controls bound to fields ----

bool InheritsFromName(const TObject* object, const AnsiString& className) {
    if (!object) return false;
    for (TClass c = object->ClassType(); c; c = c->ClassParent())
        if (SameText(c->ClassName(), className)) return true;
    return false;
}

void SetFieldControlsColor(TComponent* owner, const AnsiString& fieldList, const AnsiString& delimiter,
                           Int64 color) {
    if (!owner) return;
    for (const AnsiString& item : SplitItems(fieldList, delimiter)) {
        if (item.empty()) break;
        ForFieldControls(owner, item, [&](TComponent* control) {
            const bool keyColourOnly =
                InheritsFromName(control, "TwwDBComboBox") || InheritsFromName(control, "TDBRadioGroup") ||
                InheritsFromName(control, "TwwRadioGroup") || InheritsFromName(control, "TFDbCheckBox");
            if (!keyColourOnly || color == KeyFieldColor) SetOrdPropByName(control, "Color", color);
        });
    }
}

void SetFieldControlsEnabled(TComponent* owner, const AnsiString& fieldList, const AnsiString& delimiter,
                             bool enabled) {
    if (!owner) return;
    for (AnsiString item : SplitItems(fieldList, delimiter)) {
        const std::size_t blank = item.find(' ');
        if (blank != AnsiString::npos) item.resize(blank);
        // An empty item would match every control that is bound to no field.
        if (item.empty()) continue;
        ForFieldControls(owner, item,
                         [&](TComponent* control) { SetOrdPropByName(control, "Enabled", enabled ? 1 : 0); });
    }
}

void FitGridColumns(TwwDBGrid* grid) {
    TDataSet* ds = grid && grid->DataSource() ? grid->DataSource()->DataSet() : nullptr;
    if (!ds || !ds->Active() || ds->FieldCount() == 0 || grid->ColumnCount() == 0) return;
    const bool enabled = grid->Enabled();
    grid->SetEnabled(false);
    try {
        int width = HorzScrollBarHeight + 2;
        for (int col = 0; col < grid->ColCount(); ++col)
            width += grid->ColWidths(col) + 1;
        if (width < grid->ClientWidth()) {
            const int share = (grid->ClientWidth() - width) / grid->ColumnCount();
            for (int col = grid->FixedCols(); col < grid->ColCount(); ++col)
                grid->SetColWidths(col, grid->ColWidths(col) + share);
        } else if (TWinControl* parent = grid->Parent()) {
            parent->SetClientWidth(width);
        }
    } catch (...) {
        grid->SetEnabled(enabled);
        throw;
    }
    grid->SetEnabled(enabled);
}
