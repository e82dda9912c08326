#include <gtest/gtest.h>

#include <cstring>

#include "classlib/objects/filer.h"
#include "classlib/objects/streams.h"

#include "classlib/objects/textform.h"
#include "testclasses.h"

namespace {

const char* const AllValuesText =
    "object frmAll: TTestForm\r\n"
    "  Caption = 'It''s '#13#10'浏览'\r\n"
    "  Left = -5\r\n"
    "  Width = 70000\r\n"
    "  object tmr: TTestTimer\r\n"
    "    Interval = 0\r\n"
    "  end\r\n"
    "  object ctl: TTestControl\r\n"
    "    Align = taClient\r\n"
    "    Amount = 12.3456c\r\n"
    "    Big = 1099511627776\r\n"
    "    Caption =\r\n"
    "      'abcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcd' +\r\n"
    "      'efghij'\r\n"
    "    Color = clRed\r\n"
    "    Columns = <\r\n"
    "      item\r\n"
    "        Caption = 'A'\r\n"
    "      end\r\n"
    "      item\r\n"
    "        Caption = 'B'\r\n"
    "        Width = 100\r\n"
    "      end>\r\n"
    "    Enabled = False\r\n"
    "    Font.Charset = GB2312_CHARSET\r\n"
    "    Font.Color = 8421377\r\n"
    "    Font.Name = '宋体'\r\n"
    "    Font.Style = [tfsBold, tfsItalic]\r\n"
    "    Items.Strings = (\r\n"
    "      'one'\r\n"
    "      ''\r\n"
    "      'two')\r\n"
    "    Left = 300\r\n"
    "    Letter = 'Z'\r\n"
    "    Ratio = 0.1\r\n"
    "    Stamp = 45000.5d\r\n"
    "    Title = 'W'#27983#35272\r\n"
    "    Value = Null\r\n"
    "    Weight = 1.5s\r\n"
    "    OnClick = FormClick\r\n"
    "    Data = {\r\n"
    "      000102FF}\r\n"
    "    Marks = (\r\n"
    "      1\r\n"
    "      -200\r\n"
    "      100000)\r\n"
    "  end\r\n"
    "end\r\n";

// A frame whose stream places another of itself on it.
class TSelfFrame : public TTestControl {
    KVR_CLASS(TSelfFrame, TTestControl)
public:
    explicit TSelfFrame(TComponent* owner) : TTestControl(owner) { InitInheritedComponent(this); }
};
KVR_PUBLISHED(TSelfFrame, c) {}

AnsiString Bytes(std::initializer_list<int> bytes) {
    AnsiString s;
    for (int b : bytes)
        s += static_cast<char>(b);
    return s;
}

// A text with one property on a control, for value and error tables.
AnsiString OneProperty(const AnsiString& line) {
    return "object f: TTestForm\r\n  object c: TTestControl\r\n    " + line + "\r\n  end\r\nend\r\n";
}

AnsiString ErrorOf(const AnsiString& text) {
    TTestForm form(nullptr);
    try {
        ReadComponentFromText(&form, text);
    } catch (const EReadError& e) {
        EXPECT_EQ(form.ComponentCount(), 0) << "half-created: " << e.Message();
        return e.Message();
    }
    return "";
}

} // namespace

TEST(TextForm, EveryValueTypeRoundTripsByteForByte) {
    AnsiString binary = ObjectTextToBinary(AllValuesText);
    EXPECT_EQ(ObjectBinaryToText(binary), AllValuesText);
    EXPECT_EQ(ObjectTextToBinary(ObjectBinaryToText(binary)), binary);
}

