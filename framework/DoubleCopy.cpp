// TfrmDouble: copying a document into a new one, re-querying the browse list, printing with the
// document's key and the link to the current document for the host's main-menu window.
#include "classlib/controls/dialogs.h"
#include "classlib/db/fieldtypes.h"
#include "classlib/objects/formloader.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "foundation/libstrs.h"
#include "framework/DoubleCF.h"

namespace {

// The host's main-menu window and the text shown when it is not there.
constexpr const char* MainMenuWindowClass = "QVN_Veltrane_MainMenu";

bool Inserting(const TDataSet* dataSet) {
    return dataSet && dataSet->State() == dsInsert;
}

// The names of a comma list, trimmed and upper-cased, blanks and aliases ("TB003 line") dropped.
std::vector<AnsiString> KeyNamesOf(const AnsiString& list) {
    std::vector<AnsiString> names;
    for (int i = 1; i <= GetTokenCount(list, ","); ++i) {
        AnsiString name = UpperCase(Trim(GetToken(list, ",", i)));
        const std::size_t blank = name.find(' ');
        if (blank != AnsiString::npos) name.erase(blank);
        if (!name.empty()) names.push_back(name);
    }
    return names;
}

// A key or audit column, or no stored value of its own, is not copied. The key list is compared by
// whole names, so that a column whose name ends like a key's is still copied.
Variant CopyValueOf(TField* field, const AnsiString& keyList) {
    if (!field || field->FieldKind() != fkData || field->DataType() == ftDataSet) return Variant();
    const AnsiString name = UpperCase(field->FieldName());
    for (const AnsiString& key : KeyNamesOf(keyList))
        if (key == name) return Variant();
    if (TdmRadical::IsAuditField(name)) return Variant();
    return field->Value();
}

// The value written into a field of the new document, its read-only flag lifted for the time.
void AssignCopied(TField* field, const Variant& value) {
    if (!field || VarIsEmpty(value) || VarIsNull(value)) return;
    const bool readOnly = field->ReadOnly();
    field->SetReadOnly(false);
    try {
        field->SetValue(value);
    } catch (...) {
        field->SetReadOnly(readOnly);
        throw;
    }
    field->SetReadOnly(readOnly);
}

AnsiString PaddedRight(const AnsiString& text, int size) {
    return static_cast<int>(text.size()) >= size ? text : text + AnsiString(size - text.size(), ' ');
}

} // namespace

bool ReadCopySource(TfrmDouble* form, const Variant& keyValues, Variant& head, Variant& extras,
                    Variant& lines) {
    return form && form->ReadCopySource(keyValues, head, extras, lines);
}

AnsiString KeyRangeExpr(const AnsiString& expr, int size) {
    return "RPAD(" + expr + "," + IntToStr(size) + ",' ')";
}

AnsiString JoinQualified(const AnsiString& qualifier, const AnsiString& name) {
    return Trim(qualifier).empty() ? name : qualifier + "." + name;
}

AnsiString RangeRequeryCondition(const std::vector<TRequeryKey>& keys, int sqlType) {
    AnsiString parts, keyExpr, padded;
    bool allText = true;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const TRequeryKey& key = keys[i];
        const bool last = i + 1 == keys.size();
        const AnsiString op = last ? ">=" : "=";
        if (key.Numeric) {
            parts += key.Qualified + op + key.Value + " and ";
            allText = false;
            continue;
        }
        parts += key.Qualified + op + QuotedStr(key.Value) + " and ";
        padded += PaddedRight(key.Value, key.Size);
        keyExpr += sqlType == 1 ? KeyRangeExpr(key.Qualified, key.Size) : key.Qualified;
        if (!last) keyExpr += sqlType == 0 ? "+" : sqlType == 1 ? "||" : "";
    }
    if (allText && !keys.empty()) return keyExpr + ">=" + QuotedStr(padded) + " and ";
    return parts;
}

// ---- published members ----

void TfrmDouble::DeclareCopyPublished(TClassBuilder<TfrmDouble>& c) {
    c.Field("btnFlow", &TfrmDouble::btnFlow);
    c.Field("DropDownPopupMenu", &TfrmDouble::DropDownPopupMenu);
    c.Field("QVPager", &TfrmDouble::QVPager);
    c.Field("Attach", &TfrmDouble::Attach);
    c.Field("mnuCopy", &TfrmDouble::mnuCopy);
    c.Method("mnuCopyClick", &TfrmDouble::mnuCopyClick);
    c.Method("QVPagerClick", &TfrmDouble::QVPagerClick);
    c.Method("AttachClick", &TfrmDouble::AttachClick);
    c.Method("btnReFreshClick", &TfrmDouble::btnReFreshClick);
}

