#include "framework/KnlDouble.h"

#include <array>
#include <cmath>
#include <string>
#include <typeinfo>
#include <vector>

#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "foundation/LibVCLs.h"
#include "foundation/libstrs.h"

double GetFieldRounded(TField* field, int places) {
    if (!field || field->IsNull()) return 0;
    return RoundedValue(field->AsFloat(), places);
}

double RoundedValue(double value, int places) {
    if (places == -2) return std::trunc(value);
    if (places == -1) return value;
    if (places < 0) return 0;
    // The text formatter's rounding, without the text where the value is clearly off a half: the
    // scaled value's fraction decides; near a half the formatter's exact decimal expansion does.
    if (places <= 15) {
        // The powers of ten a double holds exactly, as std::pow gives them, without its cost per value.
        static const auto powers = [] {
            std::array<double, 16> table{};
            for (int i = 0; i < 16; ++i)
                table[static_cast<std::size_t>(i)] = std::pow(10.0, i);
            return table;
        }();
        const double scale = powers[static_cast<std::size_t>(places)];
        const double scaled = value * scale;
        const double fraction = std::fabs(scaled - std::trunc(scaled));
        if (std::fabs(scaled) < 1e15 && std::fabs(fraction - 0.5) > 1e-6)
            return (scaled < 0 ? -std::floor(-scaled + 0.5) : std::floor(scaled + 0.5)) / scale;
    }
    try {
        return StrToFloat(Trim(Format("%10.*f", {places, value})));
    } catch (const Exception&) {
        return 0;
    }
}

void SetFieldRounded(TField* field, int places, double value) {
    if (!field) return;
    AnsiString text;
    if (places == -2)
        text = FloatToStr(std::trunc(value));
    else if (places == -1)
        text = FloatToStr(value);
    else if (places >= 0)
        text = Trim(Format("%10.*f", {places, value}));
    else
        return;
    SetFieldText(field, text, true);
}

bool IsStoredString(const TField* field) {
    return field && typeid(*field) == typeid(TStringField) && field->FieldKind() == fkData &&
           field->CalcSlot() < 0 && field->Column() >= 0 && field->DataSet() && field->DataSet()->Layout();
}

bool IsStoredFloat(const TField* field) {
    return field && (typeid(*field) == typeid(TFloatField) || typeid(*field) == typeid(TCurrencyField)) &&
           field->FieldKind() == fkData && field->CalcSlot() < 0 && field->Column() >= 0 &&
           field->DataSet() && field->DataSet()->Layout();
}

double GetStoredRounded(const TField* field, const Byte* record, int places) {
    const TRecordLayout* layout = field->DataSet()->Layout();
    if (layout->IsNull(record, field->Column())) return 0;
    return RoundedValue(layout->GetValue(record, field->Column()).AsFloat(), places);
}

bool NextSequenceNo(TDataSet* dataSet, const AnsiString& fieldName, AnsiString& text) {
    text.clear();
    TField* field = dataSet ? dataSet->FindField(fieldName) : nullptr;
    if (!field) return false;
    long long highest = 0;
    if (dataSet->Active())
        for (dataSet->First(); !dataSet->Eof(); dataSet->Next()) {
            const int value = StrToIntDef(Trim(field->AsString()), 0);
            if (value > highest) highest = value;
        }
    const int width = field->DataSize() - 1;
    const AnsiString next = width > 0 ? Format("%.*d", {width, static_cast<int>(highest + 1)})
                                      : IntToStr(static_cast<int>(highest + 1));
    if (field->Size() > 0 && static_cast<int>(next.size()) > field->Size()) return false;
    text = next;
    return true;
}

namespace {

std::vector<TField*> KeyFieldsOf(TDataSet* dataSet, const AnsiString& keys) {
    std::vector<TField*> fields;
    for (int i = 1; i <= GetTokenCount(keys, "+"); ++i)
        fields.push_back(dataSet->FindField(Trim(GetToken(keys, "+", i))));
    return fields;
}

AnsiString KeyText(const std::vector<TField*>& fields, char separator = '\t') {
    AnsiString text;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) text += separator;
        if (fields[i]) text += fields[i]->AsString();
    }
    return text;
}

