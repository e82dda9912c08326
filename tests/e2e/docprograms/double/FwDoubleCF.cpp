#include "tests/e2e/docprograms/double/FwDoubleCF.h"

#include <memory>

#include "classlib/objects/formloader.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "framework/KnlBase.h"

KVR_PUBLISHED(TfrmFwDouble, c) {
    c.Field("edLinesOption", &TfrmFwDouble::edLinesOption);
    c.Field("lblProbe", &TfrmFwDouble::lblProbe);
    c.Method("FormCreate", &TfrmFwDouble::FormCreate);
    c.Method("edLinesOptionExit", &TfrmFwDouble::edLinesOptionExit);
    c.Method("btnOtherClick", &TfrmFwDouble::btnOtherClick);
    c.Method("btnProbeClick", &TfrmFwDouble::btnProbeClick);
    c.Field("edProbeKey", &TfrmFwDouble::edProbeKey);
    c.Method("btnProbeKeyClick", &TfrmFwDouble::btnProbeKeyClick);
}

KVR_FORM_RESOURCE(TfrmFwDouble, R"(inherited frmFwDouble: TfrmFwDouble
  Left = 200
  Top = 120
  Width = 640
  Height = 480
  Caption = 'frmFwDouble'
  inherited pgHead: TExtPageControl
    inherited tbsHead1: TTabSheet
      object edDH001: TDBEdit
        Left = 80
        Top = 10
        Width = 60
        Height = 21
        DataField = 'DH001'
        DataSource = dmFwDouble.dsMain
        TabOrder = 0
      end
      object edDH002: TDBEdit
        Left = 220
        Top = 10
        Width = 120
        Height = 21
        DataField = 'DH002'
        DataSource = dmFwDouble.dsMain
        TabOrder = 1
      end
      object edDH003: TDBEdit
        Left = 80
        Top = 40
        Width = 90
        Height = 21
        DataField = 'DH003'
        DataSource = dmFwDouble.dsMain
        TabOrder = 2
      end
      object edDH004: TDBEdit
        Left = 220
        Top = 40
        Width = 200
        Height = 21
        DataField = 'DH004'
        DataSource = dmFwDouble.dsMain
        TabOrder = 3
      end
      object edDH005: TDBEdit
        Left = 80
        Top = 70
        Width = 100
        Height = 21
        DataField = 'DH005'
        DataSource = dmFwDouble.dsMain
        ReadOnly = True
        TabStop = False
        TabOrder = 4
      end
    end
  end
  object pnlProbe: TPanel
    Align = alBottom
    Height = 25
    object edLinesOption: TEdit
      Left = 4
      Top = 2
      Width = 30
      Height = 21
      TabStop = False
      OnExit = edLinesOptionExit
    end
    object btnOther: TButton
      Left = 40
      Top = 0
      Width = 90
      Height = 25
      Caption = '他人修改'
      TabStop = False
      OnClick = btnOtherClick
    end
    object btnProbe: TButton
      Left = 140
      Top = 0
      Width = 90
      Height = 25
      Caption = '读回'
      TabStop = False
      OnClick = btnProbeClick
    end
    object lblProbe: TLabel
      Left = 240
      Top = 4
      Caption = ''
    end
  end
  object pnlProbeKey: TPanel
    Align = alBottom
    Height = 25
    object edProbeKey: TEdit
      Left = 4
      Top = 2
      Width = 120
      Height = 21
      TabStop = False
    end
    object btnProbeKey: TButton
      Left = 130
      Top = 0
      Width = 90
      Height = 25
      Caption = '读回单据'
      TabStop = False
      OnClick = btnProbeKeyClick
    end
  end
end
)");

TfrmFwDouble::TfrmFwDouble(TComponent* owner, bool load) : TfrmDouble(owner, false) {
    if (load) InitInheritedComponent(this);
}

TClass TfrmFwDouble::DataModuleClass() {
    return TdmFwDouble::StaticClass();
}

void TfrmFwDouble::FormCreate(TObject* sender) {
    CreateDataModule();
    TfrmDouble::FormCreate(sender);
    RequiredFields = "cdsMain:DH001,DH002,DH003;cdsBody1:DL004";
    LineSummaryList = "DL003,DL004";
    VersionText = "1.00.00";
}

void TfrmFwDouble::edLinesOptionExit(TObject*) {
    LinesOption = static_cast<Byte>(StrToIntDef(Trim(edLinesOption->Text()), LinesOption));
}

AnsiString TfrmFwDouble::CurrentKeyCondition() const {
    TClientDataSet* main = Module()->cdsMain;
    return "FWDHD.DH001 = " + QuotedStr(Trim(main->FieldByName("DH001")->AsString())) +
           " and FWDHD.DH002 = " + QuotedStr(Trim(main->FieldByName("DH002")->AsString()));
}

// Another user, through a data set of their own, changes the document's text and saves it.
void TfrmFwDouble::btnOtherClick(TObject*) {
    auto other = std::make_unique<TClientDataSet>(nullptr);
    other->SetRemoteServer(Module()->MIDAS);
    other->SetProviderName("pvdMain");
    other->SetPacketRecords(-1);
    ReopenWithCondition(other.get(), CurrentKeyCondition(), AnsiString());
    if (other->IsEmpty()) return;
    other->Edit();
    other->FieldByName("DH004")->SetAsString(Trim(other->FieldByName("DH004")->AsString()) + "*");
    other->Post();
    other->ApplyUpdates(0);
}

// The current document as the server holds it: "headers lines keyed flagged text".
void TfrmFwDouble::btnProbeClick(TObject*) {
    Probe(CurrentKeyCondition());
}

void TfrmFwDouble::UpdateCopyCommand() {
    TfrmDouble::UpdateCopyCommand();
    if (mnuCopy) mnuCopy->SetVisible(true);
}

void TfrmFwDouble::btnProbeKeyClick(TObject*) {
    const AnsiString text = Trim(edProbeKey->Text());
    const std::size_t blank = text.find(' ');
    if (blank == AnsiString::npos) return;
    Probe("FWDHD.DH001 = " + QuotedStr(text.substr(0, blank)) +
          " and FWDHD.DH002 = " + QuotedStr(Trim(text.substr(blank + 1))));
}

void TfrmFwDouble::Probe(const AnsiString& condition) {
    auto probe = std::make_unique<TClientDataSet>(nullptr);
    probe->SetRemoteServer(Module()->MIDAS);
    probe->SetProviderName("pvdMain");
    probe->SetPacketRecords(-1);
    ReopenWithCondition(probe.get(), condition, AnsiString());
    auto body = std::make_unique<TClientDataSet>(nullptr);
    body->SetDataSetField(dynamic_cast<TDataSetField*>(probe->FindField("qryBody")));
    body->Open();
    int heads = 0, lines = 0, keyed = 0, flagged = 0;
    AnsiString text;
    for (probe->First(); !probe->Eof(); probe->Next()) {
        ++heads;
        text = Trim(probe->FieldByName("DH004")->AsString());
        for (body->First(); !body->Eof(); body->Next()) {
            ++lines;
            if (body->FieldByName("DL001")->AsString() == probe->FieldByName("DH001")->AsString() &&
                body->FieldByName("DL002")->AsString() == probe->FieldByName("DH002")->AsString())
                ++keyed;
            if (body->FieldByName("FLAG")->AsInteger() == 1) ++flagged;
        }
    }
    lblProbe->SetCaption(IntToStr(heads) + " " + IntToStr(lines) + " " + IntToStr(keyed) + " " +
                         IntToStr(flagged) + " " + text);
}
