#pragma once
// TDataSet with its state machine, the field classes, TDataSource and the data links: the map of the
// data layer. The field classes are in fields.cpp, the data set in dataset.cpp, data sources and links
// in datalinks.cpp; the rows, their change log and their order are the client data set's storage
// (dbrecord.h, dbclient.h).
//
// The behaviour is the class library's:
// - Events, in order: Open: BeforeOpen, AfterOpen, AfterScroll (when not empty). Close: BeforeClose,
//   AfterClose (an edit in progress is dropped). Insert/Append: BeforeInsert, BeforeScroll,
//   OnNewRecord, AfterInsert, AfterScroll. Edit: BeforeEdit, AfterEdit (Edit on an empty data set
//   inserts). Post: BeforePost, AfterPost. Cancel: BeforeCancel, (BeforeScroll,) AfterCancel,
//   (AfterScroll) - the scroll events only when an insert is cancelled. Delete: BeforeDelete,
//   BeforeScroll, AfterDelete, AfterScroll. Moves: BeforeScroll, AfterScroll.
// - Every move, Insert, Edit and Delete first calls CheckBrowseMode: a modified row is posted, an
//   unmodified edit cancelled. Posting a master first posts its nested data sets.
// - Bof/Eof: First sets Bof, Last sets Eof; a move that cannot go as far as asked sets the flag of
//   its direction; a move that starts clears both; both are true only on an empty data set. A move
//   towards a flag already set does not move, but still runs BeforeScroll and AfterScroll.
// - An exception in a Before... handler or in OnNewRecord stops the operation, which leaves the data
//   set as it was; EAbort does so silently (it reaches the caller as EAbort, which the application
//   never shows). EDatabaseError raised by the operation itself goes through OnPostError,
//   OnDeleteError, OnEditError (daFail raises, daAbort aborts silently, daRetry tries again).
// - A field's OnValidate sees the new value; an exception restores the old one and passes on.
// - DisableControls stops the notices to data sources and links (not the data set's own events);
//   EnableControls sends one data-set change when they come back.
#include <memory>
#include <vector>

#include "classlib/db/dbrecord.h"
#include "classlib/objects/collection.h"
#include "classlib/objects/component.h"
#include "classlib/objects/lists.h"

class TDataSet;
class TField;
class TFields;
class TDataSource;
class TDataLink;
class TDataSetField;

KVR_ENUM(TDataSetState, dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue,
         dsOldValue, dsCurValue, dsBlockRead, dsInternalCalc, dsOpening);
KVR_ENUM(TFieldKind, fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate);
KVR_ENUM(TDataAction, daFail, daAbort, daRetry);
KVR_ENUM(TDataEvent, deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange,
         deUpdateRecord, deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange,
         deFocusControl, deParentScroll, deConnectChange, deReconcileError, deDisabledStateChange);
KVR_ENUM(TLocateOption, loCaseInsensitive, loPartialKey);
KVR_SET(TLocateOptions, TLocateOption);

KVR_EVENT_TYPE(TDataSetNotifyEvent, void(TDataSet* dataSet));
KVR_EVENT_TYPE(TDataSetErrorEvent, void(TDataSet* dataSet, EDatabaseError* e, TDataAction& action));
KVR_EVENT_TYPE(TFieldNotifyEvent, void(TField* sender));
KVR_EVENT_TYPE(TFieldGetTextEvent, void(TField* sender, AnsiString& text, bool displayText));
KVR_EVENT_TYPE(TFieldSetTextEvent, void(TField* sender, const AnsiString& text));
KVR_EVENT_TYPE(TDataChangeEvent, void(TObject* sender, TField* field));

// ---- field definitions ----

class TFieldDefs;

class TFieldDef : public TCollectionItem {
    KVR_CLASS(TFieldDef, TCollectionItem)
public:
    explicit TFieldDef(TCollection* collection);
    ~TFieldDef() override;

    const AnsiString& Name() const { return FName; }
    void SetName(const AnsiString& value) { FName = value; }
    TFieldType DataType() const { return FDataType; }
    void SetDataType(TFieldType value) { FDataType = value; }
    int Size() const { return FSize; }
    void SetSize(int value) { FSize = value; }
    bool Required() const { return FRequired; }
    void SetRequired(bool value) { FRequired = value; }
    TFieldDefs* ChildDefs(); // the nested fields of a ftDataSet definition
    bool HasChildDefs() const;
    AnsiString DisplayName() const override { return FName; }
    TPacketField ToPacketField();

private:
    AnsiString FName;
    TFieldType FDataType = ftUnknown;
    int FSize = 0;
    bool FRequired = false;
    TFieldDefs* FChildDefs = nullptr;
};

class TFieldDefs : public TOwnedCollection {
    KVR_CLASS(TFieldDefs, TOwnedCollection)
public:
    explicit TFieldDefs(TPersistent* owner);
    TFieldDef* Items(int index) const { return static_cast<TFieldDef*>(TCollection::Items(index)); }
    TFieldDef* AddFieldDef() { return static_cast<TFieldDef*>(Add()); }
    void Add(const AnsiString& name, TFieldType dataType, int size = 0, bool required = false);
    using TCollection::Add;
    TFieldDef* Find(const AnsiString& name) const; // EDatabaseError "Field 'X' not found"
    int IndexOf(const AnsiString& name) const;
    std::vector<TPacketField> ToPacketFields() const;
    void Assign(const std::vector<TPacketField>& fields);
    using TCollection::Assign;
};

