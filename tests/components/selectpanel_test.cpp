// The select panel: tidying the range on exit, reading dates, styles, the value list and its buttons,
// and the pick request to the owner form.
#include <gtest/gtest.h>

#include "classlib/rtl/datetime.h"
#include "components/SelectPnl.h"

namespace {

class TPickForm : public TForm {
    KVR_CLASS(TPickForm, TForm)
    KVR_MESSAGES(TPickForm)
public:
    explicit TPickForm(TComponent* owner) : TForm(owner) {}
    std::vector<LPARAM> Picks;
    void WMF2Lookup(TMessage& message) { Picks.push_back(message.LParam); }
};

} // namespace

KVR_MESSAGE_MAP(TPickForm, m) {
    m.Handle(WM_F2LOOKUP, &TPickForm::WMF2Lookup);
}
KVR_PUBLISHED(TPickForm, c) {}

namespace {

struct TEvents : TObject {
    std::vector<std::pair<TObject*, TObject*>> Opened;
    std::vector<std::pair<TSelectStyle, TSelectStyle>> Changes;
    bool AcceptDelete = true;
    bool AcceptStyle = true;
    TSelectStyle Redirect = sp_Range;
    bool Redirecting = false;
    int Cleared = 0;
    void OpenWin(TObject* parent, TObject* sender) { Opened.emplace_back(parent, sender); }
    void Deleting(TObject*, bool& accept) { accept = AcceptDelete; }
    void Clear(TObject*) { ++Cleared; }
    void Changing(TObject*, TSelectStyle, TSelectStyle& newStyle, bool& accept) {
        accept = AcceptStyle;
        if (Redirecting) newStyle = Redirect;
    }
    void Change(TObject*, TSelectStyle oldStyle, TSelectStyle newStyle) {
        Changes.emplace_back(oldStyle, newStyle);
    }
};

class SelectPanelTest : public ::testing::Test {
protected:
    SelectPanelTest() {
        Form = new TPickForm(Application);
        Form->SetBounds(0, 0, 500, 300);
        Panel = new TSelectPanel(Form);
        Panel->SetParent(Form);
        Panel->SetBounds(10, 10, 353, 45);
        Panel->OnOpenWinClick = TOpenWinClickEvent(&Events, &TEvents::OpenWin);
        Panel->OnDeleteClick = TDeleteClickEvent(&Events, &TEvents::Deleting);
        Panel->OnClearClick = TNotifyEvent(&Events, &TEvents::Clear);
        Panel->OnStyleChanging = TStyleChangingEvent(&Events, &TEvents::Changing);
        Panel->OnStyleChange = TStyleChangeEvent(&Events, &TEvents::Change);
        Form->Show();
    }
    ~SelectPanelTest() override { Form->Free(); }
    void Range(const char* begin, const char* end) {
        Panel->BeginEdit()->SetText(begin);
        Panel->EndEdit()->SetText(end);
    }
    void AddItem(const char* caption, const char* sub = nullptr) {
        TListItem* item = Panel->Items()->Add();
        item->SetCaption(caption);
        if (sub) item->SubItems()->Add(sub);
    }
    std::vector<AnsiString> Captions() const {
        std::vector<AnsiString> out;
        for (int i = 0; i < Panel->Items()->Count(); ++i)
            out.push_back(Panel->Items()->Item(i)->Caption());
        return out;
    }
    TPickForm* Form;
    TSelectPanel* Panel;
    TEvents Events;
};

TEST_F(SelectPanelTest, ExitTidiesTheRangeByValueType) {
    struct Case {
        SelectPnl::TValueType type;
        TDateType dateType;
        const char* begin;
        const char* end;
        const char* wantBegin;
        const char* wantEnd;
    };
    const Case cases[] = {
        {SelectPnl::vt_Number, dt_NoneCare, "10", "9", "9", "10"},
        {SelectPnl::vt_Number, dt_NoneCare, "10", "abc", "abc", "10"}, // the end counts as 0
        {SelectPnl::vt_Number, dt_NoneCare, "9", "10", "9", "10"},
        {SelectPnl::vt_Date, dt_YYYYMMDD, "2024/05", "2024/04/30", "2024/04/30", "2024/05"},
        {SelectPnl::vt_Date, dt_YYYYMMDD, "2024/04", "2024/04/30", "2024/04", "2024/04/30"},
        // A one-digit month without its day is the first of that month.
        {SelectPnl::vt_Date, dt_MMDDYYYY, "5/2024", "4/30/2024", "4/30/2024", "5/2024"},
        {SelectPnl::vt_Date, dt_MMDDYYYY, "4/2024", "4/30/2024", "4/2024", "4/30/2024"},
        {SelectPnl::vt_Date, dt_DDMMYYYY, "2/5/2024", "30/4/2024", "30/4/2024", "2/5/2024"},
        {SelectPnl::vt_Date, dt_NoneCare, "2024/05/01", "2024/04/30", "2024/04/30", "2024/05/01"},
        {SelectPnl::vt_String, dt_NoneCare, " b ", "a", "a", "b"},
        {SelectPnl::vt_Time, dt_NoneCare, "12:00", "08:30", "08:30", "12:00"},
        {SelectPnl::vt_OtherMask, dt_NoneCare, "b", "a", "b", "a"},
        {SelectPnl::vt_Float, dt_NoneCare, "2.5", "10", "2.5", "10.0"},
        {SelectPnl::vt_Float, dt_NoneCare, "12", ".5", "0.5", "12.0"},
        // What is no number stays as typed, counting 0.
        {SelectPnl::vt_Float, dt_NoneCare, "3", "abc", "abc", "3.0"},
        // One edit alone is never swapped.
        {SelectPnl::vt_String, dt_NoneCare, "b", "", "b", ""},
        {SelectPnl::vt_Number, dt_NoneCare, "", "5", "", "5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.begin) + " .. " + c.end);
        Panel->SetValueType(c.type);
        Panel->SetDateType(c.dateType);
        Range(c.begin, c.end);
        Panel->DoExit();
        EXPECT_EQ(Panel->BeginEdit()->Text(), c.wantBegin);
        EXPECT_EQ(Panel->EndEdit()->Text(), c.wantEnd);
    }
}

TEST_F(SelectPanelTest, DiscardAndTheDateSwitchKeepTheRange) {
    Panel->SetValueType(SelectPnl::vt_String);
    Panel->SetUseDiscard(true);
    Panel->SetDiscard("*");
    Range("z", "*");
    Panel->DoExit();
    EXPECT_EQ(Panel->BeginEdit()->Text(), "z");

    Panel->SetValueType(SelectPnl::vt_Date);
    Panel->SetDateType(dt_YYYYMMDD);
    Panel->SetUseDiscard(false);
    Panel->SetAutoChangeDateSite(false);
    Range("2024/05/01", "2024/04/01");
    Panel->DoExit();
    EXPECT_EQ(Panel->BeginEdit()->Text(), "2024/05/01");
}

TEST_F(SelectPanelTest, ReadsDatesByKind) {
    struct Case {
        TDateType type;
        const char* sign;
        const char* text;
        int year, month, day; // 0: no date
    };
    const Case cases[] = {
        {dt_YYYYMMDD, "/", "2024/05", 2024, 5, 1},    {dt_YYYYMMDD, "/", " 2024/5/7 ", 2024, 5, 7},
        {dt_MMDDYYYY, "/", "5/2024", 2024, 5, 1},     {dt_MMDDYYYY, "/", "12/2024", 2024, 12, 1},
        {dt_MMDDYYYY, "/", "5/7/2024", 2024, 5, 7},   {dt_DDMMYYYY, "/", "5/2024", 2024, 5, 1},
        {dt_DDMMYYYY, "-", "7-5-2024", 2024, 5, 7},   {dt_YYMMDD, "/", "113/05/07", 2024, 5, 7},
        {dt_YYYMMDD, ".", "113.05", 2024, 5, 1},      {dt_YYYYMMDD, "/", "2024-05-07", 0, 0, 0},
        {dt_YYYYMMDD, "/", "2024/13/01", 0, 0, 0},    {dt_MMDDYYYY, "/", "ab/01/2024", 0, 0, 0},
        {dt_YYYYMMDD, "/", "2024/01/01/01", 0, 0, 0}, {dt_YYYYMMDD, "/", "", 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Panel->SetDateType(c.type);
        Panel->SetDateSign(c.sign);
        TDateTime want = c.year ? EncodeDate(c.year, c.month, c.day) : TDateTime(0);
        EXPECT_EQ(double(Panel->ReadDate(c.text)), double(want));
    }
}

TEST_F(SelectPanelTest, ABangMaskKeepsBlanksAndANewMaskKeepsBothTexts) {
    Range(" a ", " b ");
    Panel->SetEditMask("!cccc;0; ");
    const AnsiString begin = Panel->BeginEdit()->Text(), end = Panel->EndEdit()->Text();
    ASSERT_NE(begin, Trim(begin));
    Panel->SetValueType(SelectPnl::vt_OtherMask);
    Panel->DoExit();
    EXPECT_EQ(Panel->BeginEdit()->Text(), begin);
    EXPECT_EQ(Panel->EndEdit()->Text(), end);

    Panel->SetEditMask("");
    Range(" a ", " b ");
    Panel->DoExit();
    EXPECT_EQ(Panel->BeginEdit()->Text(), "a");

    Range("ab", "cd");
    Panel->SetEditMask("cccc;0;_");
    EXPECT_EQ(Panel->BeginEdit()->Text(), "ab");
    EXPECT_EQ(Panel->EndEdit()->Text(), "cd");
}

TEST_F(SelectPanelTest, AStyleChangeCanBeRefusedOrRedirected) {
    Events.AcceptStyle = false;
    Panel->SetStyle(sp_Discrete);
    EXPECT_EQ(Panel->Style(), sp_Range);
    EXPECT_EQ(Panel->Width(), 353);
    EXPECT_TRUE(Panel->RangePanel()->Visible());
    EXPECT_TRUE(Events.Changes.empty());

    Events.AcceptStyle = true;
    Events.Redirecting = true;
    Events.Redirect = sp_UserChoice;
    Panel->SetStyle(sp_Discrete);
    EXPECT_EQ(Panel->Style(), sp_UserChoice);
    ASSERT_EQ(Events.Changes.size(), 1u);
    EXPECT_EQ(Events.Changes[0].second, sp_UserChoice);
    // Leaving the range takes the other size and keeps the old one for the way back.
    EXPECT_EQ(Panel->Width(), 200);
    EXPECT_EQ(Panel->Height(), 105);
    EXPECT_EQ(Panel->OtherWidth(), 353);
    EXPECT_TRUE(Panel->SwitchBox()->Visible());

    // The switch turns between range and list.
    EXPECT_TRUE(Panel->RangePanel()->Visible());
    Panel->SetUserChoice(false);
    EXPECT_FALSE(Panel->SwitchBox()->Checked());
    EXPECT_FALSE(Panel->RangePanel()->Visible());
    EXPECT_TRUE(Panel->ListPanel()->Visible());
    Panel->SwitchBox()->Click();
    EXPECT_TRUE(Panel->UserChoice());
    EXPECT_TRUE(Panel->RangePanel()->Visible());
}

TEST_F(SelectPanelTest, PickButtonsAskTheOwnerFormForTheirControl) {
    Panel->BeginButton()->Click();
    Panel->SetStyle(sp_Discrete);
    Panel->ListButton()->Click();
    ASSERT_EQ(Form->Picks.size(), 2u);
    EXPECT_EQ(Form->Picks[0], reinterpret_cast<LPARAM>(Panel->BeginEdit()));
    EXPECT_EQ(Form->Picks[1], reinterpret_cast<LPARAM>(Panel->ListView()));
    ASSERT_EQ(Events.Opened.size(), 2u);
    EXPECT_EQ(Events.Opened[0].first, Panel);
    EXPECT_EQ(Events.Opened[1].second, Panel->ListView());
    EXPECT_TRUE(Panel->ListView()->Focused());
}

TEST_F(SelectPanelTest, DeleteAndClearWorkOnTheList) {
    Panel->SetStyle(sp_Discrete);
    AddItem("A");
    AddItem("B");
    AddItem("C");
    Panel->Items()->Item(0)->SetSelected(true);
    Panel->Items()->Item(2)->SetSelected(true);
    Events.AcceptDelete = false;
    Panel->DeleteButton()->Click();
    EXPECT_EQ(Panel->Items()->Count(), 3);
    Events.AcceptDelete = true;
    Panel->DeleteButton()->Click();
    EXPECT_EQ(Captions(), std::vector<AnsiString>{"B"});
    Panel->ClearButton()->Click();
    EXPECT_EQ(Panel->Items()->Count(), 0);
    EXPECT_EQ(Events.Cleared, 1);
}

TEST_F(SelectPanelTest, DuplicatesAndSorting) {
    Panel->SetStyle(sp_Discrete);
    AddItem("b");
    AddItem("a");
    AddItem("B");
    AddItem("a");
    Panel->SetCheckDuplicate(cd_CaseInsensitive);
    EXPECT_TRUE(Panel->SortListBox());
    EXPECT_EQ(Captions(), (std::vector<AnsiString>{"a", "b"}));
    Panel->Items()->Item(1)->SetSelected(true);

    Panel->SetSortListBox(false);
    Panel->SetCheckDuplicate(cd_None);
    Panel->Items()->Clear();
    AddItem("x", "2");
    AddItem("y", "1");
    AddItem("w", "1");
    Panel->ColumnClick(1); // by sub-item 0, ties by caption
    EXPECT_EQ(Captions(), (std::vector<AnsiString>{"w", "y", "x"}));
    Panel->ColumnClick(1);
    EXPECT_TRUE(Panel->SortDescending());
    EXPECT_EQ(Captions(), (std::vector<AnsiString>{"x", "y", "w"}));
    Panel->ColumnClick(0);
    EXPECT_FALSE(Panel->SortDescending());
    EXPECT_EQ(Captions(), (std::vector<AnsiString>{"w", "x", "y"}));
}

TEST_F(SelectPanelTest, WordsHintsAndEnabling) {
    TStringList words;
    words.Add("从");
    words.Add("自");
    words.Add("多余");
    Panel->SetBeginWords(&words);
    EXPECT_EQ(Panel->BeginWords()->Count(), 2);
    EXPECT_EQ(Panel->BeginLabel()->Caption(), "从");
    EXPECT_EQ(Panel->EndEdit()->Hint(), "区间选择-截止信息");
    Panel->ChildHints()->Put(3, "到");
    EXPECT_EQ(Panel->EndEdit()->Hint(), "到");

    Panel->SetUseVertical(true);
    EXPECT_EQ(Panel->BeginLabel()->Caption(), "自");
    EXPECT_LT(Panel->BeginEdit()->Top(), Panel->EndEdit()->Top());

    Panel->SetEnabled(false);
    EXPECT_FALSE(Panel->BeginEdit()->Enabled());
    EXPECT_FALSE(Panel->ClearButton()->Enabled());
    Panel->SetEnabled(true);
    EXPECT_TRUE(Panel->ListView()->Enabled());
}

} // namespace
