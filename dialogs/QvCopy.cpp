#include "dialogs/QvCopy.h"

#include <algorithm>
#include <memory>

#include "classlib/objects/formloader.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "foundation/libstrs.h"

KVR_PUBLISHED(TfrmCopy, c) {
    c.Field("PageControl1", &TfrmCopy::PageControl1);
    c.Field("tbsSource", &TfrmCopy::tbsSource);
    c.Field("tbsDest", &TfrmCopy::tbsDest);
    c.Field("BBOK", &TfrmCopy::BBOK);
    c.Field("BBCancel", &TfrmCopy::BBCancel);
    c.Field("BBPrior", &TfrmCopy::BBPrior);
    c.Method("FormCreate", &TfrmCopy::FormCreate);
    c.Method("FormKeyDown", &TfrmCopy::FormKeyDown);
    c.Method("FormKeyPress", &TfrmCopy::FormKeyPress);
    c.Method("BBOKClick", &TfrmCopy::BBOKClick);
    c.Method("FormCloseQuery", &TfrmCopy::FormCloseQuery);
}

KVR_MESSAGE_MAP(TfrmCopy, m) {
    m.Handle(WM_F2LOOKUP, &TfrmCopy::WMKeyF2);
}

KVR_FORM_RESOURCE(TfrmCopy, R"(inherited frmCopy: TfrmCopy
  BorderStyle = bsDialog
  Caption = '复制'
  ClientHeight = 341
  ClientWidth = 507
  KeyPreview = True
  Position = poScreenCenter
  OnCloseQuery = FormCloseQuery
  OnCreate = FormCreate
  OnKeyDown = FormKeyDown
  OnKeyPress = FormKeyPress
  object PageControl1: TPageControl
    Align = alClient
    object tbsSource: TTabSheet
      Caption = 'tbsSource'
      TabVisible = False
      object grpSource: TGroupBox
        Left = 8
        Top = 4
        Width = 483
        Height = 280
        Caption = '来源'
        object lblSource1: TLabel
          Left = 24
          Top = 28
          Caption = 'lblSource1'
        end
        object edSource1: TEdit
          Left = 140
          Top = 24
          Width = 180
          Height = 21
          Color = 13158400
          TabOrder = 0
        end
        object lblSource2: TLabel
          Left = 24
          Top = 58
          Caption = 'lblSource2'
          Visible = False
        end
        object edSource2: TEdit
          Left = 140
          Top = 54
          Width = 180
          Height = 21
          Color = 13158400
          TabOrder = 1
          Visible = False
        end
        object lblSource3: TLabel
          Left = 24
          Top = 88
          Caption = 'lblSource3'
          Visible = False
        end
        object edSource3: TEdit
          Left = 140
          Top = 84
          Width = 180
          Height = 21
          Color = 13158400
          TabOrder = 2
          Visible = False
        end
        object lblSource4: TLabel
          Left = 24
          Top = 118
          Caption = 'lblSource4'
          Visible = False
        end
        object edSource4: TEdit
          Left = 140
          Top = 114
          Width = 180
          Height = 21
          Color = 13158400
          TabOrder = 3
          Visible = False
        end
        object lblSource5: TLabel
          Left = 24
          Top = 148
          Caption = 'lblSource5'
          Visible = False
        end
        object edSource5: TEdit
          Left = 140
          Top = 144
          Width = 180
          Height = 21
          Color = 13158400
          TabOrder = 4
          Visible = False
        end
        object lblSource6: TLabel
          Left = 24
          Top = 178
          Caption = 'lblSource6'
          Visible = False
        end
        object edSource6: TEdit
          Left = 140
          Top = 174
          Width = 180
          Height = 21
          Color = 13158400
          TabOrder = 5
          Visible = False
        end
        object lblSource7: TLabel
          Left = 24
          Top = 208
          Caption = 'lblSource7'
          Visible = False
        end
        object edSource7: TEdit
          Left = 140
          Top = 204
          Width = 180
          Height = 21
          Color = 13158400
          TabOrder = 6
          Visible = False
        end
        object lblSource8: TLabel
          Left = 24
          Top = 238
          Caption = 'lblSource8'
          Visible = False
        end
        object edSource8: TEdit
          Left = 140
          Top = 234
          Width = 180
          Height = 21
          Color = 13158400
          TabOrder = 7
          Visible = False
        end
      end
    end
    object tbsDest: TTabSheet
      Caption = 'tbsDest'
      TabVisible = False
      object grpDest: TGroupBox
        Left = 8
        Top = 4
        Width = 483
        Height = 280
        Caption = '目的'
        object lblDest1: TLabel
          Left = 24
          Top = 28
          Caption = 'lblDest1'
          Visible = False
        end
        object edDest1: TDBEdit
          Left = 140
          Top = 24
          Width = 180
          Height = 21
          Color = 13158400
          TabOrder = 0
          Visible = False
        end
        object btnDest1: TF2Button
          Left = 322
          Top = 24
          Width = 21
          Height = 21
          F2Control = edDest1
          GlyphIndex = 8
          Visible = False
        end
        object lblDest2: TLabel
          Left = 24
          Top = 58
          Caption = 'lblDest2'
          Visible = False
        end
        object edDest2: TDBEdit
          Left = 140
          Top = 54
          Width = 180
          Height = 21
          Color = 13158400
          TabOrder = 1
          Visible = False
        end
        object btnDest2: TF2Button
          Left = 322
          Top = 54
          Width = 21
          Height = 21
          F2Control = edDest2
          GlyphIndex = 8
          Visible = False
        end
        object lblDest3: TLabel
          Left = 24
          Top = 88
          Caption = 'lblDest3'
          Visible = False
        end
        object edDest3: TDBEdit
          Left = 140
          Top = 84
          Width = 180
          Height = 21
          Color = 13158400
          TabOrder = 2
          Visible = False
        end
        object btnDest3: TF2Button
          Left = 322
          Top = 84
          Width = 21
          Height = 21
          F2Control = edDest3
          GlyphIndex = 8
          Visible = False
        end
        object lblDest4: TLabel
          Left = 24
          Top = 118
          Caption = 'lblDest4'
          Visible = False
        end
        object edDest4: TDBEdit
          Left = 140
          Top = 114
          Width = 180
          Height = 21
          Color = 13158400
          TabOrder = 3
          Visible = False
        end
        object btnDest4: TF2Button
          Left = 322
          Top = 114
          Width = 21
          Height = 21
          F2Control = edDest4
          GlyphIndex = 8
          Visible = False
        end
        object lblDest5: TLabel
          Left = 24
          Top = 148
          Caption = 'lblDest5'
          Visible = False
        end
        object edDest5: TDBEdit
          Left = 140
          Top = 144
          Width = 180
          Height = 21
          Color = 13158400
          TabOrder = 4
          Visible = False
        end
        object btnDest5: TF2Button
          Left = 322
          Top = 144
          Width = 21
          Height = 21
          F2Control = edDest5
          GlyphIndex = 8
          Visible = False
        end
        object lblDest6: TLabel
          Left = 24
          Top = 178
          Caption = 'lblDest6'
          Visible = False
        end
        object edDest6: TDBEdit
          Left = 140
          Top = 174
          Width = 180
          Height = 21
          Color = 13158400
          TabOrder = 5
          Visible = False
        end
        object btnDest6: TF2Button
          Left = 322
          Top = 174
          Width = 21
          Height = 21
          F2Control = edDest6
          GlyphIndex = 8
          Visible = False
        end
        object lblDest7: TLabel
          Left = 24
          Top = 208
          Caption = 'lblDest7'
          Visible = False
        end
        object edDest7: TDBEdit
          Left = 140
          Top = 204
          Width = 180
          Height = 21
          Color = 13158400
          TabOrder = 6
          Visible = False
        end
        object btnDest7: TF2Button
          Left = 322
          Top = 204
          Width = 21
          Height = 21
          F2Control = edDest7
          GlyphIndex = 8
          Visible = False
        end
        object lblDest8: TLabel
          Left = 24
          Top = 238
          Caption = 'lblDest8'
          Visible = False
        end
        object edDest8: TDBEdit
          Left = 140
          Top = 234
          Width = 180
          Height = 21
          Color = 13158400
          TabOrder = 7
          Visible = False
        end
        object btnDest8: TF2Button
          Left = 322
          Top = 234
          Width = 21
          Height = 21
          F2Control = edDest8
          GlyphIndex = 8
          Visible = False
        end
      end
    end
  end
  object pnlBottom: TPanel
    Align = alBottom
    Height = 41
    object BBPrior: TButton
      Left = 232
      Top = 8
      Width = 85
      Caption = '上一步(&P)'
      Visible = False
    end
    object BBOK: TButton
      Left = 322
      Top = 8
      Width = 85
      Caption = '下一步(&N)'
      Default = True
      OnClick = BBOKClick
    end
    object BBCancel: TButton
      Left = 412
      Top = 8
      Width = 85
      Cancel = True
      Caption = '取消(&C)'
      ModalResult = 2
    end
  end
end
)");

