// The aligned grid in the form stream: its extra properties written and read back, and the records
// of its cell, column and row properties.
//
// Stream format of the extra properties (binary form values; integers in the smallest of vaInt8,
// vaInt16, vaInt32, strings vaString up to 255 characters, else vaLString):
//   HintCell  = ( col row 'hint' ... )           only when a hint was set or read
//   Cells     = ( col row 'text' ... )           only when the grid was read with Cells
//   PropCell  = ( col row <record> ... )         always; non-empty records inside the grid
//   PropCol, PropRow, PropFixedCol, PropFixedRow = ( index <record> ... )
//   <record>  = tag value ... 0: 1 align, 2 word wrap, 3 editable (1/2), 4 brush, 5 selected brush,
//               6 font, 7 selected font, 8 edit mask (a bare short string, at most 255), 9 control
//   brush     = colour style;  font = colour height 'name' pitch style(bits: bold italic underline strike)
//   control   = kind 'text' <pick list> 'checked' 'unchecked';  pick list = count listonly 'lines'
// Column, row and index are read as their low 16 bits.
#include <algorithm>

#include "classlib/rtl/strutils.h"
#include "components/Aligrid.h"

namespace {

int Low16(int value) {
    return value & 0xFFFF;
}

void WriteBrushValue(TWriter& writer, const TBrush* brush) {
    writer.WriteInteger(static_cast<Int64>(brush->Color()));
    writer.WriteInteger(static_cast<int>(brush->Style()) & 0x7F);
}

void ReadBrushValue(TReader& reader, TBrush* brush) {
    const int color = reader.ReadInteger();
    const int style = reader.ReadInteger() & 0x7F;
    if (style > bsDiagCross) reader.Error("invalid brush style");
    brush->SetColor(static_cast<TColor>(color));
    brush->SetStyle(static_cast<TBrushStyle>(style));
}

void WriteFontValue(TWriter& writer, const TFont* font) {
    writer.WriteInteger(static_cast<Int64>(font->Color()));
    writer.WriteInteger(font->Height());
    writer.WriteString(font->Name());
    writer.WriteInteger(static_cast<int>(font->Pitch()) & 0x7F);
    writer.WriteInteger(static_cast<Int64>(font->Style().Bits() & 0x0F));
}

void ReadFontValue(TReader& reader, TFont* font) {
    const int color = reader.ReadInteger();
    const int height = reader.ReadInteger();
    const AnsiString name = reader.ReadString();
    const int pitch = reader.ReadInteger() & 0x7F;
    const int style = reader.ReadInteger() & 0x0F;
    if (pitch > fpFixed) reader.Error("invalid font pitch");
    font->SetColor(static_cast<TColor>(color));
    font->SetHeight(height);
    font->SetName(name);
    font->SetPitch(static_cast<TFontPitch>(pitch));
    font->SetStyle(TFontStyles::FromBits(static_cast<std::uint64_t>(style)));
}

AnsiString JoinLines(const TStrings* lines) {
    AnsiString text;
    for (int i = 0; i < lines->Count(); ++i) {
        if (i > 0) text += "\r\n";
        text += lines->Get(i);
    }
    return text;
}

void WriteControlValue(TWriter& writer, const TControlInfo* info) {
    writer.WriteInteger(static_cast<int>(info->Kind()));
    writer.WriteString(info->Text());
    // Only a pick-list control holds a list; the others write what a new one holds.
    const TGridStrings* list = info->PickList();
    writer.WriteInteger(list ? list->DropDownCount : 8);
    writer.WriteBoolean(list ? list->ListOnly : false);
    writer.WriteString(list ? JoinLines(list) : AnsiString());
    writer.WriteString(info->CheckedText());
    writer.WriteString(info->UncheckedText());
}

void ReadControlValue(TReader& reader, TControlInfo* info) {
    const int kind = reader.ReadInteger();
    if (kind < 0 || kind > static_cast<int>(TCellControlKind::ctText))
        reader.Error("invalid cell control kind");
    info->SetKind(static_cast<TCellControlKind>(kind));
    info->SetText(reader.ReadString());
    TGridStrings list;
    list.DropDownCount = reader.ReadInteger();
    list.ListOnly = reader.ReadBoolean();
    list.SetText(reader.ReadString());
    info->SetPickList(&list);
    info->SetCheckedText(reader.ReadString());
    info->SetUncheckedText(reader.ReadString());
}

} // namespace

