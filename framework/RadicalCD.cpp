#include "framework/RadicalCD.h"

#include <algorithm>

#include "classlib/automation/comobj.h"
#include "classlib/db/dsguard.h"
#include "classlib/db/fieldtypes.h"
#include "classlib/objects/formloader.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "classlib/rtl/varview.h"
#include "foundation/LibVCLs.h"
#include "foundation/VeltraneIni.h"
#include "foundation/libstrs.h"
#include "framework/AppServer.h"
#include "framework/Brokers.h"
#include "framework/knlRadical.h"

KVR_PUBLISHED(TdmRadical, c) {
    c.Field("SOB", &TdmRadical::SOB);
    c.Field("MIDAS", &TdmRadical::MIDAS);
    c.Field("cdsSaveCondition", &TdmRadical::cdsSaveCondition);
    c.Field("scLookUpData", &TdmRadical::scLookUpData);
    c.Method("DataModuleCreate", &TdmRadical::DataModuleCreate);
    c.Method("DataModuleDestroy", &TdmRadical::DataModuleDestroy);
    c.Method("DateFieldGetText", &TdmRadical::DateFieldGetText);
    c.Method("DateFieldSetText", &TdmRadical::DateFieldSetText);
    c.Method("DateFieldValidate", &TdmRadical::DateFieldValidate);
    c.Method("DateFieldEditMask", &TdmRadical::DateFieldEditMask);
    c.Method("YMFieldGetText", &TdmRadical::YMFieldGetText);
    c.Method("YMFieldSetText", &TdmRadical::YMFieldSetText);
    c.Method("YMFieldValidate", &TdmRadical::YMFieldValidate);
    c.Method("YMFieldEditMask", &TdmRadical::YMFieldEditMask);
    c.Method("YearFieldGetText", &TdmRadical::YearFieldGetText);
    c.Method("YearFieldSetText", &TdmRadical::YearFieldSetText);
    c.Method("YearFieldEditMask", &TdmRadical::YearFieldEditMask);
    c.Method("MDFieldGetText", &TdmRadical::MDFieldGetText);
    c.Method("MDFieldSetText", &TdmRadical::MDFieldSetText);
    c.Method("MDFieldValidate", &TdmRadical::MDFieldValidate);
    c.Method("MDFieldEditMask", &TdmRadical::MDFieldEditMask);
    c.Method("TimeFieldGetText", &TdmRadical::TimeFieldGetText);
    c.Method("TimeFieldSetText", &TdmRadical::TimeFieldSetText);
    c.Method("TimeFieldValidate", &TdmRadical::TimeFieldValidate);
    c.Method("TimeFieldEditMask", &TdmRadical::TimeFieldEditMask);
    c.Method("DayFieldSetText", &TdmRadical::DayFieldSetText);
    c.Method("MonthFieldSetText", &TdmRadical::MonthFieldSetText);
    c.Method("DayFieldValidate", &TdmRadical::DayFieldValidate);
    c.Method("MonthFieldValidate", &TdmRadical::MonthFieldValidate);
    c.Method("DayFieldEditMask", &TdmRadical::DayFieldEditMask);
    c.Method("MonthFieldEditMask", &TdmRadical::MonthFieldEditMask);
    c.Method("PercentFieldGetText", &TdmRadical::PercentFieldGetText);
    c.Method("PercentFieldSetText", &TdmRadical::PercentFieldSetText);
    c.Method("PercentFieldEditMask", &TdmRadical::PercentFieldEditMask);
    c.Method("SecondFldGetText", &TdmRadical::SecondFldGetText);
    c.Method("SecondFldSetText", &TdmRadical::SecondFldSetText);
    c.Method("SecondFieldEditMask", &TdmRadical::SecondFieldEditMask);
    c.Method("NumberFieldDisplayFormat", &TdmRadical::NumberFieldDisplayFormat);
    c.Method("NumberFieldEditFormat", &TdmRadical::NumberFieldEditFormat);
    c.Method("DOGetText", &TdmRadical::DOGetText);
    c.Method("DOSetText", &TdmRadical::DOSetText);
    c.Method("DateTimeFieldGetText", &TdmRadical::DateTimeFieldGetText);
}

KVR_FORM_RESOURCE(TdmRadical, R"(object dmRadical: TdmRadical
  OldCreateOrder = False
  OnCreate = DataModuleCreate
  OnDestroy = DataModuleDestroy
  object SOB: TSimpleObjectBroker
  end
  object MIDAS: TSocketConnection
    ServerName = 'RAVEZ01A.Rarer1'
    SupportCallbacks = False
  end
  object cdsSaveCondition: TClientDataSet
    IndexDefs = <
      item
        Name = 'Index1'
        Fields = 'NCONDITION;CREATOR;PROGRAMME'
      end>
    ProviderName = 'pvdConSave'
    RemoteServer = MIDAS
  end
  object scLookUpData: TSocketConnection
    Address = '127.0.0.1'
    ServerName = 'F2WindowS.Class1'
    SupportCallbacks = False
  end
end
)");

