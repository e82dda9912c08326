#include "classlib/automation/varmarshal.h"

#include <climits>
#include <cmath>
#include <cstring>

namespace {

[[noreturn]] void Malformed(const std::string& what) {
    throw EMarshalError("Malformed frame: " + what);
}

std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

bool IsSimpleType(TVarType t) {
    return t == varEmpty || t == varNull || (t != varVariant && VarTypeIsValidElementType(t));
}

// The fewest bytes one element of the type takes, which bounds how many elements the bytes left can
// hold before any is allocated.
std::size_t MinimumSize(TVarType elementType) {
    switch (elementType) {
    case varBoolean:
    case varByte:
        return 1;
    case varSmallint:
    case varVariant:
        return 2;
    case varDouble:
    case varDate:
    case varCurrency:
    case varInt64:
        return 8;
    default:
        return 4;
    }
}

template <class T> T Bits(const char* p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

// Steps through the indices of an array in storage order, the first index running fastest.
class TIndexWalk {
public:
    explicit TIndexWalk(const std::vector<std::pair<int, Cardinal>>& bounds) : FBounds(bounds) {
        for (const auto& b : bounds)
            FIndices.push_back(b.first);
    }
    const std::vector<int>& Indices() const { return FIndices; }
    void Next() {
        for (std::size_t k = 0; k < FIndices.size(); ++k) {
            if (static_cast<Int64>(FIndices[k]) + 1 <
                static_cast<Int64>(FBounds[k].first) + FBounds[k].second) {
                ++FIndices[k];
                return;
            }
            FIndices[k] = FBounds[k].first;
        }
    }

private:
    const std::vector<std::pair<int, Cardinal>>& FBounds;
    std::vector<int> FIndices;
};

} // namespace

// ---- writing ----

void TMarshalWriter::Append(const void* data, std::size_t size) {
    if (size > MaxFrameSize || FBytes.size() > MaxFrameSize - size)
        throw EMarshalError("Frame too large: more than " + std::to_string(MaxFrameSize) + " bytes");
    FBytes.append(static_cast<const char*>(data), size);
}

void TMarshalWriter::WriteByte(Byte value) {
    Append(&value, 1);
}

void TMarshalWriter::WriteWord(Word value) {
    const unsigned char b[2] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8)};
    Append(b, 2);
}

void TMarshalWriter::WriteCardinal(Cardinal value) {
    unsigned char b[4];
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<unsigned char>(value >> (8 * i));
    Append(b, 4);
}

void TMarshalWriter::WriteInt64(Int64 value) {
    const auto u = static_cast<std::uint64_t>(value);
    unsigned char b[8];
    for (int i = 0; i < 8; ++i)
        b[i] = static_cast<unsigned char>(u >> (8 * i));
    Append(b, 8);
}

void TMarshalWriter::WriteShortString(const AnsiString& value) {
    if (value.size() > 255) throw EMarshalError("Name too long to marshal: " + value.substr(0, 64) + "...");
    WriteByte(static_cast<Byte>(value.size()));
    Append(value.data(), value.size());
}

void TMarshalWriter::WriteLongString(const AnsiString& value) {
    if (value.size() > MaxFrameSize) throw EMarshalError("Text too long to marshal");
    WriteCardinal(static_cast<Cardinal>(value.size()));
    Append(value.data(), value.size());
}

void TMarshalWriter::WriteVariant(const Variant& value) {
    WriteValue(value, 0);
}

void TMarshalWriter::WriteValue(const Variant& value, int depth) {
    const TVarType type = value.VType();
    WriteWord(type);
    if (type & varArray)
        WriteArray(value, depth);
    else
        WritePayload(value, type, depth);
}

