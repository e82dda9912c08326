#include "classlib/db/db.h"

#include <algorithm>
#include <cstring>

#include "classlib/db/varview.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"

namespace {
const char* SNotEditing = "Dataset not in edit or insert mode";
const char* SDataSetClosed = "Cannot perform this operation on a closed dataset";
const char* SDataSetOpen = "Cannot perform this operation on an open dataset";
const char* SDataSetEmpty = "Cannot perform this operation on an empty dataset";
const char* SDataSetReadOnly = "Cannot modify a read-only dataset";
const char* SRecordNotFound = "Record not found";

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

TClass FieldClassOf(TFieldType type) {
    switch (type) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
        return TStringField::StaticClass();
    case ftSmallint:
        return TSmallintField::StaticClass();
    case ftInteger:
        return TIntegerField::StaticClass();
    case ftWord:
        return TWordField::StaticClass();
    case ftAutoInc:
        return TAutoIncField::StaticClass();
    case ftLargeint:
        return TLargeintField::StaticClass();
    case ftBoolean:
        return TBooleanField::StaticClass();
    case ftFloat:
        return TFloatField::StaticClass();
    case ftCurrency:
        return TCurrencyField::StaticClass();
    case ftBCD:
    case ftFMTBcd:
        return TBCDField::StaticClass();
    case ftDate:
        return TDateField::StaticClass();
    case ftTime:
        return TTimeField::StaticClass();
    case ftDateTime:
    case ftTimeStamp:
        return TDateTimeField::StaticClass();
    case ftBytes:
        return TBytesField::StaticClass();
    case ftVarBytes:
        return TVarBytesField::StaticClass();
    case ftBlob:
    case ftTypedBinary:
        return TBlobField::StaticClass();
    case ftMemo:
    case ftFmtMemo:
        return TMemoField::StaticClass();
    case ftGraphic:
        return TGraphicField::StaticClass();
    case ftDataSet:
        return TDataSetField::StaticClass();
    case ftADT:
        return TADTField::StaticClass();
    case ftArray:
        return TArrayField::StaticClass();
    case ftReference:
        return TReferenceField::StaticClass();
    default:
        return nullptr;
    }
}

// ---- TDataSet ----

TDataSet::TDataSet(TComponent* owner)
    : TComponent(owner), FFields(std::make_unique<TFields>(this)), FFieldDefs(new TFieldDefs(this)) {}

TDataSet::~TDataSet() {
    FreeEditBuffer();
    DetachStore();
    for (TDataSource* source : std::vector<TDataSource*>(FDataSources))
        source->SetDataSet(nullptr);
    if (FDataSetField) FDataSetField->SetNestedDataSet(nullptr);
    for (TField* field : std::vector<TField*>(FFields->FList)) {
        field->FDataSet = nullptr;
        if (field->FDefaultField) delete field;
    }
    FFields->FList.clear();
    delete FFieldDefs;
}

void TDataSet::BeforeDestruction() {
    if (Active()) {
        try {
            CloseNested();
            FreeEditBuffer();
            FState = dsInactive;
            CloseCursor();
        } catch (...) {
        }
    }
    TComponent::BeforeDestruction();
}

void TDataSet::CheckActive() const {
    if (FState == dsInactive) DatabaseError(SDataSetClosed, const_cast<TDataSet*>(this));
}

void TDataSet::CheckInactive() const {
    if (FState != dsInactive) DatabaseError(SDataSetOpen, const_cast<TDataSet*>(this));
}

TField* TDataSet::FieldByName(const AnsiString& name) const {
    return FFields->FieldByName(name);
}

void TDataSet::GetFieldNames(std::vector<AnsiString>& names) const {
    names.clear();
    for (TField* f : FFields->FList)
        names.push_back(f->FieldName());
}

void TDataSet::AddField(TField* field) {
    FFields->FList.push_back(field);
    FreeNotification(field);
}

void TDataSet::RemoveField(TField* field) {
    auto& list = FFields->FList;
    list.erase(std::remove(list.begin(), list.end(), field), list.end());
    if (field->FDataSet == this) field->FDataSet = nullptr;
}

void TDataSet::MoveField(TField* field, int index) {
    auto& list = FFields->FList;
    auto it = std::find(list.begin(), list.end(), field);
    if (it == list.end()) return;
    list.erase(it);
    index = std::clamp(index, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + index, field);
    DataEvent(deLayoutChange);
}

void TDataSet::SetDataSetField(TDataSetField* value) {
    if (value == FDataSetField) return;
    CheckInactive();
    if (FDataSetField) FDataSetField->SetNestedDataSet(nullptr);
    FDataSetField = value;
    if (value) {
        if (value->NestedDataSet() && value->NestedDataSet() != this)
            value->NestedDataSet()->FDataSetField = nullptr;
        value->SetNestedDataSet(this);
        value->FreeNotification(this);
    }
}

TDataSet* TDataSet::ParentDataSet() const {
    return FDataSetField ? FDataSetField->DataSet() : nullptr;
}

void TDataSet::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == FDataSetField) {
        CloseNested();
        FDataSetField = nullptr;
    }
    if (auto* field = dynamic_cast<TField*>(component))
        if (field->FDataSet == this) RemoveField(field);
}

void TDataSet::GetChildren(const TGetChildProc& proc, TComponent* root) {
    for (TField* f : FFields->FList)
        if (!f->FDefaultField && f->Owner() == root) proc(f);
}

void TDataSet::Loaded() {
    TComponent::Loaded();
    if (FStreamedActive) {
        FStreamedActive = false;
        SetActive(true);
    }
}

// ---- open and close ----

void TDataSet::SetActive(bool value) {
    if (ComponentState().Contains(csLoading)) {
        FStreamedActive = value;
        return;
    }
    if (value == Active()) return;
    if (value) {
        DoEvent(FBeforeOpen);
        try {
            FState = dsOpening;
            OpenCursor();
        } catch (...) {
            FState = dsInactive;
            try {
                CloseCursor();
            } catch (...) {
            }
            throw;
        }
        FState = dsInactive;
        SetState(dsBrowse);
        CalculateFields();
        DataEvent(deDataSetChange);
        DoEvent(FAfterOpen);
        if (!IsEmpty()) DoEvent(FAfterScroll);
    } else {
        if (!ComponentState().Contains(csDestroying)) DoEvent(FBeforeClose);
        CloseNested();
        FreeEditBuffer();
        SetState(dsInactive);
        CloseCursor();
        if (!ComponentState().Contains(csDestroying)) DoEvent(FAfterClose);
    }
}