TEST(TextForm, ValuesEncodeAsTheBinaryFormSays) {
    struct Case {
        const char* value;
        AnsiString bytes;
    } cases[] = {
        {"0", Bytes({vaInt8, 0})},
        {"-128", Bytes({vaInt8, 0x80})},
        {"128", Bytes({vaInt16, 0x80, 0})},
        {"-32769", Bytes({vaInt32, 0xFF, 0x7F, 0xFF, 0xFF})},
        {"4294967296", Bytes({vaInt64, 0, 0, 0, 0, 1, 0, 0, 0})},
        {"$FF", Bytes({vaInt16, 0xFF, 0})},
        {"1.5", Bytes({vaExtended, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F})},
        {"1.5s", Bytes({vaSingle, 0, 0, 0xC0, 0x3F})},
        {"1.5c", Bytes({vaCurrency, 0x98, 0x3A, 0, 0, 0, 0, 0, 0})},
        {"-0.0001c", Bytes({vaCurrency, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})},
        {"-922337203685477.5808c", Bytes({vaCurrency, 0, 0, 0, 0, 0, 0, 0, 0x80})}, // the range's ends
        {"922337203685477.5807c", Bytes({vaCurrency, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F})},
        {"1e3c", Bytes({vaCurrency, 0x80, 0x96, 0x98, 0, 0, 0, 0, 0})},
        {"2.0d", Bytes({vaDate, 0, 0, 0, 0, 0, 0, 0, 0x40})},
        {"'ab'", Bytes({vaString, 2, 'a', 'b'})},
        {"'浏'", Bytes({vaString, 2, 0xE4, 0xAF})},
        {"'a'#9'b'", Bytes({vaString, 3, 'a', 9, 'b'})},
        {"'a' + 'b'", Bytes({vaString, 2, 'a', 'b'})},
        {"#27983", Bytes({vaWString, 1, 0, 0, 0, 0x4F, 0x6D})},
        {"clRed", Bytes({vaIdent, 5, 'c', 'l', 'R', 'e', 'd'})},
        {"False", Bytes({vaFalse})},
        {"true", Bytes({vaTrue})},
        {"nil", Bytes({vaNil})},
        {"Null", Bytes({vaNull})},
        {"{0aFF}", Bytes({vaBinary, 2, 0, 0, 0, 0x0A, 0xFF})},
        {"[a, b]", Bytes({vaSet, 1, 'a', 1, 'b', 0})},
        {"[]", Bytes({vaSet, 0})},
        {"(1 'x')", Bytes({vaList, vaInt8, 1, vaString, 1, 'x', vaNull})},
        {"<item end>", Bytes({vaCollection, vaList, vaNull, vaNull})},
        {"<item [3] X = 1 end>", Bytes({vaCollection, vaInt8, 3, vaList, 1, 'X', vaInt8, 1, vaNull, vaNull})},
    };
    for (const Case& c : cases) {
        AnsiString text = AnsiString("object T\r\n  P = ") + c.value + "\r\nend\r\n";
        AnsiString binary = ObjectTextToBinary(text);
        AnsiString expected = AnsiString("TPF0\x01T\x00", 7) + "\x01P" + c.bytes + AnsiString("\0\0", 2);
        EXPECT_EQ(binary, expected) << c.value;
        EXPECT_EQ(ObjectTextToBinary(ObjectBinaryToText(binary)), binary) << c.value;
    }
    // A string of 256 bytes is a long string.
    AnsiString longText = ObjectTextToBinary("object T\r\n  P = '" + AnsiString(256, 'x') + "'\r\nend\r\n");
    EXPECT_EQ(longText.substr(9, 5), Bytes({vaLString, 0, 1, 0, 0}));
    // Flags: inherited, inline, child position.
    EXPECT_EQ(ObjectTextToBinary("inherited A: TB [2]\r\nend"), AnsiString("TPF0\xF3\x02\x02\x02TB\x01"
                                                                           "A\0\0",
                                                                           14));
    EXPECT_EQ(ObjectBinaryToText(ObjectTextToBinary("inline A: TB\r\nend")), "inline A: TB\r\nend\r\n");
}

