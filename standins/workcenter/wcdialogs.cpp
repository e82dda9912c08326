#include "standins/workcenter/wcdialogs.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include <mutex>

#include "classlib/rtl/datetime.h"
#include "classlib/rtl/dynlib.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/inifiles.h"
#include "classlib/rtl/registry.h"
#include "classlib/rtl/strutils.h"
#include "classlib/rtl/varview.h"

namespace {

constexpr int kMargin = 8;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kMaxColumnWidth = 320;

// A control owned by the dialog and placed on it.
template <typename T> T* Make(TForm* form, const char* name, int left, int top, int width, int height) {
    auto* control = new T(form);
    control->SetName(name);
    control->SetBounds(left, top, width, height);
    control->SetParent(form);
    return control;
}

TButton* MakeButton(TForm* form, const char* name, const char* caption, int left, int top,
                    TModalResult result = mrNone) {
    auto* button = Make<TButton>(form, name, left, top, kButtonWidth, kButtonHeight);
    button->SetCaption(caption);
    button->SetModalResult(result);
    return button;
}

// The OK and Cancel buttons at the bottom right of a dialog.
void MakeOKCancel(TForm* form, TButton*& ok, TButton*& cancel, TModalResult okResult) {
    const int top = form->ClientHeight() - kMargin - kButtonHeight;
    const int right = form->ClientWidth() - kMargin;
    ok = MakeButton(form, "btnOK", "确定", right - 2 * kButtonWidth - kMargin, top, okResult);
    ok->SetDefault(true);
    cancel = MakeButton(form, "btnCancel", "取消", right - kButtonWidth, top, mrCancel);
    cancel->SetCancel(true);
}

void SetUpDialog(TForm* form, const char* caption, int width, int height) {
    form->SetBorderStyle(bsDialog);
    form->SetPosition(poScreenCenter);
    form->SetCaption(caption);
    form->SetClientWidth(width);
    form->SetClientHeight(height);
}

// Wide enough for the longest text of the column, within reason (single-byte characters are half as
// wide as double-byte ones in the fixed metric).
int ColumnWidth(const std::vector<AnsiString>& texts) {
    std::size_t longest = 2;
    for (const AnsiString& text : texts)
        longest = std::max(longest, text.size());
    return std::min(kMaxColumnWidth, static_cast<int>(longest) * 7 + 8);
}

AnsiString AsYYYYMMDD(TDateTime date) {
    Word year = 0, month = 0, day = 0;
    DecodeDate(date, year, month, day);
    return Format("%.4d%.2d%.2d", {static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)});
}

