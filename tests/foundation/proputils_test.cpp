#include <gtest/gtest.h>

#include <memory>

#include "classlib/objects/component.h"
#include "foundation/proputils.h"

namespace {

class TPathFont : public TPersistent {
    KVR_CLASS(TPathFont, TPersistent)
public:
    int Color() const { return FColor; }
    void SetColor(int v) { FColor = v; }
    Byte Charset() const { return FCharset; }
    void SetCharset(Byte v) { FCharset = v; }
    const AnsiString& Name() const { return FName; }
    void SetName(const AnsiString& v) { FName = v; }

private:
    int FColor = 0;
    Byte FCharset = 1;
    AnsiString FName;
};

} // namespace

KVR_ENUM(TPathAlign, paNone, paLeft, paRight);

namespace {

class TPathLabel : public TComponent {
    KVR_CLASS(TPathLabel, TComponent)
public:
    explicit TPathLabel(TComponent* owner) : TComponent(owner), FFont(std::make_unique<TPathFont>()) {}
    TPathFont* Font() const { return FFont.get(); }
    void SetFont(TPathFont* v) { FFont->SetColor(v->Color()); }
    TPathFont* Spare() const { return nullptr; } // an object property that holds nothing
    TPathAlign Alignment() const { return FAlignment; }
    void SetAlignment(TPathAlign v) { FAlignment = v; }
    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& v) { FCaption = v; }
    int Width() const { return FWidth; }
    void SetWidth(int v) { FWidth = v; }

private:
    std::unique_ptr<TPathFont> FFont;
    TPathAlign FAlignment = paNone;
    AnsiString FCaption;
    int FWidth = 0;
};

KVR_PUBLISHED(TPathFont, c) {
    c.Property("Color", &TPathFont::Color, &TPathFont::SetColor).Type("TColor");
    c.Property("Charset", &TPathFont::Charset, &TPathFont::SetCharset).Type("TFontCharset");
    c.Property("Name", &TPathFont::Name, &TPathFont::SetName);
}

KVR_PUBLISHED(TPathLabel, c) {
    c.Property("Font", &TPathLabel::Font, &TPathLabel::SetFont);
    c.Property("Spare", &TPathLabel::Spare, nullptr);
    c.Property("Alignment", &TPathLabel::Alignment, &TPathLabel::SetAlignment);
    c.Property("Caption", &TPathLabel::Caption, &TPathLabel::SetCaption);
    c.Property("Width", &TPathLabel::Width, &TPathLabel::SetWidth);
}

struct TFakeNode {
    int type;
    AnsiString value;
    int nodeType() const { return type; }
    AnsiString text() const { return value; }
};

} // namespace

TEST(ExtractField, FieldsFromTheFront) {
    struct Case {
        const char* text;
        const char* delimiter;
        int n;
        const char* result;
    } cases[] = {
        {"a,b,c", ",", 1, "a"}, {"a,b,c", ",", 2, "b"}, {"a,b,c", ",", 3, "c"},        {"a,b,c", ",", 4, ""},
        {"", ",", 1, ""},       {"a,,c", ",", 2, ""},   {"a::b::c", "::", 3, "c"},     {"a,b", ",", 0, ""},
        {"abc", "", 1, "abc"},  {"a,b,", ",", 3, ""},   {"浏览,更改", ",", 2, "更改"},
    };
    for (const Case& c : cases) {
        AnsiString result = "stale";
        ExtractField(c.text, c.delimiter, c.n, result);
        EXPECT_EQ(result, c.result) << c.text << " " << c.n;
    }
}

TEST(XMLNodeAttrText, OnlyAttributeNodes) {
    AnsiString text = "stale";
    auto attribute = std::make_shared<TFakeNode>(TFakeNode{2, "value"});
    XMLNodeAttrText(attribute, text);
    EXPECT_EQ(text, "value");
    XMLNodeAttrText(std::make_shared<TFakeNode>(TFakeNode{1, "element"}), text);
    EXPECT_EQ(text, "");
    text = "stale";
    XMLNodeAttrText(std::shared_ptr<TFakeNode>(), text);
    EXPECT_EQ(text, "");
}

TEST(SetPropValueByPath, PathsIdentifiersAndConversions) {
    TPathLabel label(nullptr);
    SetPropValueByPath(&label, "Font.Color", Variant("clRed"));
    EXPECT_EQ(label.Font()->Color(), 0x0000FF);
    SetPropValueByPath(&label, "Font.Charset", Variant("GB2312_CHARSET"));
    EXPECT_EQ(label.Font()->Charset(), 134);
    SetPropValueByPath(&label, "font.name", Variant("宋体"));
    EXPECT_EQ(label.Font()->Name(), "宋体");
    SetPropValueByPath(&label, "Font.Color", Variant(255 * 256));
    EXPECT_EQ(label.Font()->Color(), 0xFF00);
    SetPropValueByPath(&label, "Font.Color", Variant("123")); // not an identifier: the Variant's number
    EXPECT_EQ(label.Font()->Color(), 123);
    SetPropValueByPath(&label, "Alignment", Variant("  paRight "));
    EXPECT_EQ(label.Alignment(), paRight);
    SetPropValueByPath(&label, "Alignment", Variant(1));
    EXPECT_EQ(label.Alignment(), paLeft);
    SetPropValueByPath(&label, "Caption", Variant(3.5));
    EXPECT_EQ(label.Caption(), "3.5");
    SetPropValueByPath(&label, "Width", Variant("40"));
    EXPECT_EQ(label.Width(), 40);
    // Missing properties are ignored, at the end of the path and on the way.
    SetPropValueByPath(&label, "NoSuch", Variant(1));
    SetPropValueByPath(&label, "NoSuch.Color", Variant(1));
    SetPropValueByPath(&label, "Font.NoSuch", Variant(1));
}

TEST(SetPropValueByPath, FailuresRaiseAndTryAnswersFalse) {
    TPathLabel label(nullptr);
    struct Case {
        const char* path;
        Variant value;
    } failing[] = {
        {"Spare.Color", Variant("clRed")},  // a nil object on the way
        {"Caption.Length", Variant(1)},     // not an object
        {"Alignment", Variant("paCentre")}, // no such identifier
        {"Width", Variant("wide")},         // not a number
        {"Font", Variant(1)},               // objects are not set from values
    };
    for (const Case& c : failing) {
        EXPECT_ANY_THROW(SetPropValueByPath(&label, c.path, c.value)) << c.path;
        EXPECT_FALSE(TrySetPropValueByPath(&label, c.path, c.value)) << c.path;
    }
    EXPECT_FALSE(TrySetPropValueByPath(nullptr, "Width", Variant(1)));
    EXPECT_TRUE(TrySetPropValueByPath(&label, "NoSuch", Variant(1)));
    EXPECT_TRUE(TrySetPropValueByPath(&label, "Font.Color", Variant("clBtnFace")));
    EXPECT_EQ(static_cast<unsigned>(label.Font()->Color()), 0x8000000Fu);
}

TEST(GetClassPropObject, OnlyClassTypedProperties) {
    TPathLabel label(nullptr);
    EXPECT_EQ(GetClassPropObject(&label, "font"), label.Font());
    EXPECT_EQ(GetClassPropObject(&label, "Spare"), nullptr);
    EXPECT_EQ(GetClassPropObject(&label, "Caption"), nullptr);
    EXPECT_EQ(GetClassPropObject(&label, "Missing"), nullptr);
    EXPECT_EQ(GetClassPropObject(nullptr, "Font"), nullptr);
}
