#include "framework/DoubleCD.h"

#include <algorithm>
#include <vector>

#include "classlib/controls/dialogs.h"
#include "classlib/controls/forms.h"
#include "classlib/db/dsguard.h"
#include "classlib/objects/formloader.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/shellapi.h"
#include "classlib/rtl/strutils.h"
#include "foundation/AlertLog.h"
#include "foundation/LibVCLs.h"
#include "foundation/libstrs.h"
#include "framework/Brokers.h"
#include "framework/ExportSheet.h"
#include "framework/FieldLists.h"
#include "framework/knlRadical.h"

namespace {

AnsiString FirstWord(const AnsiString& item) {
    const AnsiString text = Trim(item);
    const std::size_t blank = text.find(' ');
    return blank == AnsiString::npos ? text : Trim(text.substr(0, blank));
}

void EnsureEditing(TDataSet* dataSet) {
    if (dataSet->State() == dsBrowse) dataSet->Edit();
}

bool IsPendingKey(const AnsiString& text) {
    return !text.empty() && text.find_first_not_of('~') == AnsiString::npos;
}

double NumberOf(const Variant& value) {
    try {
        return StrToFloat(Trim(VarToStr(value)));
    } catch (const Exception&) {
        return 0;
    }
}

bool IsStringField(const TField* field) {
    return field->DataType() == ftString || field->DataType() == ftWideString ||
           field->DataType() == ftFixedChar;
}

} // namespace

KVR_PUBLISHED(TdmDouble, c) {
    c.Field("cdsBody1", &TdmDouble::cdsBody1);
    c.Field("dsBody1", &TdmDouble::dsBody1);
    c.Field("cdsBodyColor", &TdmDouble::cdsBodyColor);
    c.Field("dsBodyColor", &TdmDouble::dsBodyColor);
    c.Method("DataModuleCreate", &TdmDouble::DataModuleCreate);
    c.Method("DataModuleDestroy", &TdmDouble::DataModuleDestroy);
    c.Method("cdsMainAfterPost", &TdmDouble::cdsMainAfterPost);
    c.Method("cdsMainAfterScroll", &TdmDouble::cdsMainAfterScroll);
    c.Method("cdsBody1AfterOpen", &TdmDouble::cdsBody1AfterOpen);
    c.Method("cdsBody1AfterEdit", &TdmDouble::cdsBody1AfterEdit);
    c.Method("cdsBody1BeforePost", &TdmDouble::cdsBody1BeforePost);
    c.Method("cdsBody1AfterPost", &TdmDouble::cdsBody1AfterPost);
    c.Method("cdsBody1AfterDelete", &TdmDouble::cdsBody1AfterDelete);
    c.Method("cdsBody1AfterScroll", &TdmDouble::cdsBody1AfterScroll);
    c.Method("cdsBody1NewRecord", &TdmDouble::cdsBody1NewRecord);
    c.Method("cdsBody1ReconcileError", &TdmDouble::cdsBody1ReconcileError);
    c.Method("dsBody1DataChange", &TdmDouble::dsBody1DataChange);
}

KVR_FORM_RESOURCE(TdmDouble, R"(inherited dmDouble: TdmDouble
  inherited cdsMain: TwwClientDataSet
    AfterPost = cdsMainAfterPost
  end
  object cdsBody1: TwwClientDataSet
    ValidateWithMask = True
    AfterOpen = cdsBody1AfterOpen
    AfterEdit = cdsBody1AfterEdit
    BeforePost = cdsBody1BeforePost
    AfterPost = cdsBody1AfterPost
    AfterDelete = cdsBody1AfterDelete
    AfterScroll = cdsBody1AfterScroll
    OnNewRecord = cdsBody1NewRecord
    OnReconcileError = cdsBody1ReconcileError
  end
  object dsBody1: TwwDataSource
    DataSet = cdsBody1
    OnDataChange = dsBody1DataChange
  end
  object cdsBodyColor: TwwClientDataSet
    ValidateWithMask = True
  end
  object dsBodyColor: TwwDataSource
    DataSet = cdsBodyColor
  end
end
)");

TdmDouble::TdmDouble(TComponent* owner, bool load) : TdmSingle(owner, false) {
    if (load) InitInheritedComponent(this);
}

TdmDouble::~TdmDouble() = default;

