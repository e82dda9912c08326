// Random and mutated form streams through the text and binary readers and the loader: every input
// either converts and loads or raises EReadError (never another failure, a crash or a hang), a text
// that converts prints and converts back to the same bytes, and a failed load leaves nothing behind.
// AddressSanitizer and LeakSanitizer watch the run in the sanitizer build.
//
// KVR_FUZZ_INPUTS sets the number of inputs (default 100000; fewer by default under the sanitizers,
// whose run is ten times slower).
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "classlib/objects/textform.h"
#include "testclasses.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr long DefaultInputs = 20000;
#else
constexpr long DefaultInputs = 100000;
#endif

const char* const Dictionary[] = {"object ",
                                  "inherited ",
                                  "inline ",
                                  "end",
                                  "item",
                                  "'",
                                  "''",
                                  "#",
                                  "#13",
                                  "#27983",
                                  "(",
                                  ")",
                                  "<",
                                  ">",
                                  "{",
                                  "}",
                                  "[",
                                  "]",
                                  "=",
                                  ",",
                                  ":",
                                  ".",
                                  "+",
                                  "-",
                                  "$",
                                  "1.5",
                                  "1.5s",
                                  "2c",
                                  "3d",
                                  "9999999999",
                                  "True",
                                  "nil",
                                  "Null",
                                  "\r\n",
                                  " ",
                                  "浏览",
                                  "TTestControl",
                                  "TTestButton",
                                  "TTestTimer",
                                  "TNoSuch",
                                  "Caption",
                                  "Font.Name",
                                  "Items.Strings",
                                  "Columns",
                                  "OnClick",
                                  "FormClick",
                                  "Link",
                                  "Align",
                                  "taTop"};

const char* const Seeds[] = {
    TestBaseText,
    TestChildText,
    "object f: TTestForm\r\n"
    "  Caption = 'x'#13'y'\r\n"
    "  object c: TTestControl\r\n"
    "    Align = taClient\r\n"
    "    Amount = 1.25c\r\n"
    "    Big = 4294967296\r\n"
    "    Color = clRed\r\n"
    "    Columns = <\r\n"
    "      item\r\n"
    "        Caption = 'A'\r\n"
    "      end>\r\n"
    "    Font.Style = [tfsBold]\r\n"
    "    Items.Strings = (\r\n"
    "      'one'\r\n"
    "      'two')\r\n"
    "    Link = t\r\n"
    "    Ratio = 0.5\r\n"
    "    Stamp = 2.0d\r\n"
    "    Title = 'W'#27983\r\n"
    "    Value = 7\r\n"
    "    Weight = 1.5s\r\n"
    "    OnClick = FormClick\r\n"
    "    Data = {0102}\r\n"
    "    Marks = (1 2)\r\n"
    "    object b: TTestButton\r\n"
    "      Default = True\r\n"
    "    end\r\n"
    "  end\r\n"
    "  object t: TTestTimer\r\n"
    "  end\r\n"
    "end\r\n",
};

class TFuzzer {
public:
    explicit TFuzzer(unsigned seed) : FRandom(seed) {}

    int Below(int n) { return static_cast<int>(FRandom() % static_cast<unsigned>(n)); }

    AnsiString RandomBytes() {
        AnsiString s(static_cast<std::size_t>(Below(64)), '\0');
        for (char& c : s)
            c = static_cast<char>(Below(256));
        if (Below(2)) s.insert(0, "TPF0");
        return s;
    }