// ---- fields ----

class TField : public TComponent {
    KVR_CLASS(TField, TComponent)
public:
    explicit TField(TComponent* owner);
    ~TField() override;

    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* value);
    const AnsiString& FieldName() const { return FFieldName; }
    void SetFieldName(const AnsiString& value);
    AnsiString DisplayLabel() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
    void SetDisplayLabel(const AnsiString& value);
    AnsiString DisplayName() const { return DisplayLabel(); }
    int DisplayWidth() const;
    void SetDisplayWidth(int value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value) { FReadOnly = value; }
    bool Required() const { return FRequired; }
    void SetRequired(bool value) { FRequired = value; }
    int Size() const { return FSize; }
    void SetSize(int value);
    virtual int DataSize() const { return 0; }
    TFieldType DataType() const { return FDataType; }
    TFieldKind FieldKind() const { return FFieldKind; }
    void SetFieldKind(TFieldKind value);
    bool Calculated() const { return FFieldKind == fkCalculated; }
    void SetCalculated(bool value) { SetFieldKind(value ? fkCalculated : fkData); }
    bool Lookup() const { return FFieldKind == fkLookup; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value) { FAlignment = value; }
    const AnsiString& EditMask() const { return FEditMask; }
    void SetEditMask(const AnsiString& value) { FEditMask = value; }
    const AnsiString& Origin() const { return FOrigin; }
    void SetOrigin(const AnsiString& value) { FOrigin = value; }
    // Position among the data set's fields; setting it moves the field.
    int Index() const;
    void SetIndex(int value);
    int FieldNo() const { return FColumn + 1; }
    bool CanModify() const;

    // Lookup fields: the value of LookupResultField in LookupDataSet where LookupKeyFields equal this
    // data set's KeyFields.
    TDataSet* LookupDataSet() const { return FLookupDataSet; }
    void SetLookupDataSet(TDataSet* value);
    const AnsiString& KeyFields() const { return FKeyFields; }
    void SetKeyFields(const AnsiString& value) { FKeyFields = value; }
    const AnsiString& LookupKeyFields() const { return FLookupKeyFields; }
    void SetLookupKeyFields(const AnsiString& value) { FLookupKeyFields = value; }
    const AnsiString& LookupResultField() const { return FLookupResultField; }
    void SetLookupResultField(const AnsiString& value) { FLookupResultField = value; }

    // Values of the active record. Reading without a record gives null; writing needs edit or insert.
    bool IsNull() const;
    void Clear() { SetValue(Null()); }
    virtual AnsiString AsString() const;
    virtual void SetAsString(const AnsiString& value);
    virtual int AsInteger() const;
    virtual void SetAsInteger(int value);
    virtual Int64 AsLargeInt() const;
    virtual void SetAsLargeInt(Int64 value);
    virtual double AsFloat() const;
    virtual void SetAsFloat(double value);
    virtual double AsCurrency() const { return AsFloat(); }
    virtual void SetAsCurrency(double value) { SetAsFloat(value); }
    virtual bool AsBoolean() const;
    virtual void SetAsBoolean(bool value);
    virtual TDateTime AsDateTime() const;
    virtual void SetAsDateTime(TDateTime value);
    virtual Variant AsVariant() const;
    virtual void SetAsVariant(const Variant& value);
    Variant Value() const { return AsVariant(); }
    void SetValue(const Variant& value) { SetAsVariant(value); }
    // Text: through OnGetText when assigned; Text is the edit text, DisplayText the shown one.
    AnsiString Text() const;
    void SetText(const AnsiString& value); // through OnSetText when assigned
    AnsiString DisplayText() const;
    void FocusControl();

    const TFieldNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TFieldNotifyEvent& value) { FOnChange = value; }
    const TFieldNotifyEvent& OnValidate() const { return FOnValidate; }
    void SetOnValidate(const TFieldNotifyEvent& value) { FOnValidate = value; }
    const TFieldGetTextEvent& OnGetText() const { return FOnGetText; }
    void SetOnGetText(const TFieldGetTextEvent& value) { FOnGetText = value; }
    const TFieldSetTextEvent& OnSetText() const { return FOnSetText; }
    void SetOnSetText(const TFieldSetTextEvent& value) { FOnSetText = value; }

    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* value) override;
    void Notification(TComponent* component, TOperation operation) override;

    // For the data set: binding to a column, the calculated slot.
    int Column() const { return FColumn; }
    void Bind(int column, int calcSlot) {
        FColumn = column;
        FCalcSlot = calcSlot;
    }
    int CalcSlot() const { return FCalcSlot; }
    bool Owned() const { return FDefaultField; }
    void SetDefaultField(bool value) { FDefaultField = value; }