void TdmDouble::DataModuleCreate(TObject* sender) {
    if (!LineClone) {
        LineClone = new TwwClientDataSet(this);
        LineClone->SetName("cdsBody1Clone");
    }
    BodyChangeReaction = true;
    SetAutoLineNumber(true);
    if (cdsBody1) {
        if (!cdsBody1->IndexName().empty())
            InitialBodyOrder = "IndexName=" + cdsBody1->IndexName();
        else if (!cdsBody1->IndexFieldNames().empty())
            InitialBodyOrder = "IndexFieldNames=" + cdsBody1->IndexFieldNames();
    }
    TdmSingle::DataModuleCreate(sender);
}

void TdmDouble::DataModuleDestroy(TObject* sender) {
    // The clones share the lines' rows: they go before the data set they clone.
    if (LineClone) LineClone->Close();
    if (FScanClone) FScanClone->Close();
    TdmSingle::DataModuleDestroy(sender);
}

AnsiString TdmDouble::LangText(const AnsiString& section, const AnsiString& ident,
                               const AnsiString& def) const {
    TRadicalView* view = View();
    return view ? view->ViewLangText(section, ident, def) : def;
}

// ---- keys ----

void TdmDouble::SetBodyKeyFields(const AnsiString& keys) {
    if (keys != BodyKeyFields) BodyKeyFields = keys;
    if (AutoLineNumber && LineNumberField.empty() && !Trim(BodyKeyFields).empty())
        LineNumberField = BodyKeyField(GetTokenCount(BodyKeyFields, ","));
}

void TdmDouble::SetAutoLineNumber(bool on) {
    if (on == AutoLineNumber) return;
    AutoLineNumber = on;
    if (on && !Trim(BodyKeyFields).empty()) LineNumberField = BodyKeyField(GetTokenCount(BodyKeyFields, ","));
}

const std::vector<AnsiString>& TdmDouble::KeyNames(TKeyNames& cache, const AnsiString& text) {
    if (!cache.Read || cache.Text != text) {
        cache.Names.clear();
        const int count = GetTokenCount(text, ",");
        for (int i = 1; i <= count; ++i)
            cache.Names.push_back(FirstWord(GetToken(text, ",", i)));
        cache.Text = text;
        cache.Read = true;
    }
    return cache.Names;
}

AnsiString TdmDouble::BodyKeyField(int index) const {
    const std::vector<AnsiString>& names = KeyNames(FBodyKeys, BodyKeyFields);
    return index < 1 || index > static_cast<int>(names.size()) ? AnsiString() : names[index - 1];
}

AnsiString TdmDouble::HeadKeyField(int index) const {
    const std::vector<AnsiString>& names = KeyNames(FHeadKeys, KeyFields);
    return index < 1 || index > static_cast<int>(names.size()) ? AnsiString() : names[index - 1];
}

// ---- new lines ----

void TdmDouble::cdsBody1NewRecord(TDataSet*) {
    if (cdsMain->State() != dsEdit && cdsMain->State() != dsInsert) {
        // No line without a header being added or changed: the insert ends here, quietly.
        Abort();
    }
    InitBodyLine();
}

void TdmDouble::InitBodyLine() {
    StampAuditFields(cdsBody1);
    if (cdsMain->State() == dsInsert)
        MarkLineKeyPending();
    else
        CopyHeadKeyToLine();
    if (AutoLineNumber && !LineNumberField.empty()) {
        AnsiString number;
        if (!NextNumberOfLine(number)) {
            // No number is left for the line: it is not added, rather than repeat an existing one.
            cdsBody1->Cancel();
            Abort();
        }
        if (TField* field = cdsBody1->FindField(LineNumberField)) SetFieldText(field, number, true);
    }
    CopyMappedHeadFields();
    CarryOverLineValues();
    if (TDoubleView* view = DoubleView()) {
        view->ViewApplyBodyDefaultTexts();
        FillUDFDefaults(cdsBody1, view->ViewBodyUDFDefaults());
    }
    InitNullFields(cdsBody1);
    if (TDoubleView* view = DoubleView()) view->ViewLineStarted();
}

void TdmDouble::CopyHeadKeyToLine() {
    for (int i = 1;; ++i) {
        const AnsiString head = HeadKeyField(i), body = BodyKeyField(i);
        if (head.empty() || body.empty()) break;
        TField* headField = cdsMain->FindField(head);
        TField* bodyField = cdsBody1->FindField(body);
        if (!headField || !bodyField) continue;
        if (bodyField->AsString() == headField->AsString()) continue;
        EnsureEditing(cdsBody1);
        bodyField->SetAsString(headField->AsString());
    }
}

