// TfrmSingle's services beside browsing and saving: attachments, user-defined fields, drill-down links
// to other programs, print formats with a per-workstation default, sign-off setting lookups, the
// colour filter of the browse grid and the data import of open mode 11.
#include "classlib/automation/comobj.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "components/QvDBComboBox.h"
#include "components/QvDBEdit.h"
#include "dialogs/QvColorQBE.h"
#include "foundation/AlertLog.h"
#include "foundation/LibVCLs.h"
#include "foundation/LibXml.h"
#include "foundation/UserDefINI.h"
#include "foundation/libstrs.h"
#include "framework/FieldLists.h"
#include "framework/AppServer.h"
#include "framework/SingleCF.h"
#include "framework/knlRadical.h"

namespace {

class TCursorScope {
public:
    TCursorScope() : FSaved(Screen ? Screen->Cursor() : crDefault) {
        if (Screen) Screen->SetCursor(crHourGlass);
    }
    ~TCursorScope() {
        if (Screen) Screen->SetCursor(FSaved);
    }
    TCursorScope(const TCursorScope&) = delete;
    TCursorScope& operator=(const TCursorScope&) = delete;

private:
    TCursor FSaved;
};

// The rows of a counter answer (an array of row arrays); none for anything else.
std::vector<Variant> RowsOf(const Variant& answer) {
    std::vector<Variant> rows;
    if (!VarIsArray(answer)) return rows;
    for (int i = VarArrayLowBound(answer, 1); i <= VarArrayHighBound(answer, 1); ++i)
        rows.push_back(answer.GetElement({i}));
    return rows;
}

AnsiString Column(const Variant& row, int column) {
    return RowColumnText(row, column);
}

std::vector<AnsiString> SplitList(const AnsiString& list, const AnsiString& separator) {
    std::vector<AnsiString> items;
    if (list.empty()) return items;
    size_t start = 0;
    while (true) {
        const size_t at = list.find(separator, start);
        items.push_back(list.substr(start, at == AnsiString::npos ? AnsiString::npos : at - start));
        if (at == AnsiString::npos) break;
        start = at + separator.size();
    }
    return items;
}

const char LinkSeparator = '\x03';

// The value of key in a colour text ("key=value;..."): after the key and "=", up to the next ";".
AnsiString GetColorMsg(const AnsiString& text, const AnsiString& key) {
    for (const AnsiString& pair : SplitList(text, ";")) {
        const size_t equals = pair.find('=');
        if (equals != AnsiString::npos && SameText(Trim(pair.substr(0, equals)), key))
            return pair.substr(equals + 1);
    }
    return AnsiString();
}

bool InLinkList(const AnsiString& list, const AnsiString& name) {
    for (const AnsiString& item : SplitList(list, AnsiString(1, LinkSeparator)))
        if (!item.empty() && SameText(item, name)) return true;
    return false;
}

// The colour-condition form, owned by the document form; the wrapper frees it when replaced.
class TColorQBEDialog : public TColorQueryDialog {
public:
    TColorQBEDialog(TfrmSingle* form, TColorConditions* conditions)
        : FDialog(CreateColorQBEForm(form, conditions)) {}
    ~TColorQBEDialog() override { delete FDialog; }
    TColorQBEDialog(const TColorQBEDialog&) = delete;
    TColorQBEDialog& operator=(const TColorQBEDialog&) = delete;
    bool Execute(bool colorManage, TColorConditions* conditions) override {
        return FDialog->Execute(colorManage, conditions);
    }
    bool IsColorManage() const override { return FDialog->IsColorManage(); }

private:
    TColorQBEForm* FDialog;
};

} // namespace

std::unique_ptr<TColorQueryDialog> TfrmSingle::MakeColorQueryDialog(TColorConditions* conditions) {
    return std::make_unique<TColorQBEDialog>(this, conditions);
}

AnsiString BuildGridLinkCondition(const TGridLink& link, const AnsiString& value1, const AnsiString& value2,
                                  int sqlType) {
    const bool oneSource = SameText(link.Source1, link.Source2);
    const bool oneTarget = SameText(link.Target1, link.Target2);
    if (oneSource && oneTarget) {
        if (value1.empty()) return AnsiString();
        return link.Target1 + "=" + QuotedStr(value1);
    }
    if (!oneSource && !oneTarget) {
        if (value1.empty() && value2.empty()) return AnsiString();
        return link.Target1 + "=" + QuotedStr(value1) + " and " + link.Target2 + "=" + QuotedStr(value2);
    }
    if (!oneSource) {
        if (value1.empty() && value2.empty()) return AnsiString();
        return link.Target1 + "=" + QuotedStr(value1 + link.Separator + value2);
    }
    // One source field carries both target values.
    if (!link.Separator.empty()) {
        const size_t at = value1.find(link.Separator);
        const AnsiString part1 = at == AnsiString::npos ? value1 : value1.substr(0, at);
        const AnsiString part2 =
            at == AnsiString::npos ? AnsiString() : value1.substr(at + link.Separator.size());
        if (part1.empty() && part2.empty()) return AnsiString();
        const AnsiString whole = QuotedStr(part1 + link.Separator + part2);
        if (sqlType == 0)
            return "SUBSTRING(" + link.Target1 + ",1," + IntToStr(static_cast<int>(part1.size())) + ")" +
                   "+" + QuotedStr(link.Separator) + "+SUBSTRING(" + link.Target2 + ",1," +
                   IntToStr(static_cast<int>(part2.size())) + ")=" + whole;
        return link.Target1 + "||" + QuotedStr(link.Separator) + "||" + link.Target2 + "=" + whole;
    }
    if (value1.empty()) return AnsiString();
    return link.Target1 + (sqlType == 0 ? "+" : "||") + link.Target2 + "=" + QuotedStr(value1.substr(0, 15));
}

AnsiString BuildColorFilter(const std::vector<AnsiString>& ticked, const AnsiString& remembered,
                            const AnsiString& database) {
    AnsiString conditions;
    for (const AnsiString& condition : ticked)
        conditions += " ( " + condition + " ) or ";
    if (!conditions.empty()) conditions.erase(conditions.size() - 3);
    AnsiString filter;
    if (conditions.empty())
        filter = remembered;
    else if (!remembered.empty() && remembered.find(conditions) == AnsiString::npos)
        filter = "(" + remembered + ") and (" + conditions + ")";
    else
        filter = conditions;
    return StringReplace(filter, "$$", database + "..", rfReplaceAll);
}

