#include "standins/outside/xmldom/xmldom.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/exceptions.h"

using namespace xmldom;

namespace {

// "簡體中文" in code page 950; the same text as a narrow literal is its GBK bytes.
const AnsiString kBig5Traditional = "\xC2\xB2\xC5\xE9\xA4\xA4\xA4\xE5";

class TCodePageGuard {
public:
    TCodePageGuard() : FSaved(GetACP()) {}
    ~TCodePageGuard() { SetACP(FSaved); }

private:
    unsigned FSaved;
};

class XmlDomTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "xmldom-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        FFolder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(FFolder); }

    std::string PathOf(const std::string& name) const { return (FFolder / name).string(); }
    std::string WriteFile(const std::string& name, const std::string& bytes) const {
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
        return PathOf(name);
    }
    std::string ReadFile(const std::string& path) const {
        std::ifstream file(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path FFolder;
    TCodePageGuard FCodePage;
};

DocumentPtr Loaded(const AnsiString& text) {
    DocumentPtr doc = CoDOMDocument::Create();
    doc->setAsync(false);
    EXPECT_TRUE(doc->loadXML(text)) << doc->parseError()->reason();
    return doc;
}

} // namespace

// Files in three encodings, the second declared GB2312 but holding characters only GBK has. Every text
// comes out in the system code page of the moment.
TEST_F(XmlDomTest, LoadsFilesInTheirDeclaredEncodingAndHandsOutCodePageText) {
    struct TCase {
        const char* Name;
        std::string Bytes;
    };
    const TCase cases[] = {
        {"utf8.xml", std::string(u8"<?xml version=\"1.0\" encoding=\"UTF-8\"?><Form Caption=\"簡體中文\">"
                                 u8"<Msg>簡體中文</Msg></Form>")},
        {"gb2312.xml", "<?xml version=\"1.0\" encoding=\"GB2312\"?><Form Caption=\"簡體中文\">"
                       "<Msg>簡體中文</Msg></Form>"},
        {"big5.xml", "<?xml version=\"1.0\" encoding=\"BIG5\"?><Form Caption=\"" + kBig5Traditional +
                         "\"><Msg>" + kBig5Traditional + "</Msg></Form>"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        DocumentPtr doc = CoDOMDocument::Create();
        doc->setAsync(false);
        ASSERT_TRUE(doc->load(WriteFile(c.Name, c.Bytes))) << doc->parseError()->reason();
        EXPECT_EQ(doc->parseError()->errorCode(), 0);
        NodePtr root = doc->documentElement();
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(root->nodeName(), "Form");
        EXPECT_EQ(root->getAttribute("Caption"), AnsiString("簡體中文"));
        EXPECT_EQ(root->selectSingleNode("Msg")->text(), "簡體中文");

        SetACP(950);
        EXPECT_EQ(root->getAttribute("Caption"), kBig5Traditional);
        EXPECT_EQ(root->selectSingleNode("Msg")->text(), kBig5Traditional);
        SetACP(936);
    }
}

// libxml2 reads a file in chunks: double-byte characters cut at a chunk's end must come out whole, and
// a lead byte followed by markup must not swallow the markup.
TEST_F(XmlDomTest, ReadsDoubleByteCharactersAcrossChunksAndBrokenPairs) {
    for (const char* declared : {"GB2312", "BIG5"}) {
        SCOPED_TRACE(declared);
        const bool big5 = std::string(declared) == "BIG5";
        std::string body = "x"; // one byte first, so that pairs straddle even chunk sizes
        for (int i = 0; i < 20000; ++i)
            body += big5 ? kBig5Traditional : AnsiString("简体中文");
        const std::string bytes = "<?xml version=\"1.0\" encoding=\"" + std::string(declared) +
                                  "\"?><a t=\"" + body + "\">" + body + "</a>";
        DocumentPtr doc = CoDOMDocument::Create();
        ASSERT_TRUE(doc->load(WriteFile("long.xml", bytes))) << doc->parseError()->reason();
        if (big5) SetACP(950);
        EXPECT_EQ(doc->documentElement()->text(), body);
        EXPECT_EQ(doc->documentElement()->getAttribute("t"), body);
        SetACP(936);
    }

    DocumentPtr doc = CoDOMDocument::Create();
    ASSERT_TRUE(doc->load(WriteFile("broken.xml", "<?xml version=\"1.0\" encoding=\"GB2312\"?><a>x\xB0</a>")))
        << doc->parseError()->reason();
    EXPECT_EQ(doc->documentElement()->text(), "x?");
}

TEST_F(XmlDomTest, LoadsTextInTheSystemCodePageWhateverItDeclares) {
    DocumentPtr doc = Loaded("<?xml version=\"1.0\" encoding=\"GB2312\"?><!-- Norvu ERP用户设置 -->"
                             "<MT_User CompanyID=\"镕喆\" ProgID=\"\"><Components /></MT_User>");
    EXPECT_EQ(doc->documentElement()->getAttribute("CompanyID"), AnsiString("镕喆"));
    EXPECT_EQ(doc->childNodes()->item(0)->nodeType(), NODE_COMMENT);
    EXPECT_EQ(doc->childNodes()->item(0)->text(), " Norvu ERP用户设置 ");

    SetACP(950);
    ASSERT_TRUE(
        doc->loadXML("<?xml version=\"1.0\" encoding=\"GB2312\"?><a b=\"" + kBig5Traditional + "\"/>"));
    EXPECT_EQ(doc->documentElement()->getAttribute("b"), kBig5Traditional);
    SetACP(936);
    EXPECT_EQ(doc->documentElement()->getAttribute("b"), AnsiString("簡體中文"));
}

TEST_F(XmlDomTest, AFailedLoadLeavesAnEmptyDocumentAndAReason) {
    const AnsiString broken[] = {
        "", "not xml at all", "<a><b></a>", "<a></a><b></b>", "<a attr=\"1></a>", "<?xml version=\"1.0\"?>",
    };
    DocumentPtr doc = CoDOMDocument::Create();
    for (const AnsiString& text : broken) {
        SCOPED_TRACE(text);
        ASSERT_TRUE(doc->loadXML("<ok/>"));
        EXPECT_FALSE(doc->loadXML(text));
        EXPECT_EQ(doc->documentElement(), nullptr);
        EXPECT_NE(doc->parseError()->errorCode(), 0);
        EXPECT_FALSE(doc->parseError()->reason().empty());
    }

    EXPECT_FALSE(doc->loadXML("<a><b></a>"));
    EXPECT_NE(doc->parseError()->reason().find("mismatch"), AnsiString::npos) << doc->parseError()->reason();
    EXPECT_EQ(doc->parseError()->line(), 1);

    const AnsiString missing = PathOf("missing.xml");
    EXPECT_FALSE(doc->load(missing));
    EXPECT_NE(doc->parseError()->reason().find(missing), AnsiString::npos) << doc->parseError()->reason();

    EXPECT_TRUE(doc->loadXML("<ok/>"));
    EXPECT_EQ(doc->parseError()->errorCode(), 0);
    EXPECT_EQ(doc->parseError()->reason(), "");
}

TEST_F(XmlDomTest, SelectsNodesWithXPath) {
    DocumentPtr doc = Loaded("<frmBase Caption=\"基础\">"
                             "<pnlHead><btnOK Caption=\"确定\" Hint=\"OK\"/></pnlHead>"
                             "<btnOK Caption=\"second\"/>"
                             "<E001 Msg=\"记录已存在\"/>"
                             "<Components><Component ID=\"edTA005\"><Required>-1</Required></Component>"
                             "<Component ID=\"TA1\"><Required>-1</Required></Component>"
                             "<Component ID=\"edTA006\"><Required>0</Required></Component></Components>"
                             "</frmBase>");
    NodePtr first = doc->selectSingleNode("//btnOK");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->getAttribute("Hint"), AnsiString("OK")); // the first in document order

    NodePtr message = doc->selectSingleNode("//E001/@Msg");
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->nodeType(), NODE_ATTRIBUTE);
    EXPECT_EQ(message->nodeName(), "Msg");
    EXPECT_EQ(message->text(), "记录已存在");
    EXPECT_EQ(message->nodeValue(), AnsiString("记录已存在"));

