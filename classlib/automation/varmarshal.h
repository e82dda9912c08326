#pragma once
// The binary form of Variants and of the calls that a socket connection carries to a remote server.
//
// Every number is little-endian. A value is its type code followed by its payload:
//
//     u16 type       the Variant's type code; varArray (0x2000) plus the element type for an array
//     payload by type:
//       varEmpty, varNull        nothing
//       varSmallint              i16
//       varInteger, varError     i32
//       varSingle                f32 (IEEE 754 bits)
//       varDouble, varDate       f64 (IEEE 754 bits; a date is the day number with the time as fraction)
//       varCurrency              i64, the amount times 10000
//       varBoolean               u8, 0 or 1
//       varByte                  u8
//       varInt64                 i64
//       varOleStr                u32 n, then n UTF-16 code units of u16
//       varString                u32 n, then n bytes in the sender's code page, as they stand
//       varDispatch              u32 handle, 0 for an unset object; any other handle needs a handle
//                                table on both sides (IDispatchHandles), else the value is refused
//       varArray + element type  u8 d, the number of dimensions (1..64); d times (i32 low bound,
//                                u32 element count) from the first dimension; then the elements in
//                                storage order, the first index running fastest: raw bytes for a
//                                varByte array, whole values (type and payload) for a varVariant
//                                array, the payload alone for any other element type
//
// A frame on the wire is u32 n, then n bytes of body (n up to MaxFrameSize). The body is a kind byte
// and its fields:
//
//     1 open     u16 protocol version, str8 server name, str8 proof (empty, or the HMAC of the
//                greeting's nonce under the shared secret)        answered by result (the server
//                                                                 object) or error
//     2 call     u32 object handle, u16 invoke flags (dispatch.h), str8 member name,
//                u8 n, then n times (u8 1 when by reference else 0, value)
//                                                                 answered by result or error
//     3 result   value, u8 m, then m times (u8 argument index, value): the by-reference arguments as
//                the callee left them
//     4 error    str8 exception class name, str32 message
//     5 release  u32 object handle: the client lets go of a handle it was given; no answer
//     6 hello    u16 protocol version, u8 flags (1: a proof is required), str8 nonce: the server's
//                first frame on a connection, before which the client sends nothing
//
//     str8 is u8 n and n bytes, str32 is u32 n and n bytes.
//
// Reading never trusts a count: every length is checked against the bytes that remain before anything
// is allocated, arrays are nested at most MaxNesting deep and a frame holds at most MaxFrameElements
// array elements (bytes of byte arrays aside). Any breach, a type code or kind that is not listed,
// a Boolean other than 0 or 1, or bytes left over raise EMarshalError with what was wrong; writing
// refuses what reading would refuse, so a frame that goes out can come back in.
//
// A currency amount crosses as its exact integer count of ten-thousandths, but the Variant hands the
// amount out as a double: amounts up to about 2e11 cross exactly, larger ones to the double's
// precision.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "classlib/rtl/exceptions.h"
#include "classlib/rtl/variants.h"

KVR_DECLARE_EXCEPTION(EMarshalError, EOleError)

constexpr std::size_t MaxFrameSize = std::size_t{64} << 20;
constexpr std::size_t MaxFrameElements = std::size_t{8} << 20;
constexpr int MaxNesting = 32;
constexpr int MaxArrayDims = 64;
constexpr Word MarshalProtocolVersion = 3;

// How dispatch objects cross: one side hands out handles for its objects, the other turns them into
// stand-ins (proxies). Both raise EMarshalError for an object or a handle they cannot carry.
class IDispatchHandles {
public:
    virtual Cardinal HandleOf(IDispatch* object) = 0; // never called for an unset object
    virtual Variant ObjectOf(Cardinal handle) = 0;    // never called for handle 0

protected:
    ~IDispatchHandles() = default;
};

class TMarshalWriter {
public:
    explicit TMarshalWriter(IDispatchHandles* handles = nullptr) : FHandles(handles) {}

    void WriteByte(Byte value);
    void WriteWord(Word value);
    void WriteCardinal(Cardinal value);
    void WriteInt64(Int64 value);
    void WriteShortString(const AnsiString& value); // str8: EMarshalError above 255 bytes
    void WriteLongString(const AnsiString& value);  // str32
    void WriteVariant(const Variant& value);

    const std::string& Bytes() const { return FBytes; }
    std::string TakeBytes() { return std::move(FBytes); }

private:
    void WriteValue(const Variant& value, int depth);
    void WritePayload(const Variant& value, TVarType type, int depth);
    void WriteArray(const Variant& value, int depth);
    void Append(const void* data, std::size_t size);

    IDispatchHandles* FHandles;
    std::string FBytes;
    std::size_t FElements = 0;
};

class TMarshalReader {
public:
    TMarshalReader(std::string_view bytes, IDispatchHandles* handles = nullptr)
        : FBytes(bytes), FHandles(handles) {}

    Byte ReadByte();
    Word ReadWord();
    Cardinal ReadCardinal();
    Int64 ReadInt64();
    AnsiString ReadShortString();
    AnsiString ReadLongString();
    Variant ReadVariant();
    std::size_t Remaining() const { return FBytes.size() - FPos; }
    void ExpectEnd() const; // EMarshalError when bytes are left over

private:
    Variant ReadValue(int depth);
    Variant ReadPayload(TVarType type, int depth);
    Variant ReadArray(TVarType elementType, int depth);
    const char* Take(std::size_t size);

    std::string_view FBytes;
    std::size_t FPos = 0;
    IDispatchHandles* FHandles;
    std::size_t FElements = 0;
};

std::string MarshalVariant(const Variant& value, IDispatchHandles* handles = nullptr);
Variant UnmarshalVariant(std::string_view bytes, IDispatchHandles* handles = nullptr); // all of them

enum TFrameKind : Byte { fkOpen = 1, fkCall = 2, fkResult = 3, fkError = 4, fkRelease = 5, fkHello = 6 };

struct TMarshalArg {
    Variant Value;
    bool ByRef = false;
    Byte Index = 0; // in a result: the position of the argument in the call
};

struct TMarshalFrame {
    TFrameKind Kind = fkCall;
    Cardinal Handle = 0;           // call, release; hello: its flags
    Word Flags = 0;                // call: invoke flags; open, hello: protocol version
    AnsiString Name;               // call: member; open: server name; error: exception class
    AnsiString Message;            // error; open: the proof; hello: the nonce
    Variant Result;                // result
    std::vector<TMarshalArg> Args; // call: every argument; result: the by-reference ones
    AnsiString User;               // open: the user the connection speaks for ('' none named)
    AnsiString UserProof;          // open: the proof of that user's secret ('' none)
};

// The frame as it goes on the wire, with its length first.
std::string EncodeFrame(const TMarshalFrame& frame, IDispatchHandles* handles = nullptr);
// The body's length from the four bytes that come first; EMarshalError above MaxFrameSize.
std::size_t DecodeFrameLength(const char header[4]);
// A frame from its body (the bytes after the length).
TMarshalFrame DecodeFrame(std::string_view body, IDispatchHandles* handles = nullptr);
