#pragma once
// TCollection and TCollectionItem: an owned list of items of one class, streamed as <item ... end>.
#include <vector>

#include "classlib/objects/component.h"

class TCollection;

class TCollectionItem : public TPersistent {
    KVR_CLASS(TCollectionItem, TPersistent)
public:
    explicit TCollectionItem(TCollection* collection);
    ~TCollectionItem() override;

    TCollection* Collection() const { return FCollection; }
    void SetCollection(TCollection* value); // moves the item; nil takes it out (the caller then owns it)
    int Index() const;
    void SetIndex(int value);
    int ID() const { return FID; }
    virtual AnsiString DisplayName() const { return ClassName(); }
    AnsiString GetNamePath() override;
    TPersistent* GetOwner() override;

protected:
    void Changed(bool allItems);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int FID = 0;
};

class TCollection : public TPersistent {
    KVR_CLASS(TCollection, TPersistent)
public:
    // itemClass must derive from TCollectionItem and be constructible from a TCollection*.
    explicit TCollection(TClass itemClass);
    ~TCollection() override;

    TCollectionItem* Add();
    TCollectionItem* Insert(int index);
    void Delete(int index);
    void Clear();
    int Count() const { return static_cast<int>(FItems.size()); }
    TCollectionItem* Items(int index) const; // raises EListError out of range
    TCollectionItem* FindItemID(int id) const;
    TClass ItemClass() const { return FItemClass; }
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }
    void Assign(TPersistent* source) override;
    AnsiString GetNamePath() override;
    TPersistent* GetOwner() override { return nullptr; }

protected:
    // Called after a change of one item (nil: of the whole collection) when no update is pending.
    virtual void Update(TCollectionItem*) {}
    virtual void Notify(TCollectionItem*, bool /*added*/) {}

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* item);
    void RemoveItem(TCollectionItem* item);
    void Changed();

    TClass FItemClass;
    std::vector<TCollectionItem*> FItems;
    int FUpdateCount = 0;
    int FNextID = 0;
};

// A collection that knows the persistent that holds it (for names and streaming).
class TOwnedCollection : public TCollection {
    KVR_CLASS(TOwnedCollection, TCollection)
public:
    TOwnedCollection(TPersistent* owner, TClass itemClass) : TCollection(itemClass), FOwner(owner) {}
    TPersistent* GetOwner() override { return FOwner; }

private:
    TPersistent* FOwner;
};
