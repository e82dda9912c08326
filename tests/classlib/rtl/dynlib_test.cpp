#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "classlib/rtl/dynlib.h"
#include "classlib/rtl/files.h"

namespace {

using TAdd = int (*)(int, int);
using TName = const char* (*)();

const AnsiString kLibrary = KVR_DYNLIB_TEST; // native path of the test library

} // namespace

TEST(DynLib, LoadCallAndFree) {
    HMODULE module = LoadLibrary(SystemPath(kLibrary));
    ASSERT_NE(module, 0u) << LastLibraryError();
    EXPECT_EQ(LastLibraryError(), "");
    auto add = reinterpret_cast<TAdd>(GetProcAddress(module, "KvrTestAdd"));
    ASSERT_NE(add, nullptr) << LastLibraryError();
    EXPECT_EQ(add(2, 3), 5);
    auto name = reinterpret_cast<TName>(GetProcAddress(module, "KvrTestName"));
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name(), "kvr test library");
    EXPECT_EQ(GetModuleName(module), SystemPath(std::filesystem::absolute(kLibrary.c_str()).string()));
    EXPECT_EQ(GetModuleName(0), GetModuleFileName());

    EXPECT_EQ(GetProcAddress(module, "NoSuchFunction"), nullptr);
    EXPECT_NE(LastLibraryError().find("NoSuchFunction"), AnsiString::npos) << LastLibraryError();

    // A second load holds the library once more.
    HMODULE again = LoadLibrary(kLibrary);
    EXPECT_EQ(again, module);
    EXPECT_TRUE(FreeLibrary(again));
    EXPECT_NE(GetProcAddress(module, "KvrTestAdd"), nullptr);
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(LastLibraryError(), "");
}

TEST(DynLib, BadInputFailsWithAText) {
    EXPECT_EQ(LoadLibrary(""), 0u);
    EXPECT_NE(LastLibraryError(), "");
    EXPECT_EQ(LoadLibrary("C:\\Missing\\Module.so"), 0u);
    EXPECT_NE(LastLibraryError(), "");

    // Handles that were never given, or were freed, are refused and never used.
    HMODULE module = LoadLibrary(kLibrary);
    ASSERT_NE(module, 0u);
    ASSERT_TRUE(FreeLibrary(module));
    const HMODULE bad[] = {0, module, 12345};
    for (HMODULE h : bad) {
        EXPECT_EQ(GetProcAddress(h, "KvrTestAdd"), nullptr) << h;
        EXPECT_EQ(LastLibraryError(), "Invalid library handle");
        EXPECT_FALSE(FreeLibrary(h)) << h;
    }
    EXPECT_EQ(GetModuleName(12345), "");
}

TEST(DynLib, LoadsFromADrivePath) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kvr-dyn-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    SetDriveRoot(pattern);
    ASSERT_TRUE(ForceDirectories("C:\\Veltrane\\C_PKG"));
    std::filesystem::copy_file(kLibrary.c_str(), NativePath("C:\\Veltrane\\C_PKG\\KVRTEST.so").c_str());

    HMODULE module = LoadLibrary("C:\\Veltrane\\C_PKG\\KVRTEST.so");
    ASSERT_NE(module, 0u) << LastLibraryError();
    EXPECT_EQ(GetModuleName(module), "C:\\Veltrane\\C_PKG\\KVRTEST.so");
    auto add = reinterpret_cast<TAdd>(GetProcAddress(module, "KvrTestAdd"));
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add(-4, 1), -3);
    EXPECT_TRUE(FreeLibrary(module));

    SetDriveRoot("");
    std::error_code ec;
    std::filesystem::remove_all(pattern, ec);
}
