#include "framework/BaseCD.h"

#include <cmath>

#include "classlib/db/dsguard.h"
#include "classlib/db/fieldtypes.h"
#include "classlib/objects/formloader.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "classlib/rtl/varview.h"
#include "foundation/AlertLog.h"
#include "foundation/LibVCLs.h"
#include "foundation/LibXml.h"
#include "foundation/libstrs.h"
#include "framework/AppServer.h"
#include "framework/Brokers.h"
#include "framework/FieldLists.h"
#include "framework/KnlBase.h"

KVR_PUBLISHED(TCurrencySetting, c) {}

KVR_PUBLISHED(TdmBase, c) {
    c.Field("cdsMain", &TdmBase::cdsMain);
    c.Field("dsMain", &TdmBase::dsMain);
    c.Field("cdsMainColor", &TdmBase::cdsMainColor);
    c.Field("dsMainColor", &TdmBase::dsMainColor);
    c.Method("DataModuleCreate", &TdmBase::DataModuleCreate);
    c.Method("DataModuleDestroy", &TdmBase::DataModuleDestroy);
    c.Method("NumberFieldSetText", &TdmBase::NumberFieldSetText);
    c.Method("CurrencyFieldGetText", &TdmBase::CurrencyFieldGetText);
    c.Method("NumberFieldGetText", &TdmBase::NumberFieldGetText);
    c.Method("cdsMainNewRecord", &TdmBase::cdsMainNewRecord);
    c.Method("cdsMainAfterEdit", &TdmBase::cdsMainAfterEdit);
    c.Method("cdsMainBeforeScroll", &TdmBase::cdsMainBeforeScroll);
    c.Method("cdsMainAfterScroll", &TdmBase::cdsMainAfterScroll);
    c.Method("cdsMainBeforePost", &TdmBase::cdsMainBeforePost);
    c.Method("cdsMainBeforeOpen", &TdmBase::cdsMainBeforeOpen);
    c.Method("cdsMainAfterOpen", &TdmBase::cdsMainAfterOpen);
    c.Method("cdsMainColorAfterOpen", &TdmBase::cdsMainColorAfterOpen);
}

KVR_FORM_RESOURCE(TdmBase, R"(inherited dmBase: TdmBase
  object cdsMain: TwwClientDataSet
    FetchOnDemand = False
    PacketRecords = 20
    RemoteServer = MIDAS
    ValidateWithMask = True
    BeforeOpen = cdsMainBeforeOpen
    AfterOpen = cdsMainAfterOpen
    AfterEdit = cdsMainAfterEdit
    BeforePost = cdsMainBeforePost
    BeforeScroll = cdsMainBeforeScroll
    AfterScroll = cdsMainAfterScroll
    OnNewRecord = cdsMainNewRecord
  end
  object dsMain: TwwDataSource
    DataSet = cdsMain
  end
  object cdsMainColor: TwwClientDataSet
    FetchOnDemand = False
    PacketRecords = 20
    RemoteServer = MIDAS
    ValidateWithMask = True
    AfterOpen = cdsMainColorAfterOpen
  end
  object dsMainColor: TwwDataSource
  end
end
)");

