#include "framework/DoubleCF.h"

#include <algorithm>

#include "classlib/controls/stdctrls.h"
#include "classlib/db/dsguard.h"
#include "classlib/objects/formloader.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "foundation/AlertLog.h"
#include "foundation/LibVCLs.h"
#include "foundation/libstrs.h"
#include "framework/AppServer.h"
#include "framework/KnlBase.h"
#include "framework/SingleServices.h"
#include "framework/SingleUserFields.h"

namespace {

void PanelText(TStatusBar* status, int panel, const AnsiString& text) {
    if (status && status->Panels()->Count() > panel) status->Panels()->Items(panel)->SetText(text);
}

void Enable(TControl* control, bool on) {
    if (control) control->SetEnabled(on);
}

void Enable(TMenuItem* item, bool on) {
    if (item) item->SetEnabled(on);
}

bool Editing(const TDataSet* dataSet) {
    return dataSet && (dataSet->State() == dsEdit || dataSet->State() == dsInsert);
}

// A line being edited is posted; a new line nobody typed into is no line and goes.
void PostOrDropLine(TfrmBase* form, TDataSet* body) {
    if (body->State() == dsInsert && !body->Modified())
        body->Cancel();
    else if (Editing(body))
        form->PostRecord(body);
}

} // namespace

KVR_PUBLISHED(TfrmDouble, c) {
    c.Field("sprBody", &TfrmDouble::sprBody);
    c.Field("pgBody", &TfrmDouble::pgBody);
    c.Field("tbsBody1", &TfrmDouble::tbsBody1);
    c.Field("gdBody1", &TfrmDouble::gdBody1);
    c.Field("pnlFoot", &TfrmDouble::pnlFoot);
    c.Field("miBodyToExcel", &TfrmDouble::miBodyToExcel);
    c.Field("miBodyToExcel2", &TfrmDouble::miBodyToExcel2);
    c.Method("FormCreate", &TfrmDouble::FormCreate);
    c.Method("FormKeyDown", &TfrmDouble::FormKeyDown);
    c.Method("FormKeyPress", &TfrmDouble::FormKeyPress);
    c.Method("BodyCustomDlg", &TfrmDouble::BodyCustomDlg);
    c.Method("gdBody1Enter", &TfrmDouble::gdBody1Enter);
    c.Method("gdBody1Exit", &TfrmDouble::gdBody1Exit);
    c.Method("gdBody1KeyDown", &TfrmDouble::gdBody1KeyDown);
    c.Method("FormShow", &TfrmDouble::FormShow);
    c.Method("gdBody1CalcCellColors", &TfrmDouble::gdBody1CalcCellColors);
    c.Method("gdBody1TitleButtonClick", &TfrmDouble::gdBody1TitleButtonClick);
    c.Method("gdBody1CalcTitleAttributes", &TfrmDouble::gdBody1CalcTitleAttributes);
    c.Method("gdBody1CalcTitleImage", &TfrmDouble::gdBody1CalcTitleImage);
    c.Method("gdBody1MouseMove", &TfrmDouble::gdBody1MouseMove);
    c.Method("gdBody1MouseDown", &TfrmDouble::gdBody1MouseDown);
    c.Method("gdBody1KeyUp", &TfrmDouble::gdBody1KeyUp);
    c.Field("btnAttach", &TfrmDouble::btnAttach);
    c.Method("btnAttachClick", &TfrmDouble::btnAttachClick);
    c.Method("miBodyToExcelClick", &TfrmDouble::miBodyToExcelClick);
    c.Method("miBodyToExcel2Click", &TfrmDouble::miBodyToExcel2Click);
    PublishConfirm(c);
    DeclareCopyPublished(c);
    PublishSignOff(c);
}

// Shortcuts: Ctrl (16384) with F3 114 and F4 115.
KVR_FORM_RESOURCE(TfrmDouble, R"(inherited frmDouble: TfrmDouble
  OnKeyDown = FormKeyDown
  OnKeyPress = FormKeyPress
  object pgBody: TExtPageControl
    Align = alBottom
    Height = 200
    TabHeight = 20
    TabWidth = 80
    TabStop = False
    object tbsBody1: TTabSheet
      Caption = '单身'
      TabVisible = False
      object gdBody1: TFDBGrid
        Align = alClient
        Color = 15532027
        TitleButtons = True
        TitleImageList = SortMapList
        PopupMenu = popOpenF2Window
        OnEnter = gdBody1Enter
        OnExit = gdBody1Exit
        OnKeyDown = gdBody1KeyDown
        TitleButtons = True
        OnTitleButtonClick = gdBody1TitleButtonClick
        OnCalcTitleAttributes = gdBody1CalcTitleAttributes
        OnCalcTitleImage = gdBody1CalcTitleImage
        OnCalcCellColors = gdBody1CalcCellColors
        OnMouseMove = gdBody1MouseMove
        OnMouseDown = gdBody1MouseDown
        OnKeyUp = gdBody1KeyUp
      end
    end
  end
  object sprBody: TPanel
    Align = alBottom
    Height = 1
  end
  object pnlFoot: TPanel
    Align = alBottom
    Height = 25
    Visible = False
  end
  object popSorvane: TPopupMenu
    object miGoConfirm: TMenuItem
      Caption = '送签-审核'
      Enabled = False
      OnClick = miGoConfirmClick
    end
    object miGoUnConfirm: TMenuItem
      Caption = '送签-取消审核'
      Enabled = False
      OnClick = miGoUnConfirmClick
    end
    object miGoInvalid: TMenuItem
      Caption = '送签-作废'
      Enabled = False
      OnClick = miGoInvalidClick
    end
    object N4: TMenuItem
      Caption = '-'
    end
    object miViewSorvane: TMenuItem
      Caption = '查看Sorvane签核状况'
      Enabled = False
      OnClick = miViewSorvaneClick
    end
    object N5: TMenuItem
      Caption = '-'
    end
    object mConfirmErp: TMenuItem
      Caption = '审核''已核准''单据'
      Enabled = False
      OnClick = mConfirmErpClick
    end
    object mUpdateConfirm: TMenuItem
      Caption = '修改''已核准''单据'
      Enabled = False
      OnClick = mUpdateConfirmClick
    end
  end
  object DropDownPopupMenu: TPopupMenu
    object QVPager: TMenuItem
      Caption = '消息中心'
      OnClick = QVPagerClick
    end
    object Attach: TMenuItem
      Caption = '附件'
      Visible = False
      OnClick = AttachClick
    end
    object mnuCopy: TMenuItem
      Caption = '复制单据'
      Visible = False
      OnClick = mnuCopyClick
    end
  end
  inherited ToolBar1: TToolBar
    inherited btnReFresh: TToolButton
      OnClick = btnReFreshClick
    end
    object btnConfirm: TToolButton
      Enabled = False
      Hint = '审核'
      ImageIndex = 12
      OnClick = miConfirmClick
    end
    object btnUnConfirm: TToolButton
      Enabled = False
      Hint = '撤销审核'
      ImageIndex = 13
      OnClick = miUnConfirmClick
    end
    object btnInvalid: TToolButton
      Enabled = False
      Hint = '作废'
      ImageIndex = 14
      OnClick = miInvalidClick
    end
    object btnFlow: TToolButton
      DropdownMenu = DropDownPopupMenu
      Style = tbsDropDown
    end
    object btnAttach: TToolButton
      Enabled = False
      Hint = '附件'
      ImageIndex = 16
      OnClick = btnAttachClick
    end
    object btnSepSorvane: TToolButton
      Style = tbsSeparator
      Visible = False
    end
    object btnSorvane: TToolButton
      DropdownMenu = popSorvane
      Hint = '电子签核'
      Style = tbsDropDown
      Visible = False
      OnClick = btnSorvaneClick
    end
  end
  inherited pgHead: TExtPageControl
    inherited tbsHead1: TTabSheet
      object ImgConfirm: TImage
        Width = 49
        Height = 48
        Transparent = True
        Visible = False
      end
    end
  end
  inherited pmMultiSelect: TPopupMenu
    object miBBConfirm: TMenuItem
      Caption = '整批审核'
      Enabled = False
      OnClick = miBBConfirmClick
    end
    object miBBCancelConfirm: TMenuItem
      Caption = '整批撤销审核'
      Enabled = False
      OnClick = miBBCancelConfirmClick
    end
  end
  inherited MainMenu: TMainMenu
    inherited MenuItem1: TMenuItem
      inherited miExport: TMenuItem
        object miBodyToExcel: TMenuItem
          Caption = '单身资料转Excel（含格式）'
          ShortCut = 16498
          Visible = False
          OnClick = miBodyToExcelClick
        end
        object miBodyToExcel2: TMenuItem
          Caption = '单身资料转Excel（不含格式）'
          ShortCut = 16499
          Visible = False
          OnClick = miBodyToExcel2Click
        end
      end
      object N2: TMenuItem
        Caption = '-'
      end
      object miConfirm: TMenuItem
        Caption = '单据审核'
        Enabled = False
        OnClick = miConfirmClick
      end
      object miUnConfirm: TMenuItem
        Caption = '撤销审核'
        Enabled = False
        OnClick = miUnConfirmClick
      end
      object miInvalid: TMenuItem
        Caption = '单据作废'
        Enabled = False
        OnClick = miInvalidClick
      end
    end
  end
end
)");

