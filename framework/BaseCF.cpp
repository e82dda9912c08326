#include "framework/BaseCF.h"

#include "classlib/db/db.h"
#include "classlib/db/fieldtypes.h"
#include "classlib/objects/formloader.h"
#include "classlib/objects/rtti.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "classlib/automation/comobj.h"
#include "classlib/rtl/shellapi.h"
#include "components/QvDBEdit.h"
#include "dialogs/QvQBE.h"
#include "dialogs/QvSearch.h"
#include "foundation/AlertLog.h"
#include "foundation/LibVCLs.h"
#include "foundation/LibXml.h"
#include "foundation/libstrs.h"
#include "framework/AppServer.h"
#include "framework/FieldLists.h"
#include "framework/KnlBase.h"

KVR_PUBLISHED(TfrmBase, c) {
    c.Field("MainMenu", &TfrmBase::MainMenu);
    c.Field("ImageList1", &TfrmBase::ImageList1);
    c.Field("ToolBar1", &TfrmBase::ToolBar1);
    c.Field("btnAdd", &TfrmBase::btnAdd);
    c.Field("btnQuery", &TfrmBase::btnQuery);
    c.Field("btnEdit", &TfrmBase::btnEdit);
    c.Field("btnDelete", &TfrmBase::btnDelete);
    c.Field("btnPrint", &TfrmBase::btnPrint);
    c.Field("ToolButton6", &TfrmBase::ToolButton6);
    c.Field("btnFirst", &TfrmBase::btnFirst);
    c.Field("btnPrior", &TfrmBase::btnPrior);
    c.Field("btnNext", &TfrmBase::btnNext);
    c.Field("btnLast", &TfrmBase::btnLast);
    c.Field("btnReFresh", &TfrmBase::btnReFresh);
    c.Field("ToolButton12", &TfrmBase::ToolButton12);
    c.Field("MenuItem1", &TfrmBase::MenuItem1);
    c.Field("miAdd", &TfrmBase::miAdd);
    c.Field("miQuery", &TfrmBase::miQuery);
    c.Field("miEdit", &TfrmBase::miEdit);
    c.Field("miDelete", &TfrmBase::miDelete);
    c.Field("miViewItem", &TfrmBase::miViewItem);
    c.Field("shit", &TfrmBase::shit);
    c.Field("miFirst", &TfrmBase::miFirst);
    c.Field("miPrior", &TfrmBase::miPrior);
    c.Field("miNext", &TfrmBase::miNext);
    c.Field("miLast", &TfrmBase::miLast);
    c.Field("N9", &TfrmBase::N9);
    c.Field("NG", &TfrmBase::NG);
    c.Field("MenuItem11", &TfrmBase::MenuItem11);
    c.Field("miToolBar", &TfrmBase::miToolBar);
    c.Field("miManager", &TfrmBase::miManager);
    c.Field("mnSp", &TfrmBase::mnSp);
    c.Field("mnSearch", &TfrmBase::mnSearch);
    c.Field("MenuItem16", &TfrmBase::MenuItem16);
    c.Field("miExit", &TfrmBase::miExit);
    c.Field("Status", &TfrmBase::Status);
    c.Method("FormCreate", &TfrmBase::FormCreate);
    c.Method("FormClose", &TfrmBase::FormClose);
    c.Method("FormKeyDown", &TfrmBase::FormKeyDown);
    c.Method("FormShow", &TfrmBase::FormShow);
    c.Method("FormActivate", &TfrmBase::FormActivate);
    c.Method("FormCloseQuery", &TfrmBase::FormCloseQuery);
    c.Method("miAddClick", &TfrmBase::miAddClick);
    c.Method("miQueryClick", &TfrmBase::miQueryClick);
    c.Method("miEditClick", &TfrmBase::miEditClick);
    c.Method("miDeleteClick", &TfrmBase::miDeleteClick);
    c.Method("miViewItemClick", &TfrmBase::miViewItemClick);
    c.Method("miFirstClick", &TfrmBase::miFirstClick);
    c.Method("miPriorClick", &TfrmBase::miPriorClick);
    c.Method("miNextClick", &TfrmBase::miNextClick);
    c.Method("miLastClick", &TfrmBase::miLastClick);
    c.Method("NGClick", &TfrmBase::NGClick);
    c.Method("MenuItem11Click", &TfrmBase::MenuItem11Click);
    c.Method("miToolBarClick", &TfrmBase::miToolBarClick);
    c.Method("miManagerClick", &TfrmBase::miManagerClick);
    c.Method("mnSearchClick", &TfrmBase::mnSearchClick);
    c.Method("miExitClick", &TfrmBase::miExitClick);
    c.Method("DateFieldDBComboDlgExit", &TfrmBase::DateFieldDBComboDlgExit);
}

// Shortcuts: F5 116, F6 117, F7 118, F8 119, F10 121; Ctrl (16384) with H, E, S, M, F.
KVR_MESSAGE_MAP(TfrmBase, m) {
    m.Handle(WM_PENDINGFOCUS, &TfrmBase::WMPendingFocus);
}

