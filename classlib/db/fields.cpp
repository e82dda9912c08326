#include "classlib/db/db.h"

#include <algorithm>
#include <cstring>

#include "classlib/rtl/datetime.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "classlib/rtl/varview.h"

namespace {
AnsiString Quoted(const AnsiString& s) {
    return "'" + s + "'";
}
} // namespace

std::vector<AnsiString> SplitFieldNames(const AnsiString& list) {
    std::vector<AnsiString> names;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t p = list.find(';', start);
        if (p == AnsiString::npos) p = list.size();
        AnsiString name = Trim(list.substr(start, p - start));
        if (!name.empty()) names.push_back(name);
        start = p + 1;
    }
    return names;
}

// ---- field definitions ----

TFieldDef::TFieldDef(TCollection* collection) : TCollectionItem(collection) {}

TFieldDef::~TFieldDef() {
    delete FChildDefs;
}

TFieldDefs* TFieldDef::ChildDefs() {
    if (!FChildDefs) FChildDefs = new TFieldDefs(this);
    return FChildDefs;
}

bool TFieldDef::HasChildDefs() const {
    return FChildDefs && FChildDefs->Count() > 0;
}

TPacketField TFieldDef::ToPacketField() {
    TPacketField f{FName, FDataType, FSize, FRequired ? faRequired : 0, {}};
    if (FDataType == ftDataSet) f.Nested = ChildDefs()->ToPacketFields();
    return f;
}

KVR_PUBLISHED(TFieldDef, c) {
    c.Property("Name", &TFieldDef::Name, &TFieldDef::SetName);
    c.Property("DataType", &TFieldDef::DataType, &TFieldDef::SetDataType);
    c.Property("Size", &TFieldDef::Size, &TFieldDef::SetSize).Default(0);
    c.Property("Required", &TFieldDef::Required, &TFieldDef::SetRequired).Default(0);
}

TFieldDefs::TFieldDefs(TPersistent* owner) : TOwnedCollection(owner, TFieldDef::StaticClass()) {}

void TFieldDefs::Add(const AnsiString& name, TFieldType dataType, int size, bool required) {
    if (IndexOf(name) >= 0) throw EDatabaseError("Duplicate field name '" + name + "'");
    TFieldDef* def = AddFieldDef();
    def->SetName(name);
    def->SetDataType(dataType);
    def->SetSize(size);
    def->SetRequired(required);
}

int TFieldDefs::IndexOf(const AnsiString& name) const {
    for (int i = 0; i < Count(); ++i)
        if (SameIdent(Items(i)->Name(), name)) return i;
    return -1;
}

TFieldDef* TFieldDefs::Find(const AnsiString& name) const {
    const int i = IndexOf(name);
    if (i < 0) throw EDatabaseError("Field '" + name + "' not found");
    return Items(i);
}

std::vector<TPacketField> TFieldDefs::ToPacketFields() const {
    std::vector<TPacketField> out;
    for (int i = 0; i < Count(); ++i)
        out.push_back(Items(i)->ToPacketField());
    return out;
}

void TFieldDefs::Assign(const std::vector<TPacketField>& fields) {
    Clear();
    for (const TPacketField& f : fields) {
        TFieldDef* def = AddFieldDef();
        def->SetName(f.Name);
        def->SetDataType(f.DataType);
        def->SetSize(f.Size);
        def->SetRequired(f.Attributes & faRequired);
        if (f.DataType == ftDataSet) def->ChildDefs()->Assign(f.Nested);
    }
}

KVR_PUBLISHED(TFieldDefs, c) {
    (void)c;
}

// ---- TFields ----

TField* TFields::Fields(int index) const {
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return FList[index];
}

TField* TFields::FindField(const AnsiString& name) const {
    for (TField* f : FList)
        if (SameIdent(f->FieldName(), name)) return f;
    return nullptr;
}

TField* TFields::FieldByName(const AnsiString& name) const {
    TField* f = FindField(name);
    if (!f) DatabaseError("Field '" + name + "' not found", FDataSet);
    return f;
}

int TFields::IndexOf(TField* field) const {
    auto it = std::find(FList.begin(), FList.end(), field);
    return it == FList.end() ? -1 : static_cast<int>(it - FList.begin());
}

// ---- TField ----

TField::TField(TComponent* owner) : TComponent(owner) {}

TField::~TField() {
    if (FDataSet) FDataSet->RemoveField(this);
    FDataSet = nullptr;
}

