#include "classlib/rtl/dynlib.h"

#include <dlfcn.h>
#include <link.h>
#include <map>
#include <mutex>

#include "classlib/rtl/files.h"

namespace {

thread_local AnsiString gLastError;

// Handles given out and not yet freed, with the number of loads each still holds.
std::mutex gHandlesLock;
std::map<HMODULE, int> gHandles;

bool Known(HMODULE module) {
    std::lock_guard<std::mutex> lock(gHandlesLock);
    return gHandles.count(module) != 0;
}

AnsiString LoaderError(const AnsiString& fallback) {
    const char* text = ::dlerror();
    return text ? AnsiString(text) : fallback;
}

} // namespace

HMODULE LoadLibrary(const AnsiString& fileName) {
    AnsiString native = NativePath(fileName);
    if (native.empty()) {
        gLastError = "No library name given";
        return 0;
    }
    // A bare name is looked for beside the executable first, as the platform's loader did; the
    // system search comes after.
    if (native.find('/') == AnsiString::npos) {
        AnsiString besideExe = NativePath(ExtractFilePath(GetModuleFileName())) + native;
        if (FileExists(SystemPath(besideExe))) native = besideExe;
    }
    ::dlerror();
    void* handle = ::dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        gLastError = LoaderError("Cannot load " + fileName);
        return 0;
    }
    HMODULE module = reinterpret_cast<HMODULE>(handle);
    {
        std::lock_guard<std::mutex> lock(gHandlesLock);
        ++gHandles[module];
    }
    gLastError.clear();
    return module;
}

void* GetProcAddress(HMODULE module, const AnsiString& procName) {
    if (!Known(module)) {
        gLastError = "Invalid library handle";
        return nullptr;
    }
    ::dlerror();
    void* symbol = ::dlsym(reinterpret_cast<void*>(module), procName.c_str());
    if (!symbol) {
        gLastError = LoaderError("Symbol not found: " + procName);
        return nullptr;
    }
    gLastError.clear();
    return symbol;
}

bool FreeLibrary(HMODULE module) {
    {
        std::lock_guard<std::mutex> lock(gHandlesLock);
        auto it = gHandles.find(module);
        if (it == gHandles.end()) {
            gLastError = "Invalid library handle";
            return false;
        }
        if (--it->second == 0) gHandles.erase(it);
    }
    ::dlerror();
    if (::dlclose(reinterpret_cast<void*>(module)) != 0) {
        gLastError = LoaderError("Cannot free the library");
        return false;
    }
    gLastError.clear();
    return true;
}

AnsiString LastLibraryError() {
    return gLastError;
}

AnsiString GetModuleName(HMODULE module) {
    if (module == 0) return GetModuleFileName();
    if (!Known(module)) {
        gLastError = "Invalid library handle";
        return AnsiString();
    }
    struct link_map* map = nullptr;
    if (::dlinfo(reinterpret_cast<void*>(module), RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name) {
        gLastError = LoaderError("Cannot name the library");
        return AnsiString();
    }
    gLastError.clear();
    if (!*map->l_name) return GetModuleFileName(); // the executable itself
    return ExpandFileName(SystemPath(map->l_name));
}
