// A plug-in for the host's end-to-end tests: a form whose buttons ask the host's lookup-window
// service for a supplier, a date, a phrase, characters and a sum, and show the answer, so that a
// kvrhost script answers the host's own windows as a user would; one more shows the client
// configuration the host gave the process, and three call the host where no window opens (starting a
// program, help, the pager) so that a script sees the lines the host prints for them.
#include "classlib/automation/comobj.h"
#include "classlib/controls/button.h"
#include "classlib/controls/stdctrls.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/inifiles.h"
#include "classlib/rtl/registry.h"
#include "foundation/VeltraneIni.h"
#include "tests/e2e/ProbeController.h"

namespace {

class TfrmProbe : public TForm {
public:
    TfrmProbe(TComponent* owner, OleVariant host) : TForm(owner), FHost(std::move(host)) {
        SetName("frmProbe");
        SetCaption("probe");
        SetClientWidth(720);
        SetClientHeight(80);
        edtResult = new TEdit(this);
        edtResult->SetName("edtResult");
        edtResult->SetBounds(8, 8, 380, 21);
        edtResult->SetParent(this);
        struct {
            const char* Name;
            void (TfrmProbe::*Click)(TObject*);
        } buttons[] = {
            {"btnSupplier", &TfrmProbe::SupplierClick}, {"btnSuppliers", &TfrmProbe::SuppliersClick},
            {"btnDate", &TfrmProbe::DateClick},         {"btnPhrase", &TfrmProbe::PhraseClick},
            {"btnCalc", &TfrmProbe::CalcClick},         {"btnClient", &TfrmProbe::ClientClick},
            {"btnExec", &TfrmProbe::ExecClick},         {"btnHelp", &TfrmProbe::HelpClick},
            {"btnPager", &TfrmProbe::PagerClick}};
        int left = 8;
        for (const auto& b : buttons) {
            auto* button = new TButton(this);
            button->SetName(b.Name);
            button->SetBounds(left, 40, 75, 25);
            button->SetParent(this);
            button->SetOnClick(TNotifyEvent(this, b.Click));
            left += 78;
        }
    }

    TEdit* edtResult;

private:
    Variant F2() const { return VarGet(FHost, "Com_F2Window"); }

    void Suppliers(bool several) {
        Variant params = VarArrayCreate({0, 18}, varVariant);
        params.PutElement({0}, "BYVMA");
        params.PutElement({1}, "61");
        params.PutElement({2}, VarArrayOf({Variant("S000")}));
        params.PutElement({5}, "DEMO");
        params.PutElement({9}, several);
        params.PutElement({18}, "DEMO");
        const Variant rows = VarCall(F2(), "F2GetData", {params});
        AnsiString text = VarIsEmpty(rows) ? AnsiString("(none)") : AnsiString();
        if (VarIsArray(rows))
            for (int i = VarArrayLowBound(rows, 1); i <= VarArrayHighBound(rows, 1); ++i)
                text += (text.empty() ? "" : ",") + VarToStr(rows.GetElement({i}).GetElement({0}));
        edtResult->SetText(text);
    }
    void SupplierClick(TObject*) { Suppliers(false); }
    void SuppliersClick(TObject*) { Suppliers(true); }
    void DateClick(TObject*) {
        edtResult->SetText(
            VarToStr(VarCall(F2(), "ShowInputDay", {VarArrayOf({false, "20261210", "DEMO"})})));
    }
    void PhraseClick(TObject*) {
        Variant text = "";
        const int answer = VarCall(F2(), "GetPhrase2", {"DEMO", "DEMO", 0, ByRef(text)}).AsInteger();
        edtResult->SetText(answer < 0 ? AnsiString("(none)") : VarToStr(text));
    }
    void CalcClick(TObject*) {
        Variant text = "12*3.5";
        edtResult->SetText(VarToStr(VarCall(F2(), "GetCalcValue", {ByRef(text), 0})));
    }

    // Two programs started: one of the catalogue, one that is not; the answers side by side.
    void ExecClick(TObject*) {
        AnsiString text;
        for (const char* program : {"BYVX31", "ZZZX99"}) {
            Variant mode = 2, result;
            const Variant caller = VarArrayOf({"DEMO", "DEMO", program, 0});
            const int rc = VarCall(FHost, "ExecWork",
                                   {caller, Variant(" BYVMA.MA001 ='S0001'"), VarArrayOf({0, 4, Variant()}),
                                    ByRef(mode), ByRef(result)})
                               .AsInteger();
            text += (text.empty() ? "" : ",") + IntToStr(rc);
        }
        edtResult->SetText(text);
    }
    void HelpClick(TObject*) { VarCall(FHost, "CallHelp", {VarArrayOf({"KVR", "14020000"})}); }
    void PagerClick(TObject*) {
        const Variant pager = CreateOleObject("QVNPagerC.Class1");
        VarCall(pager, "ShowSendVorlan", {"DEMO", VarArrayOf({"DEMO", "KVRX58"}), "请审核", Variant()});
    }

    // "<client folder's name>|<first server>:<port>", as the module's configuration reader finds them.
    void ClientClick(TObject*) {
        TRegistry registry;
        registry.SetRootKey(HKEY_LOCAL_MACHINE);
        if (!registry.OpenKeyReadOnly(VeltraneRegistryKey)) {
            edtResult->SetText("(no key)");
            return;
        }
        const AnsiString clientPath = registry.ReadString("ClientPath");
        const TIniFile ini(IncludeTrailingBackslash(clientPath) + "VeltraneC.ini");
        edtResult->SetText(ExtractFileName(ExcludeTrailingBackslash(clientPath)) + "|" +
                           ini.ReadString("Server Information", "ComputerName", "(none)") + ":" +
                           IntToStr(ini.ReadInteger("Server Information", "ServerPort", 0)));
    }

    OleVariant FHost;
};

} // namespace

TForm* CreateProbeForm(TComponent* owner, const OleVariant& host) {
    return new TfrmProbe(owner, host);
}