// ---- attachments ----

AnsiString TfrmSingle::BuildAttachmentKey(const AnsiString& separator) {
    TdmSingle* module = SingleModule();
    if (!module) return AnsiString();
    AnsiString key;
    const int count = GetTokenCount(module->KeyFields, ",");
    for (int i = 1; i <= count; ++i) {
        TField* field = module->cdsMain->FindField(Trim(GetToken(module->KeyFields, ",", i)));
        key += (i > 1 ? separator : AnsiString()) + (field ? field->AsString() : AnsiString());
    }
    return key;
}

void TfrmSingle::LoadAttachmentKeys() {
    if (!AttachmentKeys) AttachmentKeys = std::make_unique<TStringList>();
    AttachmentKeys->SetSorted(false);
    AttachmentKeys->Clear();
    Variant rows;
    Broker->CallCounter(
        "SimpleSql",
        VarArrayOf({" SELECT DISTINCT KeyValues FROM ATTACH WHERE Parent = " + QuotedStr(Broker->ProgramID) +
                        " AND CompanyID = " + QuotedStr(Broker->CompanyID),
                    "KeyValues", Broker->Database, "N"}),
        rows);
    for (const Variant& row : RowsOf(rows))
        AttachmentKeys->Add(Column(row, 0));
    if (AttachmentKeys->Count() > 0) AttachmentKeys->SetSorted(true);
}

bool TfrmSingle::HasAttachment() {
    if (!AttachmentKeys || AttachmentKeys->Count() == 0) return false;
    int index = 0;
    return AttachmentKeys->Find(BuildAttachmentKey("||"), index);
}

void TfrmSingle::ShowAttachments() {
    if (!AttachmentsEnabled || EditState == esInsert) return;
    if (EditState != esEdit && !(EditState == esBrowse && miLast && miLast->Enabled())) return;
    TdmSingle* module = SingleModule();
    if (!module) return;
    const AnsiString key = BuildAttachmentKey("||");
    Variant dialog = CreateOleObject("AttachC.Class1");
    VarCall(dialog, "Init",
            {VarArrayOf({Broker->CompanyID, Broker->UserID, Broker->ProgramID, key,
                         StringReplace(module->KeyFields, ",", "||", rfReplaceAll), "1"})});
    VarSet(dialog, "ParentHandle", Variant(static_cast<int>(Handle())));
    VarCall(dialog, "ShowModal");
    dialog = Variant();
    // What the dialog stored shows on the record at once.
    try {
        LoadAttachmentKeys();
    } catch (const Exception& e) {
        WriteAlertLog(Broker->ProgramID, "Single-Attach:" + e.Message(), 'D');
    }
}

bool TfrmSingle::DeleteRecord(bool confirm) {
    const AnsiString key = BuildAttachmentKey("||");
    const bool deleted = TfrmBase::DeleteRecord(confirm);
    if (!deleted) return deleted;
    try {
        Variant result;
        Broker->CallCounter(
            "TransactionSQL",
            VarArrayOf({VarArrayOf({" DELETE FROM ATTACH  WHERE Parent = " + QuotedStr(Broker->ProgramID) +
                                    " " + "       AND CompanyID = " + QuotedStr(Broker->CompanyID) + " " +
                                    "       AND KeyValues = " + QuotedStr(key) + " "}),
                        AnsiString()}),
            result);
    } catch (const Exception& e) {
        // The record is gone; attachments left behind are only clutter.
        WriteAlertLog(Broker->ProgramID, "Single-Attach:" + e.Message(), 'D');
    }
    if (AttachmentKeys) {
        int index = 0;
        if (AttachmentKeys->Find(key, index)) AttachmentKeys->Delete(index);
    }
    if (TdmSingle* module = SingleModule()) RecordChanged(module->cdsMain);
    return deleted;
}

// ---- user-defined fields ----

TField* TfrmSingle::FindMainField(const AnsiString& table, const AnsiString& field) {
    TdmSingle* module = SingleModule();
    if (!module || !SameText(table, Broker->GetSvrSetting("M11_TABLE"))) return nullptr;
    return module->cdsMain->FindField(field);
}

TField* TfrmSingle::FindQualifiedField(const AnsiString& reference) {
    const size_t dot = reference.find('.');
    if (dot == AnsiString::npos) return nullptr;
    const AnsiString table = reference.substr(0, dot);
    AnsiString name = reference.substr(dot + 1);
    if (!name.empty()) name.erase(name.size() - 1);
    return FindMainField(table, name);
}

void TfrmSingle::SetupUserFields() {
    TfrmBase::SetupUserFields();
    TdmSingle* module = SingleModule();
    if (!module) return;
    FUDFLabelCount = 0;
    for (int i = 1; i <= 100; ++i) {
        const AnsiString name = Format("UDF%.2d", {i});
        auto* edit = dynamic_cast<TDBEdit*>(FindComponent("ed" + name));
        TField* field = module->cdsMain->FindField(name);
        if (!edit || !field) continue;
        edit->SetDataSource(module->dsMain);
        edit->SetDataField(name);
        field->SetVisible(false);
        auto* combo = dynamic_cast<TwwDBCustomComboBox*>(FindComponent("cbo" + name));
        if (combo) {
            combo->SetDataSource(module->dsMain);
            combo->SetDataField(name);
            combo->SetLeft(-1000);
        }
        if (!FUDFLabelsRead) {
            FUDFLabelsRead = true;
            Broker->QueryData("WOQMD", "03", FUDFLabels, VarArrayOf({Broker->GetSvrSetting("M11_TABLE")}));
        }
        ++FUDFLabelCount;
        AnsiString label;
        for (const Variant& row : RowsOf(FUDFLabels))
            if (SameText(Trim(Column(row, 0)), name)) {
                const AnsiString codePage = GetUICodePage();
                label = Column(row, codePage == "950" || codePage == "936" ? 1 : 2);
                break;
            }
        if (label.empty()) {
            AnsiString text = "自定义项%d";
            GetLangString("TfrmSingle", "sUdfFieldDisplay", text, true, text);
            label = Format(text, {FUDFLabelCount});
        }
        field->SetDisplayLabel(label);
        if (auto* captioned = dynamic_cast<TQvDBEdit*>(edit)) captioned->SetCaption(label);
        if (auto* captioned = dynamic_cast<TQvDBComboBox*>(combo)) captioned->SetCaption(label);
    }
}

