#include "classlib/automation/comobj.h"

#include <memory>
#include <mutex>

#include "classlib/automation/comserv.h"
#include "classlib/rtl/dynlib.h"
#include "classlib/rtl/files.h"

// The invoke interface of dispatch.h: an object that answers no member by name.
Variant IDispatch::Invoke(const AnsiString& name, Word flags, TDispArgs args) {
    (void)flags;
    (void)args;
    throw EOleError("Method '" + name + "' not supported by automation object");
}

namespace {

const char* ActionOf(Word flags) {
    if (flags & DISPATCH_PROPERTYPUT) return "writing";
    if ((flags & DISPATCH_METHOD) == 0) return "reading";
    return "calling";
}

[[noreturn]] void RaiseNotObject(const char* action, const AnsiString& name) {
    throw EOleError("Variant does not reference an automation object (" + AnsiString(action) + " '" + name +
                    "')");
}

// The object the Variant holds; raises naming the member when it holds none.
IDispatch* TargetOf(const Variant& object, const char* action, const AnsiString& name) {
    IDispatch* target = object.VType() == varDispatch ? object.AsDispatch() : nullptr;
    if (!target) RaiseNotObject(action, name);
    return target;
}

bool AnyByReference(TDispArgs args) {
    for (const TDispArg& arg : args)
        if (arg.ByRef) return true;
    return false;
}

// Turns what the callee raises into the server's failure (dispatch errors and an unanswered window
// pass as they are). A by-reference argument may be the very variable that holds the object, which
// the callee can then clear: the object is held for the length of such a call. Without one the caller's
// reference stands throughout, and the call saves the two counter updates.
Variant InvokeTarget(IDispatch* target, const AnsiString& name, Word flags, TDispArgs args, bool anyByRef) {
    struct THold {
        IDispatch* Object;
        explicit THold(IDispatch* object) : Object(object) {
            if (Object) Object->AddRef();
        }
        ~THold() {
            if (Object) Object->Release();
        }
    } hold(anyByRef ? target : nullptr);
    try {
        return target->Invoke(name, flags, args);
    } catch (const EOleError&) {
        throw;
    } catch (const ENoModalAnswer&) {
        throw;
    } catch (const Exception& e) {
        throw EOleException(e.Message(), e.ClassName());
    } catch (const std::exception& e) {
        throw EOleException(e.what(), "Exception");
    }
}

// Small argument lists stay on the stack. A property write's value comes last, as the caller's own copy
// (a by-value argument the callee may change).
template <class TArgs>
Variant InvokeWith(const char* action, const Variant& object, const AnsiString& name, Word flags,
                   const TArgs& args, Variant* value = nullptr) {
    IDispatch* target = TargetOf(object, action, name);
    constexpr std::size_t Inline = 8;
    const std::size_t count = args.size() + (value ? 1 : 0);
    TDispArg inlineArgs[Inline];
    std::unique_ptr<TDispArg[]> heapArgs;
    TDispArg* out = inlineArgs;
    if (count > Inline) {
        heapArgs = std::make_unique<TDispArg[]>(count);
        out = heapArgs.get();
    }
    std::size_t i = 0;
    bool anyByRef = false;
    for (const TOleArg& arg : args) {
        out[i] = arg.DispArg();
        anyByRef |= out[i++].ByRef;
    }
    if (value) out[i++] = TDispArg{value, false};
    return InvokeTarget(target, name, flags, TDispArgs(out, count), anyByRef);
}

constexpr Word LateBound = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

} // namespace

Variant DispatchInvoke(const Variant& object, const AnsiString& name, Word flags, TDispArgs args) {
    return InvokeTarget(TargetOf(object, ActionOf(flags), name), name, flags, args, AnyByReference(args));
}

Variant VarCall(const Variant& object, const AnsiString& name, std::initializer_list<TOleArg> args) {
    return InvokeWith("calling", object, name, LateBound, args);
}

Variant VarCall(const Variant& object, const AnsiString& name, const std::vector<TOleArg>& args) {
    return InvokeWith("calling", object, name, LateBound, args);
}

Variant VarGet(const Variant& object, const AnsiString& name, std::initializer_list<TOleArg> args) {
    return InvokeWith("reading", object, name, LateBound, args);
}

void VarSet(const Variant& object, const AnsiString& name, const Variant& value) {
    Variant copy = value;
    InvokeWith("writing", object, name, DISPATCH_PROPERTYPUT, std::initializer_list<TOleArg>{}, &copy);
}

void VarSet(const Variant& object, const AnsiString& name, std::initializer_list<TOleArg> indices,
            const Variant& value) {
    Variant copy = value;
    InvokeWith("writing", object, name, DISPATCH_PROPERTYPUT, indices, &copy);
}

namespace {

std::mutex gLoadLock;

AnsiString InvalidClass(const AnsiString& className) {
    return "Invalid class string '" + className + "'";
}

// A relative library name is looked for beside the class registry file first, so that a file kept
// with the programs can name them without a path.
AnsiString LibraryPath(const AnsiString& libraryName) {
    const AnsiString native = NativePath(libraryName);
    if (native.empty() || native[0] == '/') return native;
    const AnsiString classFile = ClassRegistryFileName();
    const std::size_t slash = classFile.rfind('/');
    if (slash != AnsiString::npos) {
        const AnsiString beside = classFile.substr(0, slash + 1) + native;
        if (FileExists(beside)) return beside;
    }
    return native;
}

// Loads the library that the class registry file names for the class, and answers the factory it
// registered. A library that registered the class stays loaded: its objects may live to the end.
TOleObjectFactory LoadClass(const AnsiString& className) {
    std::lock_guard<std::mutex> lock(gLoadLock);
    // Another thread may have loaded it while this one waited.
    if (TOleObjectFactory factory = FindOleObjectFactory(className)) return factory;
    const AnsiString libraryName = ClassLibraryName(className);
    if (libraryName.empty()) throw EOleError(InvalidClass(className));
    const HMODULE module = LoadLibrary(LibraryPath(libraryName));
    if (!module)
        throw EOleError("Cannot load library '" + libraryName + "' of class '" + className +
                        "': " + LastLibraryError());
    TOleObjectFactory factory = FindOleObjectFactory(className);
    if (!factory) {
        FreeLibrary(module);
        throw EOleError(InvalidClass(className) + " (library '" + libraryName + "' does not register it)");
    }
    return factory;
}

} // namespace

Variant CreateOleObject(const AnsiString& className) {
    TOleObjectFactory factory = FindOleObjectFactory(className);
    if (!factory) factory = LoadClass(className);
    Variant object = factory();
    if (object.VType() != varDispatch || !object.AsDispatch())
        throw EOleError("The factory of class '" + className + "' made no automation object");
    return object;
}

Variant GetActiveOleObject(const AnsiString& className) {
    Variant object = FindActiveObject(className);
    if (VarIsEmpty(object)) throw EOleError("Operation unavailable '" + className + "'");
    return object;
}
