#pragma once
// TfrmRadical: the root of every document form (TfrmBase, TfrmSingle, TfrmDouble and the program's
// form derive from it). It owns the form's broker, holds the start values that the host hands over,
// runs the module's start-up (InitializeForm, called by the controller), builds the user's rights from
// the server's settings list, routes the lookup keys F2, F3, F4 and F11, shows help on F1, serves the
// host's lookup interaction, and decides whether it runs inside the host or stand-alone.
//
// A program's form declares its stream and data-module class like this (the form's FormCreate creates
// the data module before the framework's creation code runs):
//
//     class TfrmX : public TfrmRadical {
//         KVR_CLASS(TfrmX, TfrmRadical)
//     public:
//         explicit TfrmX(TComponent* owner, bool load = true) : TfrmRadical(owner, false) {
//             if (load) InitInheritedComponent(this);
//         }
//         TClass DataModuleClass() override { return TdmX::StaticClass(); }
//         void FormCreate(TObject* sender) {        // published as "FormCreate"
//             CreateDataModule();
//             TfrmRadical::FormCreate(sender);
//         }
//     };
#include "classlib/controls/messages.h"
#include "framework/Brokers.h"
#include "framework/FormModes.h"
#include "framework/QVForm.h"
#include "framework/RadicalCD.h"

class TInteraParam;
class TField;

// The user's rights, elements 0 to 63 (Part of the base form's commands read them).
using TRights = TSet<int>;
// The rights first..last.
TRights RightsRange(int first, int last);

// The form's requests for its F2, F3, F4 and F11 operations; LParam is the control.
constexpr Cardinal WM_KEYF2 = 0x40A;
constexpr Cardinal WM_KEYF3 = 0x40B;
constexpr Cardinal WM_KEYF4 = 0x40C;
constexpr Cardinal WM_KEYF11 = 0x40D;

// The host lookup interaction.
constexpr Byte lmNormal = 0;
constexpr Byte lmRecording = 1;
constexpr Byte lmReplaying = 2;

class TfrmRadical : public TQVForm, public TRadicalView, public TBrokerView {
    KVR_CLASS(TfrmRadical, TQVForm)
    KVR_MESSAGES(TfrmRadical)
public:
    // A descendant passes load false and applies the streams of its class chain itself, as only its
    // own constructor knows the whole chain.
    explicit TfrmRadical(TComponent* owner, bool load = true);
    ~TfrmRadical() override;

    // Fields, in declaration order.
    int DateKind = 1;                        // date display kind 1-5 (SYS001)
    AnsiString DateSeparator;                // SYS002
    AnsiString VersionText;                  // the program's version text (the controller's GetVersion)
    TRights Rights;                          // the user's rights
    Word OperationMask = OPERATION_MASK_ALL; // operations the host allows (FormModes.h)
    TdmRadical* DataModule = nullptr;
    int SQLType = 0;      // the application server's WhatIs "SQLTYPE"
    Variant OpenParam;    // start parameter 4
    int ProductID = 3;    // the host's product identifier; 3 when it cannot be read
    AnsiString ParamText; // the controller's SetParameter
    OleVariant ParamValue;
    int OpenMode = OPEN_MODE_NONE; // FormModes.h, set by the controller's SetMode
    AnsiString PrintProgram;       // print-format key of the program
    int HostWindow = 0;            // start parameter 3
    AnsiString GroupList;          // GROUP_LIST of the server settings
    TBrokers* Broker = nullptr;    // owned by the form
    Variant ModeParam;             // kept by SetMode for modes 7, 8 and 10
    OleVariant ReturnValue;
    int ReturnCode = 0;
    AnsiString Database;
    AnsiString ClientDir;         // the client folder of the client configuration
    bool SkipDbQualifier = false; // false: the dialogs qualify table names with Database and ".."
    AnsiString ClientIniName;
    AnsiString ModuleFileName; // the module's path (set by the controller), or the executable's name
    AnsiString ExPower;        // EX_POWER of the server settings
    AnsiString CreateGifBeforeSendQZ;
    Byte LookupMode = lmNormal;
    bool FastInputEnabled = false;
    bool StartFailed = false; // a stand-alone start failed; the form closes when first painted
    Variant LookupRecord;     // the lookup recorded while LookupMode is 1
    Variant LookupReturn;     // the rows the host hands back while LookupMode is 2

    // Virtual operations, in slot order (after TQVForm's two).
    virtual void DoF2Key(Word& key, TWinControl* control);
    virtual void DoF3Key(Word& key, TWinControl* control);
    virtual void DoF4Key(Word& key, TWinControl* control);
    virtual void DoF11Key(Word& key, TWinControl* control);
    virtual void AfterFormShow();
    virtual void Reserved();
    virtual void ApplyInputSettings();
    virtual void ConnectDataModule();
    virtual void ConfigureProgram();
    virtual int RunProgram(const AnsiString& programID, const AnsiString& param);
    virtual void GetProgramName(const AnsiString& programID, AnsiString& name);
    virtual void ApplyUserSettings();
    virtual void SetupUserFields();
    // The module's start-up with the host's start parameters [user, company, database, host window,
    // open parameter]; true when it completed, an exception otherwise.
    virtual bool InitializeForm(const Variant& params);
    virtual void UpdateButtonStates();
    // The class of the form's data module; the root gives the class library's data module.
    virtual TClass DataModuleClass();
    // Dynamic operations.
    // The module file name up to its last digit before the first dot, upper-cased: KVRX58C.so gives
    // KVRX58; '' without a module file, without a dot or without a digit before it.
    virtual void GetProgramID(AnsiString& id) const;
    virtual void GetHelpContext(const AnsiString& topic, AnsiString& context);
    virtual void AfterSay();