void TField::SetDataSet(TDataSet* value) {
    if (value == FDataSet) return;
    if (FDataSet) {
        FDataSet->CheckInactive();
        FDataSet->RemoveField(this);
    }
    FDataSet = nullptr;
    if (value) {
        value->CheckInactive();
        if (!FFieldName.empty() && value->FindField(FFieldName))
            DatabaseError("Duplicate field name '" + FFieldName + "'", value);
        value->AddField(this);
        FDataSet = value;
    }
}

void TField::SetFieldName(const AnsiString& value) {
    if (FDataSet && !SameIdent(value, FFieldName)) {
        FDataSet->CheckInactive();
        if (FDataSet->FindField(value)) DatabaseError("Duplicate field name '" + value + "'", FDataSet);
    }
    FFieldName = value;
}

int TField::DisplayWidth() const {
    if (FDisplayWidth > 0) return FDisplayWidth;
    switch (FDataType) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
        return FSize > 0 ? FSize : 20;
    case ftBoolean:
        return 5;
    case ftSmallint:
        return 6;
    case ftInteger:
    case ftAutoInc:
    case ftWord:
        return 10;
    case ftDate:
    case ftTime:
        return 10;
    case ftDateTime:
        return 18;
    default:
        return 10;
    }
}

// Grids lay their columns out again when a title or a width changes.
void TField::SetDisplayLabel(const AnsiString& value) {
    if (FDisplayLabel == value) return;
    FDisplayLabel = value;
    if (FDataSet) FDataSet->DataEvent(deLayoutChange);
}

void TField::SetDisplayWidth(int value) {
    if (FDisplayWidth == value) return;
    FDisplayWidth = value;
    if (FDataSet) FDataSet->DataEvent(deLayoutChange);
}

void TField::SetVisible(bool value) {
    if (FVisible == value) return;
    FVisible = value;
    if (FDataSet) FDataSet->DataEvent(deLayoutChange);
}

void TField::SetSize(int value) {
    if (FDataSet) FDataSet->CheckInactive();
    FSize = value;
}

void TField::SetFieldKind(TFieldKind value) {
    if (FDataSet) FDataSet->CheckInactive();
    FFieldKind = value;
}

int TField::Index() const {
    return FDataSet ? FDataSet->Fields()->IndexOf(const_cast<TField*>(this)) : -1;
}

void TField::SetIndex(int value) {
    if (FDataSet) FDataSet->MoveField(this, value);
}

bool TField::CanModify() const {
    if (FReadOnly || !FDataSet || !FDataSet->Active() || !FDataSet->CanModify()) return false;
    return FFieldKind == fkData || FFieldKind == fkLookup;
}

void TField::SetLookupDataSet(TDataSet* value) {
    if (FLookupDataSet == value) return;
    if (FLookupDataSet) FLookupDataSet->RemoveFreeNotification(this);
    FLookupDataSet = value;
    if (value) value->FreeNotification(this);
}

TComponent* TField::GetParentComponent() const {
    return FDataSet;
}

void TField::SetParentComponent(TComponent* value) {
    if (auto* ds = dynamic_cast<TDataSet*>(value)) SetDataSet(ds);
}

void TField::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == FLookupDataSet) FLookupDataSet = nullptr;
    if (component == FDataSet) FDataSet = nullptr;
}

const Byte* TField::ReadBuffer() const {
    if (!FDataSet || FColumn < 0) return nullptr;
    return FDataSet->ActiveBuffer();
}

bool TField::IsNull() const {
    if (FCalcSlot >= 0) return VarIsNull(FDataSet->CalcValue(this)) || VarIsEmpty(FDataSet->CalcValue(this));
    const Byte* buf = ReadBuffer();
    if (!buf) return true;
    const TColumn& c = FDataSet->Layout()->Columns[FColumn];
    if (c.Kind == skNested) return false;
    return FDataSet->Layout()->IsNull(buf, FColumn);
}

void TField::RaiseConvert(const char* typeName) const {
    DatabaseError("Cannot access field " + Quoted(DisplayName()) + " as type " + typeName, FDataSet);
}

Variant TField::AsVariant() const {
    if (FCalcSlot >= 0) {
        Variant v = FDataSet->CalcValue(this);
        return VarIsEmpty(v) ? Null() : v;
    }
    const Byte* buf = ReadBuffer();
    if (!buf) return Null();
    return FDataSet->Layout()->GetValue(buf, FColumn);
}

void TField::SetAsVariant(const Variant& value) {
    WriteVariant(value);
}

void TField::WriteVariant(const Variant& value) {
    if (!FDataSet) DatabaseError("Field " + Quoted(DisplayName()) + " has no dataset");
    FDataSet->SetFieldValue(this, value);
}