protected:
    // The text of a non-null value; null gives ''.
    virtual void GetText(AnsiString& text, bool displayText) const;
    virtual void SetDataType(TFieldType value) { FDataType = value; }
    [[noreturn]] void RaiseConvert(const char* typeName) const;
    // The value through one of Variant's conversions: nullValue for a null field, the field's
    // conversion error (naming typeName) where the variant cannot convert.
    template <class T> T Converted(T (Variant::*as)() const, const char* typeName, T nullValue) const;
    // The store of the active record, or nullptr when there is none.
    const Byte* ReadBuffer() const;
    void WriteVariant(const Variant& value);
    void WriteString(const AnsiString& value);

    TDataSet* FDataSet = nullptr;
    AnsiString FFieldName;
    AnsiString FDisplayLabel;
    int FDisplayWidth = 0;
    bool FVisible = true;
    bool FReadOnly = false;
    bool FRequired = false;
    int FSize = 0;
    TFieldType FDataType = ftUnknown;
    TFieldKind FFieldKind = fkData;
    TAlignment FAlignment = taLeftJustify;
    AnsiString FEditMask;
    AnsiString FOrigin;
    TDataSet* FLookupDataSet = nullptr;
    AnsiString FKeyFields, FLookupKeyFields, FLookupResultField;
    int FColumn = -1;
    int FCalcSlot = -1;
    bool FDefaultField = false;
    TFieldNotifyEvent FOnChange, FOnValidate;
    TFieldGetTextEvent FOnGetText;
    TFieldSetTextEvent FOnSetText;

private:
    friend class TDataSet;
};

class TStringField : public TField {
    KVR_CLASS(TStringField, TField)
public:
    explicit TStringField(TComponent* owner);
    int DataSize() const override { return FSize + 1; }
    AnsiString AsString() const override;
    void SetAsString(const AnsiString& value) override;
    int AsInteger() const override;
    double AsFloat() const override;
    bool AsBoolean() const override;
    Variant AsVariant() const override;
    bool FixedChar() const { return FDataType == ftFixedChar; }
    void SetFixedChar(bool value) { FDataType = value ? ftFixedChar : ftString; }
};

class TNumericField : public TField {
    KVR_CLASS(TNumericField, TField)
public:
    explicit TNumericField(TComponent* owner);
    const AnsiString& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const AnsiString& value);
    const AnsiString& EditFormat() const { return FEditFormat; }
    void SetEditFormat(const AnsiString& value) { FEditFormat = value; }

protected:
    // The display or edit format, as the class library chose it.
    const AnsiString& FormatFor(bool displayText) const {
        return displayText || FEditFormat.empty() ? FDisplayFormat : FEditFormat;
    }
    // What the floating-point fields share: AsFloat rounded half away from zero, a text read as a
    // number (empty clears), and the text through the display or edit format (a currency field shows
    // "#,##0.00" without one; plain is the text with no format at all).
    int RoundedAsInteger() const;
    void SetAsFloatText(const AnsiString& value);
    void GetFloatText(AnsiString& text, bool displayText, bool currency, const AnsiString& plain) const;
    AnsiString FDisplayFormat;
    AnsiString FEditFormat;
};

class TIntegerField : public TNumericField {
    KVR_CLASS(TIntegerField, TNumericField)
public:
    explicit TIntegerField(TComponent* owner);
    int DataSize() const override { return 4; }
    int AsInteger() const override;
    void SetAsInteger(int value) override;
    Int64 AsLargeInt() const override { return AsInteger(); }
    double AsFloat() const override { return AsInteger(); }
    void SetAsFloat(double value) override;
    AnsiString AsString() const override;
    void SetAsString(const AnsiString& value) override;
    Variant AsVariant() const override;
    void SetAsVariant(const Variant& value) override;
    int MinValue() const { return FMinValue; }
    void SetMinValue(int value) { FMinValue = value; }
    int MaxValue() const { return FMaxValue; }
    void SetMaxValue(int value) { FMaxValue = value; }

protected:
    void GetText(AnsiString& text, bool displayText) const override;
    void CheckRange(Int64 value) const;
    int FMinValue = 0, FMaxValue = 0;
    Int64 FMinRange, FMaxRange;
};

class TSmallintField : public TIntegerField {
    KVR_CLASS(TSmallintField, TIntegerField)
public:
    explicit TSmallintField(TComponent* owner);
    int DataSize() const override { return 2; }
};

class TWordField : public TIntegerField {
    KVR_CLASS(TWordField, TIntegerField)
public:
    explicit TWordField(TComponent* owner);
    int DataSize() const override { return 2; }
};

class TAutoIncField : public TIntegerField {
    KVR_CLASS(TAutoIncField, TIntegerField)
public:
    explicit TAutoIncField(TComponent* owner);
};

class TLargeintField : public TNumericField {
    KVR_CLASS(TLargeintField, TNumericField)
public:
    explicit TLargeintField(TComponent* owner);
    int DataSize() const override { return 8; }
    Int64 AsLargeInt() const override;
    void SetAsLargeInt(Int64 value) override;
    int AsInteger() const override;
    void SetAsInteger(int value) override { SetAsLargeInt(value); }
    double AsFloat() const override { return static_cast<double>(AsLargeInt()); }
    void SetAsFloat(double value) override;
    AnsiString AsString() const override;
    void SetAsString(const AnsiString& value) override;

protected:
    void GetText(AnsiString& text, bool displayText) const override;
};

