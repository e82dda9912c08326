#include "framework/RadicalCF.h"

#include <dlfcn.h>

#include <cctype>

#include "classlib/automation/comobj.h"
#include "classlib/controls/stdctrls.h"
#include "classlib/db/db.h"
#include "classlib/objects/formloader.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/strutils.h"
#include "foundation/AlertLog.h"
#include "foundation/LibVCLs.h"
#include "foundation/VeltraneIni.h"
#include "foundation/libstrs.h"
#include "framework/AppServer.h"
#include "framework/WorkCenter.h"
#include "framework/knlRadical.h"
#include "standins/outside/vlpkgex/InteraParam.h"

KVR_PUBLISHED(TfrmRadical, c) {
    c.Method("FormClose", &TfrmRadical::FormClose);
    c.Method("FormCreate", &TfrmRadical::FormCreate);
    c.Method("FormDestroy", &TfrmRadical::FormDestroy);
    c.Method("FormKeyDown", &TfrmRadical::FormKeyDown);
    c.Method("FormKeyPress", &TfrmRadical::FormKeyPress);
    c.Method("FormPaint", &TfrmRadical::FormPaint);
    c.Method("FormResize", &TfrmRadical::FormResize);
    c.Method("FormShow", &TfrmRadical::FormShow);
    c.Method("GetBaseClassParam", &TfrmRadical::GetBaseClassParam);
    c.Method("SetReturn", &TfrmRadical::SetReturn);
}

KVR_MESSAGE_MAP(TfrmRadical, m) {
    m.Handle(WM_KEYF2, &TfrmRadical::WMKeyF2);
    m.Handle(WM_KEYF3, &TfrmRadical::WMKeyF3);
    m.Handle(WM_KEYF4, &TfrmRadical::WMKeyF4);
    m.Handle(WM_KEYF11, &TfrmRadical::WMKeyF11);
    m.Handle(WM_MOVE, &TfrmRadical::WMMove);
}

KVR_FORM_RESOURCE(TfrmRadical, R"(inherited frmRadical: TfrmRadical
  Font.Height = -13
  Font.Name = '宋体'
  KeyPreview = True
  Position = poScreenCenter
  ShowHint = True
  OnClose = FormClose
  OnCreate = FormCreate
  OnDestroy = FormDestroy
  OnKeyDown = FormKeyDown
  OnKeyPress = FormKeyPress
  OnPaint = FormPaint
  OnResize = FormResize
  OnShow = FormShow
end
)");

namespace {

// The start parameters of a stand-alone start.
Variant StandAloneParams() {
    return VarArrayOf({"QV", "PRTest65", "PRTest65", 0, ""});
}

// True when this code runs from a library that a host loaded, not from the executable itself.
bool LoadedAsModule() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&ProgramIDOfFileName), &info) == 0 || !info.dli_fname) return false;
    const AnsiString self = ExpandFileName(SystemPath(info.dli_fname));
    return !SameText(self, GetModuleFileName());
}

} // namespace

TRights RightsRange(int first, int last) {
    TRights rights;
    for (int i = first; i <= last; ++i)
        rights.Include(i);
    return rights;
}

TRights NoProgramRights() {
    return RightsRange(15, 29);
}

bool IsInGrid(const TControl* control) {
    for (int depth = 0; control && depth < 2; ++depth, control = control->Parent())
        if (InheritsFromName(control, "TCustomGrid") || InheritsFromName(control, "TCustomDBGrid"))
            return true;
    return false;
}

TfrmRadical::TfrmRadical(TComponent* owner, bool load) : TQVForm(owner, false) {
    if (load) InitInheritedComponent(this);
}

TfrmRadical::~TfrmRadical() = default;

// ---- creation ----

void TfrmRadical::CreateDataModule() {
    const TClass cls = DataModuleClass();
    if (!cls || !cls->InheritsFrom(TdmRadical::StaticClass()))
        throw Exception("The data module class of " + ClassName() + " is no " +
                        TdmRadical::StaticClass()->ClassName());
    DataModule = static_cast<TdmRadical*>(cls->CreateComponent(this));
}