void TdmDouble::MarkLineKeyPending() {
    const int count = BodyKeyCount();
    for (int i = 1; i < count; ++i) {
        TField* field = cdsBody1->FindField(BodyKeyField(i));
        // Twenty "~", or as many as the field holds.
        if (field && IsStringField(field))
            field->SetAsString(AnsiString(field->Size() > 0 && field->Size() < 20 ? field->Size() : 20, '~'));
    }
}

void TdmDouble::CopyMappedHeadFields() {
    for (int i = 1; i <= GetTokenCount(HeadToBodyMap, ","); ++i) {
        const AnsiString pair = GetToken(HeadToBodyMap, ",", i);
        const std::size_t arrow = pair.find("->");
        if (arrow == AnsiString::npos) continue;
        TField* head = cdsMain->FindField(Trim(pair.substr(0, arrow)));
        TField* body = cdsBody1->FindField(Trim(pair.substr(arrow + 2)));
        if (!head || !body || head->AsString() == body->AsString()) continue;
        EnsureEditing(cdsBody1);
        body->SetAsString(head->AsString());
    }
}

void TdmDouble::CarryOverLineValues() {
    TDoubleView* view = DoubleView();
    const AnsiString carried = view ? view->ViewCarryOverFields() : AnsiString();
    if (Trim(carried).empty() || !LineClone->Active() || LineClone->IsEmpty()) return;
    LineClone->Last();
    for (int i = 1; i <= GetTokenCount(carried, ","); ++i) {
        const AnsiString name = Trim(GetToken(carried, ",", i));
        TField* field = cdsBody1->FindField(name);
        TField* last = LineClone->FindField(name);
        if (field && last && field->IsNull()) field->SetAsString(last->AsString());
    }
}

void TdmDouble::EnsureBodyShadow() {
    // The clone follows the lines of the header now current (a new header has lines of its own).
    if (!LineClone->Active() || LineClone->Store() != cdsBody1->Store()) {
        RefreshBodyShadow();
        FNumberCached = false;
    }
    // The walks that need no order go over a clone without one: an ordered clone sorts its rows
    // again after every line added.
    if (!FScanClone) {
        FScanClone = new TClientDataSet(this);
        FScanClone->SetName("cdsBody1Scan");
    }
    if (!FScanClone->Active() || FScanClone->Store() != cdsBody1->Store()) {
        try {
            FScanClone->CloneCursor(cdsBody1, true, false);
        } catch (const Exception&) {
            FScanClone->Close();
        }
    }
}

bool TdmDouble::NextNumberOfLine(AnsiString& text) {
    EnsureBodyShadow();
    TField* field = cdsBody1->FindField(LineNumberField);
    // The walk over the lines once; then each number given is the highest, until a line is changed,
    // deleted or read anew (a number typed by hand may be any).
    if (FNumberCached && field && field->Size() > 0) {
        const AnsiString next = Format("%.*d", {field->Size(), FHighestLine + 1});
        if (static_cast<int>(next.size()) <= field->Size()) {
            text = next;
            FLastGivenNumber = text;
            return true;
        }
    }
    if (!NextLineNumber(FScanClone->Active() ? static_cast<TDataSet*>(FScanClone) : LineClone,
                        LineNumberField, text))
        return false;
    FHighestLine = StrToIntDef(text, 0) - 1;
    FLastGivenNumber = text;
    FNumberCached = FHighestLine >= 0;
    return true;
}

bool TdmDouble::NextLineNumber(TDataSet* dataSet, const AnsiString& fieldName, AnsiString& text) {
    if (NextSequenceNo(dataSet, fieldName, text)) return true;
    if (dataSet && dataSet->FindField(fieldName) && Broker) {
        TField* field = dataSet->FindField(fieldName);
        Broker->Say(
            "E", "000032",
            {Format(LangText("TdmDouble", "sLineNoFull", "单身序号已达上限（%d位），不能再增加单身！"),
                    {field->Size()})});
    }
    return false;
}

bool TdmDouble::BodyLineRejected() {
    return false;
}

int TdmDouble::TotalLineFilter(const AnsiString&, const Variant&, Variant&) {
    return 0;
}

void TdmDouble::InitLineFlags(int count, Variant& flags) {
    flags = VarArrayCreate({0, count}, varByte);
    for (int i = 0; i <= count; ++i)
        flags.PutElement({i}, Variant(Byte(0)));
}

void TdmDouble::CheckBodyHook() {}

// ---- line events ----