TEST(TextForm, LoadedIntoComponentsAndWrittenBack) {
    TTestForm form(nullptr);
    ReadComponentFromText(&form, AllValuesText);
    ASSERT_EQ(form.ComponentCount(), 2);
    auto* ctl = dynamic_cast<TTestControl*>(form.FindComponent("ctl"));
    ASSERT_NE(ctl, nullptr);
    EXPECT_EQ(form.Name(), "frmAll");
    EXPECT_EQ(form.Caption(), "It's \r\n浏览");
    EXPECT_EQ(form.Width(), 70000);
    EXPECT_EQ(ctl->Parent(), &form);
    EXPECT_EQ(ctl->Align(), taClient);
    EXPECT_DOUBLE_EQ(ctl->Amount(), 12.3456);
    EXPECT_EQ(ctl->Big(), 1099511627776LL);
    EXPECT_EQ(ctl->Caption().size(), 70u);
    EXPECT_EQ(ctl->Color(), 0xFF);
    ASSERT_EQ(ctl->Columns()->Count(), 2);
    EXPECT_EQ(static_cast<TTestColumn*>(ctl->Columns()->Items(1))->Width(), 100);
    EXPECT_FALSE(ctl->Enabled());
    EXPECT_EQ(ctl->Font()->Charset(), 134);
    EXPECT_EQ(ctl->Font()->Color(), 0x808001);
    EXPECT_EQ(ctl->Font()->Name(), "宋体");
    EXPECT_EQ(ctl->Font()->Style(), (TTestFontStyles{tfsBold, tfsItalic}));
    EXPECT_EQ(ctl->Items()->Text(), "one\r\n\r\ntwo\r\n");
    EXPECT_EQ(ctl->Letter(), 'Z');
    EXPECT_EQ(ctl->Ratio(), 0.1);
    EXPECT_EQ(ctl->Stamp(), 45000.5);
    EXPECT_EQ(ctl->Title(), u"W浏览");
    EXPECT_EQ(ctl->Weight(), 1.5f);
    EXPECT_TRUE(VarIsNull(ctl->Value()));
    EXPECT_EQ(ctl->Data, Bytes({0, 1, 2, 0xFF}));
    EXPECT_EQ(ctl->Marks, (std::vector<int>{1, -200, 100000}));
    ctl->Click();
    EXPECT_EQ(form.Clicks, std::vector<AnsiString>{"FormClick:ctl"});
    EXPECT_EQ(ctl->LoadedCount, 1);
    EXPECT_TRUE(ctl->SawLoadingInLoaded);
    EXPECT_FALSE(ctl->ComponentState().Contains(csLoading));
    EXPECT_FALSE(ctl->ComponentState().Contains(csReading));
    EXPECT_EQ(WriteComponentToText(&form), AllValuesText);
}

TEST(FormStream, AncestorStreamFirstThenTheDescendants) {
    TComponent application(nullptr);
    auto* child = new TfrmTestChild(&application);
    EXPECT_EQ(child->Name(), "frmTestChild");
    EXPECT_EQ(child->Caption(), "子窗体");
    EXPECT_EQ(child->Width(), 400); // from the ancestor's stream
    ASSERT_NE(child->pnlTop, nullptr);
    ASSERT_NE(child->btnOK, nullptr);
    ASSERT_NE(child->btnCancel, nullptr);
    ASSERT_NE(child->tmrPoll, nullptr);
    EXPECT_EQ(child->ComponentCount(), 4);
    // The inherited button keeps what the ancestor set and takes the descendant's changes.
    EXPECT_EQ(child->btnOK->Caption(), "确定");
    EXPECT_EQ(child->btnOK->Left(), 16);
    EXPECT_EQ(child->btnOK->Link(), child->btnCancel);
    EXPECT_EQ(child->btnCancel->Parent(), child->pnlTop);
    EXPECT_EQ(child->btnCancel->Owner(), child);
    EXPECT_EQ(child->pnlTop->ControlCount(), 2);
    EXPECT_EQ(child->tmrPoll->Interval(), 500);
    // Events bind to the root's published methods, the inherited ones included.
    child->btnOK->Click();
    child->btnCancel->Click();
    child->tmrPoll->OnTimer()(child->tmrPoll);
    EXPECT_EQ(child->Clicks,
              (std::vector<AnsiString>{"base.btnOKClick:btnOK", "child.btnCancelClick:btnCancel",
                                       "base.btnOKClick:tmrPoll"}));
    // Loaded once for each, after both streams.
    EXPECT_EQ(child->btnOK->LoadedCount, 1);
    EXPECT_EQ(child->LoadedCount, 1);
    // Written back against an ancestor instance: the descendant's stream again, byte for byte.
    TfrmTestBase ancestor(nullptr);
    EXPECT_EQ(WriteComponentToText(&ancestor), TestBaseText);
    EXPECT_EQ(WriteComponentToText(child, &ancestor), TestChildText);
    // A second instance beside the first takes another name.
    auto* second = new TfrmTestChild(&application);
    EXPECT_EQ(second->Name(), "frmTestChild_1");
    // Freeing the cancel button clears the reference and the field.
    child->btnCancel->Free();
    EXPECT_EQ(child->btnCancel, nullptr);
    EXPECT_EQ(child->btnOK->Link(), nullptr);
}

