#pragma once
// Files and paths. The system writes paths as it always did, "\" separated ("C:\Temp", ClientPath +
// "Log\", "\\server\share\x"); every routine here takes such a system path, and NativePath is the one
// place where it becomes a path of this machine.
//
// The mapping (NativePath, and SystemPath back):
//   "X:\rest"              <-> DriveRoot() + "/X/rest"   drive letter upper-cased; "X:" alone is the drive
//                                                        folder; "." and ".." are resolved and never
//                                                        climb above the drive, as on the original
//   "\\server\share\rest"  <-> DriveRoot() + "/UNC/server/share/rest"
//   "\a\b"                 <-> "/a/b"                   the machine's own root
//   "a\b"                  <-> "a/b"                    relative to the current folder
// Repeated separators collapse to one (a leading "\\" names a share). A "/" in a system path is taken
// as a separator too, so a native path passes through NativePath unchanged. A "\" is recognised only at
// the start of a character: the trail byte 0x5C of a double-byte character (system code page) is kept.
// The drive root is a process setting, so that the fallback "C:\Temp" of the configuration never
// writes to the real root: SetDriveRoot, else the environment variable KVR_DRIVE_ROOT, else the
// temporary folder + "/kvr-drives". The drive folders are created on demand, by ForceDirectories.
#include <sys/types.h>

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "classlib/rtl/types.h"

// The native folder that holds the drive folders (no trailing "/"). An empty value returns to the
// default (KVR_DRIVE_ROOT, else $TMPDIR/kvr-drives); a relative folder is taken from the current one.
AnsiString DriveRoot();
void SetDriveRoot(const AnsiString& nativeFolder);

AnsiString NativePath(const AnsiString& systemPath);
AnsiString SystemPath(const AnsiString& nativePath);

// Existence and changes. Each returns false on any failure and never raises.
bool FileExists(const AnsiString& fileName); // a file, not a folder
bool DirectoryExists(const AnsiString& directory);
bool ForceDirectories(const AnsiString& directory); // creates every missing parent; true when it exists
bool CreateDir(const AnsiString& directory); // one level; false when it exists or the parent is missing
bool RemoveDir(const AnsiString& directory); // an empty folder
bool DeleteFile(const AnsiString& fileName);
bool RenameFile(const AnsiString& oldName, const AnsiString& newName); // false when newName exists

// Whole-file helpers, bytes as they are on disk.
bool ReadFileBytes(const AnsiString& fileName, AnsiString& content);
// Appends, creating the file when it is missing (not its folder).
bool AppendFileBytes(const AnsiString& fileName, const AnsiString& bytes);
// Replaces the file's content through a temporary file in the same folder and a rename, so that a
// crash leaves either the old or the new content, never half of it.
bool SaveFileBytes(const AnsiString& fileName, const AnsiString& content);

// What a file looks like from outside (identity, size, times in nanoseconds): a changed file has
// another stamp. Exists is false for a missing file or a folder.
struct TFileStamp {
    bool Exists = false;
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = 0;
    long long Modified = 0;
    long long Changed = 0;
    bool operator==(const TFileStamp&) const = default;
};
TFileStamp FileStamp(const AnsiString& fileName);
// Whether a file of this stamp, looked at now, can change without its stamp changing: written so
// recently that another write in the same tick of the file system's clock would keep its times.
bool StampIsRecent(const TFileStamp& stamp);

// The parsed form of files, kept while a file's stamp stays the same, so that a setting read a
// hundred times reads its file once. A file written by anyone (another process, a test) is parsed
// again at the next Get; one written just before it was parsed is parsed again every time until it
// has settled, since its stamp cannot tell a second write in the same tick.
template <class T> class TFileCache {
public:
    template <class TParse> std::shared_ptr<const T> Get(const AnsiString& fileName, TParse parse) {
        const TFileStamp stamp = FileStamp(fileName);
        {
            std::lock_guard<std::mutex> lock(FLock);
            auto found = FEntries.find(fileName);
            if (found != FEntries.end() && found->second.Stamp == stamp && found->second.Settled)
                return found->second.Parsed;
        }
        auto parsed = std::make_shared<const T>(parse(fileName));
        std::lock_guard<std::mutex> lock(FLock);
        FEntries[fileName] = TEntry{stamp, !StampIsRecent(stamp), parsed};
        return parsed;
    }
    void Forget(const AnsiString& fileName) {
        std::lock_guard<std::mutex> lock(FLock);
        FEntries.erase(fileName);
    }

private:
    struct TEntry {
        TFileStamp Stamp;
        bool Settled = false;
        std::shared_ptr<const T> Parsed;
    };
    std::mutex FLock;
    std::map<AnsiString, TEntry> FEntries;
};

// Path texts. A separator is "\" or "/" at the start of a character; ":" ends a drive.
bool IsPathDelimiter(const AnsiString& s, int index);    // 1-based
AnsiString ExtractFileDrive(const AnsiString& fileName); // "C:" or "\\server\share", else ''
AnsiString ExtractFilePath(const AnsiString& fileName);  // up to and with the last separator or ":"
AnsiString ExtractFileDir(const AnsiString& fileName);   // the same without a trailing separator (but "C:\")
AnsiString ExtractFileName(const AnsiString& fileName);  // after the last separator or ":"
AnsiString ExtractFileExt(const AnsiString& fileName);   // ".ext" of the name, else ''
AnsiString ChangeFileExt(const AnsiString& fileName, const AnsiString& extension);
AnsiString IncludeTrailingBackslash(const AnsiString& s); // '' gives "\", as the class library did
AnsiString IncludeTrailingPathDelimiter(const AnsiString& s);
AnsiString ExcludeTrailingBackslash(const AnsiString& s);
AnsiString ExcludeTrailingPathDelimiter(const AnsiString& s);
// A full system path: relative paths against the current folder, "." and ".." resolved.
AnsiString ExpandFileName(const AnsiString& fileName);

// The process and its environment, in system form.
AnsiString GetCurrentDir();
AnsiString GetModuleFileName(); // the executable's full path
AnsiString ParamStr(int index); // 0 the executable, 1.. the command-line arguments, '' beyond
int ParamCount();
AnsiString GetTempPath(); // TMPDIR, else /tmp; with a trailing "\"
// The logon name. The platform asked for it with a buffer of 32 characters: a longer name (32 or more)
// fails, and a failure gives ''.
AnsiString GetUserName();
