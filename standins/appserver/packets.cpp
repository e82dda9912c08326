#include "standins/appserver/packets.h"

#include <cstdlib>
#include <functional>

#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "classlib/rtl/varview.h"

namespace {

int DeclaredSize(const std::string& type) {
    const size_t open = type.find('(');
    return open == std::string::npos ? 0 : std::atoi(type.c_str() + open + 1);
}

TPacketField FieldOfType(const AnsiString& name, const std::string& type) {
    TPacketField field;
    field.Name = name;
    if (type.find("CHAR") != std::string::npos) {
        field.DataType = ftString;
        field.Size = DeclaredSize(type) > 0 ? DeclaredSize(type) : 255;
    } else if (type == "TEXT" || type == "CLOB") {
        field.DataType = ftMemo;
    } else if (type == "INTEGER" || type == "INT") {
        field.DataType = ftInteger;
    } else if (type.rfind("NUMERIC", 0) == 0 || type.rfind("DECIMAL", 0) == 0 || type == "REAL" ||
               type == "FLOAT" || type == "DOUBLE") {
        field.DataType = ftFloat;
    } else if (type == "BLOB") {
        field.DataType = ftBlob;
    }
    return field;
}

bool SameValue(const Variant& a, const Variant& b) {
    if (VarIsNull(a) || VarIsNull(b)) return VarIsNull(a) && VarIsNull(b);
    try {
        return a == b;
    } catch (const Exception&) {
        return false;
    }
}

} // namespace

std::vector<TPacketField> ResultFields(const TDbResult& result, const std::vector<TDbRow>& sample,
                                       std::map<AnsiString, TPacketField>& hints, bool* guessed) {
    if (guessed) *guessed = false;
    std::vector<TPacketField> fields;
    for (size_t i = 0; i < result.Columns.size(); ++i) {
        const std::string type = i < result.DeclTypes.size() ? result.DeclTypes[i] : std::string();
        TPacketField field = FieldOfType(result.Columns[i], type);
        if (field.DataType == ftUnknown) {
            size_t longest = 0;
            bool numeric = false, text = false;
            for (const TDbRow& row : sample) {
                if (i >= row.size() || VarIsNull(row[i])) continue;
                if (VarIsNumeric(row[i]))
                    numeric = true;
                else {
                    text = true;
                    if (VarIsStr(row[i])) longest = std::max(longest, VarToStr(row[i]).size());
                }
            }
            auto hint = hints.find(UpperCase(field.Name));
            if (text) {
                field.DataType = ftString;
                field.Size = static_cast<int>(std::max<size_t>(255, longest));
            } else if (numeric) {
                field.DataType = ftFloat;
            } else if (hint != hints.end()) {
                field = hint->second;
            } else {
                field.DataType = ftString;
                field.Size = 255;
                if (guessed) *guessed = true;
            }
            if (text || numeric) hints[UpperCase(field.Name)] = field;
        }
        fields.push_back(field);
    }
    return fields;
}

std::vector<Variant> PacketValues(const TDbRow& row, const std::vector<TPacketField>& fields) {
    std::vector<Variant> values;
    values.reserve(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i >= row.size() || VarIsNull(row[i]) || VarIsEmpty(row[i])) {
            values.push_back(Null());
            continue;
        }
        const Variant& value = row[i];
        switch (fields[i].DataType) {
        case ftString:
        case ftMemo:
            // A text is shared as it is, not copied.
            values.push_back(VarIsArray(value) || VarType(value) == varString ? value
                                                                              : Variant(VarToStr(value)));
            break;
        case ftFloat:
            values.push_back(VarIsNumeric(value) ? Variant(value.AsFloat())
                                                 : Variant(StrToFloatDef(VarToStr(value), 0)));
            break;
        case ftInteger:
            values.push_back(VarIsNumeric(value) ? Variant(value.AsInteger())
                                                 : Variant(StrToIntDef(VarToStr(value), 0)));
            break;
        default:
            values.push_back(value);
            break;
        }
    }
    return values;
}

