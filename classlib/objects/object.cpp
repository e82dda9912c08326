#include "classlib/objects/object.h"

#include "classlib/rtl/format.h"

#include <map>
#include <mutex>

#include "classlib/rtl/strutils.h"

namespace {

std::mutex& RegistryMutex() {
    static std::mutex m;
    return m;
}

std::map<AnsiString, TClass, TIdentLess>& Registry() {
    static std::map<AnsiString, TClass, TIdentLess> registry;
    return registry;
}

} // namespace

// ---- TPropInfo ----

bool TPropInfo::IsStored(TObject* instance) const {
    if (!FStoredFlag) return false;
    return FStoredFn ? FStoredFn(instance) : true;
}

TPropInfo& TPropInfo::Type(const AnsiString& typeName) {
    FType = NamedTypeInfo(FType, typeName);
    return *this;
}

TPropInfo& TPropInfo::Default(Int64 value) {
    FDefault = value;
    return *this;
}

TPropInfo& TPropInfo::Stored(bool stored) {
    FStoredFlag = stored;
    FStoredFn = nullptr;
    return *this;
}

void TPropInfo::RaiseKind(const char* channel) const {
    throw EPropertyError("Property " + FName + " of " + FOwner->ClassName() +
                         " is not of the kind asked for (" + channel + ")");
}

void TPropInfo::RaiseReadOnly() const {
    throw EPropertyError("Property " + FName + " is read-only");
}

void TPropInfo::RaiseRange(Int64 value) const {
    throw EPropertyError("Value " + IntToStr(value) + " out of range for property " + FName);
}

void TPropInfo::CheckOrdinal(Int64 value) const {
    if (FType->Kind == tkSet) {
        if (FType->MaxValue != -1 &&
            (static_cast<std::uint64_t>(value) & ~static_cast<std::uint64_t>(FType->MaxValue)))
            RaiseRange(value);
        return;
    }
    if (value < FType->MinValue || value > FType->MaxValue) RaiseRange(value);
}

Int64 TPropInfo::GetOrd(TObject*) const {
    RaiseKind("ordinal");
}
void TPropInfo::SetOrd(TObject*, Int64) const {
    RaiseKind("ordinal");
}
Extended TPropInfo::GetFloat(TObject*) const {
    RaiseKind("float");
}
void TPropInfo::SetFloat(TObject*, Extended) const {
    RaiseKind("float");
}
AnsiString TPropInfo::GetStr(TObject*) const {
    RaiseKind("string");
}
void TPropInfo::SetStr(TObject*, const AnsiString&) const {
    RaiseKind("string");
}
WideString TPropInfo::GetWideStr(TObject*) const {
    RaiseKind("wide string");
}
void TPropInfo::SetWideStr(TObject*, const WideString&) const {
    RaiseKind("wide string");
}
TObject* TPropInfo::GetObject(TObject*) const {
    RaiseKind("object");
}
void TPropInfo::SetObject(TObject*, TObject*) const {
    RaiseKind("object");
}
TMethod TPropInfo::GetMethod(TObject*) const {
    RaiseKind("method");
}
void TPropInfo::SetMethod(TObject*, const TMethod&) const {
    RaiseKind("method");
}
Variant TPropInfo::GetVariant(TObject*) const {
    RaiseKind("variant");
}
void TPropInfo::SetVariant(TObject*, const Variant&) const {
    RaiseKind("variant");
}

// ---- TClassInfo ----

bool TClassInfo::ClassNameIs(const AnsiString& name) const {
    return SameIdent(FName, name);
}

bool TClassInfo::InheritsFrom(TClass other) const {
    for (TClass c = this; c; c = c->FParent)
        if (c == other) return true;
    return false;
}

TComponent* TClassInfo::CreateComponent(TComponent* owner) const {
    if (!ComponentFactory) throw EInvalidOperation("Cannot create a component of class " + FName);
    return ComponentFactory(owner);
}

TCollectionItem* TClassInfo::CreateItem(TCollection* collection) const {
    if (!ItemFactory) throw EInvalidOperation("Cannot create a collection item of class " + FName);
    return ItemFactory(collection);
}

TObject* TClassInfo::CreateObject() const {
    if (!ObjectFactory) throw EInvalidOperation("Cannot create an instance of class " + FName);
    return ObjectFactory();
}

const TPropInfo* TClassInfo::FindProp(const AnsiString& name) const {
    // Derived declarations first, so that a class may publish a property again with another default.
    for (auto it = FAllProps.rbegin(); it != FAllProps.rend(); ++it)
        if (SameIdent((*it)->Name(), name)) return *it;
    return nullptr;
}

