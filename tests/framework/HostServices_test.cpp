// The work-centre services and the application server as the module calls them: each wrapper must
// name the member the host object answers to, pass the arguments in the order given, see what the
// callee writes into a by-reference argument, and read the answer as the caller relies on it.
#include <gtest/gtest.h>

#include <functional>

#include "framework/AppServer.h"
#include "framework/WorkCenter.h"
#include "tests/framework/DispatchDouble.h"

namespace {

struct TCallCase {
    const char* Member;
    Variant Answer;
    std::function<Variant(const Variant& object)> Call; // the wrapper call; gives what the caller got
    std::vector<Variant> Args;                          // what the callee must have received
    Variant Expected;
};

// Equal values, arrays element by element.
bool Same(const Variant& a, const Variant& b) {
    if (VarIsArray(a) != VarIsArray(b)) return false;
    if (!VarIsArray(a)) return VarSameValue(a, b) && VarType(a) == VarType(b);
    const int low = VarArrayLowBound(a, 1), high = VarArrayHighBound(a, 1);
    if (low != VarArrayLowBound(b, 1) || high != VarArrayHighBound(b, 1)) return false;
    for (int i = low; i <= high; ++i)
        if (!Same(a.GetElement({i}), b.GetElement({i}))) return false;
    return true;
}

std::vector<TCallCase> Cases() {
    const Variant keys = VarArrayOf({"KV1", "20260101"});
    return {
        {"DependencyVersion",
         8000,
         [](const Variant& o) { return Variant(TWorkCenter(o).DependencyVersion()); },
         {},
         8000},
        {"ProductID", "7", [](const Variant& o) { return Variant(TWorkCenter(o).ProductID()); }, {}, 7},
        {"GetMessage",
         "资料已存在",
         [](const Variant& o) { return Variant(TWorkCenter(o).GetMessage("E", "000002")); },
         {"E", "000002"},
         "资料已存在"},
        {"CallHelp",
         Variant(),
         [](const Variant& o) {
             TWorkCenter(o).CallHelp(VarArrayOf({"KVR", "1158"}));
             return Variant();
         },
         {VarArrayOf({"KVR", "1158"})},
         Variant()},
        {"GetSysInfo",
         VarArrayOf({"SYS001"}),
         [](const Variant& o) { return TCounterService(o).GetSysInfo("DEMO"); },
         {"DEMO"},
         VarArrayOf({"SYS001"})},
        {"GETCOUNTER",
         5,
         [](const Variant& o) {
             return TCounterService(o).GETCOUNTER("SimpleSql", VarArrayOf({"select 1", "A", "DEMO", "N"}),
                                                  VarArrayOf({"DEMO", "DEMO"}));
         },
         {"SimpleSql", VarArrayOf({"select 1", "A", "DEMO", "N"}), VarArrayOf({"DEMO", "DEMO"})},
         5},
        {"F2GetData",
         Variant(),
         [](const Variant& o) { return TF2WindowService(o).F2GetData(VarArrayOf({"TAZMQ"})); },
         {VarArrayOf({"TAZMQ"})},
         Variant()},
        {"ShowInputDay",
         "20261210",
         [](const Variant& o) {
             return Variant(TF2WindowService(o).ShowInputDay(VarArrayOf({false, "20261201", "DEMO"})));
         },
         {VarArrayOf({false, "20261201", "DEMO"})},
         "20261210"},
        {"WhatIs",
         "20261210",
         [](const Variant& o) { return TAppServer(o).WhatIs("TODAY"); },
         {"TODAY"},
         "20261210"},
        {"SvrData",
         "M11_TABLE=KVRTA",
         [](const Variant& o) { return Variant(TAppServer(o).SvrData()); },
         {},
         "M11_TABLE=KVRTA"},
        {"Connect",
         0,
         [](const Variant& o) {
             return Variant(
                 TAppServer(o).Connect(VarArrayOf({"KVRX58", "DEMO", "DEMO", "DEMO", false, false})));
         },
         {VarArrayOf({"KVRX58", "DEMO", "DEMO", "DEMO", false, false})},
         0},
        {"SetTopRow",
         Variant(),
         [](const Variant& o) {
             TAppServer(o).SetTopRow(200);
             return Variant();
         },
         {200},
         Variant()},
        {"SetIsSeq",
         Variant(),
         [](const Variant& o) {
             TAppServer(o).SetIsSeq(true);
             return Variant();
         },
         {true},
         Variant()},
        {"GetFormat",
         "<xml/>",
         [](const Variant& o) { return Variant(TAppServer(o).GetFormat("DEMO", "KVRX58")); },
         {"DEMO", "KVRX58"},
         "<xml/>"},
        {"GetRecCount", 12, [](const Variant& o) { return Variant(TAppServer(o).GetRecCount()); }, {}, 12},
        {"GetBaseLimitedRecs",
         VarArrayOf({1, "K"}),
         [](const Variant& o) { return TAppServer(o).GetBaseLimitedRecs("D11_", "TB001='A'", 3); },
         {"D11_", "TB001='A'", 3},
         VarArrayOf({1, "K"})},
        {"DeleteConTable",
         "",
         [](const Variant& o) {
             return Variant(TAppServer(o).DeleteConTable(VarArrayOf({"s1", "DEMO", "KVRX58"})));
         },
         {VarArrayOf({"s1", "DEMO", "KVRX58"})},
         ""},
        {"ChangeConName",
         "名称重复",
         [](const Variant& o) {
             return Variant(TAppServer(o).ChangeConName(VarArrayOf({"a"}), VarArrayOf({"b"})));
         },
         {VarArrayOf({"a"}), VarArrayOf({"b"})},
         "名称重复"},
    };
}

TEST(HostServices, EachCallNamesItsMemberAndPassesItsArgumentsInOrder) {
    for (const TCallCase& c : Cases()) {
        SCOPED_TRACE(c.Member);
        TDispatchDouble* object = nullptr;
        const Variant holder = NewDispatchDouble(object);
        object->OnValue(c.Member, c.Answer);
        const Variant got = c.Call(holder);
        ASSERT_EQ(object->Calls.size(), 1u);
        EXPECT_EQ(object->Calls[0].Member, c.Member);
        ASSERT_EQ(object->Calls[0].Args.size(), c.Args.size());
        for (std::size_t i = 0; i < c.Args.size(); ++i)
            EXPECT_TRUE(Same(object->Calls[0].Args[i], c.Args[i])) << "argument " << i;
        EXPECT_TRUE(VarIsArray(c.Expected) ? Same(got, c.Expected) : VarSameValue(got, c.Expected));
    }
}

TEST(HostServices, ByReferenceAnswersReachTheCaller) {
    TDispatchDouble* validator = nullptr;
    const Variant holder = NewDispatchDouble(validator);
    validator->On("CheckValue", [](TDispArgs args) {
        EXPECT_TRUE(args[4].ByRef);
        *args[4].Value = VarArrayOf({"KV1", "信用证"});
        return Variant(true);
    });
    validator->On("QueryMaxSeq", [](TDispArgs args) {
        EXPECT_EQ(args.size(), 7u);
        *args[6].Value = "0003";
        return Variant(true);
    });
    validator->On("GetPhrase2", [](TDispArgs args) {
        *args[3].Value = "常用语";
        return Variant(0);
    });
    const TValidatorService service(holder);
    Variant row;
    EXPECT_TRUE(service.CheckValue("TAZMQ", "01", "DEMO", VarArrayOf({"KV1"}), row));
    EXPECT_EQ(row.GetElement({1}).AsString(), "信用证");
    Variant seq;
    EXPECT_TRUE(
        service.QueryMaxSeq("KVRTA", "TA001,TA002", VarArrayOf({"KV1"}), "20261210", "KVRX58", "DEMO", seq));
    EXPECT_EQ(seq.AsString(), "0003");
    Variant text;
    EXPECT_EQ(TF2WindowService(holder).GetPhrase2("DEMO", "DEMO", 0, text), 0);
    EXPECT_EQ(text.AsString(), "常用语");
}

TEST(HostServices, PropertiesAreWrittenAndServicesReadFromTheHost) {
    TDispatchDouble* host = nullptr;
    const Variant holder = NewWorkCenterDouble(8000, &host);
    const TWorkCenter center(holder);
    EXPECT_TRUE(center.Assigned());
    EXPECT_TRUE(center.Com_Validator().Assigned());
    EXPECT_TRUE(center.Com_F2Window().Assigned());
    EXPECT_TRUE(center.Com_Counter().Assigned());

    TDispatchDouble* validator = nullptr;
    const Variant v = NewDispatchDouble(validator);
    validator->On("ProductID", [](TDispArgs) { return Variant(); });
    validator->On("BaseLimited", [](TDispArgs) { return Variant(); });
    TValidatorService(v).SetProductID(3);
    TValidatorService(v).SetBaseLimited("Y");
    ASSERT_EQ(validator->Calls.size(), 2u);
    EXPECT_EQ(validator->Calls[0].Flags, DISPATCH_PROPERTYPUT);
    EXPECT_EQ(validator->Calls[0].Args.back().AsInteger(), 3);
    EXPECT_EQ(validator->Calls[1].Args.back().AsString(), "Y");
}

TEST(HostServices, FailuresReachTheCallerAsOleErrors) {
    TDispatchDouble* host = nullptr;
    const Variant holder = NewWorkCenterDouble(Variant(), &host);
    EXPECT_THROW(TWorkCenter(holder).DependencyVersion(), EOleError);          // member missing
    EXPECT_THROW(TWorkCenter(Variant()).GetMessage("E", "000001"), EOleError); // no object at all
    EXPECT_FALSE(TWorkCenter(Variant()).Assigned());
    EXPECT_FALSE(TAppServer(Variant(static_cast<IDispatch*>(nullptr))).Assigned());
    host->OnValue("ProductID", "abc");
    EXPECT_THROW(TWorkCenter(holder).ProductID(), Exception); // unreadable: the caller takes 3
}

} // namespace
