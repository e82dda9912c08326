#include "classlib/objects/filer.h"

#include "classlib/rtl/format.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "classlib/objects/collection.h"
#include "classlib/objects/formloader.h"
#include "classlib/rtl/codepages.h"
#include "classlib/rtl/strutils.h"

const char FilerSignature[4] = {'T', 'P', 'F', '0'};

KVR_PUBLISHED(TFiler, c) {}
KVR_PUBLISHED(TReader, c) {}
KVR_PUBLISHED(TWriter, c) {}

namespace {

constexpr int MaxNesting = 200; // lists, collections and components inside each other

bool IsAsciiOnly(const WideString& w) {
    return std::all_of(w.begin(), w.end(), [](char16_t ch) { return ch < 0x80; });
}

bool IsDateType(const TTypeInfo* type) {
    return SameIdent(type->Name(), "TDateTime") || SameIdent(type->Name(), "TDate") ||
           SameIdent(type->Name(), "TTime");
}

bool IsCurrencyType(const TTypeInfo* type) {
    return type->FloatType == ftCurr || SameIdent(type->Name(), "Currency");
}

bool IsBooleanType(const TTypeInfo* type) {
    return type == TypeInfoOf<bool>() || SameIdent(type->Name(), "Boolean");
}

} // namespace

// ---- extended ----

void DoubleToExtended(double value, unsigned char out[10]) {
    std::memset(out, 0, 10);
    std::uint64_t mantissa = 0;
    int exponent = 0;
    bool negative = std::signbit(value);
    if (std::isnan(value)) {
        exponent = 0x7FFF;
        mantissa = 0xC000000000000000ull;
    } else if (std::isinf(value)) {
        exponent = 0x7FFF;
        mantissa = 0x8000000000000000ull;
    } else if (value != 0) {
        int e;
        double m = std::frexp(std::fabs(value), &e); // m in [0.5, 1)
        mantissa = static_cast<std::uint64_t>(std::ldexp(m, 64));
        exponent = e - 1 + 16383;
    }
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<unsigned char>(mantissa >> (8 * i));
    unsigned se = static_cast<unsigned>(exponent) | (negative ? 0x8000u : 0u);
    out[8] = static_cast<unsigned char>(se);
    out[9] = static_cast<unsigned char>(se >> 8);
}

double ExtendedToDouble(const unsigned char in[10]) {
    std::uint64_t mantissa = 0;
    for (int i = 0; i < 8; ++i)
        mantissa |= static_cast<std::uint64_t>(in[i]) << (8 * i);
    unsigned se = in[8] | (static_cast<unsigned>(in[9]) << 8);
    bool negative = se & 0x8000u;
    int exponent = static_cast<int>(se & 0x7FFFu);
    double r;
    if (exponent == 0x7FFF) {
        r = (mantissa << 1) == 0 ? HUGE_VAL : std::nan("");
    } else if (mantissa == 0) {
        r = 0;
    } else {
        r = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
    }
    return negative ? -r : r;
}

// ---- TReader ----

TReader::TReader(TStream& stream) : TFiler(stream) {
    FBase = stream.Position();
    Int64 size = stream.Size() - FBase;
    if (size > 0) {
        FBuffer.resize(static_cast<std::size_t>(size));
        stream.ReadBuffer(FBuffer.data(), size);
        stream.SetPosition(FBase);
    }
}

TReader::~TReader() {
    FStream.SetPosition(Position());
}

AnsiString TReader::Location(Int64 offset) const {
    if (FLineMap && !FLineMap->empty()) {
        auto it = std::upper_bound(FLineMap->begin(), FLineMap->end(), offset,
                                   [](Int64 o, const TLineMark& m) { return o < m.Offset; });
        int line = it == FLineMap->begin() ? FLineMap->front().Line : std::prev(it)->Line;
        return "line " + IntToStr(line) + (FSourceName.empty() ? "" : " of " + FSourceName);
    }
    return "offset " + IntToStr(offset) + (FSourceName.empty() ? "" : " of " + FSourceName);
}

AnsiString TReader::What() const {
    AnsiString who = FCurrent ? (FCurrent->Name().empty() ? FCurrent->ClassName() : FCurrent->Name()) : "";
    if (FPropPath.empty()) return who.empty() ? AnsiString("stream") : who;
    return who.empty() ? FPropPath : who + "." + FPropPath;
}

void TReader::Error(const AnsiString& reason) {
    throw EReadError("Error reading " + What() + " at " + Location(FPlace) + ": " + reason);
}

void TReader::Need(std::size_t count) {
    if (count > FBuffer.size() - FPos) {
        FPlace = Position();
        Error("Unexpected end of stream");
    }
}

void TReader::ReadBytes(void* buffer, std::size_t count) {
    Need(count);
    std::memcpy(buffer, FBuffer.data() + FPos, count);
    FPos += count;
}

template <class T> T TReader::ReadRaw() {
    unsigned char bytes[sizeof(T)];
    ReadBytes(bytes, sizeof bytes);
    std::make_unsigned_t<T> u = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        u |= static_cast<std::make_unsigned_t<T>>(bytes[i]) << (8 * i);
    return static_cast<T>(u);
}

