#include "classlib/rtl/units.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstdio>
#include <exception>
#include <mutex>

#include "classlib/rtl/exceptions.h"

namespace {

std::mutex& UnitLock() {
    static std::mutex lock;
    return lock;
}
std::vector<const TUnitHooks*>& Initialized() {
    static std::vector<const TUnitHooks*> units;
    return units;
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

// Set by the first of the exit handlers to run. At exit the loader calls a library's finalisation only
// after every exit handler, the static destructors of the libraries included, so there is nothing left
// for a finalisation to take away safely; the process's end takes it all.
std::atomic<bool> gProcessExiting{false};
void NoteProcessExit() {
    gProcessExiting = true;
}

} // namespace

void InitializeUnits(const TUnitHooks* const* units, std::size_t count) {
    static const bool exitNoted = (std::atexit(&NoteProcessExit), true);
    (void)exitNoted;
    for (std::size_t i = 0; i < count; ++i) {
        if (!RunHook(units[i], units[i]->Initialization, "initialisation")) continue;
        std::lock_guard<std::mutex> lock(UnitLock());
        Initialized().push_back(units[i]);
    }
}

void FinalizeUnits(const TUnitHooks* const* units, std::size_t count) {
    if (gProcessExiting) return;
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
