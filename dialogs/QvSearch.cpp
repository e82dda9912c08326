#include "dialogs/QvSearch.h"

#include <algorithm>

#include "classlib/objects/formloader.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "framework/RadicalCF.h"
#include "framework/Brokers.h"

KVR_PUBLISHED(TQvUserMessages, c) {
    c.Property("SearchedTextBlank", &TQvUserMessages::SearchedTextBlank);
    c.Property("SearchedTextNotFound", &TQvUserMessages::SearchedTextNotFound);
}

KVR_PUBLISHED(TQvUserDialogInfo, c) {
    c.Property("BtnClose", &TQvUserDialogInfo::BtnClose);
    c.Property("BtnNext", &TQvUserDialogInfo::BtnNext);
    c.Property("ChkCaseSentitive", &TQvUserDialogInfo::ChkCaseSentitive);
    c.Property("ChkWholeWords", &TQvUserDialogInfo::ChkWholeWords);
    c.Property("GrpDirection", &TQvUserDialogInfo::GrpDirection);
    c.Property("GrpFields", &TQvUserDialogInfo::GrpFields);
    c.Property("GrpOptions", &TQvUserDialogInfo::GrpOptions);
    c.Property("GrpOrigin", &TQvUserDialogInfo::GrpOrigin);
    c.Property("LblSearchText", &TQvUserDialogInfo::LblSearchText);
    c.Property("RbBackward", &TQvUserDialogInfo::RbBackward);
    c.Property("RbForward", &TQvUserDialogInfo::RbForward);
    c.Property("RbFromCursor", &TQvUserDialogInfo::RbFromCursor);
    c.Property("RbFromBeginning", &TQvUserDialogInfo::RbFromBeginning);
}

KVR_PUBLISHED(TQvUserIntl, c) {}

KVR_PUBLISHED(TqvSearchDialog, c) {
    c.Property("Caption", &TqvSearchDialog::Caption);
    c.Property("CaseSensitive", &TqvSearchDialog::CaseSensitive);
    c.Property("ShowMessages", &TqvSearchDialog::ShowMessages);
    c.Property("WholeWordsOnly", &TqvSearchDialog::WholeWordsOnly);
}

KVR_PUBLISHED(TfrmSearchDlg, c) {
    c.Field("lblText", &TfrmSearchDlg::lblText);
    c.Field("cbbText", &TfrmSearchDlg::cbbText);
    c.Field("btnNext", &TfrmSearchDlg::btnNext);
    c.Field("btnClose", &TfrmSearchDlg::btnClose);
    c.Field("grpOptions", &TfrmSearchDlg::grpOptions);
    c.Field("chkCase", &TfrmSearchDlg::chkCase);
    c.Field("chkWholeWords", &TfrmSearchDlg::chkWholeWords);
    c.Field("grpFields", &TfrmSearchDlg::grpFields);
    c.Field("cbbFields", &TfrmSearchDlg::cbbFields);
    c.Field("grpDirection", &TfrmSearchDlg::grpDirection);
    c.Field("rbForward", &TfrmSearchDlg::rbForward);
    c.Field("rbBackward", &TfrmSearchDlg::rbBackward);
    c.Field("grpOrigin", &TfrmSearchDlg::grpOrigin);
    c.Field("rbCursor", &TfrmSearchDlg::rbCursor);
    c.Field("rbBeginning", &TfrmSearchDlg::rbBeginning);
    c.Method("FormCreate", &TfrmSearchDlg::FormCreate);
    c.Method("FormDestroy", &TfrmSearchDlg::FormDestroy);
    c.Method("FormShow", &TfrmSearchDlg::FormShow);
    c.Method("FormActivate", &TfrmSearchDlg::FormActivate);
    c.Method("cbbTextKeyPress", &TfrmSearchDlg::cbbTextKeyPress);
    c.Method("btnNextClick", &TfrmSearchDlg::btnNextClick);
    c.Method("btnCloseClick", &TfrmSearchDlg::btnCloseClick);
    c.Method("cbbFieldsChange", &TfrmSearchDlg::cbbFieldsChange);
    c.Method("rbBeginningClick", &TfrmSearchDlg::rbBeginningClick);
}

