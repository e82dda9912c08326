#pragma once
// One-dimensional variant arrays read by position, and the text of a value that may be missing. Arrays
// come from the other side of a call (an application server, a script, a stored packet), so every
// reader here takes whatever it is given: no array, another shape or a short one reads as empty.
#include <vector>

#include "classlib/rtl/variants.h"

// Read access to the elements of a one-dimensional varVariant array without copying them (a Variant
// copies arrays whole on assignment): the array is locked for the view's lifetime.
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

// Elements of a one-dimensional array (of any element type), 0 for anything else.
int VarArrayLength(const Variant& array) noexcept;
// Element i counted from the low bound; Unassigned past either end or for anything but such an array.
Variant VarArrayItem(const Variant& array, int i);
// Every element in order, nested arrays kept; none for anything but a one-dimensional array.
std::vector<Variant> VarArrayItems(const Variant& array);
// A varVariant array of the values, moved in (VarArrayOf copies each, nested arrays whole).
Variant VarArrayFromVector(std::vector<Variant>&& values);

// The value as text; '' for Unassigned, Null, an array, an object or an error code, none of which has a
// text of its own.
AnsiString VarText(const Variant& value);
// Unassigned, Null, or a text of blanks only: a value that names nothing.
bool VarIsBlank(const Variant& value);
// VarText of element i (counted from the low bound); '' past either end.
AnsiString VarArrayItemText(const Variant& array, int i);