AnsiString TfrmSingle::FormatSetting(const AnsiString& componentName, const AnsiString& name) {
    TdmSingle* module = SingleModule();
    if (!FFormatDocRead && module) {
        FFormatDocRead = true;
        try {
            const AnsiString xml =
                TAppServer(module->AppServer).GetFormat(Broker->CompanyID, Broker->ProgramID);
            if (!Trim(xml).empty()) FFormatDoc.reset(TMT_Doc::CreateFromXml(xml));
        } catch (const Exception& e) {
            WriteAlertLog(Broker->ProgramID, "Single-Format:" + e.Message(), 'D');
        }
    }
    AnsiString text;
    if (FFormatDoc) FFormatDoc->GetComponentProperty(componentName, name, text);
    return text;
}

void TfrmSingle::SetUDFLookupHints() {
    TdmSingle* module = SingleModule();
    if (!module) return;
    for (int i = 0; i < module->cdsMain->FieldCount(); ++i) {
        TField* field = module->cdsMain->Fields()->Fields(i);
        if (!SameText(field->FieldName().substr(0, 3), "UDF")) continue;
        auto* edit = dynamic_cast<TDBEdit*>(FindComponent("ed" + field->FieldName()));
        if (!edit) continue;
        const AnsiString source = FormatSetting(edit->Name(), "DataSource");
        AnsiString hint;
        if (!source.empty() && !SameText(source, "Custom")) {
            AnsiString text = "%s查询";
            GetLangString("TfrmSingle", "sQuery", text, true, text);
            hint = Format(text, {field->DisplayLabel()});
        } else {
            hint = "常用语查询";
            GetLangString("TfrmSingle", "sHINT_PHRASE", hint, true, hint);
        }
        if (auto* button = dynamic_cast<TQvBtnDBEdit*>(edit)) button->SetButtonHint(hint);
        edit->SetHint("[F2]" + hint);
        edit->SetShowHint(true);
    }
}

void TfrmSingle::DoF2Key(Word& key, TWinControl* control) {
    TfrmBase::DoF2Key(key, control);
    TdmSingle* module = SingleModule();
    auto* edit = dynamic_cast<TDBEdit*>(control);
    if (module && edit && SameText(edit->Name().substr(0, 5), "edUDF")) OpenUDFLookup(module->cdsMain, edit);
}

void TfrmSingle::OpenUDFLookup(TDataSet* dataSet, TDBEdit* edit) {
    TField* field = edit ? edit->Field() : nullptr;
    if (!dataSet || !field) return;
    auto write = [field](const AnsiString& text) {
        TDataSet* owner = field->DataSet();
        if (owner->State() != dsEdit && owner->State() != dsInsert) owner->Edit();
        SetFieldText(field, text, true);
    };
    const AnsiString name = edit->Name();
    const AnsiString source = FormatSetting(name, "DataSource");
    if (source.empty() || SameText(source, "Custom")) {
        const AnsiString picked = Broker->PickPhrase(field->AsString());
        if (!picked.empty() && picked != field->AsString()) write(picked);
        return;
    }
    const AnsiString refFile = FormatSetting(name, "RefFileID");
    const size_t dash = refFile.find('-');
    Variant link;
    if (!Broker->CheckValue(
            "F2LINK", "01", link,
            VarArrayOf({"1", refFile.substr(0, dash),
                        dash == AnsiString::npos ? AnsiString() : refFile.substr(dash + 1)})) ||
        RowColumnCount(link) < 2)
        return;
    // Ten condition values, from the record's fields that RefCondID lists.
    std::vector<Variant> conditions(10, Variant(AnsiString()));
    const std::vector<AnsiString> condFields = SplitList(FormatSetting(name, "RefCondID"), ",");
    for (size_t i = 0; i < condFields.size() && i < conditions.size(); ++i)
        if (TField* condition = dataSet->FindField(Trim(condFields[i])))
            conditions[i] = condition->AsString();
    Variant rows;
    Broker->OpenF2Window(Column(link, 0), Column(link, 1), rows, FormatSetting(name, "F2Field"),
                         FormatSetting(name, "F2FieldID"), FormatSetting(name, "RefFieldID"),
                         static_cast<int>(Handle()), "", false, false, field->AsString(),
                         VarArrayOf(conditions));
    const std::vector<Variant> picked = RowsOf(rows);
    if (picked.empty()) return;
    AnsiString text;
    for (int c = 0; c < RowColumnCount(picked[0]); ++c)
        text += (c ? "," : "") + Column(picked[0], c);
    write(text);
}

std::unique_ptr<TUDFFields> TfrmSingle::LoadUDFFields(const AnsiString& program, const AnsiString& tag,
                                                      const AnsiString& scope) {
    auto fields = std::make_unique<TUDFFields>();
    const AnsiString condition = scope == "Y" ? " TL012 <> '' " : scope == "N" ? " TL012 = '' " : " 1=1 ";
    Variant rows;
    Broker->CallCounter(
        "SimpleSql",
        VarArrayOf({" SELECT TL006,TL013,TL012 FROM $$WOQTK WOQTK  LEFT JOIN $$WOQTL WOQTL ON "
                    "TK001 = TL001 AND TL010 = 'Y'  WHERE " +
                        condition + " AND TK003 = 'Y' AND TL005 = " + QuotedStr(tag) +
                        " AND TL003 = " + QuotedStr(program) + " ORDER BY TL011 ",
                    "TL006,TL013,TL012", Broker->Database, "N"}),
        rows);
    for (const Variant& row : RowsOf(rows)) {
        TUDFField* item = fields->Add();
        item->UDFFieldName = Trim(Column(row, 0));
        item->QueryText = Column(row, 1);
        // Each reference is "table.field" and one closing character, which the field name leaves out.
        for (const AnsiString& reference : SplitList(Column(row, 2), ";")) {
            if (Trim(reference).empty()) continue;
            TUDFRelatedField* related = item->RelatedFields->Add();
            related->LinkedFieldName = reference;
            related->LinkedField = FindQualifiedField(reference);
        }
    }
    return fields;
}

