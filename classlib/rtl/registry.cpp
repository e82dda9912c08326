#include "classlib/rtl/registry.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/strutils.h"

namespace {

std::mutex gSettingsLock;
std::optional<AnsiString> gRegistryFileName;
// Writers in this process take turns; the lock file keeps other processes out as well.
std::mutex gWriteLock;

struct TRootName {
    HKEY Key;
    const char* Name;
    const char* Alias;
};

const TRootName kRoots[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "HKCR"},     {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "HKCU"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "HKLM"},   {HKEY_USERS, "HKEY_USERS", "HKU"},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG", "HKCC"},
};

const char* RootName(HKEY key) {
    for (const TRootName& r : kRoots)
        if (r.Key == key) return r.Name;
    return nullptr;
}

const char* RootNameOf(const AnsiString& text) {
    for (const TRootName& r : kRoots)
        if (SameText(text, r.Name) || SameText(text, r.Alias)) return r.Name;
    return nullptr;
}

// "\" separated components without empty ones; a trail byte 0x5C is no separator.
std::vector<AnsiString> SplitKeyPath(const AnsiString& path) {
    std::vector<AnsiString> parts;
    AnsiString part;
    for (std::size_t i = 0; i < path.size();) {
        int len = CharLength(path, i);
        if (len == 1 && path[i] == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part.append(path, i, static_cast<std::size_t>(len));
        }
        i += static_cast<std::size_t>(len);
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

AnsiString JoinKeyPath(const std::vector<AnsiString>& parts) {
    AnsiString r;
    for (const AnsiString& p : parts)
        r += (r.empty() ? "" : "\\") + p;
    return r;
}

AnsiString Fold(const AnsiString& s) {
    return UpperCase(s);
}

bool IsSameOrBelow(const AnsiString& path, const AnsiString& ancestor) {
    AnsiString p = Fold(path), a = Fold(ancestor);
    return p == a || (p.size() > a.size() && p.compare(0, a.size(), a) == 0 && p[a.size()] == '\\');
}

AnsiString ParentPath(const AnsiString& path) {
    std::vector<AnsiString> parts = SplitKeyPath(path);
    if (!parts.empty()) parts.pop_back();
    return JoinKeyPath(parts);
}

bool InSet(const char* set, unsigned char c) {
    return c != 0 && std::strchr(set, c) != nullptr;
}

// Byte-wise escapes, so the file reads back the same whatever the code page.
AnsiString Escape(const AnsiString& s, const char* special, const char* leading) {
    static const char kHex[] = "0123456789ABCDEF";
    AnsiString r;
    for (std::size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        bool atEnd = i == 0 || i + 1 == s.size();
        if (c == '%' || c < 0x20 || c == 0x7F || (c == ' ' && atEnd) || InSet(special, c) ||
            (i == 0 && InSet(leading, c))) {
            r += '%';
            r += kHex[c >> 4];
            r += kHex[c & 15];
        } else {
            r += static_cast<char>(c);
        }
    }
    return r;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

AnsiString Unescape(const AnsiString& s) {
    AnsiString r;
    for (std::size_t i = 0; i < s.size(); ++i) {
        int hi, lo;
        if (s[i] == '%' && i + 2 < s.size() && (hi = HexDigit(s[i + 1])) >= 0 &&
            (lo = HexDigit(s[i + 2])) >= 0) {
            r += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else {
            r += s[i];
        }
    }
    return r;
}

struct TRegValue {
    AnsiString Name;
    AnsiString Data;
};

struct TRegKey {
    AnsiString Path; // root name, "\", the key's path
    std::vector<TRegValue> Values;
    AnsiString Folded; // Fold(Path), made once: every read looks keys up
};

class TRegStore {
public:
    // False when the file is there but cannot be read: then nothing may be written over it.
    bool Load(const AnsiString& fileName) {
        FKeys.clear();
        if (!FileExists(fileName)) return !DirectoryExists(fileName);
        AnsiString bytes;
        if (!ReadFileBytes(fileName, bytes)) return false;
        TRegKey* current = nullptr;
        std::size_t from = 0;
        while (from < bytes.size()) {
            std::size_t end = bytes.find('\n', from);
            if (end == AnsiString::npos) end = bytes.size();
            AnsiString line = Trim(bytes.substr(from, end - from));
            from = end + 1;
            if (line.empty() || line[0] == ';') continue;
            if (line[0] == '[') {
                current = nullptr;
                std::size_t close = line.rfind(']');
                if (close == AnsiString::npos || close == 0) continue;
                std::vector<AnsiString> parts = SplitKeyPath(Unescape(line.substr(1, close - 1)));
                if (parts.empty()) continue;
                const char* root = RootNameOf(Trim(parts[0]));
                if (!root) continue;
                parts[0] = root;
                current = &Ensure(JoinKeyPath(parts));
                continue;
            }
            std::size_t eq = line.find('=');
            if (!current || eq == AnsiString::npos) continue;
            AnsiString name = Unescape(Trim(line.substr(0, eq)));
            if (!FindValue(*current, name))
                current->Values.push_back({name, Unescape(Trim(line.substr(eq + 1)))});
        }
        return true;
    }

    AnsiString Text() const {
        AnsiString r =
            "; Registry store: [root\\key] lines, then name=value lines; %XX stands for one byte.\n";
        for (const TRegKey& k : FKeys) {
            r += "[" + Escape(k.Path, "]", "") + "]\n";
            for (const TRegValue& v : k.Values)
                r += Escape(v.Name, "=", ";[") + "=" + Escape(v.Data, "", "") + "\n";
        }
        return r;
    }

    TRegKey* Find(const AnsiString& path) {
        return const_cast<TRegKey*>(static_cast<const TRegStore*>(this)->Find(path));
    }
    const TRegKey* Find(const AnsiString& path) const {
        AnsiString folded = Fold(path);
        for (const TRegKey& k : FKeys)
            if (k.Folded == folded) return &k;
        return nullptr;
    }

    bool Exists(const AnsiString& path) const {
        if (SplitKeyPath(path).size() == 1) return true; // a root key always exists
        const AnsiString folded = Fold(path);
        for (const TRegKey& k : FKeys)
            if (k.Folded.compare(0, folded.size(), folded) == 0 &&
                (k.Folded.size() == folded.size() || k.Folded[folded.size()] == '\\'))
                return true;
        return false;
    }

    // The key and every missing parent get their own line, so that deleting a sub-key keeps them.
    TRegKey& Create(const AnsiString& path) {
        std::vector<AnsiString> parts = SplitKeyPath(path);
        AnsiString prefix = parts[0];
        for (std::size_t i = 1; i < parts.size(); ++i) {
            prefix += "\\" + parts[i];
            if (!Find(prefix)) Ensure(prefix);
        }
        return Ensure(path);
    }

    bool Remove(const AnsiString& path) {
        std::size_t before = FKeys.size();
        std::erase_if(FKeys, [&](const TRegKey& k) { return IsSameOrBelow(k.Path, path); });
        if (FKeys.size() == before) return false;
        AnsiString parent = ParentPath(path);
        if (SplitKeyPath(parent).size() > 1 && !Exists(parent)) Ensure(parent);
        return true;
    }

    std::vector<AnsiString> Children(const AnsiString& path) const {
        std::vector<AnsiString> names, folded;
        std::size_t depth = SplitKeyPath(path).size();
        for (const TRegKey& k : FKeys) {
            if (!IsSameOrBelow(k.Path, path)) continue;
            std::vector<AnsiString> parts = SplitKeyPath(k.Path);
            if (parts.size() <= depth) continue;
            AnsiString f = Fold(parts[depth]);
            if (std::find(folded.begin(), folded.end(), f) != folded.end()) continue;
            folded.push_back(f);
            names.push_back(parts[depth]);
        }
        return names;
    }

    static TRegValue* FindValue(TRegKey& key, const AnsiString& name) {
        return const_cast<TRegValue*>(FindValue(static_cast<const TRegKey&>(key), name));
    }
    static const TRegValue* FindValue(const TRegKey& key, const AnsiString& name) {
        AnsiString folded = Fold(name);
        for (const TRegValue& v : key.Values)
            if (Fold(v.Name) == folded) return &v;
        return nullptr;
    }

private:
    TRegKey& Ensure(const AnsiString& path) {
        if (TRegKey* k = Find(path)) return *k;
        FKeys.push_back({path, {}, Fold(path)});
        return FKeys.back();
    }

    std::vector<TRegKey> FKeys;
};

// A change of the store: read, change, write back, with no other writer in between.
class TStoreWrite {
public:
    TStoreWrite() : FLock(gWriteLock), FFileName(RegistryFileName()) {
        AnsiString folder = ExtractFileDir(FFileName);
        if (!folder.empty()) ForceDirectories(folder);
        AnsiString lockName = FFileName + ".lock";
        FLockFile = ::open(lockName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (FLockFile >= 0) {
            while (::flock(FLockFile, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
        FLoaded = Store.Load(FFileName);
    }
    ~TStoreWrite() {
        if (FLockFile >= 0) ::close(FLockFile); // releases the lock
    }
    bool Loaded() const { return FLoaded; }
    bool Save() { return FLoaded && SaveFileBytes(FFileName, Store.Text()); }

    TRegStore Store;

private:
    std::lock_guard<std::mutex> FLock;
    AnsiString FFileName;
    int FLockFile = -1;
    bool FLoaded = false;
};

// The store as last read: a read of a value costs a look at the file's stamp, not a read and a parse.
std::shared_ptr<const TRegStore> ReadStore() {
    static TFileCache<TRegStore> cache;
    return cache.Get(RegistryFileName(), [](const AnsiString& name) {
        TRegStore store;
        store.Load(name);
        return store;
    });
}

AnsiString HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    struct passwd entry;
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return "/tmp";
}

} // namespace

AnsiString RegistryFileName() {
    {
        std::lock_guard<std::mutex> lock(gSettingsLock);
        if (gRegistryFileName) return NativePath(*gRegistryFileName);
    }
    const char* env = std::getenv("KVR_REGISTRY");
    if (env && *env) return NativePath(env);
    return HomeFolder() + "/.kvrx58/registry.ini";
}

void SetRegistryFileName(const AnsiString& fileName) {
    std::lock_guard<std::mutex> lock(gSettingsLock);
    if (fileName.empty())
        gRegistryFileName.reset();
    else
        gRegistryFileName = fileName;
}

void TRegistry::SetRootKey(HKEY value) {
    if (value == FRootKey) return;
    FRootKey = value;
    CloseKey();
}

AnsiString TRegistry::StorePath(const AnsiString& key, AnsiString* relativeToRoot) const {
    const char* root = RootName(FRootKey);
    if (!root) return AnsiString();
    bool absolute = !key.empty() && key[0] == '\\';
    std::vector<AnsiString> parts;
    if (!absolute && FOpen) parts = SplitKeyPath(FCurrentPath);
    for (const AnsiString& p : SplitKeyPath(key))
        parts.push_back(p);
    AnsiString path = JoinKeyPath(parts);
    if (relativeToRoot) *relativeToRoot = path;
    return path.empty() ? AnsiString(root) : AnsiString(root) + "\\" + path;
}

AnsiString TRegistry::CurrentStorePath() const {
    const char* root = RootName(FRootKey);
    if (!FOpen || !root) return AnsiString();
    return FCurrentPath.empty() ? AnsiString(root) : AnsiString(root) + "\\" + FCurrentPath;
}

bool TRegistry::OpenKey(const AnsiString& key, bool canCreate) {
    AnsiString relative;
    AnsiString path = StorePath(key, &relative);
    if (path.empty()) return false;
    if (!ReadStore()->Exists(path)) {
        if (!canCreate) return false;
        TStoreWrite write;
        if (!write.Loaded()) return false;
        if (!write.Store.Exists(path)) {
            write.Store.Create(path);
            if (!write.Save()) return false;
        }
    }
    FOpen = true;
    FReadOnly = false;
    FCurrentPath = relative;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const AnsiString& key) {
    AnsiString relative;
    AnsiString path = StorePath(key, &relative);
    if (path.empty() || !ReadStore()->Exists(path)) return false;
    FOpen = true;
    FReadOnly = true;
    FCurrentPath = relative;
    return true;
}

void TRegistry::CloseKey() {
    FOpen = false;
    FReadOnly = false;
    FCurrentPath.clear();
}

bool TRegistry::KeyExists(const AnsiString& key) const {
    AnsiString path = StorePath(key);
    return !path.empty() && ReadStore()->Exists(path);
}

bool TRegistry::DeleteKey(const AnsiString& key) {
    AnsiString path = StorePath(key);
    if (SplitKeyPath(path).size() < 2) return false; // no root key, or the root key itself
    TStoreWrite write;
    if (!write.Loaded() || !write.Store.Exists(path)) return false;
    write.Store.Remove(path);
    return write.Save();
}

bool TRegistry::ValueExists(const AnsiString& name) const {
    AnsiString path = CurrentStorePath();
    if (path.empty()) return false;
    const auto store = ReadStore();
    const TRegKey* key = store->Find(path);
    return key && TRegStore::FindValue(*key, name);
}

AnsiString TRegistry::ReadString(const AnsiString& name) const {
    AnsiString path = CurrentStorePath();
    if (path.empty()) return AnsiString();
    const auto store = ReadStore();
    const TRegKey* key = store->Find(path);
    const TRegValue* value = key ? TRegStore::FindValue(*key, name) : nullptr;
    return value ? value->Data : AnsiString();
}

void TRegistry::WriteString(const AnsiString& name, const AnsiString& value) {
    AnsiString path = CurrentStorePath();
    const AnsiString failed = "Failed to set data for '" + name + "'";
    if (path.empty() || FReadOnly) throw ERegistryException(failed);
    TStoreWrite write;
    if (!write.Loaded() || !write.Store.Exists(path)) throw ERegistryException(failed);
    TRegKey& key = write.Store.Find(path) ? *write.Store.Find(path) : write.Store.Create(path);
    if (TRegValue* existing = TRegStore::FindValue(key, name))
        existing->Data = value;
    else
        key.Values.push_back({name, value});
    if (!write.Save()) throw ERegistryException(failed);
}

bool TRegistry::DeleteValue(const AnsiString& name) {
    AnsiString path = CurrentStorePath();
    if (path.empty() || FReadOnly) return false;
    TStoreWrite write;
    TRegKey* key = write.Loaded() ? write.Store.Find(path) : nullptr;
    if (!key) return false;
    AnsiString folded = Fold(name);
    std::size_t before = key->Values.size();
    std::erase_if(key->Values, [&](const TRegValue& v) { return Fold(v.Name) == folded; });
    return key->Values.size() != before && write.Save();
}

void TRegistry::GetValueNames(std::vector<AnsiString>& names) const {
    names.clear();
    AnsiString path = CurrentStorePath();
    if (path.empty()) return;
    const auto store = ReadStore();
    if (const TRegKey* key = store->Find(path))
        for (const TRegValue& v : key->Values)
            names.push_back(v.Name);
}

void TRegistry::GetKeyNames(std::vector<AnsiString>& names) const {
    names.clear();
    AnsiString path = CurrentStorePath();
    if (path.empty()) return;
    names = ReadStore()->Children(path);
}
