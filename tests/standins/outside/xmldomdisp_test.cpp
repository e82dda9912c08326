#include "standins/outside/xmldom/xmldomdisp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "classlib/automation/comobj.h"
#include "classlib/rtl/codepages.h"

using namespace xmldom;

namespace {

class TAcpGuard {
public:
    TAcpGuard() : FSaved(GetACP()) { SetACP(936); }
    ~TAcpGuard() { SetACP(FSaved); }

private:
    unsigned FSaved;
};

const AnsiString kForm = "<?xml version=\"1.0\" encoding=\"GB2312\"?>"
                         "<frmMain Caption=\"主窗体\">"
                         "<btnOK Caption=\"确定\" Hint=\"保存\"/><edtName Text=\"x\">名称</edtName>"
                         "</frmMain>";

} // namespace

// The members the language files, the user settings and the metadata helpers use, reached late-bound.
TEST(XmlDomDispatchTest, ReadsADocumentLateBound) {
    TAcpGuard acp;
    Variant doc = CreateDocumentDispatch();
    VarSet(doc, "async", false);
    EXPECT_FALSE(VarGet(doc, "async").AsBoolean());
    ASSERT_TRUE(VarCall(doc, "loadXML", {kForm}).AsBoolean());
    EXPECT_EQ(VarGet(VarGet(doc, "parseError"), "errorCode").AsInteger(), 0);

    Variant root = VarGet(doc, "documentElement");
    EXPECT_EQ(VarGet(root, "nodeName").AsString(), "frmMain");
    EXPECT_EQ(VarGet(root, "nodeType").AsInteger(), NODE_ELEMENT);
    EXPECT_EQ(VarCall(root, "getAttribute", {"Caption"}).AsString(), "主窗体");
    EXPECT_TRUE(VarIsNull(VarCall(root, "getAttribute", {"Hint"})));

    Variant button = VarCall(doc, "selectSingleNode", {"//btnOK"});
    Variant attributes = VarGet(button, "attributes");
    ASSERT_EQ(VarGet(attributes, "length").AsInteger(), 2);
    Variant second = VarCall(attributes, "item", {1});
    EXPECT_EQ(VarGet(second, "nodeName").AsString(), "Hint");
    EXPECT_EQ(VarGet(second, "nodeType").AsInteger(), NODE_ATTRIBUTE);
    EXPECT_EQ(VarGet(second, "nodeValue").AsString(), "保存");
    EXPECT_EQ(VarGet(VarCall(attributes, "getNamedItem", {"Caption"}), "text").AsString(), "确定");
    EXPECT_TRUE(VarIsEmpty(VarCall(attributes, "getNamedItem", {"Tag"})));
    EXPECT_TRUE(VarIsEmpty(VarCall(attributes, "item", {2})));

    EXPECT_EQ(VarGet(VarCall(doc, "selectSingleNode", {"//edtName/@Text"}), "text").AsString(), "x");
    EXPECT_TRUE(VarIsEmpty(VarCall(doc, "selectSingleNode", {"//nothing"})));
    EXPECT_TRUE(VarIsNull(VarGet(root, "nodeValue")));

    Variant children = VarGet(root, "childNodes");
    ASSERT_EQ(VarGet(children, "length").AsInteger(), 2);
    EXPECT_EQ(VarGet(VarCall(children, "item", {1}), "text").AsString(), "名称");
    EXPECT_EQ(VarGet(VarCall(VarCall(root, "selectNodes", {"*"}), "item", {0}), "nodeName").AsString(),
              "btnOK");
    EXPECT_EQ(VarGet(VarGet(button, "parentNode"), "nodeName").AsString(), "frmMain");

    // The C++ node behind a dispatch view is the document's own node.
    NodePtr node = NodeOfDispatch(button);
    ASSERT_TRUE(node);
    EXPECT_EQ(node->getAttribute("Caption").value_or(""), "确定");
    EXPECT_FALSE(NodeOfDispatch(Variant(1)));
}

TEST(XmlDomDispatchTest, BuildsAndWritesADocumentLateBound) {
    TAcpGuard acp;
    Variant doc = CreateDocumentDispatch();
    ASSERT_TRUE(VarCall(doc, "loadXML", {"<MT_User CompanyID=\"\"><Components/></MT_User>"}).AsBoolean());
    Variant root = VarGet(doc, "documentElement");
    VarCall(root, "setAttribute", {"CompanyID", "DEMO"});
    Variant component = VarCall(doc, "createElement", {"Component"});
    VarCall(component, "setAttribute", {"ID", "edtName"});
    Variant label = VarCall(doc, "createElement", {"DisplayLabel"});
    VarSet(label, "text", "名称");
    VarCall(component, "appendChild", {label});
    Variant appended = VarCall(VarCall(root, "selectSingleNode", {"Components"}), "appendChild", {component});
    EXPECT_EQ(VarGet(appended, "nodeName").AsString(), "Component");
    EXPECT_EQ(VarGet(root, "xml").AsString(),
              "<MT_User CompanyID=\"DEMO\"><Components><Component ID=\"edtName\">"
              "<DisplayLabel>名称</DisplayLabel></Component></Components></MT_User>");
    // What is not a node cannot be appended; an unknown member fails as a late-bound call does.
    EXPECT_THROW(VarCall(root, "appendChild", {"text"}), EOleError);
    EXPECT_THROW(VarCall(doc, "transformNode", {root}), EOleError);
}

// A failed load answers false and leaves the reason; errors of the object reach the caller.
TEST(XmlDomDispatchTest, ReportsLoadFailuresAndRaisesObjectErrors) {
    TAcpGuard acp;
    Variant doc = CreateDocumentDispatch();
    EXPECT_FALSE(VarCall(doc, "loadXML", {"<a><b></a>"}).AsBoolean());
    Variant error = VarGet(doc, "parseError");
    EXPECT_NE(VarGet(error, "errorCode").AsInteger(), 0);
    EXPECT_FALSE(VarGet(error, "reason").AsString().empty());
    EXPECT_GT(VarGet(error, "line").AsInteger(), 0);
    EXPECT_TRUE(VarIsEmpty(VarGet(doc, "documentElement")));

    const std::filesystem::path missing =
        std::filesystem::temp_directory_path() / "xmldomdisp-missing-file-that-is-not-there.xml";
    EXPECT_FALSE(VarCall(doc, "load", {AnsiString(missing.string())}).AsBoolean());

    ASSERT_TRUE(VarCall(doc, "loadXML", {"<a/>"}).AsBoolean());
    EXPECT_THROW(VarCall(doc, "selectSingleNode", {"//["}), EOleError);
    EXPECT_THROW(VarCall(doc, "createElement", {"1 bad"}), EOleError);
}