KVR_FORM_RESOURCE(TfrmBase, R"(inherited frmBase: TfrmBase
  Menu = MainMenu
  OnActivate = FormActivate
  OnCloseQuery = FormCloseQuery
  object ToolBar1: TToolBar
    Left = 0
    Top = 0
    Width = 700
    Height = 29
    Align = alTop
    ButtonHeight = 25
    ButtonWidth = 25
    Flat = True
    Images = ImageList1
    ShowHint = True
    object btnAdd: TToolButton
      Enabled = False
      Hint = '新增'
      ImageIndex = 0
      OnClick = miAddClick
    end
    object btnQuery: TToolButton
      Hint = '查询'
      ImageIndex = 1
      OnClick = miQueryClick
    end
    object btnEdit: TToolButton
      Hint = '更改'
      ImageIndex = 2
      OnClick = miEditClick
    end
    object btnDelete: TToolButton
      Hint = '删除'
      ImageIndex = 3
      OnClick = miDeleteClick
    end
    object btnPrint: TToolButton
      Hint = '打印'
      ImageIndex = 4
    end
    object ToolButton6: TToolButton
      Style = tbsSeparator
    end
    object btnFirst: TToolButton
      Hint = '第一个'
      ImageIndex = 5
      OnClick = miFirstClick
    end
    object btnPrior: TToolButton
      Hint = '上一个'
      ImageIndex = 6
      OnClick = miPriorClick
    end
    object btnNext: TToolButton
      Hint = '下一个'
      ImageIndex = 7
      OnClick = miNextClick
    end
    object btnLast: TToolButton
      Hint = '最后一个'
      ImageIndex = 8
      OnClick = miLastClick
    end
    object btnReFresh: TToolButton
      Hint = '重取'
      ImageIndex = 9
    end
    object ToolButton12: TToolButton
      Style = tbsSeparator
    end
  end
  object Status: TStatusBar
    Align = alBottom
    Panels = <
      item
        Text = '浏览'
        Width = 40
      end
      item
        Width = 400
      end
      item
        Text = '单据笔数'
        Width = 50
      end
      item
        Text = '0/0'
        Width = 50
      end
      item
        Width = 60
      end>
  end
  object ImageList1: TImageList
    Height = 18
    Width = 18
  end
  object MainMenu: TMainMenu
    OwnerDraw = True
    object MenuItem1: TMenuItem
      Caption = '资料(&D)'
      GroupIndex = 11
      object miAdd: TMenuItem
        Caption = '新增(&A)'
        ShortCut = 116
        OnClick = miAddClick
      end
      object miQuery: TMenuItem
        Caption = '查询(&Q)'
        ShortCut = 117
        OnClick = miQueryClick
      end
      object miEdit: TMenuItem
        Caption = '更改(&E)'
        ShortCut = 118
        OnClick = miEditClick
      end
      object miDelete: TMenuItem
        Caption = '删除(&D)'
        ShortCut = 119
        OnClick = miDeleteClick
      end
      object miViewItem: TMenuItem
        Caption = '查看文档(&V)'
        ShortCut = 121
        Visible = False
        OnClick = miViewItemClick
      end
      object shit: TMenuItem
        Caption = '-'
      end
      object miFirst: TMenuItem
        Caption = '第一个(&F)'
        ShortCut = 16456
        OnClick = miFirstClick
      end
      object miPrior: TMenuItem
        Caption = '上一个(&P)'
        OnClick = miPriorClick
      end
      object miNext: TMenuItem
        Caption = '下一个(&N)'
        OnClick = miNextClick
      end
      object miLast: TMenuItem
        Caption = '最后一个(&L)'
        ShortCut = 16453
        OnClick = miLastClick
      end
      object N9: TMenuItem
        Caption = '-'
      end
      object NG: TMenuItem
        Caption = '保存视图(&G)'
        OnClick = NGClick
      end
    end
    object MenuItem11: TMenuItem
      Caption = '功能(&F)'
      GroupIndex = 12
      OnClick = MenuItem11Click
      object miToolBar: TMenuItem
        Caption = '工具栏(&S)'
        Checked = True
        ShortCut = 16467
        OnClick = miToolBarClick
      end
      object miManager: TMenuItem
        Caption = '管理字段(&M)'
        ShortCut = 16461
        OnClick = miManagerClick
      end
      object mnSp: TMenuItem
        Caption = '-'
      end
      object mnSearch: TMenuItem
        Caption = '快速定位(&F)'
        ShortCut = 16454
        OnClick = mnSearchClick
      end
    end
    object MenuItem16: TMenuItem
      Caption = '退出(&X)'
      GroupIndex = 100
      object miExit: TMenuItem
        Caption = '退出(&X)'
        OnClick = miExitClick
      end
    end
  end
end
)");

namespace {

constexpr int StatePanel = 0;
constexpr int PositionPanel = 3;
constexpr int ServerPanel = 4;

void SetPanelText(TStatusBar* status, int panel, const AnsiString& text) {
    if (status && panel < status->Panels()->Count()) status->Panels()->Items(panel)->SetText(text);
}

// Sets a Boolean or colour property by name when the component has it.
void SetOrdIfAny(TComponent* component, const char* name, Int64 value) {
    if (HasPropByName(component, name)) SetOrdPropByName(component, name, value);
}

void SetComponentEnabled(TComponent* component, bool enabled) {
    if (auto* control = dynamic_cast<TControl*>(component))
        control->SetEnabled(enabled);
    else if (auto* item = dynamic_cast<TMenuItem*>(component))
        item->SetEnabled(enabled);
    else
        SetOrdIfAny(component, "Enabled", enabled ? 1 : 0);
}

bool HasEnabled(TComponent* component) {
    return dynamic_cast<TControl*>(component) || dynamic_cast<TMenuItem*>(component) ||
           HasPropByName(component, "Enabled");
}

} // namespace

TfrmBase::TfrmBase(TComponent* owner, bool load) : TfrmRadical(owner, false) {
    if (load) InitInheritedComponent(this);
}

TfrmBase::~TfrmBase() = default;

// ---- creation and start-up ----

void TfrmBase::FormCreate(TObject* sender) {
    TfrmRadical::FormCreate(sender);
    ApplyRights();
}

void TfrmBase::FormShow(TObject* sender) {
    TfrmRadical::FormShow(sender);
}

void TfrmBase::FormActivate(TObject*) {}

void TfrmBase::Reserved() {
    TfrmRadical::Reserved();
}

void TfrmBase::ConfigureProgram() {
    TfrmRadical::ConfigureProgram();
    DocLookupByItem = true;
    LastSaveFailed = false;
    PreviewMode = false;
}

void TfrmBase::AfterFormShow() {
    TfrmRadical::AfterFormShow();
    if (OpenMode != OPEN_MODE_HOST_12) ApplyUserSettings();
    LoadGridLayouts();
    ColorGridColumns();
}

// ---- the user-settings document ----