void TField::WriteString(const AnsiString& value) {
    if (!FDataSet) DatabaseError("Field " + Quoted(DisplayName()) + " has no dataset");
    FDataSet->SetFieldString(this, value);
}

AnsiString TField::AsString() const {
    return IsNull() ? AnsiString() : VarToStr(AsVariant());
}
void TField::SetAsString(const AnsiString& value) {
    WriteVariant(value.empty() ? Null() : Variant(value));
}
template <class T> T TField::Converted(T (Variant::*as)() const, const char* typeName, T nullValue) const {
    if (IsNull()) return nullValue;
    try {
        return (AsVariant().*as)();
    } catch (const EVariantError&) {
        RaiseConvert(typeName);
    }
}
int TField::AsInteger() const {
    return Converted<int>(&Variant::AsInteger, "Integer", 0);
}
void TField::SetAsInteger(int value) {
    WriteVariant(value);
}
Int64 TField::AsLargeInt() const {
    return Converted<Int64>(&Variant::AsInt64, "Largeint", 0);
}
void TField::SetAsLargeInt(Int64 value) {
    WriteVariant(static_cast<long long>(value));
}
double TField::AsFloat() const {
    return Converted<double>(&Variant::AsFloat, "Float", 0);
}
void TField::SetAsFloat(double value) {
    WriteVariant(value);
}
bool TField::AsBoolean() const {
    return Converted<bool>(&Variant::AsBoolean, "Boolean", false);
}
void TField::SetAsBoolean(bool value) {
    WriteVariant(value);
}
TDateTime TField::AsDateTime() const {
    return Converted<TDateTime>(&Variant::AsDateTime, "DateTime", 0);
}
void TField::SetAsDateTime(TDateTime value) {
    WriteVariant(VarFromDateTime(value));
}

void TField::GetText(AnsiString& text, bool) const {
    text = AsString();
}

AnsiString TField::Text() const {
    AnsiString text;
    if (FOnGetText)
        FOnGetText(const_cast<TField*>(this), text, false);
    else if (!IsNull() || FDataType == ftMemo || FDataType == ftBlob || FDataType == ftGraphic ||
             FDataType == ftDataSet)
        GetText(text, false);
    return text;
}

AnsiString TField::DisplayText() const {
    AnsiString text;
    if (FOnGetText)
        FOnGetText(const_cast<TField*>(this), text, true);
    else if (!IsNull() || FDataType == ftMemo || FDataType == ftBlob || FDataType == ftGraphic ||
             FDataType == ftDataSet)
        GetText(text, true);
    return text;
}

void TField::SetText(const AnsiString& value) {
    if (FOnSetText)
        FOnSetText(this, value);
    else
        SetAsString(value);
}

void TField::FocusControl() {
    if (FDataSet) FDataSet->DataEvent(deFocusControl, this);
}

KVR_PUBLISHED(TField, c) {
    c.Property("Alignment", &TField::Alignment, &TField::SetAlignment).Default(taLeftJustify);
    c.Property("DisplayLabel", &TField::DisplayLabel, &TField::SetDisplayLabel);
    c.Property("DisplayWidth", &TField::DisplayWidth, &TField::SetDisplayWidth);
    c.Property("EditMask", &TField::EditMask, &TField::SetEditMask);
    c.Property("FieldKind", &TField::FieldKind, &TField::SetFieldKind).Default(fkData);
    c.Property("FieldName", &TField::FieldName, &TField::SetFieldName);
    c.Property("Index", &TField::Index, &TField::SetIndex).Stored(false);
    c.Property("KeyFields", &TField::KeyFields, &TField::SetKeyFields);
    c.Property("LookupDataSet", &TField::LookupDataSet, &TField::SetLookupDataSet);
    c.Property("LookupKeyFields", &TField::LookupKeyFields, &TField::SetLookupKeyFields);
    c.Property("LookupResultField", &TField::LookupResultField, &TField::SetLookupResultField);
    c.Property("Origin", &TField::Origin, &TField::SetOrigin);
    c.Property("ReadOnly", &TField::ReadOnly, &TField::SetReadOnly).Default(0);
    c.Property("Required", &TField::Required, &TField::SetRequired).Default(0);
    c.Property("Visible", &TField::Visible, &TField::SetVisible).Default(1);
    c.Property("OnChange", &TField::OnChange, &TField::SetOnChange);
    c.Property("OnGetText", &TField::OnGetText, &TField::SetOnGetText);
    c.Property("OnSetText", &TField::OnSetText, &TField::SetOnSetText);
    c.Property("OnValidate", &TField::OnValidate, &TField::SetOnValidate);
}

// ---- TStringField ----

TStringField::TStringField(TComponent* owner) : TField(owner) {
    FDataType = ftString;
    FSize = 20;
}