void TCellProperties::WriteToStream(TWriter& writer) const {
    if (Align != TMyAlign::alDefault) writer.WriteInteger(1), writer.WriteInteger(static_cast<int>(Align));
    if (Wordwrap != T_Wordwrap::ww_default)
        writer.WriteInteger(2), writer.WriteInteger(static_cast<int>(Wordwrap));
    if (Editable != 0) writer.WriteInteger(3), writer.WriteInteger(Editable);
    if (FBrush) writer.WriteInteger(4), WriteBrushValue(writer, FBrush.get());
    if (FSelectedBrush) writer.WriteInteger(5), WriteBrushValue(writer, FSelectedBrush.get());
    if (FFont) writer.WriteInteger(6), WriteFontValue(writer, FFont.get());
    if (FSelectedFont) writer.WriteInteger(7), WriteFontValue(writer, FSelectedFont.get());
    if (!EditMask.empty()) writer.WriteInteger(8), writer.WriteStr(EditMask.substr(0, 255));
    if (FControlInfo && FControlInfo->Kind() != TCellControlKind::ctNone)
        writer.WriteInteger(9), WriteControlValue(writer, FControlInfo.get());
    writer.WriteInteger(0);
}

bool TCellProperties::ReadTag(int tag, TReader& reader, TStringAlignGrid*) {
    switch (tag) {
    case 0:
        return false;
    case 1: {
        const int value = reader.ReadInteger();
        if (value < 0 || value > static_cast<int>(TMyAlign::alDefault)) reader.Error("invalid alignment");
        Align = static_cast<TMyAlign>(value);
        break;
    }
    case 2: {
        const int value = reader.ReadInteger();
        if (value < 0 || value > static_cast<int>(T_Wordwrap::ww_default)) reader.Error("invalid word wrap");
        Wordwrap = static_cast<T_Wordwrap>(value);
        break;
    }
    case 3: {
        const int value = reader.ReadInteger();
        if (value < 0 || value > 2) reader.Error("invalid editable setting");
        Editable = static_cast<Byte>(value);
        break;
    }
    case 4:
    case 5: {
        TBrush brush;
        ReadBrushValue(reader, &brush);
        tag == 4 ? SetBrush(&brush) : SetSelectedBrush(&brush);
        break;
    }
    case 6:
    case 7: {
        TFont font;
        ReadFontValue(reader, &font);
        tag == 6 ? SetFont(&font) : SetSelectedFont(&font);
        break;
    }
    case 8:
        EditMask = reader.ReadStr();
        break;
    case 9: {
        TControlInfo info;
        ReadControlValue(reader, &info);
        SetControlInfo(&info);
        break;
    }
    default:
        // An unknown tag has no value: the next item is read as the following tag.
        break;
    }
    return true;
}

void TCellProperties::ReadFromStream(TReader& reader, TStringAlignGrid* grid) {
    while (ReadTag(reader.ReadInteger(), reader, grid)) {
    }
}

// ---- the form stream --------------------------------------------------------------------------------

