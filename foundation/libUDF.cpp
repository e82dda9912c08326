#include "foundation/libUDF.h"

KVR_PUBLISHED(TUDFField, c) {
    c.Property("UDFFieldName", &TUDFField::UDFFieldName);
    c.Property("QueryText", &TUDFField::QueryText);
}

TUDFField::TUDFField(TCollection* collection)
    : TCollectionItem(collection), RelatedFields(new TUDFRelatedFields()) {}

TUDFField::~TUDFField() {
    delete RelatedFields;
}

KVR_PUBLISHED(TUDFFields, c) {}

TUDFFields::TUDFFields() : TCollection(TUDFField::StaticClass()) {}

KVR_PUBLISHED(TUDFRelatedField, c) {
    c.Property("LinkedFieldName", &TUDFRelatedField::LinkedFieldName);
}

KVR_PUBLISHED(TUDFRelatedFields, c) {}

TUDFRelatedFields::TUDFRelatedFields() : TCollection(TUDFRelatedField::StaticClass()) {}

TUDFRelatedField* TUDFRelatedFields::FindByField(const TField* field) const {
    if (!field) return nullptr;
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->LinkedField == field) return Items(i);
    return nullptr;
}