TfrmDouble::TfrmDouble(TComponent* owner, bool load)
    : TfrmSingle(owner, false), SignOff(new TSignOff(*this)) {
    if (load) InitInheritedComponent(this);
}

TfrmDouble::~TfrmDouble() = default;

AnsiString TfrmDouble::LangText(const AnsiString& ident, const AnsiString& def) {
    AnsiString text;
    GetLangString("TfrmDouble", ident, text, true, def);
    return text;
}

// ---- start-up ----

void TfrmDouble::FormCreate(TObject* sender) {
    AutoConfirmMode = 2;
    TfrmSingle::FormCreate(sender);
    if (pgHead) SavedHeadHeight = pgHead->Height();
    if (gdBody1) {
        gdBody1->SetOptions(gdBody1->Options() | TwwDBGridOptions{dgEditing});
        gdBody1->SetKeyOptions(TwwDBGridKeyOptions{dgEnterToTab});
        gdBody1->SetReadOnly(true);
    }
}

void TfrmDouble::ConnectDataModule() {
    TfrmSingle::ConnectDataModule();
    TdmDouble* module = DoubleModule();
    if (gdBody1 && module) gdBody1->SetDataSource(module->dsBody1);
    if (!module) return;
    try {
        BodyUDFFields = LoadUDFFields(Broker->ProgramID, "Z01D", "ALL");
    } catch (const Exception& e) {
        // Without the definitions new lines take no server defaults; the form works on.
        WriteAlertLog(Broker->ProgramID, "DoubleCF-UDF:" + e.Message(), 'D');
    }
    if (!BodyUDFFields) return;
    const TFieldNotifyEvent changed(static_cast<TfrmSingle*>(this), &TfrmSingle::UDFFieldChanged);
    for (int i = 0; i < BodyUDFFields->Count(); ++i)
        for (int r = 0; r < BodyUDFFields->Items(i)->RelatedFields->Count(); ++r) {
            TUDFRelatedField* related = BodyUDFFields->Items(i)->RelatedFields->Items(r);
            // A field the header's items hooked already keeps its own handler with them.
            if (!related->LinkedField || related->LinkedField->OnChange() == changed) continue;
            related->SavedOnChange = related->LinkedField->OnChange();
            related->LinkedField->SetOnChange(changed);
        }
}

void TfrmDouble::RestoreUDFHandlers() {
    TfrmSingle::RestoreUDFHandlers();
    if (!BodyUDFFields) return;
    const TFieldNotifyEvent changed(static_cast<TfrmSingle*>(this), &TfrmSingle::UDFFieldChanged);
    for (int i = 0; i < BodyUDFFields->Count(); ++i)
        for (int r = 0; r < BodyUDFFields->Items(i)->RelatedFields->Count(); ++r) {
            TUDFRelatedField* related = BodyUDFFields->Items(i)->RelatedFields->Items(r);
            if (related->LinkedField && related->LinkedField->OnChange() == changed)
                related->LinkedField->SetOnChange(related->SavedOnChange);
        }
}

void TfrmDouble::WriteBodyUDF(TUDFField* item, bool& said) {
    TdmDouble* module = DoubleModule();
    if (TField* target = module ? module->cdsBody1->FindField(item->UDFFieldName) : nullptr)
        UserFields().WriteQueried(item, nullptr, target, said, true);
}

void TfrmDouble::UDFFieldChanged(TField* field) {
    TfrmSingle::UDFFieldChanged(field);
    TdmDouble* module = DoubleModule();
    if (!module || !field || !BodyUDFFields) return;
    bool said = false;
    for (int i = 0; i < BodyUDFFields->Count(); ++i) {
        TUDFField* item = BodyUDFFields->Items(i);
        TUDFRelatedField* related = item->RelatedFields->FindByField(field);
        if (!related) continue;
        if (related->SavedOnChange) related->SavedOnChange(field);
        if (field->DataSet() == module->cdsBody1) {
            WriteBodyUDF(item, said);
        } else if (field->DataSet() == module->cdsMain) {
            BodyRecalcPending = true;
            if (Pos(";" + UpperCase(field->FieldName()) + ";", ";" + UpperCase(BodyRecalcNames) + ";") == 0)
                BodyRecalcNames += (BodyRecalcNames.empty() ? "" : ";") + field->FieldName();
        }
    }
}