const TMethodInfo* TClassInfo::FindMethod(const AnsiString& name) const {
    for (TClass c = this; c; c = c->FParent)
        for (const TMethodInfo& m : c->FMethods)
            if (SameIdent(m.Name, name)) return &m;
    return nullptr;
}

const TMethodInfo* TClassInfo::FindMethodByCode(const TMethodCode& code) const {
    for (TClass c = this; c; c = c->FParent)
        for (const TMethodInfo& m : c->FMethods)
            if (m.Code == code) return &m;
    return nullptr;
}

const TFieldInfo* TClassInfo::FindField(const AnsiString& name) const {
    for (TClass c = this; c; c = c->FParent)
        for (const TFieldInfo& f : c->FFields)
            if (SameIdent(f.Name, name)) return &f;
    return nullptr;
}

TClass TClassInfo::FindFieldClass(const AnsiString& className) const {
    for (TClass c = this; c; c = c->FParent)
        for (const TFieldInfo& f : c->FFields) {
            TClass cls = f.ClassFn ? f.ClassFn() : nullptr;
            if (cls && cls->ClassNameIs(className)) return cls;
        }
    return nullptr;
}

bool TClassInfo::HasFields() const {
    for (TClass c = this; c; c = c->FParent)
        if (!c->FFields.empty()) return true;
    return false;
}

TPropInfo& TClassInfo::AddProp(std::unique_ptr<TPropInfo> prop) {
    FOwnProps.push_back(std::move(prop));
    return *FOwnProps.back();
}

void TClassInfo::AddMethod(const AnsiString& name, const TMethodCode& code) {
    FMethods.push_back({name, code});
}

void TClassInfo::AddField(TFieldInfo field) {
    FFields.push_back(std::move(field));
}

void TClassInfo::Finish() {
    // A property published again by a descendant replaces the inherited one in place.
    if (FParent) FAllProps = FParent->FAllProps;
    for (const auto& p : FOwnProps) {
        bool replaced = false;
        for (auto& q : FAllProps) {
            if (SameIdent(q->Name(), p->Name())) {
                q = p.get();
                replaced = true;
                break;
            }
        }
        if (!replaced) FAllProps.push_back(p.get());
    }
}

// ---- TObject ----

TClass TObject::StaticClass() {
    static const TClass info = [] {
        auto* c = new TClassInfo("TObject", nullptr);
        c->ObjectFactory = []() { return new TObject(); };
        return c;
    }();
    return info;
}

void TObject::Free() {
    BeforeDestruction();
    delete this;
}

TMethod TObject::MethodAddress(const AnsiString& name) {
    TMethod m;
    if (const TMethodInfo* info = ClassType()->FindMethod(name)) {
        m.Code = info->Code;
        m.Data = this;
    }
    return m;
}

AnsiString TObject::MethodName(const TMethodCode& code) const {
    const TMethodInfo* info = ClassType()->FindMethodByCode(code);
    return info ? info->Name : AnsiString();
}

// ---- registry ----

void RegisterClass(TClass cls) {
    if (!cls) return;
    std::lock_guard<std::mutex> lock(RegistryMutex());
    auto it = Registry().find(cls->ClassName());
    if (it != Registry().end()) {
        if (it->second == cls) return;
        throw EFilerError("A class named " + cls->ClassName() + " already exists");
    }
    Registry()[cls->ClassName()] = cls;
}

void RegisterClasses(std::initializer_list<TClass> classes) {
    for (TClass c : classes)
        RegisterClass(c);
}

void UnRegisterClass(TClass cls) {
    if (!cls) return;
    std::lock_guard<std::mutex> lock(RegistryMutex());
    auto it = Registry().find(cls->ClassName());
    if (it != Registry().end() && it->second == cls) Registry().erase(it);
}

void UnRegisterClasses(std::initializer_list<TClass> classes) {
    for (TClass c : classes)
        UnRegisterClass(c);
}

TClass GetClass(const AnsiString& name) {
    std::lock_guard<std::mutex> lock(RegistryMutex());
    auto it = Registry().find(name);
    return it == Registry().end() ? nullptr : it->second;
}

TClass FindClass(const AnsiString& name) {
    TClass c = GetClass(name);
    if (!c) throw EClassNotFound("Class " + name + " not found");
    return c;
}

namespace kvr_detail {
void KeepClassInfo(TClassInfo* info) {
    static auto* kept = new std::vector<TClassInfo*>; // never destroyed, like what it holds
    std::lock_guard<std::mutex> lock(RegistryMutex());
    kept->push_back(info);
}
} // namespace kvr_detail

TClassRegistration::TClassRegistration(TClass (*classFn)()) : FClass(classFn()) {
    RegisterClass(FClass);
}

TClassRegistration::~TClassRegistration() {
    UnRegisterClass(FClass);
}