TClass TfrmRadical::DataModuleClass() {
    return TDataModule::StaticClass();
}

void TfrmRadical::FormCreate(TObject* sender) {
    TQVForm::FormCreate(sender);
    Broker = new TBrokers(this);
    LoadLanguageOnShow = false;
    Rights = RightsRange(0, 14) | RightsRange(22, 59);
    OperationMask = OPERATION_MASK_ALL;
    ParamText.clear();
    OpenMode = OPEN_MODE_NONE;
    if (!IsHosted()) StartStandAlone();
    Application->SetHintPause(100);
    Application->SetHintHidePause(500000);
    for (int i = 0; i < ComponentCount(); ++i)
        if (HasPropByName(Components(i), "ImeName")) SetStrPropByName(Components(i), "ImeName", "");
    LookupMode = lmNormal;
}

void TfrmRadical::StartStandAlone() {
    // Not guarded: a host object that cannot be made fails the form's creation.
    Broker->HostApp = CreateOleObject("VorlanWorkCenter.Manager");
    try {
        TWorkCenter(Broker->HostApp).Connect();
        StartFailed = !InitializeForm(StandAloneParams());
    } catch (const Exception& e) {
        MessageBox(0, e.Message(), "Error!!", MB_OK | MB_ICONERROR);
        StartFailed = true;
    }
}

bool TfrmRadical::IsHosted() {
    const AnsiString exe = Application->ExeName();
    // An executable has no extension here: the running one's own name counts as one too.
    if (!ModuleFileName.empty())
        return !SameText(ExtractFileExt(ModuleFileName), ".Exe") &&
               !SameText(ModuleFileName, ExtractFileName(exe));
    if (UpperCase(exe).find("VORLAN") != AnsiString::npos || LoadedAsModule()) return true;
    ModuleFileName = ExtractFileName(exe);
    return false;
}

AnsiString ProgramIDOfFileName(const AnsiString& fileName) {
    const AnsiString name = ExtractFileName(fileName);
    const std::size_t dot = name.find('.');
    if (dot == AnsiString::npos) return AnsiString();
    // Positions from 1 as the rule counts them: the dot itself first, then back to the last digit.
    std::size_t position = dot + 1;
    while (position > 0 && !(name[position - 1] >= '0' && name[position - 1] <= '9'))
        --position;
    return UpperCase(name.substr(0, position));
}

void TfrmRadical::GetProgramID(AnsiString& id) const {
    id = ModuleFileName.empty() ? AnsiString() : ProgramIDOfFileName(ModuleFileName);
}

// ---- start-up ----

bool TfrmRadical::InitializeForm(const Variant& params) {
    Hide();
    if (!IsHosted()) {
        OpenParam = VarArrayCreate({0, 0, 0, 0}, varVariant);
    } else if (VarIsArray(params) && VarArrayHighBound(params, 1) >= 4) {
        OpenParam = params.GetElement({4});
    } else {
        Broker->Say("E", "000038");
        PostMessage(Handle(), WM_CLOSE);
    }
    try {
        ProductID = TWorkCenter(Broker->HostApp).ProductID();
    } catch (const Exception&) {
        ProductID = 3;
    }
    ConfigureProgram();
    // A missing one of these raises the array's bounds error: the start-up cannot go on without them.
    Broker->UserID = VarToStr(params.GetElement({0}));
    Broker->CompanyID = VarToStr(params.GetElement({1}));
    Broker->Database = VarToStr(params.GetElement({2}));
    AnsiString id;
    GetProgramID(id);
    Broker->ProgramID = UpperCase(id);
    Broker->AttachServices();
    Broker->LoadSysSettings();
    ConnectDataModule();
    ApplyFonts();
    PrepareDataModule();
    // The form's texts were converted once already (ApplyFonts); only the new caption is, built of the
    // catalogue's name and the company's text, both in the program's code page.
    SetCaption(Broker->ProgramName + "[" + Broker->GetSysSetting("QVN002") + "]");
    if (QvConverter) QvConverter->ConvertFormCaption(this);
    ApplyInputSettings();
    const Variant window = params.GetElement({3});
    HostWindow = VarIsNumeric(window) ? window.AsInteger() : StrToIntDef(VarToStr(window), 0);
    const AnsiString printProgram = Trim(Broker->PrintProgram);
    if (!printProgram.empty()) PrintProgram = printProgram;
    Database = Broker->Database;
    return true;
}

