#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <thread>
#include <vector>

#include "classlib/automation/autoobj.h"
#include "classlib/automation/comobj.h"

using ::testing::HasSubstr;

namespace {

int gLive = 0; // TSample objects alive

// Three methods and a property as the system's stand-ins write them, and a few members that show the
// corners: a variadic member, an indexed property, a read-only one, a member that raises.
class TSample : public TAutoObject {
public:
    TSample() { ++gLive; }
    ~TSample() override { --gLive; }

    int Add(int a, int b) { return a + b; }
    // Fills text when the code is known, as the host's message lookup does.
    bool GetMessage(const AnsiString& kind, int code, Variant& text) {
        if (code == 0) return false;
        text = kind + "-" + std::to_string(code);
        return true;
    }
    void Connect() { ++FConnects; }
    Variant Sum(TDispArgs args) {
        double total = 0;
        for (const TDispArg& arg : args)
            total += arg.Value->AsFloat();
        return total;
    }
    void Fail(const AnsiString& text) { throw EConvertError(text); }
    void Unanswered() { throw ENoModalAnswer("The dialog \"x\" waits for an answer"); }
    // Lets go of the caller's variable, which may hold the last reference to this object.
    // -1 when clearing the holder freed the object while its own call still ran.
    int Drop(Variant& holder) {
        const int live = gLive;
        holder.Clear();
        return gLive == live ? FConnects : -1;
    }
    Variant Self() { return Variant(this); }

    AnsiString Caption() const { return FCaption; }
    void SetCaption(const AnsiString& value) { FCaption = value; }
    int Connects() const { return FConnects; }
    Variant Item(int index) const { return index >= 0 && index < 3 ? FItems[index] : Variant(); }
    void SetItem(int index, const Variant& value) {
        if (index >= 0 && index < 3) FItems[index] = value;
    }

protected:
    const TAutoMembers& Members() const override {
        static const TAutoMembers members{
            AutoMethod("Add", &TSample::Add),
            AutoMethod("GetMessage", &TSample::GetMessage),
            AutoMethod("Connect", &TSample::Connect),
            AutoMethod("Sum", &TSample::Sum),
            AutoMethod("Fail", &TSample::Fail),
            AutoMethod("Unanswered", &TSample::Unanswered),
            AutoMethod("Drop", &TSample::Drop),
            AutoMethod("Self", &TSample::Self),
            AutoProperty("Caption", &TSample::Caption, &TSample::SetCaption),
            AutoProperty("Connects", &TSample::Connects),
            AutoProperty("Item", &TSample::Item, &TSample::SetItem),
        };
        return members;
    }

private:
    AnsiString FCaption = "start";
    int FConnects = 0;
    Variant FItems[3];
};

// A descendant adds a member and replaces one of its parent's.
class TDerived : public TSample {
public:
    int Add(int a, int b) { return 100 + a + b; }
    AnsiString Kind() const { return "derived"; }

protected:
    const TAutoMembers& Members() const override {
        static const TAutoMembers members{
            TSample::Members(), {AutoMethod("Add", &TDerived::Add), AutoProperty("Kind", &TDerived::Kind)}};
        return members;
    }
};

// Names that show how members are told apart: past the eighth byte, by a double-byte character, longer
// than a short name and of a letter or two.
class TNames : public TAutoObject {
public:
    static constexpr const char* LongName =
        "AVeryLongMemberNameOfMoreThanSixtyFourBytesThatFewTablesWouldHoldButOneMay";

protected:
    const TAutoMembers& Members() const override {
        static const TAutoMembers members{
            AutoProperty("LongName1", &TNames::One), AutoProperty("LongName2", &TNames::Two),
            AutoProperty("發票No", &TNames::Three),  AutoProperty(LongName, &TNames::Four),
            AutoProperty("A", &TNames::Five),        AutoProperty("Id", &TNames::Six),
        };
        return members;
    }

private:
    int One() const { return 1; }
    int Two() const { return 2; }
    int Three() const { return 3; }
    int Four() const { return 4; }
    int Five() const { return 5; }
    int Six() const { return 6; }
};

class AutomationTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(gLive, 0) << "a dispatch object leaked"; }
};

AnsiString MessageOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const Exception& e) {
        return AnsiString(e.ClassName()) + ": " + e.Message();
    }
    return "(no exception)";
}

} // namespace

