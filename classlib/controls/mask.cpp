#include "classlib/controls/mask.h"

#include <algorithm>

#include "classlib/controls/dialogs.h"
#include "classlib/rtl/datetime.h"

const char* const SMaskEditErr = "Invalid input value. Use escape key to abandon changes";

namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsMaskKind(char c) {
    switch (c) {
    case 'L':
    case 'l':
    case 'A':
    case 'a':
    case 'C':
    case 'c':
    case '0':
    case '9':
    case '#':
        return true;
    default:
        return false;
    }
}

char ApplyCase(char c, TMaskCase mode) {
    if (mode == TMaskCase::Upper && c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
    if (mode == TMaskCase::Lower && c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
    return c;
}

// Splits "mask;save;blank" at the separators that are not escaped.
std::vector<AnsiString> SplitFields(const AnsiString& editMask) {
    std::vector<AnsiString> fields(1);
    for (size_t i = 0; i < editMask.size(); ++i) {
        char c = editMask[i];
        if (c == '\\' && i + 1 < editMask.size() && fields.size() == 1) {
            fields.back() += c;
            fields.back() += editMask[++i];
        } else if (c == ';' && fields.size() < 3) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

} // namespace

TEditMask::TEditMask(const AnsiString& editMask) : FEditMask(editMask) {
    std::vector<AnsiString> fields = SplitFields(editMask);
    if (fields.size() > 1 && !fields[1].empty()) FSaveLiterals = fields[1][0] != '0';
    if (fields.size() > 2 && !fields[2].empty()) FBlank = fields[2][0];
    const AnsiString& mask = fields[0];
    TMaskCase mode = TMaskCase::None;
    for (size_t i = 0; i < mask.size(); ++i) {
        char c = mask[i];
        TMaskPosition pos;
        pos.Case = mode;
        if (c == '!') {
            FReverse = true;
            continue;
        }
        if (c == '<' && i + 1 < mask.size() && mask[i + 1] == '>') {
            mode = TMaskCase::None;
            ++i;
            continue;
        }
        if (c == '>') {
            mode = TMaskCase::Upper;
            continue;
        }
        if (c == '<') {
            mode = TMaskCase::Lower;
            continue;
        }
        if (c == '\\') {
            if (i + 1 >= mask.size()) break;
            pos.Literal = mask[++i];
        } else if (IsMaskKind(c)) {
            pos.Kind = c;
        } else if (c == ':') {
            pos.Literal = TimeSeparator();
        } else if (c == '/') {
            pos.Literal = DateSeparator();
        } else if (c == '_') {
            pos.Literal = ' ';
        } else {
            pos.Literal = c;
        }
        FPositions.push_back(pos);
    }
}

bool TEditMask::IsLiteral(int index) const {
    return index >= 0 && index < Length() && FPositions[static_cast<size_t>(index)].IsLiteral();
}

AnsiString TEditMask::EmptyEditText() const {
    AnsiString result;
    for (const TMaskPosition& pos : FPositions)
        result += pos.IsLiteral() ? pos.Literal : FBlank;
    return result;
}

bool TEditMask::Accepts(int index, char c, char* result) const {
    if (index < 0 || index >= Length()) return false;
    const TMaskPosition& pos = FPositions[static_cast<size_t>(index)];
    bool ok = false;
    switch (pos.Kind) {
    case 'L':
    case 'l':
        ok = IsAsciiLetter(c);
        break;
    case 'A':
    case 'a':
        ok = IsAsciiLetter(c) || IsAsciiDigit(c);
        break;
    case 'C':
    case 'c':
        ok = static_cast<unsigned char>(c) >= 0x20;
        break;
    case '0':
    case '9':
        ok = IsAsciiDigit(c);
        break;
    case '#':
        ok = IsAsciiDigit(c) || c == '+' || c == '-';
        break;
    default:
        ok = false;
    }
    if (ok && result) *result = ApplyCase(c, pos.Case);
    return ok;
}

int TEditMask::NextEditable(int index) const {
    if (index < 0) index = 0;
    while (index < Length() && IsLiteral(index))
        ++index;
    return index < Length() ? index : Length();
}

int TEditMask::PreviousEditable(int index) const {
    if (index >= Length()) index = Length() - 1;
    while (index >= 0 && IsLiteral(index))
        --index;
    return index;
}

AnsiString TEditMask::TextFromEditText(const AnsiString& editText) const {
    if (Empty()) return editText;
    AnsiString result;
    for (int i = 0; i < Length(); ++i) {
        const TMaskPosition& pos = FPositions[static_cast<size_t>(i)];
        char c = i < static_cast<int>(editText.size()) ? editText[static_cast<size_t>(i)] : FBlank;
        if (pos.IsLiteral()) {
            if (FSaveLiterals) result += pos.Literal;
        } else {
            result += c == FBlank ? ' ' : c;
        }
    }
    if (!FSaveLiterals) {
        if (FReverse) {
            size_t first = result.find_first_not_of(' ');
            result.erase(0, first == AnsiString::npos ? result.size() : first);
        } else {
            size_t last = result.find_last_not_of(' ');
            result.erase(last == AnsiString::npos ? 0 : last + 1);
        }
    }
    return result;
}

AnsiString TEditMask::EditTextFromText(const AnsiString& text) const {
    if (Empty()) return text;
    AnsiString result = EmptyEditText();
    const int n = Length();
    const int len = static_cast<int>(text.size());
    // Walk the positions and the value together, from the left, or from the right with '!'.
    const int step = FReverse ? -1 : 1;
    int t = FReverse ? len - 1 : 0;
    for (int k = 0; k < n; ++k) {
        int i = FReverse ? n - 1 - k : k;
        if (t < 0 || t >= len) break;
        const TMaskPosition& pos = FPositions[static_cast<size_t>(i)];
        char c = text[static_cast<size_t>(t)];
        if (pos.IsLiteral()) {
            // A saved literal is consumed when the value holds it; a missing one is supplied.
            if (FSaveLiterals && c == pos.Literal) t += step;
            continue;
        }
        char accepted = 0;
        bool blank = c == FBlank || (c == ' ' && pos.Kind != 'C' && pos.Kind != 'c');
        if (!blank && Accepts(i, c, &accepted)) result[static_cast<size_t>(i)] = accepted;
        t += step;
    }
    return result;
}

int TEditMask::FirstInvalid(const AnsiString& editText) const {
    for (int i = 0; i < Length(); ++i) {
        const TMaskPosition& pos = FPositions[static_cast<size_t>(i)];
        if (pos.IsLiteral()) continue;
        char c = i < static_cast<int>(editText.size()) ? editText[static_cast<size_t>(i)] : FBlank;
        bool blank = c == FBlank || (c == ' ' && pos.Kind != 'C' && pos.Kind != 'c');
        if (blank) {
            if (pos.Required()) return i;
            continue;
        }
        if (!Accepts(i, c)) return i;
    }
    return -1;
}

void TEditMask::Validate(const AnsiString& editText) const {
    if (FirstInvalid(editText) >= 0) throw EDBEditError(SMaskEditErr);
}

AnsiString FormatMaskText(const AnsiString& editMask, const AnsiString& value) {
    TEditMask mask(editMask);
    AnsiString edit = mask.EditTextFromText(value);
    for (int i = 0; i < mask.Length(); ++i)
        if (!mask.IsLiteral(i) && edit[static_cast<size_t>(i)] == mask.Blank())
            edit[static_cast<size_t>(i)] = ' ';
    return edit;
}

bool MaskGetMaskSave(const AnsiString& editMask) {
    return TEditMask(editMask).SaveLiterals();
}

char MaskGetMaskBlank(const AnsiString& editMask) {
    return TEditMask(editMask).Blank();
}

// TCustomMaskEdit ----------------------------------------------------------------------------------------

TCustomMaskEdit::TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}

void TCustomMaskEdit::SetEditMask(const AnsiString& value) {
    AnsiString current = Text();
    FMask = TEditMask(value);
    SetMaxLength(IsMasked() ? FMask.Length() : 0);
    SetEditBuffer(IsMasked() ? FMask.EditTextFromText(current) : current);
}

void TCustomMaskEdit::SetEditText(const AnsiString& value) {
    if (!IsMasked()) {
        SetEditBuffer(value);
        return;
    }
    AnsiString edit = FMask.EmptyEditText();
    for (int i = 0; i < FMask.Length() && i < static_cast<int>(value.size()); ++i)
        if (!FMask.IsLiteral(i)) edit[static_cast<size_t>(i)] = value[static_cast<size_t>(i)];
    SetEditBuffer(edit);
}

AnsiString TCustomMaskEdit::GetText() const {
    return IsMasked() ? FMask.TextFromEditText(EditBuffer()) : EditBuffer();
}

void TCustomMaskEdit::SetTextBuf(const AnsiString& value) {
    TCustomEdit::SetTextBuf(IsMasked() ? FMask.EditTextFromText(value) : value);
}

void TCustomMaskEdit::ValidateEdit() {
    if (IsMasked()) FMask.Validate(EditBuffer());
}

void TCustomMaskEdit::TypeChar(char key) {
    if (!IsMasked()) {
        TCustomEdit::TypeChar(key);
        return;
    }
    if (ReadOnly()) return;
    AnsiString edit = EditBuffer();
    int pos = FSelStart;
    // Typing a literal jumps over it.
    if (FMask.IsLiteral(pos) && FMask.Position(pos).Literal == key) {
        FSelStart = std::min(pos + 1, FMask.Length());
        FSelLength = 0;
        Invalidate();
        return;
    }
    pos = FMask.NextEditable(pos);
    char accepted = 0;
    if (pos >= FMask.Length() || !FMask.Accepts(pos, key, &accepted)) {
        MessageBeep(0);
        return;
    }
    // Typing over a selection blanks the rest of it.
    for (int i = pos + 1; i < FSelStart + FSelLength && i < FMask.Length(); ++i)
        if (!FMask.IsLiteral(i)) edit[static_cast<size_t>(i)] = FMask.Blank();
    edit[static_cast<size_t>(pos)] = accepted;
    FModified = true;
    SetEditBuffer(edit);
    int next = FMask.NextEditable(pos + 1);
    FSelStart = next;
    FSelLength = 0;
}

void TCustomMaskEdit::DeleteKey(bool backwards) {
    if (!IsMasked()) {
        TCustomEdit::DeleteKey(backwards);
        return;
    }
    if (ReadOnly()) return;
    AnsiString edit = EditBuffer();
    if (FSelLength > 0) {
        for (int i = FSelStart; i < FSelStart + FSelLength && i < FMask.Length(); ++i)
            if (!FMask.IsLiteral(i)) edit[static_cast<size_t>(i)] = FMask.Blank();
    } else {
        int pos = backwards ? FMask.PreviousEditable(FSelStart - 1) : FMask.NextEditable(FSelStart);
        if (pos < 0 || pos >= FMask.Length()) return;
        edit[static_cast<size_t>(pos)] = FMask.Blank();
        FSelStart = backwards ? pos : FSelStart;
    }
    FSelLength = 0;
    FModified = true;
    SetEditBuffer(edit);
}

void TCustomMaskEdit::PasteText(const AnsiString& text) {
    for (char c : text) {
        if (FSelStart >= FMask.Length()) break;
        TypeChar(c);
    }
}

void TCustomMaskEdit::WMPaste(TMessage& message) {
    if (!IsMasked()) {
        InheritedMessage(message);
        return;
    }
    if (!ReadOnly() && Clipboard()->HasFormat(CF_TEXT)) PasteText(Clipboard()->AsText());
}

void TCustomMaskEdit::KeyDown(Word& key, TShiftState shift) {
    if (IsMasked() && key == VK_ESCAPE && FModified) {
        SetEditBuffer(FEnterText);
        FModified = false;
        SelectAll();
        key = 0;
        return;
    }
    TCustomEdit::KeyDown(key, shift);
}

void TCustomMaskEdit::DoEnter() {
    FEnterText = EditBuffer();
    TCustomEdit::DoEnter();
}

void TCustomMaskEdit::DoExit() {
    if (IsMasked() && FModified) ValidateEdit();
    TCustomEdit::DoExit();
}

KVR_MESSAGE_MAP(TCustomMaskEdit, m) {
    m.Handle(WM_PASTE, &TCustomMaskEdit::WMPaste);
}

KVR_PUBLISHED(TCustomMaskEdit, c) {
    c.Property("EditMask", &TCustomMaskEdit::EditMask, &TCustomMaskEdit::SetEditMask);
}
KVR_PUBLISHED(TMaskEdit, c) {
    (void)c;
}
