#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/files.h"

namespace {

// A private temporary folder, removed with everything in it.
class TTempFolder {
public:
    TTempFolder() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kvr-files-XXXXXX";
        FPath = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TTempFolder() {
        std::error_code ec;
        if (!FPath.empty()) std::filesystem::remove_all(FPath, ec);
    }
    const std::string& Path() const { return FPath; }

private:
    std::string FPath;
};

// Sets an environment variable for one test and puts the old value back.
class TEnvironmentValue {
public:
    TEnvironmentValue(const char* name, const char* value) : FName(name) {
        if (const char* old = std::getenv(name)) FOld = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~TEnvironmentValue() {
        if (FOld)
            ::setenv(FName, FOld->c_str(), 1);
        else
            ::unsetenv(FName);
    }

private:
    const char* FName;
    std::optional<std::string> FOld;
};

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetACP(936);
        ASSERT_FALSE(FTemp.Path().empty());
        FDrives = FTemp.Path() + "/drives";
        SetDriveRoot(FDrives);
    }
    void TearDown() override {
        SetDriveRoot("");
        SetACP(936);
    }
    TTempFolder FTemp;
    std::string FDrives;
};

} // namespace

TEST(PathMapping, SystemToNativeAndBack) {
    SetACP(936);
    SetDriveRoot("/r/drives/");
    struct Case {
        const char* system;
        const char* native;
        const char* back; // SystemPath(native)
    };
    const Case cases[] = {
        {"C:\\Temp", "/r/drives/C/Temp", "C:\\Temp"},
        {"c:\\Temp\\", "/r/drives/C/Temp/", "C:\\Temp\\"},
        {"C:", "/r/drives/C", "C:"},
        {"C:\\", "/r/drives/C/", "C:\\"},
        {"C:\\Veltrane\\\\Log\\", "/r/drives/C/Veltrane/Log/", "C:\\Veltrane\\Log\\"},
        {"C:\\a\\..\\..\\etc\\.\\x", "/r/drives/C/etc/x", "C:\\etc\\x"},
        {"\\\\server\\share\\x", "/r/drives/UNC/server/share/x", "\\\\server\\share\\x"},
        {"\\\\server\\share\\..\\..\\x", "/r/drives/UNC/server/share/x", "\\\\server\\share\\x"},
        {"\\\\..\\..\\x", "/r/drives/UNC/x", "\\\\x"},
        {"\\a\\b", "/a/b", "\\a\\b"},
        {"\\", "/", "\\"},
        {"a\\b\\", "a/b/", "a\\b\\"},
        {"..\\a", "../a", "..\\a"},
        {"/tmp/x", "/tmp/x", "\\tmp\\x"},
        // The second byte of 0xB1 0x5C is a trail byte, not a separator.
        {"C:\\\xB1\x5C\\a", "/r/drives/C/\xB1\x5C/a", "C:\\\xB1\x5C\\a"},
        {"\xB1\x5C", "\xB1\x5C", "\xB1\x5C"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NativePath(c.system), c.native) << c.system;
        EXPECT_EQ(SystemPath(c.native), c.back) << c.native;
    }
    // Only what NativePath makes is read back as a drive or a share.
    EXPECT_EQ(SystemPath("/r/drives/c/x"), "\\r\\drives\\c\\x");
    EXPECT_EQ(SystemPath("/r/drives"), "\\r\\drives");
    EXPECT_EQ(SystemPath("/r/drives/UNC"), "\\r\\drives\\UNC");
    EXPECT_EQ(SystemPath("/r/drivesX/C"), "\\r\\drivesX\\C");
    EXPECT_EQ(SystemPath("//r//drives//C//x"), "C:\\x");
    SetDriveRoot("");
}

