// The parts of the controller and the document form that the host cannot reach: the two class
// variables when they are unset, and the program ID read from the module's file name.
#include <gtest/gtest.h>

#include "framework/DLLMTCtrller.h"
#include "framework/RadicalCF.h"

namespace {

TEST(ProgramID, FromTheModuleFileName) {
    const struct {
        const char* FileName;
        const char* ID;
    } cases[] = {
        {"KVRX58C.so", "KVRX58"},
        {"KVRX58C.dll", "KVRX58"},
        {"/opt/kvr.2/bin/KVRX58C.so", "KVRX58"}, // a dot in a folder name is not the name's
        {"C:\\Vorlan\\kvrx58c.DLL", "KVRX58"},
        {"ab12cd.dll", "AB12"},
        {"abc.dll", ""},
        {"KVRX58C", ""}, // no dot
        {"9.so", "9"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgramIDOfFileName(c.FileName), c.ID) << c.FileName;
}

class RadicalFormTest : public ::testing::Test {
protected:
    void TearDown() override { delete Form; }
    TfrmRadical* Form = new TfrmRadical(nullptr);
};

TEST_F(RadicalFormTest, StartsHiddenWithTheFullOperationMask) {
    EXPECT_FALSE(Form->Visible());
    EXPECT_EQ(Form->OperationMask, 511);
    EXPECT_EQ(Form->OpenMode, 0);
    EXPECT_EQ(Form->ParamText, "");
    ASSERT_NE(Form->Broker, nullptr);
    EXPECT_EQ(Form->Broker->Owner(), Form);
    AnsiString id = "unchanged";
    Form->GetProgramID(id);
    EXPECT_EQ(id, ""); // no module file yet
}

TEST_F(RadicalFormTest, HostedUnlessTheModuleIsAnExecutable) {
    for (const char* name : {"KVRX58C.EXE", "kvrx58c.exe", "KVRX58C.Exe"}) {
        Form->SetModuleFileName(name);
        EXPECT_FALSE(Form->IsHosted()) << name;
    }
    for (const char* name : {"KVRX58C.dll", "KVRX58C.so", "KVRX58C.exe.so"}) {
        Form->SetModuleFileName(name);
        EXPECT_TRUE(Form->IsHosted()) << name;
    }
}

TEST_F(RadicalFormTest, InitializeFormTakesTheStartValues) {
    Form->SetModuleFileName("/x/KVRX58C.so");
    EXPECT_TRUE(Form->InitializeForm(VarArrayOf({"DEMO", "C1", "DB1", 77, "P"})));
    EXPECT_EQ(Form->Broker->UserID, "DEMO");
    EXPECT_EQ(Form->Broker->CompanyID, "C1");
    EXPECT_EQ(Form->Broker->Database, "DB1");
    EXPECT_EQ(Form->Broker->ProgramID, "KVRX58");
    EXPECT_EQ(Form->HostWindow, 77);
    EXPECT_EQ(Form->OpenParam.AsString(), "P");
    EXPECT_FALSE(Form->Visible());
    EXPECT_THROW(Form->InitializeForm(VarArrayOf({"DEMO"})), Exception); // no company
}

// The controller unit's initialisation has run in this process too (the program's form class is set by
// its library's main block, which the host tests load).
TEST(ClassVariables, UnsetOnesRaiseTheInternalErrors) {
    ASSERT_NE(DLLControllerClass, nullptr);

    const TClass controllerClass = DLLControllerClass;
    DLLControllerClass = nullptr;
    try {
        GetController();
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "QVN DLL Internal Error :\rNot Assign \"DLLControllerClass\" varible");
    }
    DLLControllerClass = controllerClass;

    const TClass formClass = frmRadicalClass;
    frmRadicalClass = nullptr;
    TDLLBaseController* controller = GetController();
    try {
        controller->Open(VarArrayOf({"DEMO", "DEMO", "DEMO", 0, ""}));
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "QVN DLL Internal Error :\rNot Assign \"frmRadicalClass\" varible");
    }
    EXPECT_TRUE(controller->IsFree());
    frmRadicalClass = formClass;
    controller->Free();
}

} // namespace
