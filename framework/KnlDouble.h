#pragma once
// Small routines of the header-plus-body level: rounding a field's value, the next line number, the
// duplicate-line check and a clone cursor that never raises.
#include <unordered_map>
#include <vector>

#include "classlib/db/dbclient.h"

// Null: 0. Places -2: truncated toward zero; -1: as stored; >= 0: rounded half away from zero by the
// text formatter; other negatives: 0.
double GetFieldRounded(TField* field, int places);
// A value that is not null, rounded by the same rules.
double RoundedValue(double value, int places);
// Fields whose value in a row is the row's stored value as such (a data field of the plain string,
// float or currency class, nothing calculated), so that walks can read any row's value without moving
// the cursor.
bool IsStoredString(const TField* field);
bool IsStoredFloat(const TField* field);
// GetFieldRounded of a stored float field in the given record of its data set.
double GetStoredRounded(const TField* field, const Byte* record, int places);
// The value as edit text with the same rules; other negative places: nothing.
void SetFieldRounded(TField* field, int places, double value);
// The highest numeric value of the field over the data set plus one, zero-padded to the string
// field's size ("0001" for size 4); non-numeric texts count as 0. False (text '') when the field does
// not exist or the next number does not fit the field: a wrapped number would repeat an existing one.
// The data set is left on its last row.
bool NextSequenceNo(TDataSet* dataSet, const AnsiString& fieldName, AnsiString& text);
// Whether another row of cds has the same key as the record that field belongs to. keys: field names
// joined with "+" ('' the field's own). Rows are told apart by their identity in the shared rows, so
// the record itself never counts, wherever inserts moved it. cds is left where the walk stopped.
bool HasDuplicateKey(TCustomClientDataSet* cds, TField* field, const AnsiString& keys);
// The key texts of a client data set's rows, as HasDuplicateKey compares them, kept up to date from
// the rows' changes: a row inserted or edited alone is taken in by itself, anything else reads the
// rows again. So a check per line costs no walk over the lines.
class TLineKeyIndex {
public:
    TLineKeyIndex() = default;
    ~TLineKeyIndex();
    TLineKeyIndex(const TLineKeyIndex&) = delete;
    TLineKeyIndex& operator=(const TLineKeyIndex&) = delete;
    // HasDuplicateKey's answer, without moving cds: 1 a duplicate, 0 none; -1 when a key field of cds
    // (or the exclude field) is not a stored string (only a walk answers then). separator joins the
    // key texts. With an exclude field, the rows holding the record's own value in it do not count
    // (the record's own row among them, when it still holds that value) instead of the record's row.
    int HasDuplicate(TCustomClientDataSet* cds, TField* field, const AnsiString& keys, char separator = '\t',
                     const AnsiString& exclude = "");

private:
    struct TKeyOfRow {
        AnsiString Key;
        AnsiString KeyAndExcluded; // the key with the row's exclude value, when there is an exclude field
    };
    void Reset();
    AnsiString KeyOf(const Byte* record) const;
    static AnsiString KeyAndExcluded(const AnsiString& key, const AnsiString& excluded);
    void Add(const TRow* row);
    void Drop(int rowId);
    TRowStore* FStore = nullptr; // held while indexed
    unsigned FChanges = 0;
    bool FBuilt = false;
    std::vector<int> FColumns;
    char FSeparator = '\t';
    int FExcludeColumn = -1;
    std::unordered_map<AnsiString, int> FCount;         // key text: rows
    std::unordered_map<AnsiString, int> FCountExcluded; // key text with an exclude value: rows
    std::unordered_map<int, TKeyOfRow> FKeyOf;          // row id: its key text
};
// SumBodyField's total of a stored float field over a client data set's rows in its order (a stored
// string filter field, when given, must hold the condition value), kept with the rows: when the only
// change since the last total is a row added at the end of the order, that row is added to it; the
// same additions in the same order, so the same total.
class TLineTotal {
public:
    TLineTotal() = default;
    ~TLineTotal();
    TLineTotal(const TLineTotal&) = delete;
    TLineTotal& operator=(const TLineTotal&) = delete;
    double Sum(TCustomClientDataSet* cds, TField* field, TField* filter, const AnsiString& condition,
               int digits);
    // Whether this is the total of that field, filter, condition and digits.
    bool Of(const TField* field, const TField* filter, const AnsiString& condition, int digits) const {
        return field == FField && filter == FFilter && condition == FCondition && digits == FDigits;
    }

private:
    void Reset();
    bool Counts(const Byte* record, double& line);
    TRowStore* FStore = nullptr; // held while kept
    unsigned FChanges = 0;
    bool FBuilt = false;
    int FColumn = -1, FFilterColumn = -1, FDigits = 0;
    const TField* FField = nullptr;
    const TField* FFilter = nullptr;
    AnsiString FCondition;
    std::vector<const Byte*> FRecords; // the rows summed, in order
    double FSum = 0;
};

// dest clones source's cursor (not reset, without source's settings); false on any exception.
bool CloneCursorSafe(TCustomClientDataSet* source, TCustomClientDataSet* dest);
