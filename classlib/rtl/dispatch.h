#pragma once
// A dispatch object as a Variant holds it: reference counted by hand, as automation objects were. The
// automation layer adds the invoke interface (late-bound calls by member name) to this class; a Variant
// keeps only the pointer, so adding members here never changes the Variant.

class IDispatch {
public:
    IDispatch() = default;
    IDispatch(const IDispatch&) = delete;
    IDispatch& operator=(const IDispatch&) = delete;

    // Every holder calls AddRef when it takes the object and Release when it lets it go; the object
    // frees itself when the last holder releases it.
    virtual void AddRef() = 0;
    virtual void Release() = 0;

    virtual ~IDispatch() = default;
};
