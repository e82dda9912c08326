#include "classlib/db/datapacket.h"

#include "classlib/objects/component.h"
#include "classlib/rtl/varview.h"

void DatabaseError(const AnsiString& message, TComponent* component) {
    if (component && !component->Name().empty()) throw EDatabaseError(component->Name() + ": " + message);
    throw EDatabaseError(message);
}

namespace {
[[noreturn]] void BadPacket(const AnsiString& what) {
    throw EDatabaseError("Invalid data packet: " + what);
}

Variant ArrayOf(std::vector<Variant> values) {
    return VarArrayFromVector(std::move(values));
}
} // namespace

Variant PacketFieldDefs(const std::vector<TPacketField>& fields) {
    std::vector<Variant> defs;
    defs.reserve(fields.size());
    for (const TPacketField& f : fields) {
        Variant nested;
        if (f.DataType == ftDataSet) nested = PacketFieldDefs(f.Nested);
        defs.push_back(ArrayOf({Variant(f.Name), Variant(static_cast<int>(f.DataType)), Variant(f.Size),
                                Variant(f.Attributes), nested}));
    }
    return ArrayOf(std::move(defs));
}

Variant MakeDataPacket(const std::vector<TPacketField>& fields, Variant rows, int flags) {
    std::vector<Variant> slots;
    slots.reserve(psSlotCount);
    slots.push_back(Variant(PacketVersion));
    slots.push_back(PacketFieldDefs(fields));
    slots.push_back(VarIsArray(rows) ? std::move(rows) : VarArrayOf(std::vector<Variant>{}));
    slots.push_back(Variant(flags));
    return VarArrayFromVector(std::move(slots));
}

Variant MakeDeltaRow(TUpdateStatus status, int rowId, Variant values, Variant oldValues) {
    std::vector<Variant> slots;
    slots.reserve(dsSlotCount);
    slots.push_back(Variant(static_cast<int>(status)));
    slots.push_back(Variant(rowId));
    slots.push_back(std::move(values));
    slots.push_back(std::move(oldValues));
    return VarArrayFromVector(std::move(slots));
}

Variant MakeRowError(int rowId, const AnsiString& message, int errorCode, const AnsiString& context,
                     int previousError, const Variant& currentValues) {
    return ArrayOf({Variant(rowId), Variant(message), Variant(errorCode), Variant(context),
                    Variant(previousError), currentValues});
}

Variant MakeErrorPacket(bool committed, const std::vector<Variant>& errors) {
    Variant list;
    if (!errors.empty()) list = VarArrayFromVector(std::vector<Variant>(errors));
    return ArrayOf({Variant(committed), list});
}

bool IsDataPacket(const Variant& packet) noexcept {
    if (VarArrayLength(packet) < psSlotCount) return false;
    TVarArrayView p(packet);
    try {
        return p[psVersion].AsInteger() == PacketVersion && VarIsArray(p[psFields]) &&
               VarIsArray(p[psRows]) && VarIsNumeric(p[psFlags]);
    } catch (...) {
        return false;
    }
}

std::vector<TPacketField> ReadFieldDefs(const Variant& fieldDefs) {
    if (!VarIsArray(fieldDefs) || VarArrayDimCount(fieldDefs) != 1) BadPacket("field definitions");
    std::vector<TPacketField> result;
    TVarArrayView defs(fieldDefs);
    result.reserve(defs.Count());
    for (int i = 0; i < defs.Count(); ++i) {
        if (VarArrayLength(defs[i]) < fdSlotCount) BadPacket("field definition " + std::to_string(i));
        TVarArrayView d(defs[i]);
        TPacketField f;
        try {
            f.Name = d[fdName].AsString();
            int type = d[fdType].AsInteger();
            if (type <= ftUnknown || type > ftFMTBcd) BadPacket("type of field " + f.Name);
            f.DataType = static_cast<TFieldType>(type);
            f.Size = d[fdSize].AsInteger();
            f.Attributes = d[fdAttributes].AsInteger();
        } catch (const EVariantError&) {
            BadPacket("field definition " + std::to_string(i));
        }
        if (f.Name.empty() || f.Size < 0) BadPacket("field definition " + std::to_string(i));
        for (const TPacketField& other : result)
            if (SameIdent(other.Name, f.Name)) BadPacket("duplicate field " + f.Name);
        if (f.DataType == ftDataSet) f.Nested = ReadFieldDefs(d[fdNested]);
        result.push_back(std::move(f));
    }
    return result;
}

std::vector<TPacketField> ReadPacketFields(const Variant& packet) {
    if (!IsDataPacket(packet)) BadPacket("not a data packet");
    TVarArrayView p(packet);
    return ReadFieldDefs(p[psFields]);
}

Variant PacketRows(const Variant& packet) {
    if (!IsDataPacket(packet)) BadPacket("not a data packet");
    TVarArrayView p(packet);
    return p[psRows];
}

int PacketFlags(const Variant& packet) {
    if (!IsDataPacket(packet)) BadPacket("not a data packet");
    TVarArrayView p(packet);
    return p[psFlags].AsInteger();
}

TVarType PacketVarType(TFieldType type) noexcept {
    switch (type) {
    case ftString:
    case ftFixedChar:
    case ftMemo:
    case ftFmtMemo:
        return varString;
    case ftWideString:
        return varOleStr;
    case ftSmallint:
    case ftWord:
    case ftInteger:
    case ftAutoInc:
        return varInteger;
    case ftLargeint:
        return varInt64;
    case ftFloat:
    case ftBCD:
    case ftFMTBcd:
        return varDouble;
    case ftCurrency:
        return varCurrency;
    case ftBoolean:
        return varBoolean;
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftTimeStamp:
        return varDate;
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftTypedBinary:
        return varArray | varByte;
    case ftVariant:
        return varVariant;
    case ftDataSet:
        return varArray | varVariant;
    default:
        return varNull;
    }
}

std::vector<TPacketDeltaRow> ReadDeltaRows(const std::vector<TPacketField>& fields, const Variant& rows) {
    std::vector<TPacketDeltaRow> out;
    if (!VarIsArray(rows)) return out;
    TVarArrayView list(rows);
    out.reserve(list.Count());
    for (int r = 0; r < list.Count(); ++r) {
        if (VarArrayLength(list[r]) < dsSlotCount) BadPacket("delta row " + std::to_string(r));
        TVarArrayView d(list[r]);
        TPacketDeltaRow row;
        try {
            const int status = d[dsStatus].AsInteger();
            if (status < usUnmodified || status > usDeleted)
                BadPacket("state of delta row " + std::to_string(r));
            row.Status = static_cast<TUpdateStatus>(status);
            row.RowId = d[dsRowId].AsInteger();
        } catch (const EVariantError&) {
            BadPacket("delta row " + std::to_string(r));
        }
        TVarArrayView values(d[dsValues]);
        TVarArrayView old(d[dsOldValues]);
        if (values.Count() != static_cast<int>(fields.size()) ||
            (row.Status != usInserted && old.Count() != static_cast<int>(fields.size())))
            BadPacket("values of delta row " + std::to_string(r));
        row.Nested.resize(fields.size());
        for (int i = 0; i < static_cast<int>(fields.size()); ++i) {
            if (fields[i].DataType == ftDataSet) {
                row.Values.push_back(Variant());
                row.Nested[i] = ReadDeltaRows(fields[i].Nested, values[i]);
            } else {
                row.Values.push_back(values[i]);
            }
            if (row.Status != usInserted) row.OldValues.push_back(old[i]);
        }
        out.push_back(std::move(row));
    }
    return out;
}
