#pragma once
// Published properties by name: read and written as ordinal, float, string, wide string, object,
// method or text. A name that the object does not publish raises EPropertyError ("Property X does not
// exist"), so does a value the property cannot take; GetPropInfo answers nil instead.
#include "classlib/objects/object.h"

const TPropInfo* GetPropInfo(const TObject* instance, const AnsiString& name);
const TPropInfo* GetPropInfo(TClass cls, const AnsiString& name);
bool IsPublishedProp(const TObject* instance, const AnsiString& name);
TTypeKind PropType(const TObject* instance, const AnsiString& name);
bool PropIsType(const TObject* instance, const AnsiString& name, TTypeKind kind);

Int64 GetOrdProp(TObject* instance, const AnsiString& name);
void SetOrdProp(TObject* instance, const AnsiString& name, Int64 value);
Int64 GetInt64Prop(TObject* instance, const AnsiString& name);
void SetInt64Prop(TObject* instance, const AnsiString& name, Int64 value);
Extended GetFloatProp(TObject* instance, const AnsiString& name);
void SetFloatProp(TObject* instance, const AnsiString& name, Extended value);
AnsiString GetStrProp(TObject* instance, const AnsiString& name);
void SetStrProp(TObject* instance, const AnsiString& name, const AnsiString& value);
WideString GetWideStrProp(TObject* instance, const AnsiString& name);
void SetWideStrProp(TObject* instance, const AnsiString& name, const WideString& value);
TObject* GetObjectProp(TObject* instance, const AnsiString& name);
void SetObjectProp(TObject* instance, const AnsiString& name, TObject* value);
TMethod GetMethodProp(TObject* instance, const AnsiString& name);
void SetMethodProp(TObject* instance, const AnsiString& name, const TMethod& value);
AnsiString GetEnumProp(TObject* instance, const AnsiString& name);
void SetEnumProp(TObject* instance, const AnsiString& name, const AnsiString& value);
AnsiString GetSetProp(TObject* instance, const AnsiString& name, bool brackets = false);
void SetSetProp(TObject* instance, const AnsiString& name, const AnsiString& value);

// The value as text: integers by their identifier when the type has one (clRed), enumerations and
// sets by name, floats in the form stream's notation, a component by name, a method by the name of the
// published method of the object it is bound to.
AnsiString GetPropText(TObject* instance, const AnsiString& name);
AnsiString GetPropText(TObject* instance, const TPropInfo* prop);
// The text converted to the property's kind (identifiers of integer types accepted; Boolean True/False
// or a number). Object and method properties are not set from text.
void SetPropText(TObject* instance, const AnsiString& name, const AnsiString& value);
void SetPropText(TObject* instance, const TPropInfo* prop, const AnsiString& value);

// As a Variant, by the class library's conversions: ordinals as integers (an enumeration as its name
// when preferStrings, Boolean as a Boolean), sets as their text, floats as numbers (TDateTime as a date),
// strings as strings. Setting converts the Variant to the property's kind: a text names an
// enumeration's or a set's identifiers; object and method properties are not set from a Variant.
Variant GetPropValue(TObject* instance, const AnsiString& name, bool preferStrings = true);
Variant GetPropValue(TObject* instance, const TPropInfo* prop, bool preferStrings = true);
void SetPropValue(TObject* instance, const AnsiString& name, const Variant& value);
void SetPropValue(TObject* instance, const TPropInfo* prop, const Variant& value);
