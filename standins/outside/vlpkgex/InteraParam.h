#pragma once
// TInteraParam: the lookup parameter object of the maker's package, which the host hands a document
// form when it records what the form's F2 lookup would open (the form's GetBaseClassParam) and replays
// it later (the form's SetReturn). Only what the forms fill and the host reads is here.
#include "classlib/objects/object.h"
#include "classlib/rtl/variants.h"

// Converts a value in place (between the database's, the program's and the user interface's code
// pages).
KVR_EVENT_TYPE(TVariantConvertEvent, void(Variant& value));

class TInteraParam : public TObject {
    KVR_CLASS(TInteraParam, TObject)
public:
    TInteraParam() = default;

    // The recorded lookup: the 14-element array the form's broker records in place of opening the
    // lookup window ([table, query, keys, 1, current text, database, product, texts 3, 2 and 1,
    // base limit, '', '', "9"]); Unassigned when the form's F2 opens no lookup.
    void SetFF2OpenParam(const Variant& params);
    const Variant& FF2OpenParam() const { return FOpenParam; }
    // The table and query number of the recorded lookup ('' when none was recorded).
    AnsiString Table() const;
    AnsiString QueryNo() const;

    // What the form tells the host about itself.
    int DateKind = 1;
    AnsiString DateSeparator;
    bool FieldRightsA = false; // right 32 or 34 of the user
    bool FieldRightsB = false; // right 33 or 35
    bool FastInputEnabled = false;
    TVariantConvertEvent DbTextCallback; // database text to the user interface
    TVariantConvertEvent UiTextCallback; // program text to the user interface
    AnsiString FormCaption;
    AnsiString UICodePage;

private:
    Variant FOpenParam;
};

// The form's published handlers that the host calls by name.
KVR_EVENT_TYPE(TGetBaseClassParamEvent, void(TObject* sender, TInteraParam* param));
KVR_EVENT_TYPE(TSetReturnEvent, void(TObject* sender, const Variant& rows));