TMT_Doc* TfrmBase::GetFormatDoc() {
    if (FormatDoc) return FormatDoc.get();
    AnsiString xml;
    try {
        if (TdmBase* module = BaseModule(); module && Broker)
            xml = TAppServer(module->AppServer).GetFormat(Broker->CompanyID, Broker->ProgramID);
    } catch (const Exception& e) {
        WriteAlertLog(Broker ? Broker->ProgramID : AnsiString("BaseCF"), "BaseCF-Format:" + e.Message(), 'D');
    }
    if (!Trim(xml).empty()) {
        try {
            FormatDoc.reset(TMT_Doc::CreateFromXml(xml));
        } catch (const Exception& e) {
            // A text that is no document changes nothing: the empty one takes its place.
            WriteAlertLog(Broker ? Broker->ProgramID : AnsiString("BaseCF"), "BaseCF-Format:" + e.Message(),
                          'D');
        }
    }
    if (!FormatDoc) FormatDoc = std::make_unique<TMT_Doc>();
    FormatDoc->SetCodeConverter(QvConverter);
    return FormatDoc.get();
}

void TfrmBase::ApplyUserSettings() {
    TfrmRadical::ApplyUserSettings();
    TMT_Doc* doc = GetFormatDoc();
    doc->ApplyToForm(this);
    AnsiString required;
    doc->GetNodeIDs("Components/*[Required='-1']", required);
    if (!Trim(required).empty()) MergeRequiredFields(RequiredFields + ";cdsMain:" + required);
}

void TfrmBase::ApplyGridFormat(TwwDBGrid* grid) {
    if (grid) GetFormatDoc()->ApplyToGrid(grid, grid->Name());
}

void TfrmBase::ConnectDataModule() {
    if (!DataModule) return;
    TfrmRadical::ConnectDataModule();
    TdmBase* module = BaseModule();
    if (module) module->ShowManagedFields(false);
    for (int i = 0; i < DataModule->ComponentCount(); ++i)
        if (auto* source = dynamic_cast<TDataSource*>(DataModule->Components(i))) RebindDataSource(source);
    if (!module) return;
    module->FormLinked();
    FollowEditState();
    ShowState(1);
    RecordChanged(module->cdsMain);
    if (module->MIDAS)
        SetPanelText(Status, ServerPanel, module->MIDAS->Address() + " - " + IntToStr(module->MIDAS->Port()));
}

void TfrmBase::ApplyInputSettings() {
    if (DataModule) {
        TfrmRadical::ApplyInputSettings();
        if (Rights.Contains(34))
            SetFieldsState(RestrictedFieldsA, "ReadOnly");
        else if (!Rights.Contains(32))
            SetFieldsState(RestrictedFieldsA, "Disabled");
        if (Rights.Contains(35))
            SetFieldsState(RestrictedFieldsB, "ReadOnly");
        else if (!Rights.Contains(33))
            SetFieldsState(RestrictedFieldsB, "Disabled");
        const AnsiString sys024 = Trim(Broker->GetSysSetting("SYS024"));
        if (sys024 == "1" || sys024 == "3") SetFieldsState(SettingFieldsA, "Disabled");
        if (sys024 == "1" || sys024 == "2") SetFieldsState(SettingFieldsB, "Disabled");
        // A blank short hint keeps the form's own hint from showing over the control.
        for (int i = 0; i < ControlCount(); ++i) {
            TControl* control = Controls(i);
            const AnsiString hint = control->Hint();
            const std::size_t bar = hint.find('|');
            if (Trim(bar == AnsiString::npos ? hint : hint.substr(0, bar)).empty())
                control->SetHint(" " + hint);
        }
        if (TdmBase* module = BaseModule()) module->LoadNumberSettings();
    }
    IsFocusPageOne = ReadUserDefineFlag("InputSettings001", "IsFocusPageOne", true);
    IsKeepOnAdd = ReadUserDefineFlag("InputSettings002", "IsKeepOnAdd", true);
}

bool TfrmBase::ReadUserDefineFlag(const AnsiString& section, const AnsiString& key, bool def) {
    if (!Broker) return def;
    try {
        Variant answer;
        Broker->CallCounter("GetUserDefine",
                            VarArrayOf({Broker->CompanyID, Broker->UserID, Broker->ProgramID, section}),
                            answer);
        const AnsiString xml = VarIsNull(answer) || VarIsEmpty(answer) ? AnsiString() : VarToStr(answer);
        if (Trim(xml).empty()) return def;
        const AnsiString missing = "\x01";
        AnsiString value;
        ReadXmlValue(xml, key, "", value, missing);
        if (value == missing) return def;
        return value == "True";
    } catch (const Exception&) {
        return def;
    }
}

// ---- rights and command states ----

void TfrmBase::ApplyRights() {
    CanQuery = Rights.Contains(37);
    CanAdd = Rights.Contains(36);
    FieldRight32 = Rights.Contains(32);
    FieldRight33 = Rights.Contains(33);
    FieldRight34 = Rights.Contains(34);
    FieldRight35 = Rights.Contains(35);
    CanPrint = Rights.Contains(42);
    CanBatch = Rights.Contains(43);
    Right44 = Rights.Contains(44);
    if (!Rights.Contains(31)) {
        CanEdit = Rights.Contains(38);
        CanDelete = Rights.Contains(39);
        CanConfirm = Rights.Contains(40);
        CanUnconfirm = Rights.Contains(41);
        CanVoid = Rights.Contains(45);
    }
    UpdateButtonStates();
}

void TfrmBase::RecordChanged(TDataSet* dataSet) {
    TdmBase* module = BaseModule();
    TClientDataSet* main = module ? module->cdsMain : nullptr;
    if (Rights.Contains(31)) {
        auto text = [main](const char* name) {
            TField* field = main && main->Active() ? main->FindField(name) : nullptr;
            return field ? Trim(field->AsString()) : AnsiString();
        };
        const AnsiString creator = text("CREATOR");
        const AnsiString group = text("USR_GROUP");
        int first = 38;
        if (!creator.empty() && creator != Broker->UserID) {
            const bool ownGroup = GroupList.find("'" + group + "'") != AnsiString::npos ||
                                  GroupList.find("\"" + group + "\"") != AnsiString::npos;
            first = ownGroup ? 47 : 54;
        }
        CanEdit = Rights.Contains(first);
        CanDelete = Rights.Contains(first + 1);
        CanConfirm = Rights.Contains(first + 2);
        CanUnconfirm = Rights.Contains(first + 3);
        CanVoid = Rights.Contains(first == 38 ? 45 : first + 5);
    }
    ApplyRights();
    (void)dataSet;
    if (!module) return;
    const int number = main && main->Active() ? main->RecNo() : 0;
    const AnsiString total = IntToStr(module->RecordCount);
    SetPanelText(Status, PositionPanel, number > 0 ? IntToStr(number) + "/" + total : total);
}

