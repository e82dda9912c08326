#pragma once
// The stand-in spreadsheet writers' tests: a folder of their own for the files they write, removed
// afterwards, and the system code page 936 of the program's texts.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "classlib/rtl/codepages.h"
#include "readback/ReadBack.h"

class SpreadsheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device seed;
        FFolder = std::filesystem::temp_directory_path() / ("kvr-sheets-" + std::to_string(seed()));
        std::filesystem::create_directories(FFolder);
        FSavedACP = GetACP();
        SetACP(936);
    }
    void TearDown() override {
        SetACP(FSavedACP);
        std::error_code ignored;
        std::filesystem::remove_all(FFolder, ignored);
    }
    std::string Path(const char* name) const { return (FFolder / name).string(); }

    std::filesystem::path FFolder;

private:
    unsigned FSavedACP = 936;
};