AnsiString TStringField::AsString() const {
    if (FCalcSlot >= 0) return VarToStr(TField::AsVariant());
    AnsiString s;
    if (const Byte* buf = ReadBuffer()) FDataSet->Layout()->GetString(buf, FColumn, s);
    return s;
}

void TStringField::SetAsString(const AnsiString& value) {
    // The class library cut longer texts to the size; a cut the user did not ask for loses data, so a
    // text that does not fit is refused (SetFieldText cuts on a character boundary when asked).
    if (FSize > 0 && static_cast<int>(value.size()) > FSize)
        DatabaseError("Value of field " + Quoted(DisplayName()) + " is too long (" +
                          std::to_string(value.size()) + " bytes; the field holds " + std::to_string(FSize) +
                          ")",
                      FDataSet);
    WriteString(value);
}

int TStringField::AsInteger() const {
    return StrToInt(AsString());
}

double TStringField::AsFloat() const {
    return StrToFloat(AsString());
}

bool TStringField::AsBoolean() const {
    const AnsiString s = AsString();
    return !s.empty() && (s[0] == 'T' || s[0] == 't' || s[0] == 'Y' || s[0] == 'y');
}

Variant TStringField::AsVariant() const {
    if (FCalcSlot >= 0) return TField::AsVariant();
    if (IsNull()) return Null();
    return Variant(AsString());
}

KVR_PUBLISHED(TStringField, c) {
    c.Property("FixedChar", &TStringField::FixedChar, &TStringField::SetFixedChar).Default(0);
    c.Property("Size", &TStringField::Size, &TStringField::SetSize).Default(20);
}

// ---- numeric fields ----

TNumericField::TNumericField(TComponent* owner) : TField(owner) {
    FAlignment = taRightJustify;
}

void TNumericField::SetDisplayFormat(const AnsiString& value) {
    FDisplayFormat = value;
    if (FDataSet) FDataSet->DataEvent(deLayoutChange);
}

KVR_PUBLISHED(TNumericField, c) {
    c.Property("Alignment", &TNumericField::Alignment, &TNumericField::SetAlignment).Default(taRightJustify);
    c.Property("DisplayFormat", &TNumericField::DisplayFormat, &TNumericField::SetDisplayFormat);
    c.Property("EditFormat", &TNumericField::EditFormat, &TNumericField::SetEditFormat);
}

TIntegerField::TIntegerField(TComponent* owner)
    : TNumericField(owner), FMinRange(-2147483647LL - 1), FMaxRange(2147483647LL) {
    FDataType = ftInteger;
}

int TIntegerField::AsInteger() const {
    if (IsNull()) return 0;
    return AsVariant().AsInteger();
}

void TIntegerField::CheckRange(Int64 value) const {
    Int64 lo = FMinRange, hi = FMaxRange;
    if (FMinValue != 0 || FMaxValue != 0) {
        lo = std::max<Int64>(lo, FMinValue);
        hi = std::min<Int64>(hi, FMaxValue);
    }
    if (value < lo || value > hi)
        DatabaseError(std::to_string(value) + " is not a valid value for field " + Quoted(DisplayName()) +
                          ". The allowed range is " + std::to_string(lo) + " to " + std::to_string(hi),
                      FDataSet);
}

void TIntegerField::SetAsInteger(int value) {
    CheckRange(value);
    WriteVariant(value);
}

void TIntegerField::SetAsFloat(double value) {
    const double r = value < 0 ? -static_cast<double>(static_cast<Int64>(-value + 0.5))
                               : static_cast<double>(static_cast<Int64>(value + 0.5));
    CheckRange(static_cast<Int64>(r));
    SetAsInteger(static_cast<int>(r));
}

AnsiString TIntegerField::AsString() const {
    return IsNull() ? AnsiString() : IntToStr(AsInteger());
}

void TIntegerField::SetAsString(const AnsiString& value) {
    if (value.empty()) {
        Clear();
        return;
    }
    Int64 v;
    if (!TryStrToInt64(value, v))
        DatabaseError(Quoted(value) + " is not a valid integer value for field " + Quoted(DisplayName()),
                      FDataSet);
    CheckRange(v);
    SetAsInteger(static_cast<int>(v));
}

Variant TIntegerField::AsVariant() const {
    if (IsNull()) return Null();
    return TField::AsVariant();
}

void TIntegerField::SetAsVariant(const Variant& value) {
    // Clear writes Null through here: it goes to the data set as it is.
    if (VarIsNull(value) || VarIsEmpty(value))
        WriteVariant(Null());
    else if (VarIsStr(value))
        SetAsString(value.AsString());
    else
        SetAsInteger(value.AsInteger());
}