bool TfrmBase::IsEditing() const {
    TdmBase* module = BaseModule();
    const TDataSetState state = module && module->cdsMain ? module->cdsMain->State() : dsInactive;
    return state == dsEdit || state == dsInsert;
}

bool TfrmBase::HasData() const {
    TdmBase* module = BaseModule();
    return module && module->cdsMain && module->cdsMain->Active() &&
           !(module->cdsMain->Bof() && module->cdsMain->Eof());
}

bool TfrmBase::IsStateCommand(const TComponent* component) const {
    const TComponent* const commands[] = {
        btnAdd,  miAdd,    btnQuery, miQuery, btnEdit, miEdit,  btnDelete, miDelete, btnPrint,  btnFirst,
        miFirst, btnPrior, miPrior,  btnNext, miNext,  btnLast, miLast,    miExit,   miViewItem};
    for (const TComponent* command : commands)
        if (command && command == component) return true;
    return false;
}

namespace {

// The control edits a field of a data set that is neither being edited nor inserted.
bool BrowsedDataControl(TWinControl* control) {
    if (!control || !IsPublishedProp(control, "DataSource")) return false;
    auto* source = dynamic_cast<TDataSource*>(GetObjectProp(control, "DataSource"));
    TDataSet* dataSet = source ? source->DataSet() : nullptr;
    return dataSet && dataSet->Active() && dataSet->State() != dsEdit && dataSet->State() != dsInsert;
}

} // namespace

void TfrmBase::RefuseFunctionKeyWhileBrowsing(Word& key, TWinControl* control) {
    const bool readOnly =
        control && HasPropByName(control, "ReadOnly") && GetOrdPropByName(control, "ReadOnly") != 0;
    if (!readOnly && (!DataModule || EditState != esBrowse || !BrowsedDataControl(control))) return;
    key = 0;
    Abort();
}

void TfrmBase::DoF2Key(Word& key, TWinControl* control) {
    TfrmRadical::DoF2Key(key, control);
    RefuseFunctionKeyWhileBrowsing(key, control);
}

void TfrmBase::DoF3Key(Word& key, TWinControl* control) {
    TfrmRadical::DoF3Key(key, control);
    RefuseFunctionKeyWhileBrowsing(key, control);
}

void TfrmBase::DoF4Key(Word& key, TWinControl* control) {
    TfrmRadical::DoF4Key(key, control);
    RefuseFunctionKeyWhileBrowsing(key, control);
}

void TfrmBase::UpdateButtonStates() {
    if (!DataModule) return;
    const bool editing = IsEditing();
    const bool hasData = HasData();
    const Word mask = OperationMask;
    auto set = [](std::initializer_list<TComponent*> components, bool enabled) {
        for (TComponent* component : components)
            if (component) SetComponentEnabled(component, enabled);
    };
    set({btnAdd, miAdd}, !editing && CanAdd && (mask & OPERATION_ADD));
    set({btnQuery, miQuery}, !editing && CanQuery && (mask & OPERATION_QUERY));
    set({btnEdit, miEdit}, hasData && !editing && CanEdit && (mask & OPERATION_CHANGE));
    set({btnDelete, miDelete}, hasData && !editing && CanDelete && (mask & OPERATION_DELETE));
    set({btnPrint}, hasData && !editing && CanPrint && (mask & OPERATION_PRINT));
    set({btnFirst, miFirst, btnPrior, miPrior, btnNext, miNext, btnLast, miLast}, hasData && !editing);
    set({miExit}, !editing);
    if (miViewItem) {
        const bool view = hasData && !Trim(LinkedDocFields).empty();
        miViewItem->SetVisible(view);
        miViewItem->SetEnabled(view);
    }
    LastSaveFailed = false;
    ApplyExtraRights();
}

void TfrmBase::ApplyExtraRights() {
    const int count = GetTokenCount(ExPower, ";");
    for (int i = 1; i <= count; ++i) {
        const AnsiString item = GetToken(ExPower, ";", i);
        if (Trim(item).empty()) continue;
        const std::size_t equals = item.find('=');
        const AnsiString name = Trim(equals == AnsiString::npos ? item : item.substr(0, equals));
        const AnsiString value = equals == AnsiString::npos ? AnsiString() : Trim(item.substr(equals + 1));
        TComponent* component = name.empty() ? nullptr : FindComponent(name);
        if (!component || !HasEnabled(component)) continue;
        // "Y" on a command of the form leaves it as its state and rights decide: it never enables Add
        // while a record is being edited.
        if (value == "Y" && IsStateCommand(component)) continue;
        SetComponentEnabled(component, value == "Y");
    }
}

// ---- edit state ----

void TfrmBase::SetEditState(Byte state) {
    EditState = state;
    FollowEditState();
    if (state <= esInsert) ShowState(static_cast<Byte>(state + 1));
}

void TfrmBase::FollowEditState() {
    // Typing into a field of a browsed document must not change it: the change would stay in the
    // change log and go to the server with the next document saved (a confirmed one included).
    if (TdmBase* module = BaseModule(); module && module->dsMain)
        module->dsMain->SetAutoEdit(EditState != esBrowse);
}

AnsiString TfrmBase::StateText(Byte state) const {
    const AnsiString codePage = GetUICodePage();
    if (codePage == "950" || codePage == "936") {
        const char* text = state == 1 ? "浏览" : state == 2 ? "更改" : state == 3 ? "新增" : "";
        if (!Converted) return text;
        Variant converted;
        const_cast<TfrmBase*>(this)->ConvertUiText(AnsiString(text), converted);
        return VarToStr(converted);
    }
    return state == 1 ? "Browse" : state == 2 ? "Edit" : state == 3 ? "Insert" : "";
}