KVR_FORM_RESOURCE(TfrmSearchDlg, R"(object frmSearchDlg: TfrmSearchDlg
  BorderIcons = [biSystemMenu]
  BorderStyle = bsDialog
  Caption = 'Find text'
  ClientHeight = 216
  ClientWidth = 339
  FormStyle = fsStayOnTop
  KeyPreview = True
  Position = poDesktopCenter
  OnActivate = FormActivate
  OnCreate = FormCreate
  OnDestroy = FormDestroy
  OnShow = FormShow
  object lblText: TLabel
    Left = 8
    Top = 12
    Caption = '&Text to find'
  end
  object cbbText: TComboBox
    Left = 88
    Top = 8
    Width = 160
    Height = 21
    Style = csSimple
    TabOrder = 0
    OnKeyPress = cbbTextKeyPress
  end
  object btnNext: TButton
    Left = 256
    Top = 8
    Width = 75
    Height = 25
    Caption = '&Next'
    Default = True
    TabOrder = 1
    OnClick = btnNextClick
  end
  object btnClose: TButton
    Left = 256
    Top = 40
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cl&ose'
    TabOrder = 2
    OnClick = btnCloseClick
  end
  object grpOptions: TGroupBox
    Left = 8
    Top = 40
    Width = 240
    Height = 50
    Caption = 'Options'
    TabOrder = 3
    object chkCase: TQVCheckBox
      Left = 8
      Top = 16
      Caption = '&Case sentitive'
    end
    object chkWholeWords: TQVCheckBox
      Left = 120
      Top = 16
      Caption = '&Whole words only'
    end
  end
  object grpFields: TGroupBox
    Left = 8
    Top = 94
    Width = 240
    Height = 50
    Caption = '&Search Field'
    TabOrder = 4
    object cbbFields: TComboBox
      Left = 8
      Top = 18
      Width = 224
      Height = 21
      Style = csDropDownList
      OnChange = cbbFieldsChange
    end
  end
  object grpDirection: TGroupBox
    Left = 8
    Top = 150
    Width = 120
    Height = 60
    Caption = 'Direction'
    TabOrder = 5
    object rbForward: TQvRadioButton
      Left = 8
      Top = 16
      Caption = 'Forwar&d'
      Checked = True
    end
    object rbBackward: TQvRadioButton
      Left = 8
      Top = 36
      Caption = '&Backward'
    end
  end
  object grpOrigin: TGroupBox
    Left = 136
    Top = 150
    Width = 196
    Height = 60
    Caption = 'Origin'
    TabOrder = 6
    object rbCursor: TQvRadioButton
      Left = 8
      Top = 16
      Caption = '&From cursor'
      Checked = True
    end
    object rbBeginning: TQvRadioButton
      Left = 8
      Top = 36
      Caption = 'From b&eginning'
      OnClick = rbBeginningClick
    end
  end
end
)");

// ---- texts ----

TQvUserMessages::TQvUserMessages() = default;

void TQvUserMessages::Assign(TPersistent* source) {
    if (auto* other = dynamic_cast<TQvUserMessages*>(source)) {
        NotActive = other->NotActive;
        SearchedTextBlank = other->SearchedTextBlank;
        SearchedTextNotFound = other->SearchedTextNotFound;
        Editing = other->Editing;
        return;
    }
    TPersistent::Assign(source);
}