void TdmDouble::cdsBody1BeforePost(TDataSet* dataSet) {
    TBaseView* view = BaseView();
    if (view && !view->ViewCheckRecord(dataSet)) Abort();
    CheckBodyHook();
    if (BodyLineRejected()) Abort();
}

void TdmDouble::cdsBody1AfterEdit(TDataSet* dataSet) {
    StampAuditFields(dataSet);
}

void TdmDouble::cdsBody1AfterPost(TDataSet* dataSet) {
    // The line given the next number is in: it is the highest now. Any other change is walked anew.
    TField* number = LineNumberField.empty() ? nullptr : dataSet->FindField(LineNumberField);
    if (number && !FLastGivenNumber.empty() && number->AsString() == FLastGivenNumber)
        FHighestLine = StrToIntDef(FLastGivenNumber, FHighestLine);
    else
        FNumberCached = false;
    FLastGivenNumber.clear();
    if (BodyChangeReaction) BodyChanged();
}

void TdmDouble::cdsBody1AfterDelete(TDataSet*) {
    FNumberCached = false;
    if (BodyChangeReaction) BodyChanged();
}

void TdmDouble::cdsBody1AfterOpen(TDataSet*) {
    RefreshBodyShadow();
}

void TdmDouble::cdsBody1AfterScroll(TDataSet* dataSet) {
    // A walk over the lines (controls disabled) is no move of the user's.
    if (!dataSet->ControlsDisabled()) UpdateCounters(true);
}

void TdmDouble::dsBody1DataChange(TObject*, TField* field) {
    if (TDoubleView* view = DoubleView()) view->ViewLineChanged(field);
}

void TdmDouble::cdsMainAfterPost(TDataSet*) {
    if (TDoubleView* view = DoubleView()) view->ViewHeadPosted();
}

void TdmDouble::cdsMainAfterScroll(TDataSet* dataSet) {
    TdmSingle::cdsMainAfterScroll(dataSet);
    UpdateCounters(false);
}

void TdmDouble::UpdateCounters(bool) {
    if (TDoubleView* view = DoubleView()) view->ViewShowRecordCounters();
}

void TdmDouble::BodyChanged() {
    if (cdsMain->State() == dsBrowse && cdsMain->Active() && !cdsMain->IsEmpty()) cdsMain->Edit();
}

void TdmDouble::cdsBody1ReconcileError(TCustomClientDataSet*, EReconcileError* e, TUpdateKind,
                                       TReconcileAction&) {
    if (!e) return;
    if (TRadicalView* view = View())
        Application->MessageBox(view->ViewToUI(e->Message()),
                                view->ViewToUI(LangText("TdmDouble", "sSaveError", "保存错误")),
                                MB_OK | MB_ICONERROR);
    try {
        const AnsiString id = Broker ? Broker->ProgramID : AnsiString();
        WriteAlertLog(id, AnsiString("保存失败") + "Context :" + e->Context(), 'D');
        WriteAlertLog(id, AnsiString("保存失败") + "PreviousError :" + IntToStr(e->PreviousError()), 'D');
    } catch (...) {
    }
}

// ---- open, rights ----

bool TdmDouble::OpenMainData() {
    const bool opened = TdmSingle::OpenMainData();
    if (!opened) return false;
    if (Broker) SetBodyKeyFields(Broker->GetSvrSetting("D11_KEY"));
    if (cdsBody1 && !cdsBody1->Active()) cdsBody1->Open();
    if (cdsBodyColor && cdsMainColor && cdsMainColor->Active()) {
        try {
            if (auto* field = dynamic_cast<TDataSetField*>(cdsMainColor->FindField("qryBodyColor"))) {
                cdsBodyColor->SetDataSetField(field);
                cdsBodyColor->Open();
            }
        } catch (const Exception&) {
        }
    }
    if (cdsBody1) LabelAuditFields(cdsBody1);
    return cdsBody1 && cdsBody1->Active();
}

void TdmDouble::ShowManagedFields(bool show) {
    TdmSingle::ShowManagedFields(show);
    if (cdsBody1) ShowAuditFields(cdsBody1, show);
}

