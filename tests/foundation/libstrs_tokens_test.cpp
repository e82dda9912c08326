#include <gtest/gtest.h>

#include <random>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/strutils.h"
#include "foundation/libstrs.h"

namespace {

// 0xB1 0x5C is one GBK character whose trail byte is a backslash; "丁" is 0xB6 0xA1.
const AnsiString kTrail5C = "\xB1\x5C";

class LibStrsText : public ::testing::Test {
protected:
    void SetUp() override { SetACP(936); }
};

struct TokenCase {
    AnsiString text, delimiter;
    int index;
    AnsiString expected;
};

TEST_F(LibStrsText, GetTokenCutsAtEveryDelimiter) {
    const TokenCase cases[] = {
        {"a;b;c", ";", 1, "a"},
        {"a;b;c", ";", 3, "c"},
        {"a;b;c", ";", 4, ""},
        {"a;b;", ";", 3, ""},
        {"a;b;", ";", 4, ""},
        {"abc", ";", 1, "abc"},
        {"abc", ";", 2, ""},
        {"a;b", ";", 0, ""},
        {"a;b", ";", -1, ""},
        {"", ";", 1, ""},
        {";a", ";", 1, ""},
        {"a;;b", ";", 2, ""},
        {"a;;b", ";", 3, "b"},
        {"a<>b<>c", "<>", 2, "b"},
        {"a<>b<c", "<>", 2, "b<c"},
        // An empty delimiter never matches: the text is its one field.
        {"abc", "", 1, "abc"},
        {"abc", "", 2, ""},
        // A backslash that is the trail byte of a character is not a delimiter.
        {kTrail5C + "x\\y", "\\", 1, kTrail5C + "x"},
        {kTrail5C + "x\\y", "\\", 2, "y"},
        {"丁;乐", ";", 2, "乐"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetToken(c.text, c.delimiter, c.index), c.expected)
            << '"' << c.text << "\" at \"" << c.delimiter << "\" #" << c.index;
}

TEST_F(LibStrsText, GetTokenCountCountsDelimitersWithoutOverlap) {
    const struct {
        AnsiString text, delimiter;
        int expected;
    } cases[] = {
        {"", ";", 0},
        {"", "", 0},
        {"abc", ";", 1},
        {"a;;b", ";", 3},
        {"a;b;", ";", 3},
        {";", ";", 2},
        {"a;;;b", ";;", 2},
        {"aaaa", "aa", 3},
        {"abc", "", 1},
        {kTrail5C + "\\", "\\", 2},
        {kTrail5C + kTrail5C, "\\", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetTokenCount(c.text, c.delimiter), c.expected)
            << '"' << c.text << "\" at \"" << c.delimiter << '"';
}

TEST_F(LibStrsText, FetchTokenTakesTheFieldsOneByOne) {
    AnsiString text = "2023/ 5 /07";
    EXPECT_EQ(FetchToken(text, "/"), "2023");
    EXPECT_EQ(text, " 5 /07");
    EXPECT_EQ(FetchToken(text, "/"), " 5 ");
    EXPECT_EQ(FetchToken(text, "/"), "07");
    EXPECT_EQ(text, "");
    EXPECT_EQ(FetchToken(text, "/"), "");
    EXPECT_EQ(text, "");

    AnsiString whole = "a;b";
    EXPECT_EQ(FetchToken(whole, ""), "a;b");
    EXPECT_EQ(whole, "");

    AnsiString trail = kTrail5C + "\\z";
    EXPECT_EQ(FetchToken(trail, "\\"), kTrail5C);
    EXPECT_EQ(trail, "z");
}

TEST_F(LibStrsText, PadFillsUpToTheLength) {
    EXPECT_EQ(PadLeft("7", {3}), "  7");
    EXPECT_EQ(PadLeft("7", {3, '0'}), "007");
    EXPECT_EQ(PadRight("ab", {5, '*'}), "ab***");
    EXPECT_EQ(PadRight("ab", {4}), "ab  ");
    EXPECT_EQ(PadLeft("abcd", {3, '0'}), "abcd");
    EXPECT_EQ(PadRight("abc", {3}), "abc");
    EXPECT_EQ(PadLeft("", {2, '0'}), "00");
    // Lengths count bytes: a Chinese character is two.
    EXPECT_EQ(PadRight("丁", {3}), "丁 ");
    // No length, a negative one or a pad code that is not a byte: nothing or blanks.
    EXPECT_EQ(PadLeft("x", {}), "x");
    EXPECT_EQ(PadLeft("x", {-4, '0'}), "x");
    EXPECT_EQ(PadLeft("x", {3, 1000}), "  x");
}

struct ReplaceCase {
    AnsiString text, oldText, newText;
    bool trim;
    AnsiString expected;
};

TEST_F(LibStrsText, ReplaceAllTextReplacesUntilNoneIsLeft) {
    const ReplaceCase cases[] = {
        {"a,b,c", ",", ";", false, "a;b;c"},
        {"abc", "x", "y", false, "abc"},
        // Replacements that form new occurrences are replaced too.
        {"a     b", "  ", " ", false, "a b"},
        {"aab", "ab", "b", false, "b"},
        {";;;", ";;", "; ;", false, "; ; ;"},
        // The new text holds the old one: each inserted text is passed over, and the routine ends.
        {"a.b.c", ".", "..", false, "a..b..c"},
        {"x", "x", "xx", false, "xx"},
        {"abab", "ab", "abab", false, "abababab"},
        {"ab", "b", "aB", false, "aaB"},
        // Old and new equal but for letter case, or no old text: nothing replaced.
        {"abc", "b", "B", false, "abc"},
        {"abc", "", "x", false, "abc"},
        {"  abc \r\n", "", "x", true, "abc"},
        {"  a-b  ", "-", "", true, "ab"},
        {" x ", "x", " ", true, ""},
        // The trail byte of a character is never part of an occurrence.
        {kTrail5C + "\\", "\\", "/", false, kTrail5C + "/"},
        {"丁丁", "丁", "乐", false, "乐乐"},
    };
    for (const auto& c : cases) {
        bool finished = false;
        EXPECT_EQ(ReplaceAllText(c.text, c.oldText, c.newText, c.trim, &finished), c.expected)
            << '"' << c.text << "\" \"" << c.oldText << "\" -> \"" << c.newText << '"';
        EXPECT_TRUE(finished) << c.text;
    }
}

// The routine's result is that of searching again from the start after every replacement; this is that
// search, written plainly, for patterns where it is known to end.
AnsiString ReplaceFromStartEachTime(AnsiString text, const AnsiString& oldText, const AnsiString& newText) {
    for (int at = AnsiPos(oldText, text); at > 0; at = AnsiPos(oldText, text))
        text.replace(static_cast<std::size_t>(at) - 1, oldText.size(), newText);
    return text;
}

TEST_F(LibStrsText, ReplaceAllTextMatchesSearchingFromTheStart) {
    std::mt19937 random(20240607);
    // Single bytes, a GBK lead byte and the backslash that can be its trail byte.
    const char alphabet[] = {'a', 'b', '\\', '\xB1'};
    auto word = [&](std::size_t maxLength) {
        AnsiString w;
        const std::size_t n = random() % (maxLength + 1);
        for (std::size_t i = 0; i < n; ++i)
            w += alphabet[random() % 4];
        return w;
    };
    for (int round = 0; round < 4000; ++round) {
        const AnsiString text = word(12);
        AnsiString oldText = word(3);
        if (oldText.empty()) oldText = "a";
        AnsiString newText = word(oldText.size() - 1);         // shorter: the plain search is sure to end
        if (round % 3 == 0) newText = oldText.substr(1) + "a"; // same length
        if (newText.find(oldText) != AnsiString::npos || SameText(oldText, newText)) continue;
        if (newText.size() == oldText.size()) {
            // A same-length rule can cycle in the plain search; keep the cases where it ends quickly.
            AnsiString probe = text;
            int steps = 0;
            for (int at = AnsiPos(oldText, probe); at > 0 && steps < 200;
                 at = AnsiPos(oldText, probe), ++steps)
                probe.replace(static_cast<std::size_t>(at) - 1, oldText.size(), newText);
            if (steps >= 200) continue;
        }
        ASSERT_EQ(ReplaceAllText(text, oldText, newText, false),
                  ReplaceFromStartEachTime(text, oldText, newText))
            << "text \"" << text << "\" old \"" << oldText << "\" new \"" << newText << '"';
    }
}

TEST_F(LibStrsText, ReplaceAllTextSaysWhenItStopsOnAPatternWithoutEnd) {
    // Searching again from the start doubles the text for every "a" in front of the "b", and a rule that
    // only moves letters about can go round for ever: the routine stops at its guard, while the text is
    // still of the size a single pass could give, and says that it did not finish.
    const struct {
        AnsiString Text, Old, New;
    } cases[] = {{AnsiString(40, 'a') + "b", "ab", "bbaa"}, {"aba", "ab", "ba"}, {"aab", "ab", "ba"}};
    for (const auto& c : cases) {
        bool finished = true;
        const AnsiString result = ReplaceAllText(c.Text, c.Old, c.New, false, &finished);
        const bool endless = c.Old == "ab" && c.New == "bbaa";
        EXPECT_EQ(finished, !endless) << c.Text;
        EXPECT_LE(result.size(), (c.Text.size() + 1) * (c.New.size() + 1)) << c.Text;
        if (!endless) {
            EXPECT_EQ(result, ReplaceFromStartEachTime(c.Text, c.Old, c.New)) << c.Text;
        }
    }
}

TEST_F(LibStrsText, IsLocalHostAddrWantsTheExactText) {
    EXPECT_TRUE(IsLocalHostAddr("127.0.0.1"));
    EXPECT_FALSE(IsLocalHostAddr(" 127.0.0.1"));
    EXPECT_FALSE(IsLocalHostAddr("localhost"));
    EXPECT_FALSE(IsLocalHostAddr(""));
}

} // namespace