namespace {

// The address in the client INI that means "this process" rather than a server to reach over TCP.
constexpr const char* LocalServerAddress = "127.0.0.1";

const char* const AuditFieldNames[] = {"COMPANY",  "CREATOR",   "USR_GROUP", "CREATE_DATE",
                                       "MODIFIER", "MODI_DATE", "FLAG"};

bool IsDateField(const TField* field) {
    return dynamic_cast<const TDateTimeField*>(field) != nullptr;
}

// The comma list as trimmed items, empty ones kept so that positions stay parallel.
std::vector<AnsiString> CommaItems(const AnsiString& list) {
    std::vector<AnsiString> items;
    if (Trim(list).empty()) return items;
    const int count = GetTokenCount(list, ",");
    for (int i = 1; i <= count; ++i)
        items.push_back(Trim(GetToken(list, ",", i)));
    return items;
}

// The part of "alias.name" after the alias, and the alias ('' when none).
AnsiString AfterAlias(const AnsiString& item, AnsiString* alias = nullptr) {
    const std::size_t dot = item.find('.');
    if (alias) *alias = dot == AnsiString::npos ? AnsiString() : item.substr(0, dot);
    return dot == AnsiString::npos ? item : item.substr(dot + 1);
}

Variant AsKeyArray(const Variant& keys) {
    return VarIsArray(keys) ? keys : VarArrayOf({keys});
}

} // namespace

bool FieldInEditing(const TField* field) {
    const TDataSet* dataSet = field ? field->DataSet() : nullptr;
    return dataSet && (dataSet->State() == dsEdit || dataSet->State() == dsInsert);
}

TdmRadical::TdmRadical(TComponent* owner, bool load) : TDataModule(owner) {
    if (load) InitInheritedComponent(this);
}

void TdmRadical::DataModuleCreate(TObject*) {
    CreateFlag = true;
}

void TdmRadical::DataModuleDestroy(TObject*) {}

void TdmRadical::SetDefaultValues(TDataSet*) {}

bool TdmRadical::OpenMainData() {
    return false;
}

// ---- connection ----

bool TdmRadical::ConnectServer() {
    AnsiString address;
    int port = 211;
    {
        TVeltraneIniC ini;
        if (ini.ErrorCode.empty() && VarIsArray(ini.Servers) && VarArrayDimCount(ini.Servers) == 2 &&
            VarArrayHighBound(ini.Servers, 2) >= VarArrayLowBound(ini.Servers, 2)) {
            const int first = VarArrayLowBound(ini.Servers, 2);
            const int row = VarArrayLowBound(ini.Servers, 1);
            address = Trim(VarToStr(ini.Servers.GetElement({row, first})));
            port = StrToIntDef(Trim(VarToStr(ini.Servers.GetElement({row + 1, first}))), port);
        }
    }
    MIDAS->Close();
    MIDAS->SetAddress(address);
    MIDAS->SetObjectBroker(nullptr);
    MIDAS->SetPort(port);
    MIDAS->SetUser(Broker ? Broker->UserID : AnsiString()); // the user the connection speaks for
    if (!MIDAS->Connected()) {
        if (address == LocalServerAddress) {
            // In process: the server object itself, no socket.
            const Variant server = CreateOleObject(TAppServer::ProgID);
            MIDAS->SetAppServer(server);
            AppServer = server;
        } else {
            MIDAS->Open();
            AppServer = MIDAS->AppServer();
        }
    }
    const TAppServer server(AppServer);
    if (!server.Assigned()) return false;
    Variant params = VarArrayCreate({0, 5}, varOleStr);
    params.PutElement({0}, Broker ? Broker->ProgramID : AnsiString());
    params.PutElement({1}, Broker ? Broker->UserID : AnsiString());
    params.PutElement({2}, Broker ? Broker->CompanyID : AnsiString());
    params.PutElement({3}, Broker ? Broker->Database : AnsiString());
    params.PutElement({4}, CreateFlag);
    params.PutElement({5}, Broker ? Broker->CatalogFlag : false);
    const int answer = server.Connect(params);
    if (Broker) Broker->SvrSettings->SetText(server.SvrData());
    ConnectLookupServer();
    // A server that refused the user serves no rows: its data sets stay closed.
    if (answer != 0) return false;
    OpenMainData();
    OpenDataSets();
    return true;
}

