#include "foundation/LibXml.h"

#include <gtest/gtest.h>

#include "classlib/rtl/codepages.h"

namespace {

class TAcpGuard {
public:
    TAcpGuard() : FSaved(GetACP()) { SetACP(936); }
    ~TAcpGuard() { SetACP(FSaved); }

private:
    unsigned FSaved;
};

const AnsiString kSettings =
    "<?xml version=\"1.0\" encoding=\"GB2312\"?>"
    "<Settings Version=\"2\"><Number Places=\"4\">  金额 </Number>"
    "<Group><Item Code=\"A\">第一</Item><Item Code=\"B\">第二</Item></Group></Settings>";

} // namespace

TEST(LibXmlTest, ReadXmlValueReadsANodeOrItsAttributeElseTheDefault) {
    TAcpGuard acp;
    struct Case {
        const char* what;
        AnsiString xml;
        AnsiString path;
        AnsiString attribute;
        AnsiString expected;
    };
    const Case cases[] = {
        {"element text", kSettings, "Number", "", "  金额 "},
        {"attribute", kSettings, "Number", "Places", "4"},
        {"attribute of blanks reads the element", kSettings, "Number", "   ", "  金额 "},
        {"attribute with blanks around", kSettings, "Number", " Places ", "4"},
        {"first of several nodes", kSettings, "Group/Item", "Code", "A"},
        {"a predicate", kSettings, "Group/Item[@Code='B']", "", "第二"},
        {"missing node", kSettings, "Total", "", "默认"},
        {"missing attribute", kSettings, "Number", "Scale", "默认"},
        {"not XML", "Number=4", "Number", "", "默认"},
        {"empty text", "", "Number", "", "默认"},
        {"broken XML", "<Settings><Number>4</Settings>", "Number", "", "默认"},
        {"a path that is no XPath", kSettings, "Number[", "", "默认"},
        {"attribute that makes no XPath", kSettings, "Number", "a b", "默认"},
    };
    for (const Case& c : cases) {
        AnsiString value = "old";
        ReadXmlValue(c.xml, c.path, c.attribute, value, "默认");
        EXPECT_EQ(value, c.expected) << c.what;
    }
}

TEST(LibXmlTest, DocumentsLoadSynchronouslyAndAFailedLoadLeavesNoDocumentElement) {
    TAcpGuard acp;
    xmldom::DocumentPtr doc;
    NewXmlDocument(doc);
    ASSERT_TRUE(doc);
    EXPECT_FALSE(doc->async());
    EXPECT_FALSE(doc->documentElement());

    LoadXmlDocument(kSettings, doc);
    ASSERT_TRUE(doc->documentElement());
    EXPECT_EQ(doc->documentElement()->getAttribute("Version").value_or(""), "2");

    LoadXmlDocument("<a>", doc);
    ASSERT_TRUE(doc);
    EXPECT_FALSE(doc->async());
    EXPECT_FALSE(doc->documentElement());
    EXPECT_NE(doc->parseError()->errorCode(), 0);
}