bool AllDigits(const AnsiString& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

// YYYYMMDD, or year/month/day with "/", "-" or "." between; with rocYear a year below 1000 counts
// from 1912.
bool ParseDate(const AnsiString& text, bool rocYear, TDateTime& date) {
    const AnsiString trimmed = Trim(text);
    if (ReadYYYYMMDD(trimmed, date)) return true;
    std::vector<AnsiString> parts(1);
    for (char c : trimmed) {
        if (c == '/' || c == '-' || c == '.')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    if (parts.size() != 3) return false;
    for (const AnsiString& p : parts)
        if (!AllDigits(p) || p.size() > 4) return false;
    int year = std::stoi(parts[0]);
    if (rocYear && year < 1000) year += 1911;
    return year >= 1 && TryEncodeDate(year, std::stoi(parts[1]), std::stoi(parts[2]), date);
}

// ---- the expression reader: sum := term {(+|-) term}; term := factor {(*|/) factor};
// factor := [+|-] (number | "(" sum ")") ----
class TExpression {
public:
    explicit TExpression(const AnsiString& text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(text[i]);
            // The full-width times and divide signs of the keys (GBK A1C1 and A1C2).
            if (c == 0xA1 && i + 1 < text.size() &&
                (static_cast<unsigned char>(text[i + 1]) == 0xC1 ||
                 static_cast<unsigned char>(text[i + 1]) == 0xC2)) {
                FText += static_cast<unsigned char>(text[i + 1]) == 0xC1 ? '*' : '/';
                ++i;
            } else if (c != ' ' && c != ',') {
                FText += static_cast<char>(c);
            }
        }
    }

    bool Evaluate(double& value, AnsiString& error) {
        if (FText.empty()) return Fail(error, "没有算式");
        if (!Sum(value) || FPos != FText.size()) return Fail(error, FError.empty() ? "算式有误" : FError);
        if (!std::isfinite(value)) return Fail(error, "结果超出范围");
        return true;
    }

private:
    bool Fail(AnsiString& error, const AnsiString& reason) {
        error = reason;
        return false;
    }
    char Peek() const { return FPos < FText.size() ? FText[FPos] : '\0'; }

    bool Sum(double& value) {
        if (!Term(value)) return false;
        while (Peek() == '+' || Peek() == '-') {
            const char op = FText[FPos++];
            double right = 0;
            if (!Term(right)) return false;
            value = op == '+' ? value + right : value - right;
        }
        return true;
    }
    bool Term(double& value) {
        if (!Factor(value)) return false;
        while (Peek() == '*' || Peek() == '/') {
            const char op = FText[FPos++];
            double right = 0;
            if (!Factor(right)) return false;
            if (op == '/' && right == 0) {
                FError = "除数不能为零";
                return false;
            }
            value = op == '*' ? value * right : value / right;
        }
        return true;
    }
    bool Factor(double& value) {
        if (++FDepth > 100) return false; // nesting a person would never type
        bool negative = false;
        while (Peek() == '+' || Peek() == '-') {
            if (FText[FPos++] == '-') negative = !negative;
        }
        bool ok = false;
        if (Peek() == '(') {
            ++FPos;
            ok = Sum(value) && Peek() == ')';
            if (ok) ++FPos;
        } else {
            const std::size_t start = FPos;
            while (std::isdigit(static_cast<unsigned char>(Peek())) || Peek() == '.')
                ++FPos;
            ok = FPos > start && TryStrToFloat(FText.substr(start, FPos - start), value);
        }
        --FDepth;
        if (ok && negative) value = -value;
        return ok;
    }

    AnsiString FText, FError;
    std::size_t FPos = 0;
    int FDepth = 0;
};

// The calculator's keys: name, caption, and the text a click adds ('' for the keys with their own
// handler).
struct TCalcKey {
    const char* Name;
    const char* Caption;
    const char* Adds;
};
// Five a row, as they stand on the calculator.
const TCalcKey kCalcKeys[] = {
    {"btn7", "7", "7"},    {"btn8", "8", "8"},    {"btn9", "9", "9"},    {"btnDiv", "÷", "÷"},
    {"btnClear", "C", ""}, {"btn4", "4", "4"},    {"btn5", "5", "5"},    {"btn6", "6", "6"},
    {"btnMul", "×", "×"},  {"btnBack", "←", ""},  {"btn1", "1", "1"},    {"btn2", "2", "2"},
    {"btn3", "3", "3"},    {"btnSub", "-", "-"},  {"btnLeft", "(", "("}, {"btn0", "0", "0"},
    {"btnDot", ".", "."},  {"btnEqual", "=", ""}, {"btnAdd", "+", "+"},  {"btnRight", ")", ")"},
};

// The host's conversion of its own texts (GB) for a BIG5 user interface: the translator library the
// modules use, loaded by name once; nil when it cannot be had (the texts then stay).
using TGBToBIG5Proc = const char* (*)(const char*);
TGBToBIG5Proc GBToBIG5Proc() {
    static std::once_flag once;
    static TGBToBIG5Proc proc = nullptr;
    std::call_once(once, [] {
        if (HMODULE library = LoadLibrary("Qvlanguage.so"))
            proc = reinterpret_cast<TGBToBIG5Proc>(GetProcAddress(library, "GBtoBIG5"));
    });
    return proc;
}

// Whether the client on this machine shows its user interface in BIG5: its configuration's
// [CodePage] UICodePage (the platform's key names the client folder).
bool ClientInterfaceIsBig5() {
    TRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!registry.OpenKeyReadOnly("Software\\QVN\\Veltrane")) return false;
    const AnsiString folder = registry.ReadString("ClientPath");
    if (folder.empty()) return false;
    const TIniFile ini(IncludeTrailingBackslash(folder) + "VeltraneC.ini");
    return Trim(ini.ReadString("CodePage", "UICodePage", "")) == "950";
}