namespace {

constexpr const char* LocalServerAddress = "127.0.0.1";
constexpr const char* CompanyCurrency = "SYS003";

const char* const DigitKindNames[] = {"cdtPrice", "cdtMoney", "cdtUnitCost", "cdtCostsAmount"};

// The first "FROM" of an upper-cased select outside parentheses; the first anywhere when every one
// is inside; npos when none.
std::size_t TopLevelFrom(const AnsiString& upper) {
    int depth = 0;
    for (std::size_t i = 0; i < upper.size(); ++i) {
        const char c = upper[i];
        if (c == '(') ++depth;
        if (c == ')' && depth > 0) --depth;
        if (depth == 0 && upper.compare(i, 4, "FROM") == 0) return i;
    }
    return upper.find("FROM");
}

// The text after its first ","-item; '' when it has only one.
AnsiString DropFirstItem(const AnsiString& text) {
    const std::size_t comma = text.find(',');
    return comma == AnsiString::npos ? AnsiString() : text.substr(comma + 1);
}

AnsiString WithoutAs(const AnsiString& text) {
    return StringReplace(text, " AS ", " ", rfReplaceAll);
}

int VariantToInt(const Variant& value) {
    if (VarIsNumeric(value)) return value.AsInteger();
    return StrToIntDef(Trim(VarToStr(value)), 0);
}

// The permitted keys of GetBaseLimitedRecs: an array of key texts, or one text of keys with ";"
// between. Keys compare without their trailing blanks.
bool IsPermittedKey(const Variant& permitted, const AnsiString& key) {
    const AnsiString wanted = TrimRight(key);
    if (VarIsArray(permitted)) {
        for (int i = 0; i < VarArrayLength(permitted); ++i)
            if (TrimRight(VarToStr(VarArrayItem(permitted, i))) == wanted) return true;
        return false;
    }
    const AnsiString text =
        VarIsNull(permitted) || VarIsEmpty(permitted) ? AnsiString() : VarToStr(permitted);
    for (int i = 1; i <= GetTokenCount(text, ";"); ++i)
        if (TrimRight(GetToken(text, ";", i)) == wanted) return true;
    return false;
}

// A packet size of 0 opens a data set with its metadata only; every open of the module's queries
// still shows rows, so they follow in one packet (0 asks for all of them).
void FetchRowsAfterMetadata(TCustomClientDataSet* dataSet) {
    if (dataSet && dataSet->Active() && dataSet->PacketRecords() == 0 && dataSet->IsEmpty() &&
        !dataSet->AllFetched())
        dataSet->GetNextPacket();
}

} // namespace

int TCurrencySetting::Digits(int kind) const {
    switch (kind) {
    case cdtPrice:
        return PriceDigits;
    case cdtMoney:
        return MoneyDigits;
    case cdtUnitCost:
        return UnitCostDigits;
    case cdtCostsAmount:
        return CostsAmountDigits;
    default:
        return -1;
    }
}

AnsiString MainSelectFields(const AnsiString& text) {
    AnsiString rest = DropFirstItem(UpperCase(text));
    const std::size_t from = rest.find("FROM");
    if (from != AnsiString::npos) rest = rest.substr(0, from);
    return WithoutAs(Trim(rest));
}

void SplitDetailSelect(const AnsiString& text, AnsiString& fields, AnsiString& joins) {
    const AnsiString upper = UpperCase(text);
    const std::size_t from = TopLevelFrom(upper);
    const AnsiString before = from == AnsiString::npos ? upper : upper.substr(0, from);
    fields = Trim(DropFirstItem(WithoutAs(Trim(before))));
    joins.clear();
    if (from == AnsiString::npos) return;
    // Offsets of the upper-cased text are those of the text as written: only a..z change.
    std::size_t join = AnsiString::npos;
    for (const char* keyword : {"LEFT", "RIGHT", "INNER"}) {
        const std::size_t at = upper.find(keyword, from + 4);
        if (at != AnsiString::npos && (join == AnsiString::npos || at < join)) join = at;
    }
    if (join == AnsiString::npos) return;
    const std::size_t where = upper.find("WHERE", join);
    joins = " " + text.substr(join, where == AnsiString::npos ? AnsiString::npos : where - join);
}

TdmBase::TdmBase(TComponent* owner, bool load) : TdmRadical(owner, false) {
    if (load) InitInheritedComponent(this);
}

TdmBase::~TdmBase() = default;

void TdmBase::DataModuleCreate(TObject* sender) {
    TdmRadical::DataModuleCreate(sender);
    FetchOnScroll = true;
    DestroyLists();
    MoneyFieldAutoZero = MoneyFieldThousand = QuantityFieldAutoZero = QuantityFieldThousand = true;
}

void TdmBase::DestroyLists() {
    FDecimalGroups.clear();
    FCurrencyBindings.clear();
    FNumberFields.clear();
    FCurrencyCache.clear();
}

void TdmBase::DataModuleDestroy(TObject* sender) {
    DestroyLists();
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* dataSet = dynamic_cast<TDataSet*>(Components(i))) dataSet->Close();
    if (MIDAS && MIDAS->Connected()) MIDAS->Close();
    TdmRadical::DataModuleDestroy(sender);
}