void TfrmDouble::RecalculateBodyUDF() {
    TdmDouble* module = DoubleModule();
    if (!module || !BodyRecalcPending || !BodyUDFFields || BodyUDFFields->Count() == 0) return;
    TClientDataSet* body = module->cdsBody1;
    if (!body->Active() || body->IsEmpty()) {
        BodyRecalcPending = false;
        BodyRecalcNames.clear();
        return;
    }
    // Any answer but OK aborts the header's post (a save stops there); the work stays pending.
    Broker->Say("W", "200399", {}, 936, true);
    std::vector<TUDFField*> items;
    const std::vector<AnsiString> names = single_services::SplitList(BodyRecalcNames, ";");
    for (int i = 0; i < BodyUDFFields->Count(); ++i) {
        TUDFField* item = BodyUDFFields->Items(i);
        for (int r = 0; r < item->RelatedFields->Count(); ++r) {
            const TField* linked = item->RelatedFields->Items(r)->LinkedField;
            if (linked && std::any_of(names.begin(), names.end(), [linked](const AnsiString& name) {
                    return SameText(name, linked->FieldName());
                })) {
                items.push_back(item);
                break;
            }
        }
    }
    {
        TDataSetGuard guard(body, TDataSetGuard::dgControls | TDataSetGuard::dgPosition);
        bool said = false;
        for (body->First(); !body->Eof(); body->Next()) {
            for (TUDFField* item : items)
                WriteBodyUDF(item, said);
            if (Editing(body)) body->Post();
        }
    }
    BodyRecalcPending = false;
    BodyRecalcNames.clear();
}

void TfrmDouble::ViewApplyBodyDefaultTexts() {
    if (!gdBody1) return;
    if (TMT_Doc* doc = UserFields().FormatDocument()) doc->ApplyGridDefaultTexts(gdBody1);
}

void TfrmDouble::ConfigureProgram() {
    TfrmSingle::ConfigureProgram();
    AttachmentsEnabled = true;
    SignOff->AutoSend = "N";
    BatchRunning = false;
    if (TdmDouble* module = DoubleModule()) module->SetMultiSelectVisible(true);
}

void TfrmDouble::ApplyInputSettings() {
    TfrmSingle::ApplyInputSettings();
    RangeRequery = true;
    BindLineSummary();
    PlaceConfirmImage();
    BindQueryDialogToLines();
    ReloadAttachmentKeys();
    if (Broker) LinesOption = Broker->ProgramKind;
    LoadSignOffTypes();
    const bool signOff = SignOff->ButtonWanted();
    if (btnSorvane) btnSorvane->SetVisible(signOff);
    if (btnSepSorvane) btnSepSorvane->SetVisible(signOff);
}

void TfrmDouble::BindQueryDialogToLines() {
    TdmDouble* module = DoubleModule();
    TQueryDialog* dialog = QueryDialog();
    if (!module || !dialog || !Broker) return;
    dialog->SetBodyDataSet(module->cdsBody1, Broker->GetSvrSetting("D11_TABLE"), module->DetailJoins,
                           module->DetailFields, module->BodyKeyFields);
}

void TfrmDouble::ReloadAttachmentKeys() {
    if (!AttachmentsEnabled || !DoubleModule()) return;
    try {
        LoadAttachmentKeys();
    } catch (const Exception& e) {
        // Without the keys no document shows an attachment; the form itself works on.
        WriteAlertLog(Broker ? Broker->ProgramID : AnsiString("Radical"), "DoubleCF-Attach :" + e.Message(),
                      'D');
    }
    UpdateAttachButton();
}

void TfrmDouble::FormShow(TObject* sender) {
    TfrmSingle::FormShow(sender);
    BindDateEditors();
    UpdateConfirmImage();
    UpdateSignOffActions();
    if (OpenMode != OPEN_MODE_HOST_12) BindBodyUDFEditors();
    // The body grid's links are the program's link fields (TfrmSingle's FormShow read them).
}

void TfrmDouble::BindDateEditors() {
    TdmDouble* module = DoubleModule();
    if (!module || !gdBody1) return;
    const AnsiString mask = module->DateFieldEditMask();
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* editor = dynamic_cast<TwwDBComboDlg*>(Components(i));
        if (!editor || !editor->Field() || editor->Field()->DataSet() != module->cdsBody1) continue;
        if (editor->Parent() != gdBody1 && gdBody1->CustomEditorOf(editor->Field()) != editor) continue;
        if (editor->Field()->EditMask() == mask)
            editor->SetOnExit(TNotifyEvent(this, &TfrmDouble::DateFieldDBComboDlgExit));
    }
}

void TfrmDouble::BindBodyUDFEditors() {
    TdmDouble* module = DoubleModule();
    if (!module || !gdBody1) return;
    TwwClientDataSet* body = module->cdsBody1;
    TMT_Doc* doc = UserFields().FormatDocument();
    // Every line user-defined field gets its editor, hidden ones too: SetupUserFields hides them all and
    // the user settings that show them apply only after the form shows.
    for (int i = 0; i < body->FieldCount(); ++i) {
        TField* field = body->Fields()->Fields(i);
        const AnsiString name = field->FieldName();
        if (!SameText(name.substr(0, 3), "UDF")) continue;
        AnsiString type, parameters;
        // A field the form's design gives an editor keeps it.
        if (body->FindControlType(name, type, parameters) || FindComponent("cbo" + name + "G_UDF")) continue;
        auto setting = [doc, &name](const AnsiString& attribute) {
            AnsiString text;
            if (doc) doc->GetFieldProperty("gdBody1", name, text, attribute);
            return text;
        };
        TWinControl* editor;
        if (SameText(setting("ControlType"), "Combo")) {
            auto* combo = new TwwDBComboBox(this);
            combo->SetName("cbo" + name + "G_UDF");
            if (doc) doc->SetComponentProperty(combo, "Items", setting("Items"));
            combo->SetStyle(csDropDownList);
            combo->SetDataSource(gdBody1->DataSource());
            combo->SetDataField(name);
            editor = combo;
        } else {
            auto* dialog = new TwwDBComboDlg(this);
            dialog->SetName("cbo" + name + "G_UDF");
            const AnsiString source = setting("DataSource");
            const AnsiString hint = source.empty() || SameText(source, "Custom")
                                        ? "[F2]" + LangText("sHINT_PHRASE", "常用语查询")
                                        : Format(LangText("sF2Query", "[F2]%s查询"), {field->DisplayLabel()});
            dialog->SetHint(hint);
            dialog->SetOnCustomDlg(TNotifyEvent(this, &TfrmDouble::BodyCustomDlg));
            dialog->SetDataSource(gdBody1->DataSource());
            dialog->SetDataField(name);
            editor = dialog;
        }
        editor->SetVisible(false);
        editor->SetParent(gdBody1);
        body->ControlType()->Add(name + ";CustomEdit;" + editor->Name());
    }
}

void TfrmDouble::ApplyUserSettings() {
    TfrmSingle::ApplyUserSettings();
    if (gdBody1) ApplyGridFormat(gdBody1);
    AnsiString columns;
    GetFormatDoc()->GetNodeIDs("gdBody1/*[Required='-1']", columns);
    if (!Trim(columns).empty()) MergeRequiredFields(RequiredFields + ";cdsBody1:" + columns);
    if (pgHead) SavedHeadHeight = pgHead->Height();
}