void TStringAlignGrid::DefineProperties(TFiler& filer) {
    TStringGrid::DefineProperties(filer);
    filer.DefineProperty(
        "HintCell", [this](TReader& r) { ReadHints(r); }, [this](TWriter& w) { WriteHints(w); },
        FHintsStored);
    filer.DefineProperty(
        "Cells", [this](TReader& r) { ReadCellTexts(r); }, [this](TWriter& w) { WriteCellTexts(w); },
        FCellsStored);
    filer.DefineProperty(
        "PropCell", [this](TReader& r) { ReadPropCell(r); }, [this](TWriter& w) { WritePropCell(w); }, true);
    filer.DefineProperty(
        "PropCol", [this](TReader& r) { ReadPropList(r, FColProps); },
        [this](TWriter& w) { WritePropList(w, FColProps, ColCount()); }, true);
    filer.DefineProperty(
        "PropRow", [this](TReader& r) { ReadPropList(r, FRowProps); },
        [this](TWriter& w) { WritePropList(w, FRowProps, RowCount()); }, true);
    filer.DefineProperty(
        "PropFixedCol", [this](TReader& r) { ReadPropList(r, FFixedColProps); },
        [this](TWriter& w) { WritePropList(w, FFixedColProps, ColCount()); }, true);
    filer.DefineProperty(
        "PropFixedRow", [this](TReader& r) { ReadPropList(r, FFixedRowProps); },
        [this](TWriter& w) { WritePropList(w, FFixedRowProps, RowCount()); }, true);

    // The older names: read, never written.
    auto u16 = [](const Byte* p) { return static_cast<int>(p[0]) | (static_cast<int>(p[1]) << 8); };
    auto readBinary = [](TStream& stream) {
        AnsiString bytes(static_cast<std::size_t>(stream.Size() - stream.Position()), '\0');
        if (!bytes.empty()) stream.ReadBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
        return bytes;
    };
    auto alignValue = [](Byte b) { return b <= 3 ? static_cast<TMyAlign>(b) : TMyAlign::alDefault; };
    filer.DefineBinaryProperty(
        "AlignCell",
        [=, this](TStream& s) {
            const AnsiString b = readBinary(s);
            for (std::size_t i = 0; i + 5 <= b.size(); i += 5) {
                const auto* p = reinterpret_cast<const Byte*>(b.data() + i);
                GetCellProps(u16(p), u16(p + 2))->Align = alignValue(p[4]);
            }
        },
        nullptr, false);
    struct TIndexed {
        const char* Name;
        TPropList* List;
    };
    for (const TIndexed& e : {TIndexed{"AlignCol", &FColProps}, TIndexed{"FixedAlignCol", &FFixedColProps},
                              TIndexed{"AlignRow", &FRowProps}, TIndexed{"FixedAlignRow", &FFixedRowProps}}) {
        TPropList* list = e.List;
        filer.DefineBinaryProperty(
            e.Name,
            [=, this](TStream& s) {
                const AnsiString b = readBinary(s);
                for (std::size_t i = 0; i + 3 <= b.size(); i += 3) {
                    const auto* p = reinterpret_cast<const Byte*>(b.data() + i);
                    Need(*list, u16(p))->Align = alignValue(p[2]);
                }
            },
            nullptr, false);
    }
    filer.DefineBinaryProperty(
        "EditCell",
        [=, this](TStream& s) {
            const AnsiString b = readBinary(s);
            for (std::size_t i = 0; i + 5 <= b.size(); i += 5) {
                const auto* p = reinterpret_cast<const Byte*>(b.data() + i);
                GetCellProps(u16(p), u16(p + 2))->Editable = static_cast<Byte>(p[4] + 1);
            }
        },
        nullptr, false);
    for (const TIndexed& e : {TIndexed{"EditCol", &FColProps}, TIndexed{"EditRow", &FRowProps}}) {
        TPropList* list = e.List;
        filer.DefineBinaryProperty(
            e.Name,
            [=, this](TStream& s) {
                const AnsiString b = readBinary(s);
                for (std::size_t i = 0; i + 3 <= b.size(); i += 3) {
                    const auto* p = reinterpret_cast<const Byte*>(b.data() + i);
                    Need(*list, u16(p))->Editable = static_cast<Byte>(p[2] + 1);
                }
            },
            nullptr, false);
    }
    // Lists of (column, row, value) or (index, value).
    auto cellList = [this](TReader& r, const std::function<void(int, int)>& apply) {
        r.ReadListBegin();
        while (!r.EndOfList()) {
            const int col = Low16(r.ReadInteger());
            const int row = Low16(r.ReadInteger());
            apply(col, row);
        }
        r.ReadListEnd();
    };
    auto indexList = [](TReader& r, const std::function<void(int)>& apply) {
        r.ReadListBegin();
        while (!r.EndOfList())
            apply(Low16(r.ReadInteger()));
        r.ReadListEnd();
    };
    filer.DefineProperty(
        "FontCell",
        [=, this](TReader& r) { cellList(r, [&](int c, int w) { ReadFontValue(r, FontCell(c, w)); }); },
        nullptr, false);
    using TIndexFont = TFont* (TStringAlignGrid::*)(int);
    const std::pair<const char*, TIndexFont> fonts[] = {{"FontCol", &TStringAlignGrid::FontCol},
                                                        {"FontFixedCol", &TStringAlignGrid::FontFixedCol},
                                                        {"FontRow", &TStringAlignGrid::FontRow},
                                                        {"FontFixedRow", &TStringAlignGrid::FontFixedRow}};
    for (const auto& [name, get] : fonts) {
        TIndexFont fn = get;
        filer.DefineProperty(
            name, [=, this](TReader& r) { indexList(r, [&](int i) { ReadFontValue(r, (this->*fn)(i)); }); },
            nullptr, false);
    }
    filer.DefineProperty(
        "BrushCell",
        [=, this](TReader& r) { cellList(r, [&](int c, int w) { ReadBrushValue(r, BrushCell(c, w)); }); },
        nullptr, false);
    using TIndexBrush = TBrush* (TStringAlignGrid::*)(int);
    const std::pair<const char*, TIndexBrush> brushes[] = {
        {"BrushCol", &TStringAlignGrid::BrushCol},
        {"BrushFixedCol", &TStringAlignGrid::BrushFixedCol},
        {"BrushRow", &TStringAlignGrid::BrushRow},
        {"BrushFixedRow", &TStringAlignGrid::BrushFixedRow}};
    for (const auto& [name, get] : brushes) {
        TIndexBrush fn = get;
        filer.DefineProperty(
            name, [=, this](TReader& r) { indexList(r, [&](int i) { ReadBrushValue(r, (this->*fn)(i)); }); },
            nullptr, false);
    }
    filer.DefineProperty(
        "ColorCell",
        [=, this](TReader& r) {
            cellList(r,
                     [&](int c, int w) { BrushCell(c, w)->SetColor(static_cast<TColor>(r.ReadInteger())); });
        },
        nullptr, false);
    const std::pair<const char*, TIndexBrush> colors[] = {
        {"ColorCol", &TStringAlignGrid::BrushCol},
        {"ColorFixedCol", &TStringAlignGrid::BrushFixedCol},
        {"ColorRow", &TStringAlignGrid::BrushRow},
        {"ColorFixedRow", &TStringAlignGrid::BrushFixedRow}};
    for (const auto& [name, get] : colors) {
        TIndexBrush fn = get;
        filer.DefineProperty(
            name,
            [=, this](TReader& r) {
                indexList(r, [&](int i) { (this->*fn)(i)->SetColor(static_cast<TColor>(r.ReadInteger())); });
            },
            nullptr, false);
    }
    filer.DefineProperty(
        "SelectedColorCell",
        [=, this](TReader& r) {
            cellList(r,
                     [&](int c, int w) { SetSelectedColorCell(c, w, static_cast<TColor>(r.ReadInteger())); });
        },
        nullptr, false);
    filer.DefineProperty(
        "SelectedColorCol",
        [=, this](TReader& r) {
            indexList(r, [&](int i) { SetSelectedColorCol(i, static_cast<TColor>(r.ReadInteger())); });
        },
        nullptr, false);
    filer.DefineProperty(
        "SelectedColorRow",
        [=, this](TReader& r) {
            indexList(r, [&](int i) { SetSelectedColorRow(i, static_cast<TColor>(r.ReadInteger())); });
        },
        nullptr, false);
}

