#pragma once
// Dynamic libraries over the system loader, as the module host and CreateOleObject load theirs.
// A library is bound at once (every symbol resolved when it loads, as the platform's loader did) and
// its symbols stay its own. A handle is known only between the LoadLibrary that gave it and the last
// FreeLibrary of it: any other handle (0, freed, made up) is refused with an error text, never used.
#include <cstdint>

#include "classlib/rtl/types.h"

using HMODULE = std::uintptr_t;

// A system or native path; a bare name ("libm.so.6") is searched for as the loader does. 0 on failure.
// Loading a library again gives the same handle and needs one more FreeLibrary.
HMODULE LoadLibrary(const AnsiString& fileName);
void* GetProcAddress(HMODULE module, const AnsiString& procName); // nullptr when missing
bool FreeLibrary(HMODULE module);
// The text of this thread's last failure of the calls above, '' after a call that succeeded.
AnsiString LastLibraryError();
// The full path of a loaded library in system form; 0 gives the executable's. '' for an unknown handle.
AnsiString GetModuleName(HMODULE module);