void TfrmDouble::SetupUserFields() {
    TfrmSingle::SetupUserFields();
    TdmDouble* module = DoubleModule();
    if (!module || !Broker) return;
    const AnsiString table = Broker->GetSvrSetting("D11_TABLE");
    int count = 0;
    // Each label and hiding changes the layout: the controls show the last one only.
    TDataSetGuard still(module->cdsBody1, TDataSetGuard::dgControls);
    for (int i = 1; i <= 100; ++i) {
        const AnsiString name = Format("UDF%.2d", {i});
        TField* field = module->cdsBody1->FindField(name);
        if (!field) continue;
        ++count;
        Variant row;
        AnsiString label;
        if (Broker->CheckValue("WOQMD", "02", row, VarArrayOf({table, name})) && VarIsArray(row))
            label = VarToStr(row.GetElement({VarArrayLowBound(row, 1)}));
        if (label.empty()) label = Format(LangText("sDefItem", "自定义项%d"), {count});
        field->SetDisplayLabel(label);
        field->SetVisible(false);
    }
}

void TfrmDouble::DoF2Key(Word& key, TWinControl* control) {
    TfrmSingle::DoF2Key(key, control);
    TdmDouble* module = DoubleModule();
    if (!module || !gdBody1 || !control || (control != gdBody1 && control->Parent() != gdBody1)) return;
    TClientDataSet* body = module->cdsBody1;
    if (body->Active() && !Editing(body)) body->Edit();
    TField* field = gdBody1->SelectedField();
    if (field && SameText(field->FieldName().substr(0, 3), "UDF"))
        UserFields().OpenUDFLookup(body, field, "gdBody1");
}

// ---- colours and links of the body grid ----

void TfrmDouble::ColorDataChanged() {
    TfrmSingle::ColorDataChanged();
    TdmDouble* module = DoubleModule();
    if (!IsColorManage || !module || !module->cdsMainColor->Active()) return;
    try {
        auto* nested = dynamic_cast<TDataSetField*>(module->cdsMainColor->FindField("qryBodyColor"));
        if (!nested) return;
        module->cdsBodyColor->Close();
        module->cdsBodyColor->SetDataSetField(nested);
        module->cdsBodyColor->Open();
    } catch (const Exception&) {
        // Without the lines' colours the lines show their own.
    }
    if (gdBody1) gdBody1->Invalidate();
}

TField* TfrmDouble::FindMainField(const AnsiString& table, const AnsiString& field) {
    if (TField* found = TfrmSingle::FindMainField(table, field)) return found;
    TdmDouble* module = DoubleModule();
    if (!module || !Broker || !SameText(Trim(table), Trim(Broker->GetSvrSetting("D11_TABLE"))))
        return nullptr;
    return module->cdsBody1->FindField(field);
}

void TfrmDouble::BuildHeadColors(const AnsiString& text) {
    TfrmSingle::BuildHeadColors(text);
    BodyColors.reset();
    if (!Trim(text).empty()) BodyColors = TColorComponents::CreateFromXml(this, "body", text);
}

void TfrmDouble::gdBody1CalcCellColors(TObject* sender, TField* field, TGridDrawState, bool highlight,
                                       TFont* font, TBrush* brush) {
    if (!font || !field) return;
    font->SetColor(clBlack);
    font->SetStyle(TFontStyles{});
    if (EditState != esBrowse) return;
    if (IsLinkField(field->FieldName())) {
        font->SetColor(clBlue);
        font->SetStyle(TFontStyles{fsUnderline});
    }
    TdmDouble* module = DoubleModule();
    if (highlight || !IsColorManage || !BodyColors || !module || !module->cdsBodyColor->Active()) return;
    try {
        auto values = [](TDataSet* dataSet, const std::vector<AnsiString>& names) {
            std::vector<Variant> found;
            for (const AnsiString& name : names)
                if (TField* key = dataSet->FindField(name)) found.push_back(key->Value());
            return found.size() == 1 ? found[0] : VarArrayOf(found);
        };
        std::vector<AnsiString> headKeys, bodyKeys;
        for (int i = 1; i <= GetTokenCount(module->KeyFields, ","); ++i)
            headKeys.push_back(Trim(GetToken(module->KeyFields, ",", i)));
        for (int i = 1; i <= module->BodyKeyCount(); ++i)
            bodyKeys.push_back(module->BodyKeyField(i));
        if (headKeys.empty() || bodyKeys.empty()) return;
        AnsiString headList, bodyList;
        for (const AnsiString& name : headKeys)
            headList += (headList.empty() ? "" : ";") + name;
        for (const AnsiString& name : bodyKeys)
            bodyList += (bodyList.empty() ? "" : ",") + name;
        // The header's colour row carries the lines' colour rows.
        if (!module->cdsMainColor->Locate(headList, values(module->cdsMain, headKeys))) return;
        BodyColors->ApplyToRecord(dynamic_cast<TComponent*>(sender), field, brush, font, module->cdsBodyColor,
                                  values(module->cdsBody1, bodyKeys), bodyList);
    } catch (const Exception&) {
        // A colour that cannot be worked out leaves the cell as it is.
    }
}

void TfrmDouble::gdBody1CalcTitleAttributes(TObject*, const AnsiString& fieldName, TFont*, TBrush* brush) {
    TdmDouble* module = DoubleModule();
    if (!module || !brush) return;
    for (int i = 1; i <= module->BodyKeyCount(); ++i)
        if (SameText(module->BodyKeyField(i), fieldName)) {
            brush->SetColor(static_cast<TColor>(KeyFieldColor));
            return;
        }
}

void TfrmDouble::gdBody1MouseMove(TObject*, TShiftState shift, int x, int y) {
    if (!gdBody1) return;
    const bool ctrl = shift.Contains(ssCtrl);
    if (!ctrl) {
        gdBody1->SetCursor(crDefault);
        FBodyLinkHover = false;
    }
    if (EditState != esBrowse) return;
    const TGridCoord cell = gdBody1->MouseCoord(x, y);
    const int column = gdBody1->ColumnIndex(cell.X);
    if (column < 0 || cell.Y < gdBody1->FixedRows()) return;
    if (Trim(gdBody1->CellText(cell.X, cell.Y)).empty() || !IsLinkField(gdBody1->Columns()[column].FieldName))
        return;
    AnsiString hint = "按住CTRL并单击鼠标以跟踪链接";
    GetLangString("TfrmSingle", "sGridHint", hint, true, hint);
    gdBody1->SetHint(hint);
    gdBody1->SetShowHint(true);
    if (ctrl) {
        gdBody1->SetCursor(crHandPoint);
        FBodyLinkHover = true;
    }
}

void TfrmDouble::gdBody1MouseDown(TObject*, TMouseButton button, TShiftState, int x, int y) {
    TdmDouble* module = DoubleModule();
    if (button != mbLeft || !FBodyLinkHover || !gdBody1 || !module) return;
    // The link is the clicked cell's: the grid moves there first.
    const TGridCoord cell = gdBody1->MouseCoord(x, y);
    if (cell.X >= gdBody1->FixedCols() && cell.Y >= gdBody1->FixedRows()) {
        gdBody1->SetRow(cell.Y);
        gdBody1->SetCol(cell.X);
    }
    FollowGridLink(gdBody1, module->cdsBody1);
    FBodyLinkHover = false;
}

