#include "classlib/controls/dialogs_files.h"

#include <memory>

#include "classlib/controls/button.h"
#include "classlib/controls/dialogs.h"
#include "classlib/controls/stdctrls.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/strutils.h"

TOpenDialog::TOpenDialog(TComponent* owner) : TComponent(owner) {}

bool TOpenDialog::AcceptName(const AnsiString& fileName) {
    if (FOptions.Contains(ofFileMustExist) && !FileExists(fileName)) {
        MessageDlg(fileName + "\r\nFile not found.", mtWarning, TMsgDlgButtons{mbOK}, 0);
        return false;
    }
    return true;
}

bool TSaveDialog::AcceptName(const AnsiString& fileName) {
    if (Options().Contains(ofOverwritePrompt) && FileExists(fileName))
        return MessageDlg(fileName + " already exists.\r\nDo you want to replace it?", mtWarning,
                          TMsgDlgButtons{mbYes, mbNo}, 0) == mrYes;
    return TOpenDialog::AcceptName(fileName);
}

bool TOpenDialog::Execute() {
    std::unique_ptr<TForm> form(new TForm(nullptr));
    form->SetName(DialogName());
    form->SetCaption(FTitle.empty() ? AnsiString(DialogName() == "SaveDialog" ? "Save As" : "Open") : FTitle);
    form->SetBorderStyle(bsDialog);
    form->SetClientWidth(360);
    form->SetClientHeight(80);
    auto* edit = new TEdit(form.get());
    edit->SetName("FileName");
    edit->SetParent(form.get());
    edit->SetBounds(8, 8, 344, 21);
    edit->SetText(FFileName);
    auto* ok = new TButton(form.get());
    ok->SetName("OK");
    ok->SetParent(form.get());
    ok->SetCaption("OK");
    ok->SetModalResult(mrOk);
    ok->SetDefault(true);
    ok->SetBounds(196, 44, 75, 25);
    auto* cancel = new TButton(form.get());
    cancel->SetName("Cancel");
    cancel->SetParent(form.get());
    cancel->SetCaption("Cancel");
    cancel->SetModalResult(mrCancel);
    cancel->SetCancel(true);
    cancel->SetBounds(277, 44, 75, 25);
    for (;;) {
        form->SetActiveControl(edit);
        if (form->ShowModal() != mrOk) return false;
        AnsiString name = Trim(edit->Text());
        if (name.empty()) continue;
        if (!FDefaultExt.empty() && ExtractFileExt(name).empty())
            name += (FDefaultExt[0] == '.' ? "" : ".") + FDefaultExt;
        if (!AcceptName(name)) continue;
        FFileName = name;
        return true;
    }
}

KVR_PUBLISHED(TOpenDialog, c) {
    c.Property("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt);
    c.Property("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName);
    c.Property("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter);
    c.Property("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex).Default(1);
    c.Property("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir);
    c.Property("Options", &TOpenDialog::Options, &TOpenDialog::SetOptions);
    c.Property("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle);
}
KVR_PUBLISHED(TSaveDialog, c) {
    (void)c;
}
