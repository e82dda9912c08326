#pragma once
// TAutoObject: the base of a dispatch object written in C++. The object lists its members once, in a
// table that binds each name to a C++ member function; the base does the reference counting and the
// invoking by name (without case), with the arguments converted to the parameter types.
//
//     class TCalc : public TAutoObject {
//     public:
//         int Add(int a, int b) { return a + b; }
//         bool Lookup(const AnsiString& key, Variant& row);  // Variant& is the by-reference argument
//         AnsiString Caption() const { return FCaption; }
//         void SetCaption(const AnsiString& value) { FCaption = value; }
//     protected:
//         const TAutoMembers& Members() const override {
//             static const TAutoMembers members{
//                 AutoMethod("Add", &TCalc::Add),
//                 AutoMethod("Lookup", &TCalc::Lookup),
//                 AutoProperty("Caption", &TCalc::Caption, &TCalc::SetCaption),
//             };
//             return members;
//         }
//     };
//     Variant calc(new TCalc);  // the Variant holds the first reference; the object frees itself
//
// A descendant lists its own members on top of its parent's:
//     static const TAutoMembers members{TCalc::Members(), {AutoMethod("Sub", &TCalc2::Sub)}};
//
// Parameters may be Variant& (the caller's variable when it passed ByRef, a copy otherwise), Variant
// or const Variant&, bool, the integer and floating types, AnsiString, WideString and IDispatch*; each
// converts by the Variant's rules (EVariantError when it cannot). A member function taking TDispArgs
// alone gets the arguments as they came, any number of them. A result converts to a Variant; void
// gives Unassigned. A wrong number of arguments raises EOleError naming the member.
//
// A new object starts with no reference: the first Variant (or AddRef) that takes it holds it, and the
// last Release frees it. So never hand `this` to a Variant that dies inside the constructor.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <limits>
#include <type_traits>
#include <utility>
#include <vector>

#include "classlib/automation/comobj.h"

class TAutoObject;

// Calls the member on self; name is the member's as its table lists it, for messages. Binders keep no
// more than the member function, so that the call needs no allocation of its own.
using TAutoInvoker = std::function<Variant(TAutoObject& self, const AnsiString& name, TDispArgs args)>;

struct TAutoMember {
    AnsiString Name;
    TAutoInvoker Read;  // the method, or the property's getter; empty for a write-only property
    TAutoInvoker Write; // the property's setter (indices first, the value last); empty otherwise
    bool IsMethod = false;
};

class TAutoMembers {
public:
    TAutoMembers() = default;
    TAutoMembers(std::initializer_list<TAutoMember> members);
    // The parent's members and these; one of these replaces the parent's member of the same name.
    TAutoMembers(const TAutoMembers& parent, std::initializer_list<TAutoMember> members);

    const TAutoMember* Find(const AnsiString& name) const; // nullptr when there is none
    std::size_t Count() const { return FEntries.size(); }

private:
    // Every late-bound call looks its member up here, so the table is a flat one of its own: names
    // folded once when it is built and kept as words of eight bytes, so that a name folds, hashes and
    // compares a word at a time; open addressing over a power of two. A slot holds its name's first
    // word and length, so that a name of up to eight bytes (most of them) is found without reading
    // its entry.
    struct TEntry {
        std::vector<std::uint64_t> Words; // the upper-case name, the last word padded with zero bytes
        std::size_t Size;                 // the name's length
        std::uint64_t Hash;
        TAutoMember Member;
    };
    struct TSlot {
        std::uint64_t Head = 0; // the name's first word (0 for an empty name)
        std::uint32_t Size = 0;
        std::uint32_t Entry = 0; // the entry's index + 1, 0 for a free slot
    };
    void Add(const TAutoMember& member, bool replace);
    void Index(std::size_t entry);
    // The slot of a folded name: its entry's, or the free one where it would go.
    std::size_t SlotOf(const std::uint64_t* words, std::size_t size, std::uint64_t hash) const;
    const TAutoMember* FindUpper(const AnsiString& upper) const;
    std::vector<TEntry> FEntries;
    std::vector<TSlot> FSlots;
    unsigned FShift = 64; // a hash's top bits pick its slot: 64 - log2(FSlots.size())
};

class TAutoObject : public IDispatch {
public:
    void AddRef() override;
    void Release() override;
    Variant Invoke(const AnsiString& name, Word flags, TDispArgs args) override;

    int RefCount() const { return FRefCount.load(std::memory_order_acquire); }

protected:
    TAutoObject() = default;
    ~TAutoObject() override = default;

