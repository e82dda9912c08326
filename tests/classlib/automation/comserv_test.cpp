#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <thread>
#include <unistd.h>
#include <vector>

#include "classlib/automation/autoobj.h"
#include "classlib/automation/comobj.h"
#include "classlib/automation/comserv.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/registry.h"

using ::testing::HasSubstr;

namespace {

const AnsiString kTestLibrary = KVR_OLETEST_LIB; // native path of the test server library

class TNamed : public TAutoObject {
public:
    explicit TNamed(AnsiString name) : FName(std::move(name)) {}
    AnsiString Name() const { return FName; }

protected:
    const TAutoMembers& Members() const override {
        static const TAutoMembers members{AutoProperty("Name", &TNamed::Name)};
        return members;
    }

private:
    AnsiString FName;
};

TOleObjectFactory Named(const AnsiString& name) {
    return [name] { return Variant(new TNamed(name)); };
}

AnsiString ErrorOf(const AnsiString& className) {
    try {
        CreateOleObject(className);
    } catch (const EOleError& e) {
        return e.Message();
    }
    return "(created)";
}

// Each test gets its own class registry file in a temporary folder.
class ClassRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kvr-classes-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        FFolder = pattern;
        SetClassRegistryFileName(FFolder + "/classes.ini");
    }
    void TearDown() override {
        SetClassRegistryFileName("");
        std::filesystem::remove_all(FFolder.c_str());
    }
    AnsiString FFolder;
};

} // namespace

TEST_F(ClassRegistryTest, FactoriesInRegistrationOrder) {
    EXPECT_EQ(ErrorOf("KvrTest.Named"), "Invalid class string 'KvrTest.Named'");
    const int first = RegisterOleObjectFactory("KvrTest.Named", Named("first"));
    EXPECT_EQ(VarGet(CreateOleObject("KVRTEST.named"), "Name").AsString(), "first");
    {
        TAutoObjectFactory second("kvrtest.NAMED", Named("second"));
        EXPECT_EQ(VarGet(CreateOleObject("KvrTest.Named"), "Name").AsString(), "second");
    }
    // Revoking the later registration brings the earlier one back, and only that one goes.
    EXPECT_EQ(VarGet(CreateOleObject("KvrTest.Named"), "Name").AsString(), "first");
    RevokeOleObjectFactory(first);
    RevokeOleObjectFactory(first);
    EXPECT_EQ(ErrorOf("KvrTest.Named"), "Invalid class string 'KvrTest.Named'");
    EXPECT_EQ(ErrorOf(""), "Invalid class string ''");

    EXPECT_THROW(RegisterOleObjectFactory("KvrTest.Empty", TOleObjectFactory()), EOleError);
    TAutoObjectFactory nothing("KvrTest.Nothing", [] { return Variant(42); });
    EXPECT_EQ(ErrorOf("KvrTest.Nothing"), "The factory of class 'KvrTest.Nothing' made no automation object");
}

TEST_F(ClassRegistryTest, LibraryFromTheClassRegistryFile) {
    EXPECT_EQ(ClassLibraryName("KvrTest.Server"), "");
    // Named relative to the file's folder, the library is found beside the file.
    const AnsiString relative = std::filesystem::relative(kTestLibrary.c_str(), FFolder.c_str()).string();
    RegisterClassLibrary("KvrTest.Server", relative);
    EXPECT_EQ(ClassLibraryName("kvrtest.server"), relative);

    Variant server = CreateOleObject("kvrtest.SERVER");
    EXPECT_EQ(VarGet(server, "Name").AsString(), "kvr test server");
    EXPECT_EQ(VarCall(server, "Next").AsInteger(), 1);
    EXPECT_EQ(VarCall(server, "Next").AsInteger(), 2);
    // Every creation is a new object.
    EXPECT_EQ(VarCall(CreateOleObject("KvrTest.Server"), "Next").AsInteger(), 1);
    // Once loaded, the library's own registration serves without the file.
    UnregisterClassLibrary("KvrTest.Server");
    EXPECT_EQ(ClassLibraryName("KvrTest.Server"), "");
    EXPECT_EQ(VarGet(CreateOleObject("KvrTest.Server"), "Name").AsString(), "kvr test server");
}

TEST_F(ClassRegistryTest, LibrariesThatDoNotServe) {
    RegisterClassLibrary("KvrTest.Missing", kTestLibrary);
    EXPECT_EQ(ErrorOf("KvrTest.Missing"),
              "Invalid class string 'KvrTest.Missing' (library '" + kTestLibrary + "' does not register it)");
    RegisterClassLibrary("KvrTest.NoFile", FFolder + "/libnothing.so");
    EXPECT_THAT(ErrorOf("KvrTest.NoFile"),
                HasSubstr("Cannot load library '" + FFolder + "/libnothing.so' of class 'KvrTest.NoFile': "));
    // A file that is missing altogether reads as empty.
    SetClassRegistryFileName(FFolder + "/none/classes.ini");
    EXPECT_EQ(ErrorOf("KvrTest.Missing"), "Invalid class string 'KvrTest.Missing'");
}

TEST_F(ClassRegistryTest, WhereTheFileIs) {
    EXPECT_EQ(ClassRegistryFileName(), FFolder + "/classes.ini");
    SetClassRegistryFileName("");
    const char* saved = std::getenv("KVR_CLASSES");
    const AnsiString savedValue = saved ? saved : "";
    ::unsetenv("KVR_CLASSES");
    SetRegistryFileName(FFolder + "/store/registry.ini");
    EXPECT_EQ(ClassRegistryFileName(), FFolder + "/store/classes.ini");
    ::setenv("KVR_CLASSES", (FFolder + "/env.ini").c_str(), 1);
    EXPECT_EQ(ClassRegistryFileName(), FFolder + "/env.ini");
    // Written entries create the folder and read back.
    SetClassRegistryFileName(FFolder + "/deep/er/classes.ini");
    RegisterClassLibrary("A.B", "liba.so");
    EXPECT_EQ(ClassLibraryName("a.b"), "liba.so");

    SetRegistryFileName("");
    if (saved)
        ::setenv("KVR_CLASSES", savedValue.c_str(), 1);
    else
        ::unsetenv("KVR_CLASSES");
}

TEST_F(ClassRegistryTest, ActiveObjects) {
    EXPECT_THROW(GetActiveOleObject("KvrTest.Active"), EOleError);
    Variant object(new TNamed("active"));
    const int registration = RegisterActiveObject(object, "KvrTest.Active");
    EXPECT_EQ(GetActiveOleObject("kvrtest.active").AsDispatch(), object.AsDispatch());
    RevokeActiveObject(registration);
    try {
        GetActiveOleObject("KvrTest.Active");
        FAIL();
    } catch (const EOleError& e) {
        EXPECT_EQ(e.Message(), "Operation unavailable 'KvrTest.Active'");
    }
    EXPECT_THROW(RegisterActiveObject(Variant(1), "KvrTest.Active"), EOleError);
}

TEST_F(ClassRegistryTest, ConcurrentRegistrationAndCreation) {
    RegisterClassLibrary("KvrTest.Server", kTestLibrary);
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t, &failures] {
            const AnsiString own = "KvrTest.Thread" + std::to_string(t);
            for (int i = 0; i < 200; ++i) {
                const int registration = RegisterOleObjectFactory(own, Named(own));
                if (VarGet(CreateOleObject(own), "Name").AsString() != own) ++failures[t];
                if (VarCall(CreateOleObject("KvrTest.Server"), "Next").AsInteger() != 1) ++failures[t];
                RevokeOleObjectFactory(registration);
            }
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}
