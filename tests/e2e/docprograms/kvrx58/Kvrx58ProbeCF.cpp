#include "tests/e2e/docprograms/kvrx58/Kvrx58ProbeCF.h"

#include <memory>

#include "classlib/objects/formloader.h"
#include "classlib/rtl/strutils.h"
#include "framework/Brokers.h"
#include "framework/KnlBase.h"

KVR_PUBLISHED(TfrmKvrx58Probe, c) {
    c.Field("lblProbe", &TfrmKvrx58Probe::lblProbe);
    c.Method("btnOtherClick", &TfrmKvrx58Probe::btnOtherClick);
    c.Method("btnOtherDeleteClick", &TfrmKvrx58Probe::btnOtherDeleteClick);
    c.Method("btnProbeClick", &TfrmKvrx58Probe::btnProbeClick);
    c.Field("lblConfirmProbe", &TfrmKvrx58Probe::lblConfirmProbe);
    c.Method("btnConfirmProbeClick", &TfrmKvrx58Probe::btnConfirmProbeClick);
    c.Method("btnProbeSignOffClick", &TfrmKvrx58Probe::btnProbeSignOffClick);
    c.Method("btnSignOffTakeClick", &TfrmKvrx58Probe::btnSignOffTakeClick);
}

KVR_FORM_RESOURCE(TfrmKvrx58Probe, R"(inherited frmKvrx58Probe: TfrmKvrx58Probe
  object pnlProbe: TPanel
    Align = alBottom
    Height = 25
    object btnOther: TButton
      Left = 40
      Top = 0
      Width = 90
      Height = 25
      Caption = '他人修改'
      TabStop = False
      OnClick = btnOtherClick
    end
    object btnOtherDelete: TButton
      Left = 140
      Top = 0
      Width = 90
      Height = 25
      Caption = '他人删除'
      TabStop = False
      OnClick = btnOtherDeleteClick
    end
    object btnProbe: TButton
      Left = 240
      Top = 0
      Width = 90
      Height = 25
      Caption = '读回'
      TabStop = False
      OnClick = btnProbeClick
    end
    object btnProbeSignOff: TButton
      Left = 340
      Top = 0
      Width = 90
      Height = 25
      Caption = '读回签核'
      TabStop = False
      OnClick = btnProbeSignOffClick
    end
    object btnSignOffTake: TButton
      Left = 440
      Top = 0
      Width = 90
      Height = 25
      Caption = '签核受理'
      TabStop = False
      OnClick = btnSignOffTakeClick
    end
    object lblProbe: TLabel
      Left = 540
      Top = 4
      Caption = ''
    end
    object btnConfirmProbe: TButton
      Left = 640
      Top = 0
      Width = 90
      Height = 25
      Caption = '读回审核'
      TabStop = False
      OnClick = btnConfirmProbeClick
    end
    object lblConfirmProbe: TLabel
      Left = 740
      Top = 4
      Caption = ''
    end
  end
end
)");

namespace {

// The current document through a data set of its own on the form's connection: another client's view.
std::unique_ptr<TClientDataSet> OpenOwn(TdmKvrx58* module, const AnsiString& where) {
    auto own = std::make_unique<TClientDataSet>(nullptr);
    own->SetRemoteServer(module->MIDAS);
    own->SetProviderName("pvdMain");
    own->SetPacketRecords(-1);
    ReopenWithCondition(own.get(), where, AnsiString());
    return own;
}

} // namespace

TfrmKvrx58Probe::TfrmKvrx58Probe(TComponent* owner, bool load) : TfrmKvrx58(owner, false) {
    if (load) InitInheritedComponent(this);
}

AnsiString TfrmKvrx58Probe::CurrentKeyCondition() const {
    TClientDataSet* main = Module()->cdsMain;
    return "KVRTA.TA001 = " + QuotedStr(Trim(main->FieldByName("TA001")->AsString())) +
           " and KVRTA.TA002 = " + QuotedStr(Trim(main->FieldByName("TA002")->AsString()));
}

// Another user changes the document's L/C number and saves it.
void TfrmKvrx58Probe::btnOtherClick(TObject*) {
    auto other = OpenOwn(Module(), CurrentKeyCondition());
    if (other->IsEmpty()) return;
    other->Edit();
    other->FieldByName("TA004")->SetAsString(Trim(other->FieldByName("TA004")->AsString()) + "*");
    other->Post();
    other->ApplyUpdates(0);
}

