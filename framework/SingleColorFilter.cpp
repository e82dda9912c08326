#include "framework/SingleColorFilter.h"

#include "dialogs/QvColorQBE.h"
#include "framework/AppServer.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "foundation/AlertLog.h"
#include "foundation/libstrs.h"
#include "framework/SingleCF.h"
#include "framework/SingleServices.h"

using namespace single_services;

namespace {

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

AnsiString TSingleColorFilter::LoadColorXml() {
    Variant answer;
    F.Broker->CallCounter(
        "SimpleSql",
        VarArrayOf({"SELECT NH003 FROM $$WOQNH WHERE NH001 = " + QuotedStr(UpperCase(F.Broker->ProgramID)),
                    "NH003", F.Broker->Database, "N"}),
        answer);
    const std::vector<Variant> rows = VarArrayItems(answer);
    return rows.empty() ? AnsiString() : VarArrayItemText(rows[0], 0);
}

void TSingleColorFilter::CreateColorQueryForm() {
    ColorQueryForm.reset();
    TColorComponent* head = F.HeadColors ? F.HeadColors->FindComponent("gdHead", AnsiString()) : nullptr;
    if (!head) return;
    ColorQueryForm = F.MakeColorQueryDialog(head->Conditions());
}

void TSingleColorFilter::DropQueryDialog() {
    ColorQueryForm.reset();
}

void TSingleColorFilter::FillColorMenu() {
    if (!F.pmColorCondition) return;
    F.pmColorCondition->Items()->Clear();
    TColorComponent* head = F.HeadColors ? F.HeadColors->FindComponent("gdHead", AnsiString()) : nullptr;
    if (!head) return;
    F.pmColorCondition->SetOwnerDraw(true);
    for (int i = 0; i < head->Conditions()->Count(); ++i) {
        auto* item = new TMenuItem(&F);
        item->SetName("mnuColor" + IntToStr(i));
        Variant caption;
        F.ConvertUiText(head->Conditions()->Items(i)->Msg, caption);
        item->SetCaption(VarToStr(caption));
        item->SetTag(i);
        item->SetOnClick(TNotifyEvent(&F, &TfrmSingle::ColorMenuClick));
        item->SetOnDrawItem(TMenuDrawItemEvent(&F, &TfrmSingle::DrawColorMenuItem));
        F.pmColorCondition->Items()->Add(item);
    }
}

void TSingleColorFilter::DrawColorMenuItem(TObject* sender, TCanvas* canvas, TRect rect, bool selected) {
    auto* item = dynamic_cast<TMenuItem*>(sender);
    TColorComponent* head = F.HeadColors ? F.HeadColors->FindComponent("gdHead", AnsiString()) : nullptr;
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

void TSingleColorFilter::ColorMenuClick(TObject* sender) {
    auto* clicked = dynamic_cast<TMenuItem*>(sender);
    TColorComponent* head = F.HeadColors ? F.HeadColors->FindComponent("gdHead", AnsiString()) : nullptr;
    if (!clicked || !head) return;
    for (int i = 0; i < head->Conditions()->Count(); ++i)
        head->Conditions()->Items(i)->Checked = i == clicked->Tag();
    F.ApplyColorFilter();
}

void TSingleColorFilter::btnColorQueryClick(TObject*) {
    TColorComponent* head = F.HeadColors ? F.HeadColors->FindComponent("gdHead", AnsiString()) : nullptr;
    if (ColorQueryForm && head) {
        if (!ColorQueryForm->Execute(F.IsColorManage, head->Conditions())) return;
        if (!ColorQueryForm->IsColorManage()) {
            F.HeadColors->RestoreOriginalColors();
            if (F.btnColorQuery) F.btnColorQuery->SetVisible(false);
            F.IsColorManage = false;
            F.ArrangeToolBar(F.ToolBar1);
        }
    }
    F.ApplyColorFilter();
}

void TSingleColorFilter::ApplyColorFilter() {
    TdmSingle* module = F.SingleModule();
    if (!module) return;
    std::vector<AnsiString> ticked;
    if (TColorComponent* head = F.HeadColors ? F.HeadColors->FindComponent("gdHead", AnsiString()) : nullptr)
        for (int i = 0; i < head->Conditions()->Count(); ++i)
            if (head->Conditions()->Items(i)->Checked) ticked.push_back(head->Conditions()->Items(i)->Value);
    const AnsiString remembered = F.LastWhere;
    const AnsiString filter = BuildColorFilter(ticked, remembered, F.Broker->Database);
    try {
        THourGlass hourGlass;
        if (F.SQLType == 0 && F.FQueryDialog)
            TAppServer(module->AppServer).SetTopRow(F.FQueryDialog->GetTopRow());
        bool failed = false;
        try {
            F.SetQueryCondition(module->cdsMain, filter, F.LastOrder);
            // The re-query keeps its failure to the log and leaves the data set closed.
            failed = !module->cdsMain->Active();
        } catch (const Exception& e) {
            WriteAlertLog(F.Broker->ProgramID, "Single-ColorFilter:" + e.Message(), 'D');
            failed = true;
        }
        // The filter narrows what was asked for; it never replaces it.
        F.LastWhere = remembered;
        if (failed) {
            F.Broker->Say("E", "000032", {AnsiString("颜色筛选出错！！")});
            F.SetQueryCondition(module->cdsMain, remembered, F.LastOrder);
            F.LastWhere = remembered;
        }
        F.SetEditState(esBrowse);
    } catch (const Exception& e) {
        Variant shown;
        F.ConvertUiText(e.Message(), shown);
        F.ShowMessageDlg(VarToStr(shown), mtError, {mbOK});
        F.Broker->Say("W", "000001", {AnsiString()});
    }
    if (F.tbsBrowse && F.pgHead) F.pgHead->SetActivePage(F.tbsBrowse);
    if (F.gdHead && F.gdHead->CanFocus()) F.gdHead->SetFocus();
}