void TDataSet::OpenCursor() {
    InternalOpen();
    if (!FLayout && FStore) FLayout = FStore->Layout;
    CreateFields();
    BindFields();
    RebuildOrder();
    SetCurrent(FOrder.empty() ? -1 : 0);
    FBof = true;
    FEof = FOrder.empty();
}

void TDataSet::CloseCursor() {
    InternalClose();
    DestroyDefaultFields();
    for (TField* f : FFields->FList)
        f->Bind(-1, -1);
    FCalcValues.clear();
    FLayout.reset();
    FCurrent = -1;
    FBof = FEof = true;
}

void TDataSet::InternalClose() {
    DetachStore();
}

void TDataSet::CloseNested() {
    for (TField* f : FFields->FList)
        if (auto* df = dynamic_cast<TDataSetField*>(f))
            if (df->NestedDataSet() && df->NestedDataSet()->Active()) df->NestedDataSet()->Close();
    if (FDataSetField && Active() && !FDataSetField->DataSet()) Close();
}

void TDataSet::CreateFields() {
    if (!FFields->FList.empty()) return;
    FDefaultFields = true;
    for (const TColumn& c : FLayout->Columns) {
        if (!c.Stored) continue;
        TClass cls = FieldClassOf(c.DataType);
        if (!cls) cls = TField::StaticClass();
        auto* field = static_cast<TField*>(cls->CreateComponent(nullptr));
        field->FDefaultField = true;
        field->FFieldName = c.Name;
        if (c.Kind == skInline || c.DataType == ftBCD) field->FSize = c.Size;
        field->FRequired = c.Attributes & faRequired;
        field->FReadOnly = c.Attributes & faReadOnly;
        field->FVisible = !(c.Attributes & faHidden);
        field->FDataSet = this;
        FFields->FList.push_back(field);
    }
}

void TDataSet::DestroyDefaultFields() {
    if (!FDefaultFields) return;
    FDefaultFields = false;
    std::vector<TField*> fields = FFields->FList;
    FFields->FList.clear();
    for (TField* f : fields) {
        if (f->FDefaultField) {
            f->FDataSet = nullptr;
            delete f;
        } else {
            FFields->FList.push_back(f);
        }
    }
}

void TDataSet::BindFields() {
    int slots = 0;
    for (TField* f : FFields->FList) {
        switch (f->FieldKind()) {
        case fkData:
        case fkInternalCalc: {
            const int col = FLayout->IndexOf(f->FieldName());
            if (col < 0) DatabaseError("Field '" + f->FieldName() + "' not found", this);
            f->Bind(col, -1);
            break;
        }
        case fkAggregate:
            f->Bind(-1, -1);
            break;
        default:
            f->Bind(-1, slots++);
        }
    }
    FCalcValues.assign(slots, Null());
}

void TDataSet::AttachStore(TRowStore* store) {
    if (store) store->AddRef();
    DetachStore();
    FStore = store;
    if (store) FLayout = store->Layout;
    FOrderVersion = -1;
}

void TDataSet::DetachStore() {
    TRowStore* s = FStore;
    FStore = nullptr;
    FOrder.clear();
    FOrderVersion = -1;
    if (s) s->Release();
}

// ---- order and position ----

void TDataSet::RebuildOrder(int keepRowId) {
    FOrder.clear();
    if (FStore) {
        FOrder.reserve(FStore->Rows.size());
        for (TRow* row : FStore->Rows)
            if (!row->Deleted) FOrder.push_back(row);
        SortOrder();
        FOrderVersion = FStore->Version;
    }
    if (keepRowId) {
        const int i = FindRowIndex(keepRowId);
        if (i >= 0) FCurrent = i;
    }
    if (FCurrent >= RowCount()) FCurrent = RowCount() - 1;
    if (FCurrent < 0 && RowCount() > 0) FCurrent = 0;
}

void TDataSet::SortOrder() {
    if (HasIndex())
        std::stable_sort(FOrder.begin(), FOrder.end(),
                         [this](const TRow* a, const TRow* b) { return RowLess(a, b); });
}

void TDataSet::PlaceInOrder(TRow* row, int position) {
    if (HasIndex()) {
        auto it = std::upper_bound(FOrder.begin(), FOrder.end(), row,
                                   [this](const TRow* a, const TRow* b) { return RowLess(a, b); });
        position = static_cast<int>(it - FOrder.begin());
    } else if (position < 0 || position > RowCount()) {
        position = RowCount();
    }
    FOrder.insert(FOrder.begin() + position, row);
    FCurrent = position;
}

void TDataSet::CheckOrder() const {
    if (FStore && FOrderVersion != FStore->Version) {
        auto* self = const_cast<TDataSet*>(this);
        TRow* cur = nullptr;
        if (self->FCurrent >= 0 && self->FCurrent < RowCount()) cur = FOrder[FCurrent];
        // The current row pointer may be gone; keep it by id only when it is still stored.
        int keep = 0;
        if (cur)
            for (TRow* r : FStore->Rows)
                if (r == cur) {
                    keep = r->Id;
                    break;
                }
        self->RebuildOrder(keep);
    }
}

int TDataSet::FindRowIndex(int rowId) const {
    for (int i = 0; i < RowCount(); ++i)
        if (FOrder[i]->Id == rowId) return i;
    return -1;
}

void TDataSet::SetCurrent(int index) {
    FCurrent = index;
    FDisplayRow = -1;
}

void TDataSet::SetDisplayRow(int index) {
    if (index == FCurrent) index = -1;
    if (index == FDisplayRow) return;
    FDisplayRow = index;
    CalculateFields();
}