std::unique_ptr<TUDFFields> TfrmSingle::LoadHeaderUDFFields(const AnsiString& program,
                                                            const AnsiString& tag) {
    std::unique_ptr<TUDFFields> fields = LoadUDFFields(program, tag, "Y");
    for (int i = 0; i < fields->Count(); ++i)
        for (int r = 0; r < fields->Items(i)->RelatedFields->Count(); ++r) {
            TUDFRelatedField* related = fields->Items(i)->RelatedFields->Items(r);
            if (!related->LinkedField) continue;
            // A field related to two items is hooked once; its own handler is kept by the first.
            if (related->LinkedField->OnChange() == TFieldNotifyEvent(this, &TfrmSingle::UDFFieldChanged))
                continue;
            related->SavedOnChange = related->LinkedField->OnChange();
            related->LinkedField->SetOnChange(TFieldNotifyEvent(this, &TfrmSingle::UDFFieldChanged));
        }
    return fields;
}

void TfrmSingle::RestoreUDFHandlers() {
    if (!HeadUDFFields) return;
    for (int i = 0; i < HeadUDFFields->Count(); ++i)
        for (int r = 0; r < HeadUDFFields->Items(i)->RelatedFields->Count(); ++r) {
            TUDFRelatedField* related = HeadUDFFields->Items(i)->RelatedFields->Items(r);
            if (related->LinkedField &&
                related->LinkedField->OnChange() == TFieldNotifyEvent(this, &TfrmSingle::UDFFieldChanged))
                related->LinkedField->SetOnChange(related->SavedOnChange);
        }
}

bool TfrmSingle::QueryUDFData(TUDFField* item, const TStrings* values, AnsiString& text) {
    std::vector<Variant> texts;
    for (int r = 0; r < item->RelatedFields->Count(); ++r) {
        TUDFRelatedField* related = item->RelatedFields->Items(r);
        if (related->LinkedField)
            texts.push_back(related->LinkedField->AsString());
        else
            texts.push_back(values ? values->Values(related->LinkedFieldName) : AnsiString());
    }
    Variant answer;
    Broker->CallCounter("QueryUDFData",
                        VarArrayOf({item->QueryText, AnsiString(), Broker->Database, "N",
                                    texts.empty() ? VarArrayCreate({0, -1}, varVariant) : VarArrayOf(texts)}),
                        answer);
    const std::vector<Variant> rows = RowsOf(answer);
    if (rows.empty() || RowColumnCount(rows[0]) == 0) return false;
    text = Column(rows[0], 0);
    return true;
}

void TfrmSingle::UDFFieldChanged(TField* field) {
    TdmSingle* module = SingleModule();
    if (!module || !field || field->DataSet() != module->cdsMain || !HeadUDFFields) return;
    bool said = false;
    for (int i = 0; i < HeadUDFFields->Count(); ++i) {
        TUDFField* item = HeadUDFFields->Items(i);
        TUDFRelatedField* related = item->RelatedFields->FindByField(field);
        if (!related) continue;
        if (related->SavedOnChange) related->SavedOnChange(field);
        TField* target = module->cdsMain->FindField(item->UDFFieldName);
        if (!target) continue;
        bool failed = false;
        try {
            AnsiString text;
            if (!QueryUDFData(item, nullptr, text)) continue;
            failed = !SetFieldText(target, text, true);
        } catch (const Exception& e) {
            WriteAlertLog(Broker->ProgramID, "Single-UDF:" + e.Message(), 'D');
            failed = true;
        }
        if (failed && !said) {
            said = true;
            AnsiString text = "自定义栏位(%s)赋值错误，可能是类型不匹配！！";
            GetLangString("TfrmSingle", "sUDFError", text, true, text);
            Broker->Say("E", "000032", {Format(text, {target->DisplayLabel()})});
        }
    }
}

void TfrmSingle::FillLinkedUDFValues(const AnsiString& program, const AnsiString& tag, TDataSet* dataSet,
                                     const std::vector<AnsiString>& values) {
    Variant rows;
    Broker->CallCounter("SimpleSql",
                        VarArrayOf({" SELECT TJ003,TJ005 FROM WOQTJ WOQTJ  WHERE TJ002 = " + QuotedStr(tag) +
                                        " AND TJ001 = " + QuotedStr(program),
                                    "TJ003,TJ005", Broker->Database, "N"}),
                        rows);
    TStringList named;
    const std::vector<Variant> links = RowsOf(rows);
    for (size_t i = 0; i < links.size() && i < values.size(); ++i)
        named.Add("other." + Trim(Column(links[i], 0)) + Trim(Column(links[i], 1)) + "=" + values[i]);
    std::unique_ptr<TUDFFields> items = LoadUDFFields(program, tag, "All");
    bool said = false;
    for (int i = 0; i < items->Count(); ++i) {
        TUDFField* item = items->Items(i);
        TField* target = dataSet->FindField(item->UDFFieldName);
        if (!target) continue;
        bool failed = false;
        try {
            AnsiString text;
            if (!QueryUDFData(item, &named, text)) continue;
            failed = !SetFieldText(target, text, true);
        } catch (const Exception& e) {
            WriteAlertLog(Broker->ProgramID, "Single-UDF:" + e.Message(), 'D');
            failed = true;
        }
        if (failed && !said) {
            said = true;
            AnsiString text = "自定义栏位(%s)赋值错误，可能是类型不匹配！！";
            GetLangString("TfrmSingle", "sUDFError", text, true, text);
            Broker->Say("E", "000032", {Format(text, {target->DisplayLabel()})});
        }
    }
}