void TMarshalWriter::WritePayload(const Variant& value, TVarType type, int depth) {
    switch (type) {
    case varEmpty:
    case varNull:
        return;
    case varSmallint:
        WriteWord(static_cast<Word>(static_cast<short>(value.AsInteger())));
        return;
    case varInteger:
        WriteCardinal(static_cast<Cardinal>(value.AsInteger()));
        return;
    case varError:
        WriteCardinal(static_cast<Cardinal>(value.AsError()));
        return;
    case varSingle: {
        const float f = static_cast<float>(value.AsFloat());
        WriteCardinal(Bits<Cardinal>(reinterpret_cast<const char*>(&f)));
        return;
    }
    case varDouble:
    case varDate: {
        const double d = type == varDate ? value.AsDateTime() : value.AsFloat();
        WriteInt64(Bits<Int64>(reinterpret_cast<const char*>(&d)));
        return;
    }
    case varCurrency: {
        Int64 scaled = 0;
        try {
            scaled = VarToScaledCurrency(value);
        } catch (const EVariantError&) {
            throw EMarshalError("Currency value out of range: " + VarToStr(value));
        }
        WriteInt64(scaled);
        return;
    }
    case varBoolean:
        WriteByte(value.AsBoolean() ? 1 : 0);
        return;
    case varByte:
        WriteByte(static_cast<Byte>(value.AsInteger()));
        return;
    case varInt64:
        WriteInt64(value.AsInt64());
        return;
    case varString:
        WriteLongString(value.AsString());
        return;
    case varOleStr: {
        const WideString text = value.AsWideString();
        if (text.size() > MaxFrameSize / 2) throw EMarshalError("Text too long to marshal");
        WriteCardinal(static_cast<Cardinal>(text.size()));
        for (char16_t c : text)
            WriteWord(c);
        return;
    }
    case varDispatch: {
        IDispatch* object = value.AsDispatch();
        if (!object) {
            WriteCardinal(0);
            return;
        }
        if (!FHandles) throw EMarshalError("An automation object cannot be marshalled here");
        WriteCardinal(FHandles->HandleOf(object));
        return;
    }
    default:
        (void)depth;
        throw EMarshalError("Variant type " + Hex(type) + " cannot be marshalled");
    }
}

void TMarshalWriter::WriteArray(const Variant& value, int depth) {
    if (depth >= MaxNesting)
        throw EMarshalError("Arrays nested deeper than " + std::to_string(MaxNesting) +
                            " cannot be marshalled");
    const TVarType elementType = value.VType() & varTypeMask;
    if (!VarTypeIsValidElementType(elementType) || (value.VType() & ~(varArray | varTypeMask)))
        throw EMarshalError("Variant type " + Hex(value.VType()) + " cannot be marshalled");
    const int dims = VarArrayDimCount(value);
    if (dims < 1 || dims > MaxArrayDims)
        throw EMarshalError("Array of " + std::to_string(dims) + " dimensions");
    std::vector<std::pair<int, Cardinal>> bounds;
    std::size_t total = 1;
    WriteByte(static_cast<Byte>(dims));
    for (int d = 1; d <= dims; ++d) {
        const int low = VarArrayLowBound(value, d);
        const auto count = static_cast<Cardinal>(static_cast<Int64>(VarArrayHighBound(value, d)) - low + 1);
        bounds.emplace_back(low, count);
        total *= count;
        WriteCardinal(static_cast<Cardinal>(low));
        WriteCardinal(count);
    }
    if (total == 0) return;
    if (elementType == varByte) {
        // Locked through a copy: a Variant being written is not ours to change, not even its lock.
        Variant copy = value;
        const void* bytes = VarArrayLock(copy);
        try {
            Append(bytes, total);
        } catch (...) {
            VarArrayUnlock(copy);
            throw;
        }
        VarArrayUnlock(copy);
        return;
    }
    if (total > MaxFrameElements || FElements > MaxFrameElements - total)
        throw EMarshalError("Too many array elements to marshal (limit " + std::to_string(MaxFrameElements) +
                            ")");
    FElements += total;
    TIndexWalk walk(bounds);
    for (std::size_t i = 0; i < total; ++i, walk.Next()) {
        const Variant element = value.GetElement(walk.Indices());
        if (elementType == varVariant)
            WriteValue(element, depth + 1);
        else
            WritePayload(element, elementType, depth + 1);
    }
}