void TQvUserDialogInfo::Assign(TPersistent* source) {
    auto* other = dynamic_cast<TQvUserDialogInfo*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    BtnClose = other->BtnClose;
    BtnNext = other->BtnNext;
    ChkCaseSentitive = other->ChkCaseSentitive;
    ChkWholeWords = other->ChkWholeWords;
    GrpDirection = other->GrpDirection;
    GrpFields = other->GrpFields;
    GrpOptions = other->GrpOptions;
    GrpOrigin = other->GrpOrigin;
    LblSearchText = other->LblSearchText;
    RbBackward = other->RbBackward;
    RbForward = other->RbForward;
    RbFromCursor = other->RbFromCursor;
    RbFromBeginning = other->RbFromBeginning;
}

TQvUserIntl::TQvUserIntl(TComponent* owner)
    : TComponent(owner), FDialogFont(std::make_unique<TFont>()),
      FUserMessages(std::make_unique<TQvUserMessages>()),
      FUserDialogInfo(std::make_unique<TQvUserDialogInfo>()) {
    FDialogFont->SetName("MS Sans Serif");
    FDialogFont->SetSize(9);
}

void TQvUserIntl::Assign(TPersistent* source) {
    auto* other = dynamic_cast<TQvUserIntl*>(source);
    if (!other) {
        TComponent::Assign(source);
        return;
    }
    FDialogFont->Assign(other->DialogFont());
    FUserMessages->Assign(other->UserMessages());
    FUserDialogInfo->Assign(other->UserDialogInfo());
}

// ---- the component ----

TqvSearchDialog::TqvSearchDialog(TComponent* owner)
    : TwwCustomDialog(owner), FMessages(std::make_unique<TQvUserMessages>()) {}

TqvSearchDialog::~TqvSearchDialog() = default;

void TqvSearchDialog::Notification(TComponent* component, TOperation operation) {
    TwwCustomDialog::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == SearchGrid) SearchGrid = nullptr;
    if (component == FUserIntl) FUserIntl = nullptr;
}

TQvUserMessages* TqvSearchDialog::Messages() const {
    return FUserIntl ? FUserIntl->UserMessages() : FMessages.get();
}

TDataSet* TqvSearchDialog::GetSearchDataSet() const {
    return SearchGrid && SearchGrid->DataSource() ? SearchGrid->DataSource()->DataSet() : nullptr;
}

void TqvSearchDialog::DoInitDialog() {
    if (OnInitDialog) OnInitDialog(FForm);
}

bool TqvSearchDialog::CheckDataSetActive() {
    TDataSet* dataSet = GetSearchDataSet();
    if (!dataSet || !dataSet->Active()) throw ESearchError(Messages()->NotActive);
    // Moving the cursor would post what is being typed: the user saves or cancels first.
    if (dataSet->State() == dsEdit || dataSet->State() == dsInsert) throw ESearchError(Messages()->Editing);
    return true;
}

bool TqvSearchDialog::Execute() {
    CheckDataSetActive();
    std::unique_ptr<TfrmSearchDlg> form(new TfrmSearchDlg(Application));
    FForm = form.get();
    form->SearchDialog = this;
    form->Grid = SearchGrid;
    form->cbbText->SetText(FLastText);
    form->SetCaption(Caption);
    form->chkCase->SetCheckedValue(CaseSensitive);
    form->chkWholeWords->SetCheckedValue(WholeWordsOnly);
    (Direction == sdBackward ? form->rbBackward : form->rbForward)->SetCheckedValue(true);
    (Origin == TSearchOrigin::soFromBeginning ? form->rbBeginning : form->rbCursor)->SetCheckedValue(true);
    std::vector<std::pair<AnsiString, AnsiString>> entries;
    TDataSet* dataSet = GetSearchDataSet();
    for (int i = 0; i < dataSet->Fields()->Count(); ++i) {
        TField* field = dataSet->Fields()->Fields(i);
        if (field->Visible()) entries.push_back({field->DisplayLabel(), field->FieldName()});
    }
    if (SortFields == sfSortByFieldName)
        std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
            return CompareStr(a.first + "\t" + a.second, b.first + "\t" + b.second) < 0;
        });
    for (const auto& [label, name] : entries) {
        form->cbbFields->Items()->Add(label);
        form->FieldNames()->Add(name);
    }
    if (!entries.empty()) form->cbbFields->SetItemIndex(0);
    TModalResult result = mrNone;
    try {
        result = form->ShowModal();
    } catch (...) {
        FLastText = form->cbbText->Text();
        FForm = nullptr;
        throw;
    }
    FLastText = form->cbbText->Text();
    FForm = nullptr;
    return result == mrOk;
}