bool TdmDouble::CanModify() {
    if (!TdmSingle::CanModify()) return false;
    if (!Broker) return true;
    auto say = [this](const AnsiString& condition, const char* all, const char* list) {
        if (condition == "ALL") {
            Broker->Say("E", all, {AnsiString()});
        } else {
            AnsiString lines = condition;
            for (std::size_t at; (at = lines.find(';')) != AnsiString::npos;)
                lines.replace(at, 1, "\r\n");
            Broker->Say("E", list, {"\r\n\r\n" + lines});
        }
    };
    AnsiString condition;
    if (!BuildDataRightCondition(cdsBody1, "D11", condition)) {
        say(condition, "200572", "200573");
        return false;
    }
    if (Broker->GetSvrSetting("F11_KEY").empty()) return true;
    TClientDataSet* third = nullptr;
    for (int i = 0; i < ComponentCount() && !third; ++i) {
        auto* nested = dynamic_cast<TClientDataSet*>(Components(i));
        if (nested && nested->DataSetField() && nested->DataSetField()->DataSet() == cdsBody1) third = nested;
    }
    if (!third || cdsBody1->IsEmpty()) return true;
    TDataSetGuard walk(cdsBody1, TDataSetGuard::dgControls | TDataSetGuard::dgPosition);
    for (cdsBody1->First(); !cdsBody1->Eof(); cdsBody1->Next()) {
        if (!BuildDataRightCondition(third, "F11", condition)) {
            say(condition, "200574", "200575");
            return false;
        }
    }
    return true;
}

// ---- saving a new document ----

bool TdmDouble::HasPendingLineKey() {
    if (!cdsBody1->Active() || cdsBody1->IsEmpty()) return false;
    const int count = BodyKeyCount();
    TDataSetGuard walk(cdsBody1, TDataSetGuard::dgControls | TDataSetGuard::dgPosition);
    for (cdsBody1->First(); !cdsBody1->Eof(); cdsBody1->Next())
        for (int i = 1; i < count; ++i)
            if (TField* field = cdsBody1->FindField(BodyKeyField(i)))
                if (IsPendingKey(field->AsString())) return true;
    return false;
}

void TdmDouble::BeforeSaveDetails() {
    if (!cdsBody1 || !cdsBody1->Active() || cdsBody1->IsEmpty()) return;
    AnsiString failure;
    bool failed = false;
    {
        cdsBody1->DisableControls();
        const AnsiString indexFields = cdsBody1->IndexFieldNames();
        const AnsiString indexName = cdsBody1->IndexName();
        TDataSourceEvents events;
        SaveDataSourceEvents(dsBody1, events);
        const bool reaction = BodyChangeReaction;
        BodyChangeReaction = false;
        try {
            if (cdsBody1->FindField("FLAG")) cdsBody1->SetIndexFieldNames("FLAG");
            // Every line gets the key, or the save stops: a line left with the placeholder would
            // reach the database under a key that belongs to no document.
            // By bookmark: a posted line moves within its equal FLAG values, a walk by Next would
            // pass some lines by.
            std::vector<TBookmark> marks;
            for (cdsBody1->First(); !cdsBody1->Eof(); cdsBody1->Next())
                marks.push_back(cdsBody1->GetBookmark());
            for (TBookmark mark : marks) {
                if (failed) break;
                try {
                    cdsBody1->GotoBookmark(mark);
                    cdsBody1->Edit();
                    CopyHeadKeyToLine();
                    cdsBody1->Post();
                } catch (const Exception& e) {
                    failed = true;
                    failure = e.Message();
                    if (cdsBody1->State() != dsBrowse) cdsBody1->Cancel();
                }
            }
            for (TBookmark mark : marks)
                cdsBody1->FreeBookmark(mark);
        } catch (...) {
            BodyChangeReaction = reaction;
            if (!indexName.empty())
                cdsBody1->SetIndexName(indexName);
            else
                cdsBody1->SetIndexFieldNames(indexFields);
            RestoreDataSourceEvents(dsBody1, events);
            cdsBody1->EnableControls();
            throw;
        }
        BodyChangeReaction = reaction;
        if (!indexName.empty())
            cdsBody1->SetIndexName(indexName);
        else
            cdsBody1->SetIndexFieldNames(indexFields);
        RestoreDataSourceEvents(dsBody1, events);
        cdsBody1->EnableControls();
    }
    if (!failed && !HasPendingLineKey()) return;
    if (Broker) {
        AnsiString text = LangText("TdmDouble", "sLineKeyError", "单身资料无法写入单头键值，单据未保存！");
        if (!failure.empty()) text += "\r\n" + failure;
        Broker->Say("E", "000032", {text});
    }
    Abort();
}

// ---- totals ----

