#pragma once
// TObject, class information and the class registry.
//
// Ownership: objects are plain heap objects handled through raw pointers, as in the class library. A
// component frees what it owns (`new TButton(form)` is freed with the form); Free() runs
// BeforeDestruction while the whole object is still alive, then deletes; FreeAndNil(p) also clears the
// pointer. Destructors are virtual, so `delete` works too.
//
// Declaring a class with published members takes one line in the class and one block beside it:
//
//     class TButton : public TComponent {
//         KVR_CLASS(TButton, TComponent)
//     public:
//         explicit TButton(TComponent* owner) : TComponent(owner) {}
//         const AnsiString& Caption() const { return FCaption; }
//         void SetCaption(const AnsiString& value) { FCaption = value; }
//         const TNotifyEvent& OnClick() const { return FOnClick; }
//         void SetOnClick(const TNotifyEvent& value) { FOnClick = value; }
//         ...
//     };
//
//     KVR_PUBLISHED(TButton, c) {                               // in the .cpp
//         c.Property("Caption", &TButton::Caption, &TButton::SetCaption);
//         c.Property("Color", &TButton::Color, &TButton::SetColor).Type("TColor").Default(0x8000000F);
//         c.Property("OnClick", &TButton::OnClick, &TButton::SetOnClick);
//         c.Property("Tag2", &TButton::FTag2);                  // a field read and written directly
//     }
//
// and, on a form, its event handlers and component fields:
//
//     KVR_PUBLISHED(TForm1, c) {
//         c.Method("Button1Click", &TForm1::Button1Click);       // bound by name from the form stream
//         c.Field("Button1", &TForm1::Button1);                  // set when a component of that name is
//         owned
//     }
//
// KVR_CLASS must open the class body (it ends in "private:"). KVR_PUBLISHED also registers the class by
// name (FindClass) while its library is loaded; two classes of one name stop the program at start. The
// kind of a property follows from its C++ type (see typeinfo.h); names are compared without regard to
// case. Properties without a Default are always written; Stored(false) keeps one out of streams.
// Ordinal values are range-checked on setting (EPropertyError), so a stream cannot put 300 in a Byte.
#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

#include "classlib/objects/delegate.h"
#include "classlib/objects/typeinfo.h"
#include "classlib/rtl/exceptions.h"

class TComponent;
class TCollection;
class TCollectionItem;
template <class T> class TClassBuilder;

using TComponentFactory = TComponent* (*)(TComponent* owner);
using TItemFactory = TCollectionItem* (*)(TCollection* collection);
using TObjectFactory = TObject* (*)();

// An ordinal property without a default value is always written.
constexpr Int64 NoDefault = static_cast<Int64>(0x8000000000000000ull);

// A published property: name, type and the typed getter and setter behind untyped channels. A channel
// that does not fit the property's kind raises EPropertyError.
class TPropInfo {
public:
    TPropInfo(const AnsiString& name, const TTypeInfo* type, TClass owner)
        : FName(name), FType(type), FOwner(owner) {}
    virtual ~TPropInfo() = default;

    const AnsiString& Name() const { return FName; }
    const TTypeInfo* PropType() const { return FType; }
    TTypeKind Kind() const { return FType->Kind; }
    TClass OwnerClass() const { return FOwner; }
    bool Readable() const { return FReadable; }
    bool Writable() const { return FWritable; }
    Int64 DefaultValue() const { return FDefault; }
    bool IsStored(TObject* instance) const;

    // Builder chain.
    TPropInfo& Type(const AnsiString& typeName); // names the type (TColor over Integer)
    TPropInfo& Default(Int64 value);
    TPropInfo& Stored(bool stored);
    template <class T> TPropInfo& Stored(bool (T::*isStored)() const) {
        FStoredFn = [isStored](TObject* o) { return (static_cast<T*>(o)->*isStored)(); };
        return *this;
    }