class TFloatField : public TNumericField {
    KVR_CLASS(TFloatField, TNumericField)
public:
    explicit TFloatField(TComponent* owner);
    int DataSize() const override { return 8; }
    double AsFloat() const override;
    void SetAsFloat(double value) override;
    int AsInteger() const override;
    void SetAsInteger(int value) override { SetAsFloat(value); }
    AnsiString AsString() const override;
    void SetAsString(const AnsiString& value) override;
    bool Currency() const { return FCurrency; }
    void SetCurrency(bool value) { FCurrency = value; }
    int Precision() const { return FPrecision; }
    void SetPrecision(int value) { FPrecision = value < 2 ? 2 : value > 15 ? 15 : value; }

protected:
    void GetText(AnsiString& text, bool displayText) const override;
    bool FCurrency = false;
    int FPrecision = 15;
};

class TCurrencyField : public TFloatField {
    KVR_CLASS(TCurrencyField, TFloatField)
public:
    explicit TCurrencyField(TComponent* owner);
};

class TBCDField : public TNumericField {
    KVR_CLASS(TBCDField, TNumericField)
public:
    explicit TBCDField(TComponent* owner);
    int DataSize() const override { return 34; }
    double AsFloat() const override;
    void SetAsFloat(double value) override;
    double AsCurrency() const override { return AsFloat(); }
    int AsInteger() const override;
    void SetAsInteger(int value) override { SetAsFloat(value); }
    AnsiString AsString() const override;
    void SetAsString(const AnsiString& value) override;
    bool Currency() const { return FCurrency; }
    void SetCurrency(bool value) { FCurrency = value; }
    int Precision() const { return FPrecision; }
    void SetPrecision(int value) { FPrecision = value; }

protected:
    void GetText(AnsiString& text, bool displayText) const override;
    bool FCurrency = false;
    int FPrecision = 0;
};

class TBooleanField : public TField {
    KVR_CLASS(TBooleanField, TField)
public:
    explicit TBooleanField(TComponent* owner);
    int DataSize() const override { return 2; }
    bool AsBoolean() const override;
    void SetAsBoolean(bool value) override;
    AnsiString AsString() const override;
    void SetAsString(const AnsiString& value) override;
    int AsInteger() const override { return AsBoolean() ? 1 : 0; }
    // "True;False" by default: the texts for true and false.
    const AnsiString& DisplayValues() const { return FDisplayValues; }
    void SetDisplayValues(const AnsiString& value);

protected:
    void GetText(AnsiString& text, bool displayText) const override;
    AnsiString FDisplayValues = "True;False";
    AnsiString FTextTrue = "True", FTextFalse = "False";
};

class TDateTimeField : public TField {
    KVR_CLASS(TDateTimeField, TField)
public:
    explicit TDateTimeField(TComponent* owner);
    int DataSize() const override { return 8; }
    TDateTime AsDateTime() const override;
    void SetAsDateTime(TDateTime value) override;
    double AsFloat() const override { return AsDateTime(); }
    void SetAsFloat(double value) override { SetAsDateTime(value); }
    AnsiString AsString() const override;
    void SetAsString(const AnsiString& value) override;
    const AnsiString& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const AnsiString& value) { FDisplayFormat = value; }

protected:
    void GetText(AnsiString& text, bool displayText) const override;
    virtual AnsiString DefaultFormat() const;
    AnsiString FDisplayFormat;
};

class TDateField : public TDateTimeField {
    KVR_CLASS(TDateField, TDateTimeField)
public:
    explicit TDateField(TComponent* owner);
    int DataSize() const override { return 4; }

protected:
    AnsiString DefaultFormat() const override;
};

class TTimeField : public TDateTimeField {
    KVR_CLASS(TTimeField, TDateTimeField)
public:
    explicit TTimeField(TComponent* owner);
    int DataSize() const override { return 4; }

protected:
    AnsiString DefaultFormat() const override;
};

class TBinaryField : public TField {
    KVR_CLASS(TBinaryField, TField)
public:
    explicit TBinaryField(TComponent* owner);
    AnsiString AsString() const override;
    void SetAsString(const AnsiString& value) override;

protected:
    void GetText(AnsiString& text, bool displayText) const override;
};

class TBytesField : public TBinaryField {
    KVR_CLASS(TBytesField, TBinaryField)
public:
    explicit TBytesField(TComponent* owner);
    int DataSize() const override { return FSize; }
};

class TVarBytesField : public TBytesField {
    KVR_CLASS(TVarBytesField, TBytesField)
public:
    explicit TVarBytesField(TComponent* owner);
    int DataSize() const override { return FSize + 2; }
};

class TBlobField : public TField {
    KVR_CLASS(TBlobField, TField)
public:
    explicit TBlobField(TComponent* owner);
    AnsiString AsString() const override;
    void SetAsString(const AnsiString& value) override;
    int BlobSize() const { return static_cast<int>(AsString().size()); }

protected:
    void GetText(AnsiString& text, bool displayText) const override;
};