const Byte* TDataSet::ActiveBuffer() const {
    if (FState == dsInactive || FState == dsOpening) return nullptr;
    if (FEditBuffer) {
        if (FDisplayRow < 0) return FEditBuffer;
    }
    CheckOrder();
    if (FDisplayRow >= 0 && FDisplayRow < RowCount()) return FOrder[FDisplayRow]->Data();
    if (FEditBuffer) return FEditBuffer;
    TRow* row = CurrentRow();
    return row ? row->Data() : nullptr;
}

bool TDataSet::IsEmpty() const {
    CheckOrder();
    return FState != dsInsert && FOrder.empty();
}

int TDataSet::RecordCount() const {
    CheckActive();
    CheckOrder();
    return RowCount();
}

int TDataSet::RecNo() const {
    CheckActive();
    if (FState == dsInsert) return -1;
    CheckOrder();
    return FOrder.empty() ? 0 : FCurrent + 1;
}

void TDataSet::SetRecNo(int value) {
    CheckBrowseMode();
    if (value < 1 || value > RowCount() || value == FCurrent + 1) return;
    DoEvent(FBeforeScroll);
    SetCurrent(value - 1);
    FBof = FEof = false;
    DoScrolled();
    DoAfterScrollEvents();
}

void TDataSet::DoScrolled() {
    CalculateFields();
    DataEvent(deDataSetScroll);
}

void TDataSet::DoAfterScrollEvents() {
    NotifyDetails();
    DoEvent(FAfterScroll);
}

void TDataSet::NotifyDetails() {
    for (TField* f : FFields->FList)
        if (auto* df = dynamic_cast<TDataSetField*>(f))
            if (df->NestedDataSet() && df->NestedDataSet()->Active()) df->NestedDataSet()->MasterChanged();
}

void TDataSet::MasterChanged() {
    if (!Active() || !FDataSetField) return;
    TRowStore* store = FDataSetField->NestedStore();
    if (!store) {
        // No master row: an empty level until there is one.
        store = new TRowStore(FLayout);
    }
    if (store == FStore) return;
    FreeEditBuffer();
    if (FState != dsBrowse) SetState(dsBrowse);
    AttachStore(store);
    RebuildOrder();
    SetCurrent(FOrder.empty() ? -1 : 0);
    FBof = true;
    FEof = FOrder.empty();
    CalculateFields();
    DataEvent(deDataSetChange);
    DoAfterScrollEvents();
}

void TDataSet::RefreshFromMaster() {
    if (!Active() || !FDataSetField) return;
    FreeEditBuffer();
    DetachStore();
    MasterChanged();
}

void TDataSet::First() {
    CheckBrowseMode();
    DoEvent(FBeforeScroll);
    CheckOrder();
    SetCurrent(FOrder.empty() ? -1 : 0);
    FBof = true;
    FEof = FOrder.empty();
    CalculateFields();
    DataEvent(deDataSetChange);
    DoAfterScrollEvents();
}

void TDataSet::Last() {
    CheckBrowseMode();
    DoEvent(FBeforeScroll);
    while (CanFetchMore())
        if (FetchMore() == 0) break;
    CheckOrder();
    SetCurrent(RowCount() - 1);
    FEof = true;
    FBof = FOrder.empty();
    CalculateFields();
    DataEvent(deDataSetChange);
    DoAfterScrollEvents();
}

void TDataSet::Next() {
    MoveBy(1);
}

void TDataSet::Prior() {
    MoveBy(-1);
}

int TDataSet::MoveBy(int distance) {
    CheckBrowseMode();
    int result = 0;
    DoEvent(FBeforeScroll);
    CheckOrder();
    if ((distance > 0 && !FEof) || (distance < 0 && !FBof)) {
        FBof = FEof = false;
        Int64 target = static_cast<Int64>(FCurrent) + distance;
        while (target >= RowCount() && CanFetchMore())
            if (FetchMore() == 0) break;
        if (target >= RowCount()) {
            target = RowCount() - 1;
            FEof = true;
        }
        if (target < 0) {
            target = 0;
            FBof = true;
        }
        if (RowCount() == 0) FBof = FEof = true;
        result = static_cast<int>(target) - FCurrent;
        if (RowCount() > 0) SetCurrent(static_cast<int>(target));
        if (result != 0) DoScrolled();
    }
    if (result != 0)
        DoAfterScrollEvents();
    else
        DoEvent(FAfterScroll);
    return result;
}

// ---- editing ----

void TDataSet::CheckCanModify() const {
    if (!CanModify()) DatabaseError(SDataSetReadOnly, const_cast<TDataSet*>(this));
}

void TDataSet::CheckParentState() {
    if (TDataSet* parent = ParentDataSet()) parent->Edit();
}

void TDataSet::FreeEditBuffer() {
    DropNestedSnapshot();
    if (FInsertRow) {
        TRowStore* owner = FStore;
        if (owner)
            owner->FreeRow(FInsertRow);
        else {
            FInsertRow->~TRow();
            ::operator delete(FInsertRow);
        }
        FInsertRow = nullptr;
    } else if (FEditBuffer) {
        if (FLayout) FLayout->ClearRecord(FEditBuffer);
        delete[] FEditBuffer;
    }
    FEditBuffer = nullptr;
}

void TDataSet::DoCheckOperation(void (TDataSet::*op)(), const TDataSetErrorEvent& handler) {
    for (;;) {
        try {
            (this->*op)();
            return;
        } catch (EDatabaseError& e) {
            TDataAction action = daFail;
            if (handler) handler(this, &e, action);
            if (action == daFail) throw;
            if (action == daAbort) Abort();
        }
    }
}

void TDataSet::Append() {
    FAppending = true;
    Insert();
}

void TDataSet::Insert() {
    const bool append = FAppending;
    FAppending = false;
    CheckBrowseMode();
    CheckCanModify();
    DoEvent(FBeforeInsert);
    CheckParentState();
    DoEvent(FBeforeScroll);
    if (!FStore) DatabaseError(SDataSetClosed, this);
    FInsertRow = FStore->NewRow();
    FEditBuffer = FInsertRow->Data();
    FAppendPending = append;
    SetState(dsInsert);
    FBof = FEof = false;
    NotifyDetails();
    try {
        DoEvent(FOnNewRecord);
    } catch (...) {
        if (FState == dsInsert) {
            FreeEditBuffer();
            SetState(dsBrowse);
            NotifyDetails();
            Resync();
        }
        throw;
    }
    FModified = false;
    CalculateFields();
    DataEvent(deDataSetChange);
    DoEvent(FAfterInsert);
    DoEvent(FAfterScroll);
}

