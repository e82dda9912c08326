#pragma once
// The class registry behind CreateOleObject: factories by program identifier, registered by the
// libraries that provide the classes, and the class registry file that names the library of each
// identifier so that CreateOleObject can load it on first use.
//
// A library registers its classes from its initialisation, with a static object in any of its
// sources; the registration ends when the library is unloaded:
//
//     static TAutoObjectFactory gManagerFactory("VorlanWorkCenter.Manager",
//                                               [] { return Variant(new TWorkCenter); });
//
// The class registry file is an INI file (inifiles.h) of code-page bytes:
//
//     [Classes]
//     VorlanWorkCenter.Manager=libworkcenter.so
//     RAVEZ01A.Rarer1=/opt/kvr/bin/libappserver.so
//
// Its place is a process setting: SetClassRegistryFileName, else the environment variable KVR_CLASSES,
// else classes.ini in the folder of the registry store's file (registry.h; by default
// $HOME/.kvrx58/classes.ini). A relative library name is looked for in the file's folder first, then
// where the system loader looks. Identifiers compare without case. Every call is thread-safe.
#include <functional>
#include <utility>

#include "classlib/rtl/variants.h"

// Makes a new object; the Variant holds the only reference to it.
using TOleObjectFactory = std::function<Variant()>;

// Registers the factory under the identifier, in place of any earlier one; the number it answers
// revokes this registration alone (an earlier one comes back into force). A factory must not be empty.
int RegisterOleObjectFactory(const AnsiString& className, TOleObjectFactory factory);
void RevokeOleObjectFactory(int registration);
// The factory in force for the identifier; empty when none.
TOleObjectFactory FindOleObjectFactory(const AnsiString& className);

// The registration as a static object of the library that provides the class.
class TAutoObjectFactory {
public:
    TAutoObjectFactory(const AnsiString& className, TOleObjectFactory factory)
        : FRegistration(RegisterOleObjectFactory(className, std::move(factory))) {}
    ~TAutoObjectFactory() { RevokeOleObjectFactory(FRegistration); }
    TAutoObjectFactory(const TAutoObjectFactory&) = delete;
    TAutoObjectFactory& operator=(const TAutoObjectFactory&) = delete;

private:
    int FRegistration;
};

// The class registry file (native path). '' returns to the default.
AnsiString ClassRegistryFileName();
void SetClassRegistryFileName(const AnsiString& fileName);
// The library the file names for the identifier, '' when none; and writing an entry (EIniFileException
// when the file cannot be written). A library name is a system or native path.
AnsiString ClassLibraryName(const AnsiString& className);
void RegisterClassLibrary(const AnsiString& className, const AnsiString& libraryName);
void UnregisterClassLibrary(const AnsiString& className);

// Objects that a process offers as running, for GetActiveOleObject. The table holds a reference until
// the registration is revoked.
int RegisterActiveObject(const Variant& object, const AnsiString& className);
void RevokeActiveObject(int registration);
// The latest active object under the identifier; Unassigned when none.
Variant FindActiveObject(const AnsiString& className);