TEST_F(AutomationTest, LateBoundCallsByName) {
    Variant object(new TSample);
    struct Case {
        const char* what;
        std::function<Variant()> call;
        Variant expected;
    };
    const Case cases[] = {
        {"method",
         [&] {
             return VarCall(object, "Add", {2, 3});
         },
         5},
        {"names without case",
         [&] {
             return VarCall(object, "aDD", {"4", 5.0});
         },
         9},
        {"property read", [&] { return VarGet(object, "Caption"); }, "start"},
        {"property read with call syntax", [&] { return VarCall(object, "CAPTION"); }, "start"},
        {"method without arguments read like a property", [&] { return VarGet(object, "Connect"); },
         Variant()},
        {"variadic member",
         [&] {
             return VarCall(object, "Sum", {1, 2.5, "3"});
         },
         6.5},
        {"variadic member, no arguments", [&] { return VarCall(object, "Sum"); }, 0.0},
        {"indexed property, unset", [&] { return VarGet(object, "Item", {1}); }, Variant()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Variant result = c.call();
        EXPECT_EQ(result.VType(), c.expected.VType());
        EXPECT_TRUE(VarSameValue(result, c.expected)) << VarToStr(result);
    }
    EXPECT_EQ(VarGet(object, "Connects").AsInteger(), 1);

    VarSet(object, "caption", "信用证");
    EXPECT_EQ(VarGet(object, "Caption").AsString(), "信用证");
    VarSet(object, "Item", {2}, 42);
    EXPECT_EQ(VarGet(object, "Item", {2}).AsInteger(), 42);

    // A long argument list, built at run time.
    std::vector<TOleArg> many;
    for (int i = 1; i <= 20; ++i)
        many.emplace_back(i);
    EXPECT_EQ(VarCall(object, "Sum", many).AsInteger(), 210);
}

TEST_F(AutomationTest, NamesMatchWithoutTheCaseOfTheirLetters) {
    Variant object(new TNames);
    AnsiString longLower = TNames::LongName;
    for (char& c : longLower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    struct Case {
        const char* what;
        AnsiString name;
        int expected; // 0: no such member
    };
    const Case cases[] = {
        {"letters in any case", "longNAME1", 1},
        {"the ninth byte tells two names apart", "LONGNAME2", 2},
        {"nor a name that differs past the eighth byte", "LongName3", 0},
        {"a prefix is another name", "LongName", 0},
        {"a trailing NUL is another name", AnsiString("LongName1\0", 10), 0},
        {"letters beside a double-byte character", "發票NO", 3},
        // The second byte of 發 is 'l'; 癓 is the character whose second byte is 'L'.
        {"the second byte of a double-byte character is no letter", "癓票No", 0},
        {"a name longer than a short one", longLower, 4},
        {"names of one and two letters", "a", 5},
        {"names of one and two letters", "iD", 6},
        {"nor an empty name", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.expected)
            EXPECT_EQ(VarGet(object, c.name).AsInteger(), c.expected);
        else
            EXPECT_EQ(MessageOf([&] { VarGet(object, c.name); }),
                      "EOleError: Method '" + c.name + "' not supported by automation object");
    }
}

TEST_F(AutomationTest, ByReferenceArgumentsReachTheCaller) {
    Variant object(new TSample);
    Variant text = "unchanged";
    EXPECT_FALSE(VarCall(object, "GetMessage", {"E", 0, ByRef(text)}).AsBoolean());
    EXPECT_EQ(text.AsString(), "unchanged");
    EXPECT_TRUE(VarCall(object, "GetMessage", {"E", 123, ByRef(text)}).AsBoolean());
    EXPECT_EQ(text.AsString(), "E-123");

    // Passed by value, the caller's variable stays as it was whatever the callee does.
    Variant copy = "unchanged";
    EXPECT_TRUE(VarCall(object, "GetMessage", {"W", 7, copy}).AsBoolean());
    EXPECT_EQ(copy.AsString(), "unchanged");
}

TEST_F(AutomationTest, ErrorsNameTheMember) {
    Variant object(new TSample);
    Variant integer = 5;
    Variant none;
    Variant unset(static_cast<IDispatch*>(nullptr));
    struct Case {
        const char* what;
        std::function<void()> call;
        const char* expected;
    };
    const Case cases[] = {
        {"unknown method", [&] { VarCall(object, "Foo", {1}); },
         "EOleError: Method 'Foo' not supported by automation object"},
        {"unknown property read", [&] { VarGet(object, "Bar"); },
         "EOleError: Method 'Bar' not supported by automation object"},
        {"unknown property write", [&] { VarSet(object, "Baz", 1); },
         "EOleError: Method 'Baz' not supported by automation object"},
        {"call on an integer", [&] { VarCall(integer, "Connect"); },
         "EOleError: Variant does not reference an automation object (calling 'Connect')"},
        {"read on an empty value", [&] { VarGet(none, "AppServer"); },
         "EOleError: Variant does not reference an automation object (reading 'AppServer')"},
        {"write on an unset object", [&] { VarSet(unset, "Caption", "x"); },
         "EOleError: Variant does not reference an automation object (writing 'Caption')"},
        {"read-only property", [&] { VarSet(object, "Connects", 3); },
         "EOleError: Property 'Connects' is read-only"},
        {"assigning a method", [&] { VarSet(object, "Add", 3); },
         "EOleError: Member 'Add' is a method and cannot be assigned"},
        {"too few arguments", [&] { VarCall(object, "Add", {1}); },
         "EOleError: Invalid number of parameters for 'Add': 2 expected, 1 given"},
        {"too many arguments", [&] { VarCall(object, "Connect", {1}); },
         "EOleError: Invalid number of parameters for 'Connect': 0 expected, 1 given"},
        // What the callee raises comes back as the server's failure, with its text.
        {"callee raises", [&] { VarCall(object, "Fail", {"单据号重复"}); }, "EOleException: 单据号重复"},
        {"argument that does not convert",
         [&] {
             VarCall(object, "Add", {"abc", 1});
         },
         "EOleException: Could not convert variant of type (String) into type (Integer)"},
        // A window nobody answers ends the driven session, whatever call it is behind.
        {"window left unanswered", [&] { VarCall(object, "Unanswered"); },
         "ENoModalAnswer: The dialog \"x\" waits for an answer"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MessageOf(c.call), c.expected) << c.what;

    try {
        VarCall(object, "Fail", {"x"});
        FAIL();
    } catch (const EOleException& e) {
        EXPECT_STREQ(e.ClassName(), "EOleException");
        EXPECT_EQ(e.ErrorClass(), "EConvertError");
    }
    // The object is still whole after every failure.
    EXPECT_EQ(VarCall(object, "Add", {1, 1}).AsInteger(), 2);
}

TEST_F(AutomationTest, DescendantsInheritTheTable) {
    Variant object(new TDerived);
    EXPECT_EQ(VarCall(object, "Add", {1, 2}).AsInteger(), 103);
    EXPECT_EQ(VarGet(object, "Kind").AsString(), "derived");
    VarSet(object, "Caption", "x");
    EXPECT_EQ(VarGet(object, "caption").AsString(), "x");
}

TEST_F(AutomationTest, ReferenceCounting) {
    auto* raw = new TSample;
    EXPECT_EQ(raw->RefCount(), 0);
    {
        Variant a(raw);
        EXPECT_EQ(raw->RefCount(), 1);
        Variant b = a;
        std::vector<Variant> many(10, a);
        EXPECT_EQ(raw->RefCount(), 12);
        Variant array = VarArrayOf({a, b});
        EXPECT_EQ(raw->RefCount(), 14);
        EXPECT_EQ(VarAsObject<TSample>(array[0]), raw);
        EXPECT_EQ(VarAsObject<TDerived>(a), nullptr);
        // A method answering the object itself hands out one more reference, and no more.
        Variant self = VarCall(a, "Self");
        EXPECT_EQ(raw->RefCount(), 15);
        EXPECT_EQ(self.AsDispatch(), raw);
    }
    EXPECT_EQ(gLive, 0);

    // A callee that drops the caller's only reference runs to its end and is freed after the call.
    Variant holder(new TSample);
    VarCall(holder, "Connect");
    EXPECT_EQ(VarCall(holder, "Drop", {ByRef(holder)}).AsInteger(), 1);
    EXPECT_TRUE(VarIsEmpty(holder));
    EXPECT_EQ(gLive, 0);
}

TEST_F(AutomationTest, ReferenceCountingAcrossThreads) {
    Variant object(new TSample);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&object] {
            for (int i = 0; i < 10000; ++i) {
                Variant copy = object;
                Variant another = copy;
            }
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(VarAsObject<TSample>(object)->RefCount(), 1);
    object.Clear();
    EXPECT_EQ(gLive, 0);
}

TEST_F(AutomationTest, TablesRefuseADuplicateName) {
    EXPECT_THROW((TAutoMembers{AutoMethod("Add", &TSample::Add), AutoMethod("ADD", &TSample::Connect)}),
                 EOleError);
}