void TDataSet::InternalEditStart() {
    TRow* row = CurrentRow();
    if (!row) DatabaseError(SDataSetEmpty, this);
    FEditBuffer = new Byte[FLayout->RecordSize];
    FLayout->InitRecord(FEditBuffer);
    FLayout->CopyRecord(FEditBuffer, row->Data(), true);
    DropNestedSnapshot();
    if (FLayout->HasNested)
        for (int i = 0; i < static_cast<int>(FLayout->Columns.size()); ++i)
            if (TRowStore* nested =
                    FLayout->Columns[i].Kind == skNested ? FLayout->NestedStore(row->Data(), i) : nullptr)
                FNestedSnapshot.emplace_back(i, nested->Clone());
}

void TDataSet::DropNestedSnapshot() {
    for (auto& [col, copy] : FNestedSnapshot)
        delete copy;
    FNestedSnapshot.clear();
}

void TDataSet::Edit() {
    if (FState == dsEdit || FState == dsInsert) return;
    CheckActive();
    CheckOrder();
    if (FOrder.empty()) {
        Insert();
        return;
    }
    CheckBrowseMode();
    CheckCanModify();
    DoEvent(FBeforeEdit);
    CheckParentState();
    DoCheckOperation(&TDataSet::InternalEditStart, FOnEditError);
    SetState(dsEdit);
    CalculateFields();
    DataEvent(deRecordChange);
    DoEvent(FAfterEdit);
}

void TDataSet::InternalPostStep() {
    for (TField* f : FFields->FList)
        if (f->Required() && f->FieldKind() == fkData && f->IsNull() && f->DataType() != ftDataSet &&
            !f->ReadOnly())
            DatabaseError("Field '" + f->DisplayName() + "' must have a value", this);
    InternalPost();
}

void TDataSet::InternalPost() {
    if (FState == dsInsert) {
        TRow* row = FInsertRow;
        row->Status = usInserted;
        // Insert puts the row before the current one, Append at the end.
        int storePos = static_cast<int>(FStore->Rows.size());
        int orderPos = -1;
        if (!FAppendPending && CurrentRow()) {
            TRow* before = CurrentRow();
            auto it = std::find(FStore->Rows.begin(), FStore->Rows.end(), before);
            storePos = static_cast<int>(it - FStore->Rows.begin());
            orderPos = FCurrent;
        }
        CheckOrder();
        FStore->Rows.insert(FStore->Rows.begin() + storePos, row);
        ++FStore->Version;
        FInsertRow = nullptr;
        FEditBuffer = nullptr;
        PlaceInOrder(row, orderPos);
        FOrderVersion = FStore->Version;
        AfterRowPosted(row);
    } else {
        TRow* row = CurrentRow();
        if (!FLayout->SameValues(FEditBuffer, row->Data())) {
            if (row->Status == usUnmodified) {
                row->Original = new Byte[FLayout->RecordSize];
                FLayout->InitRecord(row->Original);
                FLayout->CopyRecord(row->Original, row->Data(), false);
                row->Status = usModified;
            }
            FLayout->CopyRecord(row->Data(), FEditBuffer, true);
            if (HasIndex()) {
                FOrder.erase(FOrder.begin() + FCurrent);
                PlaceInOrder(row, -1);
            }
        }
        FLayout->ClearRecord(FEditBuffer);
        delete[] FEditBuffer;
        FEditBuffer = nullptr;
        AfterRowPosted(row);
    }
    if (TDataSet* parent = ParentDataSet()) parent->FModified = true;
}

void TDataSet::PostNested() {
    for (TField* f : FFields->FList)
        if (auto* df = dynamic_cast<TDataSetField*>(f))
            if (TDataSet* nested = df->NestedDataSet())
                if (nested->Active()) nested->CheckBrowseMode();
}

void TDataSet::Post() {
    UpdateRecord();
    if (FState != dsEdit && FState != dsInsert) return;
    DataEvent(deCheckBrowseMode);
    DoEvent(FBeforePost);
    DoCheckOperation(&TDataSet::InternalPostStep, FOnPostError);
    DropNestedSnapshot();
    SetState(dsBrowse);
    Resync();
    DoEvent(FAfterPost);
}

void TDataSet::Cancel() {
    if (FState != dsEdit && FState != dsInsert) return;
    DataEvent(deCheckBrowseMode);
    DoEvent(FBeforeCancel);
    const bool scrollEvents = FState == dsInsert;
    if (scrollEvents) DoEvent(FBeforeScroll);
    InternalCancel();
    // Lines changed under this edit go back to what they were when it began.
    const bool restoreNested = FState == dsEdit && !FNestedSnapshot.empty();
    if (restoreNested) {
        if (TRow* row = CurrentRow())
            for (auto& [col, copy] : FNestedSnapshot)
                if (TRowStore* nested = FLayout->NestedStore(row->Data(), col)) nested->TakeRowsFrom(*copy);
    }
    FreeEditBuffer();
    SetState(dsBrowse);
    Resync();
    if (scrollEvents) NotifyDetails();
    if (restoreNested)
        for (TField* f : FFields->FList)
            if (auto* df = dynamic_cast<TDataSetField*>(f))
                if (df->NestedDataSet()) df->NestedDataSet()->RefreshFromMaster();
    DoEvent(FAfterCancel);
    if (scrollEvents) DoEvent(FAfterScroll);
}

void TDataSet::InternalDeleteStep() {
    InternalDelete();
}

