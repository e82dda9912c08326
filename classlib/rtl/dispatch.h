#pragma once
// A dispatch object as a Variant holds it: reference counted by hand, as automation objects were. The
// automation layer adds the invoke interface (late-bound calls by member name) to this class; a Variant
// keeps only the pointer, so adding members here never changes the Variant.
#include <span>

#include "classlib/rtl/types.h"

class Variant;

// How a member is invoked. A late-bound call asks for a method or a property read at once, as the
// platform's late binding did: a property reads with call syntax, a method without arguments reads
// like a property.
constexpr Word DISPATCH_METHOD = 0x1;
constexpr Word DISPATCH_PROPERTYGET = 0x2;
constexpr Word DISPATCH_PROPERTYPUT = 0x4;

// One argument as the callee sees it; the callee may change *Value. A by-reference argument is the
// caller's own variable, so the caller sees the change; a by-value argument is a copy.
struct TDispArg {
    Variant* Value;
    bool ByRef;
};
using TDispArgs = std::span<const TDispArg>;

class IDispatch {
public:
    IDispatch() = default;
    IDispatch(const IDispatch&) = delete;
    IDispatch& operator=(const IDispatch&) = delete;

    // Every holder calls AddRef when it takes the object and Release when it lets it go; the object
    // frees itself when the last holder releases it.
    virtual void AddRef() = 0;
    virtual void Release() = 0;

    // Invokes a member by name (names compare without case), arguments in their written order; a
    // property write takes the value as its last argument. An object without the member raises
    // EOleError "Method 'Name' not supported by automation object", which is all this default does
    // (classlib/automation/comobj.cpp).
    virtual Variant Invoke(const AnsiString& name, Word flags, TDispArgs args);

    virtual ~IDispatch() = default;
};