bool TdmBase::IsLocalServer() {
    return MIDAS && MIDAS->Address() == LocalServerAddress;
}

// ---- opening ----

bool TdmBase::OpenMainData() {
    // MAX_RECORD missing gives 0: the open brings the metadata only and the rows follow it.
    cdsMain->SetPacketRecords(Broker ? Broker->MaxRecord() : 0);
    MainTable = Broker ? Broker->GetSvrSetting("M11_TABLE") : AnsiString();
    SetKeyFields(Broker ? Broker->GetSvrSetting("M11_KEY") : AnsiString());
    const AnsiString sys150 = Broker ? Broker->GetSysSetting("SYS150") : AnsiString();
    if (!sys150.empty() && sys150[0] == 'Y') {
        SetMainSelect(Broker->GetSvrSetting("M11_SELECT"));
        SetDetailSelect(Broker->GetSvrSetting("D11_SELECT"));
    }
    cdsMain->Open();
    LabelAuditFields(cdsMain);
    const bool opened = cdsMain->Active();
    try {
        cdsMainColor->SetPacketRecords(cdsMain->PacketRecords());
        cdsMainColor->SetRemoteServer(MIDAS);
        cdsMainColor->SetProviderName("pvdColor");
        cdsMainColor->Open();
    } catch (const Exception& e) {
        // The colour features see a closed data set; the module's other data sets must not try it again.
        cdsMainColor->SetProviderName(AnsiString());
        WriteAlertLog("Class BaseCD-pvdColor", e.Message(), 'D');
    }
    return opened;
}

void TdmBase::SetKeyFields(const AnsiString& list) {
    if (!SameText(KeyFields, list)) KeyFields = list;
}

void TdmBase::SetMainSelect(const AnsiString& text) {
    MainSelect = MainSelectFields(text);
}

void TdmBase::SetDetailSelect(const AnsiString& text) {
    SplitDetailSelect(text, DetailFields, DetailJoins);
}

void TdmBase::FormLinked() {}

bool TdmBase::CanModify() {
    return true;
}

void TdmBase::ShowManagedFields(bool show) {
    ShowAuditFields(cdsMain, show);
}

// ---- events of cdsMain ----

void TdmBase::cdsMainNewRecord(TDataSet* dataSet) {
    StampAuditFields(dataSet);
    SetDefaultValues(dataSet);
    InitNullFields(dataSet);
}

void TdmBase::cdsMainAfterEdit(TDataSet* dataSet) {
    TBaseView* view = BaseView();
    if (view && view->ViewEditState() == esEdit) StampAuditFields(dataSet);
}

void TdmBase::cdsMainBeforeScroll(TDataSet* dataSet) {
    if (FetchOnScroll) FetchBeforeScroll(dataSet, dsMain);
}

void TdmBase::cdsMainAfterScroll(TDataSet* dataSet) {
    TBaseView* view = BaseView();
    if (!view) return;
    try {
        view->ViewRecordChanged(dataSet);
    } catch (const Exception&) {
        // A scroll never fails for the rights and the status bar.
    }
}

void TdmBase::cdsMainBeforePost(TDataSet* dataSet) {
    TBaseView* view = BaseView();
    if (view && !view->ViewCheckRecord(dataSet)) Abort();
}

void TdmBase::cdsMainBeforeOpen(TDataSet*) {}

void TdmBase::cdsMainColorAfterOpen(TDataSet*) {
    FetchRowsAfterMetadata(cdsMainColor);
}

void TdmBase::cdsMainAfterOpen(TDataSet*) {
    FetchRowsAfterMetadata(cdsMain);
    ApplyAllCurrencyFormats();
    try {
        RecordCount = TAppServer(AppServer).GetRecCount();
    } catch (const Exception& e) {
        RecordCount = cdsMain->RecordCount();
        WriteAlertLog("Class BaseCD-GetRecCount", e.Message(), 'D');
    }
    // An empty result scrolls nowhere: the form's commands and position follow it all the same.
    if (cdsMain->IsEmpty()) cdsMainAfterScroll(cdsMain);
}

// ---- number fields ----

