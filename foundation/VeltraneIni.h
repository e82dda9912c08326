#pragma once
// The platform's configuration: the registry key Software\QVN\Veltrane of the local machine and the
// client and server INI files VeltraneC.ini and VeltraneS.ini. A reader is created, read and freed where
// a value is needed; nothing is cached and nothing is written.
#include <memory>

#include "classlib/objects/stringlist.h"
#include "classlib/rtl/types.h"
#include "classlib/rtl/variants.h"

// The registry key of the platform, under the local machine.
inline constexpr const char* VeltraneRegistryKey = "Software\\QVN\\Veltrane";

// The client's install folder (with its trailing "\") and the UI code page of its VeltraneC.ini, as
// TVeltraneIniC reads them, without reading the rest: every language text asks for them.
void ReadClientLanguageSettings(AnsiString& clientPath, AnsiString& uiCodePage);

class TVeltraneIniC : public TObject {
    KVR_CLASS(TVeltraneIniC, TObject)
public:
    TVeltraneIniC(); // reads at once; callers look at ErrorCode and the fields
    TVeltraneIniC(const TVeltraneIniC&) = delete;
    TVeltraneIniC& operator=(const TVeltraneIniC&) = delete;

    // True when the INI file was read; False with ErrorCode "E;000015" (no registry key), "E;000016" (no
    // server in the file) or an empty ErrorCode (no ClientPath).
    bool Load();

    AnsiString ClientPath;  // always ends in "\"
    AnsiString ProfilePath; // folder of the INI file actually used
    AnsiString ProfileType = "0";
    AnsiString ProfileUser = "Default";
    AnsiString UICodePage;
    AnsiString DBCodePage = "936";
    AnsiString SystemCodePage; // "936" or "950" as the system's ANSI code page, else "437"
    Byte UIConvertMode = 0;
    Byte DBConvertMode = 0;
    bool SupportCallBack = false;
    AnsiString IniFileName;
    Variant Servers; // two-dimensional: (0, i) host text, (1, i) port
    AnsiString ErrorCode;
    AnsiString LangType;
    const std::unique_ptr<TStringList> WorkDLLPaths =
        std::make_unique<TStringList>(); // absolute folders, each ending in "\"
    AnsiString Version;
    AnsiString CreateGifBeforeSendQZ;
    AnsiString AutoCheckNewMsg;
    AnsiString CheckInterval;
    AnsiString PopupMsg;
    AnsiString LoginCheck;
};

// DBKind values.
inline constexpr Byte dbkOther = 0;
inline constexpr Byte dbkOracle = 1;
inline constexpr Byte dbkDB2 = 2;

class TVeltraneIniS : public TObject {
    KVR_CLASS(TVeltraneIniS, TObject)
public:
    TVeltraneIniS();
    TVeltraneIniS(const TVeltraneIniS&) = delete;
    TVeltraneIniS& operator=(const TVeltraneIniS&) = delete;

    // True when the INI file was read; False with ErrorCode "E;000015" (no registry key) or an empty
    // ErrorCode (no ServerPath).
    bool Load();

    AnsiString ServerPath;
    AnsiString ProfilePath;
    AnsiString ProfileType = "0";
    AnsiString ProfileUser = "Default";
    AnsiString UICodePage;
    AnsiString DBCodePage = "936";
    AnsiString SystemCodePage;
    Byte UIConvertMode = 0;
    Byte DBConvertMode = 0;
    bool SupportCallBack = false;
    AnsiString IniFileName;
    // 4 rows by 8 columns: row 0 the main database, 1 the temporary one, 2 the password-control
    // service, 3 the EDI database; passwords of rows 0 and 1 decoded.
    Variant DBSettings;
    AnsiString ErrorCode;
    const std::unique_ptr<TStringList> WorkDLLPaths = std::make_unique<TStringList>();
    AnsiString Version;
    Byte DBKind = dbkOther;
    AnsiString SystemControlAddress;
    AnsiString OtherSystemControlAddress;
};

// Registry ClientPath, else ServerPath, else the temporary folder, else "C:\Temp"; never fails.
AnsiString GetVeltranePath();
// Registry ClientPath, else ServerPath, else ''.
AnsiString GetVeltranePath2();
// A path with a drive (letter or share) as it is; "\x" as base + "x"; any other path as base + path.
AnsiString MakeAbsolutePath(const AnsiString& path, const AnsiString& base);

// The stored form of a database password: two lower-case hexadecimal digits per character; an empty
// password is stored as the encoding of a marker text.
AnsiString EncodeStoredPassword(const AnsiString& plain);
// Back to the password; "QV_Say_Password_Error" (and an exception block in the generator alert log)
// when the text is not such a stored form.
AnsiString DecodeStoredPassword(const AnsiString& stored);