double TdmDouble::SumBodyField(const AnsiString& fieldName, int digits, const AnsiString& condition) {
    if (!cdsBody1 || !cdsBody1->Active() || cdsBody1->IsEmpty()) return 0;
    TField* field = cdsBody1->FindField(fieldName);
    if (!field) return 0;
    AnsiString conditionField, conditionValue;
    const std::size_t equals = condition.find('=');
    if (equals != AnsiString::npos) {
        conditionField = Trim(condition.substr(0, equals));
        conditionValue = Trim(condition.substr(equals + 1));
    }
    TField* filter = conditionField.empty() ? nullptr : cdsBody1->FindField(conditionField);
    double sum = 0;
    if (CanSumStoredLines(field, filter)) {
        // The same lines in the same order as the walk below, read where they are stored and kept
        // with the lines: a total after every line stays cheap on a long document. The controls hear
        // of it as of the walk.
        if (conditionField.empty() || filter) {
            auto kept = std::find_if(FLineTotals.begin(), FLineTotals.end(), [&](const auto& total) {
                return total->Of(field, filter, conditionValue, digits);
            });
            if (kept == FLineTotals.end()) {
                if (FLineTotals.size() >= 4) FLineTotals.erase(FLineTotals.begin());
                FLineTotals.push_back(std::make_unique<TLineTotal>());
                kept = FLineTotals.end() - 1;
            }
            sum = (*kept)->Sum(cdsBody1, field, filter, conditionValue, digits);
        }
        cdsBody1->DisableControls();
        cdsBody1->EnableControls();
        return sum;
    }
    TDataSetGuard walk(
        cdsBody1, TDataSetGuard::dgControls | TDataSetGuard::dgPosition | TDataSetGuard::dgEvents, dsBody1);
    // The walk is no scrolling of the user's: the lines' own scroll handlers rest meanwhile.
    TDataSetEvents events;
    SaveDataSetEvents(cdsBody1, events);
    struct TRestore {
        TDataSet* DataSet;
        TDataSetEvents& Events;
        ~TRestore() { RestoreDataSetEvents(DataSet, Events); }
    } restore{cdsBody1, events};
    for (cdsBody1->First(); !cdsBody1->Eof(); cdsBody1->Next()) {
        Variant value;
        const int kind = TotalLineFilter(fieldName, Variant(conditionValue), value);
        if (kind == 1) continue;
        const double line = kind == 2 ? NumberOf(value) : GetFieldRounded(field, digits);
        if (conditionField.empty() || (filter && filter->AsString() == conditionValue)) sum += line;
    }
    return sum;
}

bool TdmDouble::FiltersTotalLines() {
#if defined(__GNUC__) && !defined(__clang__)
    // The compiler names the operation the object's class calls; another than this one reads lines.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpmf-conversions"
    using TFilter = int (*)(TdmDouble*, const AnsiString&, const Variant&, Variant&);
    return reinterpret_cast<TFilter>(this->*(&TdmDouble::TotalLineFilter)) !=
           reinterpret_cast<TFilter>(&TdmDouble::TotalLineFilter);
#pragma GCC diagnostic pop
#else
    return true;
#endif
}

bool TdmDouble::CanSumStoredLines(TField* field, TField* filter) {
    if (FiltersTotalLines() || cdsBody1->State() != dsBrowse || !IsStoredFloat(field) ||
        field->DataSet() != cdsBody1 ||
        (filter && (!IsStoredString(filter) || filter->DataSet() != cdsBody1)))
        return false;
    // The walk would move the lines' own nested data sets along with it.
    for (int i = 0; i < cdsBody1->FieldCount(); ++i)
        if (auto* nested = dynamic_cast<TDataSetField*>(cdsBody1->Fields()->Fields(i)))
            if (nested->NestedDataSet() && nested->NestedDataSet()->Active()) return false;
    return true;
}

bool TdmDouble::SumBodyToHead(TField* headField, const AnsiString& bodyFieldName, const AnsiString& condition,
                              int digits) {
    if (!headField || !headField->DataSet()) return true;
    const TDataSetState state = headField->DataSet()->State();
    if (state != dsEdit && state != dsInsert) return true;
    const double sum = SumBodyField(bodyFieldName, digits, condition);
    const double current = headField->IsNull() ? 0 : headField->AsFloat();
    if (CompareFloat(current, sum) != 0) SetFieldRounded(headField, digits, sum);
    return true;
}

bool TdmDouble::IsDuplicateLine(TField* field, const AnsiString& keys) {
    EnsureBodyShadow();
    // The scan clone is the module's own: where it stands matters to no one, so the lines' keys are
    // looked up in an index kept with the lines' changes, without a walk per line checked.
    if (FScanClone->Active())
        if (const int found = FLineKeys.HasDuplicate(FScanClone, field, keys); found >= 0) return found == 1;
    return HasDuplicateKey(FScanClone->Active() ? FScanClone : LineClone, field, keys);
}

