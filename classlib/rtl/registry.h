#pragma once
// The registry: a store of keys and string values kept in one file, read and written by TRegistry as
// the class library's registry object read the system's.
//
// The store's file (native path): SetRegistryFileName, else the environment variable KVR_REGISTRY,
// else $HOME/.kvrx58/registry.ini; its folder is created by the first write. Every call reads the file
// afresh, so two TRegistry objects (or two processes) see each other's writes; every write replaces
// the file through a temporary file and a rename, under a lock, so a crash never leaves half of it.
//
// The file, in code-page bytes, can be written by hand:
//     [HKEY_LOCAL_MACHINE\Software\QVN\Veltrane]
//     ClientPath=C:\Veltrane
//     ProfileType=0
// A key line names the root key (HKEY_LOCAL_MACHINE or HKLM, HKEY_CURRENT_USER or HKCU, ...) and the
// path; a key exists when it has a line or lies above one. Names and values are trimmed of blanks; a
// byte written "%XX" (two hexadecimal digits) stands for itself, which is how the store writes "%",
// control characters, blanks at either end, "]" in key paths, and "=" (or a leading ";" or "[") in
// value names. Lines starting with ";" are comments; they are not kept when the store is rewritten.
//
// Key paths are "\" separated and compared without case; a path starting with "\" is taken from the
// root key, any other from the open key (or the root key when none is open). Value names are compared
// without case as well.
//
// What raises, as the class library's object did: WriteString without an open key, on a key opened
// read-only or deleted since, or when the store cannot be written (ERegistryException "Failed to set
// data for 'Name'"). ReadString of a missing value, or with no key open, gives '' and raises nothing:
// the class library's reader answered '' when the value had no data. Everything else answers false.
#include <cstdint>
#include <vector>

#include "classlib/rtl/exceptions.h"
#include "classlib/rtl/types.h"

using HKEY = std::uint32_t;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr HKEY HKEY_USERS = 0x80000003u;
constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005u;

KVR_DECLARE_EXCEPTION(ERegistryException, Exception)

// The native path of the store's file. SetRegistryFileName takes a system or native path; '' returns
// to the default (KVR_REGISTRY, else $HOME/.kvrx58/registry.ini).
AnsiString RegistryFileName();
void SetRegistryFileName(const AnsiString& fileName);

class TRegistry {
public:
    TRegistry() = default; // the root key is HKEY_CURRENT_USER, as in the class library
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const { return FRootKey; }
    void SetRootKey(HKEY value); // closes the open key
    // The open key's path below the root key, '' when none is open.
    const AnsiString& CurrentPath() const { return FCurrentPath; }

    // Opens the key, creating it and its missing parents when canCreate; false when it does not exist
    // (and may not be created) or cannot be created. The open key stays as it was on failure.
    bool OpenKey(const AnsiString& key, bool canCreate);
    bool OpenKeyReadOnly(const AnsiString& key); // false when the key does not exist
    void CloseKey();
    bool KeyExists(const AnsiString& key) const;
    bool DeleteKey(const AnsiString& key); // with every key below it; false when it does not exist

    bool ValueExists(const AnsiString& name) const;
    AnsiString ReadString(const AnsiString& name) const;
    void WriteString(const AnsiString& name, const AnsiString& value);
    bool DeleteValue(const AnsiString& name);

    // The names of the open key's values and of its direct sub-keys, in the store's order; the lists
    // are cleared first and stay empty when no key is open.
    void GetValueNames(std::vector<AnsiString>& names) const;
    void GetKeyNames(std::vector<AnsiString>& names) const;
    // Any list with Clear() and Add(text), such as a string list, takes the same answers.
    template <class TList> void GetValueNames(TList* strings) const {
        CopyTo(strings, [&](std::vector<AnsiString>& v) { GetValueNames(v); });
    }
    template <class TList> void GetKeyNames(TList* strings) const {
        CopyTo(strings, [&](std::vector<AnsiString>& v) { GetKeyNames(v); });
    }

private:
    template <class TList, class TFill> static void CopyTo(TList* strings, TFill fill) {
        std::vector<AnsiString> v;
        fill(v);
        if (!strings) return;
        strings->Clear();
        for (const AnsiString& s : v)
            strings->Add(s);
    }
    // The store path ("HKEY_LOCAL_MACHINE\Software\QVN") that key names from here; '' for a bad root.
    AnsiString StorePath(const AnsiString& key, AnsiString* relativeToRoot = nullptr) const;
    AnsiString CurrentStorePath() const;

    HKEY FRootKey = HKEY_CURRENT_USER;
    bool FOpen = false;
    bool FReadOnly = false;
    AnsiString FCurrentPath;
};