void TfrmRadical::ConfigureProgram() {
    TVeltraneIniC ini;
    ClientDir = ini.ClientPath;
    ClientIniName = ini.IniFileName;
    CreateGifBeforeSendQZ = ini.CreateGifBeforeSendQZ;
    SkipDbQualifier = false;
}

void TfrmRadical::ConnectDataModule() {
    DateKind = StrToIntDef(Trim(Broker->GetSysSetting("SYS001")), 1);
    DateSeparator = Broker->GetSysSetting("SYS002");
    if (!DataModule) return;
    DataModule->Broker = Broker;
    // Until the server has accepted the user, the user has no right of the program: a refused or
    // failed connection leaves none behind.
    Rights = NoProgramRights();
    GroupList.clear();
    ExPower.clear();
    if (!DataModule->ConnectServer()) {
        Broker->Say("E", "000004");
        return;
    }
    Broker->Group = Broker->GetSvrSetting("USER_GROUP");
    SetUserRights(Broker->GetSvrSetting("POWER_DATA"), Broker->GetSvrSetting("GROUP_LIST"),
                  Broker->GetSvrSetting("EX_POWER"));
    DataModule->DateKind = DateKind;
    DataModule->DateSeparator = DateSeparator;
    SQLType = StrToIntDef(Trim(VarToStr(TAppServer(DataModule->AppServer).WhatIs("SQLTYPE"))), 0);
}

void TfrmRadical::SetUserRights(const AnsiString& powerData, const AnsiString& groupList,
                                const AnsiString& exPower) {
    Rights = NoProgramRights();
    GroupList = groupList;
    ExPower = exPower;
    if (powerData.empty()) {
        Broker->Say("E", "000004");
        return;
    }
    // Elements 0 to 5; a shorter list reads its missing elements as empty.
    const int count = GetTokenCount(powerData, ",");
    auto element = [&](int i) { return i < count ? GetToken(powerData, ",", i + 1) : AnsiString(); };
    Rights = RightsRange(0, 14);
    if (SameText(element(1), "Y")) Rights.Include(30);
    if (SameText(element(2), "Y")) Rights.Include(31);
    Rights.Include(37);
    const AnsiString operations = element(3);
    auto at = [](const AnsiString& text, int position) {
        return position <= static_cast<int>(text.size()) ? text[static_cast<std::size_t>(position - 1)]
                                                         : '\0';
    };
    const struct {
        int Position, OnY, OnR;
    } table[] = {{2, 38, -1}, {3, 39, -1}, {4, 40, -1},  {5, 41, -1},  {6, 42, -1}, {7, 32, 34},
                 {8, 33, 35}, {9, 36, -1}, {10, 43, -1}, {11, 44, -1}, {12, 45, -1}};
    for (const auto& entry : table) {
        const char c = at(operations, entry.Position);
        if (c == 'Y') Rights.Include(entry.OnY);
        if (c == 'R' && entry.OnR >= 0) Rights.Include(entry.OnR);
    }
    const AnsiString own = element(4), others = element(5);
    for (int i = 1; i <= 7; ++i) {
        if (at(own, i) == 'Y') Rights.Include(45 + i);
        if (at(others, i) == 'Y') Rights.Include(52 + i);
    }
}

void TfrmRadical::ApplyFonts() {
    ConvertCodePage();
    LoadLanguage(this);
    if (QvConverter && Screen) {
        const Byte mode = QvConverter->UIConvertMode();
        TCodeConverter::SetFontCharset(mode, Screen->IconFont());
        TCodeConverter::SetFontCharset(mode, Screen->HintFont());
        TCodeConverter::SetFontCharset(mode, Screen->MenuFont());
    }
    // The hint window takes the new font when hints are switched on again.
    const bool showHint = Application->ShowHint();
    Application->SetShowHint(!showHint);
    Application->SetShowHint(showHint);
}

