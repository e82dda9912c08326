#pragma once
// Units of a library: the initialisation and finalisation that a unit runs when its library loads and
// unloads. A library's main file lists its units in unit order, its main block last, with
// KVR_LIBRARY_UNITS. When the library loads, the initialisations run in that order before any other
// code of the library (its static objects included); when it unloads, the finalisations of the units
// that were initialised run in the reverse order, before its static objects are destroyed. When the
// process exits with the library still loaded, they do not run: the loader would call them after every
// static destructor of the process. So an
// initialisation may rely on the class library, on the units before it, on constants and on
// function-local statics, not on the library's other static objects.
//
//     // DBFieldReg.cpp: a unit
//     const TUnitHooks DBFieldRegUnit{"DBFieldReg", &InitializeUnit, &FinalizeUnit};
//     // the library's main file
//     KVR_LIBRARY_UNITS(&DBFieldRegUnit, &CodePageFixUnit, &DLLMTCtrllerUnit, &KVRX58CMainBlock)
#include <cstddef>
#include <vector>

#include "classlib/rtl/types.h"

struct TUnitHooks {
    const char* Name;
    void (*Initialization)(); // nil: none
    void (*Finalization)();   // nil: none
};

// Runs the initialisations in order. Loading cannot fail from here: one that raises is reported on the
// standard error, counts as not initialised (its finalisation will not run), and the others go on.
void InitializeUnits(const TUnitHooks* const* units, std::size_t count);
// Runs the finalisations of those of the units that were initialised, in the reverse order; one that
// raises is reported and the others go on.
void FinalizeUnits(const TUnitHooks* const* units, std::size_t count);
// The names of the units initialised and not yet finalised, of every library of the process, in the
// order their initialisations ran.
std::vector<AnsiString> InitializedUnits();

#define KVR_LIBRARY_UNITS(...)                                                                               \
    namespace {                                                                                              \
    const TUnitHooks* const kvrLibraryUnits[] = {__VA_ARGS__};                                               \
    __attribute__((constructor(101))) void kvrInitializeLibraryUnits() {                                     \
        InitializeUnits(kvrLibraryUnits, sizeof kvrLibraryUnits / sizeof *kvrLibraryUnits);                  \
    }                                                                                                        \
    __attribute__((destructor)) void kvrFinalizeLibraryUnits() {                                             \
        FinalizeUnits(kvrLibraryUnits, sizeof kvrLibraryUnits / sizeof *kvrLibraryUnits);                    \
    }                                                                                                        \
    }
