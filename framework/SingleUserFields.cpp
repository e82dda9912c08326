#include "framework/SingleUserFields.h"

#include "components/QvDBComboBox.h"
#include "components/QvDBEdit.h"
#include "foundation/LibVCLs.h"
#include "foundation/LibXml.h"
#include "classlib/db/dsguard.h"
#include "framework/AppServer.h"
#include "framework/FieldLists.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "foundation/AlertLog.h"
#include "foundation/libstrs.h"
#include "framework/SingleCF.h"
#include "framework/SingleServices.h"

using namespace single_services;

TField* TSingleUserFields::FindMainField(const AnsiString& table, const AnsiString& field) {
    TdmSingle* module = F.SingleModule();
    if (!module || !SameText(table, F.Broker->GetSvrSetting("M11_TABLE"))) return nullptr;
    return module->cdsMain->FindField(field);
}

TField* TSingleUserFields::FindQualifiedField(const AnsiString& reference) {
    const size_t dot = reference.find('.');
    if (dot == AnsiString::npos) return nullptr;
    const AnsiString table = reference.substr(0, dot);
    AnsiString name = reference.substr(dot + 1);
    if (!name.empty()) name.erase(name.size() - 1);
    return F.FindMainField(table, name);
}

void TSingleUserFields::SetupUserFields() {
    F.TfrmBase::SetupUserFields();
    TdmSingle* module = F.SingleModule();
    if (!module) return;
    FUDFLabelCount = 0;
    // Each label and hiding changes the layout: the controls show the last one only.
    TDataSetGuard still(module->cdsMain, TDataSetGuard::dgControls);
    for (int i = 1; i <= 100; ++i) {
        const AnsiString name = Format("UDF%.2d", {i});
        auto* edit = dynamic_cast<TDBEdit*>(F.FindComponent("ed" + name));
        TField* field = module->cdsMain->FindField(name);
        if (!edit || !field) continue;
        edit->SetDataSource(module->dsMain);
        edit->SetDataField(name);
        field->SetVisible(false);
        auto* combo = dynamic_cast<TwwDBCustomComboBox*>(F.FindComponent("cbo" + name));
        if (combo) {
            combo->SetDataSource(module->dsMain);
            combo->SetDataField(name);
            combo->SetLeft(-1000);
        }
        if (!FUDFLabelsRead) {
            FUDFLabelsRead = true;
            F.Broker->QueryData("WOQMD", "03", FUDFLabels,
                                VarArrayOf({F.Broker->GetSvrSetting("M11_TABLE")}));
        }
        ++FUDFLabelCount;
        AnsiString label;
        for (const Variant& row : VarArrayItems(FUDFLabels))
            if (SameText(Trim(VarArrayItemText(row, 0)), name)) {
                const AnsiString codePage = F.GetUICodePage();
                label = VarArrayItemText(row, codePage == "950" || codePage == "936" ? 1 : 2);
                break;
            }
        if (label.empty()) {
            AnsiString text = "自定义项%d";
            F.GetLangString("TfrmSingle", "sUdfFieldDisplay", text, true, text);
            label = Format(text, {FUDFLabelCount});
        }
        field->SetDisplayLabel(label);
        if (auto* captioned = dynamic_cast<TQvDBEdit*>(edit)) captioned->SetCaption(label);
        if (auto* captioned = dynamic_cast<TQvDBComboBox*>(combo)) captioned->SetCaption(label);
    }
}

AnsiString TSingleUserFields::FormatSetting(const AnsiString& componentName, const AnsiString& name) {
    AnsiString text;
    if (TMT_Doc* doc = FormatDocument()) doc->GetComponentProperty(componentName, name, text);
    return text;
}

TMT_Doc* TSingleUserFields::FormatDocument() {
    // The form's one user-settings document, read once for every level.
    return F.DataModule ? F.GetFormatDoc() : nullptr;
}

