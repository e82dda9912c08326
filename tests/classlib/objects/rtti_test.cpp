#include <gtest/gtest.h>

#include "classlib/rtl/strutils.h"
#include "testclasses.h"

TEST(ClassInfo, NamesParentsAndInheritance) {
    TTestButton button(nullptr);
    EXPECT_EQ(button.ClassName(), "TTestButton");
    EXPECT_TRUE(button.ClassNameIs("ttestbutton"));
    EXPECT_EQ(button.ClassParent(), TTestControl::StaticClass());
    EXPECT_EQ(button.ClassType(), TTestButton::StaticClass());
    EXPECT_TRUE(button.InheritsFrom(TComponent::StaticClass()));
    EXPECT_TRUE(button.InheritsFrom(TObject::StaticClass()));
    EXPECT_FALSE(button.InheritsFrom(TTestForm::StaticClass()));
    EXPECT_EQ(TObject::StaticClass()->ClassParent(), nullptr);
    TObject* asObject = &button;
    EXPECT_EQ(asObject->ClassName(), "TTestButton");
}

TEST(ClassInfo, RegistryFindsByNameWithoutCase) {
    EXPECT_EQ(GetClass("ttestbutton"), TTestButton::StaticClass());
    EXPECT_EQ(FindClass("TStringList"), TStringList::StaticClass());
    EXPECT_EQ(GetClass("TNoSuchClass"), nullptr);
    try {
        FindClass("TNoSuchClass");
        FAIL();
    } catch (const EClassNotFound& e) {
        EXPECT_STREQ(e.what(), "Class TNoSuchClass not found");
    }
    UnRegisterClass(TTestTimer::StaticClass());
    EXPECT_EQ(GetClass("TTestTimer"), nullptr);
    RegisterClasses({TTestTimer::StaticClass(), TTestTimer::StaticClass()}); // twice is fine
    EXPECT_EQ(GetClass("TTestTimer"), TTestTimer::StaticClass());
    TClassInfo impostor("TTestTimer", TComponent::StaticClass());
    EXPECT_THROW(RegisterClass(&impostor), EFilerError);
}

TEST(ClassInfo, FactoriesCreateByClass) {
    TComponent owner(nullptr);
    TComponent* c = FindClass("TTestButton")->CreateComponent(&owner);
    EXPECT_EQ(c->ClassName(), "TTestButton");
    EXPECT_EQ(c->Owner(), &owner);
    TObject* list = TStringList::StaticClass()->CreateObject();
    EXPECT_EQ(list->ClassName(), "TStringList");
    list->Free();
    EXPECT_THROW(TStrings::StaticClass()->CreateObject(), EInvalidOperation); // abstract
    EXPECT_THROW(TStringList::StaticClass()->CreateComponent(&owner), EInvalidOperation);
}

TEST(ClassInfo, PublishedPropertiesKindsAndTypes) {
    struct Case {
        const char* name;
        TTypeKind kind;
        const char* type;
    } cases[] = {
        {"Left", tkInteger, "Integer"},
        {"Color", tkInteger, "TColor"},
        {"Letter", tkChar, "Char"},
        {"Align", tkEnumeration, "TTestAlign"},
        {"Visible", tkEnumeration, "Boolean"},
        {"Ratio", tkFloat, "Double"},
        {"Weight", tkFloat, "Single"},
        {"Stamp", tkFloat, "TDateTime"},
        {"Caption", tkLString, "AnsiString"},
        {"Title", tkWString, "WideString"},
        {"Font", tkClass, "TTestFont"},
        {"Items", tkClass, "TStrings"},
        {"Link", tkClass, "TComponent"},
        {"OnClick", tkMethod, "TNotifyEvent"},
        {"OnKey", tkMethod, "TTestKeyEvent"},
        {"Big", tkInt64, "Int64"},
        {"Tag", tkInteger, "Integer"},
    };
    TTestButton b(nullptr);
    for (const Case& c : cases) {
        const TPropInfo* p = GetPropInfo(&b, c.name);
        ASSERT_NE(p, nullptr) << c.name;
        EXPECT_EQ(p->Kind(), c.kind) << c.name;
        EXPECT_EQ(p->PropType()->Name(), c.type) << c.name;
    }
    EXPECT_EQ(GetPropInfo(&b, "caption"), GetPropInfo(&b, "CAPTION"));
    EXPECT_EQ(GetPropInfo(&b, "NoSuch"), nullptr);
    EXPECT_EQ(GetPropInfo(&b, "Font")->PropType()->ClassType(), TTestFont::StaticClass());
    EXPECT_EQ(GetPropInfo(&b, "Align")->PropType()->Names,
              (std::vector<AnsiString>{"taNone", "taTop", "taBottom", "taClient"}));
    const TTypeInfo* style = GetPropInfo(TTestFont::StaticClass(), "Style")->PropType();
    EXPECT_EQ(style->Kind, tkSet);
    EXPECT_EQ(style->CompType->Name(), "TTestFontStyle");
    // Base class first, in declaration order; Default of TTestButton after the control's.
    const auto& props = TTestButton::StaticClass()->Props();
    EXPECT_EQ(props.front()->Name(), "Name");
    EXPECT_EQ(props.back()->Name(), "Default");
}