// Another user deletes the document with its lines.
void TfrmKvrx58Probe::btnOtherDeleteClick(TObject*) {
    auto other = OpenOwn(Module(), CurrentKeyCondition());
    if (other->IsEmpty()) return;
    other->Delete();
    other->ApplyUpdates(0);
}

// The current document as the server holds it: "headers lines keyed L/C-number".
void TfrmKvrx58Probe::btnProbeClick(TObject*) {
    auto probe = OpenOwn(Module(), CurrentKeyCondition());
    auto body = std::make_unique<TClientDataSet>(nullptr);
    body->SetDataSetField(dynamic_cast<TDataSetField*>(probe->FindField("qryBody")));
    body->Open();
    int heads = 0, lines = 0, keyed = 0;
    AnsiString text = "-";
    for (probe->First(); !probe->Eof(); probe->Next()) {
        ++heads;
        text = Trim(probe->FieldByName("TA004")->AsString());
        for (body->First(); !body->Eof(); body->Next()) {
            ++lines;
            if (body->FieldByName("TB001")->AsString() == probe->FieldByName("TA001")->AsString() &&
                body->FieldByName("TB002")->AsString() == probe->FieldByName("TA002")->AsString())
                ++keyed;
        }
    }
    lblProbe->SetCaption(IntToStr(heads) + " " + IntToStr(lines) + " " + IntToStr(keyed) + " " + text);
}

// The current document's confirmation as the server holds it: "TA001-TA002 TA038/TA042/FLAG/lines' TB009
// TB008 ...", or "-" when the server has no such document.
void TfrmKvrx58Probe::btnConfirmProbeClick(TObject*) {
    auto probe = OpenOwn(Module(), CurrentKeyCondition());
    auto body = std::make_unique<TClientDataSet>(nullptr);
    body->SetDataSetField(dynamic_cast<TDataSetField*>(probe->FindField("qryBody")));
    body->Open();
    AnsiString text = "-";
    if (!probe->IsEmpty()) {
        AnsiString codes, shares;
        for (body->First(); !body->Eof(); body->Next()) {
            codes += body->FieldByName("TB009")->AsString();
            shares += " " + FloatToStr(body->FieldByName("TB008")->AsFloat());
        }
        text = Trim(probe->FieldByName("TA001")->AsString()) + "-" +
               Trim(probe->FieldByName("TA002")->AsString()) + " " + probe->FieldByName("TA038")->AsString() +
               "/" + probe->FieldByName("TA042")->AsString() + "/" + probe->FieldByName("FLAG")->AsString() +
               "/" + codes + shares + " " + Trim(probe->FieldByName("TA004")->AsString());
    }
    lblConfirmProbe->SetCaption(text);
}

// "status queued": the document's sign-off status and its jobs waiting in the queue.
void TfrmKvrx58Probe::btnProbeSignOffClick(TObject*) {
    auto probe = OpenOwn(Module(), CurrentKeyCondition());
    const AnsiString status =
        probe->IsEmpty() ? AnsiString("-") : Trim(probe->FieldByName("TA044")->AsString());
    TClientDataSet* main = Module()->cdsMain;
    const AnsiString keys =
        Trim(main->FieldByName("TA001")->AsString()) + "||" + Trim(main->FieldByName("TA002")->AsString());
    Variant rows;
    Broker->CallCounter(
        "SimpleSql",
        VarArrayOf({"SELECT COUNT(*) AS N FROM QZJOBQUE WHERE QZ002 = 'KVRX58' AND QZ006 = 'N' AND QZ003 = " +
                        QuotedStr(keys),
                    "N", Broker->Database, "N"}),
        rows);
    AnsiString queued = "0";
    if (VarIsArray(rows)) {
        Variant row = rows.GetElement({VarArrayLowBound(rows, 1)});
        queued = VarToStr(VarIsArray(row) ? row.GetElement({VarArrayLowBound(row, 1)}) : row);
    }
    lblProbe->SetCaption(status + " " + queued);
}

// The sign-off system takes the document into its flow: its status becomes "1" on the server.
void TfrmKvrx58Probe::btnSignOffTakeClick(TObject*) {
    auto other = OpenOwn(Module(), CurrentKeyCondition());
    if (other->IsEmpty()) return;
    other->Edit();
    other->FieldByName("TA044")->SetAsString("1");
    other->Post();
    other->ApplyUpdates(0);
}
