#pragma once
// The edit-mask engine of masked edits, and TMaskEdit.
//
// An edit mask has up to three fields separated by ';': the mask itself, whether literal characters are
// saved in Text ('0' no, anything else yes; yes when missing) and the blank character shown for an empty
// position ('_' when missing). In the mask:
//   L letter, required       l letter, optional       A letter or digit, required   a ... optional
//   C any character, req.    c any character, opt.    0 digit, required              9 digit, optional
//   # digit, '+' or '-', optional
//   : time separator         / date separator          _ a space              \x  x as a literal
//   > upper case from here   < lower case from here    <> no case change from here
//   ! optional characters are leading blanks: a value is fitted from the right, Text trims on the left
// Every other character is a literal. EditText is what the control shows (literals and blank
// characters); Text is the value (blank positions as spaces, literals only when saved).
#include <vector>

#include "classlib/controls/stdctrls.h"
#include "classlib/rtl/exceptions.h"
#include "classlib/rtl/types.h"

KVR_DECLARE_EXCEPTION(EDBEditError, Exception)

// The message of a complete entry that does not satisfy its mask.
extern const char* const SMaskEditErr;

enum class TMaskCase { None, Upper, Lower };

// One position of the edit text.
struct TMaskPosition {
    char Kind = 0;      // the mask character (L l A a C c 0 9 #), 0 for a literal
    char Literal = ' '; // the literal character shown
    TMaskCase Case = TMaskCase::None;

    bool IsLiteral() const { return Kind == 0; }
    bool Required() const { return Kind == 'L' || Kind == 'A' || Kind == 'C' || Kind == '0'; }
};

class TEditMask {
public:
    TEditMask() = default;
    explicit TEditMask(const AnsiString& editMask);

    const AnsiString& EditMask() const { return FEditMask; }
    bool Empty() const { return FPositions.empty(); }
    bool SaveLiterals() const { return FSaveLiterals; }
    char Blank() const { return FBlank; }
    bool ReverseDirection() const { return FReverse; }
    int Length() const { return static_cast<int>(FPositions.size()); }
    const TMaskPosition& Position(int index) const { return FPositions[static_cast<size_t>(index)]; }
    bool IsLiteral(int index) const;

    // The edit text of an empty entry: literals in place, blank characters elsewhere.
    AnsiString EmptyEditText() const;
    // Whether c may stand at index; result is c with the position's case applied.
    bool Accepts(int index, char c, char* result = nullptr) const;
    // The next and previous editable index from index (inclusive); Length() / -1 when there is none.
    int NextEditable(int index) const;
    int PreviousEditable(int index) const;

    // Text from edit text: blanks become spaces; literals are kept when saved; without saved literals the
    // blank end is trimmed (the left end with '!', the right end otherwise).
    AnsiString TextFromEditText(const AnsiString& editText) const;
    // Edit text from a value: a value with saved literals is matched position by position; a value
    // without them fills the editable positions in order (from the right with '!'). A character that
    // does not fit its position leaves the position blank.
    AnsiString EditTextFromText(const AnsiString& text) const;
    // The index of the first required position left blank, or -1 when the entry is complete.
    int FirstInvalid(const AnsiString& editText) const;
    // Raises EDBEditError when the entry is not complete.
    void Validate(const AnsiString& editText) const;

private:
    AnsiString FEditMask;
    std::vector<TMaskPosition> FPositions;
    bool FSaveLiterals = true;
    bool FReverse = false;
    char FBlank = '_';
};

// The class library's helpers over a mask text.
AnsiString FormatMaskText(const AnsiString& editMask, const AnsiString& value);
bool MaskGetMaskSave(const AnsiString& editMask);
char MaskGetMaskBlank(const AnsiString& editMask);

// An edit whose text follows an edit mask: typing fills the mask's positions, literals are skipped,
// a character that does not fit is refused with a beep, and leaving a changed entry that is not
// complete raises EDBEditError. Esc gives back the text the edit had when it was entered.
class TCustomMaskEdit : public TCustomEdit {
    KVR_CLASS(TCustomMaskEdit, TCustomEdit)
public:
    explicit TCustomMaskEdit(TComponent* owner);

    const AnsiString& EditMask() const { return FMask.EditMask(); }
    // Reformats the current value into the new mask.
    void SetEditMask(const AnsiString& value);
    bool IsMasked() const { return !FMask.Empty(); }
    const TEditMask& Mask() const { return FMask; }
    // What the edit shows: literals and blank characters in place.
    AnsiString EditText() const { return EditBuffer(); }
    void SetEditText(const AnsiString& value);
    // Raises EDBEditError when the entry is not complete.
    virtual void ValidateEdit();

protected:
    AnsiString GetText() const override;
    void SetTextBuf(const AnsiString& value) override;
    void TypeChar(char key) override;
    void DeleteKey(bool backwards) override;
    void KeyDown(Word& key, TShiftState shift) override;
    void DoEnter() override;
    void DoExit() override;
    void PasteText(const AnsiString& text);
    void WMPaste(TMessage& message);
    KVR_MESSAGES(TCustomMaskEdit)

private:
    TEditMask FMask;
    AnsiString FEnterText;
};

class TMaskEdit : public TCustomMaskEdit {
    KVR_CLASS(TMaskEdit, TCustomMaskEdit)
public:
    explicit TMaskEdit(TComponent* owner) : TCustomMaskEdit(owner) {}
};
