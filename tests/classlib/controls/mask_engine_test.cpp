#include <gtest/gtest.h>

#include "classlib/controls/mask.h"

namespace {

struct MaskCase {
    const char* mask;
    const char* value;    // formatted into the mask
    const char* editText; // what the control shows
    const char* text;     // Text read back
    int firstInvalid;     // first required blank, -1 when complete
};

const MaskCase kCases[] = {
    {"!99/99/0000;1;_", "12/05/2024", "12/05/2024", "12/05/2024", -1},
    {"!99/99/0000;1;_", "", "__/__/____", "  /  /    ", 6},
    {"!99/99/0000;1;_", "  /05/2024", "__/05/2024", "  /05/2024", -1},
    {"0000/00/00;0;_", "20240512", "2024/05/12", "20240512", -1},
    {"0000/00/00;0;_", "2024", "2024/__/__", "2024", 5},
    {"0000/00/00;0;_", "", "____/__/__", "", 0},
    {">LL-000;1;*", "ab-123", "AB-123", "AB-123", -1},
    {">LL-000;1;*", "ab123", "AB-123", "AB-123", -1}, // the missing saved literal is supplied
    {">LL-000;1;*", "a1-123", "A*-123", "A -123", 1}, // a digit does not fit a letter
    {">LL-000;1;*", "AB-12", "AB-12*", "AB-12 ", 5},
    {"\\A\\B999;0;_", "12", "AB12_", "12", -1},
    {"!999;0;_", "5", "__5", "5", -1},
    {"99:99;1;_", "0930", "09:30", "09:30", -1},
    {">l<l<>l;1;_", "aBC", "AbC", "AbC", -1},
    {"#99;0;_", "-12", "-12", "-12", -1},
    {"_00;0;#", "42", " 42", "42", -1},
    {"CCc;0;_", "a b", "a b", "a b", -1}, // a space is a character for C
    {"AAa;0;_", "x7", "x7_", "x7", -1},
};

TEST(EditMask, TableOfMasksAndValues) {
    for (const MaskCase& c : kCases) {
        SCOPED_TRACE(std::string(c.mask) + " <- \"" + c.value + "\"");
        TEditMask mask(c.mask);
        AnsiString edit = mask.EditTextFromText(c.value);
        EXPECT_EQ(edit, c.editText);
        EXPECT_EQ(mask.TextFromEditText(edit), c.text);
        EXPECT_EQ(mask.FirstInvalid(edit), c.firstInvalid);
        if (c.firstInvalid < 0) {
            EXPECT_NO_THROW(mask.Validate(edit));
            // A complete value read back formats into the same edit text.
            EXPECT_EQ(mask.EditTextFromText(mask.TextFromEditText(edit)), edit);
        }
    }
}

TEST(EditMask, FieldsOfTheMask) {
    EXPECT_TRUE(MaskGetMaskSave("999"));
    EXPECT_FALSE(MaskGetMaskSave("999;0;_"));
    EXPECT_TRUE(MaskGetMaskSave("999;1;_"));
    EXPECT_EQ(MaskGetMaskBlank("999"), '_');
    EXPECT_EQ(MaskGetMaskBlank("999;1; "), ' ');
    EXPECT_EQ(MaskGetMaskBlank("999;0;*"), '*');
    // An escaped separator is a literal of the mask, not a field separator.
    TEditMask escaped("9\\;9;0;_");
    EXPECT_EQ(escaped.EmptyEditText(), "_;_");
    EXPECT_FALSE(escaped.SaveLiterals());
    EXPECT_TRUE(TEditMask("").Empty());
    EXPECT_EQ(TEditMask("").TextFromEditText("free text"), "free text");
}

TEST(EditMask, PositionsAcceptTheirCharacters) {
    TEditMask mask(">LL-000;1;*");
    char out = 0;
    EXPECT_TRUE(mask.Accepts(0, 'q', &out));
    EXPECT_EQ(out, 'Q');
    EXPECT_FALSE(mask.Accepts(0, '1'));
    EXPECT_FALSE(mask.Accepts(2, '-')); // a literal takes nothing typed
    EXPECT_TRUE(mask.Accepts(3, '7'));
    EXPECT_FALSE(mask.Accepts(3, 'x'));
    EXPECT_FALSE(mask.Accepts(-1, '7'));
    EXPECT_FALSE(mask.Accepts(99, '7'));
    EXPECT_EQ(mask.NextEditable(2), 3);
    EXPECT_EQ(mask.PreviousEditable(2), 1);
    EXPECT_EQ(mask.NextEditable(6), 6);
    EXPECT_EQ(TEditMask("--").NextEditable(0), 2);
    EXPECT_EQ(TEditMask("--").PreviousEditable(1), -1);
}

TEST(EditMask, IncompleteEntryRaisesTheClassLibraryError) {
    TEditMask mask("!99/99/0000;1;_");
    try {
        mask.Validate("12/05/20__");
        FAIL() << "no error";
    } catch (const EDBEditError& e) {
        EXPECT_EQ(e.Message(), "Invalid input value. Use escape key to abandon changes");
    }
    // A wrong character set through EditText is caught as well.
    EXPECT_EQ(TEditMask("000;1;_").FirstInvalid("1x3"), 1);
    // A short edit text leaves its tail blank.
    EXPECT_EQ(TEditMask("000;1;_").FirstInvalid("12"), 2);
}

TEST(EditMask, FormatMaskTextShowsBlanksAsSpaces) {
    EXPECT_EQ(FormatMaskText("0000/00/00;0;_", "2024"), "2024/  /  ");
    EXPECT_EQ(FormatMaskText("!99/99/0000;1;_", "01/02/2003"), "01/02/2003");
    EXPECT_EQ(FormatMaskText("", "abc"), "abc");
}

} // namespace