TEST(PathMapping, DriveRootComesFromTheEnvironment) {
    TTempFolder temp;
    {
        TEnvironmentValue root("KVR_DRIVE_ROOT", "/srv/kvr");
        EXPECT_EQ(DriveRoot(), "/srv/kvr");
        EXPECT_EQ(NativePath("D:\\x"), "/srv/kvr/D/x");
        SetDriveRoot("/other");
        EXPECT_EQ(DriveRoot(), "/other");
        SetDriveRoot("");
        EXPECT_EQ(DriveRoot(), "/srv/kvr");
    }
    TEnvironmentValue root("KVR_DRIVE_ROOT", nullptr);
    TEnvironmentValue tmp("TMPDIR", temp.Path().c_str());
    EXPECT_EQ(DriveRoot(), temp.Path() + "/kvr-drives");
    EXPECT_EQ(NativePath("C:\\Temp"), temp.Path() + "/kvr-drives/C/Temp");
}

TEST(PathText, Extraction) {
    SetACP(936);
    struct Case {
        const char* path;
        const char* drive;
        const char* filePath;
        const char* dir;
        const char* name;
        const char* ext;
    };
    const Case cases[] = {
        {"C:\\Temp\\a.txt", "C:", "C:\\Temp\\", "C:\\Temp", "a.txt", ".txt"},
        {"C:\\a", "C:", "C:\\", "C:\\", "a", ""},
        {"C:\\Temp\\", "C:", "C:\\Temp\\", "C:\\Temp", "", ""},
        {"C:name.txt", "C:", "C:", "C:", "name.txt", ".txt"},
        {"\\\\server\\share\\dir\\f.ini", "\\\\server\\share", "\\\\server\\share\\dir\\",
         "\\\\server\\share\\dir", "f.ini", ".ini"},
        {"\\\\server\\share", "\\\\server\\share", "\\\\server\\", "\\\\server", "share", ""},
        {"\\a", "", "\\", "\\", "a", ""},
        {"C:\\dir.d\\name", "C:", "C:\\dir.d\\", "C:\\dir.d", "name", ""},
        {"a\\.profile", "", "a\\", "a", ".profile", ".profile"},
        {"file.tar.gz", "", "", "", "file.tar.gz", ".gz"},
        {"/tmp/x.log", "", "/tmp/", "/tmp", "x.log", ".log"},
        {"C:\\\xB1\x5C.txt", "C:", "C:\\", "C:\\", "\xB1\x5C.txt", ".txt"},
        {"C:\\\xB1\x5C\\x", "C:", "C:\\\xB1\x5C\\", "C:\\\xB1\x5C", "x", ""},
        {"\xB1\x5C", "", "", "", "\xB1\x5C", ""},
        {"", "", "", "", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExtractFileDrive(c.path), c.drive) << c.path;
        EXPECT_EQ(ExtractFilePath(c.path), c.filePath) << c.path;
        EXPECT_EQ(ExtractFileDir(c.path), c.dir) << c.path;
        EXPECT_EQ(ExtractFileName(c.path), c.name) << c.path;
        EXPECT_EQ(ExtractFileExt(c.path), c.ext) << c.path;
    }
    // Without a double-byte code page the same byte is a separator.
    SetACP(1252);
    EXPECT_EQ(ExtractFileName("C:\\\xB1\x5C.txt"), ".txt");
    EXPECT_EQ(IncludeTrailingBackslash("\xB1\x5C"), "\xB1\x5C");
    SetACP(936);
}

TEST(PathText, TrailingSeparatorsAndExtensions) {
    SetACP(936);
    struct Case {
        const char* path;
        const char* included;
        const char* excluded;
    };
    const Case cases[] = {
        {"C:\\Temp", "C:\\Temp\\", "C:\\Temp"},
        {"C:\\Temp\\", "C:\\Temp\\", "C:\\Temp"},
        {"C:\\", "C:\\", "C:"},
        {"a/", "a/", "a"},
        {"\xB1\x5C", "\xB1\x5C\\", "\xB1\x5C"},
        {"", "\\", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IncludeTrailingBackslash(c.path), c.included) << c.path;
        EXPECT_EQ(IncludeTrailingPathDelimiter(c.path), c.included) << c.path;
        EXPECT_EQ(ExcludeTrailingBackslash(c.path), c.excluded) << c.path;
    }
    EXPECT_TRUE(IsPathDelimiter("a\\b", 2));
    EXPECT_FALSE(IsPathDelimiter("\xB1\x5C", 2));
    EXPECT_FALSE(IsPathDelimiter("a", 5));
    EXPECT_EQ(ChangeFileExt("a\\b.txt", ".ini"), "a\\b.ini");
    EXPECT_EQ(ChangeFileExt("a.b\\c", ".ini"), "a.b\\c.ini");
    EXPECT_EQ(ChangeFileExt("a\\b.txt", ""), "a\\b");
    EXPECT_EQ(ChangeFileExt("\xB1\x5C", ".x"), "\xB1\x5C.x");
}