void TdmBase::LoadNumberFields(const AnsiString& fieldList) {
    if (Trim(fieldList).empty() || !Broker) return;
    Variant rows;
    if (!Broker->QueryData("NUMFD", "01", rows, VarArrayOf({fieldList}))) return;
    for (int i = 0; i < VarArrayLength(rows); ++i) {
        const Variant row = VarArrayItem(rows, i);
        const AnsiString name = UpperCase(Trim(VarToStr(VarArrayItem(row, 0))));
        if (name.empty() || FNumberFields.count(name)) continue;
        FNumberFields[name] =
            TNumberField{VariantToInt(VarArrayItem(row, 1)), VariantToInt(VarArrayItem(row, 2))};
    }
}

bool TdmBase::GetNumberField(const AnsiString& fieldName, int& precision, int& scale) const {
    auto found = FNumberFields.find(UpperCase(Trim(fieldName)));
    if (found == FNumberFields.end()) return false;
    precision = found->second.Precision;
    scale = found->second.Scale;
    return true;
}

double TdmBase::CheckNumberRange(const AnsiString& fieldName, int decimals, bool report, double value) {
    int precision = 0, scale = 0;
    if (!GetNumberField(fieldName, precision, scale)) return value;
    const int whole = precision - scale;
    if (whole <= 0) return value;
    const int places = std::min(decimals, scale);
    AnsiString limitText(static_cast<std::size_t>(whole), '9');
    if (places > 0) limitText += "." + AnsiString(static_cast<std::size_t>(places), '9');
    double limit = 0;
    if (!TryStrToFloat(limitText, limit)) return value;
    TField* field = FindModuleField(fieldName);
    const AnsiString label = field ? field->DisplayLabel() : fieldName;
    if (CompareFloat(value, limit) > 0) {
        if (report && Broker) Broker->Say("E", "100280", {label, limitText});
        return 0;
    }
    if (CompareFloat(value, -limit) < 0) {
        if (report && Broker) Broker->Say("E", "100288", {label, "-" + limitText});
        return 0;
    }
    return value;
}

void TdmBase::NumberFieldSetText(TField* sender, const AnsiString& text) {
    if (!sender || !IsNumberField(sender->DataType())) return;
    const AnsiString trimmed = Trim(text);
    double value = 0;
    if (!trimmed.empty()) {
        const AnsiString number = Trim(StringReplace(trimmed, ",", "", rfReplaceAll));
        if (!TryStrToFloat(number, value) || !std::isfinite(value)) {
            // Not a number: said so, and the field keeps what it held.
            if (Broker)
                Broker->Say("E", "000032", {sender->DisplayLabel() + ": '" + trimmed + "' 不是有效的数值"});
            Abort();
        }
        try {
            const int decimals = GetFieldDecimals(sender->FieldName());
            if (decimals >= 0) value = RoundFloat(decimals, value);
            value = CheckNumberRange(sender->FieldName(), decimals, true, value);
        } catch (const Exception&) {
            value = 0;
        }
    }
    sender->SetAsFloat(value);
}

AnsiString TdmBase::NumberPattern(int decimals, bool thousand, bool autoZero) const {
    const AnsiString places(static_cast<std::size_t>(decimals), autoZero ? '0' : '#');
    return Format("#%s##0.%s", {AnsiString(thousand ? "," : ""), places});
}

void TdmBase::CurrencyFieldGetText(TField* sender, AnsiString& text, bool) {
    if (!sender) return;
    if (sender->IsNull()) {
        text.clear();
        return;
    }
    const int decimals = GetCurrencyDecimals(sender->FieldName());
    if (decimals < 0) {
        text = sender->AsString();
        return;
    }
    text = FormatFloat(NumberPattern(decimals, MoneyFieldThousand, MoneyFieldAutoZero),
                       RoundFloat(decimals, sender->AsFloat()));
}

void TdmBase::NumberFieldGetText(TField* sender, AnsiString& text, bool) {
    if (!sender) return;
    if (sender->IsNull()) {
        text.clear();
        return;
    }
    int decimals = GetParamDecimals(sender->FieldName());
    if (decimals < 0) decimals = GetDecimalGroupPlaces(GetFieldGroup(sender->FieldName()));
    if (decimals < 0) {
        text = sender->AsString();
        return;
    }
    text =
        FormatFloat(NumberPattern(decimals, QuantityFieldThousand, QuantityFieldAutoZero), sender->AsFloat());
}