void TDataSet::InternalDelete() {
    TRow* row = CurrentRow();
    if (!row) DatabaseError(SDataSetEmpty, this);
    const bool wasLast = FCurrent == RowCount() - 1;
    FOrder.erase(FOrder.begin() + FCurrent);
    if (row->Status == usInserted) {
        FStore->Remove(row);
    } else {
        if (!row->Original) {
            row->Original = new Byte[FLayout->RecordSize];
            FLayout->InitRecord(row->Original);
            FLayout->CopyRecord(row->Original, row->Data(), false);
        }
        row->Status = usDeleted;
        row->Deleted = true;
        ++FStore->Version;
    }
    FOrderVersion = FStore->Version;
    if (FCurrent >= RowCount()) FCurrent = RowCount() - 1;
    FEof = wasLast || FOrder.empty();
    FBof = FOrder.empty();
    if (TDataSet* parent = ParentDataSet()) parent->FModified = true;
}

void TDataSet::Delete() {
    CheckActive();
    if (FState == dsInsert) {
        Cancel();
        return;
    }
    CheckOrder();
    if (FOrder.empty()) DatabaseError(SDataSetEmpty, this);
    DataEvent(deCheckBrowseMode);
    DoEvent(FBeforeDelete);
    DoEvent(FBeforeScroll);
    CheckParentState();
    DoCheckOperation(&TDataSet::InternalDeleteStep, FOnDeleteError);
    FreeEditBuffer();
    SetState(dsBrowse);
    const bool bof = FBof, eof = FEof;
    Resync();
    FBof = bof;
    FEof = eof;
    DoEvent(FAfterDelete);
    DoAfterScrollEvents();
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode);
    if (FState == dsEdit || FState == dsInsert) {
        UpdateRecord();
        if (FModified)
            Post();
        else
            Cancel();
    }
}

void TDataSet::UpdateRecord() {
    if (FState != dsEdit && FState != dsInsert) DatabaseError(SNotEditing, this);
    DataEvent(deUpdateRecord);
}

void TDataSet::Refresh() {
    CheckBrowseMode();
    Resync();
}

void TDataSet::Resync() {
    CheckOrder();
    if (FCurrent >= RowCount()) FCurrent = RowCount() - 1;
    if (FCurrent < 0 && RowCount() > 0) FCurrent = 0;
    FDisplayRow = -1;
    CalculateFields();
    DataEvent(deDataSetChange);
}

void TDataSet::SetState(TDataSetState value) {
    if (FState == value) return;
    FState = value;
    FModified = false;
    DataEvent(deUpdateState);
}

// ---- field values ----

void TDataSet::SetFieldValue(TField* field, const Variant& value) {
    CheckActive();
    const TFieldKind kind = field->FieldKind();
    if (field->CalcSlot() >= 0) {
        if (!FInCalc && FState != dsEdit && FState != dsInsert) DatabaseError(SNotEditing, this);
        FCalcValues[field->CalcSlot()] = value;
        if (!FInCalc) {
            if (field->FOnChange) field->FOnChange(field);
            DataEvent(deFieldChange, field);
        }
        return;
    }
    if (field->Column() < 0) DatabaseError("Field '" + field->DisplayName() + "' cannot be modified", this);
    Byte* rec = FEditBuffer;
    if (FInCalc && kind == fkInternalCalc && !rec) {
        TRow* row = FDisplayRow >= 0 ? FOrder[FDisplayRow] : CurrentRow();
        if (!row) return;
        FLayout->SetValue(row->Data(), field->Column(), value);
        return;
    }
    if (FInCalc) {
        // Only internal calculated fields take values while fields are calculated.
        if (kind == fkInternalCalc) FLayout->SetValue(rec, field->Column(), value);
        return;
    }
    if (FState != dsEdit && FState != dsInsert) DatabaseError(SNotEditing, this);
    if (field->ReadOnly()) DatabaseError("Field '" + field->DisplayName() + "' cannot be modified", this);
    if (field->FOnValidate) {
        Variant old = FLayout->GetValue(rec, field->Column());
        FLayout->SetValue(rec, field->Column(), value);
        try {
            field->FOnValidate(field);
        } catch (...) {
            FLayout->SetValue(rec, field->Column(), old);
            throw;
        }
    } else {
        FLayout->SetValue(rec, field->Column(), value);
    }
    if (field->FOnChange) field->FOnChange(field);
    DataEvent(deFieldChange, field);
}

void TDataSet::SetFieldString(TField* field, const AnsiString& value) {
    // The common case without a Variant: a data field of the edited row, no validation handler.
    if (field->CalcSlot() >= 0 || field->Column() < 0 || FInCalc || field->FOnValidate || !FEditBuffer ||
        field->ReadOnly() || (FState != dsEdit && FState != dsInsert)) {
        SetFieldValue(field, Variant(value));
        return;
    }
    FLayout->SetString(FEditBuffer, field->Column(), value);
    if (field->FOnChange) field->FOnChange(field);
    DataEvent(deFieldChange, field);
}

Variant TDataSet::CalcValue(const TField* field) const {
    const int slot = field->CalcSlot();
    return slot >= 0 && slot < static_cast<int>(FCalcValues.size()) ? FCalcValues[slot] : Null();
}

void TDataSet::CalculateFields() {
    if (FInCalc || !FLayout) return;
    bool any = !FCalcValues.empty();
    if (!any && FOnCalcFields)
        for (TField* f : FFields->FList)
            if (f->FieldKind() == fkInternalCalc) any = true;
    if (!any) return;
    for (Variant& v : FCalcValues)
        v = Null();
    if (!ActiveBuffer()) return;
    FInCalc = true;
    const TDataSetState saved = FState;
    try {
        for (TField* f : FFields->FList)
            if (f->FieldKind() == fkLookup && f->LookupDataSet() && f->LookupDataSet()->Active() &&
                f->CalcSlot() >= 0) {
                std::vector<Variant> keys;
                for (const AnsiString& name : SplitFieldNames(f->KeyFields()))
                    keys.push_back(FieldByName(name)->AsVariant());
                Variant key = keys.size() == 1 ? keys[0] : VarArrayOf(keys);
                FCalcValues[f->CalcSlot()] =
                    f->LookupDataSet()->Lookup(f->LookupKeyFields(), key, f->LookupResultField());
            }
        if (FOnCalcFields) {
            FState = dsCalcFields;
            FOnCalcFields(this);
        }
    } catch (...) {
        FState = saved;
        FInCalc = false;
        throw;
    }
    FState = saved;
    FInCalc = false;
}

