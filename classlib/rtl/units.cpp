#include "classlib/rtl/units.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <mutex>

#include "classlib/rtl/exceptions.h"

namespace {

// Never destroyed: a library's finalisation runs from the loader's fini, which in an executable that
// links the library's units comes after the static destructors.
std::mutex& UnitLock() {
    static auto* lock = new std::mutex;
    return *lock;
}
std::vector<const TUnitHooks*>& Initialized() {
    static auto* units = new std::vector<const TUnitHooks*>;
    return *units;
}

// Runs one hook; false, reported on the standard error, when it raised.
bool RunHook(const TUnitHooks* unit, void (*hook)(), const char* what) {
    if (!hook) return true;
    try {
        hook();
        return true;
    } catch (const Exception& e) {
        std::fprintf(stderr, "unit %s: the %s raised: %s\n", unit->Name, what, e.Message().c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "unit %s: the %s raised: %s\n", unit->Name, what, e.what());
    } catch (...) {
        std::fprintf(stderr, "unit %s: the %s raised\n", unit->Name, what);
    }
    return false;
}

} // namespace

void InitializeUnits(const TUnitHooks* const* units, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (!RunHook(units[i], units[i]->Initialization, "initialisation")) continue;
        std::lock_guard<std::mutex> lock(UnitLock());
        Initialized().push_back(units[i]);
    }
}

void FinalizeUnits(const TUnitHooks* const* units, std::size_t count) {
    for (std::size_t i = count; i-- > 0;) {
        {
            std::lock_guard<std::mutex> lock(UnitLock());
            auto& list = Initialized();
            auto it = std::find(list.begin(), list.end(), units[i]);
            if (it == list.end()) continue;
            list.erase(it);
        }
        RunHook(units[i], units[i]->Finalization, "finalisation");
    }
}

std::vector<AnsiString> InitializedUnits() {
    std::lock_guard<std::mutex> lock(UnitLock());
    std::vector<AnsiString> names;
    for (const TUnitHooks* unit : Initialized())
        names.push_back(unit->Name);
    return names;
}
