#pragma once
// TStrings and TStringList with the class library's rules: Text joined by CR LF, CommaText quoting,
// Names/Values without regard to case, IndexOf without regard to case (TStringList's default), Objects,
// Sorted with Duplicates, BeginUpdate/EndUpdate with OnChanging/OnChange once per outermost update.
#include <vector>

#include "classlib/objects/component.h"
#include "classlib/objects/streams.h"

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings : public TPersistent {
    KVR_CLASS(TStrings, TPersistent)
public:
    TStrings() = default;

    virtual int Count() const = 0;
    virtual AnsiString Get(int index) const = 0;
    virtual void Put(int index, const AnsiString& value);
    virtual TObject* GetObject(int index) const;
    virtual void PutObject(int index, TObject* object);
    virtual void Insert(int index, const AnsiString& value) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    virtual int Add(const AnsiString& value);
    virtual int AddObject(const AnsiString& value, TObject* object);
    void Append(const AnsiString& value) { Add(value); }
    void InsertObject(int index, const AnsiString& value, TObject* object);
    virtual void Exchange(int index1, int index2);
    virtual void Move(int curIndex, int newIndex);
    virtual int IndexOf(const AnsiString& value) const;
    int IndexOfName(const AnsiString& name) const;
    int IndexOfObject(TObject* object) const;
    bool Equals(const TStrings& other) const;

    AnsiString Strings(int index) const { return Get(index); }
    void SetStrings(int index, const AnsiString& value) { Put(index, value); }
    TObject* Objects(int index) const { return GetObject(index); }
    void SetObjects(int index, TObject* object) { PutObject(index, object); }

    AnsiString Text() const;
    virtual void SetText(const AnsiString& value);
    AnsiString CommaText() const;
    void SetCommaText(const AnsiString& value);
    AnsiString DelimitedText() const;
    void SetDelimitedText(const AnsiString& value);
    char Delimiter() const { return FDelimiter; }
    void SetDelimiter(char value) { FDelimiter = value; }
    char QuoteChar() const { return FQuoteChar; }
    void SetQuoteChar(char value) { FQuoteChar = value; }
    char NameValueSeparator() const { return FNameValueSeparator; }
    void SetNameValueSeparator(char value) { FNameValueSeparator = value; }

    AnsiString Names(int index) const;
    AnsiString Values(const AnsiString& name) const;
    void SetValues(const AnsiString& name, const AnsiString& value); // '' deletes the entry
    AnsiString ValueFromIndex(int index) const;
    void SetValueFromIndex(int index, const AnsiString& value);

    void AddStrings(const TStrings& strings);
    // The list calls of other units (INI sections, ...) that answer with a vector.
    void AddStrings(const std::vector<AnsiString>& strings);
    void SetStrings(const std::vector<AnsiString>& strings);
    std::vector<AnsiString> ToVector() const;

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;
    void LoadFromFile(const AnsiString& fileName);
    void SaveToFile(const AnsiString& fileName) const;

    void Assign(TPersistent* source) override;
    void DefineProperties(TFiler& filer) override;

protected:
    virtual void SetUpdateState(bool) {}
    virtual int CompareStrings(const AnsiString& a, const AnsiString& b) const;
    [[noreturn]] void Error(const AnsiString& message, int index) const;

private:
    void ReadData(TReader& reader);
    void WriteData(TWriter& writer);
    AnsiString JoinDelimited(char delimiter, char quoteChar) const;
    void SplitDelimited(const AnsiString& value, char delimiter, char quoteChar);
    char FDelimiter = ',';
    char FQuoteChar = '"';
    char FNameValueSeparator = '=';
    int FUpdateCount = 0;
};

class TStringList : public TStrings {
    KVR_CLASS(TStringList, TStrings)
public:
    TStringList() = default;
    ~TStringList() override;

    int Count() const override { return static_cast<int>(FList.size()); }
    AnsiString Get(int index) const override;
    void Put(int index, const AnsiString& value) override;
    TObject* GetObject(int index) const override;
    void PutObject(int index, TObject* object) override;
    int Add(const AnsiString& value) override;
    int AddObject(const AnsiString& value, TObject* object) override;
    void Insert(int index, const AnsiString& value) override;
    void Delete(int index) override;
    void Clear() override;
    void Exchange(int index1, int index2) override;
    int IndexOf(const AnsiString& value) const override;

    // Binary search of a sorted list: true and the index when found, else false and where it would go.
    bool Find(const AnsiString& value, int& index) const;
    virtual void Sort();
    void CustomSort(int (*compare)(TStringList* list, int index1, int index2));

    bool Sorted() const { return FSorted; }
    void SetSorted(bool value);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates value) { FDuplicates = value; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool value);

    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& value) { FOnChange = value; }
    const TNotifyEvent& OnChanging() const { return FOnChanging; }
    void SetOnChanging(const TNotifyEvent& value) { FOnChanging = value; }

protected:
    virtual void Changed();
    virtual void Changing();
    void SetUpdateState(bool updating) override;
    int CompareStrings(const AnsiString& a, const AnsiString& b) const override;

private:
    struct TItem {
        AnsiString String;
        TObject* Object = nullptr;
    };
    void InsertItem(int index, const AnsiString& value, TObject* object);
    void CheckIndex(int index) const;
    std::vector<TItem> FList;
    bool FSorted = false;
    bool FCaseSensitive = false;
    TDuplicates FDuplicates = dupIgnore;
    TNotifyEvent FOnChange;
    TNotifyEvent FOnChanging;
};