void TStringAlignGrid::ReadPropCell(TReader& reader) {
    reader.ReadListBegin();
    while (!reader.EndOfList()) {
        const int col = Low16(reader.ReadInteger());
        const int row = Low16(reader.ReadInteger());
        std::unique_ptr<TCellProperties> record(NewProps());
        record->ReadFromStream(reader, this);
        if (static_cast<std::size_t>(col) >= FCellProps.size())
            FCellProps.resize(static_cast<std::size_t>(col) + 1);
        TPropList& list = FCellProps[static_cast<std::size_t>(col)];
        if (static_cast<std::size_t>(row) >= list.size()) list.resize(static_cast<std::size_t>(row) + 1);
        list[static_cast<std::size_t>(row)] = std::move(record);
    }
    reader.ReadListEnd();
}

void TStringAlignGrid::ReadPropList(TReader& reader, TPropList& list) {
    reader.ReadListBegin();
    while (!reader.EndOfList()) {
        const int index = Low16(reader.ReadInteger());
        std::unique_ptr<TCellProperties> record(NewProps());
        record->ReadFromStream(reader, this);
        if (static_cast<std::size_t>(index) >= list.size()) list.resize(static_cast<std::size_t>(index) + 1);
        list[static_cast<std::size_t>(index)] = std::move(record);
    }
    reader.ReadListEnd();
}

void TStringAlignGrid::WritePropCell(TWriter& writer) {
    writer.WriteListBegin();
    const int cols = std::min(ColCount(), static_cast<int>(FCellProps.size()));
    for (int col = 0; col < cols; ++col) {
        const TPropList& list = FCellProps[static_cast<std::size_t>(col)];
        const int rows = std::min(RowCount(), static_cast<int>(list.size()));
        for (int row = 0; row < rows; ++row) {
            const TCellProperties* p = list[static_cast<std::size_t>(row)].get();
            if (!p || p->IsEmpty()) continue;
            writer.WriteInteger(col);
            writer.WriteInteger(row);
            p->WriteToStream(writer);
        }
    }
    writer.WriteListEnd();
}

