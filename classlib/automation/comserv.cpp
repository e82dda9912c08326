#include "classlib/automation/comserv.h"

#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

#include "classlib/rtl/files.h"
#include "classlib/rtl/inifiles.h"
#include "classlib/rtl/registry.h"
#include "classlib/rtl/strutils.h"

namespace {

const char* const ClassesSection = "Classes";

struct TFactoryEntry {
    int Id;
    AnsiString Key; // upper case
    TOleObjectFactory Factory;
};

struct TActiveEntry {
    int Id;
    AnsiString Key;
    Variant Object;
};

// Never destroyed: libraries revoke their registrations from their own finalisation, which may run
// after this library's static objects would have gone.
struct TClassRegistry {
    std::mutex Lock;
    std::vector<TFactoryEntry> Factories; // in registration order; the latest of a key is in force
    std::vector<TActiveEntry> Active;
    std::optional<AnsiString> FileName;
    int NextId = 1;
};

TClassRegistry& Registry() {
    static TClassRegistry* registry = new TClassRegistry;
    return *registry;
}

AnsiString FolderOf(const AnsiString& nativeFile) {
    const std::size_t slash = nativeFile.rfind('/');
    if (slash == AnsiString::npos) return ".";
    if (slash == 0) return "/";
    return nativeFile.substr(0, slash);
}

} // namespace

int RegisterOleObjectFactory(const AnsiString& className, TOleObjectFactory factory) {
    if (!factory) throw EOleError("No factory given for class '" + className + "'");
    TClassRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.Lock);
    const int id = r.NextId++;
    r.Factories.push_back({id, UpperCase(className), std::move(factory)});
    return id;
}

void RevokeOleObjectFactory(int registration) {
    TClassRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.Lock);
    for (auto it = r.Factories.begin(); it != r.Factories.end(); ++it)
        if (it->Id == registration) {
            r.Factories.erase(it);
            return;
        }
}

TOleObjectFactory FindOleObjectFactory(const AnsiString& className) {
    const AnsiString key = UpperCase(className);
    TClassRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.Lock);
    for (auto it = r.Factories.rbegin(); it != r.Factories.rend(); ++it)
        if (it->Key == key) return it->Factory;
    return {};
}

AnsiString ClassRegistryFileName() {
    {
        TClassRegistry& r = Registry();
        std::lock_guard<std::mutex> lock(r.Lock);
        if (r.FileName) return NativePath(*r.FileName);
    }
    const char* env = std::getenv("KVR_CLASSES");
    if (env && *env) return NativePath(env);
    return FolderOf(RegistryFileName()) + "/classes.ini";
}

void SetClassRegistryFileName(const AnsiString& fileName) {
    TClassRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.Lock);
    if (fileName.empty())
        r.FileName.reset();
    else
        r.FileName = fileName;
}

AnsiString ClassLibraryName(const AnsiString& className) {
    if (Trim(className).empty()) return "";
    return TIniFile(ClassRegistryFileName()).ReadString(ClassesSection, className, "");
}

void RegisterClassLibrary(const AnsiString& className, const AnsiString& libraryName) {
    const AnsiString fileName = ClassRegistryFileName();
    ForceDirectories(FolderOf(fileName));
    TIniFile(fileName).WriteString(ClassesSection, className, libraryName);
}

void UnregisterClassLibrary(const AnsiString& className) {
    TIniFile(ClassRegistryFileName()).DeleteKey(ClassesSection, className);
}

int RegisterActiveObject(const Variant& object, const AnsiString& className) {
    if (object.VType() != varDispatch || !object.AsDispatch())
        throw EOleError("Variant does not reference an automation object");
    TClassRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.Lock);
    const int id = r.NextId++;
    r.Active.push_back({id, UpperCase(className), object});
    return id;
}

void RevokeActiveObject(int registration) {
    Variant released; // let go of the object outside the lock: its destructor may call back in here
    TClassRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.Lock);
    for (auto it = r.Active.begin(); it != r.Active.end(); ++it)
        if (it->Id == registration) {
            released = std::move(it->Object);
            r.Active.erase(it);
            return;
        }
}

Variant FindActiveObject(const AnsiString& className) {
    const AnsiString key = UpperCase(className);
    TClassRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.Lock);
    for (auto it = r.Active.rbegin(); it != r.Active.rend(); ++it)
        if (it->Key == key) return it->Object;
    return Variant();
}
