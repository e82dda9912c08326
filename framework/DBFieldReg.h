#pragma once
// Registration of the class library's 26 database field classes for streaming (TADTField ...
// TWordField, in the order of DBFieldClasses), so that the module's form streams can name them: done
// when the module loads and undone when it unloads.
//
// The class registry has one entry per name and no count, and the class library registers these
// classes itself while it is loaded, for the host too. So the unit unregisters at unload only the
// classes that it registered itself: unloading the module never takes a class away from the host.
#include "classlib/rtl/units.h"

void RegisterDBFieldClasses();
void UnRegisterDBFieldClasses();
// The classes that this unit registered (and will unregister), in registration order.
int DBFieldClassesRegisteredHere();

// The unit's initialisation and finalisation, run when the module loads and unloads.
extern const TUnitHooks DBFieldRegUnit;