TfrmCopy::TfrmCopy(TComponent* owner, bool load) : TQVForm(owner, false) {
    if (load) InitInheritedComponent(this);
}

TComponent* TfrmCopy::Numbered(const char* prefix, int i) const {
    return i >= 1 && i <= MaxKeys ? FindComponent(prefix + IntToStr(i)) : nullptr;
}
TLabel* TfrmCopy::SourceLabel(int i) const {
    return dynamic_cast<TLabel*>(Numbered("lblSource", i));
}
TEdit* TfrmCopy::SourceEdit(int i) const {
    return dynamic_cast<TEdit*>(Numbered("edSource", i));
}
TLabel* TfrmCopy::DestLabel(int i) const {
    return dynamic_cast<TLabel*>(Numbered("lblDest", i));
}
TDBEdit* TfrmCopy::DestEdit(int i) const {
    return dynamic_cast<TDBEdit*>(Numbered("edDest", i));
}
TF2Button* TfrmCopy::DestButton(int i) const {
    return dynamic_cast<TF2Button*>(Numbered("btnDest", i));
}

AnsiString TfrmCopy::ToUI(const AnsiString& text) const {
    return QvConverter ? VarToStr(QvConverter->DBToUI(text)) : text;
}

AnsiString TfrmCopy::ToDB(const AnsiString& text) const {
    return QvConverter ? VarToStr(QvConverter->UIToDB(text)) : text;
}