void TdmBase::ApplyNumberFormat(const AnsiString& fieldList, int places, bool currency) {
    if (Trim(fieldList).empty()) return;
    const AnsiString base = NumberFieldEditFormat();
    const std::size_t point = base.find('.');
    const AnsiString editFormat = places < 0
                                      ? AnsiString("##0.#######")
                                      : base.substr(0, point) + Copy(".#####################", 1, places + 1);
    for (const TFieldListEntry& entry : ResolveFieldList(this, fieldList)) {
        TDataSetGuard events(entry.DataSet, TDataSetGuard::dgEvents);
        for (TField* field : entry.Fields) {
            if (!IsNumberField(field->DataType()) || !field->DataSet()) continue;
            if (!field->OnGetText())
                field->SetOnGetText(currency ? TFieldGetTextEvent(this, &TdmBase::CurrencyFieldGetText)
                                             : TFieldGetTextEvent(this, &TdmBase::NumberFieldGetText));
            if (auto* numeric = dynamic_cast<TNumericField*>(field)) numeric->SetEditFormat(editFormat);
            if (!field->OnSetText())
                field->SetOnSetText(TFieldSetTextEvent(this, &TdmBase::NumberFieldSetText));
        }
    }
}

// ---- decimal groups ----

TdmBase::TDecimalGroup* TdmBase::FindGroup(int group) {
    for (TDecimalGroup& entry : FDecimalGroups)
        if (entry.Number == group) return &entry;
    return nullptr;
}

const TdmBase::TDecimalGroup* TdmBase::FindGroup(int group) const {
    return const_cast<TdmBase*>(this)->FindGroup(group);
}

int TdmBase::GetDecimalGroupPlaces(int group) const {
    const TDecimalGroup* entry = FindGroup(group);
    if (!entry) return -1;
    return entry->Places < 0 ? entry->Number : entry->Places;
}

AnsiString TdmBase::GetDecimalGroupFields(int group) const {
    const TDecimalGroup* entry = FindGroup(group);
    return entry ? entry->Fields : AnsiString();
}

int TdmBase::GetFieldGroup(const AnsiString& fieldName) const {
    if (Trim(fieldName).empty()) return -1;
    for (const TDecimalGroup& entry : FDecimalGroups)
        if (ContainsWholeWord(entry.Fields, fieldName)) return entry.Number;
    return -1;
}

void TdmBase::SetDecimalGroupPlaces(int group, int places) {
    if (GetDecimalGroupPlaces(group) == places && FindGroup(group)) return;
    TDecimalGroup* entry = FindGroup(group);
    if (!entry) {
        FDecimalGroups.push_back(TDecimalGroup{group, AnsiString(), -1});
        entry = &FDecimalGroups.back();
    }
    entry->Places = places == group ? -1 : places;
    if (!entry->Fields.empty()) ApplyNumberFormat(entry->Fields, places, false);
}

void TdmBase::SetDecimalGroupFields(int group, const AnsiString& fieldList) {
    TDecimalGroup* entry = FindGroup(group);
    if (entry && entry->Fields == fieldList) return;
    if (!entry) {
        FDecimalGroups.push_back(TDecimalGroup{group, AnsiString(), -1});
        entry = &FDecimalGroups.back();
    }
    entry->Fields = fieldList;
    const int places = GetDecimalGroupPlaces(group);
    if (!Trim(fieldList).empty() && places != -1) ApplyNumberFormat(fieldList, places, false);
}

// ---- decimals of a field ----

int TdmBase::GetFieldDecimals(const AnsiString& fieldName) {
    if (Trim(fieldName).empty()) return -1;
    int decimals = GetParamDecimals(fieldName);
    if (decimals < 0) decimals = GetDecimalGroupPlaces(GetFieldGroup(fieldName));
    if (decimals < 0) decimals = GetCurrencyDecimals(fieldName);
    return decimals;
}

