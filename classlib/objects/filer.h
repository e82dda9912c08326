#pragma once
// The binary form stream: value types, TReader and TWriter, and the properties a class streams itself.
//
// A stream is the signature "TPF0" and one component: an optional flags byte (0xF0 | ffInherited,
// ffChildPos, ffInline; with ffChildPos an integer follows), the class name and the component name as
// bare short strings, its properties (name as a bare short string, then a typed value) up to vaNull,
// its children the same way up to vaNull. Numbers are little-endian; integers are written in the
// smallest of vaInt8, vaInt16, vaInt32, vaInt64 that holds them, strings as vaString up to 255 bytes,
// else vaLString; floats as vaExtended (10 bytes), vaSingle, vaCurrency (scaled by 10000) or vaDate.
// A wide string holding only ASCII characters is written as an ANSI string; readers accept either kind
// for either.
//
// Reading into components (ReadRootComponent) creates each component by class name with the root as
// owner and the enclosing object as parent, sets its published properties (a dotted name walks into
// object-valued properties: Font.Name), binds events to the root's published methods by name,
// resolves references to other components after the whole stream, and calls Loaded once for each
// component. A failure raises EReadError naming the component, the property and the place (the line
// of the text form when the stream came from one, else the offset), and frees what the load created.
#include <functional>
#include <vector>

#include "classlib/objects/component.h"
#include "classlib/objects/streams.h"

enum TValueType : Byte {
    vaNull,
    vaList,
    vaInt8,
    vaInt16,
    vaInt32,
    vaExtended,
    vaString,
    vaIdent,
    vaFalse,
    vaTrue,
    vaBinary,
    vaSet,
    vaLString,
    vaNil,
    vaCollection,
    vaSingle,
    vaCurrency,
    vaDate,
    vaWString,
    vaInt64
};

enum TFilerFlag : Byte { ffInherited = 1, ffChildPos = 2, ffInline = 4 };

extern const char FilerSignature[4]; // "TPF0"

using TReaderProc = std::function<void(TReader& reader)>;
using TWriterProc = std::function<void(TWriter& writer)>;
using TStreamProc = std::function<void(TStream& stream)>;

// Where a place in a binary stream came from in a text form: the line of the value at that offset.
struct TLineMark {
    Int64 Offset;
    int Line;
};
using TLineMap = std::vector<TLineMark>;

class TFiler : public TObject {
    KVR_CLASS(TFiler, TObject)
public:
    explicit TFiler(TStream& stream) : FStream(stream) {}
    TStream& Stream() { return FStream; }
    TComponent* Root() const { return FRoot; }
    TComponent* LookupRoot() const { return FLookupRoot; }
    // The object of the ancestor that matches the one being written (nil when reading, or without one).
    TPersistent* Ancestor() const { return FAncestor; }

    // A property the class streams itself: readData runs when the stream holds it; writeData runs,
    // after the name, when hasData.
    virtual void DefineProperty(const AnsiString& name, const TReaderProc& readData,
                                const TWriterProc& writeData, bool hasData) = 0;
    // The same with the bytes of a vaBinary value.
    virtual void DefineBinaryProperty(const AnsiString& name, const TStreamProc& readData,
                                      const TStreamProc& writeData, bool hasData) = 0;

protected:
    TStream& FStream;
    TComponent* FRoot = nullptr;
    TComponent* FLookupRoot = nullptr;
    TPersistent* FAncestor = nullptr;
};

class TCollection;

// What one load shares across the streams of a class chain and the reader of each.
struct TLoadContext {
    struct TFixup {
        TPersistent* Instance;
        const TPropInfo* Prop;
        AnsiString Name;
        TComponent* Root;
        TComponent* Component; // the component whose stream held the reference
    };
    TLoadContext();
    ~TLoadContext();
    TLoadContext(const TLoadContext&) = delete;
    TLoadContext& operator=(const TLoadContext&) = delete;
    void AddCreated(TComponent* component);

    std::vector<TComponent*> Loaded;  // in reading order, each once
    std::vector<TComponent*> Created; // freed, last first, when the load fails
    std::vector<TFixup> Fixups;
    int Depth = 0;
    TComponent* Tracker; // drops from both lists any component freed while the load runs
};

class TReader : public TFiler {
    KVR_CLASS(TReader, TFiler)
public:
    // Reads from the stream's position to its end; the stream is left after what was read.
    explicit TReader(TStream& stream);
    ~TReader() override;

    void SetLineMap(const TLineMap* map) { FLineMap = map; }
    void SetSourceName(const AnsiString& name) { FSourceName = name; }
    void SetContext(TLoadContext* context) { FContext = context; }

    // ---- values ----
    TValueType ReadValue();
    TValueType NextValue();
    void CheckValue(TValueType expected);
    bool EndOfList() { return NextValue() == vaNull; }
    void ReadListBegin() { CheckValue(vaList); }
    void ReadListEnd() { CheckValue(vaNull); }
    void ReadSignature();
    void ReadPrefix(Byte& flags, int& childPos);
    int ReadInteger();
    Int64 ReadInt64();
    bool ReadBoolean();
    char ReadChar();
    Extended ReadFloat();
    float ReadSingle();
    double ReadCurrency();
    Int64 ReadScaledCurrency(); // a vaCurrency value exactly: the amount times 10000
    TDateTime ReadDate();
    AnsiString ReadString();
    WideString ReadWideString();
    AnsiString ReadIdent();
    AnsiString ReadStr();                            // a bare short string (no value type)
    std::uint64_t ReadSet(const TTypeInfo* setType); // after vaSet; nil type: names are not checked
    void ReadBinary(AnsiString& bytes);              // after vaBinary
    Variant ReadVariant();                           // vaNull is Null, vaNil Unassigned
    void SkipValue();
    Int64 Position() const { return FBase + static_cast<Int64>(FPos); }
    void MarkPlace() { FPlace = Position(); } // errors name this place

