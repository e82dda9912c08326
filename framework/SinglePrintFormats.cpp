#include "framework/SinglePrintFormats.h"

#include "foundation/UserDefINI.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "foundation/AlertLog.h"
#include "foundation/libstrs.h"
#include "framework/SingleCF.h"
#include "framework/SingleServices.h"

using namespace single_services;

AnsiString TSinglePrintFormats::GetLinkKeyValue() {
    TdmSingle* module = F.SingleModule();
    if (!module || !module->cdsMain->Active()) return AnsiString();
    AnsiString name = F.FormatKeyField;
    if (name.empty()) name = Trim(GetToken(module->KeyFields, ",", 1));
    TField* field = name.empty() ? nullptr : module->cdsMain->FindField(name);
    return field ? field->AsString() : AnsiString();
}

void TSinglePrintFormats::LoadVoucherFormats(TMenuItem* menu, bool force) {
    if (!menu) return;
    const AnsiString program = UpperCase(F.PrintProgram);
    if (force || menu->Count() == 0) {
        menu->Clear();
        Variant answer;
        try {
            // The print program is the catalogue's, never typed: still quoted as a literal.
            AnsiString pattern = QuotedStr("%" + program + "%");
            F.Broker->CallCounter("SimpleSql",
                                  VarArrayOf({"select NT001,NT002 from WARRANT where UPPER(NT001) like " +
                                                  pattern + " order by NT002",
                                              "NT002"}),
                                  answer);
        } catch (const Exception& e) {
            WriteAlertLog(F.Broker->ProgramID, "Single-Voucher:" + e.Message(), 'D');
        }
        const std::vector<Variant> rows = VarArrayItems(answer);
        for (size_t i = 0; i < rows.size(); ++i) {
            auto* item = new TMenuItem(&F);
            item->SetName(menu->Name() + IntToStr(static_cast<int>(i)));
            Variant caption;
            F.ConvertUiText(VarArrayItemText(rows[i], 0), caption);
            item->SetCaption(VarToStr(caption));
            item->SetRadioItem(true);
            item->SetOnClick(TNotifyEvent(&F, &TfrmSingle::MenuItemVoucherFormatClick));
            menu->Add(item);
        }
        if (rows.empty()) {
            auto* item = new TMenuItem(&F);
            Variant caption;
            F.ConvertUiText(AnsiString("<无格式>"), caption);
            item->SetCaption(VarToStr(caption));
            item->SetEnabled(false);
            menu->Add(item);
        }
    }
    TUserDefIni formats;
    const AnsiString stored = formats.GetFormat(program, F.GetLinkKeyValue());
    for (int i = 0; i < menu->Count(); ++i)
        menu->Items(i)->SetChecked(!SameText(stored, UserDefNoFormat) && menu->Items(i)->Caption() == stored);
}

void TfrmSingle::MenuItem1Click(TObject*) {
    LoadVoucherFormats(miVoucherFormats, false);
}

void TfrmSingle::popPrintPopup(TObject*) {
    LoadVoucherFormats(miVoucherFormatsPrint, false);
}

void TSinglePrintFormats::MenuItemVoucherFormatClick(TObject* sender) {
    auto* item = dynamic_cast<TMenuItem*>(sender);
    if (!item) return;
    const bool marked = item->Checked();
    AnsiString question;
    if (!marked) {
        AnsiString text = "将格式[%s]设为本机默认格式?";
        F.GetLangString("TfrmSingle", "sSetDefaultFormat", text, true, text);
        question = Format(text, {item->Caption()});
    } else {
        question = "是否要取消本机默认格式?";
        F.GetLangString("TfrmSingle", "sCancelDefaultFormat", question, true, question);
    }
    if (F.Broker->Say("W", "100079", {question}) != mrOk) return;
    item->SetChecked(!marked);
    bool stored = false;
    try {
        TUserDefIni formats;
        stored = formats.SetFormat(UpperCase(F.PrintProgram), F.GetLinkKeyValue(),
                                   marked ? AnsiString(UserDefNoFormat) : item->Caption());
    } catch (const Exception& e) {
        WriteAlertLog(F.Broker->ProgramID, "Single-Voucher:" + e.Message(), 'D');
    }
    if (!stored) {
        item->SetChecked(marked);
        AnsiString text = "更新失败!";
        F.GetLangString("TfrmSingle", "sUpdError", text, true, text);
        F.Broker->Say("E", "000032", {text});
    }
}
