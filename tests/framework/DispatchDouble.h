#pragma once
// A test double for the host's work-centre object, its services and the application server: a
// dispatch object that records every late-bound call (member, invoke kind, arguments) and answers
// from a table set up by the test. A member the table lacks fails as on a real object ("not
// supported"), so a test can also leave a member out on purpose.
#include <atomic>
#include <functional>
#include <map>
#include <vector>

#include "classlib/automation/comobj.h"
#include "classlib/rtl/strutils.h"
#include "classlib/rtl/variants.h"

class TDispatchDouble : public IDispatch {
public:
    struct TCall {
        AnsiString Member;
        Word Flags = 0;
        std::vector<Variant> Args; // as they came in
    };
    // Answers a call; may change by-reference arguments through args[i].Value.
    using TAnswer = std::function<Variant(TDispArgs args)>;

    void AddRef() override { ++FRefs; }
    void Release() override {
        if (--FRefs == 0) delete this;
    }

    TDispatchDouble& On(const AnsiString& member, TAnswer answer) {
        FAnswers[UpperCase(member)] = std::move(answer);
        return *this;
    }
    TDispatchDouble& OnValue(const AnsiString& member, const Variant& value) {
        return On(member, [value](TDispArgs) { return value; });
    }
    void Remove(const AnsiString& member) { FAnswers.erase(UpperCase(member)); }

    Variant Invoke(const AnsiString& name, Word flags, TDispArgs args) override {
        TCall call{name, flags, {}};
        for (const TDispArg& arg : args)
            call.Args.push_back(*arg.Value);
        Calls.push_back(call);
        auto it = FAnswers.find(UpperCase(name));
        if (it == FAnswers.end()) return IDispatch::Invoke(name, flags, args);
        return it->second(args);
    }

    int CallCount(const AnsiString& member) const {
        int count = 0;
        for (const TCall& call : Calls)
            if (SameText(call.Member, member)) ++count;
        return count;
    }

    std::vector<TCall> Calls;

private:
    ~TDispatchDouble() override = default;
    std::atomic<int> FRefs{0};
    std::map<AnsiString, TAnswer> FAnswers;
};

// A new double held by the Variant; double receives the object to set it up.
inline Variant NewDispatchDouble(TDispatchDouble*& object) {
    object = new TDispatchDouble;
    return Variant(static_cast<IDispatch*>(object));
}

// A host object as the controller's version check sees it: DependencyVersion (left out when version
// is Unassigned), ProductID 3, GetMessage "kind+code" and three services that know nothing.
inline Variant NewWorkCenterDouble(const Variant& version, TDispatchDouble** out = nullptr) {
    TDispatchDouble* host = nullptr;
    Variant result = NewDispatchDouble(host);
    if (!VarIsEmpty(version)) host->OnValue("DependencyVersion", version);
    host->OnValue("ProductID", 3);
    host->On("GetMessage",
             [](TDispArgs args) { return Variant(args[0].Value->AsString() + args[1].Value->AsString()); });
    // The services answer what the form's start-up asks of them: no catalogue row, no settings.
    for (const char* service : {"Com_Validator", "Com_F2Window", "Com_Counter"}) {
        TDispatchDouble* object = nullptr;
        const Variant value = NewDispatchDouble(object);
        object->OnValue("CheckValue", false);
        object->OnValue("GetSysInfo", Variant());
        host->OnValue(service, value);
    }
    if (out) *out = host;
    return result;
}