void TfrmSingle::CollectEditableFields() {
    if (GetSystemCodePage() == "936" && GetUICodePage() == "936") return;
    TdmSingle* module = SingleModule();
    if (!module) return;
    AnsiString names;
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* combo = dynamic_cast<TwwDBCustomComboBox*>(Components(i));
        if (!combo || !combo->Visible() || !combo->Enabled() || combo->ReadOnly()) continue;
        if (combo->Name().find("cboUDF") != AnsiString::npos) continue;
        if (!combo->DataSource() || combo->DataSource()->DataSet() != module->cdsMain) continue;
        TField* field = combo->Field();
        if (!field || field->ReadOnly() || ContainsWholeWord(RequiredFields, field->FieldName())) continue;
        names += (names.empty() ? "" : ",") + field->FieldName();
    }
    if (!names.empty()) AddRequiredFields("cdsMain:" + names);
}

// ---- drill-down links ----

bool TfrmSingle::IsLinkField(const AnsiString& name) const {
    return InLinkList(LinkFields, name);
}

void TfrmSingle::LoadLinkFields() {
    Variant rows;
    try {
        Broker->CallCounter(
            "SimpleSql",
            VarArrayOf({"SELECT MR004,MR005 FROM WOQMR WHERE MR001= " + QuotedStr(Broker->ProgramID),
                        "MR004,MR005", Broker->Database, "N"}),
            rows);
    } catch (const Exception& e) {
        WriteAlertLog(Broker->ProgramID, "Single-Link:" + e.Message(), 'D');
        return;
    }
    for (const Variant& row : RowsOf(rows))
        for (int c = 0; c < 2; ++c) {
            const AnsiString name = UpperCase(Trim(Column(row, c)));
            if (name.empty() || InLinkList(LinkFields, name)) continue;
            LinkFields += (LinkFields.empty() ? AnsiString() : AnsiString(1, LinkSeparator)) + name;
        }
}

void TfrmSingle::gdHeadMouseMove(TObject*, TShiftState shift, int x, int y) {
    if (EditState != esBrowse || !gdHead) return;
    const bool ctrl = shift.Contains(ssCtrl);
    if (!ctrl) {
        gdHead->SetCursor(crDefault);
        LinkHover = false;
    }
    const TGridCoord cell = gdHead->MouseCoord(x, y);
    const int column = gdHead->ColumnIndex(cell.X);
    bool onLink = false;
    if (column >= 0 && cell.Y >= gdHead->FixedRows()) {
        const AnsiString text = gdHead->CellText(cell.X, cell.Y);
        const AnsiString field = gdHead->Columns()[column].FieldName;
        onLink = !Trim(text).empty() && InLinkList(LinkFields, UpperCase(field));
    }
    if (onLink) {
        AnsiString hint = "按住CTRL并单击鼠标以跟踪链接";
        GetLangString("TfrmSingle", "sGridHint", hint, true, hint);
        gdHead->SetHint(hint);
        gdHead->SetShowHint(true);
        if (ctrl) {
            gdHead->SetCursor(crHandPoint);
            LinkHover = true;
        }
        return;
    }
    LinkHover = false;
    const AnsiString msg = RowColorMsg(cell.Y);
    gdHead->SetHint(msg);
    if (!msg.empty()) gdHead->SetShowHint(true);
}

AnsiString TfrmSingle::RowColorMsg(int gridRow) {
    TdmSingle* module = SingleModule();
    if (!IsColorManage || !HeadColors || !module || !module->cdsMainColor->Active() || !gdHead)
        return AnsiString();
    const int index = gdHead->RecordIndexOf(gridRow);
    if (index < 0 || module->KeyFields.empty()) return AnsiString();
    try {
        // Clones: the hovered row is read without moving either data set's record.
        TClientDataSet row(nullptr);
        row.CloneCursor(module->cdsMain, false);
        row.SetRecNo(index + 1);
        std::vector<Variant> keys;
        for (int i = 1; i <= GetTokenCount(module->KeyFields, ","); ++i)
            keys.push_back(row.FieldByName(Trim(GetToken(module->KeyFields, ",", i)))->Value());
        TClientDataSet colors(nullptr);
        colors.CloneCursor(module->cdsMainColor, false);
        if (!colors.Locate(StringReplace(module->KeyFields, ",", ";", rfReplaceAll),
                           keys.size() == 1 ? keys[0] : VarArrayOf(keys)))
            return AnsiString();
        TField* text = colors.FindField("gdHead");
        return text ? GetColorMsg(text->AsString(), "msg") : AnsiString();
    } catch (const Exception& e) {
        WriteAlertLog(Broker->ProgramID, "Single-ColorMsg:" + e.Message(), 'D');
        return AnsiString();
    }
}

void TfrmSingle::gdHeadMouseDown(TObject*, TMouseButton button, TShiftState, int x, int y) {
    if (button != mbLeft || !LinkHover || !gdHead) return;
    TdmSingle* module = SingleModule();
    // The grid moves to the clicked cell after its handlers ran: the link is the clicked cell's.
    const TGridCoord cell = gdHead->MouseCoord(x, y);
    if (cell.X >= gdHead->FixedCols() && cell.Y >= gdHead->FixedRows()) {
        gdHead->SetRow(cell.Y);
        gdHead->SetCol(cell.X);
    }
    if (module) FollowGridLink(gdHead, module->cdsMain);
    LinkHover = false;
}

void TfrmSingle::gdHeadKeyUp(TObject*, Word&, TShiftState) {
    LinkHover = false;
    if (gdHead) gdHead->SetCursor(crDefault);
}

void TfrmSingle::FollowGridLink(TFDBGrid* grid, TDataSet* dataSet) {
    if (!grid || !dataSet) return;
    TCursorScope cursor;
    TField* selected = grid->SelectedField();
    if (!selected) return;
    const AnsiString name = selected->FieldName();
    if (Trim(selected->AsString()).empty()) return;
    Variant answer;
    Broker->CallCounter(
        "SimpleSql",
        VarArrayOf({"SELECT * FROM WOQMR AS WOQMR  WHERE MR001=" + QuotedStr(Broker->ProgramID) +
                        " and (MR004=" + QuotedStr(name) + " or MR005=" + QuotedStr(name) +
                        ")  order by MR011",
                    "MR002,MR003,MR004,MR005,MR006,MR007,MR008,MR009,MR010,MR011", Broker->Database, "N"}),
        answer);
    const std::vector<Variant> rows = RowsOf(answer);
    if (rows.empty()) return;
    Variant chosen = rows[0];
    const AnsiString selector = Trim(Column(rows[0], 1));
    if (!selector.empty()) {
        TField* field = dataSet->FindField(selector);
        const AnsiString value = field ? Trim(field->AsString()) : AnsiString();
        bool found = false;
        for (const Variant& row : rows)
            if (Trim(Column(row, 8)) == value) {
                chosen = row;
                found = true;
                break;
            }
        if (!found) return;
    }
    TGridLink link{Trim(Column(chosen, 2)), Trim(Column(chosen, 3)), Trim(Column(chosen, 5)),
                   Trim(Column(chosen, 6)), Trim(Column(chosen, 7))};
    auto text = [dataSet](const AnsiString& fieldName) {
        TField* field = fieldName.empty() ? nullptr : dataSet->FindField(fieldName);
        return field ? Trim(field->AsString()) : AnsiString();
    };
    const AnsiString condition =
        BuildGridLinkCondition(link, text(link.Source1), text(link.Source2), SQLType);
    if (condition.empty()) return;
    RunProgram(Trim(Column(chosen, 4)), condition);
}