void TfrmBase::ShowState(Byte state) {
    SetPanelText(Status, StatePanel, StateText(state));
    UpdateButtonStates();
}

// ---- required fields and restrictions ----

bool TfrmBase::ValidateRecord(TDataSet* dataSet) {
    if (!dataSet || (dataSet->State() != dsEdit && dataSet->State() != dsInsert)) return true;
    return CheckRequired(dataSet, RequiredFields);
}

TWinControl* TfrmBase::ActiveGrid() const {
    TWinControl* active = ActiveControl();
    if (!active || !IsInGrid(active)) return nullptr;
    TWinControl* grid = active;
    while (grid && !InheritsFromName(grid, "TCustomGrid") && !InheritsFromName(grid, "TCustomDBGrid"))
        grid = grid->Parent();
    return grid;
}

bool TfrmBase::CheckRequired(TDataSet* dataSet, const AnsiString& list) {
    TField* field = nullptr;
    if (!FindFirstEmptyField(dataSet, list, field) || !field) return true;
    Broker->Say("E", "000003", {field->DisplayLabel()});
    TdmBase* module = BaseModule();
    TWinControl* grid = ActiveGrid();
    if (grid && (!module || dataSet != module->cdsMain)) {
        if (const TPropInfo* prop = grid->ClassType()->FindProp("SelectedField"))
            if (prop->Writable()) prop->SetObject(grid, field);
        return false;
    }
    // The data source of the module that shows the data set, the last one first.
    TDataSource* source = nullptr;
    for (int i = DataModule ? DataModule->ComponentCount() - 1 : -1; i >= 0 && !source; --i) {
        auto* candidate = dynamic_cast<TDataSource*>(DataModule->Components(i));
        if (candidate && candidate->DataSet() == dataSet) source = candidate;
    }
    // Its last visible control that shows the field.
    TWinControl* target = nullptr;
    for (int i = ComponentCount() - 1; i >= 0 && source && !target; --i) {
        auto* control = dynamic_cast<TWinControl*>(Components(i));
        if (!control || !control->Visible()) continue;
        if (GetObjectPropByName(control, "DataSource") != source) continue;
        AnsiString dataField;
        GetStrPropByName(control, "DataField", dataField);
        if (SameText(Trim(dataField), field->FieldName())) target = control;
    }
    if (target) FocusControl(target);
    return false;
}

void TfrmBase::FocusControl(TWinControl* control) {
    if (!control) return;
    if (FFocusHeld) {
        FPendingFocus = control;
        control->FreeNotification(this);
        return;
    }
    for (TControl* parent = control->Parent(); parent && parent != this; parent = parent->Parent()) {
        auto* sheet = dynamic_cast<TTabSheet*>(parent);
        if (!sheet || !sheet->TabVisible()) continue;
        TPageControl* pages = sheet->PageControl();
        if (!pages || !pages->Visible() || !pages->Enabled()) break;
        pages->SetActivePage(sheet);
    }
    if (control->CanFocus()) control->SetFocus();
}

bool TfrmBase::ViewCheckRecord(TDataSet* dataSet) {
    // A post never moves the focus from inside: the move waits for the form.
    const bool held = FFocusHeld;
    FFocusHeld = true;
    bool passed = false;
    try {
        passed = ValidateRecord(dataSet);
    } catch (...) {
        FFocusHeld = held;
        if (FPendingFocus && !held) PostMessage(Handle(), WM_PENDINGFOCUS);
        throw;
    }
    FFocusHeld = held;
    if (FPendingFocus && !held) PostMessage(Handle(), WM_PENDINGFOCUS);
    return passed;
}

void TfrmBase::PostRecord(TDataSet* dataSet) {
    try {
        dataSet->Post();
    } catch (...) {
        ApplyPendingFocus();
        throw;
    }
    ApplyPendingFocus();
}

void TfrmBase::ApplyPendingFocus() {
    TWinControl* control = FPendingFocus;
    FPendingFocus = nullptr;
    if (control) FocusControl(control);
}

void TfrmBase::WMPendingFocus(TMessage&) {
    ApplyPendingFocus();
}

void TfrmBase::Notification(TComponent* component, TOperation operation) {
    TfrmRadical::Notification(component, operation);
    if (operation == opRemove && component == FPendingFocus) FPendingFocus = nullptr;
}

void TfrmBase::SetFieldsState(const AnsiString& list, const AnsiString& mode) {
    if (!DataModule) return;
    const bool readOnly = mode == "ReadOnly";
    if (!readOnly && mode != "Disabled") return;
    for (const TFieldListEntry& entry : ResolveFieldList(DataModule, list)) {
        for (TField* field : entry.Fields) {
            if (readOnly)
                field->SetReadOnly(true);
            else
                field->SetVisible(false);
            for (int i = 0; i < ComponentCount(); ++i) {
                TComponent* component = Components(i);
                AnsiString dataField;
                GetStrPropByName(component, "DataField", dataField);
                if (!HasPropByName(component, "DataField") || !SameText(Trim(dataField), field->FieldName()))
                    continue;
                if (readOnly) {
                    SetOrdIfAny(component, "ReadOnly", 1);
                    SetOrdIfAny(component, "TabStop", 0);
                } else {
                    SetStrPropByName(component, "DataField", "");
                    SetComponentEnabled(component, false);
                }
                SetOrdIfAny(component, "Color", Color());
            }
        }
    }
}

AnsiString TfrmBase::DedupeCommaList(const AnsiString& list) {
    AnsiString result;
    AnsiString taken = ",";
    for (int i = 1; i <= GetTokenCount(list, ","); ++i) {
        const AnsiString item = Trim(GetToken(list, ",", i));
        if (item.empty() || taken.find("," + item + ",") != AnsiString::npos) continue;
        taken += item + ",";
        result += (result.empty() ? "" : ",") + item;
    }
    return result;
}