bool TdmDouble::RefreshBodyShadow() {
    FNumberCached = false;
    if (!cdsBody1 || !cdsBody1->Active()) return false;
    return CloneCursorSafe(cdsBody1, LineClone);
}

// ---- order ----

bool TdmDouble::RestoreBodyOrder() {
    if (InitialBodyOrder.rfind("IndexName=", 0) == 0) {
        cdsBody1->SetIndexName(InitialBodyOrder.substr(10));
    } else if (InitialBodyOrder.rfind("IndexFieldNames=", 0) == 0) {
        cdsBody1->SetIndexFieldNames(InitialBodyOrder.substr(16));
    } else {
        cdsBody1->SetIndexName(AnsiString());
        cdsBody1->SetIndexFieldNames(BodyKeyField(GetTokenCount(KeyFields, ",") + 1));
    }
    SortedBodyField = nullptr;
    return true;
}

void TdmDouble::SortBodyByField(const AnsiString& fieldName) {
    if (!cdsBody1 || !cdsBody1->Active()) return;
    const int before = cdsBody1->RecordCount();
    try {
        if (Trim(fieldName).empty()) {
            if (!SortedBodyField) return;
            SortedBodyField = nullptr;
            cdsBody1->SetIndexName(AnsiString());
            cdsBody1->SetIndexFieldNames(DefaultBodyOrder);
        } else {
            TField* field = cdsBody1->FindField(fieldName);
            if (!field || !IsSortableField(field) || cdsMain->State() != dsBrowse) return;
            const bool descending = field == SortedBodyField && cdsBody1->IndexName() != field->FieldName() &&
                                    SameText(cdsBody1->IndexFieldNames(), field->FieldName());
            SortedBodyField = field;
            if (descending) {
                TIndexDefs* defs = cdsBody1->IndexDefs();
                TIndexDef* def = defs->IndexOf(field->FieldName()) >= 0 ? defs->Find(field->FieldName())
                                                                        : defs->AddIndexDef();
                def->SetName(field->FieldName());
                def->SetFields(field->FieldName());
                def->SetDescFields(field->FieldName());
                def->SetOptions(TIndexOptions{ixDescending});
                cdsBody1->SetIndexName(field->FieldName());
            } else {
                cdsBody1->SetIndexFieldNames(field->FieldName());
            }
        }
        if (cdsBody1->RecordCount() != before) {
            TDataSetGuard heads(
                cdsMain, TDataSetGuard::dgControls | TDataSetGuard::dgPosition | TDataSetGuard::dgEvents,
                dsMain);
            TDataSourceEvents events;
            SaveDataSourceEvents(dsBody1, events);
            cdsMain->Next();
            cdsMain->Prior();
            RestoreDataSourceEvents(dsBody1, events);
            if (TDoubleView* view = DoubleView()) view->ViewShowLineSummary();
        }
    } catch (const Exception& e) {
        WriteAlertLog(Broker ? Broker->ProgramID : AnsiString(), "DoubleCD-1025:" + e.Message(), 'D');
    }
}

// ---- exports ----

bool TdmDouble::ExportBodyToExcel(TDataSet* head, TDataSet* body, bool withFormats, TComponent* form) {
    return WriteBodyExport(head, body, form, true, withFormats);
}

bool TdmDouble::ExportBodyToExcelPlain(TDataSet* head, TDataSet* body, TComponent* form) {
    return WriteBodyExport(head, body, form, false, false);
}