bool TdmRadical::ConnectLookupServer() {
    scLookUpData->Close();
    scLookUpData->SetAddress(MIDAS->Address());
    scLookUpData->SetObjectBroker(nullptr);
    scLookUpData->SetPort(MIDAS->Port());
    scLookUpData->SetUser(MIDAS->User());
    if (!scLookUpData->Connected()) {
        if (scLookUpData->Address() == LocalServerAddress)
            scLookUpData->SetAppServer(CreateOleObject(TAppServer::LookupProgID));
        else
            scLookUpData->Open();
    }
    return true;
}

void TdmRadical::OpenDataSets() {
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* dataSet = dynamic_cast<TCustomClientDataSet*>(Components(i));
        if (dataSet && !dataSet->ProviderName().empty() && !dataSet->Active()) dataSet->Open();
    }
}

bool TdmRadical::SaveDataSet(TCustomClientDataSet* dataSet) {
    return PostAndApply(dataSet);
}

void TdmRadical::LoadServerDate() {
    const TAppServer server(AppServer);
    if (!server.Assigned()) return;
    try {
        ServerDate = VarToStr(server.WhatIs("TODAY"));
    } catch (const Exception&) {
        ServerDate = FormatDateTime("yyyymmdd", Now());
    }
}

// ---- conversions ----

AnsiString TdmRadical::ToUI(const AnsiString& text) const {
    TRadicalView* view = View();
    return view ? view->ViewDbToUI(text) : text;
}

AnsiString TdmRadical::FromUI(const AnsiString& text) const {
    TRadicalView* view = View();
    return view ? view->ViewUIToDb(text) : text;
}

AnsiString TdmRadical::Unconverted(const AnsiString& text) const {
    TRadicalView* view = View();
    return view ? view->ViewFromUI(text) : text;
}

void TdmRadical::TranslateDataSets() {
    TRadicalView* view = View();
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* dataSet = dynamic_cast<TCustomClientDataSet*>(Components(i));
        if (!dataSet) continue;
        dataSet->DisableControls();
        try {
            for (int f = 0; f < dataSet->FieldCount(); ++f) {
                TField* field = dataSet->Fields()->Fields(f);
                // The audit fields were labelled for the user interface when their data set opened.
                if (view && !IsAuditField(field->FieldName()))
                    field->SetDisplayLabel(view->ViewToUI(field->DisplayLabel()));
                if (field->DataType() == ftString || field->DataType() == ftMemo ||
                    field->DataType() == ftWideString || field->DataType() == ftFixedChar) {
                    if (!field->OnGetText())
                        field->SetOnGetText(TFieldGetTextEvent(this, &TdmRadical::DOGetText));
                    if (!field->OnSetText())
                        field->SetOnSetText(TFieldSetTextEvent(this, &TdmRadical::DOSetText));
                }
            }
        } catch (...) {
            dataSet->EnableControls();
            throw;
        }
        dataSet->EnableControls();
    }
}

void TdmRadical::BuildWhereClause(TDataSet* dataSet, const AnsiString& fields, AnsiString& where,
                                  const AnsiString& defaultAlias, const AnsiString& targets) {
    if (!dataSet) return;
    const std::vector<AnsiString> fieldItems = CommaItems(fields);
    const std::vector<AnsiString> targetItems = Trim(targets).empty() ? fieldItems : CommaItems(targets);
    AnsiString condition;
    std::size_t target = 0;
    for (const AnsiString& item : fieldItems) {
        TField* field = dataSet->FindField(AfterAlias(item));
        if (!field) continue; // does not consume a target
        const AnsiString column = target < targetItems.size() ? targetItems[target] : AfterAlias(item);
        ++target;
        AnsiString alias;
        const AnsiString name = AfterAlias(column, &alias);
        if (alias.empty()) alias = defaultAlias;
        AnsiString value;
        if (IsNumberField(field->DataType())) {
            // A number is written as it is; anything else there would be pasted into the statement.
            value = Trim(field->AsString());
            double number = 0;
            if (value.empty() || !TryStrToFloat(value, number))
                throw EConvertError(Format("%s: '%s' is not a number", {field->FieldName(), value}));
        } else {
            value = QuotedStr(field->AsString());
        }
        condition += Format("%s%s%s=%s", {condition.empty() ? AnsiString() : AnsiString(" and "),
                                          alias.empty() ? AnsiString() : alias + ".", name, value});
    }
    where = condition;
}

// ---- audit columns ----

bool TdmRadical::IsAuditField(const AnsiString& name) {
    for (const char* audit : AuditFieldNames)
        if (SameText(name, audit)) return true;
    return false;
}

void TdmRadical::ShowAuditFields(TDataSet* dataSet, bool flag) {
    if (!dataSet) return;
    dataSet->DisableControls();
    for (int i = 0; i < dataSet->FieldCount(); ++i) {
        TField* field = dataSet->Fields()->Fields(i);
        if (!IsAuditField(field->FieldName())) continue;
        field->SetVisible(flag);
        field->SetReadOnly(flag);
    }
    dataSet->EnableControls();
}

