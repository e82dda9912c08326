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

// A list of (column, row, value ...) entries: apply reads each entry's value.
void ReadCellList(TReader& reader, const std::function<void(int, int)>& apply) {
    reader.ReadListBegin();
    while (!reader.EndOfList()) {
        const int col = Low16(reader.ReadInteger());
        const int row = Low16(reader.ReadInteger());
        apply(col, row);
    }
    reader.ReadListEnd();
}

// A list of (index, value ...) entries: apply reads each entry's value.
void ReadIndexList(TReader& reader, const std::function<void(int)>& apply) {
    reader.ReadListBegin();
    while (!reader.EndOfList())
        apply(Low16(reader.ReadInteger()));
    reader.ReadListEnd();
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

    // The older names: read, never written. Binary records of (column, row, value) in five bytes or
    // (index, value) in three, the numbers as low-byte-first 16 bits.
    auto u16 = [](const Byte* p) { return static_cast<int>(p[0]) | (static_cast<int>(p[1]) << 8); };
    auto binaryRecords = [&filer](const char* name, std::size_t size, std::function<void(const Byte*)> item) {
        filer.DefineBinaryProperty(
            name,
            [size, item](TStream& s) {
                AnsiString b(static_cast<std::size_t>(s.Size() - s.Position()), '\0');
                if (!b.empty()) s.ReadBuffer(b.data(), static_cast<Int64>(b.size()));
                for (std::size_t i = 0; i + size <= b.size(); i += size)
                    item(reinterpret_cast<const Byte*>(b.data() + i));
            },
            nullptr, false);
    };
    auto binaryCells = [=](const char* name, std::function<void(int, int, Byte)> item) {
        binaryRecords(name, 5, [=](const Byte* p) { item(u16(p), u16(p + 2), p[4]); });
    };
    auto binaryIndexed = [=](const char* name, std::function<void(int, Byte)> item) {
        binaryRecords(name, 3, [=](const Byte* p) { item(u16(p), p[2]); });
    };
    auto alignValue = [](Byte b) { return b <= 3 ? static_cast<TMyAlign>(b) : TMyAlign::alDefault; };
    binaryCells("AlignCell", [=, this](int c, int w, Byte v) { GetCellProps(c, w)->Align = alignValue(v); });
    struct TIndexed {
        const char* Name;
        TPropList* List;
    };
    for (const TIndexed& e : {TIndexed{"AlignCol", &FColProps}, TIndexed{"FixedAlignCol", &FFixedColProps},
                              TIndexed{"AlignRow", &FRowProps}, TIndexed{"FixedAlignRow", &FFixedRowProps}}) {
        TPropList* list = e.List;
        binaryIndexed(e.Name, [=, this](int i, Byte v) { Need(*list, i)->Align = alignValue(v); });
    }
    binaryCells("EditCell",
                [this](int c, int w, Byte v) { GetCellProps(c, w)->Editable = static_cast<Byte>(v + 1); });
    for (const TIndexed& e : {TIndexed{"EditCol", &FColProps}, TIndexed{"EditRow", &FRowProps}}) {
        TPropList* list = e.List;
        binaryIndexed(e.Name,
                      [=, this](int i, Byte v) { Need(*list, i)->Editable = static_cast<Byte>(v + 1); });
    }
    // Lists of (column, row, value) or (index, value).
    auto cellList = [&filer](const char* name, std::function<void(TReader&, int, int)> item) {
        filer.DefineProperty(
            name, [item](TReader& r) { ReadCellList(r, [&](int c, int w) { item(r, c, w); }); }, nullptr,
            false);
    };
    auto indexList = [&filer](const char* name, std::function<void(TReader&, int)> item) {
        filer.DefineProperty(
            name, [item](TReader& r) { ReadIndexList(r, [&](int i) { item(r, i); }); }, nullptr, false);
    };
    cellList("FontCell", [this](TReader& r, int c, int w) { ReadFontValue(r, FontCell(c, w)); });
    using TIndexFont = TFont* (TStringAlignGrid::*)(int);
    const std::pair<const char*, TIndexFont> fonts[] = {{"FontCol", &TStringAlignGrid::FontCol},
                                                        {"FontFixedCol", &TStringAlignGrid::FontFixedCol},
                                                        {"FontRow", &TStringAlignGrid::FontRow},
                                                        {"FontFixedRow", &TStringAlignGrid::FontFixedRow}};
    for (const auto& [name, get] : fonts) {
        TIndexFont fn = get;
        indexList(name, [this, fn](TReader& r, int i) { ReadFontValue(r, (this->*fn)(i)); });
    }
    cellList("BrushCell", [this](TReader& r, int c, int w) { ReadBrushValue(r, BrushCell(c, w)); });
    using TIndexBrush = TBrush* (TStringAlignGrid::*)(int);
    const std::pair<const char*, TIndexBrush> brushes[] = {
        {"BrushCol", &TStringAlignGrid::BrushCol},
        {"BrushFixedCol", &TStringAlignGrid::BrushFixedCol},
        {"BrushRow", &TStringAlignGrid::BrushRow},
        {"BrushFixedRow", &TStringAlignGrid::BrushFixedRow}};
    for (const auto& [name, get] : brushes) {
        TIndexBrush fn = get;
        indexList(name, [this, fn](TReader& r, int i) { ReadBrushValue(r, (this->*fn)(i)); });
    }
    cellList("ColorCell", [this](TReader& r, int c, int w) {
        BrushCell(c, w)->SetColor(static_cast<TColor>(r.ReadInteger()));
    });
    const std::pair<const char*, TIndexBrush> colors[] = {
        {"ColorCol", &TStringAlignGrid::BrushCol},
        {"ColorFixedCol", &TStringAlignGrid::BrushFixedCol},
        {"ColorRow", &TStringAlignGrid::BrushRow},
        {"ColorFixedRow", &TStringAlignGrid::BrushFixedRow}};
    for (const auto& [name, get] : colors) {
        TIndexBrush fn = get;
        indexList(name, [this, fn](TReader& r, int i) {
            (this->*fn)(i)->SetColor(static_cast<TColor>(r.ReadInteger()));
        });
    }
    cellList("SelectedColorCell", [this](TReader& r, int c, int w) {
        SetSelectedColorCell(c, w, static_cast<TColor>(r.ReadInteger()));
    });
    indexList("SelectedColorCol",
              [this](TReader& r, int i) { SetSelectedColorCol(i, static_cast<TColor>(r.ReadInteger())); });
    indexList("SelectedColorRow",
              [this](TReader& r, int i) { SetSelectedColorRow(i, static_cast<TColor>(r.ReadInteger())); });
}

void TStringAlignGrid::ReadPropCell(TReader& reader) {
    ReadCellList(reader, [&](int col, int row) {
        std::unique_ptr<TCellProperties> record(NewProps());
        record->ReadFromStream(reader, this);
        Slot(Slot(FCellProps, col), row) = std::move(record);
    });
}

void TStringAlignGrid::ReadPropList(TReader& reader, TPropList& list) {
    ReadIndexList(reader, [&](int index) {
        std::unique_ptr<TCellProperties> record(NewProps());
        record->ReadFromStream(reader, this);
        Slot(list, index) = std::move(record);
    });
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
    ReadCellList(reader, [&](int col, int row) { SetHintCell(col, row, reader.ReadString()); });
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
    ReadCellList(reader, [&](int col, int row) {
        const AnsiString text = reader.ReadString();
        Slot(Slot(*FLoadedCells, col), row) = text;
    });
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
