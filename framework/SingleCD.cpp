#include "framework/SingleCD.h"

#include <charconv>
#include <vector>

#include "classlib/controls/forms.h"
#include "classlib/db/dsguard.h"
#include "classlib/db/fieldtypes.h"
#include "classlib/dbctrls/wwdbctrls.h"
#include "classlib/objects/formloader.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/shellapi.h"
#include "classlib/rtl/strutils.h"
#include "foundation/AlertLog.h"
#include "foundation/LibVCLs.h"
#include "foundation/libUDF.h"
#include "foundation/libstrs.h"
#include "framework/Brokers.h"
#include "framework/ExportSheet.h"
#include "framework/FieldLists.h"

// ---- the filter ----

void TXLSExport::CreateStream(const AnsiString& fileName) {
    TQRXLSFilter::CreateStream(fileName);
}

void TXLSExport::CloseStream() {
    TQRXLSFilter::CloseStream();
}

KVR_PUBLISHED(TXLSExport, c) {}

// ---- the module ----

KVR_PUBLISHED(TdmSingle, c) {
    c.Field("OLEExcel1", &TdmSingle::OLEExcel1);
    c.Method("DataModuleCreate", &TdmSingle::DataModuleCreate);
    c.Method("DataModuleDestroy", &TdmSingle::DataModuleDestroy);
    c.Method("cdsMainBeforeOpen", &TdmSingle::cdsMainBeforeOpen);
    c.Method("cdsMainAfterScroll", &TdmSingle::cdsMainAfterScroll);
    c.Method("cdsMainReconcileError", &TdmSingle::cdsMainReconcileError);
    c.Method("MultiSelectedGetText", &TdmSingle::MultiSelectedGetText);
}

KVR_FORM_RESOURCE(TdmSingle, R"(inherited dmSingle: TdmSingle
  inherited cdsMain: TwwClientDataSet
    OnReconcileError = cdsMainReconcileError
  end
  object OLEExcel1: TOLEExcel
    AutoCloseExcel = True
    ExceptRaise = True
    Visible = False
    ThousandSign = ','
    UICodePage = '950'
  end
end
)");

TdmSingle::TdmSingle(TComponent* owner, bool load) : TdmBase(owner, false) {
    if (load) InitInheritedComponent(this);
}

TdmSingle::~TdmSingle() {
    delete KeepList;
}

void TdmSingle::DataModuleCreate(TObject* sender) {
    if (!KeepList) KeepList = new TStringList();
    TdmBase::DataModuleCreate(sender);
}

void TdmSingle::DataModuleDestroy(TObject* sender) {
    TdmBase::DataModuleDestroy(sender);
}

AnsiString TdmSingle::ProgramID() const {
    if (Broker && !Broker->ProgramID.empty()) return Broker->ProgramID;
    AnsiString id;
    if (TRadicalView* view = View()) id = view->ViewProgramID();
    return id;
}

// ---- key ----

void TdmSingle::SetAutoKey(bool on) {
    if (on != AutoKey) {
        AutoKey = on;
        AutoKeyField.clear();
    }
    if (on && !Trim(KeyFields).empty()) {
        AutoKeyField = Trim(GetToken(KeyFields, ",", GetTokenCount(KeyFields, ",")));
        if (TField* field = cdsMain->FindField(AutoKeyField)) field->SetRequired(false);
    }
}

void TdmSingle::SetKeyFields(const AnsiString& list) {
    TdmBase::SetKeyFields(list);
    KeyCount = Trim(KeyFields).empty() ? 0 : GetTokenCount(KeyFields, ",");
    if (AutoKey && AutoKeyField.empty() && KeyCount > 0) {
        AutoKeyField = Trim(GetToken(KeyFields, ",", KeyCount));
        if (TField* field = cdsMain->FindField(AutoKeyField)) field->SetRequired(false);
    }
}

AnsiString TdmSingle::GetAutoKeyField() {
    return AutoKeyField;
}