bool TdmDouble::WriteBodyExport(TDataSet* head, TDataSet* body, TComponent* controlSource, bool throughExcel,
                                bool withFormats) {
    if (!head || !body || !head->Active() || head->IsEmpty()) return true;
    TRadicalView* view = View();
    auto warn = [view](const AnsiString& text) {
        if (view)
            view->ViewMessage(text, mtWarning, {mbOK});
        else
            Application->MessageBox(text, "", 0);
    };
    auto ui = [view](const AnsiString& text) { return view ? view->ViewToUI(text) : text; };
    std::unique_ptr<TXLSExport> filter;
    const AnsiString folder = ExportFolder();
    const AnsiString path = ExportFileName();
    if (throughExcel) {
        if (!OLEExcel1) return true;
        try {
            OLEExcel1->SetConnected(true);
            OLEExcel1->NewWorkbook();
            if (Broker && !Broker->ProgramID.empty()) OLEExcel1->SetSheetName(Broker->ProgramID);
        } catch (const Exception&) {
            warn(LangText("TdmSingle", "sFailedCreateExcell", "创建新的 EXCEL 文件"));
            try {
                OLEExcel1->SetConnected(false);
            } catch (const Exception&) {
            }
            return true;
        }
    } else {
        if (!DirectoryExists(folder) && !ForceDirectories(folder)) {
            warn(ui("创建目录：" + folder + " 失败!"));
            return false;
        }
        try {
            filter = std::make_unique<TXLSExport>(path);
            filter->CreateStream(path);
        } catch (const Exception&) {
            Application->MessageBox("create file: " + path + "  failed!", "", 0);
            return false;
        }
    }

    // The columns: the header's key fields, then the visible line fields.
    TExportSheet::THooks hooks = ExportHooks(controlSource);
    std::unique_ptr<TExportSheet> sheet =
        throughExcel ? std::make_unique<TExportSheet>(OLEExcel1, withFormats ? emNumbers : emGeneral, hooks)
                     : std::make_unique<TExportSheet>(filter.get(), hooks);
    for (int i = 0; i < head->FieldCount(); ++i) {
        TField* field = head->Fields()->Fields(i);
        if (ContainsWholeWord(UpperCase(KeyFields), UpperCase(field->FieldName()))) sheet->AddColumn(field);
    }
    for (int i = 0; i < body->FieldCount(); ++i)
        if (body->Fields()->Fields(i)->Visible()) sheet->AddColumn(body->Fields()->Fields(i));

    bool result = true;
    {
        TDataSetGuard heads(head, TDataSetGuard::dgControls | TDataSetGuard::dgPosition);
        TDataSetGuard lines(body, TDataSetGuard::dgControls | TDataSetGuard::dgPosition);
        FetchAll(head);
        std::unique_ptr<TExportStatus> status = MakeExportStatus();
        if (status)
            status->ShowStatus(LangText("TdmSingle", "sConvertStat", "查询结果转 Excel 文件进度"), 0,
                               head->RecordCount());
        int total = 0;
        for (head->First(); !head->Eof(); head->Next())
            total += body->RecordCount();
        if (total > MaxExportRows)
            warn(ui("记录数超出" + IntToStr(MaxExportRows) + "条(共：" + IntToStr(total) +
                    "条),系统将只输出前" + IntToStr(MaxExportRows) + "条记录！"));
        try {
            sheet->WriteHeader();
            int row = 1;
            for (head->First(); !head->Eof() && row <= MaxExportRows; head->Next()) {
                for (body->First(); !body->Eof() && row <= MaxExportRows; body->Next(), ++row)
                    sheet->WriteRow(row);
                if (status) status->StepIt();
            }
            if (filter) {
                filter->StorePage();
                filter->CloseStream();
            }
        } catch (const Exception& e) {
            WriteAlertLog(Broker ? Broker->ProgramID : AnsiString(), "DoubleCD-Export:" + e.Message(), 'D');
            result = false;
        }
        if (status) status->CloseStatus();
    }
    if (!throughExcel) {
        filter.reset();
        if (!result) {
            warn(ui("保存为---->  " + path + " 失败!"));
            return false;
        }
        if (view && view->ViewMessage(ui("转出文档: \r" + path + "\r\r" + "是否打开文档?"), mtConfirmation,
                                      {mbYes, mbNo}) == mrYes) {
            TShellExecuteInfo info;
            info.Verb = "OPEN";
            info.File = path;
            ShellExecuteEx(info);
        }
        return true;
    }
    if (!DirectoryExists(folder) && !ForceDirectories(folder)) {
        warn(Format(LangText("TdmSingle", "sCreateDirError", "创建目录%s失败!"), {folder}));
        OLEExcel1->SetConnected(false);
        return false;
    }
    try {
        OLEExcel1->SaveAs(path);
    } catch (const Exception&) {
        warn(Format(LangText("TdmSingle", "sSaveAsError", "保存为----> %s 失败!"), {path}));
        OLEExcel1->SetConnected(false);
        return false;
    }
    if (view && view->ViewMessage(
                    Format(LangText("TdmSingle", "sOpenDoc", "转出文档: \r%s\r\r是否打开文档?"), {path}),
                    mtConfirmation, {mbYes, mbNo}) == mrYes)
        OLEExcel1->SetVisible(true);
    else
        OLEExcel1->SetConnected(false);
    return result;
}