    AnsiString Mutate(AnsiString s, bool text) {
        int steps = 1 + Below(2);
        for (int i = 0; i < steps; ++i) {
            std::size_t at = s.empty() ? 0 : static_cast<std::size_t>(Below(static_cast<int>(s.size())));
            switch (Below(text ? 6 : 5)) {
            case 0:
                if (!s.empty()) s[at] = static_cast<char>(Below(256));
                break;
            case 1:
                s.erase(at, static_cast<std::size_t>(Below(8)));
                break;
            case 2:
                s.insert(at, s.substr(at, static_cast<std::size_t>(Below(16))));
                break;
            case 3:
                s.resize(at);
                break;
            case 4:
                if (!s.empty()) s[at] = static_cast<char>(s[at] ^ (1 << Below(8)));
                break;
            case 5:
                s.insert(at, Dictionary[Below(static_cast<int>(std::size(Dictionary)))]);
                break;
            }
        }
        return s;
    }

private:
    std::mt19937 FRandom;
};

long InputCount() {
    const char* env = std::getenv("KVR_FUZZ_INPUTS");
    long n = env ? std::atol(env) : 0;
    return n > 0 ? n : DefaultInputs;
}

struct TStats {
    long inputs = 0, converted = 0, loaded = 0;
};

void LoadText(const AnsiString& text, TStats& stats) {
    TTestForm form(nullptr);
    try {
        ReadComponentFromText(&form, text);
        ++stats.loaded;
    } catch (const EReadError&) {
        ASSERT_EQ(form.ComponentCount(), 0) << text;
    }
}

void LoadBinary(const AnsiString& binary, TStats& stats) {
    TTestForm form(nullptr);
    try {
        ReadComponentFromBinary(&form, binary);
        ++stats.loaded;
    } catch (const EReadError&) {
        ASSERT_EQ(form.ComponentCount(), 0);
    }
}

void OneText(const AnsiString& text, TStats& stats) {
    ++stats.inputs;
    AnsiString binary;
    try {
        binary = ObjectTextToBinary(text);
    } catch (const EReadError&) {
        return;
    }
    ++stats.converted;
    AnsiString printed;
    ASSERT_NO_THROW(printed = ObjectBinaryToText(binary)) << text; // what converts must print
    ASSERT_EQ(ObjectTextToBinary(printed), binary) << text;
    LoadText(text, stats);
}

void OneBinary(const AnsiString& binary, TStats& stats) {
    ++stats.inputs;
    try {
        AnsiString text = ObjectBinaryToText(binary);
        ++stats.converted;
        AnsiString again;
        ASSERT_NO_THROW(again = ObjectBinaryToText(ObjectTextToBinary(text))) << text;
        ASSERT_EQ(again, text);
    } catch (const EReadError&) {
    }
    LoadBinary(binary, stats);
}

} // namespace

TEST(FormStreamFuzz, RandomAndMutatedStreams) {
    TComponent application(nullptr);
    int handle =
        RegisterFindGlobalComponent([&](const AnsiString& name) { return application.FindComponent(name); });
    TFuzzer fuzzer(20261210);
    std::vector<AnsiString> binaries;
    for (const char* seed : Seeds)
        binaries.push_back(ObjectTextToBinary(seed));
    long total = InputCount();
    TStats stats;
    for (long i = 0; i < total && !HasFatalFailure(); ++i) {
        switch (i % 4) {
        case 0:
            OneText(fuzzer.Mutate(Seeds[fuzzer.Below(static_cast<int>(std::size(Seeds)))], true), stats);
            break;
        case 1:
            OneBinary(fuzzer.Mutate(
                          binaries[static_cast<std::size_t>(fuzzer.Below(static_cast<int>(binaries.size())))],
                          false),
                      stats);
            break;
        case 2:
            OneText(fuzzer.RandomBytes(), stats);
            break;
        default:
            OneBinary(fuzzer.RandomBytes(), stats);
            break;
        }
    }
    UnRegisterFindGlobalComponent(handle);
    EXPECT_EQ(stats.inputs, total);
    EXPECT_GT(stats.loaded, 0);
    RecordProperty("inputs", std::to_string(stats.inputs));
    std::printf("form stream fuzz: %ld inputs, %ld converted, %ld loaded\n", stats.inputs, stats.converted,
                stats.loaded);
    // References that never found their component wait no longer than their components live.
    EXPECT_EQ(PendingFixupCount(), 0);
}