    NodePtr root = doc->documentElement();
    NodeListPtr required = root->selectNodes("Components/*[Required='-1']");
    ASSERT_EQ(required->length(), 2);
    EXPECT_EQ(required->item(0)->getAttribute("ID"), AnsiString("edTA005"));
    EXPECT_EQ(required->item(1)->getAttribute("ID"), AnsiString("TA1"));
    EXPECT_EQ(required->item(2), nullptr);
    EXPECT_EQ(required->item(-1), nullptr);

    NodePtr byId = root->selectSingleNode("Components/Component[@ID='edTA006']");
    ASSERT_NE(byId, nullptr);
    EXPECT_EQ(byId->selectSingleNode("Required")->text(), "0");
    EXPECT_EQ(root->selectSingleNode("//NoSuchComponent"), nullptr);
    EXPECT_EQ(root->selectNodes("//NoSuchComponent")->length(), 0);

    EXPECT_THROW(root->selectSingleNode("//btnOK["), EOleError);
    EXPECT_THROW(root->selectNodes("count(//btnOK)"), EOleError);
}

TEST_F(XmlDomTest, ReadsAndWritesAttributes) {
    DocumentPtr doc = Loaded("<lbl Caption=\"名称\" Font.Name=\"宋体\" Items_3=\"\">text</lbl>");
    NodePtr element = doc->documentElement();
    NamedNodeMapPtr attributes = element->attributes();
    ASSERT_NE(attributes, nullptr);
    ASSERT_EQ(attributes->length(), 3);
    const char* names[] = {"Caption", "Font.Name", "Items_3"};
    const char* values[] = {"名称", "宋体", ""};
    for (long i = 0; i < 3; ++i) {
        EXPECT_EQ(attributes->item(i)->nodeName(), names[i]);
        EXPECT_EQ(attributes->item(i)->text(), values[i]);
    }
    EXPECT_EQ(attributes->item(3), nullptr);
    EXPECT_EQ(attributes->getNamedItem("Font.Name")->text(), "宋体");
    EXPECT_EQ(attributes->getNamedItem("Hint"), nullptr);
    EXPECT_EQ(element->getAttribute("Items_3"), AnsiString(""));
    EXPECT_EQ(element->getAttribute("Hint"), std::nullopt);

    NodePtr caption = attributes->getNamedItem("Caption");
    element->setAttribute("Caption", "新名称");
    element->setAttribute("Hint", "提示");
    EXPECT_EQ(caption->text(), "新名称"); // the same attribute, with its new value
    EXPECT_EQ(attributes->length(), 4);   // the map reads the element live
    caption->setText("再改");
    EXPECT_EQ(element->getAttribute("Caption"), AnsiString("再改"));

    EXPECT_EQ(element->childNodes()->item(0)->attributes(), nullptr); // a text node has none
    EXPECT_THROW(element->setAttribute("not a name", "x"), EOleError);
    EXPECT_THROW(element->childNodes()->item(0)->setAttribute("a", "x"), EOleError);
}

