#pragma once
// The file dialogs: TOpenDialog and TSaveDialog. Execute shows a small modal form (its name
// "OpenDialog" or "SaveDialog", the edit "FileName", the buttons "OK" and "Cancel") that the modal
// driver answers, as a user would type a name and press OK.
#include "classlib/controls/forms.h"

KVR_ENUM(TOpenOption, ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate,
         ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt,
         ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames,
         ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing);
KVR_SET(TOpenOptions, TOpenOption);

class TOpenDialog : public TComponent {
    KVR_CLASS(TOpenDialog, TComponent)
public:
    explicit TOpenDialog(TComponent* owner);

    const AnsiString& FileName() const { return FFileName; }
    void SetFileName(const AnsiString& value) { FFileName = value; }
    const AnsiString& Filter() const { return FFilter; }
    void SetFilter(const AnsiString& value) { FFilter = value; }
    int FilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(int value) { FFilterIndex = value; }
    const AnsiString& DefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const AnsiString& value) { FDefaultExt = value; }
    const AnsiString& InitialDir() const { return FInitialDir; }
    void SetInitialDir(const AnsiString& value) { FInitialDir = value; }
    const AnsiString& Title() const { return FTitle; }
    void SetTitle(const AnsiString& value) { FTitle = value; }
    TOpenOptions Options() const { return FOptions; }
    void SetOptions(TOpenOptions value) { FOptions = value; }

    // True with FileName set when the user chose a file; False when cancelled. A name without an
    // extension gets DefaultExt. With ofFileMustExist a missing file is refused with a message and
    // the dialog asks again.
    virtual bool Execute();

protected:
    virtual AnsiString DialogName() const { return "OpenDialog"; }
    // Whether the chosen name may be taken (the save dialog asks before overwriting).
    virtual bool AcceptName(const AnsiString& fileName);

private:
    AnsiString FFileName;
    AnsiString FFilter;
    int FFilterIndex = 1;
    AnsiString FDefaultExt;
    AnsiString FInitialDir;
    AnsiString FTitle;
    TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
};

class TSaveDialog : public TOpenDialog {
    KVR_CLASS(TSaveDialog, TOpenDialog)
public:
    explicit TSaveDialog(TComponent* owner) : TOpenDialog(owner) {}

protected:
    AnsiString DialogName() const override { return "SaveDialog"; }
    bool AcceptName(const AnsiString& fileName) override;
};
