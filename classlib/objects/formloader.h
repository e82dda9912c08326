#pragma once
// Form streams kept beside their classes, and the loader that applies them.
//
// A form or data module registers its stream text (GBK bytes, as the narrow literal of a source file
// compiled to code page 936 gives) under its class name, beside the class:
//
//     KVR_FORM_RESOURCE(TfrmBase, R"(object frmBase: TfrmBase
//       Caption = '浏览'
//       ...
//     end
//     )");
//
// and its constructor applies the streams of its class chain, the ancestor's first:
//
//     TfrmBase::TfrmBase(TComponent* owner) : TForm(owner) { InitInheritedComponent(this); }
//
// A text is converted to the binary form once, on first use; its errors raise EReadError with the line
// and the class whose stream it is.
#include <functional>

#include "classlib/objects/filer.h"
#include "classlib/objects/textform.h"

void RegisterFormResource(const AnsiString& className, const char* text);
void UnRegisterFormResource(const AnsiString& className);
bool HasFormResource(TClass cls);

class TFormResourceRegistration {
public:
    TFormResourceRegistration(const char* className, const char* text);
    ~TFormResourceRegistration();
    TFormResourceRegistration(const TFormResourceRegistration&) = delete;
    TFormResourceRegistration& operator=(const TFormResourceRegistration&) = delete;

private:
    AnsiString FClassName;
};

#define KVR_FORM_RESOURCE(ClassName, Text)                                                                   \
    static const TFormResourceRegistration KVR_CAT(kvrFormResource_, ClassName) {                            \
#ClassName, Text                                                                                     \
    }

// Reads the registered streams of instance's classes, from the first class below TComponent that has
// one down to instance's own, then resolves references and calls Loaded. False when no class of the
// chain has a stream. On failure everything the load created is freed and EReadError raised.
bool InitInheritedComponent(TComponent* instance);

// One stream, as text or binary, read into root as a whole load.
void ReadComponentFromText(TComponent* root, const AnsiString& text);
// root as text; with ancestor, only what differs from it (see TWriter::WriteDescendent).
AnsiString WriteComponentToText(TComponent* root, TComponent* ancestor = nullptr);

// Components that other roots' streams refer to by a dotted name (dmMain.cdsMaster) are looked up
// through these: the user interface registers its forms and data modules. A reference that is not
// found yet waits until a root of that name has loaded.
using TFindGlobalComponent = std::function<TComponent*(const AnsiString& name)>;
int RegisterFindGlobalComponent(TFindGlobalComponent find); // returns a handle
void UnRegisterFindGlobalComponent(int handle);
TComponent* FindGlobalComponent(const AnsiString& name);
// Resolves the references still waiting; called after every load.
void GlobalFixupReferences();
int PendingFixupCount();
// Drops the waiting references of a component (called when it is freed).
void RemoveFixupReferences(TComponent* component);