void TdmSingle::StoreKeyValues() {
    for (int i = 1; i <= KeyCount && i <= 10; ++i) {
        TField* field = cdsMain->FindField(Trim(GetToken(KeyFields, ",", i)));
        KeyValues[i] = field ? Variant(field->AsString()) : Variant(AnsiString());
    }
}

bool TdmSingle::KeyCondition(AnsiString& text) {
    text.clear();
    if (!cdsMain->Active() || cdsMain->State() != dsBrowse) return false;
    TBaseView* view = BaseView();
    const bool adding = view && view->ViewEditState() == esInsert;
    for (int i = 1; i <= GetTokenCount(KeyFields, ","); ++i) {
        const AnsiString name = Trim(GetToken(KeyFields, ",", i));
        TField* field = name.empty() ? nullptr : cdsMain->FindField(name);
        if (!field) continue;
        AnsiString value;
        // Numbers as they are; every other value quoted, its quotes doubled, so that no text of a
        // record becomes SQL.
        if (IsNumberField(field->DataType()) && !(AutoKey && adding && SameText(name, AutoKeyField))) {
            // A number that is not one names no record.
            double number = 0;
            if (!TryStrToFloat(field->AsString(), number)) {
                text.clear();
                return false;
            }
            value = field->AsString();
        } else
            value = QuotedStr(field->AsString());
        if (!text.empty()) text += " and ";
        text += (MainTable.empty() ? AnsiString() : MainTable + ".") + field->FieldName() + " = " + value;
    }
    return !text.empty();
}

// ---- carried-over values ----

void TdmSingle::SetKeepFields(const AnsiString& list) {
    if (Trim(list).empty()) return;
    if (!KeepList) KeepList = new TStringList();
    KeepList->Clear();
    for (int i = 1; i <= GetTokenCount(list, ","); ++i) {
        const AnsiString name = Trim(GetToken(list, ",", i));
        if (!name.empty()) KeepList->Add(name + "= ");
    }
}

void TdmSingle::SnapshotKeptValues(TDataSet* dataSet, TStringList* list) {
    if (!dataSet || !list) return;
    for (int i = 0; i < list->Count(); ++i) {
        const AnsiString name = list->Names(i);
        AnsiString value = " ";
        try {
            TField* field = dataSet->FindField(name);
            if (field && !field->IsNull()) value = field->AsString() + " ";
        } catch (const Exception&) {
        }
        list->SetStrings(i, name + "=" + value);
    }
}

void TdmSingle::RestoreKeptValues(TDataSet* dataSet, TStringList* list) {
    if (!dataSet || !list) return;
    for (int i = 0; i < list->Count(); ++i) {
        TField* field = dataSet->FindField(list->Names(i));
        if (!field) continue;
        const bool readOnly = field->ReadOnly();
        try {
            field->SetReadOnly(false);
            SetFieldText(field, Trim(list->ValueFromIndex(i)), false);
        } catch (const Exception&) {
        }
        field->SetReadOnly(readOnly);
    }
}

void TdmSingle::ClearKeptValues() {
    if (!KeepList) return;
    for (int i = 0; i < KeepList->Count(); ++i)
        KeepList->SetStrings(i, KeepList->Names(i) + "= ");
}

// ---- defaults ----

void TdmSingle::SetDefaultValues(TDataSet* dataSet) {
    TdmBase::SetDefaultValues(dataSet);
    AutoKey = false;
    RestoreKeptValues(cdsMain, KeepList);
    ApplyDefaultValues();
    if (TSingleView* view = SingleView()) {
        view->ViewApplyDefaultTexts();
        FillUDFDefaults(cdsMain, view->ViewHeadUDFDefaults());
    }
}

void TdmSingle::ApplyDefaultValues() {
    if (!VarIsArray(DefaultValues) || VarArrayDimCount(DefaultValues) != 2) return;
    for (int i = VarArrayLowBound(DefaultValues, 2); i <= VarArrayHighBound(DefaultValues, 2); ++i) {
        TField* field = cdsMain->FindField(VarToStr(DefaultValues.GetElement({0, i})));
        if (field) field->SetValue(DefaultValues.GetElement({1, i}));
    }
}