void TfrmSingle::BuildLinkQuery(const AnsiString& program, const AnsiString& table, AnsiString& result,
                                const AnsiString& where, const AnsiString& linkNo,
                                const AnsiString& otherTable) {
    Variant answer;
    Broker->CallCounter("SimpleSql",
                        VarArrayOf({"  SELECT  MR005,MR004,MR007 \r  FROM $$WOQMR \r  WHERE  MR001=" +
                                        QuotedStr(program) + " AND MR002=" + QuotedStr(linkNo),
                                    "MR005,MR004,MR007", Broker->Database, "N"}),
                        answer);
    for (const Variant& row : RowsOf(answer)) {
        const AnsiString source = Trim(Column(row, 0));
        const AnsiString t = SameText(table, source) ? table : otherTable;
        Variant values;
        Broker->CallCounter("SimpleSql",
                            VarArrayOf({" SELECT   " + Trim(Column(row, 2)) + " FROM  " + Broker->Database +
                                            ".." + t + " " + t + "  WHERE " + where,
                                        Trim(Column(row, 2)), Broker->Database, "N"}),
                            values);
        const std::vector<Variant> found = RowsOf(values);
        if (found.empty() || RowColumnCount(found[0]) == 0) continue;
        const Variant value = found[0].GetElement({VarArrayLowBound(found[0], 1)});
        const bool isText = VarType(value) == varString || VarType(value) == varOleStr;
        result += Trim(Column(row, 1)) + "," + (isText ? "C," : "N,") + VarToStr(value) + ";";
    }
}

// ---- sign-off settings ----

void TfrmSingle::GetSignOffSetting(const AnsiString& docType, const AnsiString& key,
                                   AnsiString (&result)[2]) {
    const bool qz = Broker->GetSysSetting("SYS174") == "Y";
    const AnsiString sql =
        qz ? " SELECT MC001,MC002,MC006 \r FROM $$QZSMC AS QZSMC    \r WHERE MC001=" + QuotedStr(docType) +
                 " AND (MC002=" + QuotedStr(key) + " OR MC002='****') "
           : " SELECT MQ001,MQ002,MQ003 \r FROM $$WOQMQ AS WOQMQ   \r WHERE MQ001=" + QuotedStr(docType) +
                 " AND (MQ002=" + QuotedStr(key) + " OR MQ002='****') ";
    Variant answer;
    Broker->CallCounter("SimpleSql", VarArrayOf({sql, qz ? "MC006" : "MQ003", Broker->Database, "N"}),
                        answer);
    const std::vector<Variant> rows = RowsOf(answer);
    result[0] = rows.empty() ? "N" : "0";
    result[1] = rows.empty() ? AnsiString() : Column(rows[0], 0);
}

void TfrmSingle::GetSignOffSettingTop(const AnsiString& docType, const AnsiString& key,
                                      AnsiString (&result)[2]) {
    result[0] = "N";
    result[1].clear();
    if (Broker->GetSysSetting("SYS060") != "Y") return;
    const bool qz = Broker->GetSysSetting("SYS174") == "Y";
    const AnsiString sql =
        qz ? " SELECT top  1  MC006,MC009 \r FROM  $$QZSMC \r WHERE MC001=" + QuotedStr(docType) +
                 " AND (MC002=" + QuotedStr(key) + " OR MC002='****') " + "\r" + " ORDER  BY  MC002 DESC  "
           : " SELECT top  1  MQ003,MQ004 \r FROM  $$WOQMQ \r WHERE MQ001=" + QuotedStr(docType) +
                 " AND (MQ002=" + QuotedStr(key) + " OR MQ002='****') " + "\r" + " ORDER  BY  MQ002 DESC  ";
    try {
        Variant answer;
        Broker->CallCounter("SimpleSql",
                            VarArrayOf({sql, qz ? "MC006,MC009" : "MQ003,MQ004", Broker->Database, "N"}),
                            answer);
        const std::vector<Variant> rows = RowsOf(answer);
        if (rows.empty()) return;
        result[0] = Column(rows[0], 0);
        result[1] = Column(rows[0], 1);
    } catch (const Exception&) {
        result[0] = "N";
        result[1].clear();
    }
}

// ---- print formats ----

AnsiString TfrmSingle::GetLinkKeyValue() {
    TdmSingle* module = SingleModule();
    if (!module || !module->cdsMain->Active()) return AnsiString();
    AnsiString name = FormatKeyField;
    if (name.empty()) name = Trim(GetToken(module->KeyFields, ",", 1));
    TField* field = name.empty() ? nullptr : module->cdsMain->FindField(name);
    return field ? field->AsString() : AnsiString();
}