AnsiString TdmRadical::AuditLabel(const AnsiString& ident, const AnsiString& defaultText) {
    TRadicalView* view = View();
    return view ? view->ViewLangText("TdmRadical", ident, defaultText) : defaultText;
}

void TdmRadical::LabelAuditFields(TDataSet* dataSet) {
    if (!dataSet) return;
    const struct {
        const char* Field;
        const char* Ident;
        const char* Default;
    } labels[] = {
        {"COMPANY", "sCompany", "公司编号"}, {"CREATOR", "sCreator", "录入者"},
        {"USR_GROUP", "sGroup", "组编号"},   {"CREATE_DATE", "sCreateDate", "录入日期"},
        {"MODIFIER", "sModifier", "更改者"}, {"MODI_DATE", "sModiDate", "更改日期"},
        {"FLAG", "sFlag", "标识"},
    };
    // Each label changes the layout: the controls show the last one only.
    TDataSetGuard still(dataSet, TDataSetGuard::dgControls);
    for (const auto& entry : labels) {
        TField* field = dataSet->FindField(entry.Field);
        if (!field) continue;
        field->SetDisplayLabel(AuditLabel(entry.Ident, entry.Default));
        if (SameText(entry.Field, "CREATE_DATE") || SameText(entry.Field, "MODI_DATE"))
            field->SetOnGetText(TFieldGetTextEvent(this, &TdmRadical::DateTimeFieldGetText));
    }
}

void TdmRadical::StampAuditFields(TDataSet* dataSet) {
    if (!dataSet) return;
    TField* flag = dataSet->FindField("FLAG");
    const int value = flag ? StrToIntDef(Trim(flag->AsString()), 0) : 0;
    if (value < 0) return; // already stamped
    auto put = [dataSet](const char* name, const AnsiString& text) {
        if (TField* field = dataSet->FindField(name)) SetFieldText(field, text, false);
    };
    if (dataSet->State() == dsInsert) {
        put("COMPANY", Broker ? Broker->CompanyID : AnsiString());
        put("CREATOR", Broker ? Broker->UserID : AnsiString());
        put("CREATE_DATE", ServerDate);
        put("USR_GROUP", Broker ? Broker->Group : AnsiString());
        put("FLAG", "-1");
    } else if (dataSet->State() == dsEdit) {
        put("MODIFIER", Broker ? Broker->UserID : AnsiString());
        put("MODI_DATE", ServerDate);
        put("FLAG", IntToStr(-((value + 1) % 1000)));
    }
}

void TdmRadical::InitNullFields(TDataSet* dataSet) {
    FillNullFields(dataSet);
}

// ---- field handlers ----

namespace {

// A validation failure: the message, then the silent abort that cancels the change.
[[noreturn]] void Refuse(TBrokers* broker, const AnsiString& code, std::initializer_list<TVarRec> args = {}) {
    if (broker) broker->Say("E", code, args);
    Abort();
}

} // namespace

AnsiString TdmRadical::YearMaskPart() const {
    return DateKind == 4 ? "99" : DateKind == 5 ? "999" : "9999";
}

void TdmRadical::DateFieldGetText(TField* sender, AnsiString& text, bool) {
    text.clear();
    if (!sender || sender->IsNull()) return;
    if (IsDateField(sender))
        text = FormatDateByKind(DateKind, DateSeparator, sender->AsDateTime());
    else
        text = FormatDateByKind(DateKind, DateSeparator, YMDStrToDate(sender->AsString()));
}