void TfrmDouble::UpdateCopyCommand() {
    if (!mnuCopy) return;
    mnuCopy->SetVisible(false);
    mnuCopy->SetEnabled(btnFirst ? btnFirst->Enabled() : false);
}

// ---- copy ----

// A new document is not confirmed, nor on its way through sign-off, because its source was (the
// server refuses a confirmation code that no confirmation set): the confirmation and sign-off
// columns, the form's and those of the program's settings, keep the new document's own values.
void TfrmDouble::GetCopyHeadValue(TField* field, Variant& value) {
    TdmDouble* module = DoubleModule();
    value = CopyValueOf(field, (module ? module->KeyFields : AnsiString()) + "," + ConfirmFieldName + "," +
                                   ConfirmDateField + "," + SignOffStatusField + "," +
                                   Broker->GetSvrSetting("M11_CONFIRM"));
}

void TfrmDouble::GetCopyBodyValue(TField* field, Variant& value) {
    TdmDouble* module = DoubleModule();
    value = CopyValueOf(field, (module ? module->BodyKeyFields : AnsiString()) + "," + BodyConfirmField +
                                   "," + Broker->GetSvrSetting("D11_CONFIRM"));
}

// The source's keys feed the user-defined fields the tag links to the other document (WOQTJ), and
// the server computes their values for the copy.
void TfrmDouble::CopyUserAttributes(TDataSet* dataSet, const AnsiString& tag, const AnsiString& program,
                                    const std::vector<Variant>& sourceKeys) {
    if (!dataSet || sourceKeys.empty()) return;
    std::vector<AnsiString> values;
    for (const Variant& key : sourceKeys)
        values.push_back(VarToStr(key));
    FillLinkedUDFValues(program, tag, dataSet, values);
}

bool TfrmDouble::RunCopyDialog(TComponent*, TDataSet* dataSet, Byte kind, Variant& extras, Variant& lines,
                               Variant& head, const AnsiString& keyFields, TDataSource* dataSource) {
    return ShowCopyDialog(this, dataSet, dataSource, kind, extras, lines, head, keyFields);
}

bool TfrmDouble::ReadCopySource(const Variant& keyValues, Variant& head, Variant& extras, Variant& lines) {
    TdmDouble* module = DoubleModule();
    if (!module || !VarIsArray(keyValues) || VarArrayHighBound(keyValues, 1) < VarArrayLowBound(keyValues, 1))
        return false;
    TClientDataSet* main = module->cdsMain;
    TClientDataSet* body = module->cdsBody1;
    const AnsiString table = Broker->GetSvrSetting("M11_TABLE");
    const std::vector<AnsiString> keys = KeyNamesOf(module->KeyFields);
    const int low = VarArrayLowBound(keyValues, 1);
    const int high = VarArrayHighBound(keyValues, 1);
    AnsiString where;
    for (std::size_t i = 0; i < keys.size() && low + static_cast<int>(i) <= high; ++i) {
        const AnsiString value = VarToStr(keyValues.GetElement({low + static_cast<int>(i)}));
        where += (where.empty() ? "" : " and ") + JoinQualified(table, keys[i]) + "=" + QuotedStr(value);
    }
    if (where.empty()) return false;
    AnsiString dialogWhere, order;
    if (TQueryDialog* dialog = QueryDialog()) dialog->BuildQuery(dialogWhere, order);
    const AnsiString browseWhere = LastWhere, browseOrder = LastOrder;
    SetQueryCondition(main, where, order);
    if (!main->Active() || main->IsEmpty()) {
        ShowMessageDlg(LangText("sNoOriginInfo", "来源信息不存在!!"), mtError, {mbOK});
        // The user goes on from the documents they were browsing, not from an empty list.
        SetQueryCondition(main, browseWhere.empty() ? AnsiString("1=1") : browseWhere, browseOrder);
        return false;
    }
    if (!body->Active()) body->Open();

    std::vector<Variant> headValues;
    for (int i = 0; i < main->FieldCount(); ++i) {
        Variant value;
        GetCopyHeadValue(main->Fields()->Fields(i), value);
        headValues.push_back(value);
    }
    head = VarArrayOf(headValues);
    CopySourceKeys.clear();
    for (const AnsiString& key : keys)
        if (TField* field = main->FindField(key)) CopySourceKeys.push_back(field->Value());
    CopySourceRead();

    const std::vector<AnsiString> bodyKeys = KeyNamesOf(module->BodyKeyFields);
    std::vector<Variant> lineArrays, lineExtras;
    CopySourceLineKeys.clear();
    body->DisableControls();
    try {
        for (body->First(); !body->Eof(); body->Next()) {
            std::vector<Variant> values;
            for (int i = 0; i < body->FieldCount(); ++i) {
                Variant value;
                GetCopyBodyValue(body->Fields()->Fields(i), value);
                values.push_back(value);
            }
            lineArrays.push_back(VarArrayOf(values));
            Variant extra;
            GetCopyLineExtra(extra);
            lineExtras.push_back(extra);
            std::vector<Variant> lineKeys;
            for (const AnsiString& key : bodyKeys)
                if (TField* field = body->FindField(key)) lineKeys.push_back(field->Value());
            CopySourceLineKeys.push_back(lineKeys);
        }
        body->First();
    } catch (...) {
        body->EnableControls();
        throw;
    }
    body->EnableControls();
    lines = lineArrays.empty() ? Variant() : VarArrayOf(lineArrays);
    extras = lineExtras.empty() ? Variant() : VarArrayOf(lineExtras);
    if (EditState == esInsert) return false;
    return AddRecord(true);
}