TEST(PropertyAccess, EveryKindByName) {
    TComponent owner(nullptr);
    auto* b = new TTestButton(&owner);
    auto* other = new TTestTimer(&owner);
    other->SetName("tmr");
    SetOrdProp(b, "left", 12);
    EXPECT_EQ(b->Left(), 12);
    SetOrdProp(b, "Letter", 'Q');
    EXPECT_EQ(b->Letter(), 'Q');
    SetEnumProp(b, "Align", " taClient ");
    EXPECT_EQ(b->Align(), taClient);
    EXPECT_EQ(GetEnumProp(b, "Align"), "taClient");
    SetOrdProp(b, "Visible", 0);
    EXPECT_FALSE(b->Visible());
    SetFloatProp(b, "Ratio", 2.5);
    EXPECT_EQ(GetFloatProp(b, "Ratio"), 2.5);
    SetStrProp(b, "Caption", "浏览");
    EXPECT_EQ(GetStrProp(b, "Caption"), "浏览");
    SetWideStrProp(b, "Title", u"标题");
    EXPECT_EQ(b->Title(), u"标题");
    SetInt64Prop(b, "Big", 1LL << 40);
    EXPECT_EQ(GetInt64Prop(b, "Big"), 1LL << 40);
    SetObjectProp(b, "Link", other);
    EXPECT_EQ(GetObjectProp(b, "Link"), other);
    EXPECT_EQ(GetOrdProp(b, "Link"), reinterpret_cast<std::intptr_t>(static_cast<TObject*>(other)));
    SetSetProp(b->Font(), "Style", "[tfsBold, tfsUnderline]");
    EXPECT_TRUE(b->Font()->Style().Contains(tfsUnderline));
    EXPECT_FALSE(b->Font()->Style().Contains(tfsItalic));
    EXPECT_EQ(GetSetProp(b->Font(), "Style"), "tfsBold,tfsUnderline");
    EXPECT_EQ(GetObjectProp(b, "Font"), b->Font());
    TTestForm form(nullptr);
    SetMethodProp(b, "OnClick", form.MethodAddress("FormClick"));
    b->SetName("btn");
    b->Click();
    EXPECT_EQ(form.Clicks, std::vector<AnsiString>{"FormClick:btn"});
    EXPECT_EQ(GetMethodProp(b, "OnClick"), form.MethodAddress("formclick"));
}

TEST(PropertyAccess, AsText) {
    TTestButton b(nullptr);
    struct Case {
        const char* name;
        const char* text;
        const char* readBack;
    } cases[] = {
        {"Color", "clRed", "clRed"}, {"Color", "clBtnFace", "clBtnFace"},
        {"Color", "12345", "12345"}, {"Color", "$FF", "clRed"},
        {"Left", "-7", "-7"},        {"Align", "taTop", "taTop"},
        {"Align", "2", "taBottom"},  {"Visible", "False", "False"},
        {"Ratio", "0.1", "0.1"},     {"Ratio", "3", "3"},
        {"Caption", " a ", " a "},   {"Letter", "x", "x"},
    };
    for (const Case& c : cases) {
        SetPropText(&b, c.name, c.text);
        EXPECT_EQ(GetPropText(&b, c.name), c.readBack) << c.name << " " << c.text;
    }
    SetPropText(b.Font(), "Charset", "GB2312_CHARSET");
    EXPECT_EQ(b.Font()->Charset(), 134);
    EXPECT_EQ(GetPropText(b.Font(), "Charset"), "GB2312_CHARSET");
    EXPECT_EQ(b.Color(), 0xFF);
    SetPropText(&b, "Color", "clWindow");
    EXPECT_EQ(static_cast<unsigned>(b.Color()), 0x80000005u);
}

