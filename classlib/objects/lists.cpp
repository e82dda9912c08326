#include "classlib/objects/lists.h"

#include "classlib/rtl/format.h"

#include <algorithm>

KVR_PUBLISHED(TList, c) {}
KVR_PUBLISHED(TObjectList, c) {}

TList::~TList() {
    Clear();
}

void TList::Error(int index) const {
    throw EListError("List index out of bounds (" + IntToStr(index) + ")");
}

int TList::Add(void* item) {
    FList.push_back(item);
    if (item) Notify(item, lnAdded);
    return Count() - 1;
}

void TList::Insert(int index, void* item) {
    if (index < 0 || index > Count()) Error(index);
    FList.insert(FList.begin() + index, item);
    if (item) Notify(item, lnAdded);
}

void TList::Delete(int index) {
    void* item = Get(index);
    FList.erase(FList.begin() + index);
    if (item) Notify(item, lnDeleted);
}

int TList::Remove(void* item) {
    int index = IndexOf(item);
    if (index >= 0) Delete(index);
    return index;
}

void* TList::Extract(void* item) {
    int index = IndexOf(item);
    if (index < 0) return nullptr;
    FList.erase(FList.begin() + index);
    Notify(item, lnExtracted);
    return item;
}

void TList::Clear() {
    while (!FList.empty())
        Delete(Count() - 1);
    FList.shrink_to_fit();
}

int TList::IndexOf(void* item) const {
    auto it = std::find(FList.begin(), FList.end(), item);
    return it == FList.end() ? -1 : static_cast<int>(it - FList.begin());
}

void TList::Exchange(int index1, int index2) {
    if (index1 < 0 || index1 >= Count()) Error(index1);
    if (index2 < 0 || index2 >= Count()) Error(index2);
    std::swap(FList[static_cast<std::size_t>(index1)], FList[static_cast<std::size_t>(index2)]);
}

void TList::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex) return;
    if (newIndex < 0 || newIndex >= Count()) Error(newIndex);
    void* item = Get(curIndex);
    FList.erase(FList.begin() + curIndex);
    FList.insert(FList.begin() + newIndex, item);
}

void TList::Pack() {
    FList.erase(std::remove(FList.begin(), FList.end(), nullptr), FList.end());
}

void TList::Sort(int (*compare)(void* a, void* b)) {
    if (!compare) return;
    std::stable_sort(FList.begin(), FList.end(), [compare](void* a, void* b) { return compare(a, b) < 0; });
}

void TList::SetCount(int value) {
    if (value < 0) Error(value);
    while (Count() > value)
        Delete(Count() - 1);
    FList.resize(static_cast<std::size_t>(value), nullptr);
}

void TList::SetCapacity(int value) {
    if (value < Count()) Error(value);
    FList.reserve(static_cast<std::size_t>(value));
}

void* TList::Get(int index) const {
    if (index < 0 || index >= Count()) Error(index);
    return FList[static_cast<std::size_t>(index)];
}

void TList::Put(int index, void* item) {
    void* old = Get(index);
    if (old == item) return;
    FList[static_cast<std::size_t>(index)] = item;
    if (old) Notify(old, lnDeleted);
    if (item) Notify(item, lnAdded);
}

TObjectList::~TObjectList() {
    Clear();
}

void TObjectList::Notify(void* item, TListNotification action) {
    if (FOwnsObjects && action == lnDeleted) static_cast<TObject*>(item)->Free();
}
