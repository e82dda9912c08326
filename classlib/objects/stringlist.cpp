#include "classlib/objects/stringlist.h"

#include "classlib/rtl/format.h"

#include <algorithm>

#include "classlib/objects/filer.h"
#include "classlib/rtl/codepages.h"
#include "classlib/rtl/strutils.h"

KVR_PUBLISHED(TStrings, c) {}
KVR_PUBLISHED(TStringList, c) {}

// ---- TStrings ----

void TStrings::Error(const AnsiString& message, int index) const {
    throw EStringListError(message + " (" + IntToStr(index) + ")");
}

void TStrings::Put(int index, const AnsiString& value) {
    TObject* object = GetObject(index);
    BeginUpdate();
    try {
        Delete(index);
        InsertObject(index, value, object);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

TObject* TStrings::GetObject(int) const {
    return nullptr;
}
void TStrings::PutObject(int, TObject*) {}

int TStrings::Add(const AnsiString& value) {
    int index = Count();
    Insert(index, value);
    return index;
}

int TStrings::AddObject(const AnsiString& value, TObject* object) {
    int index = Add(value);
    PutObject(index, object);
    return index;
}

void TStrings::InsertObject(int index, const AnsiString& value, TObject* object) {
    Insert(index, value);
    PutObject(index, object);
}

void TStrings::Exchange(int index1, int index2) {
    BeginUpdate();
    try {
        AnsiString s = Get(index1);
        TObject* o = GetObject(index1);
        Put(index1, Get(index2));
        PutObject(index1, GetObject(index2));
        Put(index2, s);
        PutObject(index2, o);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex) return;
    BeginUpdate();
    try {
        AnsiString s = Get(curIndex);
        TObject* o = GetObject(curIndex);
        Delete(curIndex);
        InsertObject(newIndex, s, o);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

int TStrings::CompareStrings(const AnsiString& a, const AnsiString& b) const {
    return CompareText(a, b);
}

int TStrings::IndexOf(const AnsiString& value) const {
    for (int i = 0; i < Count(); ++i)
        if (CompareStrings(Get(i), value) == 0) return i;
    return -1;
}

int TStrings::IndexOfName(const AnsiString& name) const {
    for (int i = 0; i < Count(); ++i) {
        AnsiString s = Get(i);
        std::size_t p = s.find(FNameValueSeparator);
        if (p != AnsiString::npos && CompareStrings(s.substr(0, p), name) == 0) return i;
    }
    return -1;
}

int TStrings::IndexOfObject(TObject* object) const {
    for (int i = 0; i < Count(); ++i)
        if (GetObject(i) == object) return i;
    return -1;
}

bool TStrings::Equals(const TStrings& other) const {
    if (Count() != other.Count()) return false;
    for (int i = 0; i < Count(); ++i)
        if (Get(i) != other.Get(i)) return false;
    return true;
}

AnsiString TStrings::Text() const {
    AnsiString r;
    for (int i = 0; i < Count(); ++i) {
        r += Get(i);
        r += "\r\n";
    }
    return r;
}

void TStrings::SetText(const AnsiString& value) {
    BeginUpdate();
    try {
        Clear();
        std::size_t i = 0, n = value.size();
        while (i < n) {
            std::size_t start = i;
            while (i < n && value[i] != '\r' && value[i] != '\n')
                ++i;
            Add(value.substr(start, i - start));
            if (i < n && value[i] == '\r') ++i;
            if (i < n && value[i] == '\n') ++i;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

AnsiString TStrings::CommaText() const {
    return JoinDelimited(',', '"');
}

void TStrings::SetCommaText(const AnsiString& value) {
    SplitDelimited(value, ',', '"');
}

AnsiString TStrings::DelimitedText() const {
    return JoinDelimited(FDelimiter, FQuoteChar);
}

void TStrings::SetDelimitedText(const AnsiString& value) {
    SplitDelimited(value, FDelimiter, FQuoteChar);
}

AnsiString TStrings::JoinDelimited(char delimiter, char quoteChar) const {
    int count = Count();
    if (count == 1 && Get(0).empty()) return AnsiString(2, quoteChar);
    AnsiString r;
    for (int i = 0; i < count; ++i) {
        AnsiString s = Get(i);
        bool quote = false;
        for (std::size_t p = 0; p < s.size();) {
            unsigned char ch = static_cast<unsigned char>(s[p]);
            int len = CharLength(s, p);
            if (len == 1 && (ch <= ' ' || s[p] == quoteChar || s[p] == delimiter)) {
                quote = true;
                break;
            }
            p += static_cast<std::size_t>(len);
        }
        if (quote) {
            AnsiString quoted(1, quoteChar);
            for (char ch : s) {
                quoted += ch;
                if (ch == quoteChar) quoted += ch;
            }
            quoted += quoteChar;
            s = quoted;
        }
        if (i > 0) r += delimiter;
        r += s;
    }
    return r;
}

void TStrings::SplitDelimited(const AnsiString& value, char delimiter, char quoteChar) {
    auto blank = [](char ch) { return ch != '\0' && static_cast<unsigned char>(ch) <= ' '; };
    BeginUpdate();
    try {
        Clear();
        std::size_t p = 0, n = value.size();
        while (p < n && blank(value[p]))
            ++p;
        while (p < n) {
            AnsiString s;
            if (value[p] == quoteChar) {
                ++p;
                while (p < n) {
                    int len = CharLength(value, p);
                    if (len == 1 && value[p] == quoteChar) {
                        if (p + 1 < n && value[p + 1] == quoteChar) {
                            s += quoteChar;
                            p += 2;
                            continue;
                        }
                        ++p;
                        break;
                    }
                    s.append(value, p, static_cast<std::size_t>(len));
                    p += static_cast<std::size_t>(len);
                }
            } else {
                std::size_t start = p;
                while (p < n && !(static_cast<unsigned char>(value[p]) <= ' ') && value[p] != delimiter)
                    p += static_cast<std::size_t>(CharLength(value, p));
                s = value.substr(start, p - start);
            }
            Add(s);
            while (p < n && blank(value[p]))
                ++p;
            if (p < n && value[p] == delimiter) {
                if (p + 1 == n) Add("");
                do {
                    ++p;
                } while (p < n && blank(value[p]));
            }
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

AnsiString TStrings::Names(int index) const {
    AnsiString s = Get(index);
    std::size_t p = s.find(FNameValueSeparator);
    return p == AnsiString::npos ? AnsiString() : s.substr(0, p);
}

AnsiString TStrings::Values(const AnsiString& name) const {
    int i = IndexOfName(name);
    return i < 0 ? AnsiString() : ValueFromIndex(i);
}

void TStrings::SetValues(const AnsiString& name, const AnsiString& value) {
    int i = IndexOfName(name);
    if (!value.empty()) {
        AnsiString line = name + FNameValueSeparator + value;
        if (i < 0)
            Add(line);
        else
            Put(i, line);
    } else if (i >= 0) {
        Delete(i);
    }
}

AnsiString TStrings::ValueFromIndex(int index) const {
    AnsiString s = Get(index);
    std::size_t p = s.find(FNameValueSeparator);
    return p == AnsiString::npos ? AnsiString() : s.substr(p + 1);
}

void TStrings::SetValueFromIndex(int index, const AnsiString& value) {
    if (index < 0) {
        if (!value.empty()) Add(AnsiString(1, FNameValueSeparator) + value);
        return;
    }
    if (value.empty()) {
        Delete(index);
        return;
    }
    Put(index, Names(index) + FNameValueSeparator + value);
}

void TStrings::AddStrings(const TStrings& strings) {
    BeginUpdate();
    try {
        for (int i = 0; i < strings.Count(); ++i)
            AddObject(strings.Get(i), strings.GetObject(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::AddStrings(const std::vector<AnsiString>& strings) {
    BeginUpdate();
    try {
        for (const AnsiString& s : strings)
            Add(s);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::SetStrings(const std::vector<AnsiString>& strings) {
    BeginUpdate();
    try {
        Clear();
        AddStrings(strings);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

std::vector<AnsiString> TStrings::ToVector() const {
    std::vector<AnsiString> r;
    r.reserve(static_cast<std::size_t>(Count()));
    for (int i = 0; i < Count(); ++i)
        r.push_back(Get(i));
    return r;
}

void TStrings::BeginUpdate() {
    if (FUpdateCount == 0) SetUpdateState(true);
    ++FUpdateCount;
}

void TStrings::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::LoadFromStream(TStream& stream) {
    Int64 size = stream.Size() - stream.Position();
    AnsiString text(static_cast<std::size_t>(std::max<Int64>(size, 0)), '\0');
    if (!text.empty()) stream.ReadBuffer(text.data(), static_cast<Int64>(text.size()));
    SetText(text);
}

void TStrings::SaveToStream(TStream& stream) const {
    AnsiString text = Text();
    stream.WriteBuffer(text.data(), static_cast<Int64>(text.size()));
}

void TStrings::LoadFromFile(const AnsiString& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void TStrings::SaveToFile(const AnsiString& fileName) const {
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

void TStrings::Assign(TPersistent* source) {
    if (auto* other = dynamic_cast<TStrings*>(source)) {
        if (other == this) return;
        BeginUpdate();
        try {
            Clear();
            FDelimiter = other->FDelimiter;
            FQuoteChar = other->FQuoteChar;
            FNameValueSeparator = other->FNameValueSeparator;
            AddStrings(*other);
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
        return;
    }
    TPersistent::Assign(source);
}

void TStrings::DefineProperties(TFiler& filer) {
    bool hasData;
    if (auto* ancestor = dynamic_cast<TStrings*>(filer.Ancestor()))
        hasData = !Equals(*ancestor);
    else
        hasData = Count() > 0;
    filer.DefineProperty(
        "Strings", [this](TReader& r) { ReadData(r); }, [this](TWriter& w) { WriteData(w); }, hasData);
}

void TStrings::ReadData(TReader& reader) {
    reader.ReadListBegin();
    BeginUpdate();
    try {
        Clear();
        while (!reader.EndOfList())
            Add(reader.ReadString());
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    reader.ReadListEnd();
}

void TStrings::WriteData(TWriter& writer) {
    writer.WriteListBegin();
    for (int i = 0; i < Count(); ++i)
        writer.WriteString(Get(i));
    writer.WriteListEnd();
}

// ---- TStringList ----

TStringList::~TStringList() {
    FOnChange.Clear();
    FOnChanging.Clear();
}

void TStringList::CheckIndex(int index) const {
    if (index < 0 || index >= Count()) Error("List index out of bounds", index);
}

AnsiString TStringList::Get(int index) const {
    CheckIndex(index);
    return FList[static_cast<std::size_t>(index)].String;
}

void TStringList::Put(int index, const AnsiString& value) {
    if (FSorted) throw EStringListError("Operation not allowed on sorted string list");
    CheckIndex(index);
    Changing();
    FList[static_cast<std::size_t>(index)].String = value;
    Changed();
}

TObject* TStringList::GetObject(int index) const {
    CheckIndex(index);
    return FList[static_cast<std::size_t>(index)].Object;
}

void TStringList::PutObject(int index, TObject* object) {
    CheckIndex(index);
    Changing();
    FList[static_cast<std::size_t>(index)].Object = object;
    Changed();
}

int TStringList::Add(const AnsiString& value) {
    return AddObject(value, nullptr);
}

int TStringList::AddObject(const AnsiString& value, TObject* object) {
    int index;
    if (!FSorted) {
        index = Count();
    } else if (Find(value, index)) {
        switch (FDuplicates) {
        case dupIgnore:
            return index;
        case dupError:
            throw EStringListError("String list does not allow duplicates");
        case dupAccept:
            break;
        }
    }
    InsertItem(index, value, object);
    return index;
}

void TStringList::Insert(int index, const AnsiString& value) {
    if (FSorted) throw EStringListError("Operation not allowed on sorted string list");
    if (index < 0 || index > Count()) Error("List index out of bounds", index);
    InsertItem(index, value, nullptr);
}

void TStringList::InsertItem(int index, const AnsiString& value, TObject* object) {
    Changing();
    FList.insert(FList.begin() + index, TItem{value, object});
    Changed();
}

void TStringList::Delete(int index) {
    CheckIndex(index);
    Changing();
    FList.erase(FList.begin() + index);
    Changed();
}

void TStringList::Clear() {
    if (FList.empty()) return;
    Changing();
    FList.clear();
    Changed();
}

void TStringList::Exchange(int index1, int index2) {
    CheckIndex(index1);
    CheckIndex(index2);
    Changing();
    std::swap(FList[static_cast<std::size_t>(index1)], FList[static_cast<std::size_t>(index2)]);
    Changed();
}

int TStringList::CompareStrings(const AnsiString& a, const AnsiString& b) const {
    return FCaseSensitive ? CompareStr(a, b) : CompareText(a, b);
}

int TStringList::IndexOf(const AnsiString& value) const {
    if (!FSorted) return TStrings::IndexOf(value);
    int index;
    return Find(value, index) ? index : -1;
}

bool TStringList::Find(const AnsiString& value, int& index) const {
    bool found = false;
    int lo = 0, hi = Count() - 1;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int c = CompareStrings(FList[static_cast<std::size_t>(mid)].String, value);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (FDuplicates != dupAccept) lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

void TStringList::Sort() {
    if (FList.size() < 2) return;
    Changing();
    std::stable_sort(FList.begin(), FList.end(), [this](const TItem& a, const TItem& b) {
        return CompareStrings(a.String, b.String) < 0;
    });
    Changed();
}

void TStringList::CustomSort(int (*compare)(TStringList* list, int index1, int index2)) {
    if (FSorted || FList.size() < 2 || !compare) return;
    // Sort a permutation by the caller's comparison of indices into the unchanged list, then apply it.
    std::vector<int> order(FList.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(this, a, b) < 0; });
    Changing();
    std::vector<TItem> sorted;
    sorted.reserve(FList.size());
    for (int i : order)
        sorted.push_back(FList[static_cast<std::size_t>(i)]);
    FList.swap(sorted);
    Changed();
}

void TStringList::SetSorted(bool value) {
    if (FSorted == value) return;
    if (value) Sort();
    FSorted = value;
}

void TStringList::SetCaseSensitive(bool value) {
    if (FCaseSensitive == value) return;
    FCaseSensitive = value;
    if (FSorted) Sort();
}

void TStringList::Changed() {
    if (UpdateCount() == 0 && FOnChange) FOnChange(this);
}

void TStringList::Changing() {
    if (UpdateCount() == 0 && FOnChanging) FOnChanging(this);
}

void TStringList::SetUpdateState(bool updating) {
    if (updating)
        Changing();
    else
        Changed();
}