void TdmSingle::FillUDFDefaults(TDataSet* dataSet, TUDFFields* udfFields) {
    if (!dataSet || !udfFields || !Broker) return;
    bool said = false;
    for (int i = 0; i < udfFields->Count(); ++i) {
        TUDFField* udf = udfFields->Items(i);
        std::vector<Variant> texts;
        for (int r = 0; udf->RelatedFields && r < udf->RelatedFields->Count(); ++r) {
            TUDFRelatedField* related = udf->RelatedFields->Items(r);
            TField* field =
                related->LinkedField ? related->LinkedField : dataSet->FindField(related->LinkedFieldName);
            texts.push_back(field ? field->AsString() : AnsiString());
        }
        TField* target = dataSet->FindField(udf->UDFFieldName);
        bool failed = false;
        try {
            Variant answer;
            Broker->CallCounter(
                "QueryUDFData",
                VarArrayOf({udf->QueryText, AnsiString(), Broker->Database, "N",
                            texts.empty() ? VarArrayCreate({0, -1}, varVariant) : VarArrayOf(texts)}),
                answer);
            if (!target || !VarIsArray(answer)) continue;
            const Variant first = answer.GetElement({VarArrayLowBound(answer, 1)});
            if (!VarIsArray(first)) continue;
            const bool readOnly = target->ReadOnly();
            target->SetReadOnly(false);
            try {
                failed =
                    !SetFieldText(target, VarToStr(first.GetElement({VarArrayLowBound(first, 1)})), false);
            } catch (const Exception&) {
                failed = true;
            }
            target->SetReadOnly(readOnly);
        } catch (const Exception& e) {
            // The server gave no default: the field keeps what it has.
            WriteAlertLog(ProgramID(), "Single-UDF:" + e.Message(), 'D');
            continue;
        }
        if (failed && !said) {
            said = true;
            AnsiString text = "自定义栏位(%s)赋值错误，可能是类型不匹配！！";
            if (TRadicalView* view = View()) text = view->ViewLangText("TfrmSingle", "sUDFError", text);
            Broker->Say("E", "000032", {Format(text, {target->DisplayLabel()})});
        }
    }
}

// ---- rights, numbers ----

bool TdmSingle::CanModify() {
    bool result = TdmBase::CanModify();
    if (!result || !Broker || Broker->GetSvrSetting("H11_KEY").empty()) return result;
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* nested = dynamic_cast<TClientDataSet*>(Components(i));
        if (!nested || nested == cdsMain || nested->Name() == "cdsBody1" || !nested->DataSetField() ||
            nested->DataSetField()->DataSet() != cdsMain)
            continue;
        AnsiString condition;
        result = BuildDataRightCondition(nested, "H11", condition);
        if (!result) {
            if (condition == "ALL") {
                Broker->Say("E", "200570");
            } else {
                AnsiString lines = condition;
                for (std::size_t at; (at = lines.find(';')) != AnsiString::npos;)
                    lines.replace(at, 1, "\r\n");
                Broker->Say("E", "200571", {"\r\n\r\n" + lines});
            }
        }
        break;
    }
    return result;
}

void TdmSingle::SetupNumberFormats() {
    if (!Broker) return;
    const AnsiString currency = Broker->GetSysSetting("SYS003");
    for (int kind = 0; kind <= 3; ++kind) {
        const AnsiString list = GetCurrencyBinding(nullptr, static_cast<TCurrencyDigitType>(kind));
        if (!Trim(list).empty()) ApplyNumberFormat(list, GetCurrencySetting(currency, kind), true);
    }
}

int TdmSingle::GetFieldDecimals(const AnsiString& fieldName, int def) {
    // Whole names: a field list "TA01" does not hold TA011.
    for (int group = 0; group <= 10; ++group)
        if (ContainsWholeWord(UpperCase(GetDecimalGroupFields(group)), UpperCase(fieldName)))
            return GetDecimalGroupPlaces(group);
    return def;
}