void TIntegerField::GetText(AnsiString& text, bool displayText) const {
    if (IsNull()) {
        text.clear();
        return;
    }
    const AnsiString& fmt = FormatFor(displayText);
    text = fmt.empty() ? IntToStr(AsInteger()) : FormatFloat(fmt, AsInteger());
}

KVR_PUBLISHED(TIntegerField, c) {
    c.Property("MaxValue", &TIntegerField::MaxValue, &TIntegerField::SetMaxValue).Default(0);
    c.Property("MinValue", &TIntegerField::MinValue, &TIntegerField::SetMinValue).Default(0);
}

TSmallintField::TSmallintField(TComponent* owner) : TIntegerField(owner) {
    FDataType = ftSmallint;
    FMinRange = -32768;
    FMaxRange = 32767;
}
KVR_PUBLISHED(TSmallintField, c) {
    (void)c;
}

TWordField::TWordField(TComponent* owner) : TIntegerField(owner) {
    FDataType = ftWord;
    FMinRange = 0;
    FMaxRange = 65535;
}
KVR_PUBLISHED(TWordField, c) {
    (void)c;
}

TAutoIncField::TAutoIncField(TComponent* owner) : TIntegerField(owner) {
    FDataType = ftAutoInc;
}
KVR_PUBLISHED(TAutoIncField, c) {
    (void)c;
}

TLargeintField::TLargeintField(TComponent* owner) : TNumericField(owner) {
    FDataType = ftLargeint;
}
Int64 TLargeintField::AsLargeInt() const {
    return IsNull() ? 0 : AsVariant().AsInt64();
}
void TLargeintField::SetAsLargeInt(Int64 value) {
    WriteVariant(static_cast<long long>(value));
}
int TLargeintField::AsInteger() const {
    return IsNull() ? 0 : AsVariant().AsInteger();
}
void TLargeintField::SetAsFloat(double value) {
    SetAsLargeInt(static_cast<Int64>(value < 0 ? value - 0.5 : value + 0.5));
}
AnsiString TLargeintField::AsString() const {
    return IsNull() ? AnsiString() : IntToStr(static_cast<long long>(AsLargeInt()));
}
void TLargeintField::SetAsString(const AnsiString& value) {
    if (value.empty()) {
        Clear();
        return;
    }
    Int64 v;
    if (!TryStrToInt64(value, v))
        DatabaseError(Quoted(value) + " is not a valid integer value for field " + Quoted(DisplayName()),
                      FDataSet);
    SetAsLargeInt(v);
}
void TLargeintField::GetText(AnsiString& text, bool displayText) const {
    const AnsiString& fmt = FormatFor(displayText);
    text = fmt.empty() ? AsString() : FormatFloat(fmt, static_cast<double>(AsLargeInt()));
}
KVR_PUBLISHED(TLargeintField, c) {
    (void)c;
}

TFloatField::TFloatField(TComponent* owner) : TNumericField(owner) {
    FDataType = ftFloat;
}
double TFloatField::AsFloat() const {
    return IsNull() ? 0 : AsVariant().AsFloat();
}
int TNumericField::RoundedAsInteger() const {
    const double v = AsFloat();
    return static_cast<int>(v < 0 ? v - 0.5 : v + 0.5);
}
void TNumericField::SetAsFloatText(const AnsiString& value) {
    if (value.empty()) {
        Clear();
        return;
    }
    double v;
    if (!TryStrToFloat(value, v))
        DatabaseError(Quoted(value) + " is not a valid floating point value for field " +
                          Quoted(DisplayName()),
                      FDataSet);
    SetAsFloat(v);
}
void TNumericField::GetFloatText(AnsiString& text, bool displayText, bool currency,
                                 const AnsiString& plain) const {
    if (IsNull()) {
        text.clear();
        return;
    }
    const AnsiString& fmt = FormatFor(displayText);
    if (!fmt.empty())
        text = FormatFloat(fmt, AsFloat());
    else if (currency && displayText)
        text = FormatFloat("#,##0.00", AsFloat());
    else
        text = plain;
}