void TfrmDouble::CopyDocument() {
    TdmDouble* module = DoubleModule();
    // A document being edited would lose its changes to the source's query.
    if (!module || EditState != esBrowse) return;
    TClientDataSet* main = module->cdsMain;
    TClientDataSet* body = module->cdsBody1;
    Variant extras, lines, head;
    CopySourceKeys.clear();
    CopySourceLineKeys.clear();
    const AnsiString browseWhere = LastWhere, browseOrder = LastOrder;
    if (!RunCopyDialog(this, main, 0, extras, lines, head, module->KeyFields, module->dsMain)) {
        // A source already read had started the new document: the user left it, so it goes, and the
        // documents browsed before come back.
        if (EditState == esInsert && CancelEdit(false))
            SetQueryCondition(main, browseWhere.empty() ? AnsiString("1=1") : browseWhere, browseOrder);
        return;
    }
    if (!Inserting(main)) {
        ShowMessage(LangText("sCancelCopy", "cdsMain.State 不正常, 复制行动因此取消!! "));
        return;
    }
    if (VarIsArray(head))
        for (int i = 0; i < main->FieldCount() && VarArrayLowBound(head, 1) + i <= VarArrayHighBound(head, 1);
             ++i)
            AssignCopied(main->Fields()->Fields(i), head.GetElement({VarArrayLowBound(head, 1) + i}));
    try {
        CopyUserAttributes(main, "F01", UpperCase(Broker->ProgramID), CopySourceKeys);
    } catch (const Exception&) {
    }
    AfterCopyHead();

    if (!VarIsArray(lines)) return;
    const bool reaction = module->BodyChangeReaction;
    module->BodyChangeReaction = false;
    try {
        const int low = VarArrayLowBound(lines, 1);
        const int high = VarArrayHighBound(lines, 1);
        for (int n = low; n <= high; ++n) {
            const Variant line = lines.GetElement({n});
            if (!VarIsArray(line)) continue;
            // The totals follow the last line's post.
            if (n == high) module->BodyChangeReaction = reaction;
            if (!Inserting(body)) body->Append();
            const int lineLow = VarArrayLowBound(line, 1);
            for (int i = 0; i < body->FieldCount() && lineLow + i <= VarArrayHighBound(line, 1); ++i)
                AssignCopied(body->Fields()->Fields(i), line.GetElement({lineLow + i}));
            AfterCopyLine();
            try {
                const std::size_t index = static_cast<std::size_t>(n - low);
                CopyUserAttributes(body, "F01D", UpperCase(Broker->ProgramID),
                                   index < CopySourceLineKeys.size() ? CopySourceLineKeys[index]
                                                                     : std::vector<Variant>());
            } catch (const Exception&) {
            }
            body->Post();
            if (VarIsArray(extras) && n <= VarArrayHighBound(extras, 1)) {
                const Variant extra = extras.GetElement({n});
                if (VarIsArray(extra)) AfterCopyLineExtra(extra);
            }
        }
    } catch (...) {
        module->BodyChangeReaction = reaction;
        throw;
    }
    module->BodyChangeReaction = reaction;
}