void TdmSingle::FetchAll(TDataSet* dataSet) {
    auto* cds = dynamic_cast<TCustomClientDataSet*>(dataSet);
    if (cds && cds->Active())
        while (cds->GetNextPacket() > 0) {
        }
    if (dataSet && dataSet->Active()) dataSet->First();
}

// ---- saving ----

bool TdmSingle::SaveDataSet(TCustomClientDataSet* dataSet) {
    TBaseView* base = BaseView();
    TSingleView* view = SingleView();
    const bool adding = base && base->ViewEditState() == esInsert;
    const bool result = TdmBase::SaveDataSet(dataSet);
    if (result && adding) SnapshotKeptValues(cdsMain, KeepList);
    if (view && view->ViewColorManaged() && cdsMainColor && cdsMainColor->Active()) {
        view->ViewColorsAfterSave(adding);
        RefreshColor();
    }
    return result;
}

void TdmSingle::cdsMainReconcileError(TCustomClientDataSet*, EReconcileError* e, TUpdateKind,
                                      TReconcileAction& action) {
    // The refused rows stay in the change log: the user's input is kept for another try.
    action = raSkip;
    if (!e) return;
    if (TRadicalView* view = View()) view->ViewMessage(view->ViewToUI(e->Message()), mtError, {mbOK});
    const AnsiString failed = LangText("sFailedSave", "保存失败");
    WriteAlertLog(ProgramID(), "Single" + failed + "Context :" + e->Context(), 'D');
    WriteAlertLog(ProgramID(), "Single" + failed + "PreviousError :" + IntToStr(e->PreviousError()), 'D');
}

// ---- sorting and the multi-select column ----

void TdmSingle::SortByField(const AnsiString& fieldName) {
    if (!cdsMain->Active()) return;
    const int before = cdsMain->RecordCount();
    try {
        if (Trim(fieldName).empty()) {
            if (!SortField) return;
            SortField = nullptr;
            cdsMain->SetIndexFieldNames(DefaultOrder);
        } else {
            TField* field = cdsMain->FindField(fieldName);
            if (!field || !IsSortableField(field) || cdsMain->State() != dsBrowse) return;
            TIndexDefs* defs = cdsMain->IndexDefs();
            const bool descending = field == SortField && cdsMain->IndexName() != field->FieldName() &&
                                    SameText(cdsMain->IndexFieldNames(), field->FieldName());
            SortField = field;
            if (descending) {
                TIndexDef* def = defs->IndexOf(field->FieldName()) >= 0 ? defs->Find(field->FieldName())
                                                                        : defs->AddIndexDef();
                def->SetName(field->FieldName());
                def->SetFields(field->FieldName());
                def->SetDescFields(field->FieldName());
                def->SetOptions(TIndexOptions{ixDescending});
                cdsMain->SetIndexName(field->FieldName());
            } else {
                cdsMain->SetIndexFieldNames(field->FieldName());
            }
        }
        if (cdsMain->RecordCount() != before) {
            cdsMain->DisableControls();
            try {
                cdsMain->Next();
                cdsMain->Prior();
            } catch (...) {
                cdsMain->EnableControls();
                throw;
            }
            cdsMain->EnableControls();
        }
    } catch (const Exception& e) {
        WriteAlertLog(ProgramID(), "Single-763:" + e.Message(), 'D');
    }
}

void TdmSingle::AddMultiSelectField() {
    if (cdsMain->FindField("MultiSelected")) return;
    auto* field = new TStringField(this);
    field->SetFieldName("MultiSelected");
    field->SetSize(1);
    field->SetFieldKind(fkInternalCalc);
    field->SetReadOnly(true);
    field->SetVisible(MultiSelectVisible);
    TRadicalView* view = View();
    const AnsiString codePage = view ? view->ViewUICodePage() : AnsiString("936");
    field->SetDisplayLabel(codePage == "950" || codePage == "936" ? "选定" : "Selected");
    field->SetOnGetText(TFieldGetTextEvent(this, &TdmSingle::MultiSelectedGetText));
    field->SetDataSet(cdsMain);
    field->SetIndex(0);
    cdsMain->ControlType()->Add("MultiSelected;CheckBox;Y;N");
}