void TfrmDouble::gdBody1KeyUp(TObject*, Word&, TShiftState) {
    FBodyLinkHover = false;
    if (gdBody1) gdBody1->SetCursor(crDefault);
}

// ---- confirm fields ----

void TfrmDouble::SetConfirmField(const AnsiString& name) {
    if (name != ConfirmFieldName) ConfirmFieldName = name;
    TdmDouble* module = DoubleModule();
    ConfirmField = module && !name.empty() ? module->cdsMain->FindField(name) : nullptr;
}

void TfrmDouble::SetSignOffStatusField(const AnsiString& name) {
    if (name != SignOffStatusField) SignOffStatusField = name;
    TdmDouble* module = DoubleModule();
    SignOffField = module && !name.empty() ? module->cdsMain->FindField(name) : nullptr;
}

bool TfrmDouble::IsConfirmedOrVoid() const {
    if (!ConfirmField || ConfirmField->IsNull()) return false;
    const AnsiString code = Trim(ConfirmField->AsString());
    return code == "Y" || code == "U" || code == "V";
}

void TfrmDouble::CopyConfirmToBody() {
    TdmDouble* module = DoubleModule();
    if (!module || Trim(module->HeadToBodyMap).empty() || !module->cdsBody1->Active() ||
        module->cdsBody1->IsEmpty())
        return;
    TClientDataSet* body = module->cdsBody1;
    TDataSourceEvents events;
    SaveDataSourceEvents(module->dsBody1, events);
    body->DisableControls();
    TBookmark mark = body->State() == dsBrowse ? body->GetBookmark() : nullptr;
    try {
        for (body->First(); !body->Eof(); body->Next()) {
            module->CopyMappedHeadFields();
            if (Editing(body)) body->Post();
        }
    } catch (...) {
        body->FreeBookmark(mark);
        RestoreDataSourceEvents(module->dsBody1, events);
        body->EnableControls();
        throw;
    }
    if (mark && body->BookmarkValid(mark)) body->GotoBookmark(mark);
    body->FreeBookmark(mark);
    RestoreDataSourceEvents(module->dsBody1, events);
    body->EnableControls();
}

// ---- the line summary and counters ----

void TfrmDouble::BindLineSummary() {
    FSummary.clear();
    TdmDouble* module = DoubleModule();
    if (!module) return;
    for (int i = 1;
         i <= GetTokenCount(LineSummaryList, ",") && static_cast<int>(FSummary.size()) < LineSummaryMax;
         ++i) {
        const AnsiString name = Trim(GetToken(LineSummaryList, ",", i));
        if (name.empty()) continue;
        if (TField* field = module->cdsBody1->FindField(name)) FSummary.push_back(field);
    }
}

void TfrmDouble::ShowLineSummary() {
    AnsiString text;
    for (TField* field : FSummary) {
        const AnsiString part =
            Trim(field->DataSet() && field->DataSet()->Active() ? field->Text() : AnsiString());
        if (part.empty()) continue;
        if (!text.empty()) text += " ";
        text += part;
    }
    PanelText(Status, 1, text);
}

void TfrmDouble::ShowRecordCounters() {
    TdmDouble* module = DoubleModule();
    if (!module || !Status || !pgHead) return;
    Variant shown;
    if (pgHead->ActivePage() == tbsBrowse) {
        TClientDataSet* main = module->cdsMain;
        const int recNo = main->Active() ? main->RecNo() : 0;
        const int count = module->RecordCount;
        if (FHeadCountText.empty()) FHeadCountText = LangText("sHeadRecCount", "单头笔数");
        PanelText(Status, 2, FHeadCountText);
        ConvertUiText(recNo > 0 && count > 0 ? IntToStr(recNo) + "/" + IntToStr(count) : AnsiString("0/0"),
                      shown);
    } else {
        TClientDataSet* body = module->cdsBody1;
        const int count = body->Active() ? body->RecordCount() : 0;
        const int line = count > 0 ? body->RecNo() : 0;
        if (FBodyCountText.empty()) FBodyCountText = LangText("sBodyRecCount", "单身笔数");
        PanelText(Status, 2, FBodyCountText);
        ConvertUiText(line > 0 && count > 0 ? IntToStr(line) + "/" + IntToStr(count) : AnsiString("0/0"),
                      shown);
    }
    PanelText(Status, 3, VarToStr(shown));
}

void TfrmDouble::pgHeadChange(TObject* sender) {
    TfrmSingle::pgHeadChange(sender);
    if (!pgHead || !pgBody) return;
    // The browse page is the list of documents: the header pages take the whole form there.
    const bool browsing = pgHead->ActivePage() == tbsBrowse && tbsBrowse;
    pgBody->SetVisible(!browsing);
    if (sprBody) sprBody->SetVisible(!browsing);
    ShowRecordCounters();
}

void TfrmDouble::HeadPosted() {
    RecalculateBodyUDF();
}

void TfrmDouble::ViewLineChanged(TField* field) {
    // A field's change keeps the line where it is, and shows anew only a field of the summary.
    if (!field || std::find(FSummary.begin(), FSummary.end(), field) != FSummary.end()) ShowLineSummary();
    if (!field) ShowRecordCounters();
}

void TfrmDouble::FocusFirstBodyColumn() {
    if (!gdBody1) return;
    for (const TwwGridColumn& column : gdBody1->Columns()) {
        TDataSet* dataSet = gdBody1->DataSource() ? gdBody1->DataSource()->DataSet() : nullptr;
        TField* field = dataSet ? dataSet->FindField(column.FieldName) : nullptr;
        if (field) {
            gdBody1->SetSelectedField(field);
            return;
        }
    }
}

// ---- states ----

void TfrmDouble::SetBodyKeysEnabled(bool on) {
    if (!gdBody1) return;
    TwwDBGridKeyOptions options = gdBody1->KeyOptions();
    if (on)
        options = options | TwwDBGridKeyOptions{dgAllowInsert, dgAllowDelete};
    else
        options = options - TwwDBGridKeyOptions{dgAllowInsert, dgAllowDelete};
    gdBody1->SetKeyOptions(options);
}

bool TfrmDouble::BodyEmpty() const {
    TdmDouble* module = DoubleModule();
    return !module || !module->cdsBody1->Active() || module->cdsBody1->IsEmpty();
}

void TfrmDouble::ShowState(Byte state) {
    TfrmSingle::ShowState(state);
    if (gdBody1) gdBody1->SetReadOnly(state == 1);
    if (pnlFoot) {
        pnlFoot->SetEnabled(state != 1);
        for (int i = 0; i < pnlFoot->ControlCount(); ++i)
            pnlFoot->Controls(i)->SetEnabled(state != 1);
    }
}