void TfrmBase::MergeRequiredFields(const AnsiString& list) {
    if (list == RequiredFields) return;
    AnsiString rebuilt;
    for (int i = 1; i <= GetTokenCount(list, ";"); ++i) {
        const AnsiString item = Trim(GetToken(list, ";", i));
        const std::size_t colon = item.find(':');
        if (colon == AnsiString::npos) continue;
        const AnsiString name = Trim(item.substr(0, colon));
        AnsiString fields = Trim(item.substr(colon + 1));
        if (name.empty() || fields.empty()) continue;
        // An earlier item of the same data set: cut out, its fields in front of these.
        const AnsiString key = UpperCase(name) + ":";
        const AnsiString upper = UpperCase(rebuilt);
        std::size_t at = AnsiString::npos;
        for (std::size_t p = upper.find(key); p != AnsiString::npos; p = upper.find(key, p + 1))
            if (p == 0 || upper[p - 1] == ';') {
                at = p;
                break;
            }
        if (at != AnsiString::npos) {
            const std::size_t end = rebuilt.find(';', at);
            const AnsiString earlier =
                rebuilt.substr(at, end == AnsiString::npos ? AnsiString::npos : end - at);
            fields = earlier.substr(earlier.find(':') + 1) + "," + fields;
            rebuilt.erase(at, end == AnsiString::npos ? AnsiString::npos : end - at + 1);
        }
        const AnsiString deduped = DedupeCommaList(fields);
        if (deduped.empty()) continue;
        rebuilt += name + ":" + deduped + ";";
    }
    if (!rebuilt.empty() && rebuilt.back() == ';') rebuilt.pop_back();
    RequiredFields = rebuilt;
}

void TfrmBase::AddRequiredFields(const AnsiString& list) {
    MergeRequiredFields(RequiredFields + ";" + list);
}

// ---- record operations ----

bool TfrmBase::AddRecord(bool) {
    TdmBase* module = BaseModule();
    if (!module) return false;
    module->LoadServerDate();
    SetQueryCondition(module->cdsMain, "1=2", module->KeyFields);
    SetEditState(esInsert);
    module->cdsMain->Append();
    SetEditState(esInsert);
    return true;
}

bool TfrmBase::EditRecord() {
    TdmBase* module = BaseModule();
    if (!module || !module->CanModify()) return false;
    TClientDataSet* main = module->cdsMain;
    if (!main->Active() || main->State() != dsBrowse || main->IsEmpty()) return false;
    module->LoadServerDate();
    SetEditState(esEdit);
    main->Edit();
    SetEditState(esEdit);
    return true;
}

bool TfrmBase::DeleteRecord(bool confirm) {
    TdmBase* module = BaseModule();
    if (!module) return false;
    TClientDataSet* main = module->cdsMain;
    bool ok = main->Active() && main->State() == dsBrowse && !main->IsEmpty() && module->CanModify();
    if (confirm && ok) ok = Broker->Say("C", "000001") == mrOk;
    bool deleted = false;
    if (ok) {
        // Where the record was, to show it again when the server refuses.
        const int position = main->RecNo();
        AnsiString keyFields;
        std::vector<Variant> values;
        bool haveKeys = true;
        for (int i = 1; i <= GetTokenCount(module->KeyFields, ","); ++i) {
            TField* field = main->FindField(Trim(GetToken(module->KeyFields, ",", i)));
            if (!field) {
                haveKeys = false;
                break;
            }
            keyFields += (keyFields.empty() ? "" : ";") + field->FieldName();
            values.push_back(field->Value());
        }
        haveKeys = haveKeys && !values.empty();
        const Variant keyValues = values.size() == 1 ? values[0] : VarArrayOf(values);
        AnsiString failure;
        try {
            DeleteRecordCascade(main, true, true);
            const int refused = main->ApplyUpdates(0);
            if (refused > 0) failure = "the server refused the delete (" + IntToStr(refused) + ")";
        } catch (const Exception& e) {
            failure = e.Message();
        }
        if (failure.empty()) {
            deleted = true;
            if (module->RecordCount > 0) --module->RecordCount;
        } else {
            WriteAlertLog("Class BaseCF-484", failure, 'D');
            // A refused delete is undone: left in the change log, the next save would apply it after all.
            try {
                if (main->Active() && main->ChangeCount() > 0) main->CancelUpdates();
                if (!(haveKeys && main->Locate(keyFields, keyValues)) && position > 0 &&
                    position <= main->RecordCount())
                    main->SetRecNo(position);
            } catch (const Exception& e) {
                WriteAlertLog("Class BaseCF-484", e.Message(), 'D');
            }
            Broker->Say("E", "000007");
        }
    }
    SetEditState(esBrowse);
    RecordChanged(main);
    return deleted;
}

bool TfrmBase::QueryRecords() {
    return true;
}

bool TfrmBase::PrintRecords() {
    return true;
}

bool TfrmBase::SaveRecord() {
    return false;
}

bool TfrmBase::CancelEdit(bool ask) {
    TdmBase* module = BaseModule();
    if (!module) return true;
    TClientDataSet* main = module->cdsMain;
    const bool pending = main->Active() && (main->ChangeCount() > 0 || main->Modified());
    bool result = true;
    if (pending && ask) {
        if (EditState == esInsert)
            result = Broker->Say("C", "000004") == mrOk;
        else if (EditState == esEdit)
            result = Broker->Say("C", "000002") == mrOk;
    }
    // Declined: the record stays as the user has it, also after a failed save.
    if (!result) return false;
    if (main->Active()) {
        main->Cancel();
        main->CancelUpdates();
    }
    SetEditState(esBrowse);
    if (CloseAfterSave) {
        ReturnValue = Variant();
        main->Close();
    }
    RecordChanged(main);
    return true;
}

bool TfrmBase::ExitForm() {
    Close();
    return true;
}

bool TfrmBase::KeepFailedEdit() {
    return false;
}

