#include <gtest/gtest.h>

#include "classlib/db/db.h"
#include "framework/DBFieldReg.h"

namespace {

TEST(DBFieldRegTest, TheTwentySixClassesAreThereWhileTheModuleIsLoaded) {
    const std::vector<TClass>& classes = DBFieldClasses();
    ASSERT_EQ(classes.size(), 26u);
    EXPECT_EQ(classes.front()->ClassName(), "TADTField");
    EXPECT_EQ(classes.back()->ClassName(), "TWordField");
    DBFieldRegUnit.Initialization();
    for (TClass cls : classes)
        EXPECT_EQ(GetClass(cls->ClassName()), cls) << cls->ClassName();
    // The class library registered them all: the unit took none, so its unload takes none away.
    EXPECT_EQ(DBFieldClassesRegisteredHere(), 0);
    DBFieldRegUnit.Finalization();
    EXPECT_EQ(GetClass("TStringField"), TStringField::StaticClass());
}

TEST(DBFieldRegTest, UnregistersWhatItRegistered) {
    UnRegisterClass(TMemoField::StaticClass()); // as if nobody had registered it
    DBFieldRegUnit.Initialization();
    EXPECT_EQ(DBFieldClassesRegisteredHere(), 1);
    EXPECT_EQ(GetClass("TMemoField"), TMemoField::StaticClass());
    DBFieldRegUnit.Finalization();
    EXPECT_EQ(GetClass("TMemoField"), nullptr);
    EXPECT_EQ(DBFieldClassesRegisteredHere(), 0);
    RegisterClass(TMemoField::StaticClass());
}

} // namespace