// ---- reading ----

const char* TMarshalReader::Take(std::size_t size) {
    if (size > Remaining()) Malformed("truncated");
    const char* p = FBytes.data() + FPos;
    FPos += size;
    return p;
}

Byte TMarshalReader::ReadByte() {
    return static_cast<Byte>(*Take(1));
}

Word TMarshalReader::ReadWord() {
    const auto* p = reinterpret_cast<const unsigned char*>(Take(2));
    return static_cast<Word>(p[0] | (p[1] << 8));
}

Cardinal TMarshalReader::ReadCardinal() {
    const auto* p = reinterpret_cast<const unsigned char*>(Take(4));
    Cardinal value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | p[i];
    return value;
}

Int64 TMarshalReader::ReadInt64() {
    const auto* p = reinterpret_cast<const unsigned char*>(Take(8));
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | p[i];
    return static_cast<Int64>(value);
}

AnsiString TMarshalReader::ReadShortString() {
    const Byte size = ReadByte();
    return AnsiString(Take(size), size);
}

AnsiString TMarshalReader::ReadLongString() {
    const Cardinal size = ReadCardinal();
    return AnsiString(Take(size), size);
}

void TMarshalReader::ExpectEnd() const {
    if (Remaining() != 0) Malformed(std::to_string(Remaining()) + " bytes left over");
}

Variant TMarshalReader::ReadVariant() {
    return ReadValue(0);
}

Variant TMarshalReader::ReadValue(int depth) {
    const TVarType type = ReadWord();
    if (type & varArray) {
        if ((type & ~(varArray | varTypeMask)) || !VarTypeIsValidElementType(type & varTypeMask))
            Malformed("bad variant type " + Hex(type));
        return ReadArray(type & varTypeMask, depth);
    }
    if (!IsSimpleType(type)) Malformed("bad variant type " + Hex(type));
    return ReadPayload(type, depth);
}

Variant TMarshalReader::ReadPayload(TVarType type, int depth) {
    (void)depth;
    switch (type) {
    case varEmpty:
        return Variant();
    case varNull:
        return Null();
    case varSmallint:
        return Variant(static_cast<short>(ReadWord()));
    case varInteger:
        return Variant(static_cast<int>(ReadCardinal()));
    case varError:
        return VarFromError(static_cast<int>(ReadCardinal()));
    case varSingle: {
        const Cardinal bits = ReadCardinal();
        return Variant(Bits<float>(reinterpret_cast<const char*>(&bits)));
    }
    case varDouble: {
        const Int64 bits = ReadInt64();
        return Variant(Bits<double>(reinterpret_cast<const char*>(&bits)));
    }
    case varDate: {
        const Int64 bits = ReadInt64();
        return VarFromDateTime(Bits<double>(reinterpret_cast<const char*>(&bits)));
    }
    case varCurrency: {
        return VarFromScaledCurrency(ReadInt64());
    }
    case varBoolean: {
        const Byte b = ReadByte();
        if (b > 1) Malformed("bad Boolean byte " + std::to_string(b));
        return Variant(b == 1);
    }
    case varByte:
        return Variant(ReadByte());
    case varInt64:
        return Variant(static_cast<long long>(ReadInt64()));
    case varString:
        return Variant(ReadLongString());
    case varOleStr: {
        const Cardinal count = ReadCardinal();
        if (count > Remaining() / 2) Malformed("truncated");
        WideString text(count, u'\0');
        for (Cardinal i = 0; i < count; ++i)
            text[i] = static_cast<char16_t>(ReadWord());
        return Variant(text);
    }
    case varDispatch: {
        const Cardinal handle = ReadCardinal();
        if (handle == 0) return Variant(static_cast<IDispatch*>(nullptr));
        if (!FHandles) throw EMarshalError("An automation object cannot be unmarshalled here");
        return FHandles->ObjectOf(handle);
    }
    default:
        Malformed("bad variant type " + Hex(type));
    }
}