TEST_F(XmlDomTest, BuildsADocumentAndWritesItsXml) {
    DocumentPtr doc = CoDOMDocument::Create();
    EXPECT_EQ(doc->documentElement(), nullptr);
    NodePtr root = doc->appendChild(doc->createElement("MT_User"));
    root->setAttribute("CompanyID", "A&B <\"x\">");
    NodePtr components = root->appendChild(doc->createElement("Components"));
    NodePtr component = doc->createElement("Component");
    component->setAttribute("ID", "edTA005");
    component->appendChild(doc->createElement("Required"))->setText("-1");
    component->appendChild(doc->createElement("Parent"))->setText("单头");
    components->appendChild(component);

    EXPECT_EQ(doc->documentElement()->nodeName(), "MT_User");
    EXPECT_EQ(doc->nodeType(), NODE_DOCUMENT);
    EXPECT_EQ(component->parentNode()->nodeName(), "Components");
    EXPECT_EQ(component->childNodes()->length(), 2);
    EXPECT_EQ(component->text(), "-1单头");
    const AnsiString expected = "<MT_User CompanyID=\"A&amp;B &lt;&quot;x&quot;&gt;\"><Components>"
                                "<Component ID=\"edTA005\"><Required>-1</Required><Parent>单头</Parent>"
                                "</Component></Components></MT_User>";
    EXPECT_EQ(doc->xml(), expected + "\n");
    EXPECT_EQ(components->xml(), "<Components><Component ID=\"edTA005\"><Required>-1</Required>"
                                 "<Parent>单头</Parent></Component></Components>");
    EXPECT_EQ(root->attributes()->item(0)->xml(), "CompanyID=\"A&amp;B &lt;&quot;x&quot;&gt;\"");

    DocumentPtr again = Loaded(doc->xml());
    EXPECT_EQ(again->documentElement()->getAttribute("CompanyID"), AnsiString("A&B <\"x\">"));
    EXPECT_EQ(again->selectSingleNode("//Parent")->text(), "单头");

    // Moving a node, then refusing what would break the tree.
    root->appendChild(component);
    EXPECT_EQ(components->childNodes()->length(), 0);
    EXPECT_EQ(root->childNodes()->item(1)->getAttribute("ID"), AnsiString("edTA005"));
    EXPECT_THROW(component->appendChild(root), EOleError);
    EXPECT_THROW(component->appendChild(component), EOleError);
    EXPECT_THROW(doc->appendChild(doc->createElement("Second")), EOleError);
    EXPECT_THROW(doc->createElement("1bad"), EOleError);
    EXPECT_THROW(root->appendChild(nullptr), EOleError);
    EXPECT_THROW(component->appendChild(doc), EOleError);

    // A node of another document comes in as a copy.
    DocumentPtr other = Loaded("<x><y a=\"1\">v</y></x>");
    NodePtr y = other->selectSingleNode("//y");
    NodePtr copied = root->appendChild(y);
    EXPECT_NE(copied, y);
    EXPECT_EQ(copied->parentNode()->nodeName(), "MT_User");
    EXPECT_EQ(y->parentNode()->nodeName(), "x");
    EXPECT_EQ(doc->selectSingleNode("/MT_User/y[@a='1']")->text(), "v");
}