void TfrmDouble::mnuCopyClick(TObject*) {
    if (mnuCopy && mnuCopy->Visible()) CopyDocument();
}

// ---- re-query ----

void TfrmDouble::RequeryCurrentKey() {
    TdmDouble* module = DoubleModule();
    if (!module || !module->cdsMain->Active()) return;
    TClientDataSet* main = module->cdsMain;
    const AnsiString table = Broker->GetSvrSetting("M11_TABLE");
    AnsiString where;
    for (const AnsiString& name : KeyNamesOf(module->KeyFields)) {
        TField* field = main->FindField(name);
        if (!field) continue;
        const AnsiString value =
            IsNumberField(field->DataType()) ? field->AsString() : QuotedStr(field->AsString());
        where += JoinQualified(table, field->FieldName()) + "=" + value + " and ";
    }
    if (where.empty()) return;
    where.erase(where.size() - 4);
    SetQueryCondition(main, where, AnsiString());
}

void TfrmDouble::ApplyQBECondition() {
    TdmDouble* module = DoubleModule();
    if (!module || !module->cdsMain->Active()) return;
    if (!RangeRequery) {
        RequeryCurrentKey();
        RangeRequery = true;
        return;
    }
    TClientDataSet* main = module->cdsMain;
    const AnsiString table = Broker->GetSvrSetting("M11_TABLE");
    std::vector<TRequeryKey> keys;
    for (const AnsiString& name : KeyNamesOf(module->KeyFields)) {
        TField* field = main->FindField(name);
        if (!field) continue;
        keys.push_back(TRequeryKey{JoinQualified(table, field->FieldName()), field->AsString(),
                                   IsNumberField(field->DataType()), field->Size()});
    }
    AnsiString where = RangeRequeryCondition(keys, SQLType);
    AnsiString dialogWhere, order;
    if (TQueryDialog* dialog = QueryDialog()) dialog->BuildQuery(dialogWhere, order);
    // The user's condition in brackets: an "or" of it must not loosen the key range.
    if (!Trim(dialogWhere).empty())
        where += "(" + dialogWhere + ")";
    else if (where.size() >= 4)
        where.erase(where.size() - 4);
    if (Trim(where).empty()) return;
    Variant unconverted;
    UnconvertUiText(where, unconverted);
    SetQueryCondition(main, VarToStr(unconverted), order);
}

void TfrmDouble::btnReFreshClick(TObject*) {
    if (EditState == esBrowse) ApplyQBECondition();
}

// ---- the host link ----

AnsiString TfrmDouble::BuildDocumentLink() {
    TdmDouble* module = DoubleModule();
    AnsiString condition;
    if (!module || !module->KeyCondition(condition)) return AnsiString();
    AnsiString keyLines;
    for (const AnsiString& name : KeyNamesOf(module->KeyFields))
        if (TField* field = module->cdsMain->FindField(name))
            keyLines = "<p>" + keyLines + field->DisplayName() + " : " + field->AsString() + "</p>";
    return "KTRW:" + Broker->GetProgramNameOf(Broker->ProgramID) + "$$" + "<font size=\"2\"><p>&nbsp</p> " +
           "<A href=\"ktrw://Norvu/" + Broker->CompanyID + "/" + Broker->ProgramID + "/query/" + condition +
           "\">" + keyLines + "</font>" + "</A>";
}

bool TfrmDouble::SendLinkToMessageCentre() {
    const AnsiString text = BuildDocumentLink();
    if (text.empty()) return false;
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    bool sent = false;
    if (const HWND window = FindWindow(MainMenuWindowClass)) {
        TCopyDataStruct data;
        data.dwData = 0;
        data.cbData = static_cast<Cardinal>(buffer.size());
        data.lpData = buffer.data();
        SendMessage(window, WM_COPYDATA, static_cast<WPARAM>(Handle()), reinterpret_cast<LPARAM>(&data));
        sent = true;
    } else {
        ShowMessage("目标窗口没找到！");
    }
    SetWindowState(wsMinimized);
    return sent;
}

void TfrmDouble::QVPagerClick(TObject*) {
    SendLinkToMessageCentre();
}

void TfrmDouble::AttachClick(TObject*) {}
