#include "foundation/UserDefINI.h"

#include "TempPlatform.h"

namespace {

class UserDefIniTest : public TempPlatform {
protected:
    AnsiString Folder() const { return "C:\\Veltrane"; }
    AnsiString FileName() const { return "C:\\Veltrane\\UserDef.ini"; }
    void SetUp() override {
        TempPlatform::SetUp();
        ASSERT_TRUE(ForceDirectories(Folder()));
    }
};

} // namespace

TEST_F(UserDefIniTest, MissingFileAnswersNewAndTheFirstSetCreatesIt) {
    TUserDefIni user(Folder());
    EXPECT_EQ(user.FileName(), FileName());
    EXPECT_EQ(user.GetFormat("KVRX58", "信用证"), "<New>");
    EXPECT_FALSE(FileExists(FileName()));
    EXPECT_TRUE(user.SetFormat("KVRX58", "信用证", "格式一"));
    EXPECT_TRUE(FileExists(FileName()));
    EXPECT_EQ(user.GetFormat("KVRX58", "信用证"), "格式一");
    EXPECT_EQ(user.GetFormat("kvrx58", "信用证"), "格式一"); // INI keys know no case
    EXPECT_EQ(user.GetFormat("KVRX59", "信用证"), "<New>");
    EXPECT_EQ(ReadFile(FileName()), "[VoucherFormatDef]\r\nKVRX58_信用证=格式一\r\n");
}

TEST_F(UserDefIniTest, EqualsSignsAreEscapedInTheKey) {
    TUserDefIni user(Folder() + "\\");
    user.SetFormat("P1", "a=b", "F");
    EXPECT_EQ(user.GetFormat("P1", "a=b"), "F");
    EXPECT_EQ(user.Lines().Strings(0), "P1_a$EQUAL$b=F");
    EXPECT_EQ(EscapeIniKey("=x=="), "$EQUAL$x$EQUAL$$EQUAL$");
    TUserDefIni again(Folder());
    EXPECT_EQ(again.GetFormat("P1", "a=b"), "F");
}

TEST_F(UserDefIniTest, NewInAnyCaseRemovesTheEntry) {
    TUserDefIni user(Folder());
    user.SetFormat("P1", "N", "F1");
    user.SetFormat("P1", "M", "F2");
    user.SetFormat("P1", "N", "<new>");
    EXPECT_EQ(user.GetFormat("P1", "N"), "<New>");
    EXPECT_EQ(user.GetFormat("P1", "M"), "F2");
    EXPECT_EQ(user.Lines().Count(), 1);
}

TEST_F(UserDefIniTest, DeleteLeavesTheListUntilTheNextLoad) {
    TUserDefIni user(Folder());
    user.SetFormat("P1", "N", "F1");
    user.DeleteFormat("P1", "N");
    EXPECT_EQ(user.GetFormat("P1", "N"), "F1");
    user.Load();
    EXPECT_EQ(user.GetFormat("P1", "N"), "<New>");
}

TEST_F(UserDefIniTest, DefaultFolderIsTheClientPath) {
    SetPlatformKey({{"ClientPath", Folder()}});
    TUserDefIni user;
    EXPECT_EQ(user.FileName(), FileName());
}

// No configured client folder: nothing is written anywhere, least of all the root of the machine, and
// SetFormat says so, so that the caller can tell the user the choice was not kept.
TEST_F(UserDefIniTest, NoClientFolderStoresNothing) {
    TUserDefIni user;
    EXPECT_EQ(user.FileName(), "");
    EXPECT_FALSE(user.SetFormat("P1", "N", "F1"));
    EXPECT_FALSE(user.SetFormat("P1", "N", "<New>"));
    EXPECT_EQ(user.GetFormat("P1", "N"), "<New>");
    EXPECT_FALSE(FileExists("\\UserDef.ini"));
}