bool TqvSearchDialog::Search(const AnsiString& fieldName, const AnsiString& text, bool fromBeginning,
                             bool backward, bool wholeWords, bool caseSensitive) {
    TDataSet* dataSet = GetSearchDataSet();
    if (!dataSet || !dataSet->Active() || dataSet->State() == dsEdit || dataSet->State() == dsInsert)
        return false;
    TField* field = dataSet->FindField(fieldName);
    const AnsiString wanted = caseSensitive ? text : AnsiUpperCase(text);
    dataSet->DisableControls();
    TBookmark start = dataSet->GetBookmark();
    auto giveUp = [&] {
        dataSet->GotoBookmark(start);
        dataSet->FreeBookmark(start);
        dataSet->EnableControls();
    };
    try {
        auto step = [&] {
            if (backward)
                dataSet->Prior();
            else
                dataSet->Next();
        };
        auto atEnd = [&] { return backward ? dataSet->Bof() : dataSet->Eof(); };
        // From the cursor, the record the cursor stands on is not looked at again.
        if (!fromBeginning)
            step();
        else if (backward)
            dataSet->Last();
        else
            dataSet->First();
        const int column = field && field->Visible() ? 0 : -1;
        while (column >= 0 && !atEnd()) {
            AnsiString cell = TrimRight(field->DisplayText());
            if (!caseSensitive) cell = AnsiUpperCase(cell);
            const bool match =
                wholeWords ? cell == wanted : !wanted.empty() && cell.find(wanted) != AnsiString::npos;
            if (match) {
                dataSet->FreeBookmark(start);
                dataSet->EnableControls();
                return true;
            }
            step();
        }
    } catch (...) {
        giveUp();
        throw;
    }
    giveUp();
    return false;
}

// ---- the form ----

TfrmSearchDlg::TfrmSearchDlg(TComponent* owner, bool load)
    : TForm(owner), FFieldNames(std::make_unique<TStringList>()) {
    if (load) InitInheritedComponent(this);
}

TfrmSearchDlg::~TfrmSearchDlg() = default;

void TfrmSearchDlg::FormCreate(TObject*) {}

void TfrmSearchDlg::FormDestroy(TObject*) {}

void TfrmSearchDlg::FormShow(TObject*) {
    if (TQvUserIntl* intl = SearchDialog ? SearchDialog->UserIntl() : nullptr) {
        Font()->Assign(intl->DialogFont());
        const TQvUserDialogInfo* info = intl->UserDialogInfo();
        btnClose->SetCaption(info->BtnClose);
        btnNext->SetCaption(info->BtnNext);
        chkCase->SetCaption(info->ChkCaseSentitive);
        chkWholeWords->SetCaption(info->ChkWholeWords);
        grpDirection->SetCaption(info->GrpDirection);
        grpFields->SetCaption(info->GrpFields);
        grpOptions->SetCaption(info->GrpOptions);
        grpOrigin->SetCaption(info->GrpOrigin);
        lblText->SetCaption(info->LblSearchText);
        rbBackward->SetCaption(info->RbBackward);
        rbForward->SetCaption(info->RbForward);
        rbCursor->SetCaption(info->RbFromCursor);
        rbBeginning->SetCaption(info->RbFromBeginning);
    }
    if (SearchDialog) SearchDialog->DoInitDialog();
}

void TfrmSearchDlg::FormActivate(TObject*) {
    if (cbbText->CanFocus()) cbbText->SetFocus();
}