// The row a data set stands on, as the clones share it; -1 for a record not yet among the rows.
int RowIdentity(TDataSet* dataSet) {
    if (dataSet->State() == dsInsert || dataSet->IsEmpty()) return -1;
    TBookmark mark = dataSet->GetBookmark();
    const int id = mark ? mark->RowId : -1;
    dataSet->FreeBookmark(mark);
    return id;
}

} // namespace

bool HasDuplicateKey(TCustomClientDataSet* cds, TField* field, const AnsiString& keys) {
    if (!cds || !field || !field->DataSet() || !cds->Active()) return false;
    const AnsiString list = Trim(keys).empty() ? field->FieldName() : keys;
    TDataSet* own = field->DataSet();
    const AnsiString wanted = KeyText(KeyFieldsOf(own, list));
    const int self = RowIdentity(own);
    const std::vector<TField*> fields = KeyFieldsOf(cds, list);
    for (cds->First(); !cds->Eof(); cds->Next())
        if (KeyText(fields) == wanted && RowIdentity(cds) != self) return true;
    return false;
}

TLineKeyIndex::~TLineKeyIndex() {
    Reset();
}

void TLineKeyIndex::Reset() {
    if (FStore) FStore->Release();
    FStore = nullptr;
    FBuilt = false;
    FColumns.clear();
    FExcludeColumn = -1;
    FCount.clear();
    FCountExcluded.clear();
    FKeyOf.clear();
}

AnsiString TLineKeyIndex::KeyOf(const Byte* record) const {
    AnsiString text, part;
    for (std::size_t k = 0; k < FColumns.size(); ++k) {
        if (k > 0) text += FSeparator;
        FStore->Layout->GetString(record, FColumns[k], part);
        text += part;
    }
    return text;
}

AnsiString TLineKeyIndex::KeyAndExcluded(const AnsiString& key, const AnsiString& excluded) {
    // The key's length first, so that no other key and value make the same text.
    return std::to_string(key.size()) + ':' + key + excluded;
}

void TLineKeyIndex::Add(const TRow* row) {
    if (row->Deleted) return;
    TKeyOfRow entry{KeyOf(row->Data()), AnsiString()};
    ++FCount[entry.Key];
    if (FExcludeColumn >= 0) {
        AnsiString excluded;
        FStore->Layout->GetString(row->Data(), FExcludeColumn, excluded);
        entry.KeyAndExcluded = KeyAndExcluded(entry.Key, excluded);
        ++FCountExcluded[entry.KeyAndExcluded];
    }
    FKeyOf[row->Id] = std::move(entry);
}

void TLineKeyIndex::Drop(int rowId) {
    const auto it = FKeyOf.find(rowId);
    if (it == FKeyOf.end()) return;
    const auto count = FCount.find(it->second.Key);
    if (count != FCount.end() && --count->second == 0) FCount.erase(count);
    if (FExcludeColumn >= 0) {
        const auto excluded = FCountExcluded.find(it->second.KeyAndExcluded);
        if (excluded != FCountExcluded.end() && --excluded->second == 0) FCountExcluded.erase(excluded);
    }
    FKeyOf.erase(it);
}

