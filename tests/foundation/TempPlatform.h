#pragma once
// A platform installation in a temporary folder: the registry store, the drive folders and the clock
// are pointed there for the test and put back afterwards, so no test reads or writes the real ones.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <random>
#include <string>
#include <utility>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/registry.h"
#include "classlib/rtl/types.h"
#include "foundation/VeltraneIni.h"

class TempPlatform : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device seed;
        FRoot = std::filesystem::temp_directory_path() /
                ("kvr-foundation-" + std::to_string(seed()) + "-" + std::to_string(seed()));
        std::filesystem::create_directories(FRoot);
        FSavedTmpDir = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
        FHadTmpDir = std::getenv("TMPDIR") != nullptr;
        // The temporary folder of the system routines lies inside the test's folder too.
        std::filesystem::create_directories(FRoot / "tmp");
        setenv("TMPDIR", (FRoot / "tmp").c_str(), 1);
        SetDriveRoot((FRoot / "drives").string());
        SetRegistryFileName((FRoot / "registry.ini").string());
        FSavedACP = GetACP();
        SetACP(936);
    }

    void TearDown() override {
        ResetNowForTesting();
        SetACP(FSavedACP);
        SetRegistryFileName("");
        SetDriveRoot("");
        if (FHadTmpDir)
            setenv("TMPDIR", FSavedTmpDir.c_str(), 1);
        else
            unsetenv("TMPDIR");
        std::error_code ignored;
        std::filesystem::remove_all(FRoot, ignored);
    }

    // The platform's registry key with these values (name, value); the key alone when none are given.
    void SetPlatformKey(std::initializer_list<std::pair<const char*, AnsiString>> values) {
        TRegistry registry;
        registry.SetRootKey(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(registry.OpenKey(VeltraneRegistryKey, true));
        for (const auto& [name, value] : values)
            registry.WriteString(name, value);
    }

    // Writes a file (a system path such as "C:\Veltrane\VeltraneC.ini"), creating its folder.
    static void WriteFile(const AnsiString& fileName, const AnsiString& content) {
        ASSERT_TRUE(ForceDirectories(ExtractFileDir(fileName)));
        ASSERT_TRUE(SaveFileBytes(fileName, content));
    }

    static AnsiString ReadFile(const AnsiString& fileName) {
        AnsiString content;
        ReadFileBytes(fileName, content);
        return content;
    }

    std::filesystem::path FRoot;

private:
    std::string FSavedTmpDir;
    bool FHadTmpDir = false;
    unsigned FSavedACP = 936;
};