    // ---- components ----
    // Reads the stream into root; a reader without a context is a whole load of its own.
    void ReadRootComponent(TComponent* root);
    TComponent* ReadComponent(TComponent* parent);
    void ReadProperty(TPersistent* instance);
    void ReadCollection(TCollection* collection);
    // What the component names of a stream resolve to when they are not the root's own.
    TComponent* Owner() const { return FOwner; }
    TComponent* Parent() const { return FParent; }

    void DefineProperty(const AnsiString& name, const TReaderProc& readData, const TWriterProc& writeData,
                        bool hasData) override;
    void DefineBinaryProperty(const AnsiString& name, const TStreamProc& readData,
                              const TStreamProc& writeData, bool hasData) override;

    // The load of a whole chain: the streams registered for the classes of instance, base class first
    // (formloader.cpp); then references, Loaded; or, on failure, the freeing of what was created.
    static bool ReadClassStreams(TComponent* instance, TLoadContext& context);
    static void FinishLoad(TLoadContext& context);
    static void AbandonLoad(TLoadContext& context);

    // Raises EReadError with the place: "Error reading <what> at line N: <reason>" or "... at offset N".
    [[noreturn]] void Error(const AnsiString& reason);

private:
    void Need(std::size_t count);
    void ReadBytes(void* buffer, std::size_t count);
    template <class T> T ReadRaw();
    AnsiString ReadBareString(std::size_t length);
    void ReadData(TComponent* instance);
    void ReadPropValue(TPersistent* instance, const TPropInfo* prop);
    TClass FindComponentClass(const AnsiString& className);
    AnsiString Location(Int64 offset) const;
    AnsiString What() const;

    std::string FBuffer;
    std::size_t FPos = 0;
    Int64 FBase = 0;
    const TLineMap* FLineMap = nullptr;
    AnsiString FSourceName;
    TLoadContext* FContext = nullptr;
    TComponent* FOwner = nullptr;
    TComponent* FParent = nullptr;
    TComponent* FCurrent = nullptr; // the component whose properties are read
    AnsiString FPropPath;           // the property being read, as written in the stream
    AnsiString FPropName;           // its last part, for DefineProperty
    bool FPropHandled = false;
    Int64 FPlace = 0; // where the current property or component began
    int FDepth = 0;
};

class TWriter : public TFiler {
    KVR_CLASS(TWriter, TFiler)
public:
    explicit TWriter(TStream& stream);
    ~TWriter() override; // flushes
    void FlushBuffer();

    void WriteValue(TValueType value);
    void WriteSignature();
    void WritePrefix(Byte flags, int childPos);
    void WriteListBegin() { WriteValue(vaList); }
    void WriteListEnd() { WriteValue(vaNull); }
    void WriteInteger(Int64 value);
    void WriteBoolean(bool value) { WriteValue(value ? vaTrue : vaFalse); }
    void WriteChar(char value) { WriteString(AnsiString(1, value)); }
    void WriteFloat(Extended value);
    void WriteSingle(float value);
    void WriteCurrency(double value);
    void WriteDate(TDateTime value);
    void WriteString(const AnsiString& value);
    void WriteWideString(const WideString& value);
    void WriteIdent(const AnsiString& ident);
    void WriteStr(const AnsiString& value); // a bare short string; longer than 255 raises EWriteError
    void WriteSet(const TTypeInfo* setType, std::uint64_t bits);
    void WriteBinary(const AnsiString& bytes);
    void WriteCollection(TCollection* collection);
    void WriteVariant(const Variant& value); // EWriteError for arrays and dispatch objects

    void WriteRootComponent(TComponent* root) { WriteDescendent(root, nullptr); }
    // Writes root with only what differs from ancestor, an instance of root's ancestor class loaded
    // from its own stream; components found in the ancestor are written as inherited ones.
    void WriteDescendent(TComponent* root, TComponent* ancestor);
    void WriteComponent(TComponent* component);
    void WriteProperties(TPersistent* instance);

    void DefineProperty(const AnsiString& name, const TReaderProc& readData, const TWriterProc& writeData,
                        bool hasData) override;
    void DefineBinaryProperty(const AnsiString& name, const TStreamProc& readData,
                              const TStreamProc& writeData, bool hasData) override;

private:
    void WriteBytes(const void* data, std::size_t count);
    template <class T> void WriteRaw(T value);
    void WritePropName(const AnsiString& name);
    void WriteProperty(TPersistent* instance, const TPropInfo* prop);
    AnsiString ReferenceName(TComponent* component, TComponent* root) const;
    AnsiString MethodNameOf(const TMethod& method, TComponent* root) const;

    std::string FBuffer;
    TComponent* FRootAncestor = nullptr;
    AnsiString FPropPath;
};

// Helpers over memory: the bytes of a component written (binary form) and read back.
AnsiString WriteComponentToBinary(TComponent* root, TComponent* ancestor = nullptr);
void ReadComponentFromBinary(TComponent* root, const AnsiString& binary);

// The 10-byte extended format of vaExtended, from and to a double.
void DoubleToExtended(double value, unsigned char out[10]);
double ExtendedToDouble(const unsigned char in[10]);