void TdmSingle::MultiSelectedGetText(TField*, AnsiString& text, bool) {
    TSingleView* view = SingleView();
    text = view && view->ViewIsRecordSelected() ? "Y" : "N";
}

void TdmSingle::SetMultiSelectVisible(bool show) {
    MultiSelectVisible = show;
    if (MultiSelectField) MultiSelectField->SetVisible(show);
}

void TdmSingle::cdsMainBeforeOpen(TDataSet* dataSet) {
    TdmBase::cdsMainBeforeOpen(dataSet);
    AddMultiSelectField();
    MultiSelectField = cdsMain->FindField("MultiSelected");
}

// ---- colours ----

void TdmSingle::cdsMainAfterScroll(TDataSet* dataSet) {
    TRadicalView* view = View();
    if (!view || !view->ViewHasParamText()) RefreshColor();
    TdmBase::cdsMainAfterScroll(dataSet);
}

void TdmSingle::RefreshColor() {
    TSingleView* view = SingleView();
    if (!view || !view->ViewColorManaged()) return;
    try {
        if (cdsMainColor->Active() && cdsMainColor->RecordCount() < cdsMain->RecordCount())
            cdsMainColor->GetNextPacket();
        view->ViewColorDataChanged();
        // The plain controls take the colours of the current record.
        if (!view->ViewHasHeadColors() || !cdsMainColor->Active() || !cdsMain->Active() || cdsMain->IsEmpty())
            return;
        AnsiString keyFields;
        std::vector<Variant> values;
        for (int i = 1; i <= GetTokenCount(KeyFields, ","); ++i) {
            TField* field = cdsMain->FindField(Trim(GetToken(KeyFields, ",", i)));
            if (!field) return;
            keyFields += (keyFields.empty() ? "" : ";") + field->FieldName();
            values.push_back(field->Value());
        }
        if (values.empty()) return;
        if (cdsMainColor->Locate(keyFields, values.size() == 1 ? values[0] : VarArrayOf(values)))
            view->ViewApplyHeadColors(cdsMainColor);
    } catch (const Exception&) {
    }
}

// ---- export ----

std::unique_ptr<TExportStatus> TdmSingle::MakeExportStatus() {
    TSingleView* view = SingleView();
    return view ? view->MakeExportStatusDialog() : nullptr;
}

AnsiString TdmSingle::UIText(const AnsiString& text) const {
    TRadicalView* view = View();
    return view ? view->ViewToUI(text) : text;
}

AnsiString TdmSingle::LangText(const AnsiString& ident, const AnsiString& def) const {
    TRadicalView* view = View();
    return view ? view->ViewLangText("TdmSingle", ident, def) : def;
}

void TdmSingle::ExportWarning(const AnsiString& text) {
    if (TRadicalView* view = View())
        view->ViewMessage(text, mtWarning, {mbOK});
    else
        Application->MessageBox(text, "", 0);
}

bool TdmSingle::AskOpen(const AnsiString& text) {
    TRadicalView* view = View();
    return view && view->ViewMessage(text, mtConfirmation, {mbYes, mbNo}) == mrYes;
}

AnsiString TdmSingle::ExportFolder() const {
    TRadicalView* view = View();
    const AnsiString base = view ? view->ViewClientFolder() : AnsiString();
    return base + "c_data\\" + (Broker ? Broker->UserID : AnsiString());
}

AnsiString TdmSingle::ExportFileName() const {
    const AnsiString stem =
        ExportFolder() + "\\" + ProgramID() + "_" + FormatDateTime("yyyymmddhhnnss", Now());
    // Two exports within one second: the second must not replace the first one's file.
    AnsiString name = stem + ".xls";
    for (int n = 2; FileExists(name); ++n)
        name = stem + "_" + IntToStr(n) + ".xls";
    return name;
}

bool TdmSingle::EnsureExportFolder(const AnsiString& folder, const AnsiString& failureText) {
    // Every missing level: the user's first export finds neither c_data nor the user's own folder.
    if (DirectoryExists(folder) || ForceDirectories(folder)) return true;
    ExportWarning(failureText);
    return false;
}