void TfrmSingle::LoadVoucherFormats(TMenuItem* menu, bool force) {
    if (!menu) return;
    const AnsiString program = UpperCase(PrintProgram);
    if (force || menu->Count() == 0) {
        menu->Clear();
        Variant answer;
        try {
            // The print program is the catalogue's, never typed: still quoted as a literal.
            AnsiString pattern = QuotedStr("%" + program + "%");
            Broker->CallCounter("SimpleSql",
                                VarArrayOf({"select NT001,NT002 from WARRANT where UPPER(NT001) like " +
                                                pattern + " order by NT002",
                                            "NT002"}),
                                answer);
        } catch (const Exception& e) {
            WriteAlertLog(Broker->ProgramID, "Single-Voucher:" + e.Message(), 'D');
        }
        const std::vector<Variant> rows = RowsOf(answer);
        for (size_t i = 0; i < rows.size(); ++i) {
            auto* item = new TMenuItem(this);
            item->SetName(menu->Name() + IntToStr(static_cast<int>(i)));
            Variant caption;
            ConvertUiText(Column(rows[i], 0), caption);
            item->SetCaption(VarToStr(caption));
            item->SetRadioItem(true);
            item->SetOnClick(TNotifyEvent(this, &TfrmSingle::MenuItemVoucherFormatClick));
            menu->Add(item);
        }
        if (rows.empty()) {
            auto* item = new TMenuItem(this);
            Variant caption;
            ConvertUiText(AnsiString("<无格式>"), caption);
            item->SetCaption(VarToStr(caption));
            item->SetEnabled(false);
            menu->Add(item);
        }
    }
    TUserDefIni formats;
    const AnsiString stored = formats.GetFormat(program, GetLinkKeyValue());
    for (int i = 0; i < menu->Count(); ++i)
        menu->Items(i)->SetChecked(!SameText(stored, UserDefNoFormat) && menu->Items(i)->Caption() == stored);
}

void TfrmSingle::MenuItem1Click(TObject*) {
    LoadVoucherFormats(miVoucherFormats, false);
}

void TfrmSingle::popPrintPopup(TObject*) {
    LoadVoucherFormats(miVoucherFormatsPrint, false);
}

void TfrmSingle::MenuItemVoucherFormatClick(TObject* sender) {
    auto* item = dynamic_cast<TMenuItem*>(sender);
    if (!item) return;
    const bool marked = item->Checked();
    AnsiString question;
    if (!marked) {
        AnsiString text = "将格式[%s]设为本机默认格式?";
        GetLangString("TfrmSingle", "sSetDefaultFormat", text, true, text);
        question = Format(text, {item->Caption()});
    } else {
        question = "是否要取消本机默认格式?";
        GetLangString("TfrmSingle", "sCancelDefaultFormat", question, true, question);
    }
    if (Broker->Say("W", "100079", {question}) != mrOk) return;
    item->SetChecked(!marked);
    bool stored = false;
    try {
        TUserDefIni formats;
        stored = formats.SetFormat(UpperCase(PrintProgram), GetLinkKeyValue(),
                                   marked ? AnsiString(UserDefNoFormat) : item->Caption());
    } catch (const Exception& e) {
        WriteAlertLog(Broker->ProgramID, "Single-Voucher:" + e.Message(), 'D');
    }
    if (!stored) {
        item->SetChecked(marked);
        AnsiString text = "更新失败!";
        GetLangString("TfrmSingle", "sUpdError", text, true, text);
        Broker->Say("E", "000032", {text});
    }
}

// ---- colour filter ----

AnsiString TfrmSingle::LoadColorXml() {
    Variant answer;
    Broker->CallCounter(
        "SimpleSql",
        VarArrayOf({"SELECT NH003 FROM $$WOQNH WHERE NH001 = " + QuotedStr(UpperCase(Broker->ProgramID)),
                    "NH003", Broker->Database, "N"}),
        answer);
    const std::vector<Variant> rows = RowsOf(answer);
    return rows.empty() ? AnsiString() : Column(rows[0], 0);
}

void TfrmSingle::CreateColorQueryForm() {
    ColorQueryForm.reset();
    TColorComponent* head = HeadColors ? HeadColors->FindComponent("gdHead", AnsiString()) : nullptr;
    if (!head) return;
    ColorQueryForm = MakeColorQueryDialog(head->Conditions());
}

void TfrmSingle::FillColorMenu() {
    if (!pmColorCondition) return;
    pmColorCondition->Items()->Clear();
    TColorComponent* head = HeadColors ? HeadColors->FindComponent("gdHead", AnsiString()) : nullptr;
    if (!head) return;
    pmColorCondition->SetOwnerDraw(true);
    for (int i = 0; i < head->Conditions()->Count(); ++i) {
        auto* item = new TMenuItem(this);
        item->SetName("mnuColor" + IntToStr(i));
        Variant caption;
        ConvertUiText(head->Conditions()->Items(i)->Msg, caption);
        item->SetCaption(VarToStr(caption));
        item->SetTag(i);
        item->SetOnClick(TNotifyEvent(this, &TfrmSingle::ColorMenuClick));
        item->SetOnDrawItem(TMenuDrawItemEvent(this, &TfrmSingle::DrawColorMenuItem));
        pmColorCondition->Items()->Add(item);
    }
}

void TfrmSingle::DrawColorMenuItem(TObject* sender, TCanvas* canvas, TRect rect, bool selected) {
    auto* item = dynamic_cast<TMenuItem*>(sender);
    TColorComponent* head = HeadColors ? HeadColors->FindComponent("gdHead", AnsiString()) : nullptr;
    if (!item || !canvas || !head || item->Tag() < 0 || item->Tag() >= head->Conditions()->Count()) return;
    TColorCondition* condition = head->Conditions()->Items(static_cast<int>(item->Tag()));
    int font = 0;
    canvas->Font()->SetColor(TryStrToInt(condition->ColorX, font) ? TColor(font) : clBlack);
    int back = 0;
    if (selected)
        canvas->Brush()->SetColor(clHighlight);
    else
        canvas->Brush()->SetColor(TryStrToInt(condition->BkColor, back) ? TColor(back) : clMenu);
    canvas->FillRect(rect);
    const int width = canvas->TextWidth(item->Caption());
    canvas->TextOut(rect.Left + (rect.Right - rect.Left - width) / 2,
                    rect.Top + (rect.Bottom - rect.Top - canvas->TextHeight(item->Caption())) / 2,
                    item->Caption());
}

void TfrmSingle::ColorMenuClick(TObject* sender) {
    auto* clicked = dynamic_cast<TMenuItem*>(sender);
    TColorComponent* head = HeadColors ? HeadColors->FindComponent("gdHead", AnsiString()) : nullptr;
    if (!clicked || !head) return;
    for (int i = 0; i < head->Conditions()->Count(); ++i)
        head->Conditions()->Items(i)->Checked = i == clicked->Tag();
    ApplyColorFilter();
}

