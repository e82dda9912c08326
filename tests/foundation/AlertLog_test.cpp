#include <gtest/gtest.h>

#include <stdexcept>

#include "TempPlatform.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/exceptions.h"
#include "classlib/rtl/files.h"
#include "foundation/AlertLog.h"
#include "foundation/VeltraneIni.h"

namespace {

class AlertLogTest : public TempPlatform {
protected:
    void SetUp() override {
        TempPlatform::SetUp();
        SetNowForTesting(EncodeDateTime(2026, 12, 15, 8, 9, 10, 11));
        SetPlatformKey({{"ClientPath", "C:\\Veltrane\\Client"}});
    }
};

TEST_F(AlertLogTest, WritesStampedLinesIntoTheFileOfTheLogNameAndPeriod) {
    const struct {
        const char* logName;
        char period;
        const char* fileName;
    } cases[] = {
        {"knlBase-103", 'M', "C:\\Veltrane\\Client\\Log\\Alert_knlBase-103_202612.log"},
        {"libstrs", 'D', "C:\\Veltrane\\Client\\Log\\Alert_libstrs_20261215.log"},
        {"Single", 'Y', "C:\\Veltrane\\Client\\Log\\Alert_Single_2026.log"},
        {"Radical", 'X', "C:\\Veltrane\\Client\\Log\\Alert_Radical_20261215.log"},
        {"Radical", 'm', "C:\\Veltrane\\Client\\Log\\Alert_Radical_20261215.log"},
        // A log name with a "." gets no ending.
        {"Class BaseCF.476", 'M', "C:\\Veltrane\\Client\\Log\\Alert_Class BaseCF.476_202612"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteAlertLog(c.logName, "BaseCF-484 连接失败", c.period)) << c.logName;
        EXPECT_TRUE(FileExists(c.fileName)) << c.fileName;
    }
    EXPECT_EQ(ReadFile("C:\\Veltrane\\Client\\Log\\Alert_knlBase-103_202612.log"),
              "[2026/12/15 08:09:10:011] BaseCF-484 连接失败\r\n");
    // The two 'X' and 'm' lines went to the daily file, appended.
    EXPECT_EQ(ReadFile("C:\\Veltrane\\Client\\Log\\Alert_Radical_20261215.log"),
              "[2026/12/15 08:09:10:011] BaseCF-484 连接失败\r\n"
              "[2026/12/15 08:09:10:011] BaseCF-484 连接失败\r\n");
}

TEST_F(AlertLogTest, StampUsesTheSystemSeparators) {
    SetDateSeparator('-');
    SetTimeSeparator('.');
    const bool written = WriteAlertLog("libstrs", "LINE[115] x", 'D');
    SetDateSeparator('/');
    SetTimeSeparator(':');
    ASSERT_TRUE(written);
    EXPECT_EQ(ReadFile("C:\\Veltrane\\Client\\Log\\Alert_libstrs_20261215.log"),
              "[2026-12-15 08.09.10.011] LINE[115] x\r\n");
}

TEST_F(AlertLogTest, FolderComesFromTheServerPathWhenNoClientPath) {
    SetPlatformKey({{"ClientPath", ""}, {"ServerPath", "D:\\Veltrane\\Server\\"}});
    ASSERT_TRUE(WriteAlertLog("TdmSingle", "x"));
    EXPECT_TRUE(FileExists("D:\\Veltrane\\Server\\Log\\Alert_TdmSingle_20261215.log"));
}

TEST_F(AlertLogTest, LogNameNeverLeavesTheLogFolder) {
    ASSERT_TRUE(WriteAlertLog("..\\..\\evil/x", "x", 'D'));
    EXPECT_TRUE(FileExists("C:\\Veltrane\\Client\\Log\\Alert_.._.._evil_x_20261215"));
    EXPECT_FALSE(DirectoryExists("C:\\Veltrane\\Client\\Log\\Alert_.."));
}

TEST_F(AlertLogTest, FailureToWriteIsReportedNotRaised) {
    // The Log folder cannot be made where a file stands.
    WriteFile("C:\\Veltrane\\Client\\Log", "a file");
    EXPECT_FALSE(WriteAlertLog("libstrs", "x"));
    SetPlatformKey({{"ClientPath", "C:\\Busy"}});
    WriteFile("C:\\Busy\\Log\\Alert_libstrs_20261215.log\\inner", "a folder where the log file goes");
    EXPECT_FALSE(WriteAlertLog("libstrs", "x"));
}

// ---------------------------------------------------------------------------------------------------

class GeneratorLogTest : public AlertLogTest {
protected:
    const AnsiString FileName = "C:\\Veltrane\\Client\\Log\\Alert_Ostrel_20261215.log";
    const AnsiString Stamp = "[2026/12/15 08:09:10] ";
};

TEST_F(GeneratorLogTest, WritesInTheShortDateAndLongTimeFormats) {
    ASSERT_TRUE(WriteOstrelAlert("one"));
    SetShortDateFormat("dd.mm.yyyy");
    SetLongTimeFormat("hh:nn");
    const bool written = WriteOstrelAlert("two");
    SetShortDateFormat("yyyy/mm/dd");
    SetLongTimeFormat("hh:nn:ss");
    ASSERT_TRUE(written);
    EXPECT_EQ(ReadFile(FileName), Stamp + "one\r\n[15.12.2026 08:09] two\r\n");
}

TEST_F(GeneratorLogTest, GoesToTheTemporaryFolderWithoutTheRegistryKey) {
    SetRegistryFileName((FRoot / "empty-registry.ini").string());
    ASSERT_TRUE(WriteOstrelAlert("x"));
    EXPECT_TRUE(FileExists(GetTempPath() + "Log\\Alert_Ostrel_20261215.log"));
}

TEST_F(GeneratorLogTest, ExceptionBlockWithoutExceptionOrLocation) {
    LogException(nullptr, "  ", "  检查 ");
    EXPECT_EQ(ReadFile(FileName),
              Stamp + AnsiString(68, '-') + "\r\n" + Stamp + "Programer Message: 检查\r\n");
}

TEST_F(GeneratorLogTest, ExceptionBlockByClass) {
    const EOSError osError("Access denied", 5);
    const EInOutError ioError("File not found", 2);
    const EConvertError convertError("'x' is not a valid integer value");
    const std::runtime_error runtimeError("out of memory");
    const struct {
        const std::exception* e;
        AnsiString entry;
    } cases[] = {
        {&osError, "EWin32Error Error 01: Code: 5, Message: Access denied"},
        {&ioError, "EInOutError Error 01: Code: 2, Message: File not found"},
        {&convertError, "Exception is EConvertError\r\nMessage 01: 'x' is not a valid integer value"},
        {&runtimeError, "Exception is std::runtime_error\r\nMessage 01: out of memory"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(DeleteFile(FileName) || !FileExists(FileName));
        LogException(c.e, "BaseCF-476", "");
        const AnsiString dashes(34, '-');
        EXPECT_EQ(ReadFile(FileName), Stamp + dashes + " on BaseCF-476 " + dashes + "\r\n" + Stamp +
                                          "讯息信息:\r\n" + Stamp + c.entry + "\r\n" + Stamp +
                                          "ErrorMessage Count: 1\r\n");
    }
}

TEST_F(GeneratorLogTest, UndecodablePasswordIsLoggedAsABlock) {
    EXPECT_EQ(DecodeStoredPassword("zz12"), "QV_Say_Password_Error");
    const AnsiString dashes(34, '-');
    EXPECT_EQ(ReadFile(FileName), Stamp + dashes + " on " + EncodeStoredPassword("DecodeSQLSa") + " " +
                                      dashes + "\r\n" + Stamp + "Programer Message: 解析 Sa 时发生错误!\r\n");
}

} // namespace