void TdmSingle::GetExportText(TComponent* controlSource, AnsiString& text, const AnsiString& displayText,
                              const AnsiString& fieldName) {
    text = displayText;
    auto* cds = dynamic_cast<TwwClientDataSet*>(cdsMain);
    if (!controlSource || !cds) return;
    AnsiString type, parameters;
    if (!cds->FindControlType(fieldName, type, parameters) || !SameText(type, "CustomEdit")) return;
    const AnsiString controlName = Trim(GetToken(parameters, ";", 1));
    TComponent* control = controlName.empty() ? nullptr : controlSource->FindComponent(controlName);
    auto* combo = control && control->ClassType() == TwwDBComboBox::StaticClass()
                      ? static_cast<TwwDBComboBox*>(control)
                      : nullptr;
    if (!combo) return;
    for (int i = 0; i < combo->Items()->Count(); ++i) {
        const AnsiString item = combo->Items()->Strings(i);
        if (item.find(displayText) == AnsiString::npos) continue;
        text = item.substr(0, item.find('\t'));
        return;
    }
}

TExportSheet::THooks TdmSingle::ExportHooks(TComponent* controlSource) {
    TExportSheet::THooks hooks;
    hooks.ControlText = [this, controlSource](TField* field) {
        AnsiString text;
        GetExportText(controlSource, text, field->DisplayText(), field->FieldName());
        return text;
    };
    hooks.Places = [this](TField* field) { return GetFieldDecimals(field->FieldName(), 7); };
    hooks.PercentMask = PercentFieldEditMask();
    return hooks;
}

bool TdmSingle::ExportToExcel(TDataSet* dataSet, TComponent* controlSource, bool asNumbers) {
    return ExportThroughExcel(dataSet, controlSource, asNumbers, false);
}

bool TdmSingle::ExportToExcelText(TDataSet* dataSet, TComponent* controlSource) {
    return ExportThroughExcel(dataSet, controlSource, false, true);
}

bool TdmSingle::ExportThroughExcel(TDataSet* dataSet, TComponent* controlSource, bool asNumbers,
                                   bool fixedTexts) {
    if (!dataSet || !dataSet->Active() || dataSet->IsEmpty() || !OLEExcel1) return true;
    try {
        OLEExcel1->SetConnected(true);
        OLEExcel1->NewWorkbook();
        if (!ProgramID().empty()) OLEExcel1->SetSheetName(ProgramID());
    } catch (const Exception&) {
        ExportWarning(fixedTexts ? UIText("创建新的 EXCEL 文件")
                                 : LangText("sFailedCreateExcell", "创建新的 EXCEL 文件"));
        try {
            OLEExcel1->SetConnected(false);
        } catch (const Exception&) {
        }
        // Nothing was exported: the caller hears so.
        return false;
    }
    const AnsiString folder = ExportFolder();
    const AnsiString path = ExportFileName();
    bool result = true;
    {
        TDataSetGuard walk(dataSet, TDataSetGuard::dgControls | TDataSetGuard::dgPosition);
        FetchAll(dataSet);
        std::unique_ptr<TExportStatus> status = MakeExportStatus();
        if (status)
            status->ShowStatus(fixedTexts ? AnsiString("查询结果转 Excel 文件进度")
                                          : LangText("sConvertStat", "查询结果转 Excel 文件进度"),
                               0, dataSet->RecordCount());
        TExportSheet sheet(OLEExcel1,
                           fixedTexts  ? emShown
                           : asNumbers ? emNumbers
                                       : emTexts,
                           ExportHooks(controlSource));
        for (int i = 0; i < dataSet->FieldCount(); ++i)
            if (TField* field = dataSet->Fields()->Fields(i); field->Visible()) sheet.AddColumn(field);
        try {
            sheet.WriteHeader();
            int row = 1;
            for (dataSet->First(); !dataSet->Eof(); dataSet->Next(), ++row) {
                sheet.WriteRow(row);
                if (status) status->StepIt();
            }
        } catch (const Exception&) {
            result = false;
        }
        if (status) status->CloseStatus();
    }
    // The file is saved also after a failure: what was written is the user's.
    if (!EnsureExportFolder(folder, fixedTexts
                                        ? UIText("创建目录：" + folder + " 失败!")
                                        : Format(LangText("sCreateDirError", "创建目录%s失败!"), {folder}))) {
        OLEExcel1->SetConnected(false);
        return false;
    }
    try {
        OLEExcel1->SaveAs(path);
    } catch (const Exception&) {
        ExportWarning(fixedTexts ? UIText("保存为---->  " + path + " 失败!")
                                 : Format(LangText("sSaveAsError", "保存为----> %s 失败!"), {path}));
        OLEExcel1->SetConnected(false);
        return false;
    }
    const AnsiString question = fixedTexts
                                    ? UIText("转出文档: \r" + path + "\r\r" + "是否打开文档?")
                                    : Format(LangText("sOpenDoc", "转出文档: \r%s\r\r是否打开文档?"), {path});
    if (AskOpen(question))
        OLEExcel1->SetVisible(true);
    else
        OLEExcel1->SetConnected(false);
    return result;
}

