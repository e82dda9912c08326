#pragma once
// Read access to the elements of a one-dimensional varVariant array without copying them (a Variant
// copies arrays whole on assignment): the array is locked for the view's lifetime.
#include "classlib/rtl/variants.h"

class TVarArrayView {
public:
    explicit TVarArrayView(const Variant& array) : FArray(const_cast<Variant&>(array)) {
        if (VarIsArray(FArray) && VarArrayDimCount(FArray) == 1 &&
            (VarType(FArray) & varTypeMask) == varVariant) {
            FCount = VarArrayHighBound(FArray, 1) - VarArrayLowBound(FArray, 1) + 1;
            FData = static_cast<Variant*>(VarArrayLock(FArray));
        }
    }
    ~TVarArrayView() {
        if (FData) VarArrayUnlock(FArray);
    }
    TVarArrayView(const TVarArrayView&) = delete;
    TVarArrayView& operator=(const TVarArrayView&) = delete;

    int Count() const { return FCount; }
    // An element; Unassigned past the end (or for an array of another element type).
    const Variant& operator[](int index) const {
        static const Variant empty;
        return index >= 0 && index < FCount ? FData[index] : empty;
    }
    Variant* Data() { return FData; }

private:
    Variant& FArray;
    Variant* FData = nullptr;
    int FCount = 0;
};
