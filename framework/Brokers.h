#pragma once
// TBrokers: the one gateway between a document form and the host. It holds the start values, the
// system settings and the program's server settings list, the host's automation object and the three
// services it hands out (validator, lookup window, counter), and offers the code checks, lookups,
// pickers, small server requests, message texts and dialogs, and the starting of other programs.
//
// Each document form creates one with itself as owner; the form hands it to its data module, and the
// dialogs the form opens use it too. A service that is not attached answers empty (false, '',
// Unassigned), never an exception.
//
// Messages by kind letter and six-digit code (Say):
//   E error, OK                  I information, OK           Q confirmation, OK Cancel
//   C warning, OK Cancel         D warning, Yes No Cancel
//   W warning, OK Cancel; not OK with abortOnCancel raises the silent abort
//   T the error text of the code, then "是否继续?", with Yes No Cancel and Yes to all
//   any other letter: no icon, OK
// The host gives the text of the code; it is converted for the user interface, then its placeholders
// are filled with the arguments (which the callers give in the user interface's code page already).
#include <initializer_list>
#include <vector>

#include "classlib/controls/dialogs.h"
#include "classlib/objects/component.h"
#include "classlib/objects/stringlist.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/variants.h"

class TDataSet;

// What the broker asks of the document form that owns it, and all it asks; the form implements it. A
// broker whose owner is no such form answers with the defaults (code page 936, product 3, no rights,
// no recorded lookups).
class TBrokerView {
public:
    virtual int BrokerWindowHandle() = 0;
    virtual AnsiString BrokerCaption() = 0;
    virtual AnsiString BrokerUICodePage() = 0;
    virtual AnsiString BrokerSystemCodePage() = 0;
    // 0 none, 1 traditional to simplified, 2 simplified to traditional.
    virtual Byte BrokerUIConvertMode() = 0;
    // The text between the two scripts by the given mode; as it is without a converter.
    virtual AnsiString BrokerConvertScript(const AnsiString& text, Byte mode) = 0;
    virtual int BrokerProductID() = 0;
    // Whether the user holds either of the two rights.
    virtual bool BrokerHasRight(int right, int other) = 0;
    // lmNormal, lmRecording (the lookup is recorded, not shown) or lmReplaying (the host's rows answer).
    virtual Byte BrokerLookupMode() = 0;
    virtual void BrokerRecordLookup(const Variant& record) = 0;
    virtual Variant BrokerLookupReturn() = 0;
    // After every message shown.
    virtual void BrokerAfterSay() = 0;

protected:
    ~TBrokerView() = default;
};

// Bits of ServiceMask: which of the host's services AttachServices takes.
constexpr Byte smValidator = 0x02;
constexpr Byte smF2Window = 0x04;
constexpr Byte smCounter = 0x08;

// The names of the default button a Say caller may ask for (DefaultButton indexes this table).
inline constexpr const char* SayButtonNames[] = {"Yes",    "No",  "OK",      "Cancel",   "Abort", "Retry",
                                                 "Ignore", "All", "NoToAll", "YesToAll", "Help"};
constexpr int sayDefaultOK = 2;
constexpr int sayDefaultCancel = 3;

class TBrokers : public TComponent {
    KVR_CLASS(TBrokers, TComponent)
public:
    explicit TBrokers(TComponent* owner);
    ~TBrokers() override;

    // Fields, in declaration order.
    AnsiString ProgramID;
    AnsiString UserID;    // start parameter 0
    AnsiString Group;     // USER_GROUP of the server settings
    AnsiString CompanyID; // start parameter 1
    AnsiString Database;  // start parameter 2
    AnsiString ProgramAttr6;
    AnsiString ProgramAttr5;
    AnsiString ProgramName; // the catalogue's name (its English name on an English user interface)
    AnsiString PrintProgram;
    AnsiString TxnServer;
    AnsiString TxnProgram;
    TStringList* SysSettings; // name=value lines of GetSysInfo
    Byte ServiceMask = 15;    // smValidator | smF2Window | smCounter (and bit 0x01, unused)
    Variant HostApp;          // the host's automation object
    Variant F2Window;         // Com_F2Window
    Variant Validator;        // Com_Validator
    Variant Counter;          // Com_Counter
    TStringList* SvrSettings; // name=value lines of the application server's SvrData
    bool CatalogFlag = false; // column 7 of the catalogue row is "Y"
    Byte ProgramKind = 0;     // column 8: "W" 1, "E" 2, "Z" 3, else 0

    // The owner as the form the broker serves; nil when the owner is something else.
    TBrokerView* View() const;

    // ---- settings ----
    void SetSysSetting(const AnsiString& name, const AnsiString& value);
    AnsiString GetSysSetting(const AnsiString& name) const;
    AnsiString GetSvrSetting(const AnsiString& name) const { return SvrSettings->Values(name); }
    // MAX_RECORD as an integer (0 when empty or no number), at most 40.
    int MaxRecord() const;
    const AnsiString& GetProgramName() const { return ProgramName; }
    const AnsiString& GetPrintProgram() const { return PrintProgram; }
    AnsiString GetTxnServerText() const { return TxnServer + ";" + TxnProgram; }

