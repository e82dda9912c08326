// The message texts of data/messages: every code the program and its framework show, with a place
// for each argument their callers pass.
#include "standins/shared/messages.h"

#include <gtest/gtest.h>

#include "standins/shared/dberrors.h"

namespace {

size_t Placeholders(const std::string& text) {
    size_t count = 0;
    for (size_t at = text.find("%s"); at != std::string::npos; at = text.find("%s", at + 2))
        ++count;
    return count;
}

TEST(MessageTexts, EveryCodeThatIsShownHasItsText) {
    TMessageFile messages;
    messages.LoadFromFile(std::string(KVR_SOURCE_DIR) + "/data/messages");
    // code -> the arguments its callers pass (one empty argument counts as none worth a place)
    const std::pair<const char*, size_t> codes[] = {
        {"C000001", 0}, {"C000002", 0}, {"C000004", 0}, {"C000005", 0}, {"C200002", 0}, {"D000001", 0},
        {"D000002", 0}, {"E000001", 1}, {"E000002", 1}, {"E000003", 1}, {"E000004", 0}, {"E000005", 0},
        {"E000007", 0}, {"E000008", 0}, {"E000032", 1}, {"E000033", 0}, {"E000038", 0}, {"E100002", 0},
        {"E100006", 1}, {"E100007", 0}, {"E100013", 0}, {"E100061", 0}, {"E100187", 0}, {"E100280", 2},
        {"E100288", 2}, {"E200128", 0}, {"E200129", 0}, {"E200130", 0}, {"E200132", 0}, {"E200139", 1},
        {"E200570", 0}, {"E200571", 1}, {"E200572", 0}, {"E200573", 1}, {"E200574", 0}, {"E200575", 1},
        {"E200820", 0}, {"I000006", 2}, {"I200007", 0}, {"I200010", 1}, {"W000001", 0}, {"W000004", 1},
        {"W000005", 1}, {"W100079", 1}, {"W100113", 0}, {"W200399", 0},
    };
    for (const auto& [code, arguments] : codes) {
        const std::string text = messages.Text(std::string(1, code[0]), code + 1);
        EXPECT_FALSE(text.empty()) << code;
        EXPECT_EQ(Placeholders(text), arguments) << code << ": " << text;
        // A text that stands alone must not end in a blank the caller's own blank would double.
        EXPECT_NE(text.back(), ' ') << code;
    }
    EXPECT_EQ(messages.Texts().size(), std::size(codes));
    EXPECT_EQ(messages.Text("T", "000002"), messages.Text("E", "000002")); // T asks with the error text
    EXPECT_EQ(messages.Text("E", "999999"), "");
    EXPECT_EQ(messages.Text("E", "000001"), u8"%s 不存在，请重新输入或按 F2 开窗查询！");
}

TEST(MessageTexts, MalformedLinesNameTheirLine) {
    for (const char* text :
         {"E00001=too short", "X000001=unknown kind", "E000001", "E000001=a\nE000001=b", "E0000a1=letters"}) {
        TMessageFile messages;
        EXPECT_THROW(messages.LoadFromText(text, "test"), EDbError) << text;
    }
    TMessageFile messages;
    messages.LoadFromText(u8"# comment\n\nW000001 = 第一行\\n第二行\r\nI000002=\n", "test");
    EXPECT_EQ(messages.Text("W", "000001"), u8" 第一行\n第二行");
    EXPECT_EQ(messages.Text("I", "000002"), "");
    EXPECT_THROW(messages.LoadFromFile("/nonexistent/messages"), EDbError);
}

} // namespace
