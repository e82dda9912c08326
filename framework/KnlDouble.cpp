#include "framework/KnlDouble.h"

#include <array>
#include <cmath>
#include <vector>

#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "foundation/LibVCLs.h"
#include "foundation/libstrs.h"

double GetFieldRounded(TField* field, int places) {
    if (!field || field->IsNull()) return 0;
    const double value = field->AsFloat();
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

AnsiString KeyText(const std::vector<TField*>& fields) {
    AnsiString text;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) text += '\t';
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