    // ---- start-up ----
    // Takes the services of ServiceMask from the host and reads the program's catalogue row; false
    // (after three beeps) without a host object or when that fails.
    bool AttachServices();
    void LoadProgramInfo();
    // The system settings of the company from the counter; false when it gives none.
    bool LoadSysSettings();

    // ---- code checks (every failure answers false) ----
    bool CheckValue(const AnsiString& table, const AnsiString& checkNo, Variant& row, const Variant& keys);
    bool QueryData(const AnsiString& table, const AnsiString& checkNo, Variant& row, const Variant& keys);
    // The next number of a document: the key values are the texts of keyFields but the last, read
    // from the data set's current record. "unKnow" when the validator has none.
    void QueryMaxSeq(TDataSet* dataSet, const AnsiString& table, Variant& result, const AnsiString& dateText,
                     const AnsiString& keyFields);

    // ---- lookups ----
    // The host's lookup window; Rows receives the chosen rows (each an array of column values), or
    // Unassigned. While the form records or replays the host's lookup interaction the call goes to
    // RecordLookup instead. Window 0 is the form's window; spare is not used.
    void OpenF2Window(const Variant& table, const Variant& queryNo, Variant& rows, const AnsiString& text1,
                      const AnsiString& text2, const AnsiString& text3, int window, const AnsiString& spare,
                      bool flag1, bool flag2, const AnsiString& current, const Variant& keys);
    // The 19-element array that OpenF2Window hands the lookup window.
    Variant LookupParams(const Variant& table, const Variant& queryNo, const AnsiString& text1,
                         const AnsiString& text2, const AnsiString& text3, int window, bool flag1, bool flag2,
                         const AnsiString& current, const Variant& keys) const;
    void RecordLookup(const Variant& table, const Variant& queryNo, Variant& rows, const AnsiString& text1,
                      const AnsiString& text2, const AnsiString& text3, const AnsiString& current,
                      const Variant& keys);

    // ---- pickers of the lookup-window service ----
    AnsiString ShowInputDay(bool rocYear, const AnsiString& dateText);
    AnsiString PickPhrase(const AnsiString& text);
    void ShowCharacters(int kind, bool flag, Variant& result, int window, const AnsiString& company,
                        const AnsiString& user);
    AnsiString GetCalcValue(const AnsiString& text);

    // ---- counter requests ----
    void CallCounter(const AnsiString& name, const Variant& params, Variant& result);
    // The catalogue name of another program (column 1, the English name, on an English user
    // interface); the ID itself when the catalogue has none.
    AnsiString GetProgramNameOf(const AnsiString& id);

    // ---- messages ----
    // The host's text of a kind and code, with its placeholders; '' without a host.
    AnsiString GetMessageText(const AnsiString& kind, const AnsiString& code);
    // The message dialog of a kind and code; its modal result (1 OK, 2 Cancel, 6 Yes, 7 No, 10 Yes to
    // all). codePage is not used (every caller passes 936); defaultButton indexes SayButtonNames.
    int Say(const AnsiString& kind, const AnsiString& code, std::initializer_list<TVarRec> args = {},
            int codePage = 936, bool abortOnCancel = false, int defaultButton = sayDefaultOK);
    int Say(const AnsiString& kind, const AnsiString& code, const std::vector<TVarRec>& args, int codePage,
            bool abortOnCancel, int defaultButton);
    int ShowMessageDialog(const AnsiString& text, TMsgDlgType dialogType, TMsgDlgButtons buttons,
                          Byte convertMode, int defaultButton = sayDefaultOK);

    // ---- starting programs ----
    // The host's ExecWork; -1 without a host. With showErrors a negative answer is reported (E 000032
    // with the text of the code); the answer is returned either way.
    int ExecWork(const AnsiString& programID, const Variant& param1, bool showErrors, Variant& result,
                 const Variant& param2 = Variant());
    // The host's ExecWork of a command (printing); its answer, -1 without a host.
    int ExecWorkCommand(const Variant& target, const Variant& data);
    // 1 a sign-off job through the counter, 2 a message through the pager, 3 a task message through the
    // host.
    bool SendQZJob(int kind, const Variant& data);

    // The texts of ExecWork's answers -1 to -7 ('' for other codes), with "%s" for the program name.
    static AnsiString ExecWorkErrorText(int rc);

private:
    void PrepareValidator();
    // The validator's CheckValue (the first row) or QueryData (all rows); every failure is false.
    bool AskValidator(bool allRows, const AnsiString& table, const AnsiString& checkNo, Variant& row,
                      const Variant& keys);
    int WindowHandle() const;
    AnsiString UICodePage() const;
    Byte UIConvertMode() const;
    // A text of the program's code page shown in the user interface's (BIG5 to GB, GB to BIG5 or none).
    AnsiString ConvertForUI(const AnsiString& text) const;
};