void TfrmRadical::PrepareDataModule() {
    if (!DataModule) return;
    DataModule->TranslateDataSets();
    LoadModuleLanguage(DataModule);
}

// ---- the empty operations of the root ----

void TfrmRadical::AfterFormShow() {}
void TfrmRadical::Reserved() {}
void TfrmRadical::ApplyInputSettings() {}
void TfrmRadical::ApplyUserSettings() {}
void TfrmRadical::SetupUserFields() {}
void TfrmRadical::UpdateButtonStates() {}
void TfrmRadical::AfterSay() {}

int TfrmRadical::RunProgram(const AnsiString& programID, const AnsiString& param) {
    Variant result;
    return Broker->ExecWork(programID, Variant(param), true, result, VarArrayOf({0, 0, Variant()}));
}

void TfrmRadical::GetProgramName(const AnsiString& programID, AnsiString& name) {
    name = Broker->GetProgramNameOf(programID);
}

// ---- keys ----

void TfrmRadical::FocusUnlessInGrid(TWinControl* control) {
    if (!control) return;
    if (control->Parent() && IsInGrid(control->Parent())) return;
    if (IsInGrid(control) || !control->CanFocus()) return;
    control->SetFocus();
}

void TfrmRadical::DoF2Key(Word&, TWinControl* control) {
    FocusUnlessInGrid(control);
}

void TfrmRadical::DoF3Key(Word&, TWinControl* control) {
    FocusUnlessInGrid(control);
}

void TfrmRadical::DoF4Key(Word&, TWinControl* control) {
    FocusUnlessInGrid(control);
}

void TfrmRadical::DoF11Key(Word&, TWinControl* control) {
    FocusUnlessInGrid(control);
}

void TfrmRadical::FormKeyDown(TObject*, Word& key, TShiftState shift) {
    switch (key) {
    case VK_F1:
        ShowHelp();
        return;
    case VK_F2:
        LookupMode = lmNormal;
        DoF2Key(key, ActiveControl());
        return;
    case VK_F3:
        DoF3Key(key, ActiveControl());
        return;
    case VK_F4:
        DoF4Key(key, ActiveControl());
        return;
    case VK_F11:
        DoF11Key(key, ActiveControl());
        return;
    default:
        break;
    }
    if (key == 'V' && shift == TShiftState{ssCtrl, ssAlt}) ShowFileProperties(ModuleFileName);
}

void TfrmRadical::FormKeyPress(TObject*, char& key) {
    if (key != '\r') return;
    TWinControl* active = ActiveControl();
    if (IsInGrid(active)) return;
    key = 0;
    SelectNext(active, true, true);
}

namespace {

TWinControl* MessageControl(const TMessage& message) {
    return reinterpret_cast<TWinControl*>(message.LParam);
}

} // namespace

void TfrmRadical::WMKeyF2(TMessage& message) {
    Word key = VK_F2;
    LookupMode = lmNormal;
    DoF2Key(key, MessageControl(message));
}

void TfrmRadical::WMKeyF3(TMessage& message) {
    Word key = VK_F3;
    DoF3Key(key, MessageControl(message));
}

void TfrmRadical::WMKeyF4(TMessage& message) {
    Word key = VK_F4;
    DoF4Key(key, MessageControl(message));
}

void TfrmRadical::WMKeyF11(TMessage& message) {
    Word key = VK_F11;
    DoF11Key(key, MessageControl(message));
}

void TfrmRadical::RepaintHostWindow() {
    if (!HostWindow) return;
    if (TWinControl* host = FindControl(static_cast<HWND>(HostWindow))) host->Update();
}

void TfrmRadical::WMMove(TMessage& message) {
    InheritedMessage(message);
    RepaintHostWindow();
}

void TfrmRadical::FormResize(TObject*) {
    RepaintHostWindow();
}

void TfrmRadical::CreateParams(TCreateParams& params) {
    TQVForm::CreateParams(params);
    // A hosted form is a window of the desktop (handle 0 on this screen), not of the application.
    if (IsHosted()) params.WndParent = 0;
}