class TMemoField : public TBlobField {
    KVR_CLASS(TMemoField, TBlobField)
public:
    explicit TMemoField(TComponent* owner);
    Variant AsVariant() const override;

protected:
    void GetText(AnsiString& text, bool displayText) const override;
};

class TGraphicField : public TBlobField {
    KVR_CLASS(TGraphicField, TBlobField)
public:
    explicit TGraphicField(TComponent* owner);
};

// Object fields: structured values. Only the data-set field holds data here (its nested rows); the
// others are declared so that streams naming them load.
class TObjectField : public TField {
    KVR_CLASS(TObjectField, TField)
public:
    explicit TObjectField(TComponent* owner);
    const AnsiString& ObjectType() const { return FObjectType; }
    void SetObjectType(const AnsiString& value) { FObjectType = value; }

protected:
    AnsiString FObjectType;
};

class TADTField : public TObjectField {
    KVR_CLASS(TADTField, TObjectField)
public:
    explicit TADTField(TComponent* owner);
};

class TArrayField : public TObjectField {
    KVR_CLASS(TArrayField, TObjectField)
public:
    explicit TArrayField(TComponent* owner);
};

class TReferenceField : public TObjectField {
    KVR_CLASS(TReferenceField, TObjectField)
public:
    explicit TReferenceField(TComponent* owner);
};

class TDataSetField : public TObjectField {
    KVR_CLASS(TDataSetField, TObjectField)
public:
    explicit TDataSetField(TComponent* owner);
    ~TDataSetField() override;
    // The data set over the nested rows of the current record (set by that data set's DataSetField).
    TDataSet* NestedDataSet() const { return FNestedDataSet; }
    void SetNestedDataSet(TDataSet* value) { FNestedDataSet = value; }
    Variant AsVariant() const override; // the nested rows, as a packet's rows
    void SetAsVariant(const Variant& value) override;
    AnsiString AsString() const override { return ""; }
    TRowStore* NestedStore() const; // of the active record

protected:
    void GetText(AnsiString& text, bool displayText) const override;

private:
    TDataSet* FNestedDataSet = nullptr;
};

// The field as a data-set field, or nullptr. By its data type, which only TDataSetField takes: the
// data set asks this of every field on each post and scroll, where a dynamic_cast costs a walk of
// type names.
inline TDataSetField* AsDataSetField(TField* field) {
    return field && field->DataType() == ftDataSet ? static_cast<TDataSetField*>(field) : nullptr;
}

class TAggregateField : public TField {
    KVR_CLASS(TAggregateField, TField)
public:
    explicit TAggregateField(TComponent* owner);
    const AnsiString& Expression() const { return FExpression; }
    void SetExpression(const AnsiString& value) { FExpression = value; }
    bool Active() const { return FActive; }
    void SetActive(bool value) { FActive = value; }
    const AnsiString& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const AnsiString& value) { FDisplayFormat = value; }

private:
    AnsiString FExpression;
    AnsiString FDisplayFormat;
    bool FActive = false;
};

// The 26 field classes of the class library that streams name, in the order they are registered for
// streaming (the framework's field-class registration registers and unregisters them).
const std::vector<TClass>& DBFieldClasses();
// The field class for a field type (TStringField for ftString...), from one table; nil when there is
// none.
TClass FieldClassOf(TFieldType type);

// The fields of a data set, in order.
class TFields : public TObject {
public:
    explicit TFields(TDataSet* dataSet) : FDataSet(dataSet) {}
    int Count() const { return static_cast<int>(FList.size()); }
    TField* Fields(int index) const; // EListError out of range
    TField* operator[](int index) const { return Fields(index); }
    TField* FindField(const AnsiString& name) const;
    TField* FieldByName(const AnsiString& name) const; // EDatabaseError "Field 'X' not found"
    int IndexOf(TField* field) const;
    TDataSet* DataSet() const { return FDataSet; }

private:
    friend class TDataSet;
    friend class TField;
    TDataSet* FDataSet;
    std::vector<TField*> FList;
};

// ---- bookmarks ----

struct TBookmarkRec {
    int RowId;
};
using TBookmark = TBookmarkRec*;
using TBookmarkStr = AnsiString;

// ---- the data set ----

class TDataSet : public TComponent {
    KVR_CLASS(TDataSet, TComponent)
public:
    explicit TDataSet(TComponent* owner);
    ~TDataSet() override;
    void BeforeDestruction() override;

    bool Active() const { return FState != dsInactive; }
    void SetActive(bool value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const { return FState; }

    void First();
    void Last();
    void Next();
    void Prior();
    int MoveBy(int distance);
    bool Bof() const { return FBof; }
    bool Eof() const { return FEof; }
    bool IsEmpty() const;
    // The current row's number from 1 (0 when there is none or in insert state).
    virtual int RecNo() const;
    virtual void SetRecNo(int value);
    virtual int RecordCount() const;

    void Append();
    void Insert();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    void CheckBrowseMode();
    void UpdateRecord(); // asks the links to write what their controls hold
    bool Modified() const { return FModified; }
    void SetModified(bool value) { FModified = value; }
    virtual bool CanModify() const { return !FReadOnly; }
    void Refresh();
    void Resync();

    TBookmark GetBookmark() const;
    void GotoBookmark(TBookmark bookmark);
    void FreeBookmark(TBookmark bookmark) { delete bookmark; }
    bool BookmarkValid(TBookmark bookmark) const;
    int CompareBookmarks(TBookmark a, TBookmark b) const;
    TBookmarkStr Bookmark() const;
    void SetBookmark(const TBookmarkStr& value);

    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return FDisableCount > 0; }

