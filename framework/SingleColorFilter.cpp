// TfrmSingle's colour filter: the colour conditions of the browse grid in a menu and the colour query
// dialog, and the filter they put within the remembered condition.
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

AnsiString TfrmSingle::LoadColorXml() {
    Variant answer;
    Broker->CallCounter(
        "SimpleSql",
        VarArrayOf({"SELECT NH003 FROM $$WOQNH WHERE NH001 = " + QuotedStr(UpperCase(Broker->ProgramID)),
                    "NH003", Broker->Database, "N"}),
        answer);
    const std::vector<Variant> rows = VarArrayItems(answer);
    return rows.empty() ? AnsiString() : VarArrayItemText(rows[0], 0);
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
        THourGlass hourGlass;
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