Variant TMarshalReader::ReadArray(TVarType elementType, int depth) {
    if (depth >= MaxNesting) Malformed("arrays nested deeper than " + std::to_string(MaxNesting));
    const Byte dims = ReadByte();
    if (dims < 1 || dims > MaxArrayDims) Malformed("array of " + std::to_string(dims) + " dimensions");
    std::vector<std::pair<int, Cardinal>> bounds;
    std::vector<int> create;
    const std::size_t minimum = MinimumSize(elementType);
    for (Byte d = 0; d < dims; ++d) {
        const int low = static_cast<int>(ReadCardinal());
        const Cardinal count = ReadCardinal();
        const Int64 high = static_cast<Int64>(low) + count - 1;
        if (count > 0x7FFFFFFFu || high > INT_MAX || high < INT_MIN) Malformed("bad array bounds");
        bounds.emplace_back(low, count);
        create.push_back(low);
        create.push_back(static_cast<int>(high));
    }
    // An empty dimension empties the array; otherwise the product is kept below what the remaining
    // bytes could hold at every step, so it never overflows and nothing is allocated for a lie.
    std::size_t total = 1;
    for (const auto& b : bounds)
        if (b.second == 0) total = 0;
    for (std::size_t k = 0; k < bounds.size() && total != 0; ++k) {
        total *= bounds[k].second;
        if (total > Remaining() / minimum) Malformed("array larger than its frame");
    }
    if (elementType != varByte) {
        if (total > MaxFrameElements || FElements > MaxFrameElements - total)
            Malformed("more than " + std::to_string(MaxFrameElements) + " array elements");
        FElements += total;
    }
    Variant array;
    try {
        array = VarArrayCreate(create, elementType);
    } catch (const EVariantError&) {
        Malformed("bad array bounds"); // shapes the Variant refuses, such as an empty one of 2^31 by 2^31
    }
    if (total == 0) return array;
    if (elementType == varByte || elementType == varVariant) {
        void* items = VarArrayLock(array);
        try {
            if (elementType == varByte) {
                std::memcpy(items, Take(total), total);
            } else {
                auto* values = static_cast<Variant*>(items);
                for (std::size_t i = 0; i < total; ++i)
                    values[i] = ReadValue(depth + 1);
            }
        } catch (...) {
            VarArrayUnlock(array);
            throw;
        }
        VarArrayUnlock(array);
        return array;
    }
    TIndexWalk walk(bounds);
    for (std::size_t i = 0; i < total; ++i, walk.Next())
        array.PutElement(walk.Indices(), ReadPayload(elementType, depth + 1));
    return array;
}

// ---- values and frames ----

std::string MarshalVariant(const Variant& value, IDispatchHandles* handles) {
    TMarshalWriter writer(handles);
    writer.WriteVariant(value);
    return writer.TakeBytes();
}

Variant UnmarshalVariant(std::string_view bytes, IDispatchHandles* handles) {
    TMarshalReader reader(bytes, handles);
    Variant value = reader.ReadVariant();
    reader.ExpectEnd();
    return value;
}

