#pragma once
// The code-page fix: the system's BIG5 conversion (code page 950) holds none of the extension characters
// that the suite's data uses, so while the module is loaded a layer of the code-page service maps them
// to and from a private range of wide characters, for every conversion of the process in code page 950
// (CP_ACP too when the system code page is 950). Everything else goes to the service's own conversion.
//
// The private mapping (L lead byte, T trail byte, W wide character):
//   L 0x81..0xFE, T 0x80..0xA0             <->  W = (T + 0x20) * 256 + (L - 0x80)  (0xA001..0xC07E,
//                                                   low byte 0x01..0x7E)
//   L 0xA3, T 0xC0..0xDF or 0xE2..0xFE     <->  W = T + 0xC041  (0xC101..0xC120, 0xC123..0xC13F)
// A3 E1 is left out: it is the euro sign of code page 950, which the whole system pairs with 0x80 of
// code page 936; taken into the private range it would come out of every BIG5 text as another character.
// The results count what was really written, each such character one wide character or two bytes, and
// a length query (destination size 0) gives the same count.
//
// It is active under a condition, tested at installation: the system code page is 950 and the registry
// value UseKBIG5 of the platform's key is not "0" (a missing key or value counts as not "0").
#include "classlib/rtl/units.h"

// The condition above.
bool CodePageFixCondition();
// Installs the layer when the condition holds; true when it is installed (now or before).
bool InstallCodePageFix();
// Removes the layer when this unit installed it, whatever the condition says by now: a layer left in
// place after the module unloads would point into a library that is gone.
void RemoveCodePageFix();
bool CodePageFixInstalled();

// The unit's initialisation (InstallCodePageFix) and finalisation (RemoveCodePageFix), run when the
// module loads and unloads (classlib/rtl/units.h).
extern const TUnitHooks CodePageFixUnit;