// ---- data events ----

void TDataSet::DataEvent(TDataEvent event, TObject* info) {
    switch (event) {
    case deFieldChange: {
        auto* field = static_cast<TField*>(info);
        if (field && (field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc)) FModified = true;
        if (FAutoCalcFields && FState != dsSetKey) CalculateFields();
        break;
    }
    case deCheckBrowseMode:
        PostNested();
        break;
    default:
        break;
    }
    if (FDisableCount == 0) {
        for (TDataSource* source : std::vector<TDataSource*>(FDataSources))
            source->DataEvent(event, info);
    } else if ((event == deUpdateState && FState == dsInactive) || event == deLayoutChange) {
        FEnableEvent = deLayoutChange;
    }
}

void TDataSet::AddDataSource(TDataSource* source) {
    FDataSources.push_back(source);
}

void TDataSet::RemoveDataSource(TDataSource* source) {
    FDataSources.erase(std::remove(FDataSources.begin(), FDataSources.end(), source), FDataSources.end());
}

void TDataSet::DisableControls() {
    if (FDisableCount == 0) {
        FDisableState = FState;
        FEnableEvent = deDataSetChange;
    }
    ++FDisableCount;
}

void TDataSet::EnableControls() {
    if (FDisableCount == 0) return;
    if (--FDisableCount == 0) {
        if (FDisableState != FState) DataEvent(deUpdateState);
        if (FDisableState != dsInactive && FState != dsInactive) DataEvent(FEnableEvent);
    }
}

// ---- bookmarks ----

TBookmark TDataSet::GetBookmark() const {
    CheckOrder();
    TRow* row = CurrentRow();
    if (!Active() || !row) return nullptr;
    return new TBookmarkRec{row->Id};
}

bool TDataSet::BookmarkValid(TBookmark bookmark) const {
    CheckOrder();
    return bookmark && FindRowIndex(bookmark->RowId) >= 0;
}

void TDataSet::GotoBookmark(TBookmark bookmark) {
    CheckBrowseMode();
    const int i = bookmark ? FindRowIndex(bookmark->RowId) : -1;
    if (i < 0) DatabaseError(SRecordNotFound, this);
    DoEvent(FBeforeScroll);
    SetCurrent(i);
    FBof = FEof = false;
    DoScrolled();
    DoAfterScrollEvents();
}

int TDataSet::CompareBookmarks(TBookmark a, TBookmark b) const {
    if (!a || !b) return a == b ? 0 : a ? 1 : -1;
    const int ia = FindRowIndex(a->RowId), ib = FindRowIndex(b->RowId);
    return ia < ib ? -1 : ia > ib ? 1 : 0;
}

TBookmarkStr TDataSet::Bookmark() const {
    CheckOrder();
    TRow* row = CurrentRow();
    return row ? std::to_string(row->Id) : TBookmarkStr();
}

void TDataSet::SetBookmark(const TBookmarkStr& value) {
    TBookmarkRec rec{StrToIntDef(value, 0)};
    GotoBookmark(&rec);
}

// ---- searching ----

bool TDataSet::MatchesRow(const Byte* rec, const std::vector<TField*>& fields,
                          const std::vector<Variant>& values, TLocateOptions options) const {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const TField* f = fields[i];
        if (f->Column() < 0) return false;
        const Variant& key = values[i];
        const bool rowNull = FLayout->IsNull(rec, f->Column());
        if (VarIsNull(key) || VarIsEmpty(key)) {
            if (!rowNull) return false;
            continue;
        }
        if (rowNull) return false;
        const TColumn& c = FLayout->Columns[f->Column()];
        if (c.Kind == skInline || c.Kind == skHeap || options.Contains(loPartialKey) ||
            options.Contains(loCaseInsensitive)) {
            AnsiString s;
            FLayout->GetString(rec, f->Column(), s);
            if (c.Kind != skInline && c.Kind != skHeap) s = VarToStr(FLayout->GetValue(rec, f->Column()));
            AnsiString k = VarToStr(key);
            if (options.Contains(loPartialKey) && s.size() > k.size()) s.resize(k.size());
            if (options.Contains(loCaseInsensitive) ? !SameText(s, k) : s != k) return false;
        } else if (!VarSameValue(FLayout->GetValue(rec, f->Column()), key)) {
            try {
                if (!(FLayout->GetValue(rec, f->Column()) == key)) return false;
            } catch (const EVariantError&) {
                return false;
            }
        }
    }
    return true;
}

namespace {
std::vector<Variant> KeyValueList(const Variant& keyValues, std::size_t count) {
    std::vector<Variant> values;
    if (count == 1 && !(VarIsArray(keyValues) && VarArrayLength(keyValues) == 1 &&
                        (VarType(keyValues) & varTypeMask) == varVariant)) {
        values.push_back(keyValues);
        return values;
    }
    TVarArrayView view(keyValues);
    for (std::size_t i = 0; i < count; ++i)
        values.push_back(view[static_cast<int>(i)]);
    return values;
}
} // namespace

bool TDataSet::Locate(const AnsiString& keyFields, const Variant& keyValues, TLocateOptions options) {
    CheckBrowseMode();
    std::vector<TField*> fields;
    for (const AnsiString& name : SplitFieldNames(keyFields))
        fields.push_back(FieldByName(name));
    if (fields.empty()) return false;
    const std::vector<Variant> values = KeyValueList(keyValues, fields.size());
    while (CanFetchMore())
        if (FetchMore() == 0) break;
    CheckOrder();
    for (int i = 0; i < RowCount(); ++i)
        if (MatchesRow(FOrder[i]->Data(), fields, values, options)) {
            DoEvent(FBeforeScroll);
            SetCurrent(i);
            FBof = FEof = false;
            DoScrolled();
            DoAfterScrollEvents();
            return true;
        }
    return false;
}

