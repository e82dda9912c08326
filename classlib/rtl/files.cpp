#include "classlib/rtl/files.h"

#include <algorithm>
#include <atomic>
#include <ctime>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits.h>
#include <mutex>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "classlib/rtl/codepages.h"

namespace {

std::mutex gSettingsLock;
std::optional<AnsiString> gDriveRoot;

bool IsSeparatorByte(char c) {
    return c == '\\' || c == '/';
}
bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// Index where the last character of s starts (npos for ''), so a trail byte 0x5C is never taken for "\".
std::size_t LastCharStart(const AnsiString& s) {
    std::size_t last = AnsiString::npos;
    for (std::size_t i = 0; i < s.size(); i += CharLength(s, i))
        last = i;
    return last;
}

// Index of the last character of s that is one of delimiters, npos when none.
std::size_t LastDelimiter(const AnsiString& s, const char* delimiters) {
    std::size_t found = AnsiString::npos;
    for (std::size_t i = 0; i < s.size(); i += CharLength(s, i)) {
        if (CharLength(s, i) == 1 && s[i] != '\0' && std::strchr(delimiters, s[i])) found = i;
    }
    return found;
}

bool HasDriveLetter(const AnsiString& s) {
    return s.size() >= 2 && IsAsciiLetter(s[0]) && s[1] == ':';
}
bool IsSharePath(const AnsiString& s) {
    return s.size() >= 2 && IsSeparatorByte(s[0]) && IsSeparatorByte(s[1]);
}

enum class TPathKind { Drive, Share, Rooted, Relative };

// A system path cut into its root and its components, separators collapsed.
struct TPathParts {
    TPathKind Kind = TPathKind::Relative;
    char Drive = 0;
    std::vector<AnsiString> Parts; // for a share, the server and the share come first
    bool Trailing = false;
};

TPathParts SplitSystemPath(const AnsiString& path) {
    TPathParts r;
    std::size_t from = 0;
    if (HasDriveLetter(path)) {
        r.Kind = TPathKind::Drive;
        r.Drive = AsciiUpper(path[0]);
        from = 2;
    } else if (IsSharePath(path)) {
        r.Kind = TPathKind::Share;
        from = 2;
    } else if (!path.empty() && IsSeparatorByte(path[0])) {
        r.Kind = TPathKind::Rooted;
    }
    AnsiString part;
    bool lastWasSeparator = false;
    for (std::size_t i = from; i < path.size();) {
        int len = CharLength(path, i);
        if (len == 1 && IsSeparatorByte(path[i])) {
            if (!part.empty()) r.Parts.push_back(part);
            part.clear();
            lastWasSeparator = true;
        } else {
            part.append(path, i, static_cast<std::size_t>(len));
            lastWasSeparator = false;
        }
        i += static_cast<std::size_t>(len);
    }
    if (!part.empty()) r.Parts.push_back(part);
    r.Trailing = lastWasSeparator && !r.Parts.empty();
    return r;
}

bool IsDots(const AnsiString& part) {
    return part == "." || part == "..";
}

// Resolves "." and ".." without climbing above the drive, the share or the root.
void ResolveDots(TPathParts& p) {
    std::vector<AnsiString> out;
    std::size_t i = 0, fixed = 0;
    if (p.Kind == TPathKind::Share) {
        // The server and the share are names, never steps.
        for (; i < p.Parts.size() && fixed < 2; ++i) {
            if (!IsDots(p.Parts[i])) {
                out.push_back(p.Parts[i]);
                ++fixed;
            }
        }
    }
    bool endsInDots = false;
    for (; i < p.Parts.size(); ++i) {
        const AnsiString& part = p.Parts[i];
        endsInDots = IsDots(part);
        if (part == ".") continue;
        if (part == ".." && p.Kind == TPathKind::Relative && (out.empty() || out.back() == "..")) {
            out.push_back(part);
        } else if (part == "..") {
            if (out.size() > fixed) out.pop_back();
        } else {
            out.push_back(part);
        }
    }
    if (endsInDots) p.Trailing = !out.empty();
    p.Parts = std::move(out);
}

AnsiString Join(const std::vector<AnsiString>& parts, std::size_t from, char separator) {
    AnsiString r;
    for (std::size_t i = from; i < parts.size(); ++i) {
        if (i > from) r += separator;
        r += parts[i];
    }
    return r;
}

AnsiString JoinSystemPath(const TPathParts& p) {
    AnsiString r;
    switch (p.Kind) {
    case TPathKind::Drive:
        r = AnsiString(1, p.Drive) + ":\\";
        break;
    case TPathKind::Share:
        r = "\\\\";
        break;
    case TPathKind::Rooted:
        r = "\\";
        break;
    case TPathKind::Relative:
        break;
    }
    r += Join(p.Parts, 0, '\\');
    if (p.Trailing) r += '\\';
    return r;
}

AnsiString EnvironmentText(const char* name) {
    const char* value = std::getenv(name);
    return value ? AnsiString(value) : AnsiString();
}

AnsiString NativeTempFolder() {
    AnsiString t = EnvironmentText("TMPDIR");
    return t.empty() ? AnsiString("/tmp") : t;
}

AnsiString NativeCurrentDir() {
    char buffer[PATH_MAX];
    if (!getcwd(buffer, sizeof buffer)) return AnsiString();
    return buffer;
}

// An absolute native folder without repeated or trailing "/" ("" stands for the machine's root).
AnsiString NormaliseNativeFolder(AnsiString folder) {
    if (folder.empty() || folder[0] != '/') folder = NativeCurrentDir() + "/" + folder;
    AnsiString r;
    for (char c : folder) {
        if (c == '/' && !r.empty() && r.back() == '/') continue;
        r += c;
    }
    while (!r.empty() && r.back() == '/')
        r.pop_back();
    return r;
}

bool NativeStat(const AnsiString& systemPath, struct stat& st) {
    AnsiString native = NativePath(systemPath);
    return !native.empty() && ::stat(native.c_str(), &st) == 0;
}

bool WriteAll(int fd, const AnsiString& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::vector<AnsiString> CommandLine() {
    std::vector<AnsiString> args;
    AnsiString bytes;
    if (!ReadFileBytes("/proc/self/cmdline", bytes)) return args;
    std::size_t from = 0;
    while (from < bytes.size()) {
        std::size_t end = bytes.find('\0', from);
        if (end == AnsiString::npos) end = bytes.size();
        args.push_back(bytes.substr(from, end - from));
        from = end + 1;
    }
    return args;
}

} // namespace

AnsiString DriveRoot() {
    {
        std::lock_guard<std::mutex> lock(gSettingsLock);
        if (gDriveRoot) return *gDriveRoot;
    }
    AnsiString root = EnvironmentText("KVR_DRIVE_ROOT");
    if (root.empty()) root = NativeTempFolder() + "/kvr-drives";
    return NormaliseNativeFolder(root);
}

void SetDriveRoot(const AnsiString& nativeFolder) {
    std::lock_guard<std::mutex> lock(gSettingsLock);
    if (nativeFolder.empty())
        gDriveRoot.reset();
    else
        gDriveRoot = NormaliseNativeFolder(nativeFolder);
}

AnsiString NativePath(const AnsiString& systemPath) {
    if (systemPath.empty()) return AnsiString();
    TPathParts p = SplitSystemPath(systemPath);
    AnsiString r;
    switch (p.Kind) {
    case TPathKind::Drive:
        ResolveDots(p);
        r = DriveRoot() + "/" + AnsiString(1, p.Drive);
        if (!p.Parts.empty())
            r += "/" + Join(p.Parts, 0, '/');
        else if (systemPath.size() > 2)
            r += "/";
        break;
    case TPathKind::Share:
        ResolveDots(p);
        r = DriveRoot() + "/UNC";
        if (!p.Parts.empty()) r += "/" + Join(p.Parts, 0, '/');
        break;
    case TPathKind::Rooted:
        r = "/" + Join(p.Parts, 0, '/');
        break;
    case TPathKind::Relative:
        r = Join(p.Parts, 0, '/');
        break;
    }
    if (p.Trailing) r += '/';
    return r;
}

AnsiString SystemPath(const AnsiString& nativePath) {
    if (nativePath.empty()) return AnsiString();
    // "/" is never a trail byte, so the native text can be cut byte by byte.
    std::vector<AnsiString> parts;
    AnsiString part;
    for (char c : nativePath) {
        if (c == '/') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    TPathParts p;
    p.Kind = nativePath[0] == '/' ? TPathKind::Rooted : TPathKind::Relative;
    p.Parts = parts;
    p.Trailing = nativePath.back() == '/' && !parts.empty();
    if (p.Kind == TPathKind::Rooted) {
        TPathParts root = SplitSystemPath(DriveRoot());
        std::size_t n = root.Parts.size();
        bool underRoot = parts.size() > n && std::equal(root.Parts.begin(), root.Parts.end(), parts.begin());
        if (underRoot) {
            const AnsiString& first = parts[n];
            if (first.size() == 1 && first[0] >= 'A' && first[0] <= 'Z') {
                p.Kind = TPathKind::Drive;
                p.Drive = first[0];
                p.Parts.assign(parts.begin() + static_cast<std::ptrdiff_t>(n + 1), parts.end());
                if (p.Parts.empty()) return nativePath.back() == '/' ? first + ":\\" : first + ":";
            } else if (first == "UNC" && parts.size() > n + 1) {
                p.Kind = TPathKind::Share;
                p.Parts.assign(parts.begin() + static_cast<std::ptrdiff_t>(n + 1), parts.end());
            }
        }
    }
    return JoinSystemPath(p);
}

TFileStamp FileStamp(const AnsiString& fileName) {
    TFileStamp stamp;
    struct stat st;
    if (!NativeStat(fileName, st) || S_ISDIR(st.st_mode)) return stamp;
    stamp.Exists = true;
    stamp.Device = st.st_dev;
    stamp.Inode = st.st_ino;
    stamp.Size = st.st_size;
    stamp.Modified = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    stamp.Changed = static_cast<long long>(st.st_ctim.tv_sec) * 1000000000LL + st.st_ctim.tv_nsec;
    return stamp;
}

bool StampIsRecent(const TFileStamp& stamp) {
    if (!stamp.Exists) return false;
    // File times come from a clock that moves in ticks of a few milliseconds; a tenth of a second
    // is well past any tick.
    constexpr long long Settle = 100000000LL;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const long long nanoseconds = static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
    return nanoseconds - std::max(stamp.Modified, stamp.Changed) < Settle;
}

bool FileExists(const AnsiString& fileName) {
    struct stat st;
    return NativeStat(fileName, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const AnsiString& directory) {
    struct stat st;
    return NativeStat(directory, st) && S_ISDIR(st.st_mode);
}

bool ForceDirectories(const AnsiString& directory) {
    AnsiString native = NativePath(directory);
    if (native.empty()) return false;
    if (DirectoryExists(directory)) return true;
    // Parents that exist may refuse mkdir (permissions, the root): only the last answer counts.
    for (std::size_t at = native.find('/', 1); at != AnsiString::npos; at = native.find('/', at + 1))
        ::mkdir(native.substr(0, at).c_str(), 0777);
    ::mkdir(native.c_str(), 0777);
    return DirectoryExists(directory);
}

bool CreateDir(const AnsiString& directory) {
    AnsiString native = NativePath(directory);
    return !native.empty() && ::mkdir(native.c_str(), 0777) == 0;
}

bool RemoveDir(const AnsiString& directory) {
    AnsiString native = NativePath(directory);
    return !native.empty() && ::rmdir(native.c_str()) == 0;
}

bool DeleteFile(const AnsiString& fileName) {
    AnsiString native = NativePath(fileName);
    return !native.empty() && ::unlink(native.c_str()) == 0;
}

bool RenameFile(const AnsiString& oldName, const AnsiString& newName) {
    AnsiString from = NativePath(oldName), to = NativePath(newName);
    if (from.empty() || to.empty()) return false;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the no-replace rename: check first, as closely as it allows.
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0) return false;
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool ReadFileBytes(const AnsiString& fileName, AnsiString& content) {
    AnsiString native = NativePath(fileName);
    if (native.empty()) return false;
    int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    AnsiString bytes;
    char buffer[65536];
    bool ok = true;
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (ok) content = std::move(bytes);
    return ok;
}

bool AppendFileBytes(const AnsiString& fileName, const AnsiString& bytes) {
    AnsiString native = NativePath(fileName);
    if (native.empty()) return false;
    int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, bytes);
    return ::close(fd) == 0 && ok;
}

bool SaveFileBytes(const AnsiString& fileName, const AnsiString& content) {
    AnsiString target = NativePath(fileName);
    if (target.empty() || target.back() == '/') return false;
    // Through a link, replace the file it names rather than the link.
    struct stat st;
    bool exists = ::lstat(target.c_str(), &st) == 0;
    if (exists && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (!::realpath(target.c_str(), resolved)) return false;
        target = resolved;
        exists = ::stat(target.c_str(), &st) == 0;
    }
    if (exists && !S_ISREG(st.st_mode)) return false;
    std::size_t slash = target.rfind('/');
    AnsiString folder =
        slash == AnsiString::npos ? AnsiString(".") : target.substr(0, slash == 0 ? 1 : slash);
    AnsiString base = slash == AnsiString::npos ? target : target.substr(slash + 1);

    static std::atomic<unsigned> counter{0};
    AnsiString temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = folder + "/." + base + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    bool ok = true;
    if (exists) ok = ::fchmod(fd, st.st_mode & 07777) == 0;
    ok = ok && WriteAll(fd, content) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool IsPathDelimiter(const AnsiString& s, int index) {
    if (index < 1 || static_cast<std::size_t>(index) > s.size()) return false;
    std::size_t at = static_cast<std::size_t>(index) - 1;
    for (std::size_t i = 0; i < s.size(); i += CharLength(s, i)) {
        if (i == at) return CharLength(s, i) == 1 && IsSeparatorByte(s[i]);
        if (i > at) break;
    }
    return false;
}

AnsiString ExtractFileDrive(const AnsiString& fileName) {
    if (HasDriveLetter(fileName)) return fileName.substr(0, 2);
    if (!IsSharePath(fileName)) return AnsiString();
    // "\\server\share": up to the separator after the share.
    int separators = 0;
    for (std::size_t i = 2; i < fileName.size(); i += CharLength(fileName, i)) {
        if (CharLength(fileName, i) == 1 && IsSeparatorByte(fileName[i]) && ++separators == 2)
            return fileName.substr(0, i);
    }
    return fileName;
}

AnsiString ExtractFilePath(const AnsiString& fileName) {
    std::size_t at = LastDelimiter(fileName, "\\/:");
    return at == AnsiString::npos ? AnsiString() : fileName.substr(0, at + 1);
}

AnsiString ExtractFileDir(const AnsiString& fileName) {
    std::size_t at = AnsiString::npos, before = AnsiString::npos, previous = AnsiString::npos;
    for (std::size_t i = 0; i < fileName.size(); i += CharLength(fileName, i)) {
        char c = fileName[i];
        if (CharLength(fileName, i) == 1 && (IsSeparatorByte(c) || c == ':')) {
            at = i;
            before = previous;
        }
        previous = i;
    }
    if (at == AnsiString::npos) return AnsiString();
    // Keep the separator of a root ("C:\", "\"), drop any other.
    bool rootSeparator =
        before == AnsiString::npos ||
        (CharLength(fileName, before) == 1 && (IsSeparatorByte(fileName[before]) || fileName[before] == ':'));
    if (IsSeparatorByte(fileName[at]) && !rootSeparator) return fileName.substr(0, at);
    return fileName.substr(0, at + 1);
}

AnsiString ExtractFileName(const AnsiString& fileName) {
    std::size_t at = LastDelimiter(fileName, "\\/:");
    return at == AnsiString::npos ? fileName : fileName.substr(at + 1);
}

AnsiString ExtractFileExt(const AnsiString& fileName) {
    std::size_t at = LastDelimiter(fileName, ".\\/:");
    if (at == AnsiString::npos || fileName[at] != '.') return AnsiString();
    return fileName.substr(at);
}

AnsiString ChangeFileExt(const AnsiString& fileName, const AnsiString& extension) {
    std::size_t at = LastDelimiter(fileName, ".\\/:");
    if (at == AnsiString::npos || fileName[at] != '.') return fileName + extension;
    return fileName.substr(0, at) + extension;
}

AnsiString IncludeTrailingBackslash(const AnsiString& s) {
    std::size_t last = LastCharStart(s);
    if (last != AnsiString::npos && CharLength(s, last) == 1 && IsSeparatorByte(s[last])) return s;
    return s + "\\";
}

AnsiString IncludeTrailingPathDelimiter(const AnsiString& s) {
    return IncludeTrailingBackslash(s);
}

AnsiString ExcludeTrailingBackslash(const AnsiString& s) {
    std::size_t last = LastCharStart(s);
    if (last != AnsiString::npos && CharLength(s, last) == 1 && IsSeparatorByte(s[last]))
        return s.substr(0, last);
    return s;
}

AnsiString ExcludeTrailingPathDelimiter(const AnsiString& s) {
    return ExcludeTrailingBackslash(s);
}

AnsiString ExpandFileName(const AnsiString& fileName) {
    if (fileName.empty()) return AnsiString();
    TPathParts p = SplitSystemPath(fileName);
    if (p.Kind == TPathKind::Relative) {
        AnsiString current = GetCurrentDir();
        if (current.empty()) return AnsiString();
        TPathParts base = SplitSystemPath(current);
        base.Parts.insert(base.Parts.end(), p.Parts.begin(), p.Parts.end());
        base.Trailing = p.Trailing;
        p = std::move(base);
    }
    ResolveDots(p);
    return JoinSystemPath(p);
}

AnsiString GetCurrentDir() {
    AnsiString native = NativeCurrentDir();
    return native.empty() ? AnsiString() : SystemPath(native);
}

AnsiString GetModuleFileName() {
    char buffer[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return AnsiString();
    return SystemPath(AnsiString(buffer, static_cast<std::size_t>(n)));
}

AnsiString ParamStr(int index) {
    if (index == 0) return GetModuleFileName();
    std::vector<AnsiString> args = CommandLine();
    if (index < 0 || static_cast<std::size_t>(index) >= args.size()) return AnsiString();
    return args[static_cast<std::size_t>(index)];
}

int ParamCount() {
    std::size_t n = CommandLine().size();
    return n > 0 ? static_cast<int>(n) - 1 : 0;
}

AnsiString GetTempPath() {
    return IncludeTrailingBackslash(SystemPath(NativeTempFolder()));
}

AnsiString GetUserName() {
    AnsiString name;
    struct passwd entry;
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_name)
        name = found->pw_name;
    if (name.empty()) name = EnvironmentText("USER");
    return name.size() < 32 ? name : AnsiString();
}