AnsiString ToBig5(TGBToBIG5Proc proc, const AnsiString& text) {
    if (!proc || text.empty()) return text;
    const char* converted = proc(text.c_str());
    return converted ? AnsiString(converted) : text;
}

} // namespace

AnsiString HostWindowText(const AnsiString& text) {
    return ClientInterfaceIsBig5() ? ToBig5(GBToBIG5Proc(), text) : text;
}

void SpeakClientInterface(TForm* form) {
    if (!form || !ClientInterfaceIsBig5()) return;
    const TGBToBIG5Proc proc = GBToBIG5Proc();
    if (!proc) return;
    form->SetCaption(ToBig5(proc, form->Caption()));
    for (int i = 0; i < form->ComponentCount(); ++i) {
        TComponent* component = form->Components(i);
        if (auto* grid = dynamic_cast<TStringGrid*>(component)) {
            for (int row = 0; row < grid->RowCount(); ++row)
                for (int col = 0; col < grid->ColCount(); ++col)
                    grid->SetCells(col, row, ToBig5(proc, grid->Cells(col, row)));
        } else if (auto* button = dynamic_cast<TButton*>(component)) {
            button->SetCaption(ToBig5(proc, button->Caption()));
        } else if (auto* label = dynamic_cast<TLabel*>(component)) {
            label->SetCaption(ToBig5(proc, label->Caption()));
        }
    }
}

bool ReadYYYYMMDD(const AnsiString& text, TDateTime& date) {
    return text.size() == 8 && AllDigits(text) &&
           TryEncodeDate(std::stoi(text.substr(0, 4)), std::stoi(text.substr(4, 2)),
                         std::stoi(text.substr(6, 2)), date);
}

bool EvaluateExpression(const AnsiString& text, double& value, AnsiString& error) {
    value = 0;
    return TExpression(text).Evaluate(value, error);
}

// ---- TfrmLookupWindow ----

KVR_PUBLISHED(TfrmLookupWindow, c) {}

TfrmLookupWindow::TfrmLookupWindow(TComponent* owner) : TForm(owner) {
    SetUpDialog(this, "开窗查询", 600, 400);
    grdRows = Make<TStringGrid>(this, "grdRows", kMargin, kMargin, 600 - 2 * kMargin,
                                400 - 3 * kMargin - kButtonHeight);
    grdRows->SetFixedCols(0);
    grdRows->SetOptions(grdRows->Options() | TGridOptions{goRowSelect});
    grdRows->SetOnKeyDown(TKeyEvent(this, &TfrmLookupWindow::GridKeyDown));
    grdRows->SetOnDblClick(TNotifyEvent(this, &TfrmLookupWindow::GridDblClick));
    MakeOKCancel(this, btnOK, btnCancel, mrOk);
    SetActiveControl(grdRows);
}

void TfrmLookupWindow::Offer(const TChooseRequest& request) {
    switch (request.Kind) {
    case TChooseKind::Lookup:
        SetCaption(request.Table.empty() ? AnsiString("开窗查询") : "开窗查询 - " + request.Table);
        break;
    case TChooseKind::Phrase:
        SetCaption("常用词组");
        break;
    case TChooseKind::Characters:
        SetCaption("特殊字符");
        break;
    }
    FMultiSelect = request.MultiSelect;
    FMarked.assign(request.Rows.size(), false);
    std::size_t columns = request.Captions.size();
    for (const TDbRow& row : request.Rows)
        columns = std::max(columns, row.size());
    const int first = FirstValueColumn();
    grdRows->SetColCount(std::max(1, static_cast<int>(columns) + first));
    grdRows->SetRowCount(1 + std::max<int>(1, static_cast<int>(request.Rows.size())));
    grdRows->SetFixedRows(1);
    if (FMultiSelect) {
        grdRows->SetCells(0, 0, "选");
        grdRows->SetColWidths(0, 24);
    }
    for (std::size_t c = 0; c < columns; ++c) {
        std::vector<AnsiString> texts;
        const AnsiString caption = c < request.Captions.size() ? request.Captions[c] : AnsiString();
        grdRows->SetCells(first + static_cast<int>(c), 0, caption);
        texts.push_back(caption);
        for (std::size_t r = 0; r < request.Rows.size(); ++r) {
            const AnsiString text = c < request.Rows[r].size() ? VarText(request.Rows[r][c]) : AnsiString();
            grdRows->SetCells(first + static_cast<int>(c), static_cast<int>(r) + 1, text);
            texts.push_back(text);
        }
        grdRows->SetColWidths(first + static_cast<int>(c), ColumnWidth(texts));
    }
    grdRows->SetRow(1);
}