// ---- help ----

void TfrmRadical::ShowHelp() {
    const AnsiString id = Broker ? Broker->ProgramID : AnsiString();
    if (id.size() < 4) return;
    const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(id[3])));
    AnsiString digit;
    if (kind == 'I' || kind == 'Q')
        digit = "1";
    else if (kind == 'A')
        digit = "6";
    else if (kind == 'M')
        digit = "8";
    else
        return;
    const AnsiString topic = digit + (kind == 'I' ? "1" : "4") + id.substr(id.size() - 2);
    AnsiString context;
    GetHelpContext(topic, context);
    TWorkCenter(Broker->HostApp).CallHelp(VarArrayOf({id.substr(0, 3), context}));
}

namespace {

// The field name's digits as the help contexts take them: characters 3-5 when the third is a digit.
bool FieldHelpPart(const AnsiString& name, AnsiString& part) {
    if (name.size() < 3 || name[2] < '0' || name[2] > '9') return false;
    part = Copy(name, 3, 3);
    return true;
}

} // namespace

void TfrmRadical::GetHelpContext(const AnsiString& topic, AnsiString& context) {
    context = topic + "0000";
    TWinControl* active = ActiveControl();
    if (!Active() || !active) return;
    // A control that names a help topic of its own (its published HelpKeyword) has that one.
    AnsiString own;
    GetStrPropByName(active, "HelpKeyword", own);
    if (!Trim(own).empty()) {
        context = Trim(own);
        return;
    }
    AnsiString part;
    if (!IsInGrid(active)) {
        AnsiString dataField;
        GetStrPropByName(active, "DataField", dataField);
        if (dataField.empty()) return;
        auto* source = dynamic_cast<TDataSource*>(GetObjectPropByName(active, "DataSource"));
        TDataSet* dataSet = source ? source->DataSet() : nullptr;
        if (dataSet && dataSet->Name() == "cdsMain" && FieldHelpPart(dataField, part))
            context = topic + "1" + part;
        return;
    }
    TControl* grid = active;
    while (grid && !InheritsFromName(grid, "TCustomDBGrid"))
        grid = grid->Parent();
    auto* field = grid ? dynamic_cast<TField*>(GetObjectPropByName(grid, "SelectedField")) : nullptr;
    if (field && FieldHelpPart(field->FieldName(), part)) context = topic + "2" + part;
}

// ---- showing and closing ----

void TfrmRadical::FormShow(TObject* sender) {
    TQVForm::FormShow(sender);
    if (WindowState() == wsMinimized) SetWindowState(wsNormal);
    AfterFormShow();
    BringToFront();
}

void TfrmRadical::FormPaint(TObject*) {
    if (StartFailed) Close();
}

void TfrmRadical::FormClose(TObject*, TCloseAction&) {
    if (!DataModule) return;
    if (DataModule->MIDAS && DataModule->MIDAS->Connected()) DataModule->MIDAS->Close();
    if (DataModule->scLookUpData && DataModule->scLookUpData->Connected()) DataModule->scLookUpData->Close();
}

void TfrmRadical::FormDestroy(TObject*) {}

// ---- helpers of the descendants ----

void TfrmRadical::ArrangeToolBar(TWinControl* toolBar) {
    if (!toolBar) return;
    int left = 0;
    for (int i = 0; i < toolBar->ControlCount(); ++i) {
        TControl* button = toolBar->Controls(i);
        if (!button->Visible()) continue;
        button->SetLeft(left);
        left = button->Left() + button->Width();
    }
}

void TfrmRadical::RebindDataSource(TComponent* component) {
    if (!component) return;
    for (int i = 0; i < ComponentCount(); ++i) {
        TComponent* owned = Components(i);
        const TPropInfo* prop = owned->ClassType()->FindProp("DataSource");
        if (!prop || prop->Kind() != tkClass || !prop->Writable()) continue;
        auto* current = dynamic_cast<TComponent*>(prop->GetObject(owned));
        if (current && current != component && SameText(current->Name(), component->Name()))
            prop->SetObject(owned, component);
    }
}

