#include "classlib/objects/component.h"

#include "classlib/rtl/format.h"

#include <algorithm>

#include "classlib/objects/formloader.h"
#include "classlib/rtl/strutils.h"

namespace {
bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsAlnum(char c) {
    return IsAlpha(c) || (c >= '0' && c <= '9');
}

void EraseOne(std::vector<TComponent*>& list, TComponent* c) {
    auto it = std::find(list.begin(), list.end(), c);
    if (it != list.end()) list.erase(it);
}
} // namespace

bool IsValidIdent(const AnsiString& ident) {
    if (ident.empty() || !IsAlpha(ident[0])) return false;
    return std::all_of(ident.begin(), ident.end(), IsAlnum);
}

// ---- TPersistent ----

KVR_PUBLISHED(TPersistent, c) {}

void TPersistent::Assign(TPersistent* source) {
    if (source)
        source->AssignTo(this);
    else
        AssignTo(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) {
    AnsiString sourceName = dest ? ClassName() : AnsiString("nil");
    AnsiString destName = dest ? dest->ClassName() : ClassName();
    if (!dest) throw EConvertError("Cannot assign a nil to a " + ClassName());
    throw EConvertError("Cannot assign a " + sourceName + " to a " + destName);
}

AnsiString TPersistent::GetNamePath() {
    return ClassName();
}

void TPersistent::DefineProperties(TFiler&) {}

// ---- TComponent ----

KVR_PUBLISHED(TComponent, c) {
    c.Property("Name", &TComponent::Name, &TComponent::SetName).Stored(false);
    c.Property("Tag", &TComponent::Tag, &TComponent::SetTag).Default(0);
}

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    TearDown();
    RemoveFixupReferences(this);
}

void TComponent::BeforeDestruction() {
    TearDown();
}

void TComponent::TearDown() {
    if (FTornDown) return;
    FTornDown = true;
    Destroying();
    while (!FFreeNotifies.empty()) {
        TComponent* client = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        EraseOne(client->FFreeNotifies, this);
        if (client->FFreeNotifies.empty()) client->FComponentState.Exclude(csFreeNotification);
        client->Notification(this, opRemove);
    }
    DestroyComponents();
    if (FOwner) FOwner->RemoveComponent(this);
}

TComponent* TComponent::Components(int index) const {
    if (index < 0 || index >= ComponentCount())
        throw EListError("List index out of bounds (" + IntToStr(index) + ")");
    return FComponents[static_cast<std::size_t>(index)];
}

int TComponent::ComponentIndex() const {
    if (!FOwner) return -1;
    auto& list = FOwner->FComponents;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TComponent::SetComponentIndex(int value) {
    if (!FOwner) return;
    int current = ComponentIndex();
    if (current < 0) return;
    auto& list = FOwner->FComponents;
    int count = static_cast<int>(list.size());
    if (value < 0) value = 0;
    if (value >= count) value = count - 1;
    if (value == current) return;
    list.erase(list.begin() + current);
    list.insert(list.begin() + value, this);
}

TComponent* TComponent::FindComponent(const AnsiString& name) const {
    if (name.empty()) return nullptr;
    for (TComponent* c : FComponents)
        if (SameIdent(c->FName, name)) return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
    if (!component) return;
    component->ValidateContainer(this);
    ValidateRename(component, "", component->FName);
    Insert(component);
    component->SetReference(true);
    if (FComponentState.Contains(csDesigning)) component->SetDesigning(true);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    if (!component || component->FOwner != this) return;
    ValidateRename(component, component->FName, "");
    Notification(component, opRemove);
    component->SetReference(false);
    Remove(component);
}

void TComponent::Insert(TComponent* component) {
    FComponents.push_back(component);
    component->FOwner = this;
}

void TComponent::Remove(TComponent* component) {
    EraseOne(FComponents, component);
    component->FOwner = nullptr;
}

void TComponent::DestroyComponents() {
    // The owned components go last first. Everything the owner owns hears of a component that goes
    // only when that one has free-notification links (its clients are told precisely in any case);
    // the others are leaving with their owner anyway, which keeps freeing a form linear.
    while (!FComponents.empty()) {
        TComponent* c = FComponents.back();
        if (c->FComponentState.Contains(csFreeNotification)) {
            RemoveComponent(c);
        } else {
            c->SetReference(false);
            Remove(c);
        }
        c->Free();
    }
}

void TComponent::Destroying() {
    if (FComponentState.Contains(csDestroying)) return;
    FComponentState.Include(csDestroying);
    for (TComponent* c : FComponents)
        c->Destroying();
}

void TComponent::FreeNotification(TComponent* component) {
    if (!component || component == this) return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end()) {
        FFreeNotifies.push_back(component);
        component->FreeNotification(this);
    }
    FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    if (!component) return;
    EraseOne(FFreeNotifies, component);
    EraseOne(component->FFreeNotifies, this);
    if (FFreeNotifies.empty()) FComponentState.Exclude(csFreeNotification);
    if (component->FFreeNotifies.empty()) component->FComponentState.Exclude(csFreeNotification);
}

void TComponent::SetDesigning(bool value) {
    if (value)
        FComponentState.Include(csDesigning);
    else
        FComponentState.Exclude(csDesigning);
    for (TComponent* c : FComponents)
        c->SetDesigning(value);
}

void TComponent::SetInline(bool value) {
    if (value)
        FComponentState.Include(csInline);
    else
        FComponentState.Exclude(csInline);
}

void TComponent::GetChildren(const TGetChildProc& proc, TComponent* root) {
    if (root != this) return;
    for (TComponent* c : FComponents)
        if (!c->HasParent()) proc(c);
}

void TComponent::Loaded() {
    FComponentState.Exclude(csLoading);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component) RemoveFreeNotification(component);
    // Everything this component owns hears of it too; the list may shrink while it is told.
    for (std::size_t i = FComponents.size(); i-- > 0;) {
        if (i >= FComponents.size()) continue;
        FComponents[i]->Notification(component, operation);
    }
}

void TComponent::ValidateRename(TComponent* component, const AnsiString& curName, const AnsiString& newName) {
    // Also on insertion (the component not yet owned), so that an owner never holds two of one name.
    if (!component || SameIdent(curName, newName)) return;
    TComponent* existing = FindComponent(newName);
    if (existing && existing != component)
        throw EComponentError("A component named " + newName + " already exists");
}

void TComponent::ValidateContainer(TComponent* component) {
    component->ValidateInsert(this);
}

void TComponent::SetName(const AnsiString& value) {
    if (FName == value) return;
    if (!value.empty() && !IsValidIdent(value))
        throw EComponentError("'" + value + "' is not a valid component name");
    if (FOwner)
        FOwner->ValidateRename(this, FName, value);
    else
        ValidateRename(nullptr, FName, value);
    SetReference(false);
    FName = value;
    SetReference(true);
}

void TComponent::SetReference(bool enable) {
    if (!FOwner || FName.empty()) return;
    const TFieldInfo* field = FOwner->ClassType()->FindField(FName);
    if (!field) return;
    if (enable) {
        TClass fieldClass = field->ClassFn ? field->ClassFn() : nullptr;
        if (fieldClass && !InheritsFrom(fieldClass)) return; // a field of another class keeps its value
        field->Set(FOwner, this);
    } else if (field->Get(FOwner) == this) {
        field->Set(FOwner, nullptr);
    }
}
