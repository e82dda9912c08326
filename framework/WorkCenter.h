#pragma once
// The host's automation object "VorlanWorkCenter.Manager" and the services it hands out, as the module
// calls them: every call is late bound by name on the object the host gave us, so these classes hold
// only the Variant and name the members, their arguments and their answers in one place. A failure of
// the callee (or a member the object lacks) reaches the caller as EOleError; readers that must not
// fail catch it where the caller's rule says so (ProductID is taken as 3, for example).
#include <vector>

#include "classlib/rtl/variants.h"

// The validation service (Com_Validator).
class TValidatorService {
public:
    TValidatorService() = default;
    explicit TValidatorService(const Variant& object) : FObject(object) {}
    const Variant& Object() const { return FObject; }
    bool Assigned() const { return VarIsDispatch(FObject) && !VarIsEmpty(FObject); }

    // Written before each check.
    void SetProductID(int value) const;
    void SetBaseLimited(const Variant& value) const;
    // True when a row was found; Row then holds it as an array of column values.
    bool CheckValue(const AnsiString& table, const AnsiString& checkNo, const AnsiString& database,
                    const Variant& keys, Variant& row) const;
    bool QueryData(const AnsiString& table, const AnsiString& checkNo, const AnsiString& database,
                   const Variant& keys, Variant& row) const;
    // True with the next sequence text in Result.
    bool QueryMaxSeq(const AnsiString& table, const AnsiString& keyFields, const Variant& keyValues,
                     const AnsiString& dateText, const AnsiString& programID, const AnsiString& database,
                     Variant& result) const;

private:
    Variant FObject;
};

// The lookup-window service (Com_F2Window).
class TF2WindowService {
public:
    TF2WindowService() = default;
    explicit TF2WindowService(const Variant& object) : FObject(object) {}
    const Variant& Object() const { return FObject; }
    bool Assigned() const { return VarIsDispatch(FObject) && !VarIsEmpty(FObject); }

    // The 19-element lookup array; the chosen rows (each an array of column values), or an empty value
    // when nothing was chosen.
    Variant F2GetData(const Variant& params) const;
    // [ROC-year flag, date as YYYYMMDD, database]: the chosen date as YYYYMMDD, or ''.
    AnsiString ShowInputDay(const Variant& params) const;
    // Negative when cancelled; otherwise Text holds the chosen phrase.
    int GetPhrase2(const AnsiString& user, const AnsiString& company, int window, Variant& text) const;
    // The chosen characters.
    Variant ShowCharaters(const AnsiString& user, const AnsiString& company, Variant& kind,
                          const Variant& flag, const AnsiString& windowText) const;
    // The calculator's result text.
    Variant GetCalcValue(Variant& text, int window) const;

private:
    Variant FObject;
};

// The counter service (Com_Counter): system settings and small server requests.
class TCounterService {
public:
    TCounterService() = default;
    explicit TCounterService(const Variant& object) : FObject(object) {}
    const Variant& Object() const { return FObject; }
    bool Assigned() const { return VarIsDispatch(FObject) && !VarIsEmpty(FObject); }

    // A two-dimensional array: [0, i] the name and [1, i] the value of system setting i.
    Variant GetSysInfo(const AnsiString& company) const;
    // Name and Params as the request table of the application-server calls lists them; CompanyDb is
    // [company, database].
    Variant GETCOUNTER(const AnsiString& name, const Variant& params, const Variant& companyDb) const;

private:
    Variant FObject;
};

// The host object itself (HostApp).
class TWorkCenter {
public:
    TWorkCenter() = default;
    explicit TWorkCenter(const Variant& object) : FObject(object) {}
    const Variant& Object() const { return FObject; }
    bool Assigned() const { return VarIsDispatch(FObject) && !VarIsEmpty(FObject); }

    int DependencyVersion() const;
    void Connect() const; // once, in a stand-alone start
    TValidatorService Com_Validator() const;
    TF2WindowService Com_F2Window() const;
    TCounterService Com_Counter() const;
    int ProductID() const; // raises when it cannot be read; readers use 3 then
    // The text of a kind letter and a six-digit code; it may hold placeholders that Say fills.
    AnsiString GetMessage(const AnsiString& kind, const AnsiString& code) const;
    // Starts another program. Caller is [user, company, program ID, window handle] (or without the
    // handle); 0 or more on success, -1 to -7 for the errors the broker reports.
    int ExecWork(const Variant& caller, const Variant& param1, const Variant& param2, Variant& mode,
                 Variant& result) const;
    // Topic is [system code, help context].
    void CallHelp(const Variant& topic) const;

private:
    Variant FObject;
};

// The task-message pager ("QVNPagerC.Class1", created when needed).
class TPagerService {
public:
    static constexpr const char* ProgID = "QVNPagerC.Class1";
    TPagerService() = default;
    explicit TPagerService(const Variant& object) : FObject(object) {}
    const Variant& Object() const { return FObject; }

    // User, [company, program ID], the text, and an unassigned value.
    void ShowSendVorlan(const AnsiString& user, const Variant& companyProgram, const Variant& text) const;

private:
    Variant FObject;
};