void TfrmRadical::PickDate(TField* field) {
    if (!field) return;
    TDateTime start = Date();
    if (dynamic_cast<TDateTimeField*>(field)) {
        if (!field->IsNull() && field->AsDateTime() != 0) start = field->AsDateTime();
    } else if (!field->IsNull()) {
        const TDateTime date = YMDStrToDate(Trim(field->AsString()));
        if (date != 0) start = date;
    }
    const AnsiString chosen = Broker->ShowInputDay(DateKind > 3, FormatDateTime("yyyymmdd", start));
    if (chosen.empty()) return;
    if (dynamic_cast<TDateTimeField*>(field)) {
        const TDateTime date = YMDStrToDate(chosen);
        if (date != 0) field->SetAsDateTime(date);
    } else {
        SetFieldText(field, chosen, false);
    }
}

void TfrmRadical::OpenLookup(TField* field, const AnsiString& table, const Variant& keys,
                             const Variant& queryNo) {
    if (!field) return;
    OpenLookupFor(field, field->FieldName(), false, false, keys, queryNo, table);
}

void TfrmRadical::OpenLookupFor(TField* field, const AnsiString& targets, bool flag1, bool flag2,
                                const Variant& keys, const Variant& queryNo, const Variant& table) {
    if (!field) return;
    auto* edit = Active() ? dynamic_cast<TCustomEdit*>(ActiveControl()) : nullptr;
    AnsiString current = edit ? edit->Text() : field->Text();
    if (edit && field->DataType() == ftFloat) current = StringReplace(current, ",", "", rfReplaceAll);
    Variant rows;
    Broker->OpenF2Window(table, queryNo, rows, "", "", "", static_cast<int>(Handle()), "", flag1, flag2,
                         current, keys);
    if (!VarIsArray(rows) || VarArrayDimCount(rows) != 1 ||
        VarArrayHighBound(rows, 1) < VarArrayLowBound(rows, 1))
        return;
    std::vector<AnsiString> names;
    const AnsiString list = Trim(targets).empty() ? field->FieldName() : targets;
    for (int i = 1; i <= GetTokenCount(list, ","); ++i)
        names.push_back(Trim(GetToken(list, ",", i)));
    TDataSet* dataSet = field->DataSet();
    const int low = VarArrayLowBound(rows, 1), high = VarArrayHighBound(rows, 1);
    try {
        for (int r = low; r <= high; ++r) {
            const Variant row = rows.GetElement({r});
            bool first = true;
            for (std::size_t i = 0; i < names.size(); ++i) {
                TField* target = dataSet ? dataSet->FindField(names[i]) : nullptr;
                if (!target || !VarIsArray(row)) continue;
                const int at = VarArrayLowBound(row, 1) + static_cast<int>(i);
                if (at > VarArrayHighBound(row, 1)) continue;
                const Variant value = row.GetElement({at});
                const AnsiString text =
                    VarIsNull(value) || VarIsEmpty(value) ? AnsiString() : VarToStr(value);
                SetFieldText(target, text, false);
                if (first) {
                    first = false;
                    if (edit) {
                        edit->SetText(text);
                        edit->SelectAll();
                    }
                    // A lookup combo bound to the field shows the text as well.
                    for (int c = 0; c < ComponentCount(); ++c) {
                        TComponent* combo = Components(c);
                        AnsiString bound;
                        GetStrPropByName(combo, "DataField", bound);
                        if (ClassIsNamed(combo, "TQvBtnDBCombo") && SameText(bound, target->FieldName()))
                            SetStrPropByName(combo, "Text", text);
                    }
                }
            }
            // Each further row gets a line of its own; none is left empty after the last.
            if (r < high && dataSet) {
                dataSet->Post();
                dataSet->Append();
            }
        }
    } catch (const Exception& e) {
        WriteAlertLog("Class RadicalCF-461", e.Message(), 'D');
        throw;
    }
}

