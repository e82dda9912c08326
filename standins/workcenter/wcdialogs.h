#pragma once
// The host's modal dialogs behind the lookup-window service: the lookup window (also the phrase and
// character pickers), the date picker and the calculator. Each is a real modal form, so the
// application's modal driver (a test, a kvrhost script) answers it as a user would; THostDialogs is
// the chooser (wcstate.h) that shows them.
#include "classlib/controls/button.h"
#include "classlib/controls/forms.h"
#include "classlib/controls/grids.h"
#include "classlib/controls/stdctrls.h"
#include "standins/workcenter/wcstate.h"

// The candidate rows in a grid: row 0 the titles, row 1 the first candidate. With several rows
// allowed, column 0 marks the chosen ones (Space or a click on the mark toggles); otherwise the
// current row is the choice. Enter or a double click confirms.
class TfrmLookupWindow : public TForm {
    KVR_CLASS(TfrmLookupWindow, TForm)
public:
    explicit TfrmLookupWindow(TComponent* owner);

    void Offer(const TChooseRequest& request);
    bool MultiSelect() const { return FMultiSelect; }
    int CandidateCount() const { return static_cast<int>(FMarked.size()); }
    // Grid rows (1 the first candidate): the current row, or with MultiSelect the marked ones.
    // False when a row is not a candidate; nothing changes then.
    bool SelectRows(const std::vector<int>& gridRows);
    void ToggleMark(int gridRow);
    // The candidates chosen, by index (0 the first), in grid order.
    std::vector<int> Chosen() const;
    AnsiString WaitingDescription() const override;

    TStringGrid* grdRows;
    TButton* btnOK;
    TButton* btnCancel;

private:
    void GridKeyDown(TObject* sender, Word& key, TShiftState shift);
    void GridDblClick(TObject* sender);
    int MarkColumn() const { return FMultiSelect ? 0 : -1; }
    int FirstValueColumn() const { return FMultiSelect ? 1 : 0; }

    bool FMultiSelect = false;
    std::vector<bool> FMarked;
};

// A month of days under the date being chosen; the date edit takes a typed date too (YYYYMMDD,
// YYYY/MM/DD, or with the ROC-year flag the year counted from 1912).
class TfrmDatePicker : public TForm {
    KVR_CLASS(TfrmDatePicker, TForm)
public:
    explicit TfrmDatePicker(TComponent* owner);

    void Start(const AnsiString& date, bool rocYear);
    // The chosen date as YYYYMMDD.
    AnsiString Date() const;
    // False for a text that is not a date; the choice stays.
    bool SetDate(const AnsiString& date);
    void MoveMonth(int months);
    AnsiString WaitingDescription() const override;

    TButton* btnPrior;
    TLabel* lblMonth;
    TButton* btnNext;
    TStringGrid* grdDays;
    TEdit* edtDate;
    TLabel* lblError;
    TButton* btnToday;
    TButton* btnOK;
    TButton* btnCancel;

private:
    void Show(TDateTime date);
    // The edit's text as a date; false when it is none.
    bool ReadEdit(TDateTime& date) const;
    void PriorClick(TObject* sender);
    void NextClick(TObject* sender);
    void TodayClick(TObject* sender);
    void DayClick(TObject* sender);
    void EditExit(TObject* sender);
    // Confirming takes the typed date; a text that is no date keeps the picker up.
    bool CloseQuery() override;

    TDateTime FDate = 0;
    bool FRocYear = false;
};

// Keys and a display; OK gives the value of the expression shown (+ - * / × ÷ and parentheses). An
// expression that cannot be worked out keeps the dialog open with the reason shown.
class TfrmCalculator : public TForm {
    KVR_CLASS(TfrmCalculator, TForm)
public:
    explicit TfrmCalculator(TComponent* owner);

    void Start(const AnsiString& text);
    AnsiString Result() const { return FResult; }
    AnsiString WaitingDescription() const override;

    TEdit* edtDisplay;
    TLabel* lblError;
    TButton* btnOK;
    TButton* btnCancel;

private:
    void KeyClick(TObject* sender);
    void EqualClick(TObject* sender);
    void ClearClick(TObject* sender);
    void BackClick(TObject* sender);
    bool CloseQuery() override;
    // The display worked out into FResult; false (with lblError set) when it cannot be.
    bool Work();

    AnsiString FResult;
};

// A date written as YYYYMMDD, as the pickers answer it; false for any other text.
bool ReadYYYYMMDD(const AnsiString& text, TDateTime& date);

// Works out an arithmetic expression; false with the reason for a text that is not one, or for a
// division by zero. Thousands separators are ignored, so a field's display text can start it.
bool EvaluateExpression(const AnsiString& text, double& value, AnsiString& error);

// The host's own windows speak the user interface of the client on this machine (its configuration's
// UICodePage): under BIG5 their texts, written in GB, are shown converted. HostWindowText converts one
// text, SpeakClientInterface a whole window (its caption, buttons, labels and grid cells).
AnsiString HostWindowText(const AnsiString& text);
void SpeakClientInterface(TForm* form);

// The chooser of a host with a screen: each request shows its dialog modally.
class THostDialogs : public TWorkCenterChooser {
public:
    std::vector<int> ChooseRows(const TChooseRequest& request) override;
    AnsiString ChooseDate(const AnsiString& date, bool rocYear) override;
    AnsiString Calculate(const AnsiString& text) override;
};
