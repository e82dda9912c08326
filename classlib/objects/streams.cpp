#include "classlib/objects/streams.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

KVR_PUBLISHED(TStream, c) {}
KVR_PUBLISHED(TCustomMemoryStream, c) {}
KVR_PUBLISHED(TMemoryStream, c) {}
KVR_PUBLISHED(TFileStream, c) {}
KVR_PUBLISHED(TStringStream, c) {}

// ---- TStream ----

Int64 TStream::Size() {
    Int64 pos = Seek(0, soCurrent);
    Int64 size = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return size;
}

void TStream::SetSize(Int64) {
    throw EStreamError("Stream size cannot be changed");
}

void TStream::ReadBuffer(void* buffer, Int64 count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, Int64 count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

Int64 TStream::CopyFrom(TStream& source, Int64 count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    Int64 result = count;
    char buffer[8192];
    while (count > 0) {
        Int64 n = std::min<Int64>(count, sizeof buffer);
        source.ReadBuffer(buffer, n);
        WriteBuffer(buffer, n);
        count -= n;
    }
    return result;
}

// ---- TCustomMemoryStream ----

void TCustomMemoryStream::SetPointer(char* memory, Int64 size) {
    FMemory = memory;
    FSize = size;
}

Int64 TCustomMemoryStream::Read(void* buffer, Int64 count) {
    if (FPosition < 0 || count <= 0) return 0;
    Int64 n = std::min(count, FSize - FPosition);
    if (n <= 0) return 0;
    std::memcpy(buffer, FMemory + FPosition, static_cast<std::size_t>(n));
    FPosition += n;
    return n;
}

Int64 TCustomMemoryStream::Seek(Int64 offset, TSeekOrigin origin) {
    switch (origin) {
    case soBeginning:
        FPosition = offset;
        break;
    case soCurrent:
        FPosition += offset;
        break;
    case soEnd:
        FPosition = FSize + offset;
        break;
    }
    return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream& stream) {
    stream.WriteBuffer(FMemory, FSize);
}

void TCustomMemoryStream::SaveToFile(const AnsiString& fileName) {
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

// ---- TMemoryStream ----

TMemoryStream::~TMemoryStream() {
    std::free(FMemory);
}

void TMemoryStream::SetCapacity(Int64 value) {
    if (value == FCapacity) return;
    if (value <= 0) {
        std::free(FMemory);
        FMemory = nullptr;
        FCapacity = 0;
        return;
    }
    char* p = static_cast<char*>(std::realloc(FMemory, static_cast<std::size_t>(value)));
    if (!p) throw EStreamError("Out of memory while expanding memory stream");
    FMemory = p;
    FCapacity = value;
}

void TMemoryStream::SetSize(Int64 value) {
    if (value < 0) value = 0;
    if (value > FCapacity) SetCapacity(std::max<Int64>(value, FCapacity + FCapacity / 2));
    if (value > FSize) std::memset(FMemory + FSize, 0, static_cast<std::size_t>(value - FSize));
    FSize = value;
    if (FPosition > value) FPosition = value;
}

Int64 TMemoryStream::Write(const void* buffer, Int64 count) {
    if (FPosition < 0 || count <= 0) return 0;
    Int64 end = FPosition + count;
    if (end > FSize) {
        if (end > FCapacity) SetCapacity(std::max<Int64>(end, std::max<Int64>(256, FCapacity * 2)));
        if (FPosition > FSize) std::memset(FMemory + FSize, 0, static_cast<std::size_t>(FPosition - FSize));
        FSize = end;
    }
    std::memcpy(FMemory + FPosition, buffer, static_cast<std::size_t>(count));
    FPosition = end;
    return count;
}

void TMemoryStream::Clear() {
    SetCapacity(0);
    FSize = 0;
    FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
    stream.SetPosition(0);
    Int64 n = stream.Size();
    SetSize(n);
    if (n) stream.ReadBuffer(FMemory, n);
    FPosition = 0;
}

void TMemoryStream::LoadFromFile(const AnsiString& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

// ---- TFileStream ----

TFileStream::TFileStream(const AnsiString& fileName, unsigned mode) : FFileName(fileName) {
    if (mode == fmCreate) {
        FFile = std::fopen(fileName.c_str(), "w+b");
        if (!FFile) throw EFCreateError("Cannot create file " + fileName);
        return;
    }
    const char* how = (mode & 3) == fmOpenRead ? "rb" : "r+b";
    FFile = std::fopen(fileName.c_str(), how);
    if (!FFile) throw EFOpenError("Cannot open file " + fileName);
}

TFileStream::~TFileStream() {
    if (FFile) std::fclose(FFile);
}

Int64 TFileStream::Read(void* buffer, Int64 count) {
    if (count <= 0) return 0;
    return static_cast<Int64>(std::fread(buffer, 1, static_cast<std::size_t>(count), FFile));
}

Int64 TFileStream::Write(const void* buffer, Int64 count) {
    if (count <= 0) return 0;
    return static_cast<Int64>(std::fwrite(buffer, 1, static_cast<std::size_t>(count), FFile));
}

Int64 TFileStream::Seek(Int64 offset, TSeekOrigin origin) {
    int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
    if (std::fseek(FFile, static_cast<long>(offset), whence) != 0) return -1;
    return static_cast<Int64>(std::ftell(FFile));
}

void TFileStream::SetSize(Int64 value) {
    std::fflush(FFile);
    if (ftruncate(fileno(FFile), static_cast<off_t>(value)) != 0)
        throw EStreamError("Cannot set the size of " + FFileName);
    if (Position() > value) Seek(value, soBeginning);
}

// ---- TStringStream ----

Int64 TStringStream::Read(void* buffer, Int64 count) {
    Int64 size = static_cast<Int64>(FDataString.size());
    if (FPosition < 0 || count <= 0) return 0;
    Int64 n = std::min(count, size - FPosition);
    if (n <= 0) return 0;
    std::memcpy(buffer, FDataString.data() + FPosition, static_cast<std::size_t>(n));
    FPosition += n;
    return n;
}

Int64 TStringStream::Write(const void* buffer, Int64 count) {
    if (FPosition < 0 || count <= 0) return 0;
    Int64 end = FPosition + count;
    if (end > static_cast<Int64>(FDataString.size())) FDataString.resize(static_cast<std::size_t>(end));
    std::memcpy(FDataString.data() + FPosition, buffer, static_cast<std::size_t>(count));
    FPosition = end;
    return count;
}

Int64 TStringStream::Seek(Int64 offset, TSeekOrigin origin) {
    Int64 size = static_cast<Int64>(FDataString.size());
    switch (origin) {
    case soBeginning:
        FPosition = offset;
        break;
    case soCurrent:
        FPosition += offset;
        break;
    case soEnd:
        FPosition = size + offset;
        break;
    }
    FPosition = std::clamp<Int64>(FPosition, 0, size);
    return FPosition;
}

void TStringStream::SetSize(Int64 value) {
    FDataString.resize(static_cast<std::size_t>(std::max<Int64>(value, 0)));
    if (FPosition > value) FPosition = value;
}

AnsiString TStringStream::ReadString(Int64 count) {
    Int64 size = static_cast<Int64>(FDataString.size());
    Int64 n = std::max<Int64>(0, std::min(count, size - FPosition));
    AnsiString r = FDataString.substr(static_cast<std::size_t>(FPosition), static_cast<std::size_t>(n));
    FPosition += n;
    return r;
}
