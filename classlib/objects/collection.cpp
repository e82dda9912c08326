#include "classlib/objects/collection.h"

#include "classlib/rtl/format.h"

#include <algorithm>

KVR_PUBLISHED(TCollectionItem, c) {}
KVR_PUBLISHED(TCollection, c) {}
KVR_PUBLISHED(TOwnedCollection, c) {}

// ---- TCollectionItem ----

TCollectionItem::TCollectionItem(TCollection* collection) {
    SetCollection(collection);
}

TCollectionItem::~TCollectionItem() {
    SetCollection(nullptr);
}

void TCollectionItem::SetCollection(TCollection* value) {
    if (FCollection == value) return;
    if (FCollection) FCollection->RemoveItem(this);
    if (value) value->InsertItem(this);
}

int TCollectionItem::Index() const {
    if (!FCollection) return -1;
    auto& items = FCollection->FItems;
    auto it = std::find(items.begin(), items.end(), this);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::SetIndex(int value) {
    int current = Index();
    if (current < 0 || value == current) return;
    auto& items = FCollection->FItems;
    value = std::clamp(value, 0, static_cast<int>(items.size()) - 1);
    items.erase(items.begin() + current);
    items.insert(items.begin() + value, this);
    Changed(true);
}

AnsiString TCollectionItem::GetNamePath() {
    if (!FCollection) return ClassName();
    return FCollection->GetNamePath() + "[" + IntToStr(Index()) + "]";
}

TPersistent* TCollectionItem::GetOwner() {
    return FCollection;
}

void TCollectionItem::Changed(bool allItems) {
    if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(allItems ? nullptr : this);
}

// ---- TCollection ----

TCollection::TCollection(TClass itemClass)
    : FItemClass(itemClass ? itemClass : TCollectionItem::StaticClass()) {}

TCollection::~TCollection() {
    FUpdateCount = 1; // no Update calls from a collection being destroyed
    Clear();
}

TCollectionItem* TCollection::Add() {
    TCollectionItem* item = FItemClass->CreateItem(this);
    Changed();
    return item;
}

TCollectionItem* TCollection::Insert(int index) {
    TCollectionItem* item = Add();
    item->SetIndex(index);
    return item;
}

void TCollection::Delete(int index) {
    delete Items(index);
}

void TCollection::Clear() {
    if (FItems.empty()) return;
    BeginUpdate();
    while (!FItems.empty())
        delete FItems.back();
    EndUpdate();
}

TCollectionItem* TCollection::Items(int index) const {
    if (index < 0 || index >= Count()) throw EListError("List index out of bounds (" + IntToStr(index) + ")");
    return FItems[static_cast<std::size_t>(index)];
}

TCollectionItem* TCollection::FindItemID(int id) const {
    for (TCollectionItem* item : FItems)
        if (item->FID == id) return item;
    return nullptr;
}

void TCollection::EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
    Changed();
}

void TCollection::Assign(TPersistent* source) {
    auto* other = dynamic_cast<TCollection*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    BeginUpdate();
    try {
        Clear();
        for (TCollectionItem* item : other->FItems)
            Add()->Assign(item);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

AnsiString TCollection::GetNamePath() {
    TPersistent* owner = GetOwner();
    if (!owner) return ClassName();
    return owner->GetNamePath();
}

void TCollection::InsertItem(TCollectionItem* item) {
    FItems.push_back(item);
    item->FCollection = this;
    item->FID = FNextID++;
    Notify(item, true);
}

void TCollection::RemoveItem(TCollectionItem* item) {
    Notify(item, false);
    auto it = std::find(FItems.begin(), FItems.end(), item);
    if (it != FItems.end()) FItems.erase(it);
    item->FCollection = nullptr;
    Changed();
}

void TCollection::Changed() {
    if (FUpdateCount == 0) Update(nullptr);
}