void TFloatField::SetAsFloat(double value) {
    WriteVariant(FDataType == ftCurrency ? VarFromCurrency(value) : Variant(value));
}
int TFloatField::AsInteger() const {
    return RoundedAsInteger();
}
AnsiString TFloatField::AsString() const {
    return IsNull() ? AnsiString() : FloatToStr(AsFloat());
}
void TFloatField::SetAsString(const AnsiString& value) {
    SetAsFloatText(value);
}
void TFloatField::GetText(AnsiString& text, bool displayText) const {
    GetFloatText(text, displayText, FCurrency,
                 IsNull() ? AnsiString() : FloatToStrF(AsFloat(), ffGeneral, FPrecision, 0));
}
KVR_PUBLISHED(TFloatField, c) {
    c.Property("Currency", &TFloatField::Currency, &TFloatField::SetCurrency).Default(0);
    c.Property("Precision", &TFloatField::Precision, &TFloatField::SetPrecision).Default(15);
}

TCurrencyField::TCurrencyField(TComponent* owner) : TFloatField(owner) {
    FDataType = ftCurrency;
    FCurrency = true;
}
KVR_PUBLISHED(TCurrencyField, c) {
    c.Property("Currency", &TCurrencyField::Currency, &TCurrencyField::SetCurrency).Default(1);
}

TBCDField::TBCDField(TComponent* owner) : TNumericField(owner) {
    FDataType = ftBCD;
    FSize = 4;
}
double TBCDField::AsFloat() const {
    return IsNull() ? 0 : AsVariant().AsFloat();
}
void TBCDField::SetAsFloat(double value) {
    WriteVariant(value);
}
int TBCDField::AsInteger() const {
    return RoundedAsInteger();
}
AnsiString TBCDField::AsString() const {
    return IsNull() ? AnsiString() : FloatToStr(AsFloat());
}
void TBCDField::SetAsString(const AnsiString& value) {
    SetAsFloatText(value);
}
void TBCDField::GetText(AnsiString& text, bool displayText) const {
    GetFloatText(text, displayText, FCurrency, AsString());
}
KVR_PUBLISHED(TBCDField, c) {
    c.Property("Currency", &TBCDField::Currency, &TBCDField::SetCurrency).Default(0);
    c.Property("Precision", &TBCDField::Precision, &TBCDField::SetPrecision).Default(0);
    c.Property("Size", &TBCDField::Size, &TBCDField::SetSize).Default(4);
}

// ---- Boolean, dates ----

TBooleanField::TBooleanField(TComponent* owner) : TField(owner) {
    FDataType = ftBoolean;
}
bool TBooleanField::AsBoolean() const {
    return IsNull() ? false : AsVariant().AsBoolean();
}
void TBooleanField::SetAsBoolean(bool value) {
    WriteVariant(value);
}
AnsiString TBooleanField::AsString() const {
    return IsNull() ? AnsiString() : AsBoolean() ? FTextTrue : FTextFalse;
}
void TBooleanField::SetAsString(const AnsiString& value) {
    if (value.empty()) {
        Clear();
        return;
    }
    auto prefixOf = [&](const AnsiString& text) {
        return SameText(Copy(text, 1, static_cast<int>(value.size())), value);
    };
    if (prefixOf(FTextTrue))
        SetAsBoolean(true);
    else if (prefixOf(FTextFalse))
        SetAsBoolean(false);
    else
        DatabaseError(Quoted(value) + " is not a valid boolean value for field " + Quoted(DisplayName()),
                      FDataSet);
}
void TBooleanField::SetDisplayValues(const AnsiString& value) {
    FDisplayValues = value;
    const std::size_t p = value.find(';');
    FTextTrue = p == AnsiString::npos ? value : value.substr(0, p);
    FTextFalse = p == AnsiString::npos ? AnsiString() : value.substr(p + 1);
    if (FDataSet) FDataSet->DataEvent(deLayoutChange);
}
void TBooleanField::GetText(AnsiString& text, bool) const {
    text = AsString();
}
KVR_PUBLISHED(TBooleanField, c) {
    c.Property("DisplayValues", &TBooleanField::DisplayValues, &TBooleanField::SetDisplayValues);
}

TDateTimeField::TDateTimeField(TComponent* owner) : TField(owner) {
    FDataType = ftDateTime;
}
TDateTime TDateTimeField::AsDateTime() const {
    return IsNull() ? 0 : AsVariant().AsDateTime();
}
void TDateTimeField::SetAsDateTime(TDateTime value) {
    WriteVariant(VarFromDateTime(value));
}
AnsiString TDateTimeField::DefaultFormat() const {
    return "c";
}
AnsiString TDateTimeField::AsString() const {
    AnsiString s;
    GetText(s, false);
    return s;
}
void TDateTimeField::SetAsString(const AnsiString& value) {
    if (value.empty()) {
        Clear();
        return;
    }
    TDateTime v;
    if (!TryStrToDateTime(value, v))
        DatabaseError(Quoted(value) + " is not a valid date and time for field " + Quoted(DisplayName()),
                      FDataSet);
    SetAsDateTime(v);
}
void TDateTimeField::GetText(AnsiString& text, bool displayText) const {
    if (IsNull()) {
        text.clear();
        return;
    }
    text = FormatDateTime(displayText && !FDisplayFormat.empty() ? FDisplayFormat : DefaultFormat(),
                          AsDateTime());
}
KVR_PUBLISHED(TDateTimeField, c) {
    c.Property("DisplayFormat", &TDateTimeField::DisplayFormat, &TDateTimeField::SetDisplayFormat);
}

