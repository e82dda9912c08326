#pragma once
// Late-bound calls on a Variant that holds a dispatch object, and creating objects by program
// identifier.
//
//     Variant host = CreateOleObject("VorlanWorkCenter.Manager");
//     int version = VarGet(host, "DependencyVersion").AsInteger();
//     Variant text;
//     VarCall(host, "GetMessage", {"E", "000123", ByRef(text)});   // the callee fills text
//     VarSet(validator, "BaseLimited", flag);
//
// Names compare without case. A late-bound call asks for a method or a property read at once, as the
// platform's did, so VarCall and VarGet both read a property and both call a method.
//
// Errors, the same for an object in this process and one behind a socket connection:
// - a Variant that holds no object (or an unset one): EOleError "Variant does not reference an
//   automation object" with the member;
// - an unknown member: EOleError "Method 'Foo' not supported by automation object";
// - anything the callee raises reaches the caller as EOleException with the callee's message (and its
//   class name in ErrorClass()), as a failure inside an automation server reached its client; EOleError
//   and its descendants pass as they are.
#include <initializer_list>
#include <type_traits>
#include <utility>
#include <vector>

#include "classlib/rtl/exceptions.h"
#include "classlib/rtl/variants.h"

// A failure inside the called object. ErrorClass() names the class the callee raised.
class EOleException : public EOleError {
public:
    EOleException(AnsiString message, AnsiString errorClass)
        : EOleError(std::move(message)), FErrorClass(std::move(errorClass)) {}
    const char* ClassName() const override { return "EOleException"; }
    const AnsiString& ErrorClass() const { return FErrorClass; }

private:
    AnsiString FErrorClass;
};

// The marker of a by-reference argument: ByRef(text) lets the callee change text.
struct TOleRef {
    Variant* Target;
};
inline TOleRef ByRef(Variant& variable) {
    return TOleRef{&variable};
}

// One argument of a late-bound call: any value a Variant is made from, or ByRef(variable).
class TOleArg {
public:
    template <class T>
    requires(std::is_constructible_v<Variant, T&&> && !std::is_same_v<std::remove_cvref_t<T>, TOleArg> &&
             !std::is_same_v<std::remove_cvref_t<T>, TOleRef>) TOleArg(T&& value)
        : FValue(std::forward<T>(value)) {}
    TOleArg(TOleRef ref) : FRef(ref.Target) {}

    // The argument as the callee sees it. A by-value argument is this call's own copy, so what the
    // callee does to it stays here.
    TDispArg DispArg() const { return FRef ? TDispArg{FRef, true} : TDispArg{&FValue, false}; }

private:
    mutable Variant FValue;
    Variant* FRef = nullptr;
};

Variant VarCall(const Variant& object, const AnsiString& name, std::initializer_list<TOleArg> args = {});
Variant VarCall(const Variant& object, const AnsiString& name, const std::vector<TOleArg>& args);
// A property read; arguments are the indices of an indexed property.
Variant VarGet(const Variant& object, const AnsiString& name, std::initializer_list<TOleArg> args = {});
void VarSet(const Variant& object, const AnsiString& name, const Variant& value);
void VarSet(const Variant& object, const AnsiString& name, std::initializer_list<TOleArg> indices,
            const Variant& value);

// The call under the three above, with the invoke kind and the arguments as the callee sees them.
// Holds the object for the length of the call, so a callee that drops the caller's last reference
// does not free itself under its own feet.
Variant DispatchInvoke(const Variant& object, const AnsiString& name, Word flags, TDispArgs args);

// A new object of the class the program identifier names (without case): a factory that a loaded
// library registered, else the library the class registry file names for it, loaded on first use
// (comserv.h). EOleError "Invalid class string 'Name'" for an identifier known to neither; a library
// that cannot be loaded or does not register the class raises EOleError naming both.
Variant CreateOleObject(const AnsiString& className);
// The object registered as active under the identifier (RegisterActiveObject in comserv.h);
// EOleError "Operation unavailable 'Name'" when there is none.
Variant GetActiveOleObject(const AnsiString& className);