void TfrmCopy::SayEmpty(int i) {
    const AnsiString label = DestLabel(i) ? DestLabel(i)->Caption() : AnsiString();
    const AnsiString text = label + " 不可空白 !";
    ShowMessageDlg(QvConverter ? VarToStr(QvConverter->ProgramToUI(text)) : text, mtError, {mbOK});
}

void TfrmCopy::FormCreate(TObject* sender) {
    TQVForm::FormCreate(sender);
    if (PageControl1 && tbsSource) PageControl1->SetActivePage(tbsSource);
}

bool TfrmCopy::SetUp(TDataSet* dataSet, TDataSource* dataSource, const AnsiString& fieldList) {
    const int count = std::min(GetTokenCount(fieldList, ","), MaxKeys);
    for (int i = 1; i <= count; ++i) {
        const AnsiString name = Trim(GetToken(fieldList, ",", i));
        TDBEdit* dest = DestEdit(i);
        TField* field = dataSet ? dataSet->FindField(name) : nullptr;
        // Bound only to a field that is there: the edit's link refuses any other.
        if (!field) {
            MessageDlg("Error happend in QvCopy", mtError, {mbOK}, 0);
            return false;
        }
        dest->SetDataSource(dataSource);
        dest->SetDataField(name);
        SourceLabel(i)->SetCaption(field->DisplayLabel());
        DestLabel(i)->SetCaption(field->DisplayLabel());
        SourceEdit(i)->SetText(ToUI(field->AsString()));
        SourceLabel(i)->SetVisible(true);
        SourceEdit(i)->SetVisible(true);
        DestLabel(i)->SetVisible(true);
        dest->SetVisible(true);
        DestButton(i)->SetVisible(i == 1 || i != count);
    }
    return true;
}

