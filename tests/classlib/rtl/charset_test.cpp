#include <gtest/gtest.h>

#include <cstring>

// The program's own texts are compiled to code-page 936 bytes.
TEST(Charset, NarrowLiteralsAreGbk) {
    const char* text = "浏览";
    ASSERT_EQ(std::strlen(text), 4u);
    const unsigned char expected[] = {0xE4, 0xAF, 0xC0, 0xC0};
    EXPECT_EQ(std::memcmp(text, expected, 4), 0);
}

TEST(Charset, Utf8LiteralsStayUtf8) {
    const char* text = u8"浏览";
    EXPECT_EQ(std::strlen(text), 6u);
}