int TdmBase::GetParamDecimals(const AnsiString& fieldName) {
    if (Trim(fieldName).empty() || !ContainsWholeWord(ParamDecimalFields, fieldName)) return -1;
    if (Sys068Value.empty() && Broker) Sys068Value = Broker->GetSysSetting("sys068");
    return StrToIntDef(Trim(Sys068Value), 3);
}

void TdmBase::SetParamDecimalFields(const AnsiString& fieldList) {
    if (ParamDecimalFields == fieldList) return;
    ParamDecimalFields = fieldList;
    ApplyNumberFormat(fieldList, 0, false);
}

void TdmBase::LoadNumberSettings() {
    if (!Broker) return;
    try {
        Variant result;
        Broker->CallCounter(
            "GetUserDefine",
            VarArrayOf({Broker->CompanyID, Broker->UserID, Broker->ProgramID, "NumberFieldsSetting"}),
            result);
        const AnsiString xml = VarIsNull(result) || VarIsEmpty(result) ? AnsiString() : VarToStr(result);
        if (Trim(xml).empty()) return;
        xmldom::DocumentPtr doc;
        LoadXmlDocument(xml, doc);
        xmldom::NodePtr root = doc ? doc->documentElement() : nullptr;
        if (!root) return; // no XML: a failure, the settings stay
        auto read = [&root](const char* name) {
            xmldom::NodePtr node = root->selectSingleNode(name);
            return !node || SameText(Trim(node->text()), "True");
        };
        const bool quantityAutoZero = read("QuantityFieldAutoZero");
        const bool quantityThousand = read("QuantityFieldThousand");
        const bool moneyAutoZero = read("MoneyFieldAutoZero");
        const bool moneyThousand = read("MoneyFieldThousand");
        QuantityFieldAutoZero = quantityAutoZero;
        QuantityFieldThousand = quantityThousand;
        MoneyFieldAutoZero = moneyAutoZero;
        MoneyFieldThousand = moneyThousand;
    } catch (const Exception&) {
        // The settings stay as they were.
    }
}

// ---- currencies ----

TdmBase::TCurrencyBinding* TdmBase::FindBinding(const AnsiString& currencyField, TCurrencyDigitType kind) {
    for (TCurrencyBinding& binding : FCurrencyBindings)
        if (SameText(binding.CurrencyField, currencyField) && binding.Kind == kind) return &binding;
    return nullptr;
}

const TdmBase::TCurrencyBinding* TdmBase::FindBinding(const AnsiString& currencyField,
                                                      TCurrencyDigitType kind) const {
    return const_cast<TdmBase*>(this)->FindBinding(currencyField, kind);
}

TField* TdmBase::FindModuleField(const AnsiString& fieldName, TDataSet* within) const {
    const AnsiString name = Trim(fieldName);
    if (name.empty()) return nullptr;
    if (within) return within->FindField(name);
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* dataSet = dynamic_cast<TDataSet*>(Components(i)))
            if (TField* field = dataSet->FindField(name)) return field;
    return nullptr;
}

void TdmBase::SetCurrencyBinding(TField* currencyField, TCurrencyDigitType kind,
                                 const AnsiString& fieldList) {
    const AnsiString name = currencyField ? currencyField->FieldName() : AnsiString(CompanyCurrency);
    if (TCurrencyBinding* binding = FindBinding(name, kind))
        binding->Fields = fieldList;
    else
        FCurrencyBindings.push_back(TCurrencyBinding{name, kind, fieldList});
    if (currencyField) HookCurrencyField(currencyField);
}

AnsiString TdmBase::GetCurrencyBinding(TField* currencyField, TCurrencyDigitType kind) const {
    const AnsiString name = currencyField ? currencyField->FieldName() : AnsiString(CompanyCurrency);
    const TCurrencyBinding* binding = FindBinding(name, kind);
    return binding ? binding->Fields : AnsiString();
}

void TdmBase::HookCurrencyField(TField* field) {
    if (field && !field->OnChange())
        field->SetOnChange(TFieldNotifyEvent(this, &TdmBase::CurrencyFieldChange));
}

void TdmBase::CurrencyFieldChange(TField* field) {
    if (field) ApplyCurrencyFormats(field->DataSet(), field, field->AsString());
}