TDateField::TDateField(TComponent* owner) : TDateTimeField(owner) {
    FDataType = ftDate;
}
AnsiString TDateField::DefaultFormat() const {
    return ShortDateFormat();
}
KVR_PUBLISHED(TDateField, c) {
    (void)c;
}

TTimeField::TTimeField(TComponent* owner) : TDateTimeField(owner) {
    FDataType = ftTime;
}
AnsiString TTimeField::DefaultFormat() const {
    return "hh:nn:ss";
}
KVR_PUBLISHED(TTimeField, c) {
    (void)c;
}

// ---- binary and blob fields ----

TBinaryField::TBinaryField(TComponent* owner) : TField(owner) {
    FSize = 16;
}
AnsiString TBinaryField::AsString() const {
    AnsiString s;
    if (const Byte* buf = ReadBuffer()) FDataSet->Layout()->GetString(buf, FColumn, s);
    return s;
}
void TBinaryField::SetAsString(const AnsiString& value) {
    if (FSize > 0 && static_cast<int>(value.size()) > FSize)
        DatabaseError("Value of field " + Quoted(DisplayName()) + " is too long", FDataSet);
    WriteString(value);
}
void TBinaryField::GetText(AnsiString& text, bool) const {
    text = FDataType == ftVarBytes ? "(VarBytes)" : "(Bytes)";
}
KVR_PUBLISHED(TBinaryField, c) {
    c.Property("Size", &TBinaryField::Size, &TBinaryField::SetSize).Default(16);
}

TBytesField::TBytesField(TComponent* owner) : TBinaryField(owner) {
    FDataType = ftBytes;
}
KVR_PUBLISHED(TBytesField, c) {
    (void)c;
}

TVarBytesField::TVarBytesField(TComponent* owner) : TBytesField(owner) {
    FDataType = ftVarBytes;
}
KVR_PUBLISHED(TVarBytesField, c) {
    (void)c;
}

TBlobField::TBlobField(TComponent* owner) : TField(owner) {
    FDataType = ftBlob;
}
AnsiString TBlobField::AsString() const {
    AnsiString s;
    if (const Byte* buf = ReadBuffer()) FDataSet->Layout()->GetString(buf, FColumn, s);
    return s;
}
void TBlobField::SetAsString(const AnsiString& value) {
    WriteString(value);
}
void TBlobField::GetText(AnsiString& text, bool) const {
    text = IsNull() ? "(blob)" : "(BLOB)";
}
KVR_PUBLISHED(TBlobField, c) {
    c.Property("Size", &TBlobField::Size, &TBlobField::SetSize).Default(0);
}

TMemoField::TMemoField(TComponent* owner) : TBlobField(owner) {
    FDataType = ftMemo;
}
Variant TMemoField::AsVariant() const {
    return IsNull() ? Null() : Variant(AsString());
}
void TMemoField::GetText(AnsiString& text, bool displayText) const {
    if (displayText)
        text = IsNull() ? "(memo)" : "(MEMO)";
    else
        text = AsString();
}
KVR_PUBLISHED(TMemoField, c) {
    (void)c;
}

TGraphicField::TGraphicField(TComponent* owner) : TBlobField(owner) {
    FDataType = ftGraphic;
}
KVR_PUBLISHED(TGraphicField, c) {
    (void)c;
}

// ---- object fields ----

TObjectField::TObjectField(TComponent* owner) : TField(owner) {}
KVR_PUBLISHED(TObjectField, c) {
    c.Property("ObjectType", &TObjectField::ObjectType, &TObjectField::SetObjectType);
}

TADTField::TADTField(TComponent* owner) : TObjectField(owner) {
    FDataType = ftADT;
}
KVR_PUBLISHED(TADTField, c) {
    (void)c;
}

TArrayField::TArrayField(TComponent* owner) : TObjectField(owner) {
    FDataType = ftArray;
}
KVR_PUBLISHED(TArrayField, c) {
    (void)c;
}

TReferenceField::TReferenceField(TComponent* owner) : TObjectField(owner) {
    FDataType = ftReference;
}
KVR_PUBLISHED(TReferenceField, c) {
    (void)c;
}