void TSingleUserFields::SetUDFLookupHints() {
    TdmSingle* module = F.SingleModule();
    if (!module) return;
    for (int i = 0; i < module->cdsMain->FieldCount(); ++i) {
        TField* field = module->cdsMain->Fields()->Fields(i);
        if (!SameText(field->FieldName().substr(0, 3), "UDF")) continue;
        auto* edit = dynamic_cast<TDBEdit*>(F.FindComponent("ed" + field->FieldName()));
        if (!edit) continue;
        const AnsiString source = F.FormatSetting(edit->Name(), "DataSource");
        AnsiString hint;
        if (!source.empty() && !SameText(source, "Custom")) {
            AnsiString text = "%s查询";
            F.GetLangString("TfrmSingle", "sQuery", text, true, text);
            hint = Format(text, {field->DisplayLabel()});
        } else {
            hint = "常用语查询";
            F.GetLangString("TfrmSingle", "sHINT_PHRASE", hint, true, hint);
        }
        if (auto* button = dynamic_cast<TQvBtnDBEdit*>(edit)) button->SetButtonHint(hint);
        edit->SetHint("[F2]" + hint);
        edit->SetShowHint(true);
    }
}

void TSingleUserFields::DoF2Key(Word& key, TWinControl* control) {
    F.TfrmBase::DoF2Key(key, control);
    TdmSingle* module = F.SingleModule();
    auto* edit = dynamic_cast<TDBEdit*>(control);
    if (module && edit && SameText(edit->Name().substr(0, 5), "edUDF"))
        F.OpenUDFLookup(module->cdsMain, edit);
}

void TSingleUserFields::OpenUDFLookup(TDataSet* dataSet, TDBEdit* edit) {
    if (!edit) return;
    const AnsiString name = edit->Name();
    RunUDFLookup(dataSet, edit->Field(),
                 [this, &name](const AnsiString& setting) { return F.FormatSetting(name, setting); });
}

void TSingleUserFields::OpenUDFLookup(TDataSet* dataSet, TField* field, const AnsiString& gridName) {
    if (!field) return;
    const AnsiString fieldName = field->FieldName();
    RunUDFLookup(dataSet, field, [this, &gridName, &fieldName](const AnsiString& setting) {
        AnsiString text;
        if (TMT_Doc* doc = FormatDocument()) doc->GetFieldProperty(gridName, fieldName, text, setting);
        return text;
    });
}

void TSingleUserFields::RunUDFLookup(TDataSet* dataSet, TField* field,
                                     const std::function<AnsiString(const AnsiString&)>& setting) {
    if (!dataSet || !field) return;
    auto write = [field](const AnsiString& text) {
        TDataSet* owner = field->DataSet();
        if (owner->State() != dsEdit && owner->State() != dsInsert) owner->Edit();
        SetFieldText(field, text, true);
    };
    const AnsiString source = setting("DataSource");
    if (source.empty() || SameText(source, "Custom")) {
        const AnsiString picked = F.Broker->PickPhrase(field->AsString());
        if (!picked.empty() && picked != field->AsString()) write(picked);
        return;
    }
    const AnsiString refFile = setting("RefFileID");
    const size_t dash = refFile.find('-');
    Variant link;
    if (!F.Broker->CheckValue(
            "F2LINK", "01", link,
            VarArrayOf({"1", refFile.substr(0, dash),
                        dash == AnsiString::npos ? AnsiString() : refFile.substr(dash + 1)})) ||
        VarArrayLength(link) < 2)
        return;
    // Ten condition values, from the record's fields that RefCondID lists.
    std::vector<Variant> conditions(10, Variant(AnsiString()));
    const std::vector<AnsiString> condFields = SplitList(setting("RefCondID"), ",");
    for (size_t i = 0; i < condFields.size() && i < conditions.size(); ++i)
        if (TField* condition = dataSet->FindField(Trim(condFields[i])))
            conditions[i] = condition->AsString();
    Variant rows;
    F.Broker->OpenF2Window(VarArrayItemText(link, 0), VarArrayItemText(link, 1), rows, setting("F2Field"),
                           setting("F2FieldID"), setting("RefFieldID"), static_cast<int>(F.Handle()), "",
                           false, false, field->AsString(), VarArrayOf(conditions));
    const std::vector<Variant> picked = VarArrayItems(rows);
    if (picked.empty()) return;
    AnsiString text;
    for (int c = 0; c < VarArrayLength(picked[0]); ++c)
        text += (c ? "," : "") + VarArrayItemText(picked[0], c);
    write(text);
}