bool TfrmLookupWindow::SelectRows(const std::vector<int>& gridRows) {
    for (int row : gridRows)
        if (row < 1 || row > CandidateCount()) return false;
    if (gridRows.empty()) return true;
    if (!FMultiSelect) return gridRows.size() == 1 && grdRows->MoveCurrent(grdRows->Col(), gridRows.front());
    for (int row = 1; row <= CandidateCount(); ++row)
        if (FMarked[static_cast<std::size_t>(row - 1)] !=
            (std::find(gridRows.begin(), gridRows.end(), row) != gridRows.end()))
            ToggleMark(row);
    grdRows->MoveCurrent(grdRows->Col(), gridRows.front());
    return true;
}

void TfrmLookupWindow::ToggleMark(int gridRow) {
    if (!FMultiSelect || gridRow < 1 || gridRow > CandidateCount()) return;
    const std::size_t index = static_cast<std::size_t>(gridRow - 1);
    FMarked[index] = !FMarked[index];
    grdRows->SetCells(MarkColumn(), gridRow, FMarked[index] ? "√" : "");
}

std::vector<int> TfrmLookupWindow::Chosen() const {
    std::vector<int> chosen;
    for (std::size_t i = 0; i < FMarked.size(); ++i)
        if (FMarked[i]) chosen.push_back(static_cast<int>(i));
    if (chosen.empty() && grdRows->Row() >= 1 && grdRows->Row() <= CandidateCount())
        chosen.push_back(grdRows->Row() - 1);
    return chosen;
}

AnsiString TfrmLookupWindow::WaitingDescription() const {
    return "lookup window \"" + Caption() + "\"";
}

void TfrmLookupWindow::GridKeyDown(TObject*, Word& key, TShiftState shift) {
    if (key == VK_SPACE && shift.Empty() && FMultiSelect) {
        ToggleMark(grdRows->Row());
        key = 0;
    }
}

void TfrmLookupWindow::GridDblClick(TObject*) {
    if (CandidateCount() > 0) SetModalResult(mrOk);
}

// ---- TfrmDatePicker ----

KVR_PUBLISHED(TfrmDatePicker, c) {}

TfrmDatePicker::TfrmDatePicker(TComponent* owner) : TForm(owner) {
    SetUpDialog(this, "日期选择", 260, 280);
    btnPrior = Make<TButton>(this, "btnPrior", kMargin, kMargin, 30, kButtonHeight);
    btnPrior->SetCaption("<");
    btnPrior->SetOnClick(TNotifyEvent(this, &TfrmDatePicker::PriorClick));
    lblMonth = Make<TLabel>(this, "lblMonth", 90, kMargin + 5, 100, 16);
    btnNext = Make<TButton>(this, "btnNext", 260 - kMargin - 30, kMargin, 30, kButtonHeight);
    btnNext->SetCaption(">");
    btnNext->SetOnClick(TNotifyEvent(this, &TfrmDatePicker::NextClick));
    grdDays = Make<TStringGrid>(this, "grdDays", kMargin, 40, 260 - 2 * kMargin, 150);
    grdDays->SetColCount(7);
    grdDays->SetRowCount(7);
    grdDays->SetFixedCols(0);
    grdDays->SetFixedRows(1);
    grdDays->SetDefaultColWidth(34);
    grdDays->SetDefaultRowHeight(20);
    static const char* const dayNames[] = {"日", "一", "二", "三", "四", "五", "六"};
    for (int c = 0; c < 7; ++c)
        grdDays->SetCells(c, 0, dayNames[c]);
    grdDays->SetOnClick(TNotifyEvent(this, &TfrmDatePicker::DayClick));
    edtDate = Make<TEdit>(this, "edtDate", kMargin, 198, 120, 21);
    edtDate->SetOnExit(TNotifyEvent(this, &TfrmDatePicker::EditExit));
    btnToday = MakeButton(this, "btnToday", "今天", 260 - kMargin - kButtonWidth, 196);
    btnToday->SetOnClick(TNotifyEvent(this, &TfrmDatePicker::TodayClick));
    lblError = Make<TLabel>(this, "lblError", kMargin, 224, 240, 16);
    MakeOKCancel(this, btnOK, btnCancel, mrOk);
    Show(::Date());
}