void TfrmSingle::btnColorQueryClick(TObject*) {
    TColorComponent* head = HeadColors ? HeadColors->FindComponent("gdHead", AnsiString()) : nullptr;
    if (ColorQueryForm && head) {
        if (!ColorQueryForm->Execute(IsColorManage, head->Conditions())) return;
        if (!ColorQueryForm->IsColorManage()) {
            HeadColors->RestoreOriginalColors();
            if (btnColorQuery) btnColorQuery->SetVisible(false);
            IsColorManage = false;
            ArrangeToolBar(ToolBar1);
        }
    }
    ApplyColorFilter();
}

void TfrmSingle::ApplyColorFilter() {
    TdmSingle* module = SingleModule();
    if (!module) return;
    std::vector<AnsiString> ticked;
    if (TColorComponent* head = HeadColors ? HeadColors->FindComponent("gdHead", AnsiString()) : nullptr)
        for (int i = 0; i < head->Conditions()->Count(); ++i)
            if (head->Conditions()->Items(i)->Checked) ticked.push_back(head->Conditions()->Items(i)->Value);
    const AnsiString remembered = LastWhere;
    const AnsiString filter = BuildColorFilter(ticked, remembered, Broker->Database);
    try {
        TCursorScope cursor;
        if (SQLType == 0 && FQueryDialog) TAppServer(module->AppServer).SetTopRow(FQueryDialog->GetTopRow());
        bool failed = false;
        try {
            SetQueryCondition(module->cdsMain, filter, LastOrder);
            // The re-query keeps its failure to the log and leaves the data set closed.
            failed = !module->cdsMain->Active();
        } catch (const Exception& e) {
            WriteAlertLog(Broker->ProgramID, "Single-ColorFilter:" + e.Message(), 'D');
            failed = true;
        }
        // The filter narrows what was asked for; it never replaces it.
        LastWhere = remembered;
        if (failed) {
            Broker->Say("E", "000032", {AnsiString("颜色筛选出错！！")});
            SetQueryCondition(module->cdsMain, remembered, LastOrder);
            LastWhere = remembered;
        }
        SetEditState(esBrowse);
    } catch (const Exception& e) {
        Variant shown;
        ConvertUiText(e.Message(), shown);
        ShowMessageDlg(VarToStr(shown), mtError, {mbOK});
        Broker->Say("W", "000001", {AnsiString()});
    }
    if (tbsBrowse && pgHead) pgHead->SetActivePage(tbsBrowse);
    if (gdHead && gdHead->CanFocus()) gdHead->SetFocus();
}

// ---- data import (open mode 11) ----

void TfrmSingle::ImportXml(const AnsiString& text) {
    if (Trim(text).empty()) return;
    TdmSingle* module = SingleModule();
    IsKeepOnAdd = false;
    try {
        if (!module) throw Exception("资料汇入: 没有资料模块");
        xmldom::DocumentPtr doc;
        LoadXmlDocument(text, doc);
        const xmldom::NodePtr root = doc ? doc->selectSingleNode("//dataimport") : nullptr;
        if (!root) throw Exception("资料汇入: 找不到 dataimport");
        const std::vector<AnsiString> headFields =
            SplitList(root->getAttribute("headfields").value_or(""), "|");
        const std::vector<AnsiString> bodyFields =
            SplitList(root->getAttribute("bodyfields").value_or(""), "|");
        auto* body = dynamic_cast<TDataSet*>(module->FindComponent("cdsBody1"));
        // Each value must fit its field whole: an import never cuts what it was given.
        auto assign = [](TDataSet* dataSet, const xmldom::NodePtr& node, const AnsiString& name,
                         int document) {
            const AnsiString fieldName = Trim(name);
            if (fieldName.empty()) return;
            const std::optional<AnsiString> value = node ? node->getAttribute(fieldName) : std::nullopt;
            if (!value) throw Exception(Format("资料汇入: 第 %d 笔缺少栏位 %s", {document, fieldName}));
            TField* field = dataSet->FindField(fieldName);
            if (!field) throw Exception(Format("资料汇入: 没有栏位 %s", {fieldName}));
            if (field->DataType() == ftString && field->Size() > 0 &&
                static_cast<int>(value->size()) > field->Size())
                throw Exception(Format("资料汇入: 第 %d 笔栏位 %s 的值太长", {document, fieldName}));
            SetFieldText(field, *value, true);
        };
        const xmldom::NodeListPtr documents = doc->selectNodes("//dataimport/*");
        for (long d = 0; documents && d < documents->length(); ++d) {
            const xmldom::NodePtr document = documents->item(d);
            const int number = static_cast<int>(d + 1);
            if (!AddRecord(true)) throw Exception(Format("资料汇入: 第 %d 笔无法新增", {number}));
            try {
                const xmldom::NodePtr head = document->selectSingleNode("head/row");
                for (const AnsiString& name : headFields)
                    assign(module->cdsMain, head, name, number);
                const xmldom::NodeListPtr lines = document->selectNodes("body/*");
                if (lines && lines->length() > 0 && !bodyFields.empty() && !body)
                    throw Exception("资料汇入: 没有单身资料");
                for (long l = 0; lines && body && l < lines->length(); ++l) {
                    body->Append();
                    for (const AnsiString& name : bodyFields)
                        assign(body, lines->item(l), name, number);
                    body->Post();
                }
                if (!SaveRecord()) throw Exception(Format("资料汇入: 第 %d 笔存档失败", {number}));
            } catch (...) {
                // The failing document is dropped whole; the documents saved before it stay.
                if (body && (body->State() == dsInsert || body->State() == dsEdit)) body->Cancel();
                CancelEdit(false);
                throw;
            }
        }
    } catch (const Exception& e) {
        // The import ends at its first fault, which the user is shown; the form closes all the same.
        FCloseRequested = true;
        WriteAlertLog(Broker->ProgramID, "Single-Import:" + e.Message(), 'D');
        Variant shown;
        ConvertUiText(e.Message(), shown);
        ShowMessageDlg(VarToStr(shown), mtError, {mbOK});
        return;
    }
    FCloseRequested = true;
}
