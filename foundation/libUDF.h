#pragma once
// Which user-defined fields of a form take a default value from the server, and on which other fields
// of the main data set that value depends.
#include "classlib/objects/collection.h"

class TField;
class TUDFRelatedFields;

class TUDFField : public TCollectionItem {
    KVR_CLASS(TUDFField, TCollectionItem)
public:
    explicit TUDFField(TCollection* collection);
    ~TUDFField() override;

    AnsiString UDFFieldName;          // the user-defined field of the main data set
    TUDFRelatedFields* RelatedFields; // owned
    AnsiString QueryText;             // what the server call QueryUDFData evaluates
};

class TUDFFields : public TCollection {
    KVR_CLASS(TUDFFields, TCollection)
public:
    TUDFFields();
    TUDFField* Add() { return static_cast<TUDFField*>(TCollection::Add()); }
    TUDFField* Items(int index) const { return static_cast<TUDFField*>(TCollection::Items(index)); }
};

class TUDFRelatedField : public TCollectionItem {
    KVR_CLASS(TUDFRelatedField, TCollectionItem)
public:
    explicit TUDFRelatedField(TCollection* collection) : TCollectionItem(collection) {}

    // The field's own change handler, held while the form hooks the field (a field notify event).
    TDelegate<void(TField* sender)> SavedOnChange;
    TField* LinkedField = nullptr; // not owned
    AnsiString LinkedFieldName;
};

class TUDFRelatedFields : public TCollection {
    KVR_CLASS(TUDFRelatedFields, TCollection)
public:
    TUDFRelatedFields();
    TUDFRelatedField* Add() { return static_cast<TUDFRelatedField*>(TCollection::Add()); }
    TUDFRelatedField* Items(int index) const {
        return static_cast<TUDFRelatedField*>(TCollection::Items(index));
    }
    // The first item linked to field; nil when none is (or field is nil).
    TUDFRelatedField* FindByField(const TField* field) const;
};