std::string EncodeFrame(const TMarshalFrame& frame, IDispatchHandles* handles) {
    TMarshalWriter writer(handles);
    writer.WriteCardinal(0); // the length, filled in at the end
    writer.WriteByte(frame.Kind);
    switch (frame.Kind) {
    case fkOpen:
        writer.WriteWord(frame.Flags);
        writer.WriteShortString(frame.Name);
        writer.WriteShortString(frame.Message);
        if (frame.Flags >= 3) {
            writer.WriteShortString(frame.User);
            writer.WriteShortString(frame.UserProof);
        }
        break;
    case fkHello:
        if (frame.Handle > 255) throw EMarshalError("Bad greeting flags");
        writer.WriteWord(frame.Flags);
        writer.WriteByte(static_cast<Byte>(frame.Handle));
        writer.WriteShortString(frame.Message);
        break;
    case fkCall:
        if (frame.Args.size() > 255)
            throw EMarshalError("Too many arguments to marshal for '" + frame.Name + "'");
        writer.WriteCardinal(frame.Handle);
        writer.WriteWord(frame.Flags);
        writer.WriteShortString(frame.Name);
        writer.WriteByte(static_cast<Byte>(frame.Args.size()));
        for (const TMarshalArg& arg : frame.Args) {
            writer.WriteByte(arg.ByRef ? 1 : 0);
            writer.WriteVariant(arg.Value);
        }
        break;
    case fkResult:
        if (frame.Args.size() > 255) throw EMarshalError("Too many arguments to marshal");
        writer.WriteVariant(frame.Result);
        writer.WriteByte(static_cast<Byte>(frame.Args.size()));
        for (const TMarshalArg& arg : frame.Args) {
            writer.WriteByte(arg.Index);
            writer.WriteVariant(arg.Value);
        }
        break;
    case fkError:
        writer.WriteShortString(frame.Name.substr(0, 255));
        writer.WriteLongString(frame.Message);
        break;
    case fkRelease:
        writer.WriteCardinal(frame.Handle);
        break;
    default:
        throw EMarshalError("Bad frame kind " + std::to_string(frame.Kind));
    }
    std::string bytes = writer.TakeBytes();
    const std::size_t body = bytes.size() - 4;
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>(body >> (8 * i));
    return bytes;
}

std::size_t DecodeFrameLength(const char header[4]) {
    const auto* p = reinterpret_cast<const unsigned char*>(header);
    const std::size_t length = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::size_t>(p[3]) << 24);
    if (length > MaxFrameSize)
        throw EMarshalError("Frame too large: " + std::to_string(length) + " bytes (limit " +
                            std::to_string(MaxFrameSize) + ")");
    if (length == 0) Malformed("empty frame");
    return length;
}

TMarshalFrame DecodeFrame(std::string_view body, IDispatchHandles* handles) {
    if (body.size() > MaxFrameSize)
        throw EMarshalError("Frame too large: " + std::to_string(body.size()) + " bytes");
    TMarshalReader reader(body, handles);
    TMarshalFrame frame;
    const Byte kind = reader.ReadByte();
    switch (kind) {
    case fkOpen:
        frame.Flags = reader.ReadWord();
        frame.Name = reader.ReadShortString();
        frame.Message = reader.ReadShortString();
        if (frame.Flags >= 3) { // an older client's open is refused by its version, not as malformed
            frame.User = reader.ReadShortString();
            frame.UserProof = reader.ReadShortString();
        }
        break;
    case fkHello:
        frame.Flags = reader.ReadWord();
        frame.Handle = reader.ReadByte();
        frame.Message = reader.ReadShortString();
        break;
    case fkCall: {
        frame.Handle = reader.ReadCardinal();
        frame.Flags = reader.ReadWord();
        frame.Name = reader.ReadShortString();
        const Byte count = reader.ReadByte();
        for (Byte i = 0; i < count; ++i) {
            TMarshalArg arg;
            const Byte byRef = reader.ReadByte();
            if (byRef > 1) Malformed("bad by-reference flag " + std::to_string(byRef));
            arg.ByRef = byRef == 1;
            arg.Index = i;
            arg.Value = reader.ReadVariant();
            frame.Args.push_back(std::move(arg));
        }
        break;
    }
    case fkResult: {
        frame.Result = reader.ReadVariant();
        const Byte count = reader.ReadByte();
        for (Byte i = 0; i < count; ++i) {
            TMarshalArg arg;
            arg.ByRef = true;
            arg.Index = reader.ReadByte();
            arg.Value = reader.ReadVariant();
            frame.Args.push_back(std::move(arg));
        }
        break;
    }
    case fkError:
        frame.Name = reader.ReadShortString();
        frame.Message = reader.ReadLongString();
        break;
    case fkRelease:
        frame.Handle = reader.ReadCardinal();
        break;
    default:
        Malformed("bad frame kind " + std::to_string(kind));
    }
    frame.Kind = static_cast<TFrameKind>(kind);
    reader.ExpectEnd();
    return frame;
}