    // KeyFields is a ";" list; KeyValues one value, or an array of one per field.
    bool Locate(const AnsiString& keyFields, const Variant& keyValues, TLocateOptions options = {});
    // The ResultFields (";" list: an array of values) of the first row that matches, Null when none.
    Variant Lookup(const AnsiString& keyFields, const Variant& keyValues, const AnsiString& resultFields);

    TFields* Fields() const { return FFields.get(); }
    int FieldCount() const { return FFields->Count(); }
    TField* FindField(const AnsiString& name) const { return FFields->FindField(name); }
    TField* FieldByName(const AnsiString& name) const;
    void GetFieldNames(std::vector<AnsiString>& names) const;
    TFieldDefs* FieldDefs() const { return FFieldDefs; }
    bool DefaultFields() const { return FDefaultFields; }
    bool AutoCalcFields() const { return FAutoCalcFields; }
    void SetAutoCalcFields(bool value) { FAutoCalcFields = value; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value) { FReadOnly = value; }
    TDataSetField* DataSetField() const { return FDataSetField; }
    void SetDataSetField(TDataSetField* value);
    // The data set this one is nested in, nil for a top data set.
    TDataSet* ParentDataSet() const;

    // Events.
#define KVR_DATASET_EVENT(Name)                                                                              \
    const TDataSetNotifyEvent& Name() const {                                                                \
        return F##Name;                                                                                      \
    }                                                                                                        \
    void Set##Name(const TDataSetNotifyEvent& value) {                                                       \
        F##Name = value;                                                                                     \
    }
    KVR_DATASET_EVENT(BeforeOpen)
    KVR_DATASET_EVENT(AfterOpen)
    KVR_DATASET_EVENT(BeforeClose)
    KVR_DATASET_EVENT(AfterClose)
    KVR_DATASET_EVENT(BeforeInsert)
    KVR_DATASET_EVENT(AfterInsert)
    KVR_DATASET_EVENT(BeforeEdit)
    KVR_DATASET_EVENT(AfterEdit)
    KVR_DATASET_EVENT(BeforePost)
    KVR_DATASET_EVENT(AfterPost)
    KVR_DATASET_EVENT(BeforeCancel)
    KVR_DATASET_EVENT(AfterCancel)
    KVR_DATASET_EVENT(BeforeDelete)
    KVR_DATASET_EVENT(AfterDelete)
    KVR_DATASET_EVENT(BeforeScroll)
    KVR_DATASET_EVENT(AfterScroll)
    KVR_DATASET_EVENT(OnNewRecord)
    KVR_DATASET_EVENT(OnCalcFields)
#undef KVR_DATASET_EVENT
    const TDataSetErrorEvent& OnPostError() const {
        return FOnPostError;
    }
    void SetOnPostError(const TDataSetErrorEvent& value) {
        FOnPostError = value;
    }
    const TDataSetErrorEvent& OnDeleteError() const {
        return FOnDeleteError;
    }
    void SetOnDeleteError(const TDataSetErrorEvent& value) {
        FOnDeleteError = value;
    }
    const TDataSetErrorEvent& OnEditError() const {
        return FOnEditError;
    }
    void SetOnEditError(const TDataSetErrorEvent& value) {
        FOnEditError = value;
    }

    // Streaming: fields are written under their data set.
    void GetChildren(const TGetChildProc& proc, TComponent* root) override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

    // ---- for fields, data sources and links ----
    // The record the fields read: the edit buffer while editing, the row a grid link asks for, the
    // current row otherwise; nullptr when there is none.
    const Byte* ActiveBuffer() const;
    TRecordLayout* Layout() const {
        return FLayout.get();
    }
    void SetFieldValue(TField* field, const Variant& value);
    void SetFieldString(TField* field, const AnsiString& value);
    Variant CalcValue(const TField* field) const;
    void DataEvent(TDataEvent event, TObject* info = nullptr);
    void AddDataSource(TDataSource* source);
    void RemoveDataSource(TDataSource* source);
    int RowCount() const {
        return InternalRowCount();
    }
    int CurrentIndex() const {
        return FCurrent;
    }
    void SetDisplayRow(int index); // -1: the current row again (grid links read other rows with it)
    // Inserting a record that goes after the last row (Append) rather than before the current one.
    bool Appending() const {
        return FState == dsInsert && FAppendPending;
    }
    void AddField(TField* field);
    void RemoveField(TField* field);
    void MoveField(TField* field, int index);
    void CheckActive() const;
    void CheckInactive() const;
    // A nested data set follows its master's current row.
    void MasterChanged();
    void CloseNested();
    // Drops the level it shows and takes the master's current one again (after the master's rows were
    // reverted or merged under it).
    void RefreshFromMaster();