// The declaration read from a text is kept; characters the code page lacks become references, so the
// xml text loses nothing.
TEST_F(XmlDomTest, XmlTextKeepsTheDeclarationAndCharactersOutsideTheCodePage) {
    DocumentPtr doc = CoDOMDocument::Create();
    const std::string path = WriteFile("korean.xml", u8"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                                                     u8"<a t=\"한국\">中文한</a>");
    ASSERT_TRUE(doc->load(path));
    EXPECT_EQ(doc->documentElement()->text(), "中文?");
    const AnsiString xml = doc->xml();
    EXPECT_EQ(xml,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a t=\"&#54620;&#44397;\">中文&#54620;</a>\n");

    SetACP(950);
    EXPECT_EQ(doc->documentElement()->xml(), "<a t=\"&#54620;&#44397;\">\xA4\xA4\xA4\xE5&#54620;</a>");
    SetACP(1252);
    EXPECT_EQ(doc->documentElement()->xml(), "<a t=\"&#54620;&#44397;\">&#20013;&#25991;&#54620;</a>");
    SetACP(936);

    DocumentPtr template_ = Loaded("<?xml version=\"1.0\" encoding=\"GB2312\"?><!-- 用户设置 --><MT_User/>");
    EXPECT_EQ(template_->xml(),
              "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<!-- 用户设置 -->\n<MT_User/>\n");
}

