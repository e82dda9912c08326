// The module's units as the host meets them: loading KVRX58C.so runs their initialisations, unloading it
// their finalisations. What they do shows through the class library: a field class the host lacks is
// there while the module is loaded, and code page 950 converts the suite's extension characters.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>

#include "classlib/db/db.h"
#include "classlib/rtl/codepages.h"
#include "classlib/rtl/registry.h"
#include "classlib/rtl/units.h"

namespace {

class ModuleLoadingTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A store of its own without the platform's key: the code-page fix's condition holds on 950.
        FSavedStore = RegistryFileName();
        FStore =
            std::filesystem::temp_directory_path() / ("kvr-loading-" + std::to_string(getpid()) + ".reg");
        SetRegistryFileName(FStore.string());
        FSavedACP = GetACP();
        SetACP(950);
        UnRegisterClass(TMemoField::StaticClass()); // as if the host had not registered it
    }
    void TearDown() override {
        if (FModule) dlclose(FModule);
        if (!GetClass("TMemoField")) RegisterClass(TMemoField::StaticClass());
        SetACP(FSavedACP);
        SetRegistryFileName(FSavedStore);
        std::error_code ignored;
        std::filesystem::remove(FStore, ignored);
    }
    void* FModule = nullptr;
    std::filesystem::path FStore;
    AnsiString FSavedStore;
    unsigned FSavedACP = 936;
};

TEST_F(ModuleLoadingTest, LoadingAndUnloadingRunTheUnits) {
    ASSERT_EQ(dlopen(KVR_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD), nullptr) << "the module is loaded already";
    ASSERT_EQ(GetClass("TMemoField"), nullptr);
    ASSERT_EQ(AnsiToWide("\x81\x80", 950), u"?");

    ASSERT_TRUE(InitializedUnits().empty());

    FModule = dlopen(KVR_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(FModule, nullptr) << dlerror();
    // In unit order, the main block last.
    EXPECT_EQ(InitializedUnits(),
              (std::vector<AnsiString>{"DBFieldReg", "CodePageFix", "DLLMTCtrller", "KVRX58C"}));
    EXPECT_EQ(GetClass("TMemoField"), TMemoField::StaticClass()); // the field-class registration
    EXPECT_EQ(AnsiToWide("\x81\x80", 950), u"\xA001");            // the code-page fix
    EXPECT_EQ(WideToAnsi(u"\xA001", 950), "\x81\x80");
    EXPECT_EQ(GetClass("TfrmKvrx58") != nullptr, true); // the module's own classes

    // Unloading runs the finalisations in reverse and takes away what the module registered; nothing
    // keeps the library in the process.
    ASSERT_EQ(dlclose(FModule), 0) << dlerror();
    FModule = nullptr;
    EXPECT_EQ(dlopen(KVR_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD), nullptr) << "the module stayed loaded";
    EXPECT_TRUE(InitializedUnits().empty());
    EXPECT_EQ(GetClass("TMemoField"), nullptr);
    EXPECT_EQ(GetClass("TfrmKvrx58"), nullptr);
    EXPECT_EQ(AnsiToWide("\x81\x80", 950), u"?");

    // And it loads again as it did the first time.
    FModule = dlopen(KVR_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(FModule, nullptr) << dlerror();
    EXPECT_EQ(InitializedUnits(),
              (std::vector<AnsiString>{"DBFieldReg", "CodePageFix", "DLLMTCtrller", "KVRX58C"}));
    EXPECT_EQ(GetClass("TMemoField"), TMemoField::StaticClass());
}

} // namespace