Variant TDataSet::Lookup(const AnsiString& keyFields, const Variant& keyValues,
                         const AnsiString& resultFields) {
    CheckActive();
    std::vector<TField*> fields;
    for (const AnsiString& name : SplitFieldNames(keyFields))
        fields.push_back(FieldByName(name));
    std::vector<TField*> results;
    for (const AnsiString& name : SplitFieldNames(resultFields))
        results.push_back(FieldByName(name));
    if (fields.empty() || results.empty()) return Null();
    const std::vector<Variant> values = KeyValueList(keyValues, fields.size());
    CheckOrder();
    for (int i = 0; i < RowCount(); ++i) {
        const Byte* rec = FOrder[i]->Data();
        if (!MatchesRow(rec, fields, values, {})) continue;
        std::vector<Variant> out;
        for (TField* r : results)
            out.push_back(r->Column() >= 0 ? FLayout->GetValue(rec, r->Column()) : Null());
        return out.size() == 1 ? out[0] : VarArrayOf(out);
    }
    return Null();
}

KVR_PUBLISHED(TDataSet, c) {
    c.Property("Active", &TDataSet::Active, &TDataSet::SetActive).Default(0);
    c.Property("AutoCalcFields", &TDataSet::AutoCalcFields, &TDataSet::SetAutoCalcFields).Default(1);
    c.Property("FieldDefs", &TDataSet::FieldDefs, nullptr).Stored(false);
    c.Property("BeforeOpen", &TDataSet::BeforeOpen, &TDataSet::SetBeforeOpen);
    c.Property("AfterOpen", &TDataSet::AfterOpen, &TDataSet::SetAfterOpen);
    c.Property("BeforeClose", &TDataSet::BeforeClose, &TDataSet::SetBeforeClose);
    c.Property("AfterClose", &TDataSet::AfterClose, &TDataSet::SetAfterClose);
    c.Property("BeforeInsert", &TDataSet::BeforeInsert, &TDataSet::SetBeforeInsert);
    c.Property("AfterInsert", &TDataSet::AfterInsert, &TDataSet::SetAfterInsert);
    c.Property("BeforeEdit", &TDataSet::BeforeEdit, &TDataSet::SetBeforeEdit);
    c.Property("AfterEdit", &TDataSet::AfterEdit, &TDataSet::SetAfterEdit);
    c.Property("BeforePost", &TDataSet::BeforePost, &TDataSet::SetBeforePost);
    c.Property("AfterPost", &TDataSet::AfterPost, &TDataSet::SetAfterPost);
    c.Property("BeforeCancel", &TDataSet::BeforeCancel, &TDataSet::SetBeforeCancel);
    c.Property("AfterCancel", &TDataSet::AfterCancel, &TDataSet::SetAfterCancel);
    c.Property("BeforeDelete", &TDataSet::BeforeDelete, &TDataSet::SetBeforeDelete);
    c.Property("AfterDelete", &TDataSet::AfterDelete, &TDataSet::SetAfterDelete);
    c.Property("BeforeScroll", &TDataSet::BeforeScroll, &TDataSet::SetBeforeScroll);
    c.Property("AfterScroll", &TDataSet::AfterScroll, &TDataSet::SetAfterScroll);
    c.Property("OnCalcFields", &TDataSet::OnCalcFields, &TDataSet::SetOnCalcFields);
    c.Property("OnDeleteError", &TDataSet::OnDeleteError, &TDataSet::SetOnDeleteError);
    c.Property("OnEditError", &TDataSet::OnEditError, &TDataSet::SetOnEditError);
    c.Property("OnNewRecord", &TDataSet::OnNewRecord, &TDataSet::SetOnNewRecord);
    c.Property("OnPostError", &TDataSet::OnPostError, &TDataSet::SetOnPostError);
}

// ---- TDataSource ----

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
    for (TDataLink* link : std::vector<TDataLink*>(FLinks))
        link->SetDataSource(nullptr);
    SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TDataSet* value) {
    if (value == FDataSet) return;
    if (FDataSet) {
        FDataSet->RemoveDataSource(this);
        FDataSet->RemoveFreeNotification(this);
    }
    FDataSet = value;
    if (value) {
        value->AddDataSource(this);
        value->FreeNotification(this);
    }
    UpdateState();
    for (TDataLink* link : std::vector<TDataLink*>(FLinks))
        link->UpdateState();
}

void TDataSource::SetEnabled(bool value) {
    if (FEnabled == value) return;
    FEnabled = value;
    UpdateState();
}

void TDataSource::Edit() {
    if (FAutoEdit && FDataSet && FState == dsBrowse) FDataSet->Edit();
}

bool TDataSource::IsLinkedTo(TDataSet* dataSet) const {
    return FDataSet && FDataSet == dataSet;
}

void TDataSource::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == FDataSet) {
        FDataSet = nullptr;
        UpdateState();
    }
}

void TDataSource::UpdateState() {
    const TDataSetState state = FEnabled && FDataSet ? FDataSet->State() : dsInactive;
    if (state == FState) return;
    const bool activeChanged = (state == dsInactive) != (FState == dsInactive);
    FState = state;
    for (TDataLink* link : std::vector<TDataLink*>(FLinks))
        link->UpdateState();
    (void)activeChanged;
    if (FOnStateChange) FOnStateChange(this);
}

void TDataSource::DataEvent(TDataEvent event, TObject* info) {
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (FState == dsInactive) return;
    for (TDataLink* link : std::vector<TDataLink*>(FLinks))
        link->DataEvent(event, info);
    switch (event) {
    case deFieldChange:
        if (FOnDataChange) FOnDataChange(this, static_cast<TField*>(info));
        break;
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
        if (FOnDataChange) FOnDataChange(this, nullptr);
        break;
    case deUpdateRecord:
        if (FOnUpdateData) FOnUpdateData(this);
        break;
    default:
        break;
    }
}

void TDataSource::AddDataLink(TDataLink* link) {
    FLinks.push_back(link);
}

void TDataSource::RemoveDataLink(TDataLink* link) {
    FLinks.erase(std::remove(FLinks.begin(), FLinks.end(), link), FLinks.end());
}