namespace {

bool HasDigit(const AnsiString& text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Digits typed without the separators (an edit that does not show the mask) take the mask's shape:
// "20261210" under "9999/99/99" reads "2026/12/10". Any other text is left as it is.
AnsiString ShapeByMask(const AnsiString& text, const AnsiString& editMask) {
    const AnsiString trimmed = Trim(text);
    const AnsiString mask = editMask.substr(0, editMask.find(';'));
    const auto digits = static_cast<size_t>(std::count(mask.begin(), mask.end(), '9'));
    if (trimmed.size() != digits ||
        !std::all_of(trimmed.begin(), trimmed.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return text;
    AnsiString shaped;
    size_t next = 0;
    for (char m : mask)
        shaped += m == '9' ? trimmed[next++] : m;
    return shaped;
}

} // namespace

void TdmRadical::DateFieldSetText(TField* sender, const AnsiString& text) {
    if (!sender) return;
    const AnsiString shaped = ShapeByMask(text, DateFieldEditMask());
    if (IsDateField(sender)) {
        const TDateTime date = StrToDateByKind(shaped, DateKind, DateSeparator);
        if (date > 0)
            sender->SetAsDateTime(date);
        else if (HasDigit(text))
            Refuse(Broker, "000005"); // a typed text that is no date: said, and the field keeps its date
        else
            sender->Clear();
        return;
    }
    const AnsiString ymd = DateStrToYMD(shaped, DateKind, DateSeparator);
    if (ymd != "0" && !ymd.empty())
        sender->SetAsString(ymd);
    else if (HasDigit(text))
        Refuse(Broker, "000005");
    else
        sender->SetAsString(AnsiString());
}

void TdmRadical::DateFieldValidate(TField* sender) {
    if (!FieldInEditing(sender) || IsDateField(sender)) return;
    const AnsiString text = sender->AsString();
    if (!text.empty() && !(text.size() == 8 && IsValidYMDStr(text))) Refuse(Broker, "000005");
}

AnsiString TdmRadical::DateFieldEditMask() {
    if (DateKind == 2 || DateKind == 3)
        return "99" + DateSeparator + "99" + DateSeparator + YearMaskPart() + ";1; ";
    return YearMaskPart() + DateSeparator + "99" + DateSeparator + "99" + ";1; ";
}

void TdmRadical::YMFieldGetText(TField* sender, AnsiString& text, bool) {
    text.clear();
    if (!sender) return;
    const AnsiString stored = sender->AsString();
    const AnsiString year = Copy(stored, 1, 4);
    const AnsiString month = Copy(stored, 5, 2);
    if (CompareStr(year, "0") <= 0 || CompareStr(month, "0") <= 0) return;
    int y = 0;
    if (!TryStrToInt(year, y)) return;
    switch (DateKind) {
    case 2:
    case 3:
        text = month + DateSeparator + year;
        break;
    case 4:
        text = IntToStr(y - 1911) + DateSeparator + month;
        break;
    case 5:
        text = FormatZeroPad(3, y - 1911) + DateSeparator + month;
        break;
    default:
        text = FormatZeroPad(4, y) + DateSeparator + month;
        break;
    }
}

void TdmRadical::YMFieldSetText(TField* sender, const AnsiString& text) {
    if (!sender) return;
    AnsiString result;
    ComposeYearMonth(text, DateKind, DateSeparator, result);
    sender->SetAsString(result);
}

void TdmRadical::YMFieldValidate(TField* sender) {
    if (!FieldInEditing(sender)) return;
    const AnsiString text = sender->AsString();
    if (text.empty()) return;
    const int year = text.size() < 6 ? 0 : StrToInt(Copy(text, 1, 4));
    if (year < 1753 || year > 9999) Refuse(Broker, "200820");
    const int month = StrToInt(Copy(text, 5, 2));
    if (month < 1 || month > 12) Refuse(Broker, "100002");
}

AnsiString TdmRadical::YMFieldEditMask() {
    if (DateKind == 2 || DateKind == 3) return "99" + DateSeparator + YearMaskPart() + ";1; ";
    return YearMaskPart() + DateSeparator + "99" + ";1; ";
}

void TdmRadical::YearFieldGetText(TField* sender, AnsiString& text, bool) {
    text.clear();
    if (!sender) return;
    const AnsiString year = Copy(sender->AsString(), 1, 4);
    if (CompareStr(year, "0") <= 0) return;
    int y = 0;
    if (!TryStrToInt(Trim(year), y)) return;
    if (DateKind == 4)
        text = IntToStr(y - 1911);
    else if (DateKind == 5)
        text = FormatZeroPad(3, y - 1911);
    else
        text = FormatZeroPad(4, y);
}

void TdmRadical::YearFieldSetText(TField* sender, const AnsiString& text) {
    if (!sender) return;
    const AnsiString number = Trim(text);
    if (number.empty() || DateKind < 1 || DateKind > 5) {
        sender->SetAsString(AnsiString());
        return;
    }
    const int year = StrToInt(number) + (DateKind >= 4 ? 1911 : 0);
    sender->SetAsString(PadLeft(IntToStr(year), {4, '0'}));
}

AnsiString TdmRadical::YearFieldEditMask() {
    return YearMaskPart() + ";1; ";
}

void TdmRadical::MDFieldGetText(TField* sender, AnsiString& text, bool) {
    text.clear();
    if (!sender || sender->IsNull()) return;
    const AnsiString stored = sender->AsString();
    if (stored.empty()) return;
    const AnsiString month = Copy(stored, 1, 2);
    const AnsiString day = Copy(stored, 3, 2);
    text = DateKind == 3 ? day + DateSeparator + month : month + DateSeparator + day;
}

void TdmRadical::MDFieldSetText(TField* sender, const AnsiString& text) {
    if (!sender) return;
    if (text == "  " + DateSeparator + "  " || Trim(text).empty()) {
        sender->SetAsString(AnsiString());
        return;
    }
    AnsiString rest = text;
    const AnsiString first = Trim(FetchToken(rest, DateSeparator));
    const AnsiString second = Trim(FetchToken(rest, DateSeparator));
    const int a = StrToIntDef(first, 0), b = StrToIntDef(second, 0);
    const int month = DateKind == 3 ? b : a;
    const int day = DateKind == 3 ? a : b;
    sender->SetAsString(FormatZeroPad(2, month) + FormatZeroPad(2, day));
}

void TdmRadical::MDFieldValidate(TField* sender) {
    if (!FieldInEditing(sender)) return;
    const AnsiString text = sender->AsString();
    if (text.empty()) return;
    Word year = 0, month = 0, day = 0;
    DecodeDate(Date(), year, month, day);
    const AnsiString date = FormatZeroPad(4, year) + text;
    if (date.size() != 8 || !IsValidYMDStr(date)) Refuse(Broker, "000005");
}

AnsiString TdmRadical::MDFieldEditMask() {
    return "99" + DateSeparator + "99" + ";1; ";
}

void TdmRadical::TimeFieldGetText(TField* sender, AnsiString& text, bool) {
    DoTimeGetText(sender, text);
}

void TdmRadical::TimeFieldSetText(TField* sender, const AnsiString& text) {
    DoTimeSetText(sender, text);
}

void TdmRadical::TimeFieldValidate(TField* sender) {
    if (!FieldInEditing(sender)) return;
    const AnsiString text = sender->AsString();
    if (text.empty()) return;
    const int hours = text.size() == 4 ? StrToIntDef(Copy(text, 1, 2), -1) : -1;
    const int minutes = text.size() == 4 ? StrToIntDef(Copy(text, 3, 2), -1) : -1;
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59) Refuse(Broker, "100187");
}

AnsiString TdmRadical::TimeFieldEditMask() {
    return "99:99;1; ";
}

void TdmRadical::DayFieldSetText(TField* sender, const AnsiString& text) {
    DoDaySetText(sender, text);
}

void TdmRadical::MonthFieldSetText(TField* sender, const AnsiString& text) {
    DoMonthSetText(sender, text);
}

void TdmRadical::DayFieldValidate(TField* sender) {
    if (!FieldInEditing(sender)) return;
    const AnsiString text = Trim(sender->AsString());
    if (text.empty()) return;
    const int day = StrToIntDef(text, 0);
    if (day < 1 || day > 31) Refuse(Broker, "000005");
}

void TdmRadical::MonthFieldValidate(TField* sender) {
    if (!FieldInEditing(sender)) return;
    const AnsiString text = Trim(sender->AsString());
    if (text.empty()) return;
    const int month = StrToIntDef(text, 0);
    if (month < 1 || month > 12) Refuse(Broker, "100002");
}

AnsiString TdmRadical::DayFieldEditMask() {
    return "99;1; ";
}

AnsiString TdmRadical::MonthFieldEditMask() {
    return "99;1; ";
}

void TdmRadical::PercentFieldGetText(TField* sender, AnsiString& text, bool) {
    DoPercentGetText(sender, text);
}

void TdmRadical::PercentFieldSetText(TField* sender, const AnsiString& text) {
    DoPercentSetText(sender, text);
}

AnsiString TdmRadical::PercentFieldEditMask() {
    return "###.##%;1; ";
}

bool TdmRadical::IsValidTimeText(const AnsiString& text) {
    if (text.empty()) return true;
    if (text.size() != 10) return false;
    const int hours = StrToIntDef(Trim(Copy(text, 1, 4)), 0);
    const int minutes = StrToIntDef(Trim(Copy(text, 6, 2)), 0);
    const int seconds = StrToIntDef(Trim(Copy(text, 9, 2)), 0);
    return hours >= 0 && minutes >= 0 && minutes < 60 && seconds >= 0 && seconds < 60;
}

void TdmRadical::SecondFldGetText(TField* sender, AnsiString& text, bool) {
    text.clear();
    if (!sender || sender->IsNull()) return;
    text = SecondsToTimeStr(static_cast<Int64>(sender->AsFloat()));
}

void TdmRadical::SecondFldSetText(TField* sender, const AnsiString& text) {
    if (!sender) return;
    if (text == "0") {
        sender->SetAsInteger(0);
        return;
    }
    AnsiString rest = text;
    const int hours = StrToIntDef(Trim(FetchToken(rest, ":")), 0);
    const int minutes = StrToIntDef(Trim(FetchToken(rest, ":")), 0);
    const int seconds = StrToIntDef(Trim(FetchToken(rest, ":")), 0);
    const AnsiString duration =
        FormatZeroPad(4, hours) + ":" + FormatZeroPad(2, minutes) + ":" + FormatZeroPad(2, seconds);
    if (!IsValidTimeText(duration)) Refuse(Broker, "100187");
    sender->SetAsFloat(static_cast<double>(hours) * 3600 + minutes * 60 + seconds);
}

AnsiString TdmRadical::SecondFieldEditMask() {
    return "9999:99:99;1; ";
}

void TdmRadical::NumberFieldDisplayFormat(int decimals, AnsiString& format) {
    if (decimals < 0) return;
    if (decimals == 0) {
        format = "#,##0.#######";
        return;
    }
    format = "#,##0." + AnsiString(static_cast<std::size_t>(decimals > 11 ? 11 : decimals), '0');
}

AnsiString TdmRadical::NumberFieldEditFormat() {
    return "##0.#######";
}

void TdmRadical::DOGetText(TField* sender, AnsiString& text, bool) {
    text = sender ? ToUI(sender->AsString()) : AnsiString();
}

void TdmRadical::DOSetText(TField* sender, const AnsiString& text) {
    if (sender) sender->SetAsString(FromUI(text));
}

void TdmRadical::DateTimeFieldGetText(TField* sender, AnsiString& text, bool) {
    text.clear();
    if (!sender || sender->IsNull()) return;
    const TDateTime value =
        IsDateField(sender) ? sender->AsDateTime() : YMDHNSZStrToDateTime(Trim(sender->AsString()));
    text = FormatDateTimeByKind(DateKind, DateSeparator, value);
}

// ---- code checks ----

bool TdmRadical::CheckCodeValue(TField* field, const AnsiString& table, const AnsiString& level, Variant& row,
                                const Variant& keys, const AnsiString& checkNo) {
    if (!field || Trim(field->AsString()).empty()) return true;
    const Variant sent = AsKeyArray(VarIsBlank(keys) ? Variant(field->AsString()) : keys);
    if (Broker && Broker->CheckValue(table, checkNo, row, sent)) return true;
    const AnsiString letter = UpperCase(level);
    if (letter == "E") {
        if (Broker) Broker->Say("E", "000001", {field->DisplayLabel()});
        Abort();
    }
    if (letter == "W") {
        if (!Broker || Broker->Say("W", "000004", {field->DisplayLabel()}) != mrOk) Abort();
    }
    return false;
}

bool TdmRadical::CheckCode(TField* field, const AnsiString& table, const AnsiString& level,
                           const AnsiString& targets, const AnsiString& checkNo) {
    return CheckCodeByKeys(field, table, level, Variant(), targets, checkNo);
}

bool TdmRadical::CheckCodeByKeys(TField* field, const AnsiString& table, const AnsiString& level,
                                 const Variant& keys, const AnsiString& targets, const AnsiString& checkNo) {
    Variant row;
    const bool found = CheckCodeValue(field, table, level, row, keys, checkNo);
    if (!found || !FieldInEditing(field)) return found;
    TDataSet* dataSet = field->DataSet();
    const bool empty = Trim(field->AsString()).empty();
    const std::vector<AnsiString> names = CommaItems(targets);
    for (std::size_t i = 0; i < names.size(); ++i) {
        TField* target = dataSet->FindField(names[i]);
        if (!target) continue;
        SetFieldText(target, empty ? AnsiString() : VarArrayItemText(row, static_cast<int>(i)), false);
    }
    return found;
}

bool TdmRadical::CodeExists(TField* field, const AnsiString& table, Variant& row, const Variant& keys,
                            const AnsiString& checkNo) {
    return CheckCodeValue(field, table, "N", row, keys, checkNo);
}

void TdmRadical::GetCodeValues(TField* field, const AnsiString& table, Variant& values, const Variant& keys,
                               const AnsiString& checkNo) {
    Variant row;
    CheckCodeValue(field, table, "N", row, keys, checkNo);
    const int count = VarArrayLength(row);
    std::vector<Variant> items{Variant(count)};
    for (int i = 0; i < count; ++i)
        items.push_back(row.GetElement({VarArrayLowBound(row, 1) + i}));
    values = VarArrayOf(items);
}

bool TdmRadical::CheckUnique(TField* field, const AnsiString& table, const AnsiString& level,
                             const AnsiString& keyFields, const AnsiString& checkNo) {
    if (!field || !FieldInEditing(field) || Trim(field->AsString()).empty()) return true;
    std::vector<Variant> keys;
    const std::vector<AnsiString> names = CommaItems(keyFields);
    if (names.empty()) {
        keys.push_back(Variant(field->AsString()));
    } else {
        for (const AnsiString& name : names) {
            TField* key = field->DataSet()->FindField(name);
            keys.push_back(Variant(key ? key->AsString() : AnsiString()));
        }
    }
    keys.push_back(Variant());
    Variant row;
    if (!Broker || !Broker->CheckValue(table, checkNo, row, VarArrayOf(keys))) return true;
    const AnsiString letter = UpperCase(level);
    if (letter == "E") {
        Broker->Say("E", "000002", {field->DisplayLabel()});
        Abort();
    }
    if (letter == "W" && Broker->Say("W", "000005", {field->DisplayLabel()}) != mrOk) Abort();
    return false;
}

// ---- code lookups by system setting ----

AnsiString TdmRadical::QueryNoPlusOne(const AnsiString& queryNo) {
    int number = 0;
    if (!TryStrToInt(Trim(queryNo), number)) return queryNo;
    return FormatZeroPad(static_cast<int>(Trim(queryNo).size()), number + 1);
}

void TdmRadical::LookupCode(TField* field, const AnsiString& text, const Variant& keys,
                            const AnsiString& queryNo, const AnsiString& table) {
    if (!field) return;
    if (text.empty()) {
        field->SetAsString(AnsiString());
        return;
    }
    const AnsiString typed = Unconverted(text);
    Variant sent;
    if (VarIsBlank(keys)) {
        sent = typed;
    } else if (VarIsArray(keys)) {
        std::vector<Variant> items;
        for (int i = VarArrayLowBound(keys, 1); i <= VarArrayHighBound(keys, 1); ++i)
            items.push_back(Variant(Unconverted(VarToStr(keys.GetElement({i})))));
        sent = VarArrayOf(items);
    } else {
        sent = Unconverted(VarToStr(keys));
    }
    Variant rows;
    if (Broker) Broker->OpenF2Window(table, queryNo, rows, "", "", "", 0, "", true, false, "", sent);
    if (VarArrayLength(rows) > 0) {
        const Variant first = rows.GetElement({VarArrayLowBound(rows, 1)});
        field->SetAsString(VarArrayItemText(first, 0));
    } else {
        field->SetAsString(typed);
    }
    field->FocusControl();
}

void TdmRadical::BarCodeFieldSetText(TField* field, const AnsiString& text, const Variant& keys,
                                     const AnsiString& queryNo, const AnsiString& table) {
    if (!field) return;
    const AnsiString lookupTable = table.empty() ? AnsiString("RUXMB") : table;
    const AnsiString query = queryNo.empty() ? AnsiString("63") : queryNo;
    if (BarCodeSetting && BarCodeSetting->AsString() == "2" && Broker) {
        Variant row;
        if (Broker->CheckValue("RUXMH", "01", row, VarArrayOf({Unconverted(text)}))) {
            field->SetAsString(VarArrayItemText(row, 0));
            return;
        }
    }
    const AnsiString setting = Broker ? Broker->GetSysSetting("SYS053") : AnsiString();
    if (setting == "1")
        field->SetAsString(Unconverted(text));
    else if (setting == "2")
        LookupCode(field, text, keys, QueryNoPlusOne(query), lookupTable);
    else if (setting == "3")
        LookupCode(field, text, keys, query, lookupTable);
}

void TdmRadical::CostFieldSetText(TField* field, const AnsiString& text, const Variant& keys,
                                  const AnsiString& queryNo, const AnsiString& table) {
    if (!field) return;
    const AnsiString lookupTable = table.empty() ? AnsiString("LEPMA") : table;
    const AnsiString query = queryNo.empty() ? AnsiString("66") : queryNo;
    const AnsiString setting = Broker ? Broker->GetSysSetting("SYS056") : AnsiString();
    if (setting == "1")
        field->SetAsString(Unconverted(text));
    else if (setting == "2")
        LookupCode(field, text, keys, QueryNoPlusOne(query), lookupTable);
    else
        LookupCode(field, text, keys, query, lookupTable);
}

void TdmRadical::CustomerFieldSetText(TField* field, const AnsiString& text) {
    if (!field) return;
    const AnsiString setting = Broker ? Broker->GetSysSetting("SYS054") : AnsiString();
    if (setting == "1")
        field->SetAsString(Unconverted(text));
    else
        LookupCode(field, text, Variant(), setting == "2" ? "62" : "61", "JOQMA");
}

void TdmRadical::ProviderFieldSetText(TField* field, const AnsiString& text, const AnsiString& queryNo) {
    if (!field) return;
    const AnsiString setting = Broker ? Broker->GetSysSetting("SYS055") : AnsiString();
    if (setting == "1")
        field->SetAsString(Unconverted(text));
    else
        LookupCode(field, text, Variant(), setting == "2" ? QueryNoPlusOne(queryNo) : queryNo, "BYVMA");
}