TEST_F(FilesTest, ExpandFileName) {
    EXPECT_EQ(ExpandFileName("C:\\a\\.\\b\\..\\c"), "C:\\a\\c");
    EXPECT_EQ(ExpandFileName("c:\\a\\..\\..\\"), "C:\\");
    EXPECT_EQ(ExpandFileName("\\\\srv\\sh\\..\\x"), "\\\\srv\\sh\\x");
    EXPECT_EQ(ExpandFileName("\\a\\b\\..\\"), "\\a\\");
    EXPECT_EQ(ExpandFileName(""), "");

    std::string work = FDrives + "/C/work";
    std::filesystem::create_directories(work);
    std::string previous = std::filesystem::current_path().string();
    ASSERT_EQ(::chdir(work.c_str()), 0);
    EXPECT_EQ(GetCurrentDir(), "C:\\work");
    EXPECT_EQ(ExpandFileName("x\\..\\y.ini"), "C:\\work\\y.ini");
    EXPECT_EQ(ExpandFileName("..\\..\\z"), "C:\\z");
    ASSERT_EQ(::chdir(previous.c_str()), 0);
}

TEST_F(FilesTest, ForceDirectoriesCreatesMissingParents) {
    EXPECT_FALSE(DirectoryExists("C:\\Veltrane"));
    EXPECT_FALSE(CreateDir("C:\\Veltrane\\Log")); // one level only
    EXPECT_TRUE(ForceDirectories("C:\\Veltrane\\Log\\2026\\"));
    EXPECT_TRUE(std::filesystem::is_directory(FDrives + "/C/Veltrane/Log/2026"));
    EXPECT_TRUE(DirectoryExists("C:\\Veltrane\\Log"));
    EXPECT_TRUE(ForceDirectories("C:\\Veltrane\\Log")); // already there
    EXPECT_TRUE(ForceDirectories("\\\\server\\share\\a\\b"));
    EXPECT_TRUE(std::filesystem::is_directory(FDrives + "/UNC/server/share/a/b"));
    EXPECT_TRUE(CreateDir("C:\\Veltrane\\New"));
    EXPECT_FALSE(CreateDir("C:\\Veltrane\\New"));

    // A file in the way, or nothing to create, is a failure and no exception.
    ASSERT_TRUE(AppendFileBytes("C:\\Veltrane\\file", "x"));
    EXPECT_FALSE(ForceDirectories("C:\\Veltrane\\file\\sub"));
    EXPECT_FALSE(DirectoryExists("C:\\Veltrane\\file"));
    EXPECT_FALSE(ForceDirectories(""));

    EXPECT_FALSE(RemoveDir("C:\\Veltrane\\Log")); // not empty
    EXPECT_TRUE(RemoveDir("C:\\Veltrane\\New"));
}