    // Creates the data module of DataModuleClass with the form as owner (the program's FormCreate
    // calls it first); raises when the class is no TdmRadical.
    void CreateDataModule();

    void SetModuleFileName(const AnsiString& path) { ModuleFileName = path; }
    // Hosted unless the module path is an executable (".Exe" in any case, or the running executable's
    // own file name). Without a path: hosted when the running executable's upper-cased path holds
    // "VORLAN" or this code was loaded from a module rather than linked into the executable; else the
    // executable's file name becomes the module path.
    bool IsHosted();
    void SetUserRights(const AnsiString& powerData, const AnsiString& groupList, const AnsiString& exPower);
    void ShowHelp();

    void ArrangeToolBar(TWinControl* toolBar);
    void RebindDataSource(TComponent* component);
    // The broker's date picker, started from the field's date; the chosen date becomes its text.
    void PickDate(TField* field);
    void OpenLookup(TField* field, const AnsiString& table, const Variant& keys, const Variant& queryNo);
    // The lookup window for the field: the i-th value of each chosen row goes to the i-th field of the
    // comma list targets (the field itself when empty); several rows append one record each.
    void OpenLookupFor(TField* field, const AnsiString& targets, bool flag1, bool flag2, const Variant& keys,
                       const Variant& queryNo, const Variant& table);
    void PickPhrase(TField* field);

    // Conversions on the form's code converter.
    void ConvertText(Byte kind, const Variant& value, Variant& result);
    void ConvertDbText(const Variant& value, Variant& result);
    void ConvertUiText(const Variant& value, Variant& result);
    void UnconvertUiText(const Variant& value, Variant& result);
    void DbTextCallback(Variant& value);
    void UiTextCallback(Variant& value);

    // The host's lookup interaction (published; the host calls them by name).
    void GetBaseClassParam(TObject* sender, TInteraParam* param);
    void SetReturn(TObject* sender, const Variant& rows);

    // Handlers of the form stream.
    void FormCreate(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void FormDestroy(TObject* sender);
    void FormKeyDown(TObject* sender, Word& key, TShiftState shift);
    void FormKeyPress(TObject* sender, char& key);
    void FormPaint(TObject* sender);
    void FormResize(TObject* sender);
    void FormShow(TObject* sender);

    // What the data module and the broker ask of the form.
    AnsiString ViewDbToUI(const AnsiString& text) override;
    AnsiString ViewToUI(const AnsiString& text) override;
    AnsiString ViewFromUI(const AnsiString& text) override;
    AnsiString ViewUIToDb(const AnsiString& text) override;
    AnsiString ViewLangText(const AnsiString& section, const AnsiString& ident,
                            const AnsiString& def) override;
    AnsiString ViewProgramID() override;
    AnsiString ViewUICodePage() override { return GetUICodePage(); }
    AnsiString ViewClientFolder() override;
    bool ViewHasParamText() override { return !ParamText.empty(); }
    int ViewMessage(const AnsiString& text, TMsgDlgType type, TMsgDlgButtons buttons) override {
        return ShowMessageDlg(text, type, buttons);
    }
    int BrokerWindowHandle() override { return static_cast<int>(Handle()); }
    AnsiString BrokerCaption() override { return Caption(); }
    AnsiString BrokerUICodePage() override { return GetUICodePage(); }
    AnsiString BrokerSystemCodePage() override { return GetSystemCodePage(); }
    Byte BrokerUIConvertMode() override { return GetUIConvertMode(); }
    AnsiString BrokerConvertScript(const AnsiString& text, Byte mode) override;
    int BrokerProductID() override { return ProductID; }
    bool BrokerHasRight(int right, int other) override {
        return Rights.Contains(right) || Rights.Contains(other);
    }
    Byte BrokerLookupMode() override { return LookupMode; }
    void BrokerRecordLookup(const Variant& record) override { LookupRecord = record; }
    Variant BrokerLookupReturn() override { return LookupReturn; }
    void BrokerAfterSay() override { AfterSay(); }

protected:
    void CreateParams(TCreateParams& params) override;
    void WMKeyF2(TMessage& message);
    void WMKeyF3(TMessage& message);
    void WMKeyF4(TMessage& message);
    void WMKeyF11(TMessage& message);
    void WMMove(TMessage& message);

private:
    void StartStandAlone();
    void ApplyFonts();
    void PrepareDataModule();
    void FocusUnlessInGrid(TWinControl* control);
    void RepaintHostWindow();
};

// The program ID of a module file name (path or bare name); the rule of GetProgramID.
AnsiString ProgramIDOfFileName(const AnsiString& fileName);
// The rights an accepted user with an empty POWER_DATA has, and a user the server did not accept.
TRights NoProgramRights();
// True when the control is a grid (a string or data grid) or lies on one.
bool IsInGrid(const TControl* control);
