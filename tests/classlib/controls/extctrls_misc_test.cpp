// Panels, radio groups, images, status bars, progress, check list boxes and the file dialogs.
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>

#include "classlib/controls/checklst.h"
#include "classlib/controls/comctrls.h"
#include "classlib/controls/dialogs.h"
#include "classlib/controls/dialogs_files.h"
#include "classlib/controls/extctrls.h"
#include "classlib/objects/streams.h"
#include "classlib/rtl/files.h"

namespace {

struct TRecorder : TObject {
    int Clicks = 0;
    void Click(TObject*) { ++Clicks; }
};

class ExtCtrlsTest : public ::testing::Test {
protected:
    ExtCtrlsTest() {
        Form = new TForm(Application);
        Form->SetBounds(0, 0, 400, 300);
    }
    ~ExtCtrlsTest() override {
        Application->SetModalDriver(nullptr);
        Form->Free();
    }
    TForm* Form;
    TRecorder Rec;
};

TEST_F(ExtCtrlsTest, PanelBevelsShrinkTheClientAreaOfAlignedChildren) {
    auto* panel = new TPanel(Form);
    panel->SetParent(Form);
    panel->SetBounds(0, 0, 200, 100);
    panel->SetBevelInner(bvLowered);
    panel->SetBevelWidth(2);
    panel->SetBorderWidth(3);
    auto* inner = new TPanel(Form);
    inner->SetParent(panel);
    inner->SetAlign(alClient);
    EXPECT_EQ(inner->BoundsRect(), (TRect{7, 7, 193, 93}));
    panel->SetColor(clYellow);
    TBitmap picture;
    PaintControlPicture(panel, &picture);
    EXPECT_EQ(picture.Pixel(0, 0), ColorToRGB(clBtnHighlight)); // raised outer bevel
    EXPECT_EQ(picture.Pixel(199, 99), ColorToRGB(clBtnShadow));
    EXPECT_EQ(picture.Pixel(3, 50), clYellow); // the border between the bevels
}

TEST_F(ExtCtrlsTest, RadioGroupMakesButtonsFromItems) {
    auto* group = new TRadioGroup(Form);
    group->SetParent(Form);
    group->SetBounds(0, 0, 200, 120);
    group->SetOnClick(TNotifyEvent(&Rec, &TRecorder::Click));
    group->Items()->Add("Yes");
    group->Items()->Add("No");
    group->Items()->Add("Maybe");
    group->SetColumns(2);
    ASSERT_NE(group->Buttons(2), nullptr);
    EXPECT_EQ(group->Buttons(2)->Caption(), "Maybe");
    EXPECT_GT(group->Buttons(2)->Left(), group->Buttons(0)->Left()); // second column
    group->SetItemIndex(1);
    EXPECT_TRUE(group->Buttons(1)->Checked());
    EXPECT_EQ(Rec.Clicks, 0); // by program: no click
    Form->Show();
    group->Buttons(2)->MouseClickAt(3, 3);
    EXPECT_EQ(group->ItemIndex(), 2);
    EXPECT_FALSE(group->Buttons(1)->Checked());
    EXPECT_EQ(Rec.Clicks, 1);
    group->Items()->Delete(2);
    EXPECT_EQ(group->ItemIndex(), -1);
    EXPECT_EQ(group->Buttons(2), nullptr);
    group->SetItemIndex(7);
    EXPECT_EQ(group->ItemIndex(), -1);
}

TEST_F(ExtCtrlsTest, ImageDrawsItsPictureCentredOrStretched) {
    auto* image = new TImage(Form);
    image->SetParent(Form);
    image->SetBounds(0, 0, 20, 20);
    image->Bitmap()->SetSize(4, 4);
    image->Bitmap()->Canvas()->Brush()->SetColor(clRed);
    image->Bitmap()->Canvas()->FillRect({0, 0, 4, 4});
    TBitmap picture;
    picture.SetSize(20, 20);
    image->SetCenter(true);
    PaintControlPicture(image, &picture);
    EXPECT_EQ(picture.Pixel(9, 9), clRed);
    EXPECT_NE(picture.Pixel(1, 1), clRed);
    image->SetStretch(true);
    PaintControlPicture(image, &picture);
    EXPECT_EQ(picture.Pixel(1, 1), clRed);
    EXPECT_EQ(picture.Pixel(19, 19), clRed);
}

TEST_F(ExtCtrlsTest, StatusBarPanelsAndSimpleText) {
    auto* bar = new TStatusBar(Form);
    bar->SetParent(Form);
    bar->Panels()->Add()->SetText("浏览");
    TStatusPanel* second = bar->Panels()->Add();
    second->SetText("DEMO");
    EXPECT_EQ(bar->Align(), alBottom);
    EXPECT_EQ(bar->Top(), Form->ClientHeight() - bar->Height());
    EXPECT_EQ(bar->PanelRect(0), (TRect{0, 2, 50, bar->Height()}));
    EXPECT_EQ(bar->PanelRect(1).Right, bar->Width()); // the last panel takes the rest
    EXPECT_EQ(bar->DumpText(), "浏览 | DEMO");
    bar->SetSimplePanel(true);
    bar->SetSimpleText("Ready");
    EXPECT_EQ(bar->DumpText(), "Ready");
}

TEST_F(ExtCtrlsTest, ProgressAndGaugeStayInRange) {
    TProgressBar progress(nullptr);
    progress.SetMax(50);
    progress.SetPosition(80);
    EXPECT_EQ(progress.Position(), 50);
    progress.SetMin(60); // the maximum follows
    EXPECT_EQ(progress.Max(), 60);
    EXPECT_EQ(progress.FilledWidth(), 0); // an empty range divides nothing
    TGauge gauge(nullptr);
    gauge.SetProgress(30);
    EXPECT_EQ(gauge.PercentDone(), 30);
    gauge.SetMaxValue(0);
    EXPECT_EQ(gauge.PercentDone(), 0);
    EXPECT_EQ(gauge.Progress(), 0);
}

TEST_F(ExtCtrlsTest, CheckListBoxItemsCheckByClickAndSpace) {
    auto* list = new TCheckListBox(Form);
    list->SetParent(Form);
    list->SetBounds(0, 0, 150, 100);
    list->Items()->Add("a");
    list->Items()->Add("b");
    list->SetOnClickCheck(TNotifyEvent(&Rec, &TRecorder::Click));
    list->SetItemEnabled(1, false);
    Form->Show();
    TRect item = list->ItemRect(0);
    list->MouseClickAt(item.Left + 4, item.Top + 4);
    EXPECT_TRUE(list->Checked(0));
    list->MouseClickAt(item.Left + 60, item.Top + 4); // on the text: selects only
    EXPECT_TRUE(list->Checked(0));
    PressKey(list, VK_SPACE, TShiftState());
    EXPECT_FALSE(list->Checked(0));
    TRect disabled = list->ItemRect(1);
    list->MouseClickAt(disabled.Left + 4, disabled.Top + 4);
    EXPECT_FALSE(list->Checked(1));
    EXPECT_EQ(Rec.Clicks, 2);
    list->SetAllowGrayed(true);
    list->ToggleItem(0);
    EXPECT_EQ(list->State(0), cbGrayed);
    EXPECT_FALSE(list->Checked(9));
    EXPECT_EQ(DumpControl(list).find("[-] a") != AnsiString::npos, true);
}

TEST_F(ExtCtrlsTest, FileDialogsAreAnsweredByTheDriver) {
    // A folder of this test run's own, so parallel runs and other users never meet.
    AnsiString folder =
        IncludeTrailingPathDelimiter(GetTempPath()) + "kvr_filedlg_test_" + std::to_string(::getpid());
    ASSERT_TRUE(ForceDirectories(folder));
    AnsiString existing = IncludeTrailingPathDelimiter(folder) + "old.xls";
    ASSERT_TRUE(SaveFileBytes(existing, "x"));
    ASSERT_TRUE(FileExists(existing));
    TSaveDialog save(nullptr);
    save.SetDefaultExt("xls");
    TOpenOptions options = save.Options();
    options.Include(ofOverwritePrompt);
    save.SetOptions(options);
    TQueuedDriver driver;
    driver.Type("FileName", IncludeTrailingPathDelimiter(folder) + "report").Click("OK");
    TModalDriverScope scope(&driver);
    EXPECT_TRUE(save.Execute());
    EXPECT_EQ(save.FileName(), IncludeTrailingPathDelimiter(folder) + "report.xls");
    // Replacing a file asks first; No asks for another name, Cancel gives up.
    driver.Type("FileName", existing).Click("OK").Answer("No").Click("Cancel");
    EXPECT_FALSE(save.Execute());
    EXPECT_EQ(save.FileName(), IncludeTrailingPathDelimiter(folder) + "report.xls");
    TOpenDialog open(nullptr);
    options = open.Options();
    options.Include(ofFileMustExist);
    open.SetOptions(options);
    driver.Type("FileName", IncludeTrailingPathDelimiter(folder) + "missing.xls")
        .Click("OK")
        .Answer("OK")
        .Type("FileName", existing)
        .Click("OK");
    EXPECT_TRUE(open.Execute());
    EXPECT_EQ(open.FileName(), existing);
    // Without an answer the dialog raises instead of waiting.
    EXPECT_THROW(open.Execute(), ENoModalAnswer);
    DeleteFile(existing);
    RemoveDir(folder);
}

} // namespace