AnsiString TReader::ReadBareString(std::size_t length) {
    Need(length);
    AnsiString r(FBuffer.data() + FPos, length);
    FPos += length;
    return r;
}

TValueType TReader::ReadValue() {
    Need(1);
    return static_cast<TValueType>(static_cast<Byte>(FBuffer[FPos++]));
}

TValueType TReader::NextValue() {
    Need(1);
    return static_cast<TValueType>(static_cast<Byte>(FBuffer[FPos]));
}

void TReader::CheckValue(TValueType expected) {
    if (ReadValue() != expected) {
        --FPos;
        Error("Invalid property value");
    }
}

void TReader::ReadSignature() {
    char sig[4];
    FPlace = Position();
    ReadBytes(sig, 4);
    if (std::memcmp(sig, FilerSignature, 4) != 0) Error("Invalid stream format");
}

void TReader::ReadPrefix(Byte& flags, int& childPos) {
    flags = 0;
    childPos = 0;
    Need(1);
    Byte b = static_cast<Byte>(FBuffer[FPos]);
    if ((b & 0xF0) == 0xF0) {
        ++FPos;
        flags = b & 0x0F;
        if (flags & ffChildPos) childPos = ReadInteger();
    }
}

int TReader::ReadInteger() {
    switch (ReadValue()) {
    case vaInt8:
        return ReadRaw<std::int8_t>();
    case vaInt16:
        return ReadRaw<std::int16_t>();
    case vaInt32:
        return ReadRaw<std::int32_t>();
    default:
        --FPos;
        Error("Invalid property value");
    }
}

Int64 TReader::ReadInt64() {
    if (NextValue() == vaInt64) {
        ReadValue();
        return ReadRaw<std::int64_t>();
    }
    return ReadInteger();
}

bool TReader::ReadBoolean() {
    TValueType v = ReadValue();
    if (v == vaTrue) return true;
    if (v == vaFalse) return false;
    --FPos;
    Error("Invalid property value");
}

char TReader::ReadChar() {
    AnsiString s = ReadString();
    if (s.size() != 1) Error("Invalid property value");
    return s[0];
}

Extended TReader::ReadFloat() {
    switch (NextValue()) {
    case vaExtended: {
        ReadValue();
        unsigned char bytes[10];
        ReadBytes(bytes, 10);
        return ExtendedToDouble(bytes);
    }
    case vaSingle:
        return ReadSingle();
    case vaCurrency:
        return ReadCurrency();
    case vaDate:
        return ReadDate();
    default:
        return static_cast<Extended>(ReadInt64());
    }
}