std::unique_ptr<TUDFFields> TSingleUserFields::LoadUDFFields(const AnsiString& program, const AnsiString& tag,
                                                             const AnsiString& scope) {
    auto fields = std::make_unique<TUDFFields>();
    const AnsiString condition = scope == "Y" ? " TL012 <> '' " : scope == "N" ? " TL012 = '' " : " 1=1 ";
    Variant rows;
    F.Broker->CallCounter(
        "SimpleSql",
        VarArrayOf({" SELECT TL006,TL013,TL012 FROM $$WOQTK WOQTK  LEFT JOIN $$WOQTL WOQTL ON "
                    "TK001 = TL001 AND TL010 = 'Y'  WHERE " +
                        condition + " AND TK003 = 'Y' AND TL005 = " + QuotedStr(tag) +
                        " AND TL003 = " + QuotedStr(program) + " ORDER BY TL011 ",
                    "TL006,TL013,TL012", F.Broker->Database, "N"}),
        rows);
    for (const Variant& row : VarArrayItems(rows)) {
        TUDFField* item = fields->Add();
        item->UDFFieldName = Trim(VarArrayItemText(row, 0));
        item->QueryText = VarArrayItemText(row, 1);
        // Each reference is "table.field" and one closing character, which the field name leaves out.
        for (const AnsiString& reference : SplitList(VarArrayItemText(row, 2), ";")) {
            if (Trim(reference).empty()) continue;
            TUDFRelatedField* related = item->RelatedFields->Add();
            related->LinkedFieldName = reference;
            related->LinkedField = F.FindQualifiedField(reference);
        }
    }
    return fields;
}

std::unique_ptr<TUDFFields> TSingleUserFields::LoadHeaderUDFFields(const AnsiString& program,
                                                                   const AnsiString& tag) {
    std::unique_ptr<TUDFFields> fields = F.LoadUDFFields(program, tag, "Y");
    for (int i = 0; i < fields->Count(); ++i)
        for (int r = 0; r < fields->Items(i)->RelatedFields->Count(); ++r) {
            TUDFRelatedField* related = fields->Items(i)->RelatedFields->Items(r);
            if (!related->LinkedField) continue;
            // A field related to two items is hooked once; its own handler is kept by the first.
            if (related->LinkedField->OnChange() == TFieldNotifyEvent(&F, &TfrmSingle::UDFFieldChanged))
                continue;
            related->SavedOnChange = related->LinkedField->OnChange();
            related->LinkedField->SetOnChange(TFieldNotifyEvent(&F, &TfrmSingle::UDFFieldChanged));
        }
    return fields;
}

void TSingleUserFields::RestoreUDFHandlers() {
    if (!F.HeadUDFFields) return;
    for (int i = 0; i < F.HeadUDFFields->Count(); ++i)
        for (int r = 0; r < F.HeadUDFFields->Items(i)->RelatedFields->Count(); ++r) {
            TUDFRelatedField* related = F.HeadUDFFields->Items(i)->RelatedFields->Items(r);
            if (related->LinkedField &&
                related->LinkedField->OnChange() == TFieldNotifyEvent(&F, &TfrmSingle::UDFFieldChanged))
                related->LinkedField->SetOnChange(related->SavedOnChange);
        }
}

bool TSingleUserFields::QueryUDFData(TUDFField* item, const TStrings* values, AnsiString& text) {
    std::vector<Variant> texts;
    for (int r = 0; r < item->RelatedFields->Count(); ++r) {
        TUDFRelatedField* related = item->RelatedFields->Items(r);
        if (related->LinkedField)
            texts.push_back(related->LinkedField->AsString());
        else
            texts.push_back(values ? values->Values(related->LinkedFieldName) : AnsiString());
    }
    Variant answer;
    F.Broker->CallCounter(
        "QueryUDFData",
        VarArrayOf({item->QueryText, AnsiString(), F.Broker->Database, "N",
                    texts.empty() ? VarArrayCreate({0, -1}, varVariant) : VarArrayOf(texts)}),
        answer);
    const std::vector<Variant> rows = VarArrayItems(answer);
    if (rows.empty() || VarArrayLength(rows[0]) == 0) return false;
    text = VarArrayItemText(rows[0], 0);
    return true;
}

