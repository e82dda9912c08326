#include "standins/workcenter/f2window.h"

#include "classlib/rtl/strutils.h"
#include "standins/shared/lookups.h"
#include "standins/workcenter/wcdialogs.h"

namespace {

Variant Element(const Variant& array, int i) {
    if (!VarIsArray(array) || VarArrayDimCount(array) != 1) return Variant();
    const int index = VarArrayLowBound(array, 1) + i;
    if (index > VarArrayHighBound(array, 1)) return Variant();
    return array.GetElement({index});
}

AnsiString Text(const Variant& value) {
    if (VarIsNull(value) || VarIsEmpty(value) || VarIsArray(value) || VarIsDispatch(value))
        return AnsiString();
    return VarToStr(value);
}

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
    request.Table = Trim(Text(Element(params, 0)));
    request.QueryNo = Trim(Text(Element(params, 1)));
    request.Current = Text(Element(params, 4));
    request.MultiSelect = Flag(Element(params, 9));
    TCatalogueContext context{Trim(Text(Element(params, 5))), Trim(Text(Element(params, 6))),
                              Trim(Text(Element(params, 18))), "", request.Current};
    const TLookupData data = RunLookup(FState->Session(), FState->Catalogue(), request.Table, request.QueryNo,
                                       Element(params, 2), context);
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
        Trim(FState->Chooser->ChooseDate(Trim(Text(Element(params, 1))), Flag(Element(params, 0))));
    TDateTime checked = 0;
    return ReadYYYYMMDD(date, checked) ? date : AnsiString();
}

int TF2Window::GetPhrase2(const AnsiString& user, const AnsiString& company, const Variant& /*window*/,
                          Variant& text) {
    TChooseRequest request;
    request.Kind = TChooseKind::Phrase;
    request.Table = "WOQMP";
    request.QueryNo = "01";
    request.Current = Text(text);
    TCatalogueContext context{Trim(company), "", Trim(user), "", ""};
    const TLookupData data =
        RunLookup(FState->Session(), FState->Catalogue(), "WOQMP", "01", Variant(Trim(user)), context);
    request.Captions = data.Captions;
    request.Rows = data.Rows;
    const std::vector<int> chosen = Choose(request);
    if (chosen.empty()) return -1;
    text = Variant(Text(request.Rows[static_cast<size_t>(chosen.front())][0]));
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
    const AnsiString result = FState->Chooser->Calculate(Text(text));
    if (!result.empty()) text = Variant(result);
    return result;
}
