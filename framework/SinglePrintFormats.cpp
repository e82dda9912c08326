// TfrmSingle's print formats: the formats of the print program in the menus, and the workstation's
// default format of a record.
#include "foundation/UserDefINI.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "foundation/AlertLog.h"
#include "foundation/libstrs.h"
#include "framework/SingleCF.h"
#include "framework/SingleServices.h"

using namespace single_services;

AnsiString TfrmSingle::GetLinkKeyValue() {
    TdmSingle* module = SingleModule();
    if (!module || !module->cdsMain->Active()) return AnsiString();
    AnsiString name = FormatKeyField;
    if (name.empty()) name = Trim(GetToken(module->KeyFields, ",", 1));
    TField* field = name.empty() ? nullptr : module->cdsMain->FindField(name);
    return field ? field->AsString() : AnsiString();
}

void TfrmSingle::LoadVoucherFormats(TMenuItem* menu, bool force) {
    if (!menu) return;
    const AnsiString program = UpperCase(PrintProgram);
    if (force || menu->Count() == 0) {
        menu->Clear();
        Variant answer;
        try {
            // The print program is the catalogue's, never typed: still quoted as a literal.
            AnsiString pattern = QuotedStr("%" + program + "%");
            Broker->CallCounter("SimpleSql",
                                VarArrayOf({"select NT001,NT002 from WARRANT where UPPER(NT001) like " +
                                                pattern + " order by NT002",
                                            "NT002"}),
                                answer);
        } catch (const Exception& e) {
            WriteAlertLog(Broker->ProgramID, "Single-Voucher:" + e.Message(), 'D');
        }
        const std::vector<Variant> rows = VarArrayItems(answer);
        for (size_t i = 0; i < rows.size(); ++i) {
            auto* item = new TMenuItem(this);
            item->SetName(menu->Name() + IntToStr(static_cast<int>(i)));
            Variant caption;
            ConvertUiText(VarArrayItemText(rows[i], 0), caption);
            item->SetCaption(VarToStr(caption));
            item->SetRadioItem(true);
            item->SetOnClick(TNotifyEvent(this, &TfrmSingle::MenuItemVoucherFormatClick));
            menu->Add(item);
        }
        if (rows.empty()) {
            auto* item = new TMenuItem(this);
            Variant caption;
            ConvertUiText(AnsiString("<无格式>"), caption);
            item->SetCaption(VarToStr(caption));
            item->SetEnabled(false);
            menu->Add(item);
        }
    }
    TUserDefIni formats;
    const AnsiString stored = formats.GetFormat(program, GetLinkKeyValue());
    for (int i = 0; i < menu->Count(); ++i)
        menu->Items(i)->SetChecked(!SameText(stored, UserDefNoFormat) && menu->Items(i)->Caption() == stored);
}

void TfrmSingle::MenuItem1Click(TObject*) {
    LoadVoucherFormats(miVoucherFormats, false);
}

void TfrmSingle::popPrintPopup(TObject*) {
    LoadVoucherFormats(miVoucherFormatsPrint, false);
}

void TfrmSingle::MenuItemVoucherFormatClick(TObject* sender) {
    auto* item = dynamic_cast<TMenuItem*>(sender);
    if (!item) return;
    const bool marked = item->Checked();
    AnsiString question;
    if (!marked) {
        AnsiString text = "将格式[%s]设为本机默认格式?";
        GetLangString("TfrmSingle", "sSetDefaultFormat", text, true, text);
        question = Format(text, {item->Caption()});
    } else {
        question = "是否要取消本机默认格式?";
        GetLangString("TfrmSingle", "sCancelDefaultFormat", question, true, question);
    }
    if (Broker->Say("W", "100079", {question}) != mrOk) return;
    item->SetChecked(!marked);
    bool stored = false;
    try {
        TUserDefIni formats;
        stored = formats.SetFormat(UpperCase(PrintProgram), GetLinkKeyValue(),
                                   marked ? AnsiString(UserDefNoFormat) : item->Caption());
    } catch (const Exception& e) {
        WriteAlertLog(Broker->ProgramID, "Single-Voucher:" + e.Message(), 'D');
    }
    if (!stored) {
        item->SetChecked(marked);
        AnsiString text = "更新失败!";
        GetLangString("TfrmSingle", "sUpdError", text, true, text);
        Broker->Say("E", "000032", {text});
    }
}
