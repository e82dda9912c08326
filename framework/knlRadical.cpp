#include "framework/knlRadical.h"

#include <cmath>

#include "classlib/db/dsguard.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "foundation/AlertLog.h"
#include "foundation/libstrs.h"

namespace {

bool IsEditing(const TDataSet* dataSet) {
    return dataSet && (dataSet->State() == dsEdit || dataSet->State() == dsInsert);
}

void MakeFlagPositive(TDataSet* dataSet) {
    TField* flag = dataSet->FindField("FLAG");
    if (!flag || flag->IsNull() || flag->AsFloat() >= 0) return;
    dataSet->Edit();
    flag->SetAsFloat(std::fabs(flag->AsFloat()));
    dataSet->Post();
}

bool RestoreNestedFields(TDataSet* dataSet) {
    bool result = true;
    for (int i = 0; i < dataSet->FieldCount(); ++i) {
        auto* field = AsDataSetField(dataSet->Fields()->Fields(i));
        if (field && field->NestedDataSet() && field->NestedDataSet()->Active())
            result = RestoreNegativeFlags(field->NestedDataSet(), true);
    }
    return result;
}

} // namespace

void SuspendDataSetEvents(TDataSet* dataSet, TDataSetEvents& saved) {
    saved = TDataSetEvents();
    SaveDataSetEvents(dataSet, saved);
}

void ResumeDataSetEvents(TDataSet* dataSet, const TDataSetEvents& saved) {
    RestoreDataSetEvents(dataSet, saved);
}

// ---- text conversions ----

void DoPercentGetText(TField* field, AnsiString& text) {
    if (!field || field->IsNull()) return;
    text = Format("%3.2f%%", {field->AsFloat() * 100});
}

void DoPercentSetText(TField* field, const AnsiString& text) {
    if (!field) return;
    // Without "." the whole number stands before "%" ("15%" is 15, not .15).
    AnsiString body = text;
    const std::size_t percent = body.find('%');
    if (percent != AnsiString::npos) body.resize(percent);
    const std::size_t point = body.find('.');
    const AnsiString integerPart = Trim(point == AnsiString::npos ? body : body.substr(0, point));
    const AnsiString decimalPart = point == AnsiString::npos ? AnsiString() : Trim(body.substr(point + 1));
    AnsiString number = integerPart.empty() || integerPart == "-" ? integerPart + "0" : integerPart;
    if (!decimalPart.empty()) number += "." + decimalPart;
    double value = 0;
    if (!TryStrToFloat(number, value)) value = 0;
    field->SetAsFloat(value / 100);
}

bool DoTimeValidate(TField* field) {
    if (!field || !IsEditing(field->DataSet())) return true;
    const AnsiString text = field->AsString();
    if (text.empty()) return true;
    if (text.size() != 4) return false;
    const int hours = StrToInt(text.substr(0, 2));
    const int minutes = StrToInt(text.substr(2, 2));
    return hours >= 0 && hours <= 23 && minutes >= 0 && minutes <= 59;
}

void DoTimeSetText(TField* field, const AnsiString& text) {
    if (!field) return;
    // "  :  " is the empty mask; a text of nothing but the mask's blanks is empty too.
    if (Trim(StringReplace(text, ":", "", rfReplaceAll)).empty()) {
        field->SetAsString("");
        return;
    }
    const int hours = StrToIntDef(Trim(GetToken(text, ":", 1)), 0);
    const int minutes = StrToIntDef(Trim(GetToken(text, ":", 2)), 0);
    field->SetAsString(FormatZeroPad(2, hours) + FormatZeroPad(2, minutes));
}

void DoTimeGetText(TField* field, AnsiString& text) {
    text.clear();
    if (!field || field->IsNull()) return;
    const AnsiString stored = field->AsString();
    if (stored.empty()) return;
    text = stored.size() <= 2 ? stored + ":" : stored.substr(0, 2) + ":" + stored.substr(2);
}

namespace {
void SetTwoDigitText(TField* field, const AnsiString& text) {
    if (!field) return;
    const AnsiString trimmed = Trim(text);
    if (trimmed.empty()) {
        field->Clear();
        return;
    }
    field->SetAsString(FormatZeroPad(2, StrToInt(trimmed)));
}
} // namespace