void TdmBase::ApplyCurrencyFormats(TDataSet* dataSet, TField* currencyField, const AnsiString& currencyCode) {
    std::vector<TField*> fields;
    if (currencyField && currencyField->DataSet() == dataSet) {
        fields.push_back(currencyField);
    } else {
        for (const TCurrencyBinding& binding : FCurrencyBindings) {
            if (SameText(binding.CurrencyField, CompanyCurrency)) continue;
            TField* field = FindModuleField(binding.CurrencyField, dataSet);
            if (field && std::find(fields.begin(), fields.end(), field) == fields.end())
                fields.push_back(field);
        }
    }
    for (TField* field : fields) {
        const AnsiString code = currencyCode.empty() ? field->AsString() : currencyCode;
        for (int kind = cdtPrice; kind <= cdtCostsAmount; ++kind) {
            const TCurrencyBinding* binding =
                FindBinding(field->FieldName(), static_cast<TCurrencyDigitType>(kind));
            if (!binding || Trim(binding->Fields).empty()) continue;
            ApplyNumberFormat(binding->Fields, GetCurrencySetting(Trim(code), kind), true);
        }
    }
}

void TdmBase::ApplyAllCurrencyFormats() {
    std::vector<TField*> done;
    for (const TCurrencyBinding& binding : FCurrencyBindings) {
        if (SameText(binding.CurrencyField, CompanyCurrency)) continue;
        TField* field = FindModuleField(binding.CurrencyField);
        if (!field || std::find(done.begin(), done.end(), field) != done.end()) continue;
        done.push_back(field);
        CurrencyFieldChange(field);
    }
}

int TdmBase::GetCurrencySetting(const AnsiString& code, int kind) {
    const AnsiString key = Trim(code);
    if (key.empty() || !Broker) return -1;
    auto cached = FCurrencyCache.find(key);
    if (cached == FCurrencyCache.end()) {
        Variant rows;
        try {
            // The code is a text the user typed: quoted, never pasted into the statement.
            Broker->CallCounter("SimpleSql",
                                VarArrayOf({"select top 1 MF001,MF003,MF004,MF005,MF006 from $$TAZMF TAZMF "
                                            "where MF001=" +
                                                QuotedStr(key),
                                            "MF001,MF003,MF004,MF005,MF006", Broker->Database, "N"}),
                                rows);
        } catch (const Exception& e) {
            WriteAlertLog("Class BaseCD-TAZMF", e.Message(), 'D');
            return -1;
        }
        for (int i = 0; i < VarArrayLength(rows); ++i) {
            const Variant row = VarArrayItem(rows, i);
            auto setting = std::make_unique<TCurrencySetting>();
            setting->CurrencyCode = Trim(VarToStr(VarArrayItem(row, 0)));
            setting->PriceDigits = VariantToInt(VarArrayItem(row, 1));
            setting->MoneyDigits = VariantToInt(VarArrayItem(row, 2));
            setting->UnitCostDigits = VariantToInt(VarArrayItem(row, 3));
            setting->CostsAmountDigits = VariantToInt(VarArrayItem(row, 4));
            if (!setting->CurrencyCode.empty()) FCurrencyCache[setting->CurrencyCode] = std::move(setting);
        }
        // A currency the table does not know is not remembered: it may be added while the form is open.
        cached = FCurrencyCache.find(key);
        if (cached == FCurrencyCache.end()) return -1;
    }
    return cached->second->Digits(kind);
}

int TdmBase::GetCurrencyDecimals(const AnsiString& fieldName) {
    if (Trim(fieldName).empty()) return -1;
    for (const TCurrencyBinding& binding : FCurrencyBindings) {
        if (!ContainsWholeWord(binding.Fields, fieldName)) continue;
        if (SameText(binding.CurrencyField, CompanyCurrency))
            return GetCurrencySetting(Broker ? Broker->GetSysSetting(CompanyCurrency) : AnsiString(),
                                      binding.Kind);
        if (TField* field = FindModuleField(binding.CurrencyField))
            return GetCurrencySetting(field->AsString(), binding.Kind);
        return -1;
    }
    return -1;
}

// ---- base-data rights ----

