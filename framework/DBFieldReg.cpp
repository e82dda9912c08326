#include "framework/DBFieldReg.h"

#include <mutex>
#include <vector>

#include "classlib/db/db.h"

namespace {

std::mutex gLock;
std::vector<TClass> gRegistered; // registered by this unit, not found in the registry before

void InitializeUnit() {
    RegisterDBFieldClasses();
}
void FinalizeUnit() {
    UnRegisterDBFieldClasses();
}

} // namespace

void RegisterDBFieldClasses() {
    std::lock_guard<std::mutex> lock(gLock);
    for (TClass cls : DBFieldClasses()) {
        if (GetClass(cls->ClassName()) == cls) continue;
        RegisterClass(cls); // a different class of that name raises: two field classes of one name
        gRegistered.push_back(cls);
    }
}

void UnRegisterDBFieldClasses() {
    std::lock_guard<std::mutex> lock(gLock);
    for (auto it = gRegistered.rbegin(); it != gRegistered.rend(); ++it)
        UnRegisterClass(*it);
    gRegistered.clear();
}

int DBFieldClassesRegisteredHere() {
    std::lock_guard<std::mutex> lock(gLock);
    return static_cast<int>(gRegistered.size());
}

const TUnitHooks DBFieldRegUnit{"DBFieldReg", &InitializeUnit, &FinalizeUnit};