TEST_F(XmlDomTest, SavesInTheDeclaredEncoding) {
    DocumentPtr doc = CoDOMDocument::Create();
    ASSERT_TRUE(doc->load(WriteFile("in.xml", "<?xml version=\"1.0\" encoding=\"GB2312\"?><a>镕</a>")));
    doc->documentElement()->setAttribute("t", "簡體");
    doc->documentElement()->appendChild(doc->createElement("b"))->setText("x");
    const std::string saved = PathOf("out.xml");
    doc->save(saved);
    const std::string bytes = ReadFile(saved);
    EXPECT_EQ(bytes, "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<a t=\"簡體\">镕<b>x</b></a>\n");

    DocumentPtr big5 = CoDOMDocument::Create();
    ASSERT_TRUE(big5->loadXML("<?xml version=\"1.0\" encoding=\"BIG5\"?><a>簡體丂</a>"));
    big5->save(saved);
    EXPECT_EQ(ReadFile(saved),
              "<?xml version=\"1.0\" encoding=\"BIG5\"?>\n<a>\xC2\xB2\xC5\xE9&#19970;</a>\n");
    ASSERT_TRUE(doc->load(saved));
    EXPECT_EQ(doc->documentElement()->text(), "簡體丂");

    DocumentPtr created = CoDOMDocument::Create();
    created->appendChild(created->createElement("中"));
    created->save(saved);
    EXPECT_EQ(ReadFile(saved), std::string(u8"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<中/>\n"));

    // A file that cannot be written says so and leaves what stood there.
    EXPECT_THROW(created->save(PathOf("no/such/folder/out.xml")), EOleError);
    std::filesystem::create_directory(PathOf("folder.xml"));
    EXPECT_THROW(created->save(PathOf("folder.xml")), EOleError);
    EXPECT_TRUE(std::filesystem::is_directory(PathOf("folder.xml")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(FFolder), {}), 3); // no temporary left
}

TEST_F(XmlDomTest, ReadsBackslashSeparatedFileNames) {
    std::filesystem::create_directories(FFolder / "CHT");
    WriteFile("CHT/TfrmBase.Lng", "<TfrmBase/>");
    DocumentPtr doc = CoDOMDocument::Create();
    std::string name = PathOf("CHT/TfrmBase.Lng");
    for (char& c : name)
        if (c == '/') c = '\\';
    ASSERT_TRUE(doc->load(name)) << doc->parseError()->reason();
    EXPECT_EQ(doc->documentElement()->nodeName(), "TfrmBase");
}

// Nodes keep what they point into alive: the document being freed or reloaded, or their parent's
// text being replaced, leaves them readable (the sanitizer build checks that nothing dangles).
TEST_F(XmlDomTest, NodesOutliveTheirDocumentAndReplacedContent) {
    DocumentPtr doc = Loaded("<a><b>old</b><c>keep</c></a>");
    NodePtr b = doc->selectSingleNode("//b");
    NodePtr oldText = b->childNodes()->item(0);
    NodeListPtr children = doc->documentElement()->childNodes();
    b->setText("new");
    EXPECT_EQ(oldText->text(), "old");
    EXPECT_EQ(oldText->parentNode(), nullptr);
    EXPECT_EQ(b->text(), "new");

    ASSERT_TRUE(doc->loadXML("<z/>"));
    EXPECT_EQ(b->text(), "new");
    EXPECT_EQ(children->item(1)->text(), "keep");

    NodePtr orphan = doc->createElement("orphan");
    NodePtr z = doc->documentElement();
    doc.reset();
    orphan->setText("still here");
    EXPECT_EQ(orphan->xml(), "<orphan>still here</orphan>");
    EXPECT_EQ(z->parentNode()->nodeType(), NODE_DOCUMENT);
    EXPECT_EQ(b->parentNode()->nodeName(), "a");
}