protected:
    // ---- the storage ----
    // The concrete data set keeps the rows, their order (its index) and their change log; TDataSet
    // keeps the state, the cursor (FCurrent, a position in that order) and the edit buffer.
    virtual void InternalOpen() = 0; // FLayout, FieldDefs and the rows
    virtual void InternalClose() {}
    virtual int InternalRowCount() const = 0;          // the rows in order, as last brought up to date
    virtual Byte* InternalRecord(int index) const = 0; // the record of a row in order
    virtual int InternalRowId(int index) const = 0;    // what a bookmark keeps of the row
    // Brings the order up to date when rows came or went behind this cursor's back, and moves current
    // to where its row is now; false when nothing had changed.
    virtual bool InternalSync(int& current) const {
        (void)current;
        return false;
    }
    virtual Byte* InternalInsert() = 0;                // the new row's record, held until posted or freed
    virtual void InternalFreeInsert(Byte* record) = 0; // an insert that was not posted
    virtual void InternalEdit() {}                     // FEditBuffer holds a copy of the current row
    virtual int InternalPost() = 0;                    // FEditBuffer into the rows; the row's position
    virtual void InternalDelete() = 0;                 // the current row
    virtual bool InternalCancel() {
        return false;
    }                                 // true when rows under the record were put back
    virtual void InternalEndEdit() {} // the edit is over (posted, cancelled or dropped)
    // A nested data set takes the rows of its master's current record (again: even when it shows them);
    // false when it already shows them. The edit buffer is freed (FreeEditBuffer) before they change.
    virtual bool InternalMasterRows(bool again) {
        (void)again;
        return false;
    }
    // More rows for a move past the end; the number that came.
    virtual int FetchMore() {
        return 0;
    }
    virtual bool CanFetchMore() const {
        return false;
    }

    void CreateFields();
    void BindFields();
    void DestroyDefaultFields();
    void CalculateFields();
    bool HasCurrent() const {
        return FCurrent >= 0 && FCurrent < RowCount();
    }
    void SetState(TDataSetState value);
    void SetCurrent(int index);
    // The storage rebuilt its order: the cursor goes to the row rowId (when it is there; 0: none) and
    // stays within the rows.
    void KeepCursorOn(int rowId);
    void CheckOrder() const;
    void PostNested();
    void CancelNested();
    void CheckParentState();
    void CheckCanModify() const;
    void DoCheckOperation(void (TDataSet::*op)(), const TDataSetErrorEvent& handler);
    void FreeEditBuffer();
    int FindRowIndex(int rowId) const;
    void NotifyDetails();
    void DoScrolled();
    void DoAfterScrollEvents(); // AfterScroll, then the nested data sets follow
    bool MatchesRow(const Byte* rec, const std::vector<TField*>& fields, const std::vector<Variant>& values,
                    TLocateOptions options) const;

    std::unique_ptr<TFields> FFields;
    TFieldDefs* FFieldDefs;
    std::shared_ptr<TRecordLayout> FLayout; // the records' layout
    int FCurrent = -1;
    int FDisplayRow = -1;
    TDataSetState FState = dsInactive;
    bool FBof = true;
    bool FEof = true;
    bool FModified = false;
    bool FReadOnly = false;
    bool FAutoCalcFields = true;
    bool FDefaultFields = false;
    bool FStreamedActive = false;
    bool FInCalc = false;
    int FDisableCount = 0;
    TDataSetState FDisableState = dsInactive;
    TDataEvent FEnableEvent = deDataSetChange;
    Byte* FEditBuffer = nullptr; // a copy of the edited row, or the inserted row's record
    bool FInsertBuffer = false;  // FEditBuffer is the storage's new record (InternalInsert)
    bool FAppending = false;
    bool FAppendPending = false;
    std::vector<Variant> FCalcValues;
    std::vector<TDataSource*> FDataSources;
    TDataSetField* FDataSetField = nullptr;

    TDataSetNotifyEvent FBeforeOpen, FAfterOpen, FBeforeClose, FAfterClose, FBeforeInsert, FAfterInsert,
        FBeforeEdit, FAfterEdit, FBeforePost, FAfterPost, FBeforeCancel, FAfterCancel, FBeforeDelete,
        FAfterDelete, FBeforeScroll, FAfterScroll, FOnNewRecord, FOnCalcFields;
    TDataSetErrorEvent FOnPostError, FOnDeleteError, FOnEditError;

private:
    void DoEvent(const TDataSetNotifyEvent& event) {
        if (event) event(this);
    }
    void OpenCursor();
    void CloseCursor();
    void InternalEditStart();
    void InternalPostStep();
    void InternalDeleteStep();
    void FollowMaster(bool again);
    // The cursor on the first row (none when empty), the controls told, the nested data sets following.
    void ShowFirstRow();
    friend class TField;
    friend class TDataSetField;
};

// ---- data sources and links ----

