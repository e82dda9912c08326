#pragma once
// Delegates (method pointers): an object and one of its member functions, as event handlers are.
//
//     KVR_EVENT_TYPE(TNotifyEvent, void(TObject* sender));     // one template, one alias per event type
//     button->SetOnClick(TNotifyEvent(form, &TForm1::Button1Click));
//     if (FOnClick) FOnClick(this);
//
// A delegate is nullable, copyable and comparable: two delegates are equal when they hold the same
// object and the same member. TMethod is the untyped value behind it (what run-time type information
// reads and writes, what a saved handler list keeps); converting back checks the signature, so a
// handler saved and restored later is the same handler, and a handler of another signature is refused.
#include <cstring>
#include <typeinfo>
#include <utility>

#include "classlib/objects/typeinfo.h"
#include "classlib/rtl/exceptions.h"

class TObject;

// The member function of a delegate, without its object.
struct TMethodCode {
    void (*Invoke)() = nullptr;                // the typed trampoline, cast back by TDelegate<Sig>
    const std::type_info* Signature = nullptr; // typeid of the function type R(A...)
    alignas(void*) unsigned char Member[2 * sizeof(void*)] = {};

    bool Assigned() const { return Invoke != nullptr; }
    friend bool operator==(const TMethodCode& a, const TMethodCode& b) {
        return a.Invoke == b.Invoke && std::memcmp(a.Member, b.Member, sizeof a.Member) == 0;
    }
};

struct TMethod {
    TMethodCode Code;
    TObject* Data = nullptr;

    bool Assigned() const { return Code.Assigned(); }
    explicit operator bool() const { return Assigned(); }
    friend bool operator==(const TMethod& a, const TMethod& b) {
        return a.Data == b.Data && a.Code == b.Code;
    }
};

namespace kvr_detail {
template <class T, class M, class R, class... A>
R DelegateThunk(TObject* data, const unsigned char* member, A... args) {
    M m;
    std::memcpy(&m, member, sizeof m);
    return (static_cast<T*>(data)->*m)(std::forward<A>(args)...);
}

template <class T, class M, class R, class... A> TMethodCode MakeMethodCode(M member) {
    static_assert(sizeof(M) <= sizeof(TMethodCode::Member), "member function pointer too large");
    TMethodCode code;
    code.Invoke = reinterpret_cast<void (*)()>(&DelegateThunk<T, M, R, A...>);
    code.Signature = &typeid(R(A...));
    std::memcpy(code.Member, &member, sizeof member);
    return code;
}

// The code of any member function pointer, with its signature.
template <class M> struct MemberTraits;
template <class T, class R, class... A> struct MemberTraits<R (T::*)(A...)> {
    using Class = T;
    using Signature = R(A...);
    static TMethodCode Code(R (T::*m)(A...)) { return MakeMethodCode<T, R (T::*)(A...), R, A...>(m); }
};
template <class T, class R, class... A> struct MemberTraits<R (T::*)(A...) const> {
    using Class = T;
    using Signature = R(A...);
    static TMethodCode Code(R (T::*m)(A...) const) {
        return MakeMethodCode<T, R (T::*)(A...) const, R, A...>(m);
    }
};

[[noreturn]] void RaiseSignatureMismatch();
[[noreturn]] void RaiseEmptyDelegate();
} // namespace kvr_detail

template <class Sig> class TDelegate;

template <class R, class... A> class TDelegate<R(A...)> {
public:
    using Signature = R(A...);

    TDelegate() = default;
    TDelegate(std::nullptr_t) {}
    template <class U, class T> TDelegate(U* object, R (T::*member)(A...)) {
        Bind(static_cast<T*>(object), member);
    }
    template <class U, class T> TDelegate(U* object, R (T::*member)(A...) const) {
        Bind(static_cast<T*>(object), member);
    }

    // From an untyped method value; an empty one gives an empty delegate, another signature raises.
    static TDelegate FromMethod(const TMethod& method) {
        TDelegate d;
        if (!method.Assigned()) return d;
        if (method.Code.Signature == nullptr || *method.Code.Signature != typeid(Signature))
            kvr_detail::RaiseSignatureMismatch();
        d.FMethod = method;
        return d;
    }
    static bool Accepts(const TMethod& method) {
        return !method.Assigned() || (method.Code.Signature && *method.Code.Signature == typeid(Signature));
    }
    const TMethod& Method() const { return FMethod; }
    TObject* Object() const { return FMethod.Data; }

    bool Assigned() const { return FMethod.Assigned(); }
    explicit operator bool() const { return Assigned(); }
    void Clear() { FMethod = TMethod(); }

    R operator()(A... args) const {
        if (!Assigned()) kvr_detail::RaiseEmptyDelegate();
        auto fn = reinterpret_cast<R (*)(TObject*, const unsigned char*, A...)>(FMethod.Code.Invoke);
        return fn(FMethod.Data, FMethod.Code.Member, std::forward<A>(args)...);
    }

    friend bool operator==(const TDelegate& a, const TDelegate& b) { return a.FMethod == b.FMethod; }
    friend bool operator==(const TDelegate& a, std::nullptr_t) { return !a.Assigned(); }

private:
    template <class T, class M> void Bind(T* object, M member) {
        if (object == nullptr || member == nullptr) return;
        FMethod.Data = object; // T derives from TObject
        FMethod.Code = kvr_detail::MemberTraits<M>::Code(member);
    }
    TMethod FMethod;
};

namespace kvr_detail {
// The name of an event type, from KvrDelegateName(TDelegate<Sig>*) that KVR_EVENT_TYPE declares; an
// event type declared without it shows as "TMethod".
template <class Sig> const char* DelegateTypeName() {
    if constexpr (requires(TDelegate<Sig> * p) { KvrDelegateName(p); })
        return KvrDelegateName(static_cast<TDelegate<Sig>*>(nullptr));
    else
        return "TMethod";
}
const TTypeInfo* MakeMethodTypeFor(const char* name, const std::type_info& signature);
template <class Sig> struct TypeInfoTrait<TDelegate<Sig>> {
    static const TTypeInfo* Get() {
        static const TTypeInfo* info = MakeMethodTypeFor(DelegateTypeName<Sig>(), typeid(Sig));
        return info;
    }
};
} // namespace kvr_detail

// Declares an event type: an alias of TDelegate with the name that run-time type information shows.
#define KVR_EVENT_TYPE(Name, ...)                                                                            \
    using Name = TDelegate<__VA_ARGS__>;                                                                     \
    inline const char* KvrDelegateName(Name*) {                                                              \
        return #Name;                                                                                        \
    }                                                                                                        \
    static_assert(true)

KVR_EVENT_TYPE(TNotifyEvent, void(TObject* sender));