bool TdmSingle::ExportToXLSFile(TDataSet* dataSet, TComponent* controlSource) {
    if (!dataSet || !dataSet->Active() || dataSet->IsEmpty()) return true;
    const AnsiString folder = ExportFolder();
    if (!EnsureExportFolder(folder, UIText("创建目录：" + folder + " 失败!"))) return false;
    const AnsiString path = ExportFileName();
    std::unique_ptr<TXLSExport> filter;
    try {
        filter = std::make_unique<TXLSExport>(path);
        filter->CreateStream(path);
    } catch (const Exception&) {
        Application->MessageBox("create file: " + path + "  failed!", "", 0);
        return false;
    }
    bool result = true;
    {
        TDataSetGuard walk(dataSet, TDataSetGuard::dgControls | TDataSetGuard::dgPosition);
        FetchAll(dataSet);
        std::unique_ptr<TExportStatus> status = MakeExportStatus();
        if (status) status->ShowStatus("查询结果转 Excel 文件进度", 0, dataSet->RecordCount());
        TExportSheet sheet(filter.get(), ExportHooks(controlSource));
        for (int i = 0; i < dataSet->FieldCount(); ++i)
            if (TField* field = dataSet->Fields()->Fields(i); field->Visible()) sheet.AddColumn(field);
        try {
            sheet.WriteHeader();
            int row = 1;
            for (dataSet->First(); !dataSet->Eof(); dataSet->Next(), ++row) {
                sheet.WriteRow(row);
                if (status) status->StepIt();
            }
            filter->StorePage();
            filter->CloseStream();
        } catch (const Exception& e) {
            // The filter deletes a file it could not finish: no half-written workbook is offered.
            WriteAlertLog(ProgramID(), "Single-XLS:" + e.Message(), 'D');
            result = false;
        }
        if (status) status->CloseStatus();
    }
    filter.reset();
    if (!result) {
        ExportWarning(UIText("保存为---->  " + path + " 失败!"));
        return false;
    }
    if (AskOpen(UIText("转出文档: \r" + path + "\r\r" + "是否打开文档?"))) {
        TShellExecuteInfo info;
        info.Verb = "OPEN";
        info.File = path;
        ShellExecuteEx(info);
    }
    return true;
}

void TdmSingle::BeforeSaveDetails() {}

bool IsSortableField(const TField* field) {
    switch (field->DataType()) {
    case ftDataSet:
    case ftADT:
    case ftArray:
    case ftReference:
    case ftBlob:
    case ftMemo:
    case ftGraphic:
    case ftFmtMemo:
    case ftTypedBinary:
    case ftOraBlob:
    case ftOraClob:
    case ftVariant:
    case ftBytes:
    case ftVarBytes:
        return false;
    default:
        break;
    }
    return field->FieldKind() != fkCalculated && field->FieldKind() != fkAggregate;
}