bool TdmBase::BuildDataRightCondition(TDataSet* dataSet, const AnsiString& prefix, AnsiString& condition) {
    condition.clear();
    if (!dataSet || !dataSet->Active() || dataSet->RecordCount() == 0) return true;
    const int recordCount = dataSet->RecordCount();
    const AnsiString thePrefix = prefix.find('_') == AnsiString::npos ? prefix + "_" : prefix;
    auto setting = [this](const AnsiString& name) {
        return Broker ? Broker->GetSvrSetting(name) : AnsiString();
    };
    const AnsiString keyList = setting(thePrefix + "KEY");
    AnsiString logName;
    if (Broker) logName = Broker->ProgramID;
    // Whatever goes wrong, nothing is permitted: the rights could not be read.
    auto refuse = [&](const char* what, const AnsiString& message) {
        WriteAlertLog(logName, AnsiString(what) + message, 'D');
        condition = "ALL";
        return false;
    };
    Variant answer;
    try {
        AnsiString base;
        if (!thePrefix.empty() && (thePrefix[0] == 'F' || thePrefix[0] == 'f'))
            BuildWhereClause(FindModuleDataSet(this, "cdsBody1"), setting("D11_KEY"), base,
                             setting("D11_TABLE"), keyList);
        else
            BuildWhereClause(cdsMain, KeyFields, base, setting(thePrefix + "TABLE"), keyList);
        answer = TAppServer(AppServer).GetBaseLimitedRecs(thePrefix, base, recordCount);
    } catch (const Exception& e) {
        return refuse("BaseCD-876(对单身或子单身加基础数据权限时出错):", e.Message());
    }
    int permitted = 0;
    Variant keys;
    try {
        if (VarArrayLength(answer) < 2) throw Exception("no [permitted count, permitted keys]");
        const Variant count = VarArrayItem(answer, 0);
        if (!VarIsNumeric(count) && !TryStrToInt(Trim(VarToStr(count)), permitted))
            throw Exception("permitted count '" + VarToStr(count) + "'");
        if (VarIsNumeric(count)) permitted = count.AsInteger();
        keys = VarArrayItem(answer, 1);
    } catch (const Exception& e) {
        return refuse("BaseCD-876(解读对单身或子单身加基础数据权限的结果时出错):", e.Message());
    }
    if (permitted == 0) {
        condition = "ALL";
        return false;
    }
    if (permitted == recordCount || permitted < 0) return true;

    // The first keys that are not permitted, walked without the scroll events.
    std::vector<TField*> keyFields;
    for (int i = 1; i <= GetTokenCount(keyList, ","); ++i) {
        AnsiString item = Trim(GetToken(keyList, ",", i));
        const std::size_t dot = item.find('.');
        if (dot != AnsiString::npos) item = item.substr(dot + 1);
        if (TField* field = dataSet->FindField(item)) keyFields.push_back(field);
    }
    TSavedEvents events;
    SaveEventsByName(dataSet, {"BeforeScroll", "AfterScroll"}, events);
    dataSet->DisableControls();
    int position = dataSet->RecNo();
    bool firstFound = false;
    int collected = 0;
    try {
        for (dataSet->First(); !dataSet->Eof() && collected < 4; dataSet->Next()) {
            AnsiString key;
            for (std::size_t i = 0; i < keyFields.size(); ++i) {
                const AnsiString text = keyFields[i]->AsString();
                const int size = keyFields[i]->Size();
                key += (i ? "-" : "") +
                       (static_cast<int>(text.size()) < size
                            ? text + AnsiString(static_cast<std::size_t>(size) - text.size(), ' ')
                            : text);
            }
            if (IsPermittedKey(keys, key)) continue;
            condition += (condition.empty() ? "" : ";") + key;
            ++collected;
            if (!firstFound) {
                firstFound = true;
                position = dataSet->RecNo();
            }
        }
        if (collected >= 4) condition += ";...";
        if (position > 0) dataSet->SetRecNo(position);
    } catch (...) {
        dataSet->EnableControls();
        RestoreEventsByName(dataSet, events);
        throw;
    }
    dataSet->EnableControls();
    RestoreEventsByName(dataSet, events);
    return false;
}
