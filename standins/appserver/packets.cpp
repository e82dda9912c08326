#include "standins/appserver/packets.h"

#include <cstdlib>

#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"

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

std::vector<Variant> Elements(const Variant& array) {
    std::vector<Variant> values;
    const int length = VarArrayLength(array);
    if (length == 0) return values;
    const int low = VarArrayLowBound(array, 1);
    values.reserve(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i) values.push_back(array.GetElement({low + i}));
    return values;
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
                                       std::map<AnsiString, TPacketField>& hints) {
    std::vector<TPacketField> fields;
    for (size_t i = 0; i < result.Columns.size(); ++i) {
        const std::string type = i < result.DeclTypes.size() ? result.DeclTypes[i] : std::string();
        TPacketField field = FieldOfType(result.Columns[i], type);
        if (field.DataType == ftUnknown) {
            size_t longest = 0;
            bool numeric = false, text = false;
            for (const TDbRow& row : sample) {
                if (i >= row.size() || VarIsNull(row[i])) continue;
                if (VarIsNumeric(row[i])) numeric = true;
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
            }
            if (text || numeric) hints[UpperCase(field.Name)] = field;
        }
        fields.push_back(field);
    }
    return fields;
}

Variant PacketRow(const TDbRow& row, const std::vector<TPacketField>& fields) {
    std::vector<Variant> values;
    values.reserve(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        const Variant value = i < row.size() ? row[i] : Null();
        if (VarIsNull(value) || VarIsEmpty(value)) {
            values.push_back(Null());
            continue;
        }
        switch (fields[i].DataType) {
        case ftString:
        case ftMemo:
            values.push_back(VarIsArray(value) ? value : Variant(VarToStr(value)));
            break;
        case ftFloat:
            values.push_back(VarIsNumeric(value) ? Variant(value.AsFloat()) : Variant(StrToFloatDef(VarToStr(value), 0)));
            break;
        case ftInteger:
            values.push_back(VarIsNumeric(value) ? Variant(value.AsInteger()) : Variant(StrToIntDef(VarToStr(value), 0)));
            break;
        default:
            values.push_back(value);
            break;
        }
    }
    return VarArrayOf(values);
}

TDeltaInput ReadDelta(const Variant& delta, const AnsiString& nestedField) {
    TDeltaInput input;
    const std::vector<TPacketField> fields = ReadPacketFields(delta);
    if (!(PacketFlags(delta) & pfDelta)) throw EDatabaseError("Invalid data packet: not a delta");
    int nested = -1;
    std::vector<TPacketField> lineFields;
    for (size_t i = 0; i < fields.size(); ++i)
        if (!nestedField.empty() && SameText(fields[i].Name, nestedField) && fields[i].DataType == ftDataSet) {
            nested = static_cast<int>(i);
            lineFields = fields[i].Nested;
        }
    auto readRow = [](const Variant& item, const std::vector<TPacketField>& defs, int skip, TDeltaRow& row,
                      int& id, Variant* nestedRows) {
        const std::vector<Variant> slots = Elements(item);
        if (slots.size() < dsSlotCount) throw EDatabaseError("Invalid data packet: a delta row needs four slots");
        const int status = slots[dsStatus].AsInteger();
        if (status < usUnmodified || status > usDeleted)
            throw EDatabaseError("Invalid data packet: unknown update status");
        row.Kind = static_cast<TUpdateStatus>(status);
        id = slots[dsRowId].AsInteger();
        const std::vector<Variant> values = Elements(slots[dsValues]);
        const std::vector<Variant> old = Elements(slots[dsOldValues]);
        if (values.size() != defs.size() || (row.Kind != usInserted && old.size() != defs.size()))
            throw EDatabaseError("Invalid data packet: a delta row does not match its fields");
        for (size_t i = 0; i < defs.size(); ++i) {
            if (static_cast<int>(i) == skip) {
                if (nestedRows) *nestedRows = values[i];
                continue;
            }
            if (defs[i].DataType == ftDataSet) continue;
            if (row.Kind != usInserted) row.Old[defs[i].Name] = old[i];
            // A change carries the fields that changed; an insert every field.
            if (row.Kind == usInserted || (row.Kind == usModified && !SameValue(values[i], old[i])))
                row.New[defs[i].Name] = values[i];
        }
    };
    for (const Variant& item : Elements(PacketRows(delta))) {
        TDeltaRow head;
        int id = 0;
        Variant lines;
        readRow(item, fields, nested, head, id, &lines);
        std::vector<int> lineIds;
        for (const Variant& lineItem : Elements(lines)) {
            TDeltaRow line;
            int lineId = 0;
            readRow(lineItem, lineFields, -1, line, lineId, nullptr);
            head.Lines.push_back(std::move(line));
            lineIds.push_back(lineId);
        }
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