float TReader::ReadSingle() {
    if (NextValue() != vaSingle) return static_cast<float>(ReadFloat());
    ReadValue();
    std::uint32_t bits = ReadRaw<std::uint32_t>();
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

double TReader::ReadCurrency() {
    if (NextValue() != vaCurrency) return ReadFloat();
    ReadValue();
    return static_cast<double>(ReadRaw<std::int64_t>()) / 10000.0;
}

Int64 TReader::ReadScaledCurrency() {
    CheckValue(vaCurrency);
    return ReadRaw<std::int64_t>();
}

TDateTime TReader::ReadDate() {
    if (NextValue() != vaDate) return ReadFloat();
    ReadValue();
    std::uint64_t bits = ReadRaw<std::uint64_t>();
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

AnsiString TReader::ReadString() {
    switch (ReadValue()) {
    case vaString:
        return ReadBareString(ReadRaw<Byte>());
    case vaLString:
        return ReadBareString(ReadRaw<std::uint32_t>());
    case vaWString: {
        --FPos;
        return WideToAnsi(ReadWideString());
    }
    default:
        --FPos;
        Error("Invalid property value");
    }
}

WideString TReader::ReadWideString() {
    if (NextValue() != vaWString) return AnsiToWide(ReadString());
    ReadValue();
    std::uint32_t n = ReadRaw<std::uint32_t>();
    Need(static_cast<std::size_t>(n) * 2);
    WideString r(n, u'\0');
    for (std::uint32_t i = 0; i < n; ++i)
        r[i] = static_cast<char16_t>(ReadRaw<std::uint16_t>());
    return r;
}

AnsiString TReader::ReadIdent() {
    switch (ReadValue()) {
    case vaIdent:
        return ReadBareString(ReadRaw<Byte>());
    case vaFalse:
        return "False";
    case vaTrue:
        return "True";
    case vaNil:
        return "nil";
    case vaNull:
        return "Null";
    default:
        --FPos;
        Error("Invalid property value");
    }
}

AnsiString TReader::ReadStr() {
    return ReadBareString(ReadRaw<Byte>());
}

std::uint64_t TReader::ReadSet(const TTypeInfo* setType) {
    std::uint64_t bits = 0;
    for (;;) {
        AnsiString name = ReadStr();
        if (name.empty()) break;
        if (!setType) continue;
        int v = setType->CompType ? GetEnumValue(setType->CompType, name) : -1;
        if (v < 0 || v >= 64) Error("Invalid property element: " + name);
        bits |= std::uint64_t{1} << v;
    }
    return bits;
}

void TReader::ReadBinary(AnsiString& bytes) {
    bytes = ReadBareString(ReadRaw<std::uint32_t>());
}

Variant TReader::ReadVariant() {
    switch (NextValue()) {
    case vaNull:
        ReadValue();
        return Null();
    case vaNil:
        ReadValue();
        return Unassigned();
    case vaInt8:
    case vaInt16:
    case vaInt32:
        return Variant(ReadInteger());
    case vaInt64:
        return Variant(ReadInt64());
    case vaExtended:
        return Variant(static_cast<double>(ReadFloat()));
    case vaSingle:
        return Variant(ReadSingle());
    case vaCurrency:
        return VarFromCurrency(static_cast<double>(ReadScaledCurrency()) / 10000.0);
    case vaDate:
        return VarFromDateTime(ReadDate());
    case vaString:
    case vaLString:
        return Variant(ReadString());
    case vaWString:
        return Variant(ReadWideString());
    case vaFalse:
    case vaTrue:
        return Variant(ReadBoolean());
    default:
        Error("Invalid property value");
    }
}

void TReader::SkipValue() {
    if (++FDepth > MaxNesting) Error("Stream nested too deeply");
    TValueType v = ReadValue();
    switch (v) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
        break;
    case vaList:
        while (!EndOfList())
            SkipValue();
        ReadValue();
        break;
    case vaInt8:
        Need(1), FPos += 1;
        break;
    case vaInt16:
        Need(2), FPos += 2;
        break;
    case vaInt32:
    case vaSingle:
        Need(4), FPos += 4;
        break;
    case vaInt64:
    case vaCurrency:
    case vaDate:
        Need(8), FPos += 8;
        break;
    case vaExtended:
        Need(10), FPos += 10;
        break;
    case vaString:
    case vaIdent:
        ReadStr();
        break;
    case vaLString:
    case vaBinary:
        ReadBareString(ReadRaw<std::uint32_t>());
        break;
    case vaWString: {
        std::uint32_t n = ReadRaw<std::uint32_t>();
        Need(static_cast<std::size_t>(n) * 2);
        FPos += static_cast<std::size_t>(n) * 2;
        break;
    }
    case vaSet:
        ReadSet(nullptr);
        break;
    case vaCollection:
        while (!EndOfList()) {
            if (NextValue() == vaInt8 || NextValue() == vaInt16 || NextValue() == vaInt32) ReadInteger();
            ReadListBegin();
            while (!EndOfList()) {
                ReadStr();
                SkipValue();
            }
            ReadListEnd();
        }
        ReadListEnd();
        break;
    default:
        --FPos;
        Error("Unknown value type " + IntToStr(static_cast<int>(v)));
    }
    --FDepth;
}

void TReader::DefineProperty(const AnsiString& name, const TReaderProc& readData, const TWriterProc&, bool) {
    if (!FPropHandled && readData && SameIdent(name, FPropName)) {
        FPropHandled = true;
        readData(*this);
    }
}

void TReader::DefineBinaryProperty(const AnsiString& name, const TStreamProc& readData, const TStreamProc&,
                                   bool) {
    if (!FPropHandled && readData && SameIdent(name, FPropName)) {
        FPropHandled = true;
        CheckValue(vaBinary);
        AnsiString bytes;
        ReadBinary(bytes);
        TMemoryStream data;
        data.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
        data.SetPosition(0);
        readData(data);
    }
}

void TReader::ReadProperty(TPersistent* instance) {
    FPlace = Position();
    FPropPath = ReadStr();
    try {
        TPersistent* target = instance;
        AnsiString rest = FPropPath;
        std::size_t dot;
        while ((dot = rest.find('.')) != AnsiString::npos) {
            AnsiString part = rest.substr(0, dot);
            rest = rest.substr(dot + 1);
            const TPropInfo* p = target->ClassType()->FindProp(part);
            if (!p || p->Kind() != tkClass) Error("Invalid property path");
            auto* next = dynamic_cast<TPersistent*>(p->GetObject(target));
            if (!next) Error("Invalid property path");
            target = next;
        }
        if (const TPropInfo* prop = target->ClassType()->FindProp(rest); prop && prop->Writable()) {
            ReadPropValue(target, prop);
        } else if (prop && prop->Kind() == tkClass && NextValue() == vaCollection) {
            ReadPropValue(target, prop); // a collection held by a read-only property
        } else {
            FPropName = rest;
            FPropHandled = false;
            target->DefineProperties(*this);
            if (!FPropHandled) Error("Property " + rest + (prop ? " is read-only" : " does not exist"));
        }
    } catch (const EReadError&) {
        throw;
    } catch (const Exception& e) {
        Error(e.Message());
    }
    FPropPath.clear();
}

void TReader::ReadPropValue(TPersistent* instance, const TPropInfo* prop) {
    const TTypeInfo* type = prop->PropType();
    switch (type->Kind) {
    case tkInteger:
    case tkInt64: {
        if (NextValue() == vaIdent) {
            AnsiString ident = ReadIdent();
            Int64 v;
            if (!IdentToIntOfType(type->Name(), ident, v)) Error("Invalid property value " + ident);
            prop->SetOrd(instance, v);
        } else {
            prop->SetOrd(instance, ReadInt64());
        }
        break;
    }
    case tkChar: {
        if (NextValue() == vaString || NextValue() == vaLString)
            prop->SetOrd(instance, static_cast<Byte>(ReadChar()));
        else
            prop->SetOrd(instance, ReadInteger());
        break;
    }
    case tkWChar: {
        if (NextValue() == vaInt8 || NextValue() == vaInt16 || NextValue() == vaInt32) {
            prop->SetOrd(instance, ReadInteger());
        } else {
            WideString w = ReadWideString();
            if (w.size() != 1) Error("Invalid property value");
            prop->SetOrd(instance, w[0]);
        }
        break;
    }
    case tkEnumeration: {
        if (IsBooleanType(type) && (NextValue() == vaTrue || NextValue() == vaFalse)) {
            prop->SetOrd(instance, ReadBoolean() ? 1 : 0);
        } else {
            AnsiString ident = ReadIdent();
            int v = GetEnumValue(type, ident);
            if (v < 0) Error("Invalid property value " + ident);
            prop->SetOrd(instance, v);
        }
        break;
    }
    case tkSet: {
        CheckValue(vaSet);
        prop->SetOrd(instance, static_cast<Int64>(ReadSet(type)));
        break;
    }
    case tkFloat:
        prop->SetFloat(instance, ReadFloat());
        break;
    case tkString:
    case tkLString:
        prop->SetStr(instance, ReadString());
        break;
    case tkWString:
        prop->SetWideStr(instance, ReadWideString());
        break;
    case tkClass: {
        TValueType v = NextValue();
        if (v == vaCollection) {
            auto* collection = dynamic_cast<TCollection*>(prop->GetObject(instance));
            if (!collection) Error("Invalid property value");
            ReadCollection(collection);
        } else if (v == vaNil) {
            ReadValue();
            prop->SetObject(instance, nullptr);
        } else if (v == vaIdent) {
            TClass cls = type->ClassType();
            if (!cls || !cls->InheritsFrom(TComponent::StaticClass())) Error("Invalid property value");
            AnsiString name = ReadIdent();
            if (!FContext) Error("Invalid property value");
            FContext->Fixups.push_back({instance, prop, name, FLookupRoot, FCurrent});
        } else {
            Error("Invalid property value");
        }
        break;
    }
    case tkVariant:
        prop->SetVariant(instance, ReadVariant());
        break;
    case tkMethod: {
        if (NextValue() == vaNil) {
            ReadValue();
            prop->SetMethod(instance, TMethod());
            break;
        }
        AnsiString name = ReadIdent();
        TComponent* root = FLookupRoot;
        TMethod method = root ? root->MethodAddress(name) : TMethod();
        if (!method.Assigned())
            Error("Method " + name + " not found in " +
                  (root ? root->ClassName() : AnsiString("the stream")));
        if (type->Signature && method.Code.Signature && *type->Signature != *method.Code.Signature)
            Error("Method " + name + " does not match the event's parameters");
        prop->SetMethod(instance, method);
        break;
    }
    default:
        Error("Properties of kind " + AnsiString(TypeKindName(type->Kind)) + " cannot be read");
    }
}

void TReader::ReadCollection(TCollection* collection) {
    if (++FDepth > MaxNesting) Error("Stream nested too deeply");
    CheckValue(vaCollection);
    AnsiString path = FPropPath;
    collection->BeginUpdate();
    try {
        collection->Clear();
        while (!EndOfList()) {
            TValueType v = NextValue();
            if (v == vaInt8 || v == vaInt16 || v == vaInt32) ReadInteger(); // the order modifier
            TCollectionItem* item = collection->Add();
            ReadListBegin();
            while (!EndOfList())
                ReadProperty(item);
            ReadListEnd();
            FPropPath = path;
        }
        ReadListEnd();
    } catch (...) {
        collection->EndUpdate();
        throw;
    }
    collection->EndUpdate();
    --FDepth;
}

TClass TReader::FindComponentClass(const AnsiString& className) {
    TClass cls = GetClass(className);
    // Else the class of a component field of the root, as the form declares it.
    if (!cls && FLookupRoot) cls = FLookupRoot->ClassType()->FindFieldClass(className);
    if (!cls) Error("Class " + className + " not found");
    if (!cls->InheritsFrom(TComponent::StaticClass()))
        Error("Class " + className + " is not a component class");
    return cls;
}

void TReader::ReadData(TComponent* instance) {
    TComponent* previous = FCurrent;
    FCurrent = instance;
    instance->FComponentState.Include(csReading);
    while (!EndOfList())
        ReadProperty(instance);
    ReadValue();
    TComponent* oldOwner = FOwner;
    TComponent* oldParent = FParent;
    if (instance->FComponentState.Contains(csInline)) FOwner = instance;
    FParent = instance;
    while (!EndOfList())
        ReadComponent(instance);
    ReadValue();
    FOwner = oldOwner;
    FParent = oldParent;
    instance->FComponentState.Exclude(csReading);
    FCurrent = previous;
}

TComponent* TReader::ReadComponent(TComponent* parent) {
    if (++FDepth > MaxNesting) Error("Stream nested too deeply");
    FPropPath.clear();
    FPlace = Position();
    Byte flags;
    int childPos;
    ReadPrefix(flags, childPos);
    AnsiString className = ReadStr();
    AnsiString name = ReadStr();
    TComponent* previous = FCurrent;
    TComponent* component = nullptr;
    // Until the component has its name, errors name it by the stream's name.
    FCurrent = nullptr;
    FPropPath = name.empty() ? className : name;
    try {
        if (flags & ffInherited) {
            component = FOwner ? FOwner->FindComponent(name) : nullptr;
            if (!component) Error("Ancestor for '" + name + "' not found");
        } else {
            TClass cls = FindComponentClass(className);
            component = cls->CreateComponent(FOwner);
            FContext->AddCreated(component);
            component->FComponentState.Include(csLoading);
            if (!name.empty()) component->SetName(name);
            FCurrent = component;
            FPropPath.clear();
            // A frame (inline) has read its own streams in its constructor; the body here changes them.
            if (flags & ffInline) component->SetInline(true);
        }
        FCurrent = component;
        FPropPath.clear();
        if (std::find(FContext->Loaded.begin(), FContext->Loaded.end(), component) ==
            FContext->Loaded.end()) {
            FContext->Loaded.push_back(component);
            component->FComponentState.Include(csLoading);
        }
        if (parent && component != parent) component->SetParentComponent(parent);
        if ((flags & ffChildPos) && parent) parent->SetChildOrder(component, childPos);
    } catch (const EReadError&) {
        throw;
    } catch (const Exception& e) {
        Error(e.Message());
    }
    ReadData(component);
    FCurrent = previous;
    --FDepth;
    return component;
}

void TReader::ReadRootComponent(TComponent* root) {
    TLoadContext own;
    bool whole = FContext == nullptr;
    if (whole) FContext = &own;
    try {
        ReadSignature();
        FPlace = Position();
        Byte flags;
        int childPos;
        ReadPrefix(flags, childPos);
        ReadStr(); // the class name: an ancestor's stream names the ancestor class
        AnsiString name = ReadStr();
        FRoot = root;
        FLookupRoot = root;
        FOwner = root;
        FParent = root;
        if (std::find(FContext->Loaded.begin(), FContext->Loaded.end(), root) == FContext->Loaded.end())
            FContext->Loaded.insert(FContext->Loaded.begin(), root);
        root->FComponentState.Include(csLoading);
        if (!name.empty() && !SameIdent(root->Name(), name)) {
            // A second instance of a form beside the first takes Name_1, Name_2, ...
            AnsiString candidate = name;
            TComponent* owner = root->Owner();
            for (int n = 1;
                 owner && owner->FindComponent(candidate) && owner->FindComponent(candidate) != root; ++n)
                candidate = name + "_" + IntToStr(n);
            FCurrent = root;
            try {
                root->SetName(candidate);
            } catch (const Exception& e) {
                Error(e.Message());
            }
        }
        ReadData(root);
        if (whole) FinishLoad(own);
    } catch (...) {
        if (whole) AbandonLoad(own);
        FContext = whole ? nullptr : FContext;
        throw;
    }
    if (whole) FContext = nullptr;
}

// ---- TWriter ----

TWriter::TWriter(TStream& stream) : TFiler(stream) {}

TWriter::~TWriter() {
    try {
        FlushBuffer();
    } catch (...) {
    }
}

void TWriter::FlushBuffer() {
    if (FBuffer.empty()) return;
    FStream.WriteBuffer(FBuffer.data(), static_cast<Int64>(FBuffer.size()));
    FBuffer.clear();
}

void TWriter::WriteBytes(const void* data, std::size_t count) {
    FBuffer.append(static_cast<const char*>(data), count);
}

template <class T> void TWriter::WriteRaw(T value) {
    auto u = static_cast<std::make_unsigned_t<T>>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        FBuffer += static_cast<char>((u >> (8 * i)) & 0xFF);
}

void TWriter::WriteValue(TValueType value) {
    FBuffer += static_cast<char>(value);
}

void TWriter::WriteSignature() {
    WriteBytes(FilerSignature, 4);
}

void TWriter::WritePrefix(Byte flags, int childPos) {
    if (flags == 0) return;
    FBuffer += static_cast<char>(0xF0 | flags);
    if (flags & ffChildPos) WriteInteger(childPos);
}

void TWriter::WriteInteger(Int64 value) {
    if (value >= -128 && value <= 127) {
        WriteValue(vaInt8);
        WriteRaw<std::int8_t>(static_cast<std::int8_t>(value));
    } else if (value >= -32768 && value <= 32767) {
        WriteValue(vaInt16);
        WriteRaw<std::int16_t>(static_cast<std::int16_t>(value));
    } else if (value >= INT32_MIN && value <= INT32_MAX) {
        WriteValue(vaInt32);
        WriteRaw<std::int32_t>(static_cast<std::int32_t>(value));
    } else {
        WriteValue(vaInt64);
        WriteRaw<std::int64_t>(value);
    }
}

void TWriter::WriteFloat(Extended value) {
    WriteValue(vaExtended);
    unsigned char bytes[10];
    DoubleToExtended(value, bytes);
    WriteBytes(bytes, 10);
}

void TWriter::WriteSingle(float value) {
    WriteValue(vaSingle);
    std::uint32_t bits;
    std::memcpy(&bits, &value, 4);
    WriteRaw<std::uint32_t>(bits);
}

void TWriter::WriteCurrency(double value) {
    // Written only when it reads back: the scaled value within the 64-bit range.
    const double scaled = std::round(value * 10000.0);
    if (!(scaled >= -9223372036854775808.0 && scaled < 9223372036854775808.0))
        throw EWriteError("Currency value out of range: " + FloatToStr(value));
    WriteValue(vaCurrency);
    WriteRaw<std::int64_t>(static_cast<std::int64_t>(scaled));
}

void TWriter::WriteDate(TDateTime value) {
    WriteValue(vaDate);
    std::uint64_t bits;
    std::memcpy(&bits, &value, 8);
    WriteRaw<std::uint64_t>(bits);
}

void TWriter::WriteString(const AnsiString& value) {
    if (value.size() <= 255) {
        WriteValue(vaString);
        FBuffer += static_cast<char>(value.size());
    } else {
        WriteValue(vaLString);
        WriteRaw<std::uint32_t>(static_cast<std::uint32_t>(value.size()));
    }
    FBuffer += value;
}

void TWriter::WriteWideString(const WideString& value) {
    if (IsAsciiOnly(value)) {
        WriteString(WideToAnsi(value));
        return;
    }
    WriteValue(vaWString);
    WriteRaw<std::uint32_t>(static_cast<std::uint32_t>(value.size()));
    for (char16_t ch : value)
        WriteRaw<std::uint16_t>(ch);
}

void TWriter::WriteIdent(const AnsiString& ident) {
    if (SameIdent(ident, "False"))
        WriteValue(vaFalse);
    else if (SameIdent(ident, "True"))
        WriteValue(vaTrue);
    else if (SameIdent(ident, "nil"))
        WriteValue(vaNil);
    else if (SameIdent(ident, "Null"))
        WriteValue(vaNull);
    else {
        WriteValue(vaIdent);
        WriteStr(ident);
    }
}

void TWriter::WriteStr(const AnsiString& value) {
    if (value.size() > 255) throw EWriteError("Name too long for the stream: " + value.substr(0, 40) + "...");
    FBuffer += static_cast<char>(value.size());
    FBuffer += value;
}

void TWriter::WriteSet(const TTypeInfo* setType, std::uint64_t bits) {
    WriteValue(vaSet);
    for (int i = 0; i < 64; ++i)
        if (bits >> i & 1u)
            WriteStr(setType && setType->CompType ? GetEnumName(setType->CompType, i) : IntToStr(i));
    WriteStr("");
}

void TWriter::WriteBinary(const AnsiString& bytes) {
    WriteValue(vaBinary);
    WriteRaw<std::uint32_t>(static_cast<std::uint32_t>(bytes.size()));
    FBuffer += bytes;
}

void TWriter::WriteCollection(TCollection* collection) {
    WriteValue(vaCollection);
    if (collection) {
        AnsiString path = FPropPath;
        TPersistent* ancestor = FAncestor;
        FAncestor = nullptr; // items are written whole
        for (int i = 0; i < collection->Count(); ++i) {
            WriteListBegin();
            FPropPath.clear();
            WriteProperties(collection->Items(i));
            WriteListEnd();
        }
        FAncestor = ancestor;
        FPropPath = path;
    }
    WriteListEnd();
}

void TWriter::WriteVariant(const Variant& value) {
    switch (VarType(value)) {
    case varEmpty:
        WriteValue(vaNil);
        break;
    case varNull:
        WriteValue(vaNull);
        break;
    case varSmallint:
    case varInteger:
    case varByte:
    case varInt64:
        WriteInteger(value.AsInt64());
        break;
    case varSingle:
        WriteSingle(static_cast<float>(value.AsFloat()));
        break;
    case varDouble:
        WriteFloat(value.AsFloat());
        break;
    case varCurrency:
        WriteCurrency(value.AsCurrency());
        break;
    case varDate:
        WriteDate(VarToDateTime(value));
        break;
    case varOleStr:
        WriteWideString(value.AsWideString());
        break;
    case varString:
        WriteString(value.AsString());
        break;
    case varBoolean:
        WriteBoolean(value.AsBoolean());
        break;
    default:
        throw EWriteError("A variant of type " + VarTypeAsText(VarType(value)) +
                          " cannot be written to a stream");
    }
}

void TWriter::WritePropName(const AnsiString& name) {
    WriteStr(FPropPath + name);
}

void TWriter::DefineProperty(const AnsiString& name, const TReaderProc&, const TWriterProc& writeData,
                             bool hasData) {
    if (hasData && writeData) {
        WritePropName(name);
        writeData(*this);
    }
}

void TWriter::DefineBinaryProperty(const AnsiString& name, const TStreamProc&, const TStreamProc& writeData,
                                   bool hasData) {
    if (hasData && writeData) {
        WritePropName(name);
        TMemoryStream data;
        writeData(data);
        WriteBinary(AnsiString(data.Memory(), static_cast<std::size_t>(data.Size())));
    }
}

AnsiString TWriter::ReferenceName(TComponent* component, TComponent* root) const {
    if (!component || component->Name().empty()) return "";
    if (component == root) return component->Name();
    if (component->Owner() == root) return component->Name();
    AnsiString path = component->Name();
    for (TComponent* o = component->Owner(); o; o = o->Owner()) {
        if (o->Name().empty()) return "";
        if (o == root) return path;
        path = o->Name() + "." + path;
        if (!o->Owner() || o->Owner()->Owner() == nullptr) break; // a global root (form, data module)
    }
    return path;
}

AnsiString TWriter::MethodNameOf(const TMethod& method, TComponent* root) const {
    if (!method.Assigned() || !root || method.Data != root) return "";
    return root->MethodName(method.Code);
}

void TWriter::WriteProperty(TPersistent* instance, const TPropInfo* prop) {
    const TTypeInfo* type = prop->PropType();
    TPersistent* ancestor = FAncestor;
    const TPropInfo* ancestorProp = ancestor ? ancestor->ClassType()->FindProp(prop->Name()) : nullptr;
    if (ancestorProp && ancestorProp->Kind() != prop->Kind()) ancestorProp = nullptr;
    switch (type->Kind) {
    case tkInteger:
    case tkChar:
    case tkWChar:
    case tkEnumeration:
    case tkSet:
    case tkInt64: {
        Int64 v = prop->GetOrd(instance);
        if (ancestorProp ? v == ancestorProp->GetOrd(ancestor) : v == prop->DefaultValue()) return;
        WritePropName(prop->Name());
        if (type->Kind == tkInteger || type->Kind == tkInt64) {
            AnsiString ident;
            if (IntToIdentOfType(type->Name(), v, ident))
                WriteIdent(ident);
            else
                WriteInteger(v);
        } else if (type->Kind == tkChar) {
            WriteChar(static_cast<char>(v));
        } else if (type->Kind == tkWChar) {
            WriteWideString(WideString(1, static_cast<char16_t>(v)));
        } else if (type->Kind == tkEnumeration) {
            if (IsBooleanType(type))
                WriteBoolean(v != 0);
            else
                WriteIdent(GetEnumName(type, v));
        } else {
            WriteSet(type, static_cast<std::uint64_t>(v));
        }
        break;
    }
    case tkFloat: {
        Extended v = prop->GetFloat(instance);
        if (ancestorProp ? v == ancestorProp->GetFloat(ancestor) : v == 0) return;
        WritePropName(prop->Name());
        if (type->FloatType == ftSingle)
            WriteSingle(static_cast<float>(v));
        else if (IsCurrencyType(type))
            WriteCurrency(v);
        else if (IsDateType(type))
            WriteDate(v);
        else
            WriteFloat(v);
        break;
    }
    case tkString:
    case tkLString: {
        AnsiString v = prop->GetStr(instance);
        if (ancestorProp ? v == ancestorProp->GetStr(ancestor) : v.empty()) return;
        WritePropName(prop->Name());
        WriteString(v);
        break;
    }
    case tkWString: {
        WideString v = prop->GetWideStr(instance);
        if (ancestorProp ? v == ancestorProp->GetWideStr(ancestor) : v.empty()) return;
        WritePropName(prop->Name());
        WriteWideString(v);
        break;
    }
    case tkVariant: {
        Variant v = prop->GetVariant(instance);
        if (ancestorProp ? VarSameValue(v, ancestorProp->GetVariant(ancestor)) &&
                               VarType(v) == VarType(ancestorProp->GetVariant(ancestor))
                         : VarIsEmpty(v))
            return;
        WritePropName(prop->Name());
        WriteVariant(v);
        break;
    }
    case tkMethod: {
        TMethod m = prop->GetMethod(instance);
        AnsiString name = MethodNameOf(m, FLookupRoot);
        AnsiString ancestorName;
        if (ancestorProp) ancestorName = MethodNameOf(ancestorProp->GetMethod(ancestor), FRootAncestor);
        if (ancestorProp ? SameIdent(name, ancestorName) : name.empty()) return;
        WritePropName(prop->Name());
        if (name.empty())
            WriteValue(vaNil);
        else
            WriteIdent(name);
        break;
    }
    case tkClass: {
        TObject* value = prop->GetObject(instance);
        TObject* ancestorValue = ancestorProp ? ancestorProp->GetObject(ancestor) : nullptr;
        if (auto* component = dynamic_cast<TComponent*>(value); component || (!value && ancestorValue)) {
            AnsiString name = ReferenceName(component, FLookupRoot);
            AnsiString ancestorName = ReferenceName(dynamic_cast<TComponent*>(ancestorValue), FRootAncestor);
            if (ancestorProp ? SameIdent(name, ancestorName) : name.empty()) return;
            if (component && name.empty()) return; // an unnamed component cannot be referred to
            WritePropName(prop->Name());
            if (name.empty())
                WriteValue(vaNil);
            else
                WriteIdent(name);
        } else if (auto* collection = dynamic_cast<TCollection*>(value)) {
            auto* ancestorCollection = dynamic_cast<TCollection*>(ancestorValue);
            if (!ancestorCollection && collection->Count() == 0) return;
            if (ancestorCollection) {
                // Equal when both write the same items.
                TMemoryStream a, b;
                {
                    TWriter wa(a), wb(b);
                    wa.FLookupRoot = wb.FLookupRoot = FLookupRoot;
                    wa.WriteCollection(collection);
                    wb.WriteCollection(ancestorCollection);
                }
                if (a.Size() == b.Size() &&
                    std::memcmp(a.Memory(), b.Memory(), static_cast<std::size_t>(a.Size())) == 0)
                    return;
            }
            WritePropName(prop->Name());
            WriteCollection(collection);
        } else if (auto* persistent = dynamic_cast<TPersistent*>(value)) {
            AnsiString path = FPropPath;
            FPropPath = path + prop->Name() + ".";
            FAncestor = dynamic_cast<TPersistent*>(ancestorValue);
            WriteProperties(persistent);
            FAncestor = ancestor;
            FPropPath = path;
        }
        break;
    }
    default:
        break;
    }
}

void TWriter::WriteProperties(TPersistent* instance) {
    for (const TPropInfo* prop : instance->ClassType()->Props()) {
        if (!prop->Readable() || !prop->IsStored(instance)) continue;
        if (!prop->Writable() && prop->Kind() != tkClass) continue;
        WriteProperty(instance, prop);
    }
    instance->DefineProperties(*this);
}

void TWriter::WriteComponent(TComponent* component) {
    TComponent* ancestor = nullptr;
    if (FRootAncestor) {
        if (component == FRoot)
            ancestor = FRootAncestor;
        else
            ancestor = FRootAncestor->FindComponent(component->Name());
    }
    Byte flags = 0;
    if (ancestor) flags |= ffInherited;
    if (component->ComponentState().Contains(csInline)) flags |= ffInline;
    std::size_t start = FBuffer.size();
    WritePrefix(flags, 0);
    WriteStr(component->ClassName());
    WriteStr(component->Name());
    std::size_t body = FBuffer.size();
    // A frame is written against a fresh instance of its class, which reads the frame's own streams.
    std::unique_ptr<TComponent, void (*)(TComponent*)> frame(nullptr, [](TComponent* c) { c->Free(); });
    TComponent* oldRootAncestor = FRootAncestor;
    if ((flags & ffInline) && !ancestor) {
        frame.reset(component->ClassType()->CreateComponent(nullptr));
        ancestor = frame.get();
    }
    TPersistent* oldAncestor = FAncestor;
    AnsiString oldPath = FPropPath;
    FAncestor = ancestor;
    FPropPath.clear();
    WriteProperties(component);
    WriteListEnd();
    FAncestor = oldAncestor;
    FPropPath = oldPath;
    if (flags & ffInline) FRootAncestor = static_cast<TComponent*>(ancestor);
    component->GetChildren([this](TComponent* child) { WriteComponent(child); }, FRoot);
    FRootAncestor = oldRootAncestor;
    WriteListEnd();
    // An inherited component that changes nothing is left out.
    if ((flags & ffInherited) && component != FRoot && FBuffer.size() == body + 2) FBuffer.resize(start);
}

void TWriter::WriteDescendent(TComponent* root, TComponent* ancestor) {
    FRoot = root;
    FLookupRoot = root;
    FRootAncestor = ancestor;
    WriteSignature();
    WriteComponent(root);
    FlushBuffer();
}

AnsiString WriteComponentToBinary(TComponent* root, TComponent* ancestor) {
    TMemoryStream stream;
    {
        TWriter writer(stream);
        writer.WriteDescendent(root, ancestor);
    }
    return AnsiString(stream.Memory(), static_cast<std::size_t>(stream.Size()));
}

void ReadComponentFromBinary(TComponent* root, const AnsiString& binary) {
    TMemoryStream stream;
    stream.WriteBuffer(binary.data(), static_cast<Int64>(binary.size()));
    stream.SetPosition(0);
    TReader reader(stream);
    reader.ReadRootComponent(root);
}