    virtual Int64 GetOrd(TObject* instance) const;
    virtual void SetOrd(TObject* instance, Int64 value) const;
    virtual Extended GetFloat(TObject* instance) const;
    virtual void SetFloat(TObject* instance, Extended value) const;
    virtual AnsiString GetStr(TObject* instance) const;
    virtual void SetStr(TObject* instance, const AnsiString& value) const;
    virtual WideString GetWideStr(TObject* instance) const;
    virtual void SetWideStr(TObject* instance, const WideString& value) const;
    virtual TObject* GetObject(TObject* instance) const;
    virtual void SetObject(TObject* instance, TObject* value) const;
    virtual TMethod GetMethod(TObject* instance) const;
    virtual void SetMethod(TObject* instance, const TMethod& value) const;
    virtual Variant GetVariant(TObject* instance) const;
    virtual void SetVariant(TObject* instance, const Variant& value) const;

protected:
    [[noreturn]] void RaiseKind(const char* channel) const;
    [[noreturn]] void RaiseReadOnly() const;
    [[noreturn]] void RaiseRange(Int64 value) const;
    void CheckOrdinal(Int64 value) const;

    AnsiString FName;
    const TTypeInfo* FType;
    TClass FOwner;
    Int64 FDefault = NoDefault;
    bool FReadable = true;
    bool FWritable = true;
    bool FStoredFlag = true;
    std::function<bool(TObject*)> FStoredFn;
};

struct TMethodInfo {
    AnsiString Name;
    TMethodCode Code;
};

// A component field of a class (the form's Button1), set when a component of that name joins its
// owner and cleared when it leaves.
struct TFieldInfo {
    AnsiString Name;
    TClass (*ClassFn)() = nullptr;
    std::function<void(TObject* owner, TComponent* value)> Set;
    std::function<TComponent*(TObject* owner)> Get;
};

class TClassInfo {
public:
    TClassInfo(const AnsiString& name, TClass parent) : FName(name), FParent(parent) {}
    TClassInfo(const TClassInfo&) = delete;
    TClassInfo& operator=(const TClassInfo&) = delete;

    const AnsiString& ClassName() const { return FName; }
    bool ClassNameIs(const AnsiString& name) const;
    TClass ClassParent() const { return FParent; }
    bool InheritsFrom(TClass other) const;

    // Factories, as the class's constructors allow: a component class from its owner, a collection
    // item from its collection, any other class without arguments. Missing ones raise EInvalidOperation.
    TComponentFactory ComponentFactory = nullptr;
    TItemFactory ItemFactory = nullptr;
    TObjectFactory ObjectFactory = nullptr;
    TComponent* CreateComponent(TComponent* owner) const;
    TCollectionItem* CreateItem(TCollection* collection) const;
    TObject* CreateObject() const;

    // Published members, the inherited ones included.
    const TPropInfo* FindProp(const AnsiString& name) const;
    const std::vector<const TPropInfo*>& Props() const { return FAllProps; } // base class first
    const TMethodInfo* FindMethod(const AnsiString& name) const;
    const TMethodInfo* FindMethodByCode(const TMethodCode& code) const;
    const TFieldInfo* FindField(const AnsiString& name) const;
    TClass FindFieldClass(const AnsiString& className) const; // the class of a component field
    bool HasFields() const;

    // Used while the class is declared.
    TPropInfo& AddProp(std::unique_ptr<TPropInfo> prop);
    void AddMethod(const AnsiString& name, const TMethodCode& code);
    void AddField(TFieldInfo field);
    void Finish();

private:
    AnsiString FName;
    TClass FParent;
    std::vector<std::unique_ptr<TPropInfo>> FOwnProps;
    std::vector<const TPropInfo*> FAllProps;
    std::vector<TMethodInfo> FMethods;
    std::vector<TFieldInfo> FFields;
};

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    static TClass StaticClass();
    virtual TClass ClassType() const { return StaticClass(); }
    const AnsiString& ClassName() const { return ClassType()->ClassName(); }
    bool ClassNameIs(const AnsiString& name) const { return ClassType()->ClassNameIs(name); }
    TClass ClassParent() const { return ClassType()->ClassParent(); }
    bool InheritsFrom(TClass other) const { return ClassType()->InheritsFrom(other); }

    // Runs BeforeDestruction, then deletes the object. Never call it on nil: use FreeAndNil.
    void Free();
    virtual void AfterConstruction() {}
    virtual void BeforeDestruction() {}

    // The published method of that name, bound to this object; an empty method when there is none.
    TMethod MethodAddress(const AnsiString& name);
    // The name of the published method of this object's class that the code is, '' when none.
    AnsiString MethodName(const TMethodCode& code) const;

    static void DeclarePublished(TClassBuilder<TObject>&) {}
};