    // The object's members; none unless a descendant lists them.
    virtual const TAutoMembers& Members() const;

private:
    std::atomic<int> FRefCount{0};
};

// The object a Variant holds, when it is a T (in this process); nullptr otherwise.
template <class T> T* VarAsObject(const Variant& value) {
    if (value.VType() != varDispatch) return nullptr;
    return dynamic_cast<T*>(value.AsDispatch());
}

namespace AutoDetail {

template <class> constexpr bool Unsupported = false;

[[noreturn]] void RaiseParamCount(const AnsiString& name, std::size_t expected, std::size_t given);
[[noreturn]] void RaiseRange(const Variant& value);

template <class P> decltype(auto) ArgAs(const TDispArg& arg) {
    using T = std::remove_cvref_t<P>;
    if constexpr (std::is_same_v<P, Variant&>) {
        return (*arg.Value);
    } else if constexpr (std::is_same_v<T, Variant>) {
        return static_cast<const Variant&>(*arg.Value);
    } else if constexpr (std::is_same_v<T, bool>) {
        return arg.Value->AsBoolean();
    } else if constexpr (std::is_same_v<T, int>) {
        return arg.Value->AsInteger();
    } else if constexpr (std::is_integral_v<T>) {
        const Int64 v = arg.Value->AsInt64();
        if constexpr (!std::is_same_v<T, Int64> && !std::is_same_v<T, long long> &&
                      !std::is_same_v<T, long>) {
            if (v < static_cast<Int64>(std::numeric_limits<T>::min()) ||
                (v > 0 &&
                 static_cast<std::uint64_t>(v) > static_cast<std::uint64_t>(std::numeric_limits<T>::max())))
                RaiseRange(*arg.Value);
        }
        return static_cast<T>(v);
    } else if constexpr (std::is_floating_point_v<T>) {
        return static_cast<T>(arg.Value->AsFloat());
    } else if constexpr (std::is_same_v<T, AnsiString>) {
        return arg.Value->AsString();
    } else if constexpr (std::is_same_v<T, WideString>) {
        return arg.Value->AsWideString();
    } else if constexpr (std::is_same_v<T, IDispatch*>) {
        return arg.Value->VType() == varDispatch ? arg.Value->AsDispatch() : nullptr;
    } else {
        static_assert(Unsupported<P>, "no conversion from a Variant argument to this parameter type");
    }
}

template <class R, class TCall> Variant ResultOf(TCall&& call) {
    if constexpr (std::is_void_v<R>) {
        call();
        return Variant();
    } else {
        return Variant(call());
    }
}

template <class C, class M, class R, class... A> TAutoInvoker Bind(M method) {
    static_assert(std::is_base_of_v<TAutoObject, C>, "a member of a TAutoObject descendant");
    if constexpr (sizeof...(A) == 1 && (std::is_same_v<std::remove_cvref_t<A>, TDispArgs> && ...)) {
        return [method](TAutoObject& self, const AnsiString&, TDispArgs args) {
            return ResultOf<R>([&]() -> R { return (static_cast<C&>(self).*method)(args); });
        };
    } else {
        return [method](TAutoObject& self, const AnsiString& name, TDispArgs args) {
            if (args.size() != sizeof...(A)) RaiseParamCount(name, sizeof...(A), args.size());
            return [&]<std::size_t... I>(std::index_sequence<I...>) {
                return ResultOf<R>(
                    [&]() -> R { return (static_cast<C&>(self).*method)(ArgAs<A>(args[I])...); });
            }
            (std::index_sequence_for<A...>{});
        };
    }
}

template <class C, class R, class... A> TAutoInvoker Bind(R (C::*method)(A...)) {
    return Bind<C, decltype(method), R, A...>(method);
}
template <class C, class R, class... A> TAutoInvoker Bind(R (C::*method)(A...) const) {
    return Bind<C, decltype(method), R, A...>(method);
}

} // namespace AutoDetail

// Table entries.
template <class M> TAutoMember AutoMethod(const char* name, M method) {
    return TAutoMember{name, AutoDetail::Bind(method), {}, true};
}
template <class G> TAutoMember AutoProperty(const char* name, G getter) {
    return TAutoMember{name, AutoDetail::Bind(getter), {}, false};
}
template <class G, class S> TAutoMember AutoProperty(const char* name, G getter, S setter) {
    return TAutoMember{name, AutoDetail::Bind(getter), AutoDetail::Bind(setter), false};
}
template <class S> TAutoMember AutoWriteOnly(const char* name, S setter) {
    return TAutoMember{name, {}, AutoDetail::Bind(setter), false};
}
