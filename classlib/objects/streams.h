#pragma once
// Streams: TStream with TMemoryStream, TFileStream and TStringStream.
#include <cstdio>

#include "classlib/objects/object.h"

KVR_DECLARE_EXCEPTION(EFCreateError, EStreamError)
KVR_DECLARE_EXCEPTION(EFOpenError, EStreamError)

enum TSeekOrigin { soBeginning, soCurrent, soEnd };
constexpr int soFromBeginning = 0;
constexpr int soFromCurrent = 1;
constexpr int soFromEnd = 2;

class TStream : public TObject {
    KVR_CLASS(TStream, TObject)
public:
    // Read and Write move at most count bytes and return how many moved.
    virtual Int64 Read(void* buffer, Int64 count) = 0;
    virtual Int64 Write(const void* buffer, Int64 count) = 0;
    virtual Int64 Seek(Int64 offset, TSeekOrigin origin) = 0;
    Int64 Seek(Int64 offset, int origin) { return Seek(offset, static_cast<TSeekOrigin>(origin)); }

    Int64 Position() { return Seek(0, soCurrent); }
    void SetPosition(Int64 value) { Seek(value, soBeginning); }
    virtual Int64 Size();
    virtual void SetSize(Int64 value);

    // The whole count or EReadError ("Stream read error") / EWriteError ("Stream write error").
    void ReadBuffer(void* buffer, Int64 count);
    void WriteBuffer(const void* buffer, Int64 count);
    // Copies count bytes from source (0: all of source, from its start); returns the count.
    Int64 CopyFrom(TStream& source, Int64 count);
};

class TCustomMemoryStream : public TStream {
    KVR_CLASS(TCustomMemoryStream, TStream)
public:
    Int64 Read(void* buffer, Int64 count) override;
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;
    using TStream::Seek;
    Int64 Size() override { return FSize; }
    const char* Memory() const { return FMemory; }
    void SaveToStream(TStream& stream);
    void SaveToFile(const AnsiString& fileName);

protected:
    void SetPointer(char* memory, Int64 size);
    char* FMemory = nullptr;
    Int64 FSize = 0;
    Int64 FPosition = 0;
};

class TMemoryStream : public TCustomMemoryStream {
    KVR_CLASS(TMemoryStream, TCustomMemoryStream)
public:
    TMemoryStream() = default;
    ~TMemoryStream() override;
    Int64 Write(const void* buffer, Int64 count) override;
    void SetSize(Int64 value) override;
    void Clear();
    void LoadFromStream(TStream& stream);
    void LoadFromFile(const AnsiString& fileName);
    char* Memory() { return FMemory; }

private:
    void SetCapacity(Int64 value);
    Int64 FCapacity = 0;
};

enum : unsigned {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareCompat = 0x0000,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFFFF
};

// A file opened by name; fmCreate creates or empties it. Share modes are accepted and not enforced.
class TFileStream : public TStream {
    KVR_CLASS(TFileStream, TStream)
public:
    TFileStream(const AnsiString& fileName, unsigned mode);
    ~TFileStream() override;
    Int64 Read(void* buffer, Int64 count) override;
    Int64 Write(const void* buffer, Int64 count) override;
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;
    using TStream::Seek;
    void SetSize(Int64 value) override;
    const AnsiString& FileName() const { return FFileName; }

private:
    AnsiString FFileName;
    std::FILE* FFile = nullptr;
};

class TStringStream : public TStream {
    KVR_CLASS(TStringStream, TStream)
public:
    explicit TStringStream(const AnsiString& value = "") : FDataString(value) {}
    Int64 Read(void* buffer, Int64 count) override;
    Int64 Write(const void* buffer, Int64 count) override;
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;
    using TStream::Seek;
    void SetSize(Int64 value) override;
    const AnsiString& DataString() const { return FDataString; }
    AnsiString ReadString(Int64 count);
    void WriteString(const AnsiString& value) { Write(value.data(), static_cast<Int64>(value.size())); }

private:
    AnsiString FDataString;
    Int64 FPosition = 0;
};