void TfrmSearchDlg::cbbTextKeyPress(TObject*, char& key) {
    if (key == '\r') {
        key = 0;
        btnNext->Click();
    } else if (key == 27) {
        key = 0;
        btnClose->Click();
    }
}

void TfrmSearchDlg::btnCloseClick(TObject*) {
    Close();
    if (ModalResult() == mrNone) SetModalResult(mrCancel);
}

void TfrmSearchDlg::cbbFieldsChange(TObject*) {
    const int index = cbbFields->ItemIndex();
    if (!SearchDialog || !SearchDialog->OnSelectField || index < 0 || index >= FFieldNames->Count()) return;
    SearchDialog->OnSelectField(this, FFieldNames->Strings(index), cbbFields->Items()->Strings(index));
}

void TfrmSearchDlg::rbBeginningClick(TObject*) {
    if (!rbBeginning->Checked()) rbCursor->SetCheckedValue(true);
}

void TfrmSearchDlg::btnNextClick(TObject*) {
    if (!SearchDialog) return;
    try {
        if (SearchDialog->BeforeSearch) SearchDialog->BeforeSearch(this);
    } catch (const EAbort&) {
        return;
    }
    const AnsiString text = cbbText->Text();
    TQvUserMessages* messages = SearchDialog->Messages();
    if (SearchDialog->ShowMessages && text.empty()) {
        MessageDlg(messages->SearchedTextBlank, mtError, {mbOK}, 0);
        if (cbbText->CanFocus()) cbbText->SetFocus();
        return;
    }
    SearchDialog->CheckDataSetActive();
    const int index = cbbFields->ItemIndex();
    const AnsiString field =
        index >= 0 && index < FFieldNames->Count() ? FFieldNames->Strings(index) : AnsiString();
    const bool backward = !rbForward->Checked();
    if (rbBeginning->Checked()) {
        const bool found =
            SearchDialog->Search(field, text, true, backward, chkWholeWords->Checked(), chkCase->Checked());
        rbBeginning->SetCheckedValue(false);
        rbCursor->SetCheckedValue(true);
        if (found) return;
    }
    bool found =
        SearchDialog->Search(field, text, false, backward, chkWholeWords->Checked(), chkCase->Checked());
    if (SearchDialog->AfterSearch) SearchDialog->AfterSearch(this, found);
    if (!found && SearchDialog->ShowMessages)
        MessageDlg(Format(messages->SearchedTextNotFound, {text}), mtInformation, {mbOK}, 0);
}

// ---- the base document form's quick find ----

namespace {

// The handlers of the base form's dialog, on the form's behalf.
class TBaseFormSearch : public TComponent {
    KVR_CLASS(TBaseFormSearch, TComponent)
public:
    TBaseFormSearch(TfrmRadical* form, TFont* font) : TComponent(form), FForm(form), FFont(font) {}

