#include "apps/kvrhost/ModuleFile.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

#if defined(__x86_64__)
constexpr unsigned ThisMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr unsigned ThisMachine = EM_AARCH64;
#elif defined(__i386__)
constexpr unsigned ThisMachine = EM_386;
#else
#error "kvrhost: the ELF machine of this target is not known"
#endif
#if __SIZEOF_POINTER__ == 8
using TEhdr = Elf64_Ehdr;
using TPhdr = Elf64_Phdr;
constexpr unsigned char ThisClass = ELFCLASS64;
#else
using TEhdr = Elf32_Ehdr;
using TPhdr = Elf32_Phdr;
constexpr unsigned char ThisClass = ELFCLASS32;
#endif
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr unsigned char ThisOrder = ELFDATA2LSB;
#else
constexpr unsigned char ThisOrder = ELFDATA2MSB;
#endif

bool ReadAt(int fd, void* data, std::size_t size, off_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n =
            ::pread(fd, static_cast<char*>(data) + done, size - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool Fail(std::string& reason, const std::string& why) {
    reason = why;
    return false;
}

} // namespace

bool CheckModuleFile(const std::string& path, std::string& reason) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return Fail(reason, std::strerror(errno));
    if (!S_ISREG(info.st_mode)) return Fail(reason, "not a regular file");
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Fail(reason, std::strerror(errno));
    struct TCloser {
        int Fd;
        ~TCloser() { ::close(Fd); }
    } closer{fd};
    const auto size = static_cast<unsigned long long>(info.st_size);
    TEhdr header{};
    if (!ReadAt(fd, &header, sizeof header, 0) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
        return Fail(reason, "not a shared library (no ELF header)");
    if (header.e_ident[EI_CLASS] != ThisClass || header.e_ident[EI_DATA] != ThisOrder ||
        header.e_machine != ThisMachine)
        return Fail(reason, "a library for another kind of machine");
    if (header.e_type != ET_DYN) return Fail(reason, "not a shared library");
    auto within = [&](unsigned long long offset, unsigned long long count, unsigned long long each) {
        return offset <= size && count * each <= size - offset;
    };
    if (header.e_phentsize != sizeof(TPhdr) || !within(header.e_phoff, header.e_phnum, sizeof(TPhdr)) ||
        (header.e_shnum && !within(header.e_shoff, header.e_shnum, header.e_shentsize)))
        return Fail(reason, "cut short: shorter than its headers say");
    std::vector<TPhdr> segments(header.e_phnum);
    if (!segments.empty() &&
        !ReadAt(fd, segments.data(), segments.size() * sizeof(TPhdr), static_cast<off_t>(header.e_phoff)))
        return Fail(reason, "its program headers cannot be read");
    for (const TPhdr& segment : segments)
        if (segment.p_type == PT_LOAD && !within(segment.p_offset, segment.p_filesz, 1))
            return Fail(reason, "cut short: shorter than its segments say");
    return true;
}

bool CheckScriptFile(const std::string& path, std::string& reason) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return Fail(reason, std::strerror(errno));
    if (!S_ISREG(info.st_mode)) return Fail(reason, "not a regular file");
    if (::access(path.c_str(), R_OK) != 0) return Fail(reason, std::strerror(errno));
    return true;
}

std::string ProgramOfModule(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    std::size_t end = name.find('.');
    if (end == std::string::npos) return std::string();
    while (end > 0 && !(name[end - 1] >= '0' && name[end - 1] <= '9'))
        --end;
    std::string program = name.substr(0, end);
    for (char& c : program)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return program;
}