void TSingleUserFields::UDFFieldChanged(TField* field) {
    TdmSingle* module = F.SingleModule();
    if (!module || !field || field->DataSet() != module->cdsMain || !F.HeadUDFFields) return;
    bool said = false;
    for (int i = 0; i < F.HeadUDFFields->Count(); ++i) {
        TUDFField* item = F.HeadUDFFields->Items(i);
        TUDFRelatedField* related = item->RelatedFields->FindByField(field);
        if (!related) continue;
        if (related->SavedOnChange) related->SavedOnChange(field);
        if (TField* target = module->cdsMain->FindField(item->UDFFieldName))
            WriteQueried(item, nullptr, target, said);
    }
}

void TSingleUserFields::WriteQueried(TUDFField* item, const TStrings* values, TField* target, bool& said,
                                     bool line) {
    bool failed = false;
    try {
        AnsiString text;
        if (!F.QueryUDFData(item, values, text)) return;
        if (line) {
            if (text == target->AsString()) return;
            TDataSet* lines = target->DataSet();
            if (lines->State() != dsEdit && lines->State() != dsInsert) lines->Edit();
        }
        failed = !SetFieldText(target, text, true);
    } catch (const Exception& e) {
        WriteAlertLog(F.Broker->ProgramID, (line ? "DoubleCF-UDF:" : "Single-UDF:") + e.Message(), 'D');
        failed = true;
    }
    if (failed && !said) {
        said = true;
        AnsiString text = "自定义栏位(%s)赋值错误，可能是类型不匹配！！";
        F.GetLangString("TfrmSingle", "sUDFError", text, true, text);
        F.Broker->Say("E", "000032", {Format(text, {target->DisplayLabel()})});
    }
}

void TSingleUserFields::FillLinkedUDFValues(const AnsiString& program, const AnsiString& tag,
                                            TDataSet* dataSet, const std::vector<AnsiString>& values) {
    Variant rows;
    F.Broker->CallCounter("SimpleSql",
                          VarArrayOf({" SELECT TJ003,TJ005 FROM WOQTJ WOQTJ  WHERE TJ002 = " +
                                          QuotedStr(tag) + " AND TJ001 = " + QuotedStr(program),
                                      "TJ003,TJ005", F.Broker->Database, "N"}),
                          rows);
    TStringList named;
    const std::vector<Variant> links = VarArrayItems(rows);
    for (size_t i = 0; i < links.size() && i < values.size(); ++i)
        named.Add("other." + Trim(VarArrayItemText(links[i], 0)) + Trim(VarArrayItemText(links[i], 1)) + "=" +
                  values[i]);
    std::unique_ptr<TUDFFields> items = F.LoadUDFFields(program, tag, "All");
    bool said = false;
    for (int i = 0; i < items->Count(); ++i) {
        TUDFField* item = items->Items(i);
        if (TField* target = dataSet->FindField(item->UDFFieldName)) WriteQueried(item, &named, target, said);
    }
}

void TSingleUserFields::CollectEditableFields() {
    if (F.GetSystemCodePage() == "936" && F.GetUICodePage() == "936") return;
    TdmSingle* module = F.SingleModule();
    if (!module) return;
    AnsiString names;
    for (int i = 0; i < F.ComponentCount(); ++i) {
        auto* combo = dynamic_cast<TwwDBCustomComboBox*>(F.Components(i));
        if (!combo || !combo->Visible() || !combo->Enabled() || combo->ReadOnly()) continue;
        if (combo->Name().find("cboUDF") != AnsiString::npos) continue;
        if (!combo->DataSource() || combo->DataSource()->DataSet() != module->cdsMain) continue;
        TField* field = combo->Field();
        if (!field || field->ReadOnly() || ContainsWholeWord(F.RequiredFields, field->FieldName())) continue;
        names += (names.empty() ? "" : ",") + field->FieldName();
    }
    if (!names.empty()) F.AddRequiredFields("cdsMain:" + names);
}