void TfrmDatePicker::Start(const AnsiString& date, bool rocYear) {
    FRocYear = rocYear;
    TDateTime start = 0;
    Show(ParseDate(date, false, start) ? start : ::Date());
}

AnsiString TfrmDatePicker::Date() const {
    return AsYYYYMMDD(FDate);
}

bool TfrmDatePicker::SetDate(const AnsiString& date) {
    TDateTime chosen = 0;
    if (!ParseDate(date, FRocYear, chosen)) return false;
    Show(chosen);
    return true;
}

void TfrmDatePicker::MoveMonth(int months) {
    Show(IncMonth(FDate, months));
}

AnsiString TfrmDatePicker::WaitingDescription() const {
    return "date picker \"" + Caption() + "\"";
}

void TfrmDatePicker::Show(TDateTime date) {
    FDate = std::floor(date);
    Word year = 0, month = 0, day = 0;
    DecodeDate(FDate, year, month, day);
    const int shownYear = FRocYear ? year - 1911 : year;
    lblMonth->SetCaption(HostWindowText(Format("%d年%d月", {shownYear, static_cast<int>(month)})));
    edtDate->SetText(Format("%d/%.2d/%.2d", {shownYear, static_cast<int>(month), static_cast<int>(day)}));
    lblError->SetCaption("");
    for (int r = 1; r < 7; ++r)
        for (int c = 0; c < 7; ++c)
            grdDays->SetCells(c, r, "");
    const TDateTime first = EncodeDate(year, month, 1);
    const int offset = DayOfWeek(first) - 1; // Sunday first
    for (int d = 1;; ++d) {
        TDateTime each = 0;
        if (!TryEncodeDate(year, month, d, each)) break;
        const int cell = offset + d - 1;
        grdDays->SetCells(cell % 7, 1 + cell / 7, IntToStr(d));
        if (d == day) {
            grdDays->SetCol(cell % 7);
            grdDays->SetRow(1 + cell / 7);
        }
    }
}

bool TfrmDatePicker::ReadEdit(TDateTime& date) const {
    return ParseDate(edtDate->Text(), FRocYear, date);
}

void TfrmDatePicker::PriorClick(TObject*) {
    MoveMonth(-1);
}

void TfrmDatePicker::NextClick(TObject*) {
    MoveMonth(1);
}

void TfrmDatePicker::TodayClick(TObject*) {
    Show(::Date());
}

void TfrmDatePicker::DayClick(TObject*) {
    const AnsiString text = grdDays->Cells(grdDays->Col(), grdDays->Row());
    if (text.empty()) return;
    Word year = 0, month = 0, day = 0;
    DecodeDate(FDate, year, month, day);
    Show(EncodeDate(year, month, StrToInt(text)));
}

void TfrmDatePicker::EditExit(TObject*) {
    TDateTime typed = 0;
    if (ReadEdit(typed))
        Show(typed);
    else
        lblError->SetCaption(HostWindowText("日期格式错误"));
}

bool TfrmDatePicker::CloseQuery() {
    if (ModalResult() == mrOk) {
        TDateTime typed = 0;
        if (!ReadEdit(typed)) {
            lblError->SetCaption(HostWindowText("日期格式错误"));
            return false;
        }
        Show(typed);
    }
    return TForm::CloseQuery();
}

// ---- TfrmCalculator ----

KVR_PUBLISHED(TfrmCalculator, c) {}