Variant PacketRow(const TDbRow& row, const std::vector<TPacketField>& fields) {
    return VarArrayFromVector(PacketValues(row, fields));
}

TDeltaInput ReadDelta(const Variant& delta, const AnsiString& nestedField) {
    TDeltaInput input;
    const std::vector<TPacketField> fields = ReadPacketFields(delta);
    if (!(PacketFlags(delta) & pfDelta)) throw EDatabaseError("Invalid data packet: not a delta");
    int nested = -1;
    std::vector<TPacketField> lineFields;
    for (size_t i = 0; i < fields.size(); ++i)
        if (!nestedField.empty() && SameText(fields[i].Name, nestedField) &&
            fields[i].DataType == ftDataSet) {
            nested = static_cast<int>(i);
            lineFields = fields[i].Nested;
        }
    // The rows are read in place: a packet of a document with many lines is not copied.
    auto readRow = [](const Variant& item, const std::vector<TPacketField>& defs, int skip, TDeltaRow& row,
                      int& id, const std::function<void(const Variant&)>& nestedRows) {
        const TVarArrayView slots(item);
        if (slots.Count() < dsSlotCount)
            throw EDatabaseError("Invalid data packet: a delta row needs four slots");
        const int status = slots[dsStatus].AsInteger();
        if (status < usUnmodified || status > usDeleted)
            throw EDatabaseError("Invalid data packet: unknown update status");
        row.Kind = static_cast<TUpdateStatus>(status);
        id = slots[dsRowId].AsInteger();
        const TVarArrayView values(slots[dsValues]);
        const TVarArrayView old(slots[dsOldValues]);
        const int count = static_cast<int>(defs.size());
        if (values.Count() != count || (row.Kind != usInserted && old.Count() != count))
            throw EDatabaseError("Invalid data packet: a delta row does not match its fields");
        for (int i = 0; i < count; ++i) {
            if (i == skip) {
                nestedRows(values[i]);
                continue;
            }
            if (defs[i].DataType == ftDataSet) continue;
            if (row.Kind != usInserted) row.Old.emplace(defs[i].Name, old[i]);
            // A change carries the fields that changed; an insert the fields that have a value.
            if ((row.Kind == usInserted && !VarIsNull(values[i])) ||
                (row.Kind == usModified && !SameValue(values[i], old[i])))
                row.New.emplace(defs[i].Name, values[i]);
        }
    };
    const TVarArrayView packet(delta);
    if (!VarIsArray(packet[psRows])) throw EDatabaseError("Invalid data packet: no rows");
    const TVarArrayView rows(packet[psRows]);
    for (int r = 0; r < rows.Count(); ++r) {
        TDeltaRow head;
        int id = 0;
        std::vector<int> lineIds;
        readRow(rows[r], fields, nested, head, id, [&](const Variant& lines) {
            const TVarArrayView items(lines);
            for (int l = 0; l < items.Count(); ++l) {
                TDeltaRow line;
                int lineId = 0;
                readRow(items[l], lineFields, -1, line, lineId, [](const Variant&) {});
                head.Lines.push_back(std::move(line));
                lineIds.push_back(lineId);
            }
        });
        input.Rows.push_back(std::move(head));
        input.Ids.push_back(id);
        input.LineIds.push_back(std::move(lineIds));
    }
    return input;
}

Variant SaveErrorPacket(const TSaveResult& result, const TDeltaInput& input) {
    std::vector<Variant> errors;
    for (const TUpdateError& error : result.Errors) {
        int id = 0;
        if (error.HeadIndex >= 0 && static_cast<size_t>(error.HeadIndex) < input.Ids.size()) {
            id = input.Ids[error.HeadIndex];
            const std::vector<int>& lines = input.LineIds[error.HeadIndex];
            if (error.LineIndex >= 0 && static_cast<size_t>(error.LineIndex) < lines.size())
                id = lines[error.LineIndex];
        }
        errors.push_back(MakeRowError(id, error.Message, error.ErrorCode, error.Context));
    }
    return MakeErrorPacket(result.Errors.empty(), errors);
}
