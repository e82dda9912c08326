#include "standins/workcenter/f2window.h"

#include "classlib/rtl/strutils.h"
#include "classlib/rtl/varview.h"
#include "standins/shared/lookups.h"
#include "standins/workcenter/wcdialogs.h"

namespace {

bool Flag(const Variant& value) {
    if (VarIsNull(value) || VarIsEmpty(value) || VarIsArray(value) || VarIsDispatch(value)) return false;
    try {
        return value.AsBoolean();
    } catch (const Exception&) {
        return false;
    }
}

} // namespace

const TAutoMembers& TF2Window::Members() const {
    static const TAutoMembers members{
        AutoMethod("F2GetData", &TF2Window::F2GetData),
        AutoMethod("ShowInputDay", &TF2Window::ShowInputDay),
        AutoMethod("GetPhrase2", &TF2Window::GetPhrase2),
        AutoMethod("ShowCharaters", &TF2Window::ShowCharaters),
        AutoMethod("GetCalcValue", &TF2Window::GetCalcValue),
    };
    return members;
}

const std::vector<AnsiString>& TF2Window::SpecialCharacters() {
    static const std::vector<AnsiString> characters{"Φ", "±", "×", "÷", "℃", "≤",  "≥",  "≠",  "°",  "‰",
                                                    "①", "②", "③", "④", "⑤", "㎜", "㎡", "㎏", "￥", "§"};
    return characters;
}

std::vector<int> TF2Window::Choose(const TChooseRequest& request) {
    std::vector<int> chosen;
    if (!FState->Chooser || request.Rows.empty()) return chosen;
    for (int index : FState->Chooser->ChooseRows(request))
        if (index >= 0 && static_cast<size_t>(index) < request.Rows.size()) chosen.push_back(index);
    if (!request.MultiSelect && chosen.size() > 1) chosen.resize(1);
    return chosen;
}

Variant TF2Window::F2GetData(const Variant& params) {
    TChooseRequest request;
    request.Kind = TChooseKind::Lookup;
    request.Table = Trim(VarArrayItemText(params, 0));
    request.QueryNo = Trim(VarArrayItemText(params, 1));
    request.Current = VarArrayItemText(params, 4);
    request.MultiSelect = Flag(VarArrayItem(params, 9));
    TCatalogueContext context{Trim(VarArrayItemText(params, 5)), Trim(VarArrayItemText(params, 6)),
                              Trim(VarArrayItemText(params, 18)), "", request.Current};
    const TLookupData data = RunLookup(FState->Session(), FState->Catalogue(), request.Table, request.QueryNo,
                                       VarArrayItem(params, 2), context);
    request.Captions = data.Captions;
    request.Rows = data.Rows;
    std::vector<TDbRow> rows;
    for (int index : Choose(request))
        rows.push_back(request.Rows[static_cast<size_t>(index)]);
    return RowsAsVariant(rows);
}

AnsiString TF2Window::ShowInputDay(const Variant& params) {
    if (!FState->Chooser) return AnsiString();
    const AnsiString date =
        Trim(FState->Chooser->ChooseDate(Trim(VarArrayItemText(params, 1)), Flag(VarArrayItem(params, 0))));
    TDateTime checked = 0;
    return ReadYYYYMMDD(date, checked) ? date : AnsiString();
}

int TF2Window::GetPhrase2(const AnsiString& user, const AnsiString& company, const Variant& /*window*/,
                          Variant& text) {
    TChooseRequest request;
    request.Kind = TChooseKind::Phrase;
    request.Table = "WOQMP";
    request.QueryNo = "01";
    request.Current = VarText(text);
    TCatalogueContext context{Trim(company), "", Trim(user), "", ""};
    const TLookupData data =
        RunLookup(FState->Session(), FState->Catalogue(), "WOQMP", "01", Variant(Trim(user)), context);
    request.Captions = data.Captions;
    request.Rows = data.Rows;
    const std::vector<int> chosen = Choose(request);
    if (chosen.empty()) return -1;
    text = Variant(VarText(request.Rows[static_cast<size_t>(chosen.front())][0]));
    return 0;
}

Variant TF2Window::ShowCharaters(const AnsiString& /*user*/, const AnsiString& /*company*/, Variant& /*kind*/,
                                 const Variant& /*flag*/, const Variant& /*window*/) {
    TChooseRequest request;
    request.Kind = TChooseKind::Characters;
    request.MultiSelect = true;
    request.Captions = {"字符"};
    for (const AnsiString& character : SpecialCharacters())
        request.Rows.push_back({Variant(character)});
    AnsiString text;
    for (int index : Choose(request))
        text += SpecialCharacters()[static_cast<size_t>(index)];
    return text.empty() ? Variant() : VarArrayOf({Variant(text)});
}

AnsiString TF2Window::GetCalcValue(Variant& text, const Variant& /*window*/) {
    if (!FState->Chooser) return AnsiString();
    const AnsiString result = FState->Chooser->Calculate(VarText(text));
    if (!result.empty()) text = Variant(result);
    return result;
}