// The published method of that name on object as a typed event: empty when object is nil or has no
// such method, EInvalidOperation when the method has another signature.
//     button->SetOnClick(PublishedMethod<TNotifyEvent>(form, "Button1Click"));
template <class TEvent> TEvent PublishedMethod(TObject* object, const AnsiString& name) {
    return object ? TEvent::FromMethod(object->MethodAddress(name)) : TEvent();
}

template <class T> void FreeAndNil(T*& object) {
    TObject* o = object;
    object = nullptr;
    if (o) o->Free();
}

// The object as a T, or nullptr: a walk up the class chain, where a dynamic_cast compares type
// names across libraries (the hot paths of the data modules ask it on every field change). T must
// declare its own class (KVR_CLASS), or its parent's class would answer for it.
template <class T> T* ObjectAs(TObject* object) {
    static_assert(std::is_same_v<decltype(&T::DeclarePublished), void (*)(TClassBuilder<T>&)>,
                  "ObjectAs needs a class that declares KVR_CLASS");
    return object && object->InheritsFrom(T::StaticClass()) ? static_cast<T*>(object) : nullptr;
}

// The class registry, by name without regard to case.
void RegisterClass(TClass cls); // a different class of the same name raises EFilerError
void RegisterClasses(std::initializer_list<TClass> classes);
void UnRegisterClass(TClass cls);
void UnRegisterClasses(std::initializer_list<TClass> classes);
TClass GetClass(const AnsiString& name);  // nil when not registered
TClass FindClass(const AnsiString& name); // raises EClassNotFound

// Registers a class while the library that declares it is loaded.
class TClassRegistration {
public:
    explicit TClassRegistration(TClass (*classFn)());
    ~TClassRegistration();
    TClassRegistration(const TClassRegistration&) = delete;
    TClassRegistration& operator=(const TClassRegistration&) = delete;

private:
    TClass FClass;
};

// ---- declaration machinery ----