void DoDaySetText(TField* field, const AnsiString& text) {
    SetTwoDigitText(field, text);
}

void DoMonthSetText(TField* field, const AnsiString& text) {
    SetTwoDigitText(field, text);
}

void ComposeYearMonth(const AnsiString& text, int kind, const AnsiString& separator, AnsiString& result) {
    try {
        if (separator.empty()) return;
        const AnsiString first = Trim(GetToken(text, separator, 1));
        const AnsiString second = Trim(GetToken(text, separator, 2));
        if (!(CompareStr(first, "0") > 0 && CompareStr(second, "0") > 0)) return;
        // The kind's order of its date texts, the day left out.
        const TDateKindLayout* layout = DateKindLayout(kind);
        if (!layout) return;
        const AnsiString order = layout->Order;
        const bool yearFirst = order.find('Y') < order.find('M');
        AnsiString year = yearFirst ? first : second;
        const AnsiString month = yearFirst ? second : first;
        if (layout->YearOffset) {
            int shownYear = 0;
            if (!TryStrToInt(year, shownYear)) return;
            year = IntToStr(shownYear + layout->YearOffset);
        }
        result = PadLeft(year, {4, '0'}) + PadLeft(month, {2, '0'});
    } catch (...) {
    }
}

// ---- FLAG, posting, applying ----

bool RestoreNegativeFlags(TDataSet* dataSet, bool nested) {
    if (!dataSet || !dataSet->Active()) return true;
    bool result = true;
    if (nested && dataSet->DataSetField()) {
        TDataSetGuard quiet(dataSet, TDataSetGuard::dgControls | TDataSetGuard::dgEvents);
        dataSet->Last();
        while (!dataSet->Bof()) {
            result = RestoreNestedFields(dataSet);
            MakeFlagPositive(dataSet);
            dataSet->Prior();
        }
        return result;
    }
    result = RestoreNestedFields(dataSet);
    TField* flag = dataSet->FindField("FLAG");
    if (flag && !flag->IsNull() && flag->AsFloat() < 0 && !dataSet->IsEmpty()) {
        TDataSetGuard quiet(dataSet, TDataSetGuard::dgControls | TDataSetGuard::dgEvents);
        MakeFlagPositive(dataSet);
    }
    return result;
}

bool PostAndApply(TCustomClientDataSet* dataSet) {
    if (!dataSet) return false;
    try {
        RestoreNegativeFlags(dataSet, true);
        if (IsEditing(dataSet)) dataSet->Post();
        // A rejected row counts as a failure whatever the reconcile handler did with it.
        return dataSet->ApplyUpdates(0) == 0;
    } catch (const Exception& e) {
        WriteAlertLog("Class knlRadical-311", e.Message(), 'D');
        throw;
    } catch (const std::exception& e) {
        WriteAlertLog("Class knlRadical-311", e.what(), 'D');
        throw;
    }
}

void FillNullFields(TDataSet* dataSet) {
    if (!IsEditing(dataSet)) return;
    for (int i = 0; i < dataSet->FieldCount(); ++i) {
        TField* field = dataSet->Fields()->Fields(i);
        if (field->FieldKind() != fkData || !field->IsNull()) continue;
        const bool isString = field->InheritsFrom(TStringField::StaticClass());
        const bool isNumber = field->InheritsFrom(TIntegerField::StaticClass()) ||
                              field->InheritsFrom(TFloatField::StaticClass());
        if (!isString && !isNumber) continue;
        const TFieldNotifyEvent onValidate = field->OnValidate();
        const TFieldNotifyEvent onChange = field->OnChange();
        field->SetOnValidate(nullptr);
        field->SetOnChange(nullptr);
        struct TRestore {
            TField* Field;
            const TFieldNotifyEvent& Validate;
            const TFieldNotifyEvent& Change;
            ~TRestore() {
                Field->SetOnValidate(Validate);
                Field->SetOnChange(Change);
            }
        } restore{field, onValidate, onChange};
        SetFieldText(field, isString ? "" : "0", false);
    }
}

// ---- the shell ----

bool ShowFileProperties(const AnsiString& path) {
    TShellExecuteInfo info;
    info.Mask = SEE_MASK_INVOKEIDLIST;
    info.Verb = "properties";
    info.File = path;
    return ShellExecuteEx(info);
}