bool TfrmBase::ViewDocument() {
    if (!DataModule) return false;
    const AnsiString first = Trim(GetToken(LinkedDocFields, ";", 1));
    const std::size_t colon = first.find(':');
    auto* dataSet = colon == AnsiString::npos
                        ? nullptr
                        : dynamic_cast<TDataSet*>(DataModule->FindComponent(Trim(first.substr(0, colon))));
    TField* field = dataSet ? dataSet->FindField(Trim(GetToken(first.substr(colon + 1), ",", 1))) : nullptr;
    if (!field) return true;
    Variant row;
    const bool found = DocLookupByItem
                           ? Broker->CheckValue("RUXMB", "12", row, VarArrayOf({field->AsString()}))
                           : Broker->CheckValue("TAZMV", "07", row, VarArrayOf({field->AsString()}));
    if (!found || !VarIsArray(row)) return true;
    const int low = VarArrayLowBound(row, 1);
    const AnsiString document = VarToStr(row.GetElement({low}));
    if (Trim(document).empty()) return true;
    const Variant version =
        VarArrayHighBound(row, 1) > low ? row.GetElement({low + 1}) : Variant(AnsiString());
    try {
        Variant server = CreateOleObject("DmsC.DMSClass1");
        Variant files;
        const int answer =
            VarCall(server, "CheckOut",
                    {VarArrayOf({Broker->UserID, "R", document, version, AnsiString()}), ByRef(files)})
                .AsInteger();
        if (answer >= 0 && VarIsArray(files)) {
            TShellExecuteInfo info;
            info.Verb = "open";
            info.File = VarToStr(files.GetElement({VarArrayLowBound(files, 1)}));
            ShellExecuteEx(info);
        }
    } catch (const Exception& e) {
        WriteAlertLog(Broker->ProgramID, "BaseCF-ViewDocument:" + e.Message(), 'D');
        Broker->Say("E", "000032", {e.Message()});
    }
    return true;
}

void TfrmBase::ApplyQBECondition() {
    TdmBase* module = BaseModule();
    auto* dialog = dynamic_cast<TQBEForm*>(QBEForm);
    if (!module || !dialog) return;
    AnsiString where;
    dialog->GetCondition(where);
    Variant converted;
    if (!where.empty()) UnconvertUiText(where, converted);
    SetQueryCondition(module->cdsMain, where.empty() ? where : VarToStr(converted), dialog->OrderBy());
}

// ---- queries, grid views and colours ----

void TfrmBase::SetQueryCondition(TCustomClientDataSet* dataSet, const AnsiString& where,
                                 const AnsiString& order) {
    if (!dataSet) return;
    TdmBase* module = BaseModule();
    if (module && dataSet == module->cdsMain) {
        LastWhere = where;
        LastOrder = order;
        ApplyColorCondition(where, order);
    }
    ReopenWithCondition(dataSet, where, order);
}

void TfrmBase::SaveGridLayouts() {
    if (!DataModule) return;
    for (int i = 0; i < DataModule->ComponentCount(); ++i)
        if (auto* dataSet = dynamic_cast<TDataSet*>(DataModule->Components(i)))
            SaveGridView(Broker->UserID, Broker->ProgramID + "C", dataSet, -1);
}

void TfrmBase::LoadGridLayouts() {
    if (!DataModule) return;
    for (int i = 0; i < DataModule->ComponentCount(); ++i)
        if (auto* dataSet = dynamic_cast<TDataSet*>(DataModule->Components(i)))
            LoadGridView(Broker->UserID, Broker->ProgramID + "C", dataSet, -1);
}

void TfrmBase::ColorGridColumns() {}

void TfrmBase::AdjustCondition(const AnsiString& where, AnsiString& result) {
    result = where;
}

bool TfrmBase::ApplyColorCondition(const AnsiString& where, const AnsiString& order) {
    TdmBase* module = BaseModule();
    if (!module) return false;
    try {
        const bool opened = ReopenWithCondition(module->cdsMainColor, where, order);
        ColorDataChanged();
        return opened;
    } catch (const Exception&) {
        return false;
    }
}

bool TfrmBase::RefreshColorRecord() {
    TdmBase* module = BaseModule();
    if (!module) return false;
    try {
        AnsiString where;
        for (int i = 1; i <= GetTokenCount(module->KeyFields, ","); ++i) {
            TField* field = module->cdsMain->FindField(Trim(GetToken(module->KeyFields, ",", i)));
            if (!field) continue;
            const AnsiString name = QualifyFieldName(module->MainTable, field->FieldName());
            const AnsiString value =
                IsNumberField(field->DataType()) ? field->AsString() : QuotedStr(field->AsString());
            where += (where.empty() ? "" : " and ") + name + "=" + value;
        }
        LastWhere = where;
        ReopenWithCondition(module->cdsMainColor, where, "");
        ColorDataChanged();
        return true;
    } catch (const Exception&) {
        return false;
    }
}

void TfrmBase::ColorDataChanged() {}

AnsiString QualifyFieldName(const AnsiString& table, const AnsiString& field) {
    return Trim(table).empty() ? field : table + "." + field;
}

// ---- commands ----

void TfrmBase::miAddClick(TObject*) {
    AddRecord(true);
}

void TfrmBase::miQueryClick(TObject*) {
    QueryRecords();
}

void TfrmBase::miEditClick(TObject*) {
    EditRecord();
}

void TfrmBase::miDeleteClick(TObject*) {
    DeleteRecord(true);
}

void TfrmBase::miViewItemClick(TObject*) {
    ViewDocument();
}

void TfrmBase::miFirstClick(TObject*) {
    if (TdmBase* module = BaseModule()) module->cdsMain->First();
}

void TfrmBase::miPriorClick(TObject*) {
    TdmBase* module = BaseModule();
    if (module && !module->cdsMain->Bof()) module->cdsMain->Prior();
}

void TfrmBase::miNextClick(TObject*) {
    TdmBase* module = BaseModule();
    if (!module) return;
    module->cdsMain->Next();
    // At the end the next packet comes with the next scroll (cdsMainBeforeScroll).
    if (module->cdsMain->Eof()) module->cdsMain->Next();
}

void TfrmBase::miLastClick(TObject*) {
    if (TdmBase* module = BaseModule()) LastOrNextPacket(module->cdsMain);
}