    void InitDialog(TObject* sender) {
        auto* dialog = dynamic_cast<TfrmSearchDlg*>(sender);
        if (!dialog) return;
        if (FFont) dialog->Font()->Assign(FFont);
        if (FForm->QvConverter) {
            dialog->SetCaption(VarToStr(FForm->QvConverter->ProgramToUI(dialog->SearchDialog->Caption)));
            for (int i = 0; i < dialog->ComponentCount(); ++i)
                if (auto* control = dynamic_cast<TControl*>(dialog->Components(i)))
                    control->SetCaption(VarToStr(FForm->QvConverter->ProgramToUI(control->Caption())));
        }
        try {
            TwwDBGrid* grid = dialog->Grid;
            if (TField* selected = grid ? grid->SelectedField() : nullptr) {
                const int index = dialog->cbbFields->Items()->IndexOf(selected->DisplayLabel());
                if (index >= 0) {
                    dialog->cbbFields->SetItemIndex(index);
                    dialog->cbbFieldsChange(dialog->cbbFields);
                }
            }
        } catch (const Exception&) {
        }
    }
    void BeforeSearch(TObject* sender) {
        auto* dialog = dynamic_cast<TfrmSearchDlg*>(sender);
        if (!dialog || !dialog->cbbText->Text().empty()) return;
        FForm->Broker->Say("E", "000032", {Converted(dialog->SearchDialog->Messages()->SearchedTextBlank)});
        Abort();
    }
    void AfterSearch(TObject* sender, bool& found) {
        auto* dialog = dynamic_cast<TfrmSearchDlg*>(sender);
        if (found || !dialog) return;
        FForm->Broker->Say("E", "000032",
                           {Format(Converted(dialog->SearchDialog->Messages()->SearchedTextNotFound),
                                   {dialog->cbbText->Text()})});
    }
    void SelectField(TObject* sender, const AnsiString& fieldName, const AnsiString&) {
        auto* dialog = dynamic_cast<TfrmSearchDlg*>(sender);
        TDataSet* dataSet =
            dialog && dialog->SearchDialog ? dialog->SearchDialog->GetSearchDataSet() : nullptr;
        if (!dataSet || !dialog->Grid) return;
        if (TField* field = dataSet->FindField(fieldName)) dialog->Grid->SetSelectedField(field);
    }

private:
    AnsiString Converted(const AnsiString& text) const {
        return FForm->QvConverter ? VarToStr(FForm->QvConverter->ProgramToUI(text)) : text;
    }
    TfrmRadical* FForm;
    TFont* FFont;
};

} // namespace

KVR_PUBLISHED(TBaseFormSearch, c) {}

void RunBaseFormQuickFind(TfrmRadical* form, TwwDBGrid* grid, TFont* dialogFont) {
    if (!form || !grid) return;
    auto* dialog = dynamic_cast<TqvSearchDialog*>(form->FindComponent("qvSearchDialog1"));
    if (!dialog) {
        dialog = new TqvSearchDialog(form);
        dialog->SetName("qvSearchDialog1");
        auto* intl = new TQvUserIntl(form);
        intl->SetName("QvUserIntl1");
        intl->DialogFont()->SetName("宋体");
        intl->DialogFont()->SetHeight(-13);
        intl->UserMessages()->SearchedTextBlank = "查找的值不可为空。";
        intl->UserMessages()->SearchedTextNotFound = "\"%s\"没有找到";
        intl->UserMessages()->Editing = "请先保存或取消正在编辑的资料。";
        TQvUserDialogInfo* info = intl->UserDialogInfo();
        info->BtnClose = "关闭(&O)";
        info->BtnNext = "下一个(&N)";
        info->ChkCaseSentitive = "区分大小写(&C)";
        info->ChkWholeWords = "全字匹配(&W)";
        info->GrpDirection = "方向";
        info->GrpFields = "字段(&S)";
        info->GrpOptions = "选项";
        info->GrpOrigin = "区域";
        info->LblSearchText = "查找的值(&T)";
        info->RbBackward = "向上(&B)";
        info->RbForward = "向下(&D)";
        info->RbFromCursor = "从当前位置查找(&F)";
        info->RbFromBeginning = "从头开始查找(&E)";
        dialog->Caption = "快速定位";
        dialog->ShowMessages = false;
        dialog->SetUserIntl(intl);
        auto* handlers = new TBaseFormSearch(form, dialogFont);
        dialog->OnInitDialog = TNotifyEvent(handlers, &TBaseFormSearch::InitDialog);
        dialog->BeforeSearch = TNotifyEvent(handlers, &TBaseFormSearch::BeforeSearch);
        dialog->AfterSearch = TQvAfterExecuteEvent(handlers, &TBaseFormSearch::AfterSearch);
        dialog->OnSelectField = TQvSelectFieldEvent(handlers, &TBaseFormSearch::SelectField);
    }
    dialog->SearchGrid = grid;
    dialog->Execute();
}