TEST_F(FilesTest, FileHelpers) {
    ASSERT_TRUE(ForceDirectories("C:\\Log"));
    const AnsiString log = "C:\\Log\\Alert_x.log";
    EXPECT_FALSE(FileExists(log));
    EXPECT_TRUE(AppendFileBytes(log, "[1] \xB1\x5C\r\n"));
    EXPECT_TRUE(AppendFileBytes(log, "[2]\r\n"));
    EXPECT_TRUE(FileExists(log));
    EXPECT_FALSE(FileExists("C:\\Log")); // a folder is not a file
    AnsiString content = "old";
    EXPECT_TRUE(ReadFileBytes(log, content));
    EXPECT_EQ(content, "[1] \xB1\x5C\r\n[2]\r\n");
    EXPECT_FALSE(AppendFileBytes("C:\\Missing\\a.log", "x")); // the folder is not created
    EXPECT_FALSE(ReadFileBytes("C:\\Missing\\a.log", content));
    EXPECT_EQ(content, "[1] \xB1\x5C\r\n[2]\r\n"); // untouched on failure

    EXPECT_FALSE(RenameFile("C:\\Log\\none", "C:\\Log\\b.log"));
    ASSERT_TRUE(AppendFileBytes("C:\\Log\\b.log", "b"));
    EXPECT_FALSE(RenameFile(log, "C:\\Log\\b.log")); // never over an existing file
    ASSERT_TRUE(ReadFileBytes("C:\\Log\\b.log", content));
    EXPECT_EQ(content, "b");
    EXPECT_TRUE(RenameFile(log, "C:\\Log\\c.log"));
    EXPECT_FALSE(FileExists(log));
    EXPECT_TRUE(DeleteFile("C:\\Log\\c.log"));
    EXPECT_FALSE(DeleteFile("C:\\Log\\c.log"));
    EXPECT_FALSE(DeleteFile("C:\\Log"));
}

TEST_F(FilesTest, SaveFileBytesReplacesWholeFiles) {
    ASSERT_TRUE(ForceDirectories("C:\\Cfg"));
    const AnsiString file = "C:\\Cfg\\a.ini";
    ASSERT_TRUE(SaveFileBytes(file, "first"));
    ASSERT_EQ(::chmod((FDrives + "/C/Cfg/a.ini").c_str(), 0640), 0);
    ASSERT_TRUE(SaveFileBytes(file, "second"));
    AnsiString content;
    ASSERT_TRUE(ReadFileBytes(file, content));
    EXPECT_EQ(content, "second");
    struct stat st;
    ASSERT_EQ(::stat((FDrives + "/C/Cfg/a.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // Through a link the linked file changes and the link stays.
    std::filesystem::create_symlink(FDrives + "/C/Cfg/a.ini", FDrives + "/C/Cfg/link.ini");
    ASSERT_TRUE(SaveFileBytes("C:\\Cfg\\link.ini", "third"));
    EXPECT_TRUE(std::filesystem::is_symlink(FDrives + "/C/Cfg/link.ini"));
    ASSERT_TRUE(ReadFileBytes(file, content));
    EXPECT_EQ(content, "third");

    // A failed save leaves no temporary file behind.
    EXPECT_FALSE(SaveFileBytes("C:\\Cfg", "x"));
    EXPECT_FALSE(SaveFileBytes("C:\\NoFolder\\a.ini", "x"));
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(FDrives + "/C/Cfg")) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 2);
}

TEST_F(FilesTest, ProcessAndEnvironment) {
    {
        TEnvironmentValue tmp("TMPDIR", FTemp.Path().c_str());
        EXPECT_EQ(GetTempPath(), SystemPath(FTemp.Path()) + "\\");
    }
    {
        TEnvironmentValue tmp("TMPDIR", nullptr);
        EXPECT_EQ(GetTempPath(), "\\tmp\\");
    }
    AnsiString exe = GetModuleFileName();
    EXPECT_EQ(ExtractFileName(exe), "test_rtl");
    EXPECT_TRUE(FileExists(exe));
    EXPECT_EQ(ParamStr(0), exe);
    EXPECT_GE(ParamCount(), 0);
    EXPECT_EQ(ParamStr(ParamCount() + 1), "");

    struct passwd* pw = ::getpwuid(::geteuid());
    AnsiString expected = pw ? pw->pw_name : "";
    if (expected.size() >= 32) expected.clear();
    if (!expected.empty()) {
        EXPECT_EQ(GetUserName(), expected);
    }
    EXPECT_LT(GetUserName().size(), 32u);
}