void TfrmBase::NGClick(TObject*) {
    SaveGridLayouts();
}

void TfrmBase::MenuItem11Click(TObject*) {
    if (mnSearch) mnSearch->SetEnabled(ActiveGrid() != nullptr);
}

void TfrmBase::miToolBarClick(TObject*) {
    miToolBar->SetChecked(!miToolBar->Checked());
    ToolBar1->SetVisible(miToolBar->Checked());
}

void TfrmBase::miManagerClick(TObject*) {
    miManager->SetChecked(!miManager->Checked());
    if (TdmBase* module = BaseModule()) module->ShowManagedFields(miManager->Checked());
}

void TfrmBase::mnSearchClick(TObject*) {
    TWinControl* grid = ActiveGrid();
    if (!grid) return;
    TdmBase* module = BaseModule();
    const bool fetchOnScroll = module ? module->FetchOnScroll : false;
    if (module) module->FetchOnScroll = false;
    try {
        RunQuickFind(grid);
    } catch (...) {
        if (module) module->FetchOnScroll = fetchOnScroll;
        throw;
    }
    if (module) module->FetchOnScroll = fetchOnScroll;
}

void TfrmBase::RunQuickFind(TWinControl* grid) {
    RunBaseFormQuickFind(this, dynamic_cast<TwwDBGrid*>(grid), ToolBar1 ? ToolBar1->Font() : nullptr);
}

void TfrmBase::miExitClick(TObject*) {
    Close();
}

void TfrmBase::DateFieldDBComboDlgExit(TObject* sender) {
    auto* component = dynamic_cast<TComponent*>(sender);
    if (!component || !DataModule) return;
    auto* source = dynamic_cast<TDataSource*>(GetObjectPropByName(component, "DataSource"));
    AnsiString dataField;
    GetStrPropByName(component, "DataField", dataField);
    TField* field = source && source->DataSet() ? source->DataSet()->FindField(Trim(dataField)) : nullptr;
    if (!field) return;
    AnsiString text;
    GetStrPropByName(component, "Text", text);
    if (!DateSeparator.empty()) text = StringReplace(text, DateSeparator, "", rfReplaceAll);
    if (!Trim(text).empty() || !field->CanModify() || field->IsNull()) return;
    if (field->EditMask() == DataModule->DateFieldEditMask()) field->Clear();
}

// ---- keys and closing ----

void TfrmBase::GetHelpContext(const AnsiString& topic, AnsiString& context) {
    if (EditState == esBrowse)
        context = topic + "0000";
    else
        TfrmRadical::GetHelpContext(topic, context);
}

void TfrmBase::DoF11Key(Word& key, TWinControl* control) {
    TfrmRadical::DoF11Key(key, control);
    ShowCharPicker(control, LinkedDocFields, false);
    key = 0;
}

void TfrmBase::ShowCharPicker(TWinControl* control, const AnsiString& list, bool force) {
    if (OpenMode == OPEN_MODE_HOST_12 || !DataModule || Trim(list).empty() || !control) return;
    if (auto* edit = dynamic_cast<TQvBtnDBEdit*>(control); edit && edit->ReadOnly()) return;
    auto* source = dynamic_cast<TDataSource*>(GetObjectPropByName(control, "DataSource"));
    TDataSet* dataSet = source ? source->DataSet() : nullptr;
    if (!dataSet || !dataSet->CanModify()) return;
    // The list: lines "data set = fields", blanks removed.
    const AnsiString lines =
        StringReplace(StringReplace(list, " ", "", rfReplaceAll), ";", "\r\n", rfReplaceAll);
    AnsiString fields;
    for (int i = 1; i <= GetTokenCount(lines, "\r\n"); ++i) {
        const AnsiString line = GetToken(lines, "\r\n", i);
        const std::size_t eq = line.find('=');
        if (eq != AnsiString::npos && SameText(line.substr(0, eq), dataSet->Name()))
            fields = Trim(line.substr(eq + 1));
    }
    if (fields.empty()) return;
    TField* field = nullptr;
    if (InheritsFromName(control, "TCustomDBGrid")) {
        field = dynamic_cast<TField*>(GetObjectPropByName(control, "SelectedField"));
    } else {
        AnsiString dataField;
        GetStrPropByName(control, "DataField", dataField);
        field = dataSet->FindField(Trim(dataField));
    }
    if (!field || (!force && (field->ReadOnly() || !field->CanModify()))) return;
    if (UpperCase("," + fields + ",").find(UpperCase("," + field->FieldName() + ",")) == AnsiString::npos)
        return;
    Variant picked;
    Broker->ShowCharacters(2, false, picked, 0, AnsiString(), AnsiString());
    if (!VarIsArray(picked) || VarArrayHighBound(picked, 1) < VarArrayLowBound(picked, 1)) return;
    if (EditState != esEdit && EditState != esInsert) return;
    if (dataSet->State() != dsEdit && dataSet->State() != dsInsert) dataSet->Edit();
    SetFieldText(field, VarToStr(picked.GetElement({VarArrayLowBound(picked, 1)})), true);
}

void TfrmBase::FormKeyDown(TObject* sender, Word& key, TShiftState shift) {
    TfrmRadical::FormKeyDown(sender, key, shift);
    if (!DataModule || key != VK_ESCAPE) return;
    if (EditState == esBrowse)
        ExitForm();
    else
        CancelEdit(true);
}

void TfrmBase::FormCloseQuery(TObject*, bool& canClose) {
    if (!DataModule) return;
    int answer = 0;
    if (EditState == esEdit)
        answer = Broker->Say("D", "000002");
    else if (EditState == esInsert)
        answer = Broker->Say("D", "000001");
    else
        return;
    if (answer == mrYes)
        canClose = SaveRecord();
    else if (answer == mrNo)
        canClose = CancelEdit(false);
    else
        canClose = false;
}

void TfrmBase::FormClose(TObject* sender, TCloseAction& action) {
    TfrmRadical::FormClose(sender, action);
    if (QBEForm && QBEForm->Owner() == this) {
        delete QBEForm;
        QBEForm = nullptr;
    }
}