TEST(FormStream, VariantPropertiesKeepTheirType) {
    struct Case {
        const char* text;
        TVarType type;
    } cases[] = {{"5", varInteger}, {"1.5", varDouble},      {"1.5s", varSingle},   {"1.5c", varCurrency},
                 {"2.0d", varDate}, {"'x'", varString},      {"#27983", varOleStr}, {"True", varBoolean},
                 {"Null", varNull}, {"4294967296", varInt64}};
    for (const Case& c : cases) {
        AnsiString text = OneProperty(AnsiString("Value = ") + c.text);
        TTestForm form(nullptr);
        ReadComponentFromText(&form, text);
        auto* ctl = static_cast<TTestControl*>(form.FindComponent("c"));
        EXPECT_EQ(VarType(ctl->Value()), c.type) << c.text;
        EXPECT_EQ(
            ObjectBinaryToText(WriteComponentToBinary(&form)),
            "object f: TTestForm\r\n  Left = 0\r\n  object c: TTestControl\r\n    Left = 0\r\n    Value = " +
                AnsiString(c.text) + "\r\n  end\r\nend\r\n");
    }
}

TEST(FormStream, InlineFramesKeepTheirOwnStreamAndTakeChanges) {
    const AnsiString text = "object frmHost: TTestForm\r\n"
                            "  Left = 0\r\n"
                            "  inline frame1: TTestFrame\r\n"
                            "    Left = 10\r\n"
                            "    inherited lblTitle: TTestControl\r\n"
                            "      Caption = 'Changed'\r\n"
                            "      OnClick = FormClick\r\n"
                            "    end\r\n"
                            "  end\r\n"
                            "end\r\n";
    TTestForm form(nullptr);
    ReadComponentFromText(&form, text);
    auto* frame = dynamic_cast<TTestFrame*>(form.FindComponent("frame1"));
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->ComponentState().Contains(csInline));
    EXPECT_EQ(frame->Width(), 200);
    EXPECT_EQ(frame->Left(), 10);
    auto* title = static_cast<TTestControl*>(frame->FindComponent("lblTitle"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->Owner(), frame);
    EXPECT_EQ(title->Parent(), frame);
    EXPECT_EQ(title->Caption(), "Changed");
    title->Click();
    EXPECT_EQ(form.Clicks, std::vector<AnsiString>{"FormClick:lblTitle"});
    EXPECT_EQ(WriteComponentToText(&form), text);
}

TEST(FormStream, BinaryFormLoadsTheSame) {
    TTestForm first(nullptr);
    ReadComponentFromText(&first, AllValuesText);
    AnsiString binary = WriteComponentToBinary(&first);
    EXPECT_EQ(binary, ObjectTextToBinary(AllValuesText));
    TTestForm second(nullptr);
    ReadComponentFromBinary(&second, binary);
    EXPECT_EQ(WriteComponentToBinary(&second), binary);
}