void TfrmDouble::UpdateButtonStates() {
    TfrmSingle::UpdateButtonStates();
    // Save and cancel while a document is being edited or added.
    const bool editing = EditState != esBrowse;
    Enable(btnOK, editing);
    Enable(miOK, editing);
    Enable(btnCancel, editing);
    Enable(miCancel, editing);
    const bool locked = IsConfirmedOrVoid();
    if (locked) {
        Enable(btnEdit, false);
        Enable(miEdit, false);
        Enable(btnDelete, false);
        Enable(miDelete, false);
    }
    UpdateConfirmImage();
    UpdateSignOffActions();
    UpdateAttachButton();
    if (miBodyToExcel && miTable2Excel) miBodyToExcel->SetEnabled(miTable2Excel->Enabled());
    if (miBodyToExcel2 && miTable2Excel) miBodyToExcel2->SetEnabled(miTable2Excel->Enabled());
    UpdateCopyCommand();
}

// ---- attachments ----

void TfrmDouble::UpdateAttachButton() {
    if (!btnAttach) return;
    btnAttach->SetEnabled(AttachmentsEnabled && ((miLast && miLast->Enabled()) || EditState == esEdit));
    btnAttach->SetImageIndex(AttachmentsEnabled && DoubleModule() && HasAttachment() ? 17 : 16);
}

void TfrmDouble::btnAttachClick(TObject*) {
    if (!AttachmentsEnabled) return;
    // The dialog's work shows on the button at once (ShowAttachments reads the keys again).
    ShowAttachments();
    UpdateAttachButton();
}

// ---- record operations ----

bool TfrmDouble::AddRecord(bool fresh) {
    TdmDouble* module = DoubleModule();
    if (!module) return false;
    if (fresh) module->ClearKeptValues();
    const bool started = TfrmSingle::AddRecord(fresh);
    pgHeadChange(this);
    if (!module->cdsBody1->Active()) module->cdsBody1->Open();
    if (started) {
        SetBodyKeysEnabled(true);
        module->CheckBodyHook();
        ApplyRights();
        if (module->cdsBody1->IndexName().empty()) module->RestoreBodyOrder();
    }
    if (!module->RefreshBodyShadow()) throw Exception("Copy Body Clone Error!!");
    return started;
}

bool TfrmDouble::EditRecord() {
    TdmDouble* module = DoubleModule();
    if (!module || IsConfirmedOrVoid()) return false;
    const bool started = TfrmSingle::EditRecord();
    pgHeadChange(this);
    if (started) {
        SetBodyKeysEnabled(true);
        module->CheckBodyHook();
        ApplyRights();
        if (module->cdsBody1->IndexName().empty() && module->cdsBody1->IndexFieldNames().empty())
            module->RestoreBodyOrder();
        if (!module->RefreshBodyShadow()) throw Exception("Copy Body Clone Error!!");
    }
    TClientDataSet* body = module->cdsBody1;
    if (body->Active() && !body->IsEmpty() && body->State() == dsBrowse) {
        body->DisableControls();
        TBookmark mark = body->GetBookmark();
        body->First();
        if (body->BookmarkValid(mark)) body->GotoBookmark(mark);
        body->FreeBookmark(mark);
        body->EnableControls();
    }
    return started;
}

bool TfrmDouble::DeleteRecord(bool confirm) {
    if (IsConfirmedOrVoid()) return false;
    bool result = false;
    try {
        result = TfrmSingle::DeleteRecord(confirm);
        if (result) SetEditState(esBrowse);
    } catch (const EAbort&) {
        throw;
    } catch (const Exception& e) {
        WriteAlertLog("Radical", "DoubleCF-Delete :" + e.Message(), 'D');
        Broker->Say("E", "000007");
        result = false;
    }
    ApplyRights();
    return result;
}

bool TfrmDouble::QueryRecords() {
    const bool ran = TfrmSingle::QueryRecords();
    pgHeadChange(this);
    // A query cancelled in its dialog leaves the user on the document where they were.
    if (ran && QueryRan) RefreshAfterQuery();
    return ran;
}

void TfrmDouble::RunSavedCondition(TObject* sender) {
    QueryRan = false;
    TfrmSingle::RunSavedCondition(sender);
    pgHeadChange(this);
    if (QueryRan) RefreshAfterQuery();
}

void TfrmDouble::ApplyColorFilter() {
    TfrmSingle::ApplyColorFilter();
    pgHeadChange(this);
    if (TdmDouble* module = DoubleModule();
        module && module->cdsMain->Active() && !module->cdsMain->IsEmpty()) {
        module->cdsMain->First();
        module->cdsMain->Next();
        module->cdsMain->Prior();
    }
}

void TfrmDouble::BeforeShowAction() {
    TfrmSingle::BeforeShowAction();
    BindQueryDialogToLines();
}

void TfrmDouble::RefreshAfterQuery() {
    TdmDouble* module = DoubleModule();
    if (!module || !module->cdsMain->Active()) return;
    TClientDataSet* body = module->cdsBody1;
    body->Close();
    body->Open();
    // A step away and back: the detail of the first record follows it.
    if (!module->cdsMain->IsEmpty()) {
        module->cdsMain->First();
        module->cdsMain->Next();
        module->cdsMain->Prior();
    }
    ReloadAttachmentKeys();
}

void TfrmDouble::SetQueryCondition(TCustomClientDataSet* dataSet, const AnsiString& where,
                                   const AnsiString& order) {
    TfrmSingle::SetQueryCondition(dataSet, where, order);
    TdmDouble* module = DoubleModule();
    if (!module || dataSet != module->cdsMain || !dataSet->Active()) return;
    TClientDataSet* body = module->cdsBody1;
    if (!body->Active()) body->Open();
    if (body->IndexFieldNames().empty() && body->IndexName().empty()) {
        const AnsiString line = module->BodyKeyField(module->KeyCount + 1);
        body->SetIndexFieldNames(line);
        module->LineClone->SetIndexFieldNames(line);
    }
    module->DefaultBodyOrder = body->IndexFieldNames();
    module->RefreshBodyShadow();
}

bool TfrmDouble::GetPrintParams(Variant& params, Variant& data) {
    TdmDouble* module = DoubleModule();
    params = VarArrayOf({Variant(Broker->UserID), Variant(Broker->CompanyID), Variant(PrintProgram),
                         Variant(static_cast<int>(Handle()))});
    std::vector<Variant> keys;
    if (module)
        for (int i = 1; i <= GetTokenCount(module->KeyFields, ","); ++i) {
            const AnsiString name = Trim(GetToken(module->KeyFields, ",", i));
            TField* field = module->cdsMain->FindField(name);
            AnsiString value = field ? field->AsString() : AnsiString();
            if (EditState == esInsert && module->AutoKey && SameText(name, module->AutoKeyField))
                value = ServerNumber;
            keys.push_back(Variant(value));
        }
    data = VarArrayOf({Variant(false), VarArrayOf(keys)});
    return true;
}