class TDataSource : public TComponent {
    KVR_CLASS(TDataSource, TComponent)
public:
    explicit TDataSource(TComponent* owner);
    ~TDataSource() override;

    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    bool AutoEdit() const { return FAutoEdit; }
    void SetAutoEdit(bool value) { FAutoEdit = value; }
    TDataSetState State() const { return FState; }
    // Puts the data set in edit state when AutoEdit and it browses.
    void Edit();
    bool IsLinkedTo(TDataSet* dataSet) const;

    const TDataChangeEvent& OnDataChange() const { return FOnDataChange; }
    void SetOnDataChange(const TDataChangeEvent& value) { FOnDataChange = value; }
    const TNotifyEvent& OnStateChange() const { return FOnStateChange; }
    void SetOnStateChange(const TNotifyEvent& value) { FOnStateChange = value; }
    const TNotifyEvent& OnUpdateData() const { return FOnUpdateData; }
    void SetOnUpdateData(const TNotifyEvent& value) { FOnUpdateData = value; }

    void Notification(TComponent* component, TOperation operation) override;
    void DataEvent(TDataEvent event, TObject* info);
    void AddDataLink(TDataLink* link);
    void RemoveDataLink(TDataLink* link);
    int DataLinkCount() const { return static_cast<int>(FLinks.size()); }

private:
    void UpdateState();
    TDataSet* FDataSet = nullptr;
    bool FEnabled = true;
    bool FAutoEdit = true;
    TDataSetState FState = dsInactive;
    std::vector<TDataLink*> FLinks;
    TDataChangeEvent FOnDataChange;
    TNotifyEvent FOnStateChange, FOnUpdateData;
};

class TDataLink : public TPersistent {
    KVR_CLASS(TDataLink, TPersistent)
public:
    TDataLink();
    ~TDataLink() override;

    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* value);
    TDataSet* DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }
    bool Active() const { return FActive; }
    bool Editing() const { return FEditing; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value);
    // The data set in edit state (through the data source's AutoEdit); whether it is editing now.
    bool Edit();
    void UpdateRecord();
    // The window of rows a grid shows: BufferCount rows, the current one at ActiveRecord.
    int BufferCount() const { return FBufferCount; }
    void SetBufferCount(int value);
    int ActiveRecord() const;
    void SetActiveRecord(int value); // the fields read that row of the window until set back
    // The window's first row, counted among the rows shown (the inserted record in its place).
    int FirstRecord() const { return FFirstRecord; }
    int RecordCount() const;
    bool Bof() const;
    bool Eof() const;
    int MoveBy(int distance);

    void DataEvent(TDataEvent event, TObject* info);

protected:
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled(int) { DataSetChanged(); }
    virtual void EditingChanged() {}
    virtual void FocusControl(TField*) {}
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField*) {}
    virtual void UpdateData() {}

private:
    friend class TDataSource;
    void UpdateState();
    void SetActive(bool value);
    void SetEditing(bool value);
    void UpdateWindow();
    TDataSource* FDataSource = nullptr;
    bool FActive = false;
    bool FEditing = false;
    bool FReadOnly = false;
    bool FUpdating = false;
    int FBufferCount = 1;
    int FFirstRecord = 0; // index of the window's first row in the data set's order
};

class TFieldDataLink : public TDataLink {
    KVR_CLASS(TFieldDataLink, TDataLink)
public:
    TFieldDataLink() = default;

    const AnsiString& FieldName() const { return FFieldName; }
    void SetFieldName(const AnsiString& value);
    const AnsiString& DataField() const { return FFieldName; }
    void SetDataField(const AnsiString& value) { SetFieldName(value); }
    TField* Field() const { return FField; }
    bool CanModify() const;
    bool Edit();
    bool Modified() const { return FModified; }
    void Modified(bool) { FModified = true; } // the control's text changed
    void SetModified() { FModified = true; }
    void Reset();
    TComponent* Control() const { return FControl; }
    void SetControl(TComponent* value) { FControl = value; }

    const TNotifyEvent& OnDataChange() const { return FOnDataChange; }
    void SetOnDataChange(const TNotifyEvent& value) { FOnDataChange = value; }
    const TNotifyEvent& OnEditingChange() const { return FOnEditingChange; }
    void SetOnEditingChange(const TNotifyEvent& value) { FOnEditingChange = value; }
    const TNotifyEvent& OnUpdateData() const { return FOnUpdateData; }
    void SetOnUpdateData(const TNotifyEvent& value) { FOnUpdateData = value; }
    const TNotifyEvent& OnActiveChange() const { return FOnActiveChange; }
    void SetOnActiveChange(const TNotifyEvent& value) { FOnActiveChange = value; }
    bool FieldEditing() const { return FEditing; }

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void LayoutChanged() override;
    void RecordChanged(TField* field) override;
    void UpdateData() override;

private:
    void UpdateField();
    void SetFieldEditing(bool value);
    AnsiString FFieldName;
    TField* FField = nullptr;
    TComponent* FControl = nullptr;
    bool FModified = false;
    bool FEditing = false;
    TNotifyEvent FOnDataChange, FOnEditingChange, FOnUpdateData, FOnActiveChange;
};

// Splits a ";" list of field names (blanks around names dropped, empty items skipped).
std::vector<AnsiString> SplitFieldNames(const AnsiString& list);