namespace kvr_detail {
template <class T>
concept OrdinalValue = std::is_integral_v<T> || std::is_enum_v<T>;
template <class T> struct IsSet : std::false_type {};
template <class E> struct IsSet<TSet<E>> : std::true_type {};
template <class T> struct IsDelegate : std::false_type {};
template <class S> struct IsDelegate<TDelegate<S>> : std::true_type {};

template <class T, class X> class TPropAccessor final : public TPropInfo {
public:
    using Getter = std::function<X(T&)>;
    using Setter = std::function<void(T&, const X&)>;
    TPropAccessor(const AnsiString& name, TClass owner, Getter get, Setter set)
        : TPropInfo(name, TypeInfoOf<X>(), owner), FGet(std::move(get)), FSet(std::move(set)) {
        FReadable = static_cast<bool>(FGet);
        FWritable = static_cast<bool>(FSet);
    }

    Int64 GetOrd(TObject* instance) const override {
        if constexpr (IsSet<X>::value)
            return static_cast<Int64>(Read(instance).Bits());
        else if constexpr (OrdinalValue<X>)
            return static_cast<Int64>(Read(instance));
        else if constexpr (std::is_pointer_v<X>)
            return reinterpret_cast<std::intptr_t>(static_cast<TObject*>(Read(instance)));
        else
            RaiseKind("ordinal");
    }
    void SetOrd(TObject* instance, Int64 value) const override {
        if constexpr (IsSet<X>::value) {
            CheckOrdinal(value);
            Write(instance, X::FromBits(static_cast<std::uint64_t>(value)));
        } else if constexpr (OrdinalValue<X>) {
            CheckOrdinal(value);
            Write(instance, static_cast<X>(value));
        } else {
            (void)value;
            RaiseKind("ordinal");
        }
    }
    Extended GetFloat(TObject* instance) const override {
        if constexpr (std::is_floating_point_v<X>)
            return static_cast<Extended>(Read(instance));
        else
            RaiseKind("float");
    }
    void SetFloat(TObject* instance, Extended value) const override {
        if constexpr (std::is_floating_point_v<X>)
            Write(instance, static_cast<X>(value));
        else {
            (void)value;
            RaiseKind("float");
        }
    }
    AnsiString GetStr(TObject* instance) const override {
        if constexpr (std::is_same_v<X, AnsiString>)
            return Read(instance);
        else
            RaiseKind("string");
    }
    void SetStr(TObject* instance, const AnsiString& value) const override {
        if constexpr (std::is_same_v<X, AnsiString>)
            Write(instance, value);
        else {
            (void)value;
            RaiseKind("string");
        }
    }
    WideString GetWideStr(TObject* instance) const override {
        if constexpr (std::is_same_v<X, WideString>)
            return Read(instance);
        else
            RaiseKind("wide string");
    }
    void SetWideStr(TObject* instance, const WideString& value) const override {
        if constexpr (std::is_same_v<X, WideString>)
            Write(instance, value);
        else {
            (void)value;
            RaiseKind("wide string");
        }
    }
    TObject* GetObject(TObject* instance) const override {
        if constexpr (std::is_pointer_v<X>)
            return Read(instance);
        else
            RaiseKind("object");
    }
    void SetObject(TObject* instance, TObject* value) const override {
        if constexpr (std::is_pointer_v<X>) {
            using C = std::remove_cv_t<std::remove_pointer_t<X>>;
            C* typed = value ? dynamic_cast<C*>(value) : nullptr;
            if (value && !typed) RaiseKind("object of this class");
            Write(instance, typed);
        } else {
            (void)value;
            RaiseKind("object");
        }
    }
    TMethod GetMethod(TObject* instance) const override {
        if constexpr (IsDelegate<X>::value)
            return Read(instance).Method();
        else
            RaiseKind("method");
    }
    void SetMethod(TObject* instance, const TMethod& value) const override {
        if constexpr (IsDelegate<X>::value) {
            if (!X::Accepts(value)) RaiseKind("method of this signature");
            Write(instance, X::FromMethod(value));
        } else {
            (void)value;
            RaiseKind("method");
        }
    }

    Variant GetVariant(TObject* instance) const override {
        if constexpr (std::is_same_v<X, Variant>)
            return Read(instance);
        else
            RaiseKind("variant");
    }
    void SetVariant(TObject* instance, const Variant& value) const override {
        if constexpr (std::is_same_v<X, Variant>)
            Write(instance, value);
        else {
            (void)value;
            RaiseKind("variant");
        }
    }

private:
    T& Cast(TObject* instance) const {
        T* typed = instance ? dynamic_cast<T*>(instance) : nullptr;
        if (!typed) RaiseKind("instance of this class");
        return *typed;
    }
    X Read(TObject* instance) const { return FGet(Cast(instance)); }
    void Write(TObject* instance, const X& value) const {
        if (!FSet) RaiseReadOnly();
        FSet(Cast(instance), value);
    }
    Getter FGet;
    Setter FSet;
};

template <class T> void SetFactories(TClassInfo& info) {
    if constexpr (!std::is_abstract_v<T>) {
        if constexpr (std::is_base_of_v<TComponent, T> && std::is_constructible_v<T, TComponent*>) {
            info.ComponentFactory = [](TComponent* owner) -> TComponent* { return new T(owner); };
        } else if constexpr (std::is_base_of_v<TCollectionItem, T> &&
                             std::is_constructible_v<T, TCollection*>) {
            info.ItemFactory = [](TCollection* collection) -> TCollectionItem* { return new T(collection); };
        } else if constexpr (std::is_default_constructible_v<T>) {
            info.ObjectFactory = []() -> TObject* { return new T(); };
        }
    }
}

// Keeps a class's information for the rest of the process, also after the library that built it unloads.
void KeepClassInfo(TClassInfo* info);

template <class T> TClass BuildClass(const char* name) {
    auto* info = new TClassInfo(name, T::inherited::StaticClass());
    KeepClassInfo(info);
    SetFactories<T>(*info);
    TClassBuilder<T> builder(*info);
    T::DeclarePublished(builder);
    info->Finish();
    return info;
}
} // namespace kvr_detail