TEST(TextForm, ACurrencyOutOfRangeIsAnErrorNamingIt) {
    for (const char* value :
         {"1e25c", "-1e25c", "922337203685477.5808c", "-922337203685477.5809c", "99999999999999999999c"}) {
        const AnsiString text = AnsiString("object T\r\n  P = ") + value + "\r\nend\r\n";
        try {
            ObjectTextToBinary(text);
            ADD_FAILURE() << value << " was taken";
        } catch (const EReadError& e) {
            EXPECT_NE(e.Message().find(AnsiString("Currency value out of range: ") +
                                       AnsiString(value, std::strlen(value) - 1)),
                      AnsiString::npos)
                << e.Message();
        }
    }
    // Nor is one written that could not be read back.
    TMemoryStream stream;
    TWriter writer(stream);
    EXPECT_THROW(writer.WriteCurrency(1e25), EWriteError);
    EXPECT_THROW(writer.WriteCurrency(-1e15), EWriteError);
    EXPECT_NO_THROW(writer.WriteCurrency(-9e14));
}

TEST(FormStream, ErrorsNameThePropertyAndTheLine) {
    struct Case {
        AnsiString text;
        const char* message;
    } cases[] = {
        {OneProperty("NoSuch = 1"), "Error reading c.NoSuch at line 3: Property NoSuch does not exist"},
        {OneProperty("Left = 'x'"), "Error reading c.Left at line 3: Invalid property value"},
        {OneProperty("Align = taNowhere"),
         "Error reading c.Align at line 3: Invalid property value taNowhere"},
        {OneProperty("Color = clNoColour"),
         "Error reading c.Color at line 3: Invalid property value clNoColour"},
        {OneProperty("Font.Style = [tfsBold, tfsWide]"),
         "Error reading c.Font.Style at line 3: Invalid property element: tfsWide"},
        {OneProperty("Font.Nope = 1"), "Error reading c.Font.Nope at line 3: Property Nope does not exist"},
        {OneProperty("Caption.X = 1"), "Error reading c.Caption.X at line 3: Invalid property path"},
        {OneProperty("OnClick = NoHandler"),
         "Error reading c.OnClick at line 3: Method NoHandler not found in TTestForm"},
        {OneProperty("OnKey = FormClick"),
         "Error reading c.OnKey at line 3: Method FormClick does not match the event's parameters"},
        {OneProperty("Font.Charset = 300"),
         "Error reading c.Font.Charset at line 3: Value 300 out of range for property Charset"},
        {OneProperty("Left = "), "Error reading c.Left at line 4: Property value expected but 'end' found"},
        {OneProperty("Caption = 'open"), "Error reading c.Caption at line 3: Unterminated string"},
        {OneProperty("Left 5"), "Error reading c.Left at line 3: '=' expected but '5' found"},
        {"object f: TTestForm\r\n  object x: TNoSuchClass\r\n  end\r\nend\r\n",
         "Error reading x at line 2: Class TNoSuchClass not found"},
        {"object f: TTestForm\r\n  object x: TStringList\r\n  end\r\nend\r\n",
         "Error reading x at line 2: Class TStringList is not a component class"},
        {"object f: TTestForm\r\n  inherited x: TTestButton\r\n  end\r\nend\r\n",
         "Error reading x at line 2: Ancestor for 'x' not found"},
        {"object f: TTestForm\r\n  object a: TTestButton\r\n  end\r\n  object A: TTestButton\r\n  "
         "end\r\nend\r\n",
         "Error reading A at line 4: A component named A already exists"},
        {"object f: TTestForm\r\n  object 1x: TTestButton\r\n  end\r\nend\r\n",
         "Error reading f at line 2: Identifier expected but '1' found"},
        {"object f: TTestForm\r\n  Left = 1\r\n",
         "Error reading f at line 3: 'end' expected but end of text found"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ErrorOf(c.text), c.message) << c.text;
}

TEST(FormStream, BinaryErrorsGiveTheOffset) {
    AnsiString binary = ObjectTextToBinary(OneProperty("Left = 300"));
    TTestForm form(nullptr);
    try {
        ReadComponentFromBinary(&form, binary.substr(0, binary.size() - 5)); // cut inside the value
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Error reading c.Left at offset " + std::to_string(binary.size() - 5) +
                                   ": Unexpected end of stream");
    }
    EXPECT_EQ(form.ComponentCount(), 0);
    try {
        ReadComponentFromBinary(&form, "TPF1");
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Error reading stream at offset 0: Invalid stream format");
    }
}