TfrmCalculator::TfrmCalculator(TComponent* owner) : TForm(owner) {
    SetUpDialog(this, "计算器", 2 * kMargin + 5 * 44, 250);
    edtDisplay = Make<TEdit>(this, "edtDisplay", kMargin, kMargin, 5 * 44 - 4, 21);
    lblError = Make<TLabel>(this, "lblError", kMargin, 34, 5 * 44 - 4, 16);
    int index = 0;
    for (const TCalcKey& key : kCalcKeys) {
        auto* button =
            Make<TButton>(this, key.Name, kMargin + (index % 5) * 44, 54 + (index / 5) * 36, 40, 30);
        button->SetCaption(key.Caption);
        ++index;
        const AnsiString name = key.Name;
        if (name == "btnEqual")
            button->SetOnClick(TNotifyEvent(this, &TfrmCalculator::EqualClick));
        else if (name == "btnClear")
            button->SetOnClick(TNotifyEvent(this, &TfrmCalculator::ClearClick));
        else if (name == "btnBack")
            button->SetOnClick(TNotifyEvent(this, &TfrmCalculator::BackClick));
        else
            button->SetOnClick(TNotifyEvent(this, &TfrmCalculator::KeyClick));
    }
    MakeOKCancel(this, btnOK, btnCancel, mrOk);
    SetActiveControl(edtDisplay);
}

void TfrmCalculator::Start(const AnsiString& text) {
    edtDisplay->SetText(Trim(text));
    lblError->SetCaption("");
    FResult.clear();
}

AnsiString TfrmCalculator::WaitingDescription() const {
    return "calculator \"" + edtDisplay->Text() + "\"";
}

void TfrmCalculator::KeyClick(TObject* sender) {
    auto* button = dynamic_cast<TComponent*>(sender);
    if (!button) return;
    for (const TCalcKey& key : kCalcKeys)
        if (button->Name() == key.Name) edtDisplay->SetText(edtDisplay->Text() + key.Adds);
    lblError->SetCaption("");
}

void TfrmCalculator::EqualClick(TObject*) {
    if (Work()) edtDisplay->SetText(FResult);
}

void TfrmCalculator::ClearClick(TObject*) {
    Start("");
}

void TfrmCalculator::BackClick(TObject*) {
    AnsiString text = edtDisplay->Text();
    if (text.empty()) return;
    // A double-byte key (× ÷) goes as one.
    std::size_t cut = text.size() - 1;
    if (cut >= 1 && static_cast<unsigned char>(text[cut - 1]) >= 0x81 &&
        static_cast<unsigned char>(text[cut]) >= 0x40)
        --cut;
    edtDisplay->SetText(text.substr(0, cut));
}

bool TfrmCalculator::Work() {
    double value = 0;
    AnsiString error;
    if (!EvaluateExpression(edtDisplay->Text(), value, error)) {
        lblError->SetCaption(HostWindowText(error));
        FResult.clear();
        return false;
    }
    FResult = FloatToStr(value);
    lblError->SetCaption("");
    return true;
}

bool TfrmCalculator::CloseQuery() {
    if (ModalResult() == mrOk && !Work()) return false;
    return TForm::CloseQuery();
}

// ---- THostDialogs ----

namespace {

// Shows a dialog modally and frees it, whatever happens.
template <typename TDialog, typename TPrepare, typename TAnswer>
auto RunModal(TPrepare prepare, TAnswer answer) -> decltype(answer(std::declval<TDialog&>())) {
    auto* dialog = new TDialog(Application);
    try {
        prepare(*dialog);
        SpeakClientInterface(dialog);
        const bool ok = dialog->ShowModal() == mrOk;
        auto result = ok ? answer(*dialog) : decltype(answer(*dialog))();
        dialog->Free();
        return result;
    } catch (...) {
        dialog->Free();
        throw;
    }
}

} // namespace

std::vector<int> THostDialogs::ChooseRows(const TChooseRequest& request) {
    return RunModal<TfrmLookupWindow>([&](TfrmLookupWindow& dialog) { dialog.Offer(request); },
                                      [](TfrmLookupWindow& dialog) { return dialog.Chosen(); });
}

AnsiString THostDialogs::ChooseDate(const AnsiString& date, bool rocYear) {
    return RunModal<TfrmDatePicker>([&](TfrmDatePicker& dialog) { dialog.Start(date, rocYear); },
                                    [](TfrmDatePicker& dialog) { return dialog.Date(); });
}

AnsiString THostDialogs::Calculate(const AnsiString& text) {
    return RunModal<TfrmCalculator>([&](TfrmCalculator& dialog) { dialog.Start(text); },
                                    [](TfrmCalculator& dialog) { return dialog.Result(); });
}
