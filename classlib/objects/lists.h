#pragma once
// TList (untyped pointers) and TObjectList (objects, freed by the list when it owns them).
#include <vector>

#include "classlib/objects/object.h"

enum TListNotification { lnAdded, lnExtracted, lnDeleted };

class TList : public TObject {
    KVR_CLASS(TList, TObject)
public:
    TList() = default;
    ~TList() override;

    int Add(void* item);
    void Insert(int index, void* item);
    void Delete(int index);
    int Remove(void* item); // the index it had, -1 when absent
    void* Extract(void* item);
    void Clear();
    int IndexOf(void* item) const;
    void Exchange(int index1, int index2);
    void Move(int curIndex, int newIndex);
    void Pack(); // drops nil entries
    void Sort(int (*compare)(void* a, void* b));
    void* First() const { return Get(0); }
    void* Last() const { return Get(Count() - 1); }

    int Count() const { return static_cast<int>(FList.size()); }
    void SetCount(int value);
    int Capacity() const { return static_cast<int>(FList.capacity()); }
    void SetCapacity(int value);
    void* Get(int index) const; // EListError "List index out of bounds (n)"
    void Put(int index, void* item);
    void* Items(int index) const { return Get(index); }
    void* operator[](int index) const { return Get(index); }

protected:
    virtual void Notify(void*, TListNotification) {}
    [[noreturn]] void Error(int index) const;

private:
    std::vector<void*> FList;
};

class TObjectList : public TList {
    KVR_CLASS(TObjectList, TList)
public:
    explicit TObjectList(bool ownsObjects = true) : FOwnsObjects(ownsObjects) {}
    ~TObjectList() override;

    int Add(TObject* object) { return TList::Add(object); }
    void Insert(int index, TObject* object) { TList::Insert(index, object); }
    int Remove(TObject* object) { return TList::Remove(object); }
    TObject* Extract(TObject* object) { return static_cast<TObject*>(TList::Extract(object)); }
    int IndexOf(TObject* object) const { return TList::IndexOf(object); }
    TObject* Items(int index) const { return static_cast<TObject*>(Get(index)); }
    void SetItems(int index, TObject* object) { Put(index, object); }
    TObject* operator[](int index) const { return Items(index); }
    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool value) { FOwnsObjects = value; }

protected:
    void Notify(void* item, TListNotification action) override;

private:
    bool FOwnsObjects;
};