bool TfrmDouble::PrintRecords() {
    if (!TfrmSingle::PrintRecords()) return false;
    Variant params, data;
    if (!GetPrintParams(params, data)) return false;
    if (PreviewMode && VarIsArray(data) && VarArrayHighBound(data, 1) >= VarArrayLowBound(data, 1))
        data.PutElement({VarArrayLowBound(data, 1)}, Variant(true));
    // The host's failure codes are negative: a print it refused is no print.
    return Broker->ExecWorkCommand(params, data) >= 0;
}

bool TfrmDouble::ValidateRecord(TDataSet* dataSet) {
    TdmDouble* module = DoubleModule();
    if (module && dataSet == module->cdsBody1) {
        FocusControl(gdBody1);
        if (Editing(dataSet)) {
            AnsiString own;
            for (int i = module->KeyCount + 1; i <= GetTokenCount(module->BodyKeyFields, ","); ++i) {
                const AnsiString name = module->BodyKeyField(i);
                // The line number is the module's when it numbers the lines.
                if (name.empty() || (module->AutoLineNumber && SameText(name, module->LineNumberField) &&
                                     !Trim(dataSet->FieldByName(name)->AsString()).empty()))
                    continue;
                own += (own.empty() ? "" : ",") + name;
            }
            if (!own.empty() && !CheckRequired(dataSet, dataSet->Name() + ":" + own)) return false;
        }
        return TfrmBase::ValidateRecord(dataSet);
    }
    return TfrmSingle::ValidateRecord(dataSet);
}

// ---- saving ----

void TfrmDouble::BackToEdit() {
    TdmDouble* module = DoubleModule();
    if (!module) return;
    TClientDataSet* main = module->cdsMain;
    if (main->Active() && !Editing(main) && !main->IsEmpty()) main->Edit();
}

bool TfrmDouble::CheckLines() {
    if (!pgBody || !gdBody1 || !pgBody->Visible() || !gdBody1->Visible() || pgBody->Height() <= 5)
        return true;
    if (!BodyEmpty()) return true;
    const AnsiString text = LangText("sNoBodyRec", "单身没有资料");
    if (LinesOption == 2) {
        Broker->Say("E", "000032", {text});
        return false;
    }
    if (LinesOption == 1) return Broker->Say("W", "100079", {text}) == mrOk;
    return true;
}

void TfrmDouble::Requery(const AnsiString& number) {
    TdmDouble* module = DoubleModule();
    if (!module) return;
    AnsiString where;
    for (int i = 1; i <= GetTokenCount(module->KeyFields, ","); ++i) {
        const AnsiString name = Trim(GetToken(module->KeyFields, ",", i));
        TField* field = module->cdsMain->FindField(name);
        if (!field) continue;
        AnsiString value;
        if (!number.empty() && SameText(name, module->AutoKeyField))
            value = QuotedStr(number);
        else if (field->DataType() == ftString || field->DataType() == ftFixedChar ||
                 field->DataType() == ftWideString)
            value = QuotedStr(Trim(field->AsString()));
        else
            value = field->AsString();
        where += (where.empty() ? "" : " and ") + module->MainTable + "." + name + "=" + value;
    }
    if (!where.empty()) SetQueryCondition(module->cdsMain, where, AnsiString());
}

// The save's steps over the single form's: the lines posted with the header, the number and lines
// checks, the server's numbering, and after the save the number, confirmation and print of a new
// document.
bool TfrmDouble::PrepareSave(bool adding) {
    TdmDouble* module = DoubleModule();
    TClientDataSet* main = module->cdsMain;
    PostOrDropLine(this, module->cdsBody1);
    // The header is posted once, after its lines took what they copy from it (and, when it is new, its
    // key); the walk over the lines stays out of the header's data source.
    {
        TDataSourceEvents events;
        SaveDataSourceEvents(module->dsMain, events);
        try {
            if (!Editing(main)) main->Edit();
            CopyConfirmToBody();
            if (adding) module->BeforeSaveDetails();
        } catch (...) {
            RestoreDataSourceEvents(module->dsMain, events);
            throw;
        }
        RestoreDataSourceEvents(module->dsMain, events);
    }
    if (Editing(main)) PostRecord(main);
    TField* numberField = module->AutoKeyField.empty() ? nullptr : main->FindField(module->AutoKeyField);
    NumberBeforeSave = numberField ? Trim(numberField->AsString()) : AnsiString();
    // A number that failed to come must not reach the server as the document's number.
    if (adding && numberField &&
        (SameText(NumberBeforeSave, "unknown") || SameText(NumberBeforeSave, "unKnow"))) {
        Broker->Say("E", "000033");
        return false;
    }
    if (!CheckLines()) return false;
    module->StoreKeyValues();
    return true;
}

bool TfrmDouble::ApplySave(bool adding) {
    TdmDouble* module = DoubleModule();
    TAppServer(module->AppServer).SetIsSeq(module->AutoKey);
    Enable(btnOK, false);
    Enable(miOK, false);
    return TfrmSingle::ApplySave(adding);
}

void TfrmDouble::SaveStopped() {
    Enable(btnOK, true);
    Enable(miOK, true);
    BackToEdit();
}

void TfrmDouble::SaveRaised(const Exception& e) {
    WriteAlertLog("Radical", "DoubleCF-876 :" + e.Message(), 'D');
    SaveStopped();
}

void TfrmDouble::SaveFailed() {
    if (KeepFailedEdit()) {
        Enable(btnOK, true);
        Enable(miOK, true);
    } else {
        Broker->Say("E", "000008");
    }
    BackToEdit();
}

void TfrmDouble::FinishSave(bool adding) {
    TdmDouble* module = DoubleModule();
    FRenumbered = false;
    SetBodyKeysEnabled(false);
    AfterSave();
    if (!adding) return;
    ServerNumber = Trim(VarToStr(TAppServer(module->AppServer).WhatIs("SEQNO")));
    FRenumbered = module->AutoKey && !ServerNumber.empty() && ServerNumber != NumberBeforeSave;
    if (FRenumbered) {
        TField* numberField = module->cdsMain->FindField(module->AutoKeyField);
        Broker->Say("I", "000006",
                    {numberField ? numberField->DisplayLabel() : module->AutoKeyField, ServerNumber});
    }
    // A type that confirms through sign-off sends the new document there instead of confirming it.
    if (SignOffRequired(3) && (SignOff->AutoSend == "Y" || SignOff->AutoSend == "C")) {
        if (FRenumbered) Requery(ServerNumber);
        SendForSignOff(true, 3, true);
    } else if (AutoConfirmMode == 1 && CanConfirm) {
        ConfirmDocument(3, false);
    }
    if (AutoPrintAfterSave) {
        PreviewMode = false;
        PrintRecords();
    }
}

void TfrmDouble::LeaveEditAfterSave(bool adding) {
    if (CloseAfterSave) {
        SetEditState(esBrowse);
        Close();
    } else if (IsKeepOnAdd) {
        RangeRequery = true;
        if (adding) {
            if (FRenumbered) Requery(ServerNumber);
            AddRecord(false);
        } else {
            SetEditState(esBrowse);
        }
    } else if (adding && AutoConfirmMode == 1 && CanConfirm) {
        // Confirmed right after its first save: the document is read again as the server left it.
        SetEditState(esBrowse);
        Requery(FRenumbered ? ServerNumber : AnsiString());
        RangeRequery = true;
    } else {
        RangeRequery = false;
        SetEditState(esBrowse);
        if (FRenumbered) Requery(ServerNumber);
    }
    ApplyRights();
}