template <class T> class TClassBuilder {
public:
    explicit TClassBuilder(TClassInfo& info) : FInfo(info) {}

    // Getter and setter member functions (setter may be nullptr for a read-only property).
    template <class B, class R, class S>
    TPropInfo& Property(const char* name, R (B::*getter)() const, S setter) {
        return Add<std::decay_t<R>>(
            name, [getter](T& o) { return (o.*getter)(); }, setter);
    }
    template <class B, class R, class S> TPropInfo& Property(const char* name, R (B::*getter)(), S setter) {
        return Add<std::decay_t<R>>(
            name, [getter](T& o) { return (o.*getter)(); }, setter);
    }
    // A field read and written directly.
    template <class B, class X>
    requires(!std::is_function_v<X>) TPropInfo& Property(const char* name, X B::*field) {
        return FInfo.AddProp(std::make_unique<kvr_detail::TPropAccessor<T, X>>(
            name, &FInfo, [field](T& o) { return o.*field; }, [field](T& o, const X& v) { o.*field = v; }));
    }
    // A published method, bound by name (event handlers of a form stream).
    template <class M> void Method(const char* name, M member) {
        FInfo.AddMethod(name, kvr_detail::MemberTraits<M>::Code(member));
    }
    // A component field, kept pointing at the owned component of that name.
    template <class B, class X> void Field(const char* name, X* B::*field) {
        TFieldInfo info;
        info.Name = name;
        info.ClassFn = &X::StaticClass;
        info.Set = [field](TObject* owner, TComponent* value) {
            static_cast<T*>(owner)->*field = value ? dynamic_cast<X*>(value) : nullptr;
        };
        info.Get = [field](TObject* owner) -> TComponent* { return static_cast<T*>(owner)->*field; };
        FInfo.AddField(std::move(info));
    }

private:
    template <class X, class G, class S> TPropInfo& Add(const char* name, G getter, S setter) {
        typename kvr_detail::TPropAccessor<T, X>::Setter set;
        if constexpr (!std::is_null_pointer_v<S>) set = [setter](T& o, const X& v) { (o.*setter)(v); };
        return FInfo.AddProp(std::make_unique<kvr_detail::TPropAccessor<T, X>>(name, &FInfo, getter, set));
    }
    TClassInfo& FInfo;
};

// In the class body, first: gives the class its class information.
#define KVR_CLASS(Name, Parent)                                                                              \
public:                                                                                                      \
    using inherited = Parent;                                                                                \
    static TClass StaticClass();                                                                             \
    TClass ClassType() const override {                                                                      \
        return StaticClass();                                                                                \
    }                                                                                                        \
    static void DeclarePublished(TClassBuilder<Name>& c);                                                    \
                                                                                                             \
private:

#define KVR_CAT2(a, b) a##b
#define KVR_CAT(a, b) KVR_CAT2(a, b)

// Beside the class (in one source file): its published members, in a block that follows the macro.
#define KVR_PUBLISHED(Name, builder)                                                                         \
    TClass Name::StaticClass() {                                                                             \
        static const TClass info = kvr_detail::BuildClass<Name>(#Name);                                      \
        return info;                                                                                         \
    }                                                                                                        \
    static const TClassRegistration KVR_CAT(kvrClassRegistration_, Name){&Name::StaticClass};                \
    void Name::DeclarePublished([[maybe_unused]] TClassBuilder<Name>& builder)