int TLineKeyIndex::HasDuplicate(TCustomClientDataSet* cds, TField* field, const AnsiString& keys,
                                char separator, const AnsiString& exclude) {
    if (!cds || !field || !field->DataSet() || !cds->Active() || !cds->Store()) return 0;
    const AnsiString list = Trim(keys).empty() ? field->FieldName() : keys;
    std::vector<int> columns;
    for (TField* f : KeyFieldsOf(cds, list)) {
        if (!IsStoredString(f) || f->DataSet() != cds) return -1;
        columns.push_back(f->Column());
    }
    int excludeColumn = -1;
    if (!exclude.empty()) {
        TField* f = cds->FindField(exclude);
        if (!IsStoredString(f) || f->DataSet() != cds) return -1;
        excludeColumn = f->Column();
    }
    TRowStore* store = cds->Store();
    if (store != FStore || columns != FColumns || separator != FSeparator ||
        excludeColumn != FExcludeColumn) {
        Reset();
        store->AddRef(); // held, so that no other rows take its place unseen
        FStore = store;
        FColumns = std::move(columns);
        FSeparator = separator;
        FExcludeColumn = excludeColumn;
    }
    if (!FBuilt || store->Changes != FChanges) {
        if (FBuilt && store->Changes == FChanges + 1 && store->LastRow) {
            Drop(store->LastRow->Id);
            Add(store->LastRow);
        } else {
            FCount.clear();
            FCountExcluded.clear();
            FKeyOf.clear();
            for (const TRow* row : store->Rows)
                Add(row);
        }
        FChanges = store->Changes;
        FBuilt = true;
    }
    TDataSet* own = field->DataSet();
    const AnsiString wanted = KeyText(KeyFieldsOf(own, list), separator);
    const auto found = FCount.find(wanted);
    int others = found == FCount.end() ? 0 : found->second;
    if (excludeColumn >= 0) {
        TField* ownExcluded = own->FindField(exclude);
        const auto excluded =
            FCountExcluded.find(KeyAndExcluded(wanted, ownExcluded ? ownExcluded->AsString() : AnsiString()));
        if (excluded != FCountExcluded.end()) others -= excluded->second;
        return others > 0 ? 1 : 0;
    }
    // The record itself, when it is one of the rows, is no duplicate of itself.
    const auto self = FKeyOf.find(RowIdentity(own));
    if (self != FKeyOf.end() && self->second.Key == wanted) --others;
    return others > 0 ? 1 : 0;
}

TLineTotal::~TLineTotal() {
    Reset();
}

void TLineTotal::Reset() {
    if (FStore) FStore->Release();
    FStore = nullptr;
    FBuilt = false;
    FRecords.clear();
}

bool TLineTotal::Counts(const Byte* record, double& line) {
    line = GetStoredRounded(FField, record, FDigits);
    if (FFilterColumn < 0) return true;
    AnsiString text;
    FStore->Layout->GetString(record, FFilterColumn, text);
    return text == FCondition;
}

double TLineTotal::Sum(TCustomClientDataSet* cds, TField* field, TField* filter, const AnsiString& condition,
                       int digits) {
    TRowStore* store = cds->Store();
    const int filterColumn = filter ? filter->Column() : -1;
    if (store != FStore || !Of(field, filter, condition, digits) || field->Column() != FColumn ||
        filterColumn != FFilterColumn) {
        Reset();
        store->AddRef(); // held, so that no other rows take its place unseen
        FStore = store;
        FField = field;
        FFilter = filter;
        FColumn = field->Column();
        FFilterColumn = filterColumn;
        FDigits = digits;
        FCondition = condition;
    }
    const std::size_t count = static_cast<std::size_t>(cds->OrderedCount());
    const std::size_t summed = FRecords.size();
    auto sameOrder = [&] {
        for (std::size_t i = 0; i < summed; ++i)
            if (cds->OrderedRecord(static_cast<int>(i)) != FRecords[i]) return false;
        return true;
    };
    if (FBuilt && store->Changes == FChanges && count == summed && sameOrder()) return FSum;
    if (FBuilt && store->Changes == FChanges + 1 && store->LastRow && count == summed + 1 &&
        cds->OrderedRecord(static_cast<int>(summed)) == store->LastRow->Data() && sameOrder()) {
        double line = 0;
        if (Counts(store->LastRow->Data(), line)) FSum += line;
        FRecords.push_back(store->LastRow->Data());
        FChanges = store->Changes;
        return FSum;
    }
    FSum = 0;
    FRecords.clear();
    for (std::size_t i = 0; i < count; ++i) {
        const Byte* record = cds->OrderedRecord(static_cast<int>(i));
        double line = 0;
        if (Counts(record, line)) FSum += line;
        FRecords.push_back(record);
    }
    FChanges = store->Changes;
    FBuilt = true;
    return FSum;
}

bool CloneCursorSafe(TCustomClientDataSet* source, TCustomClientDataSet* dest) {
    if (!source || !dest) return false;
    try {
        dest->CloneCursor(source, false, false);
        return true;
    } catch (const Exception&) {
        return false;
    } catch (const std::exception&) {
        return false;
    }
}