TEST(PropertyAccess, ErrorsNameTheProblem) {
    TTestButton b(nullptr);
    struct Case {
        const char* name;
        const char* text;
    } bad[] = {{"Left", "abc"},  {"Align", "taNowhere"}, {"Align", "9"},
               {"Ratio", "1,5"}, {"Letter", "xy"},       {"Font", "x"}};
    for (const Case& c : bad)
        EXPECT_THROW(SetPropText(&b, c.name, c.text), EPropertyError) << c.name;
    try {
        GetOrdProp(&b, "Missing");
        FAIL();
    } catch (const EPropertyError& e) {
        EXPECT_STREQ(e.what(), "Property Missing does not exist");
    }
    EXPECT_THROW(GetStrProp(&b, "Left"), EPropertyError);                // wrong channel
    EXPECT_THROW(SetOrdProp(&b, "Align", 7), EPropertyError);            // out of the enumeration
    EXPECT_THROW(SetOrdProp(b.Font(), "Charset", 300), EPropertyError);  // a Byte
    EXPECT_THROW(SetOrdProp(b.Font(), "Style", 1 << 6), EPropertyError); // not an element
    TTestTimer timer(nullptr);
    TTestForm form2(nullptr);
    EXPECT_THROW(SetObjectProp(&b, "Font", &timer), EPropertyError); // a font it is not
    EXPECT_THROW(SetMethodProp(&b, "OnKey", TNotifyEvent(&form2, &TTestForm::FormClick).Method()),
                 EPropertyError);
    EXPECT_THROW(GetOrdProp(nullptr, "Left"), EPropertyError);
}

TEST(Sets, TextBothWays) {
    const TTypeInfo* t = TypeInfoOf<TTestFontStyles>();
    EXPECT_EQ(SetToString(t, TTestFontStyles{tfsItalic, tfsStrikeOut}.Bits()), "[tfsItalic,tfsStrikeOut]");
    EXPECT_EQ(SetToString(t, 0), "[]");
    EXPECT_EQ(StringToSet(t, " [ tfsbold ,tfsItalic] "), (TTestFontStyles{tfsBold, tfsItalic}.Bits()));
    EXPECT_EQ(StringToSet(t, ""), 0u);
    EXPECT_THROW(StringToSet(t, "[tfsBold, wrong]"), EPropertyError);
    TTestFontStyles s{tfsBold};
    s.Include(tfsUnderline).Exclude(tfsBold);
    EXPECT_EQ(s, TTestFontStyles{tfsUnderline});
    EXPECT_TRUE((s | TTestFontStyles{tfsBold}).Contains(tfsBold));
    EXPECT_TRUE((s - s).Empty());
}

TEST(PropertyAccess, AsVariant) {
    TTestButton b(nullptr);
    SetPropValue(&b, "Left", Variant("42"));
    EXPECT_EQ(b.Left(), 42);
    SetPropValue(&b, "Align", Variant("taBottom"));
    EXPECT_EQ(b.Align(), taBottom);
    SetPropValue(&b, "Align", Variant(1));
    EXPECT_EQ(b.Align(), taTop);
    SetPropValue(&b, "Visible", Variant(false));
    EXPECT_FALSE(b.Visible());
    SetPropValue(b.Font(), "Style", Variant("[tfsItalic]"));
    EXPECT_EQ(b.Font()->Style(), TTestFontStyles{tfsItalic});
    SetPropValue(&b, "Ratio", Variant("2.5"));
    EXPECT_EQ(b.Ratio(), 2.5);
    SetPropValue(&b, "Caption", Variant(12));
    EXPECT_EQ(b.Caption(), "12");
    SetPropValue(&b, "Title", Variant("浏览"));
    EXPECT_EQ(b.Title(), u"浏览");
    SetPropValue(&b, "Value", Variant(u"x"));
    EXPECT_EQ(VarType(b.Value()), varOleStr);
    EXPECT_EQ(VarToStr(GetPropValue(&b, "Align")), "taTop");
    EXPECT_EQ(GetPropValue(&b, "Align", false).AsInteger(), 1);
    EXPECT_EQ(VarType(GetPropValue(&b, "Visible")), varBoolean);
    EXPECT_EQ(VarToStr(GetPropValue(b.Font(), "Style")), "tfsItalic");
    SetPropValue(&b, "Stamp", VarFromDateTime(45000.25));
    EXPECT_EQ(VarType(GetPropValue(&b, "Stamp")), varDate);
    EXPECT_THROW(SetPropValue(&b, "Left", Variant("abc")), EVariantError);
    EXPECT_THROW(SetPropValue(&b, "Font", Variant(1)), EPropertyError);
    EXPECT_THROW(SetPropValue(&b, "Left", Null()), EVariantError);
}