void TStringAlignGrid::WritePropList(TWriter& writer, const TPropList& list, int count) {
    writer.WriteListBegin();
    const int n = std::min(count, static_cast<int>(list.size()));
    for (int i = 0; i < n; ++i) {
        const TCellProperties* p = list[static_cast<std::size_t>(i)].get();
        if (!p || p->IsEmpty()) continue;
        writer.WriteInteger(i);
        p->WriteToStream(writer);
    }
    writer.WriteListEnd();
}

void TStringAlignGrid::ReadHints(TReader& reader) {
    reader.ReadListBegin();
    while (!reader.EndOfList()) {
        const int col = Low16(reader.ReadInteger());
        const int row = Low16(reader.ReadInteger());
        SetHintCell(col, row, reader.ReadString());
    }
    reader.ReadListEnd();
    FHintsStored = true;
}

void TStringAlignGrid::WriteHints(TWriter& writer) {
    writer.WriteListBegin();
    for (int col = 0; col < ColCount(); ++col)
        for (int row = 0; row < RowCount(); ++row)
            if (HasCellHint(col, row)) {
                writer.WriteInteger(col);
                writer.WriteInteger(row);
                writer.WriteString(GetHintCell(col, row));
            }
    writer.WriteListEnd();
}

void TStringAlignGrid::ReadCellTexts(TReader& reader) {
    if (!FLoadedCells) FLoadedCells = std::make_unique<std::vector<THintList>>();
    reader.ReadListBegin();
    while (!reader.EndOfList()) {
        const int col = Low16(reader.ReadInteger());
        const int row = Low16(reader.ReadInteger());
        const AnsiString text = reader.ReadString();
        auto& cols = *FLoadedCells;
        if (static_cast<std::size_t>(col) >= cols.size()) cols.resize(static_cast<std::size_t>(col) + 1);
        THintList& list = cols[static_cast<std::size_t>(col)];
        if (static_cast<std::size_t>(row) >= list.size()) list.resize(static_cast<std::size_t>(row) + 1);
        list[static_cast<std::size_t>(row)] = text;
    }
    reader.ReadListEnd();
    FCellsStored = true;
}

void TStringAlignGrid::WriteCellTexts(TWriter& writer) {
    writer.WriteListBegin();
    for (int col = 0; col < ColCount(); ++col)
        for (int row = 0; row < RowCount(); ++row) {
            const AnsiString text = GetGridCellText(this, col, row);
            if (text.empty()) continue;
            writer.WriteInteger(col);
            writer.WriteInteger(row);
            writer.WriteString(text);
        }
    writer.WriteListEnd();
}

void TStringAlignGrid::Loaded() {
    TStringGrid::Loaded();
    if (FFixedBrush) FFixedBrush->SetColor(FixedColor());
    if (FLoadedCells) {
        const auto& cols = *FLoadedCells;
        for (int col = 0; col < ColCount(); ++col)
            for (int row = 0; row < RowCount(); ++row) {
                const THintList* list = static_cast<std::size_t>(col) < cols.size()
                                            ? &cols[static_cast<std::size_t>(col)]
                                            : nullptr;
                const bool has = list && static_cast<std::size_t>(row) < list->size() &&
                                 (*list)[static_cast<std::size_t>(row)];
                SetCells(col, row, has ? *(*list)[static_cast<std::size_t>(row)] : AnsiString());
            }
        if (!ComponentState().Contains(csDesigning)) FLoadedCells.reset();
    }
    // Editing: the editor comes back when the grid is entered again.
    FRestoreEditor = Options().Contains(goAlwaysShowEditor);
    if (SelectEditText) FSavedSelStart = 0, FSavedSelLength = -1;
    HideEditor();
}

void TStringAlignGrid::DumpDetails(std::vector<AnsiString>& lines, const AnsiString& indent) const {
    for (int row = 0; row < RowCount(); ++row) {
        AnsiString line = indent + "|";
        for (int col = 0; col < ColCount(); ++col)
            line += " " + GetGridCellText(this, col, row) + " |";
        lines.push_back(line);
    }
}