void TfrmRadical::PickPhrase(TField* field) {
    if (!field) return;
    const AnsiString phrase = Broker->PickPhrase(field->AsString());
    if (!phrase.empty()) SetFieldText(field, phrase, false);
}

// ---- conversions ----

void TfrmRadical::ConvertText(Byte kind, const Variant& value, Variant& result) {
    result = QvConverter ? QvConverter->ConvertVariant(kind, value) : value;
}

void TfrmRadical::ConvertDbText(const Variant& value, Variant& result) {
    result = QvConverter ? QvConverter->DBToUI(value) : value;
}

void TfrmRadical::ConvertUiText(const Variant& value, Variant& result) {
    result = QvConverter ? QvConverter->ProgramToUI(value) : value;
}

void TfrmRadical::UnconvertUiText(const Variant& value, Variant& result) {
    result = QvConverter ? QvConverter->UIToProgram(value) : value;
}

AnsiString TfrmRadical::ViewDbToUI(const AnsiString& text) {
    Variant result;
    ConvertDbText(text, result);
    return VarToStr(result);
}

AnsiString TfrmRadical::ViewToUI(const AnsiString& text) {
    Variant result;
    ConvertUiText(text, result);
    return VarToStr(result);
}

AnsiString TfrmRadical::ViewFromUI(const AnsiString& text) {
    Variant result;
    UnconvertUiText(text, result);
    return VarToStr(result);
}

AnsiString TfrmRadical::ViewUIToDb(const AnsiString& text) {
    return QvConverter ? VarToStr(QvConverter->UIToDB(text)) : text;
}

AnsiString TfrmRadical::ViewLangText(const AnsiString& section, const AnsiString& ident,
                                     const AnsiString& def) {
    AnsiString text;
    GetLangString(section, ident, text, true, def);
    return text;
}

AnsiString TfrmRadical::ViewProgramID() {
    AnsiString id;
    GetProgramID(id);
    return id;
}

AnsiString TfrmRadical::ViewClientFolder() {
    const AnsiString folder = ExtractFilePath(ClientIniName);
    return folder.empty() ? IncludeTrailingBackslash(ClientDir) : folder;
}

AnsiString TfrmRadical::BrokerConvertScript(const AnsiString& text, Byte mode) {
    if (!QvConverter) return text;
    if (mode == 1) return QvConverter->Big5ToGB(text);
    if (mode == 2) return QvConverter->GBToBig5(text);
    return text;
}

void TfrmRadical::DbTextCallback(Variant& value) {
    ConvertDbText(Variant(value), value);
}

void TfrmRadical::UiTextCallback(Variant& value) {
    ConvertUiText(Variant(value), value);
}

// ---- the host's lookup interaction ----

void TfrmRadical::GetBaseClassParam(TObject* sender, TInteraParam* param) {
    LookupMode = lmRecording;
    LookupRecord = Variant();
    try {
        Word key = VK_F2;
        DoF2Key(key, dynamic_cast<TWinControl*>(sender));
        if (param) {
            param->SetFF2OpenParam(LookupRecord);
            param->DateKind = DateKind;
            param->DateSeparator = DateSeparator;
            param->FieldRightsA = Rights.Contains(32) || Rights.Contains(34);
            param->FieldRightsB = Rights.Contains(33) || Rights.Contains(35);
            param->FastInputEnabled = FastInputEnabled;
            param->DbTextCallback = TVariantConvertEvent(this, &TfrmRadical::DbTextCallback);
            param->UiTextCallback = TVariantConvertEvent(this, &TfrmRadical::UiTextCallback);
            param->FormCaption = Caption();
            param->UICodePage = GetUICodePage();
        }
    } catch (...) {
        LookupMode = lmNormal;
        throw;
    }
    LookupMode = lmNormal;
}

void TfrmRadical::SetReturn(TObject* sender, const Variant& rows) {
    LookupMode = lmReplaying;
    LookupReturn = rows;
    try {
        Word key = VK_F2;
        DoF2Key(key, dynamic_cast<TWinControl*>(sender));
    } catch (...) {
        LookupMode = lmNormal;
        throw;
    }
    LookupMode = lmNormal;
}
