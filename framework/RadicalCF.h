#pragma once
// TfrmRadical: the root of every document form. It holds the start values the
// host hands over, runs the module's start-up (InitializeForm, called by the
// controller) and knows its program ID from the module's file name. What the
// controller reads and writes of it is here; the rest of the document form's
// start-up is added on this class.
#include "classlib/controls/forms.h"
#include "framework/Brokers.h"
#include "framework/FormModes.h"

class TfrmRadical : public TForm {
    KVR_CLASS(TfrmRadical, TForm)
public:
    // A descendant passes load false and applies the streams of its class chain
    // itself, as only its own constructor knows the whole chain.
    explicit TfrmRadical(TComponent* owner, bool load = true);
    ~TfrmRadical() override;

    // Fields, in declaration order.
    AnsiString VersionText;                  // the program's version text (the controller's GetVersion)
    Word OperationMask = OPERATION_MASK_ALL; // operations the host allows (FormModes.h)
    Variant OpenParam;                       // start parameter 4
    AnsiString ParamText;                    // the controller's SetParameter
    OleVariant ParamValue;
    int OpenMode = OPEN_MODE_NONE; // FormModes.h, set by the controller's SetMode
    int HostWindow = 0;            // start parameter 3
    TBrokers* Broker = nullptr;    // owned by the form
    Variant ModeParam;             // kept by SetMode for modes 7, 8 and 10
    OleVariant ReturnValue;
    int ReturnCode = 0;
    AnsiString ModuleFileName; // the module's path, set by the controller

    // The module's start-up with the host's start parameters [user, company,
    // database, host window, open parameter]; true when it completed, an
    // exception otherwise.
    virtual bool InitializeForm(const Variant& params);
    // The command buttons follow the operation mask and the rights.
    virtual void UpdateButtonStates();

    void SetModuleFileName(const AnsiString& path) { ModuleFileName = path; }
    // Hosted unless the module path is an executable (".Exe" in any case);
    // without a path, hosted when the running executable's upper-cased path holds
    // "VORLAN", else the executable's file name becomes the module path.
    bool IsHosted();
    // The module file name up to its last digit before the first dot,
    // upper-cased: KVRX58C.so gives KVRX58; '' without a dot or without a digit
    // before it.
    void GetProgramID(AnsiString& id) const;
};

// The program ID of a module file name (path or bare name); the rule of
// GetProgramID.
AnsiString ProgramIDOfFileName(const AnsiString& fileName);
