#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "classlib/rtl/dynlib.h"

namespace {

using TConvert = const char* (*)(const char*);
using TProcedure = void (*)();

// The library as its caller finds it: by name, beside the executable.
HMODULE Translator() {
    static HMODULE handle = LoadLibrary("Qvlanguage.so");
    return handle;
}

class QvlanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        FHandle = Translator();
        ASSERT_NE(FHandle, 0u) << LastLibraryError();
        FGBToBIG5 = reinterpret_cast<TConvert>(GetProcAddress(FHandle, "GBtoBIG5"));
        FBIG5ToGB = reinterpret_cast<TConvert>(GetProcAddress(FHandle, "BIG5toGB"));
        ASSERT_NE(FGBToBIG5, nullptr);
        ASSERT_NE(FBIG5ToGB, nullptr);
    }

    // The input in a buffer of exactly its size plus the NUL, so that a read past it is caught.
    static std::string Call(TConvert convert, const std::string& text) {
        std::vector<char> exact(text.begin(), text.end());
        exact.push_back('\0');
        const char* result = convert(exact.data());
        EXPECT_NE(result, nullptr);
        return result != nullptr ? result : "";
    }
    static std::string GBToBIG5(const std::string& text) { return Call(FGBToBIG5, text); }
    static std::string BIG5ToGB(const std::string& text) { return Call(FBIG5ToGB, text); }

    static HMODULE FHandle;
    static TConvert FGBToBIG5;
    static TConvert FBIG5ToGB;
};

HMODULE QvlanguageTest::FHandle = 0;
TConvert QvlanguageTest::FGBToBIG5 = nullptr;
TConvert QvlanguageTest::FBIG5ToGB = nullptr;

// BIG5 bytes of the characters used below.
const std::string kJian = "\xC2\xB2";  // 簡
const std::string kTi = "\xC5\xE9";    // 體
const std::string kZhong = "\xA4\xA4"; // 中
const std::string kWen = "\xA4\xE5";   // 文
const std::string kGuo = "\xB0\xEA";   // 國
const std::string kZhe = "\xB3\x6F";   // 這
const std::string kFa = "\xB5\x6F";    // 發

struct TPair {
    std::string GB;   // code page 936, as the compiler writes narrow literals
    std::string BIG5; // code page 950
};

const TPair kPairs[] = {
    {"简体中文", kJian + kTi + kZhong + kWen},
    {"ABC 国这发 123", "ABC " + kGuo + kZhe + kFa + " 123"},
    {"plain ASCII, (punctuation) 1.5%", "plain ASCII, (punctuation) 1.5%"},
    {"", ""},
    {"中文，", kZhong + kWen + "\xA1\x41"}, // the full-width comma
    // Forms BIG5 holds where the transform's own are not in BIG5: 啟 (not 啓), 鉤 (not 鈎), 豎 (not 竪).
    {"开启钩竖", "\xB6\x7D\xB1\xD2\xB9\x5F\xBD\xDD"},
};

} // namespace

TEST_F(QvlanguageTest, BindsTheEntryPointsByName) {
    for (const char* name : {"GetBIG5Data", "GetGBData", "SaveOrder"}) {
        auto procedure = reinterpret_cast<TProcedure>(GetProcAddress(FHandle, name));
        ASSERT_NE(procedure, nullptr) << name;
        procedure();
    }
}

TEST_F(QvlanguageTest, ConvertsBothWays) {
    for (const TPair& pair : kPairs) {
        SCOPED_TRACE(pair.GB);
        EXPECT_EQ(GBToBIG5(pair.GB), pair.BIG5);
        EXPECT_EQ(BIG5ToGB(pair.BIG5), pair.GB);
    }
    // Traditional characters written in GB stay traditional; simplified ones reached from BIG5 stay so.
    EXPECT_EQ(GBToBIG5("簡體"), kJian + kTi);
    EXPECT_EQ(GBToBIG5("简體"), kJian + kTi);
}

TEST_F(QvlanguageTest, UnmappableAndBrokenInputBecomesTheDefaultCharacter) {
    struct TCase {
        const char* Name;
        TConvert* Convert;
        std::string Input;
        std::string Expected;
    };
    const TCase cases[] = {
        {"GB character BIG5 lacks", &FGBToBIG5, "a丂b", "a?b"},
        {"GB lone lead byte at the end", &FGBToBIG5, "abc\xB0", "abc?"},
        {"GB lone lead byte alone", &FGBToBIG5, "\xB0", "?"},
        {"GB lead byte before a non-trail", &FGBToBIG5,
         "\xB0"
         "0A",
         "?0A"},
        {"BIG5 lone lead byte at the end", &FBIG5ToGB, "abc\xA4", "abc?"},
        {"BIG5 lead byte before a non-trail", &FBIG5ToGB,
         "\xA4"
         "0A",
         "?0A"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(Call(*c.Convert, c.Input), c.Expected);
    }
    EXPECT_STREQ(FGBToBIG5(nullptr), "");
    EXPECT_STREQ(FBIG5ToGB(nullptr), "");
}

// Each function keeps its own result: one may be fed straight into the other, and a result stays as it
// was until the same function runs again on the same thread.
TEST_F(QvlanguageTest, ResultsStayValidUntilTheNextCallOfTheSameFunction) {
    const char* traditional = FGBToBIG5("国");
    const char* simplified = FBIG5ToGB(traditional);
    EXPECT_EQ(std::string(traditional), kGuo);
    EXPECT_STREQ(simplified, "国");
    EXPECT_STREQ(FGBToBIG5(FBIG5ToGB((kGuo + kZhe).c_str())), (kGuo + kZhe).c_str());
}

TEST_F(QvlanguageTest, ConvertsOnManyThreadsAtOnce) {
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures] {
            for (int round = 0; round < 200; ++round) {
                const TPair& pair = kPairs[(t + round) % std::size(kPairs)];
                if (GBToBIG5(pair.GB) != pair.BIG5 || BIG5ToGB(pair.BIG5) != pair.GB) ++failures[t];
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}