TDataSetField::TDataSetField(TComponent* owner) : TObjectField(owner) {
    FDataType = ftDataSet;
    FVisible = true;
}

TDataSetField::~TDataSetField() {
    if (FNestedDataSet) {
        FNestedDataSet->CloseNested();
        FNestedDataSet->FDataSetField = nullptr;
    }
}

TRowStore* TDataSetField::NestedStore() const {
    const Byte* buf = ReadBuffer();
    if (!buf) return nullptr;
    return FDataSet->Layout()->NestedStore(buf, FColumn);
}

Variant TDataSetField::AsVariant() const {
    TRowStore* s = NestedStore();
    return s ? s->PacketRows() : Null();
}

void TDataSetField::SetAsVariant(const Variant&) {
    DatabaseError("Field " + Quoted(DisplayName()) + " cannot be modified", FDataSet);
}

void TDataSetField::GetText(AnsiString& text, bool) const {
    text = "(DATASET)";
}

KVR_PUBLISHED(TDataSetField, c) {
    (void)c;
}

TAggregateField::TAggregateField(TComponent* owner) : TField(owner) {
    FDataType = ftUnknown;
    FFieldKind = fkAggregate;
}
KVR_PUBLISHED(TAggregateField, c) {
    c.Property("Active", &TAggregateField::Active, &TAggregateField::SetActive).Default(0);
    c.Property("DisplayFormat", &TAggregateField::DisplayFormat, &TAggregateField::SetDisplayFormat);
    c.Property("Expression", &TAggregateField::Expression, &TAggregateField::SetExpression);
}

const std::vector<TClass>& DBFieldClasses() {
    static const std::vector<TClass> classes{
        TADTField::StaticClass(),      TAggregateField::StaticClass(), TArrayField::StaticClass(),
        TAutoIncField::StaticClass(),  TBCDField::StaticClass(),       TBinaryField::StaticClass(),
        TBlobField::StaticClass(),     TBooleanField::StaticClass(),   TBytesField::StaticClass(),
        TCurrencyField::StaticClass(), TDateField::StaticClass(),      TDataSetField::StaticClass(),
        TDateTimeField::StaticClass(), TFloatField::StaticClass(),     TGraphicField::StaticClass(),
        TIntegerField::StaticClass(),  TLargeintField::StaticClass(),  TMemoField::StaticClass(),
        TNumericField::StaticClass(),  TObjectField::StaticClass(),    TReferenceField::StaticClass(),
        TSmallintField::StaticClass(), TStringField::StaticClass(),    TTimeField::StaticClass(),
        TVarBytesField::StaticClass(), TWordField::StaticClass()};
    return classes;
}

namespace {
// The field class of each field type: the one table that the data set's default fields and the
// framework's field creation read.
struct TFieldClassEntry {
    TFieldType Type;
    TClass (*Class)();
};
const TFieldClassEntry FieldClassTable[] = {
    {ftString, TStringField::StaticClass},      {ftFixedChar, TStringField::StaticClass},
    {ftWideString, TStringField::StaticClass},  {ftSmallint, TSmallintField::StaticClass},
    {ftInteger, TIntegerField::StaticClass},    {ftWord, TWordField::StaticClass},
    {ftAutoInc, TAutoIncField::StaticClass},    {ftLargeint, TLargeintField::StaticClass},
    {ftBoolean, TBooleanField::StaticClass},    {ftFloat, TFloatField::StaticClass},
    {ftCurrency, TCurrencyField::StaticClass},  {ftBCD, TBCDField::StaticClass},
    {ftFMTBcd, TBCDField::StaticClass},         {ftDate, TDateField::StaticClass},
    {ftTime, TTimeField::StaticClass},          {ftDateTime, TDateTimeField::StaticClass},
    {ftTimeStamp, TDateTimeField::StaticClass}, {ftBytes, TBytesField::StaticClass},
    {ftVarBytes, TVarBytesField::StaticClass},  {ftBlob, TBlobField::StaticClass},
    {ftTypedBinary, TBlobField::StaticClass},   {ftMemo, TMemoField::StaticClass},
    {ftFmtMemo, TMemoField::StaticClass},       {ftGraphic, TGraphicField::StaticClass},
    {ftDataSet, TDataSetField::StaticClass},    {ftADT, TADTField::StaticClass},
    {ftArray, TArrayField::StaticClass},        {ftReference, TReferenceField::StaticClass},
};
} // namespace

TClass FieldClassOf(TFieldType type) {
    for (const TFieldClassEntry& entry : FieldClassTable)
        if (entry.Type == type) return entry.Class();
    return nullptr;
}