KVR_PUBLISHED(TDataSource, c) {
    c.Property("AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit).Default(1);
    c.Property("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet);
    c.Property("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled).Default(1);
    c.Property("OnDataChange", &TDataSource::OnDataChange, &TDataSource::SetOnDataChange);
    c.Property("OnStateChange", &TDataSource::OnStateChange, &TDataSource::SetOnStateChange);
    c.Property("OnUpdateData", &TDataSource::OnUpdateData, &TDataSource::SetOnUpdateData);
}

// ---- TDataLink ----

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
    if (FDataSource) FDataSource->RemoveDataLink(this);
    FDataSource = nullptr;
}

void TDataLink::SetDataSource(TDataSource* value) {
    if (value == FDataSource) return;
    if (FDataSource) FDataSource->RemoveDataLink(this);
    FDataSource = value;
    if (value) value->AddDataLink(this);
    UpdateState();
}

void TDataLink::SetReadOnly(bool value) {
    if (FReadOnly == value) return;
    FReadOnly = value;
    UpdateState();
}

void TDataLink::UpdateState() {
    const TDataSetState state = FDataSource ? FDataSource->State() : dsInactive;
    SetActive(state != dsInactive);
    SetEditing((state == dsEdit || state == dsInsert) && !FReadOnly);
}

void TDataLink::SetActive(bool value) {
    if (FActive == value) return;
    FActive = value;
    FFirstRecord = 0;
    UpdateWindow();
    ActiveChanged();
}

void TDataLink::SetEditing(bool value) {
    if (FEditing == value) return;
    FEditing = value;
    EditingChanged();
}

bool TDataLink::Edit() {
    if (!FReadOnly && FDataSource) FDataSource->Edit();
    return FEditing;
}

void TDataLink::UpdateRecord() {
    FUpdating = true;
    try {
        UpdateData();
    } catch (...) {
        FUpdating = false;
        throw;
    }
    FUpdating = false;
}

void TDataLink::SetBufferCount(int value) {
    FBufferCount = value < 1 ? 1 : value;
    UpdateWindow();
}

void TDataLink::UpdateWindow() {
    TDataSet* ds = DataSet();
    if (!FActive || !ds) {
        FFirstRecord = 0;
        return;
    }
    const int current = std::max(ds->CurrentIndex(), 0);
    const int count = ds->RowCount();
    if (current < FFirstRecord) FFirstRecord = current;
    if (current >= FFirstRecord + FBufferCount) FFirstRecord = current - FBufferCount + 1;
    if (FFirstRecord > std::max(0, count - FBufferCount)) FFirstRecord = std::max(0, count - FBufferCount);
    if (FFirstRecord > current) FFirstRecord = current;
}

int TDataLink::ActiveRecord() const {
    TDataSet* ds = DataSet();
    if (!FActive || !ds || ds->CurrentIndex() < 0) return 0;
    return ds->CurrentIndex() - FFirstRecord;
}

void TDataLink::SetActiveRecord(int value) {
    TDataSet* ds = DataSet();
    if (!FActive || !ds) return;
    ds->SetDisplayRow(value == ActiveRecord() ? -1 : FFirstRecord + value);
}

int TDataLink::RecordCount() const {
    TDataSet* ds = DataSet();
    if (!FActive || !ds) return 0;
    if (ds->State() == dsInsert) return std::min(FBufferCount, ds->RowCount() + 1);
    return std::max(0, std::min(FBufferCount, ds->RowCount() - FFirstRecord));
}

bool TDataLink::Bof() const {
    return DataSet() ? DataSet()->Bof() : true;
}

bool TDataLink::Eof() const {
    return DataSet() ? DataSet()->Eof() : true;
}

int TDataLink::MoveBy(int distance) {
    return DataSet() ? DataSet()->MoveBy(distance) : 0;
}

void TDataLink::DataEvent(TDataEvent event, TObject* info) {
    switch (event) {
    case deFieldChange:
    case deRecordChange:
        if (!FUpdating) RecordChanged(static_cast<TField*>(info));
        break;
    case deDataSetChange:
        UpdateWindow();
        DataSetChanged();
        break;
    case deDataSetScroll:
        UpdateWindow();
        DataSetScrolled(0);
        break;
    case deLayoutChange:
        UpdateWindow();
        LayoutChanged();
        break;
    case deUpdateRecord:
        UpdateRecord();
        break;
    case deCheckBrowseMode:
        CheckBrowseMode();
        break;
    case deFocusControl:
        FocusControl(static_cast<TField*>(info));
        break;
    default:
        break;
    }
}

KVR_PUBLISHED(TDataLink, c) {
    (void)c;
}

// ---- TFieldDataLink ----

void TFieldDataLink::SetFieldName(const AnsiString& value) {
    if (value == FFieldName) return;
    FFieldName = value;
    UpdateField();
}

void TFieldDataLink::UpdateField() {
    TField* field = nullptr;
    if (Active() && !FFieldName.empty() && DataSet()) field = DataSet()->FieldByName(FFieldName);
    FField = field;
    EditingChanged();
    RecordChanged(nullptr);
}

bool TFieldDataLink::CanModify() const {
    return !ReadOnly() && FField && FField->CanModify();
}

bool TFieldDataLink::Edit() {
    if (CanModify()) TDataLink::Edit();
    return FEditing;
}

void TFieldDataLink::Reset() {
    RecordChanged(nullptr);
}

void TFieldDataLink::SetFieldEditing(bool value) {
    if (FEditing == value) return;
    FEditing = value;
    FModified = false;
    if (FOnEditingChange) FOnEditingChange(this);
}

void TFieldDataLink::ActiveChanged() {
    UpdateField();
    if (FOnActiveChange) FOnActiveChange(this);
}

void TFieldDataLink::EditingChanged() {
    SetFieldEditing(Editing() && CanModify());
}

void TFieldDataLink::LayoutChanged() {
    UpdateField();
}

void TFieldDataLink::RecordChanged(TField* field) {
    if (field == nullptr || field == FField) {
        FModified = false;
        if (FOnDataChange) FOnDataChange(this);
    }
}

void TFieldDataLink::UpdateData() {
    if (FModified) {
        if (FField && FOnUpdateData) FOnUpdateData(this);
        FModified = false;
    }
}

KVR_PUBLISHED(TFieldDataLink, c) {
    (void)c;
}