void TfrmCopy::BBOKClick(TObject*) {
    if (!PageControl1 || PageControl1->ActivePage() != tbsSource) return;
    std::vector<Variant> collected;
    for (int i = 1; i <= MaxKeys; ++i) {
        TEdit* edit = SourceEdit(i);
        if (!edit || !edit->Visible()) continue;
        if (Trim(edit->Text()).empty()) {
            SayEmpty(i);
            if (edit->CanFocus()) edit->SetFocus();
            collected.clear();
            break;
        }
        collected.push_back(Variant(edit->Text()));
    }
    auto* source = dynamic_cast<TCopySource*>(Owner());
    const Variant keys = collected.empty() ? Variant() : VarArrayOf(collected);
    if (!source || !source->ReadCopySource(keys, CopyResult1, CopyResult2, CopyResult3)) return;
    const int next = PageControl1->ActivePageIndex() + 1;
    if (next >= PageControl1->PageCount()) return;
    PageControl1->SetActivePageIndex(next);
    if (PageControl1->ActivePage() == tbsDest) {
        BBOK->SetModalResult(mrOk);
        if (DestEdit(1) && DestEdit(1)->CanFocus()) DestEdit(1)->SetFocus();
    }
}

void TfrmCopy::FormCloseQuery(TObject*, bool& canClose) {
    if (ModalResult() != mrOk) return;
    SourceValues.clear();
    DestValues.clear();
    for (int i = 1; i <= MaxKeys; ++i) {
        TEdit* source = SourceEdit(i);
        TDBEdit* dest = DestEdit(i);
        if (!source || !dest || !source->Visible() || !dest->Visible()) continue;
        if (!AllowEmpty && (Trim(source->Text()).empty() || Trim(dest->Text()).empty())) {
            SayEmpty(i);
            if (dest->CanFocus()) dest->SetFocus();
            canClose = false;
            return;
        }
        SourceValues.push_back(Variant(ToDB(source->Text())));
        DestValues.push_back(Variant(ToDB(dest->Text())));
    }
}

void TfrmCopy::FormKeyDown(TObject*, Word& key, TShiftState) {
    if (key == VK_UP || key == VK_DOWN) {
        SendMessage(Handle(), WM_NEXTDLGCTL, key == VK_UP ? 1 : 0, 0);
        key = 0;
    } else if (key == VK_F2) {
        if (TfrmRadical* owner = OwnerForm()) owner->DoF2Key(key, ActiveControl());
    }
}

void TfrmCopy::FormKeyPress(TObject*, char& key) {
    if (key != '\r') return;
    key = 0;
    SendMessage(Handle(), WM_NEXTDLGCTL, 0, 0);
}

void TfrmCopy::WMKeyF2(TMessage& message) {
    Word key = VK_F2;
    if (TfrmRadical* owner = OwnerForm()) owner->DoF2Key(key, reinterpret_cast<TWinControl*>(message.LParam));
}

bool ShowCopyDialog(TfrmRadical* owner, TDataSet* dataSet, TDataSource* dataSource, Byte kind,
                    Variant& result1, Variant& result2, Variant& result3, const AnsiString& fieldList) {
    std::unique_ptr<TfrmCopy> dialog(new TfrmCopy(owner));
    if (dialog->WindowState() == wsMinimized) dialog->SetWindowState(wsNormal);
    dialog->SetBorderStyle(bsDialog);
    dialog->AllowEmpty = kind;
    if (owner && owner->QvConverter) owner->QvConverter->ConvertForm(dialog.get());
    dialog->SetUp(dataSet, dataSource, fieldList);
    if (dialog->ShowModal() != mrOk) return false;
    result1 = dialog->CopyResult2;
    result2 = dialog->CopyResult3;
    result3 = dialog->CopyResult1;
    return true;
}
