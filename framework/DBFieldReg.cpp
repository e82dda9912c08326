#include "framework/DBFieldReg.h"

#include <vector>

#include "classlib/db/db.h"

namespace {

// Registered by this unit, not found in the registry before. Touched only by the unit's initialisation
// and finalisation, which the loader runs one library at a time.
std::vector<TClass> gRegistered;

void InitializeUnit() {
    RegisterDBFieldClasses();
}
void FinalizeUnit() {
    UnRegisterDBFieldClasses();
}

} // namespace

void RegisterDBFieldClasses() {
    for (TClass cls : DBFieldClasses()) {
        if (GetClass(cls->ClassName()) == cls) continue;
        RegisterClass(cls); // a different class of that name raises: two field classes of one name
        gRegistered.push_back(cls);
    }
}

void UnRegisterDBFieldClasses() {
    for (auto it = gRegistered.rbegin(); it != gRegistered.rend(); ++it)
        UnRegisterClass(*it);
    gRegistered.clear();
}

int DBFieldClassesRegisteredHere() {
    return static_cast<int>(gRegistered.size());
}

const TUnitHooks DBFieldRegUnit{"DBFieldReg", &InitializeUnit, &FinalizeUnit};