void TfrmDouble::AfterSave() {}

bool TfrmDouble::CancelEdit(bool ask) {
    TdmDouble* module = DoubleModule();
    if (module && Editing(module->cdsBody1)) module->cdsBody1->Cancel();
    const bool cancelled = TfrmSingle::CancelEdit(ask);
    if (cancelled) {
        if (CloseAfterSave) {
            ReturnValue = Variant();
            Close();
        }
        SetBodyKeysEnabled(false);
        pgHeadChange(this);
    }
    ApplyRights();
    return cancelled;
}

// ---- keys ----

void TfrmDouble::FormKeyPress(TObject* sender, char& key) {
    TdmDouble* module = DoubleModule();
    TWinControl* active = ActiveControl();
    if (key == '\r' && active && (dynamic_cast<TCustomGrid*>(active) || IsInGrid(active))) {
        key = 0;
        return;
    }
    if (key == '\r' && module && active && module->cdsMain->State() != dsBrowse &&
        !dynamic_cast<TCustomMemo*>(active) && pgHead && pgHead->ActivePage()) {
        // The header's last input control: Enter goes on into the first column of the lines.
        TWinControl* last = nullptr;
        std::vector<TWinControl*> list;
        pgHead->ActivePage()->GetTabOrderList(list);
        for (TWinControl* control : list)
            if (control->CanFocus() && control->TabStop()) last = control;
        if (last == active && gdBody1) {
            key = 0;
            if (pgBody && pgBody->PageCount() > 0) pgBody->SetActivePageIndex(0);
            pgHeadChange(this);
            if (gdBody1->CanFocus()) gdBody1->SetFocus();
            FocusFirstBodyColumn();
            return;
        }
    }
    TfrmSingle::FormKeyPress(sender, key);
}

void TfrmDouble::FormKeyDown(TObject* sender, Word& key, TShiftState shift) {
    TWinControl* active = ActiveControl();
    if ((key == VK_F2 || key == VK_F3 || key == VK_F4) && gdBody1 && active == gdBody1 &&
        gdBody1->ReadOnly()) {
        key = 0;
        return;
    }
    if (key == VK_INSERT && shift.Empty() && gdBody1 && (active == gdBody1 || IsInGrid(active))) {
        if (InsertLine()) key = 0;
        return;
    }
    if (key == VK_DELETE && shift.Contains(ssCtrl) && gdBody1 && (active == gdBody1 || IsInGrid(active))) {
        key = 0;
        DeleteLine();
        return;
    }
    if (key == VK_DOWN && shift.Contains(ssCtrl) && gdBody1) {
        if (pgBody && pgBody->PageCount() > 0) pgBody->SetActivePageIndex(0);
        if (gdBody1->CanFocus()) gdBody1->SetFocus();
        key = 0;
        return;
    }
    TfrmSingle::FormKeyDown(sender, key, shift);
}

void TfrmDouble::BodyCustomDlg(TObject* sender) {
    TdmDouble* module = DoubleModule();
    auto* editor = dynamic_cast<TWinControl*>(sender);
    if (!module || !editor || !Editing(module->cdsMain)) return;
    Word key = VK_F2;
    LookupMode = lmNormal;
    DoF2Key(key, editor);
}

void TfrmDouble::gdBody1Enter(TObject*) {
    TdmDouble* module = DoubleModule();
    if (!module || (EditState != esEdit && EditState != esInsert) || gdBody1->ReadOnly()) return;
    TClientDataSet* body = module->cdsBody1;
    if (Editing(body)) return;
    TClientDataSet* main = module->cdsMain;
    const int line = body->Active() ? body->RecNo() : 0;
    if (main->State() == dsEdit) PostRecord(main);
    if (main->State() == dsBrowse && !main->IsEmpty()) main->Edit();
    if (line > 0 && line <= body->RecordCount()) body->SetRecNo(line);
    if (body->Active() && body->IsEmpty() && Editing(main)) body->Insert();
}

void TfrmDouble::gdBody1Exit(TObject*) {
    // A new line nobody typed into goes; a changed line stays for the save, which posts it (a line
    // the program refuses keeps its message to the one place where it is saved).
    TdmDouble* module = DoubleModule();
    if (module && module->cdsBody1->State() == dsInsert && !module->cdsBody1->Modified())
        module->cdsBody1->Cancel();
}

bool TfrmDouble::InsertLine() {
    TdmDouble* module = DoubleModule();
    if (!module || EditState == esBrowse || !gdBody1 || gdBody1->ReadOnly()) return false;
    TClientDataSet* body = module->cdsBody1;
    PostOrDropLine(this, body);
    if (!Editing(module->cdsMain)) module->cdsMain->Edit();
    body->Append();
    return body->State() == dsInsert;
}

bool TfrmDouble::DeleteLine() {
    TdmDouble* module = DoubleModule();
    if (!module || EditState == esBrowse || !gdBody1 || gdBody1->ReadOnly() || module->cdsBody1->ReadOnly() ||
        BodyEmpty())
        return false;
    if (Broker->Say("C", "000005") != mrOk) return false;
    TClientDataSet* body = module->cdsBody1;
    if (body->State() == dsInsert) {
        body->Cancel();
        return true;
    }
    if (body->State() == dsEdit) body->Cancel();
    // The current line alone, with what is nested in it.
    DeleteRecordCascade(body, false, false);
    return true;
}

void TfrmDouble::gdBody1KeyDown(TObject*, Word& key, TShiftState shift) {
    if (key != VK_DELETE || !shift.Contains(ssCtrl)) return;
    key = 0;
    DeleteLine();
}

void TfrmDouble::gdBody1CalcTitleImage(TObject*, TField* field, int& titleImageIndex) {
    TdmDouble* module = DoubleModule();
    titleImageIndex = -1;
    if (!module || !field || field != module->SortedBodyField) return;
    // Sorted by its index of the field's name: descending; by the field's name alone: ascending.
    titleImageIndex = SameText(module->cdsBody1->IndexName(), field->FieldName()) ? 1 : 0;
}

void TfrmDouble::gdBody1TitleButtonClick(TObject*, const AnsiString& fieldName) {
    if (TdmDouble* module = DoubleModule()) module->SortBodyByField(fieldName);
}

void TfrmDouble::miBodyToExcelClick(TObject*) {
    if (TdmDouble* module = DoubleModule())
        module->ExportBodyToExcel(module->cdsMain, module->cdsBody1, true, this);
}

void TfrmDouble::miBodyToExcel2Click(TObject*) {
    if (TdmDouble* module = DoubleModule())
        module->ExportBodyToExcelPlain(module->cdsMain, module->cdsBody1, this);
}