TEST(FormStream, NothingHalfCreatedOnFailure) {
    // The third component fails after two were created, one with children and a reference.
    AnsiString text = "object f: TTestForm\r\n"
                      "  object a: TTestControl\r\n"
                      "    object a1: TTestButton\r\n"
                      "      Link = b\r\n"
                      "    end\r\n"
                      "  end\r\n"
                      "  object b: TTestTimer\r\n"
                      "  end\r\n"
                      "  object c: TTestControl\r\n"
                      "    Left = oops\r\n"
                      "  end\r\n"
                      "end\r\n";
    TTestForm form(nullptr);
    auto* kept = new TTestTimer(&form);
    kept->SetName("kept");
    EXPECT_THROW(ReadComponentFromText(&form, text), EReadError);
    ASSERT_EQ(form.ComponentCount(), 1);
    EXPECT_EQ(form.Components(0), kept);
    EXPECT_EQ(form.ControlCount(), 0);
    EXPECT_FALSE(form.ComponentState().Contains(csLoading));
    EXPECT_EQ(PendingFixupCount(), 0);
}

TEST(FormStream, ReferencesToAnotherRootWaitUntilItLoads) {
    TComponent application(nullptr);
    int handle =
        RegisterFindGlobalComponent([&](const AnsiString& name) { return application.FindComponent(name); });
    auto* form = new TTestForm(&application);
    ReadComponentFromText(form, "object frmUser: TTestForm\r\n"
                                "  object c: TTestControl\r\n"
                                "    Link = dmData.tmrData\r\n"
                                "  end\r\n"
                                "end\r\n");
    auto* c = static_cast<TTestControl*>(form->FindComponent("c"));
    EXPECT_EQ(c->Link(), nullptr);
    EXPECT_EQ(PendingFixupCount(), 1);
    auto* dm = new TTestForm(&application);
    ReadComponentFromText(dm, "object dmData: TTestForm\r\n  object tmrData: TTestTimer\r\n  end\r\nend\r\n");
    EXPECT_EQ(c->Link(), dm->FindComponent("tmrData"));
    EXPECT_EQ(PendingFixupCount(), 0);
    EXPECT_EQ(WriteComponentToText(form),
              "object frmUser: TTestForm\r\n  Left = 0\r\n  object c: TTestControl\r\n    Left = 0\r\n"
              "    Link = dmData.tmrData\r\n  end\r\nend\r\n");
    // A reference still waiting goes away with its component.
    auto* other = new TTestForm(&application);
    ReadComponentFromText(other, "object frmOther: TTestForm\r\n  Link = dmNever.x\r\nend\r\n");
    EXPECT_EQ(PendingFixupCount(), 1);
    other->Free();
    EXPECT_EQ(PendingFixupCount(), 0);
    UnRegisterFindGlobalComponent(handle);
}

TEST(FormStream, ResourcesAndTheirErrors) {
    EXPECT_TRUE(HasFormResource(TfrmTestBase::StaticClass()));
    EXPECT_FALSE(HasFormResource(TTestForm::StaticClass()));
    TTestForm plain(nullptr);
    EXPECT_FALSE(InitInheritedComponent(&plain));
    RegisterFormResource("TTestForm", "object x: TTestForm\r\n  Left = \r\nend\r\n");
    try {
        InitInheritedComponent(&plain);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(
            e.Message(),
            "Error reading x.Left at line 3: Property value expected but 'end' found (stream of TTestForm)");
    }
    UnRegisterFormResource("TTestForm");
}

TEST(FormStream, AFrameHoldingItselfFailsCleanly) {
    RegisterFormResource("TSelfFrame",
                         "object SelfFrame: TSelfFrame\r\n  inline inner: TSelfFrame\r\n  end\r\nend\r\n");
    TComponent owner(nullptr);
    try {
        new TSelfFrame(&owner);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_NE(e.Message().find("streams nested too deeply"), AnsiString::npos) << e.Message();
    }
    EXPECT_EQ(owner.ComponentCount(), 0);
    UnRegisterFormResource("TSelfFrame");
}
