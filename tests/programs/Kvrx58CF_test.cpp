// The letter-of-credit form as the root form sees it: the language files of its whole class chain
// (form and data module), and the fonts of the English user interface on every control.
#include <gtest/gtest.h>

#include <memory>

#include "classlib/controls/forms.h"
#include "foundation/TempPlatform.h"
#include "programs/kvrx58/Kvrx58CF.h"

namespace {

// A hosted program (the executable's path holds VORLAN) on a platform whose client folder is
// C:\Veltrane (the folder of its VeltraneC.ini).
class Kvrx58FormTest : public TempPlatform {
protected:
    void SetUp() override {
        TempPlatform::SetUp();
        SetPlatformKey({{"ClientPath", "C:\\Veltrane\\"}});
        WriteFile("C:\\Veltrane\\VeltraneC.ini", "[Server Information]\r\nComputerName=127.0.0.1\r\n");
        FSavedExe = Application->ExeName();
        Application->SetExeName("/opt/VORLAN/bin/host");
    }
    void TearDown() override {
        Application->SetExeName(FSavedExe);
        TempPlatform::TearDown();
    }
    void WriteLanguage(const AnsiString& className, const AnsiString& xml) {
        WriteFile("C:\\Veltrane\\MultiLanguage\\CHS\\" + className + ".Lng",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + xml);
    }

private:
    AnsiString FSavedExe;
};

TEST_F(Kvrx58FormTest, TheLanguageFilesOfTheClassChainApplyBaseFirst) {
    WriteLanguage("TQVForm", "<f Caption=\"Q\" Hint=\"Q\"/>");
    WriteLanguage("TfrmRadical", "<f Hint=\"R\"/>");
    WriteLanguage("TfrmKvrx58", "<f Caption=\"K\"><edTA002 Hint=\"K2\"/></f>");
    WriteLanguage("TdmRadical",
                  "<d><cdsMainTA001 DisplayLabel=\"R1\"/><cdsMainTA002 DisplayLabel=\"R2\"/></d>");
    WriteLanguage("TdmKvrx58", "<d><cdsMainTA001 DisplayLabel=\"K1\"/></d>");
    std::unique_ptr<TfrmKvrx58> form(new TfrmKvrx58(nullptr));
    form->LoadLanguage(form.get());
    EXPECT_EQ(form->Caption(), "K");
    EXPECT_EQ(form->Hint(), "R"); // TfrmRadical's file came after TQVForm's
    EXPECT_EQ(static_cast<TControl*>(form->FindComponent("edTA002"))->Hint(), "K2");

    // The module walk stops below TQVForm; a data module's runs up its whole chain.
    std::unique_ptr<TfrmKvrx58> second(new TfrmKvrx58(nullptr));
    second->LoadModuleLanguage(second.get());
    EXPECT_EQ(second->Hint(), "R");
    EXPECT_EQ(second->Caption(), "K");
    second->LoadModuleLanguage(second->DataModule);
    EXPECT_EQ(second->Module()->cdsMain->FieldByName("TA001")->DisplayLabel(), "K1");
    EXPECT_EQ(second->Module()->cdsMain->FieldByName("TA002")->DisplayLabel(), "R2");
}

TEST_F(Kvrx58FormTest, TheEnglishUserInterfaceTakesTahomaWithTheGbCharacterSet) {
    WriteFile("C:\\Veltrane\\VeltraneC.ini",
              "[Server Information]\r\nComputerName=127.0.0.1\r\n[CodePage]\r\nUICodePage=437\r\n");
    std::unique_ptr<TfrmKvrx58> form(new TfrmKvrx58(nullptr));
    EXPECT_EQ(form->GetUICodePage(), "437");
    int fonts = 0;
    for (int i = 0; i < form->ComponentCount(); ++i) {
        auto* control = dynamic_cast<TControl*>(form->Components(i));
        if (!control) continue;
        ++fonts;
        EXPECT_EQ(control->Font()->Name(), "Tahoma") << control->Name();
        EXPECT_EQ(control->Font()->Charset(), 134) << control->Name();
    }
    EXPECT_GE(fonts, 5);
}

} // namespace
