// TfrmDouble's confirmation: void and un-void saved as an edit of the header, confirm and unconfirm
// through the suite's transaction manager, the batch over the browse grid's selected rows, and the
// stamp and command states that follow the confirm code.
#include "classlib/automation/comobj.h"
#include "classlib/controls/extctrls.h"
#include "classlib/controls/forms.h"
#include "classlib/controls/hourglass.h"
#include "classlib/graphics/bitmap.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "classlib/rtl/varview.h"
#include "dialogs/QVConfirmDate.h"
#include "foundation/AlertLog.h"
#include "foundation/LibVCLs.h"
#include "foundation/libstrs.h"
#include "framework/DoubleCF.h"
#include "framework/FormModes.h"

namespace {

constexpr const char* TransactionManagerProgID = "TransManagerC.Class1";
constexpr const char* NoConfirmDate = "There is no ConfirmDate !";

// The dialogs' confirm-date form, owned by the document form, behind the form's interface.
class TQVConfirmDateDialog : public TConfirmDateDialog {
public:
    explicit TQVConfirmDateDialog(TfrmDouble* form) : FForm(new TQVConfirmDateForm(form)) {}
    void Prepare(const AnsiString& kind, const AnsiString& dateText, const AnsiString& caption) override {
        FForm->Prepare(kind, dateText, caption);
    }
    bool Execute(AnsiString& date) override {
        if (FForm->ShowModal() != mrOk) return false;
        date = FForm->ConfirmDate;
        return true;
    }

private:
    TQVConfirmDateForm* FForm; // freed with its owner
};

// The stamps: a frame and a bar in the stamp's colour, drawn here rather than read from a file.
void PaintStamp(TBitmap* bitmap, TColor color, int bars) {
    bitmap->SetSize(49, 48);
    TCanvas* canvas = bitmap->Canvas();
    canvas->Brush()->SetColor(clWhite);
    canvas->FillRect(TRect{0, 0, 49, 48});
    canvas->Brush()->SetColor(color);
    for (int ring = 0; ring < 3; ++ring) {
        canvas->FillRect(TRect{ring, ring, 49 - ring, ring + 1});
        canvas->FillRect(TRect{ring, 47 - ring, 49 - ring, 48 - ring});
        canvas->FillRect(TRect{ring, ring, ring + 1, 48 - ring});
        canvas->FillRect(TRect{48 - ring, ring, 49 - ring, 48 - ring});
    }
    for (int bar = 0; bar < bars; ++bar)
        canvas->FillRect(TRect{8, 14 + bar * 8, 41, 18 + bar * 8});
    bitmap->SetTransparent(true);
}
void PaintConfirm(TBitmap* bitmap) {
    PaintStamp(bitmap, clRed, 1);
}
void PaintInvalid(TBitmap* bitmap) {
    PaintStamp(bitmap, clGray, 2);
}
void PaintNoGood(TBitmap* bitmap) {
    PaintStamp(bitmap, clPurple, 3);
}
const TBitmapResource gStamps[] = {{"CONFIRM", PaintConfirm},     {"INVALID", PaintInvalid},
                                   {"NOGOOD", PaintNoGood},       {"CONFIRM_ENG", PaintConfirm},
                                   {"INVALID_ENG", PaintInvalid}, {"NOGOOD_ENG", PaintNoGood}};

void Enable(TControl* control, bool on) {
    if (control) control->SetEnabled(on);
}

void Enable(TMenuItem* item, bool on) {
    if (item) item->SetEnabled(on);
}

// A structured ResultDesc: [kind letter, code, [arguments]].
bool IsStructured(const Variant& desc) {
    return VarIsArray(desc) && VarArrayHighBound(desc, 1) - VarArrayLowBound(desc, 1) >= 1;
}

std::vector<TVarRec> TenArguments(const Variant& desc) {
    std::vector<AnsiString> texts(10);
    const Variant args = VarArrayItem(desc, 2);
    if (VarIsArray(args))
        for (int i = 0; i < 10 && i < VarArrayLength(args); ++i)
            texts[static_cast<size_t>(i)] = VarArrayItemText(args, i);
    return std::vector<TVarRec>(texts.begin(), texts.end());
}

} // namespace

std::unique_ptr<TConfirmDateDialog> TfrmDouble::MakeConfirmDateDialog() {
    return std::make_unique<TQVConfirmDateDialog>(this);
}

void TfrmDouble::PublishConfirm(TClassBuilder<TfrmDouble>& c) {
    c.Field("ImgConfirm", &TfrmDouble::ImgConfirm);
    c.Field("btnConfirm", &TfrmDouble::btnConfirm);
    c.Field("btnUnConfirm", &TfrmDouble::btnUnConfirm);
    c.Field("btnInvalid", &TfrmDouble::btnInvalid);
    c.Field("miConfirm", &TfrmDouble::miConfirm);
    c.Field("miUnConfirm", &TfrmDouble::miUnConfirm);
    c.Field("miInvalid", &TfrmDouble::miInvalid);
    c.Field("miBBConfirm", &TfrmDouble::miBBConfirm);
    c.Field("miBBCancelConfirm", &TfrmDouble::miBBCancelConfirm);
    c.Method("miConfirmClick", &TfrmDouble::miConfirmClick);
    c.Method("miUnConfirmClick", &TfrmDouble::miUnConfirmClick);
    c.Method("miInvalidClick", &TfrmDouble::miInvalidClick);
    c.Method("miBBConfirmClick", &TfrmDouble::miBBConfirmClick);
    c.Method("miBBCancelConfirmClick", &TfrmDouble::miBBCancelConfirmClick);
}

AnsiString TfrmDouble::ConfirmLangText(const AnsiString& ident, const AnsiString& def) {
    AnsiString text;
    GetLangString("TfrmDouble", ident, text, true, def);
    return text;
}

// ---- hooks ----

bool TfrmDouble::MayConfirm(Byte) {
    return true;
}

bool TfrmDouble::AcceptConfirmDate(const AnsiString&) {
    return true;
}

void TfrmDouble::ConfirmSucceeded(Byte, const Variant&, const Variant&) {}

void TfrmDouble::ConfirmFailed(Byte, const Variant&, const Variant&) {}

void TfrmDouble::GetTransactionProgID(AnsiString& text) {
    text = "TransManager.TxnManager";
}

void TfrmDouble::GetTransactionProgram(AnsiString& text) {
    GetProgramID(text);
}

bool TfrmDouble::GetTransactionServer(Variant& pair) {
    AnsiString progID, program;
    GetTransactionProgID(progID);
    GetTransactionProgram(program);
    if (Broker) {
        if (!Trim(Broker->TxnServer).empty()) progID = Trim(Broker->TxnServer);
        if (!Trim(Broker->TxnProgram).empty()) program = Trim(Broker->TxnProgram);
    }
    pair = VarArrayOf({Variant(progID), Variant(program)});
    return true;
}

// ---- one document ----

bool TfrmDouble::ConfirmDocument(Byte kind, bool askDate) {
    ConfirmKind = kind;
    TdmDouble* module = DoubleModule();
    if (!module || !module->CanModify() || !MayConfirm(kind)) return false;
    TClientDataSet* main = module->cdsMain;
    if (kind <= 1) {
        if (!ConfirmField) return false; // no code to write: nothing to save
        bool saved = false;
        try {
            const int flag = main->FindField("FLAG") ? main->FieldByName("FLAG")->AsInteger() : 0;
            {
                TDataSourceEvents events;
                SaveDataSourceEvents(module->dsMain, events);
                try {
                    SetEditState(esEdit);
                    main->Edit();
                    if (ConfirmField) ConfirmField->SetAsString(kind == 1 ? "V" : "N");
                    try {
                        if (TField* field = main->FindField("FLAG")) field->SetAsInteger(flag % 999 + 1);
                    } catch (const Exception&) {
                        // a FLAG that cannot take the step keeps the edit's own stamp
                    }
                    main->Post();
                } catch (...) {
                    RestoreDataSourceEvents(module->dsMain, events);
                    throw;
                }
                RestoreDataSourceEvents(module->dsMain, events);
            }
            // Out of the edit state before the lines take the code: the header they touch again is
            // stamped once, with the step above.
            SetEditState(esBrowse);
            if (!Trim(BodyConfirmField).empty() && !ConfirmFieldName.empty()) {
                const AnsiString mapping = module->HeadToBodyMap;
                module->HeadToBodyMap = ConfirmFieldName + "->" + BodyConfirmField;
                try {
                    StampLinesForCode();
                    CopyConfirmToBody();
                } catch (...) {
                    module->HeadToBodyMap = mapping;
                    SetEditState(esBrowse);
                    throw;
                }
                module->HeadToBodyMap = mapping;
            }
            SetEditState(esBrowse);
            saved = module->SaveDataSet(main);
        } catch (const Exception& e) {
            WriteAlertLog("Radical", "DoubleConfirm-Void :" + e.Message(), 'D');
            saved = false;
        }
        if (!saved) {
            // Nothing of a refused void may stay behind for the next save.
            if (main->State() != dsBrowse) main->Cancel();
            main->CancelUpdates();
            SetEditState(esBrowse);
        }
        ApplyRights();
        return saved;
    }

    Variant result;
    FConfirmRequest = Variant();
    const bool done = RunConfirmTransaction(Variant(), result, askDate);
    const bool adding = kind == 3 && EditState == esInsert;
    if (done) {
        ConfirmSucceeded(kind, FConfirmRequest, result);
        if (!adding) ApplyQBECondition();
        if (kind == 3) ShowTransactionResult(result, true);
    } else if (!VarIsEmpty(result)) {
        // The manager answered (a cancelled date asks nothing of it and ends here silently).
        ConfirmFailed(kind, FConfirmRequest, result);
        try {
            ShowTransactionResult(result, false);
        } catch (const EAbort&) {
            ApplyQBECondition();
            ApplyRights();
            throw;
        }
        ApplyQBECondition();
    }
    ApplyRights();
    return true;
}

// The walk that writes the code into the lines runs without the lines' events, so each line that
// takes a new code is given its edit stamp here: a line saved unstamped keeps the FLAG it was read
// with, and its next save would be taken for another user's change.
void TfrmDouble::StampLinesForCode() {
    TdmDouble* module = DoubleModule();
    TClientDataSet* body = module ? module->cdsBody1 : nullptr;
    TField* code = body && body->Active() ? body->FindField(BodyConfirmField) : nullptr;
    if (!code || !ConfirmField || body->IsEmpty()) return;
    const TBookmarkStr here = body->Bookmark();
    body->DisableControls();
    try {
        for (body->First(); !body->Eof(); body->Next()) {
            if (code->AsString() == ConfirmField->AsString()) continue;
            if (body->State() == dsBrowse) body->Edit(); // its AfterEdit stamps it
            module->StampAuditFields(body);              // (already stamped: left as it is)
            body->Post();
        }
    } catch (...) {
        body->EnableControls();
        throw;
    }
    body->SetBookmark(here);
    body->EnableControls();
}

bool TfrmDouble::RunConfirmTransaction(const Variant& request, Variant& result, bool askDate) {
    return CallTransactionManager(request, result, askDate);
}

bool TfrmDouble::CallTransactionManager(const Variant&, Variant& result, bool askDate) {
    result = Variant();
    Variant pair, request;
    if (!BuildConfirmRequest(ConfirmKind, askDate, pair, request)) return false;
    FConfirmRequest = request;
    bool done = false;
    try {
        Variant manager = CreateOleObject(TransactionManagerProgID);
        {
            THourGlass hourGlass;
            done = VarCall(manager, "DoIt2",
                           {request, VarArrayOf({VarArrayItem(pair, 0), VarArrayItem(pair, 1)})})
                       .AsBoolean();
        }
        if (done)
            result = VarArrayOf({Variant(), Variant(), VarGet(manager, "ReturnSeq")});
        else
            result = VarArrayOf({VarGet(manager, "ErrorCode"), VarGet(manager, "ResultDesc"),
                                 VarGet(manager, "ErrorDescript")});
        VarCall(manager, "CloseCOM");
    } catch (const EAbort&) {
        throw;
    } catch (const Exception& e) {
        // A manager that cannot be made or reached is a failure the user sees, never a confirmation.
        WriteAlertLog("Radical", "DoubleConfirm-Txn :" + e.Message(), 'D');
        result = VarArrayOf({Variant(AnsiString("-1")), Variant(), Variant(e.Message())});
        done = false;
    }
    return done;
}

bool TfrmDouble::BuildConfirmRequest(Byte kind, bool askDate, Variant& pair, Variant& request) {
    TdmDouble* module = DoubleModule();
    if (!module) return false;
    TClientDataSet* main = module->cdsMain;
    std::vector<Variant> params{Variant(AnsiString()), Variant(AnsiString("N"))};
    params.push_back(kind == 3   ? Variant(AnsiString("DO"))
                     : kind == 2 ? Variant(AnsiString("UNDO"))
                                 : Variant());
    const int keys = GetTokenCount(module->KeyFields, ",");
    for (int i = 1; i <= keys; ++i) {
        const AnsiString name = Trim(GetToken(module->KeyFields, ",", i));
        AnsiString value = main->FieldByName(name)->AsString();
        if (i == keys && kind == 3 && EditState == esInsert && module->AutoKey && !ServerNumber.empty())
            value = ServerNumber;
        params.push_back(Variant(value));
    }
    params.push_back(Variant(main->FieldByName("FLAG")->AsInteger()));
    params.push_back(Variant(AnsiString()));

    const AnsiString setting = Broker ? Trim(Broker->GetSysSetting("SYS025")) : AnsiString();
    TField* dateField = ConfirmDateField.empty() ? nullptr : main->FindField(ConfirmDateField);
    Variant date;
    if (askDate) {
        std::unique_ptr<TConfirmDateDialog>& dialog = FConfirmDateDialog;
        try {
            if (!dialog) {
                dialog = MakeConfirmDateDialog();
                if (!dialog) throw Exception("no confirm-date dialog");
            }
            dialog->Prepare(setting, dateField ? Trim(dateField->AsString()) : AnsiString(),
                            dateField ? dateField->DisplayLabel() : AnsiString());
        } catch (const EAbort&) {
            throw;
        } catch (const Exception&) {
            Application->MessageBox(NoConfirmDate, "", MB_OK);
            return false;
        }
        AnsiString chosen;
        if (!dialog->Execute(chosen)) return false;
        chosen = Trim(chosen);
        if (chosen.empty() || chosen == "0" || YMDStrToDate(chosen) == 0 || !AcceptConfirmDate(chosen))
            return false;
        date = Variant(chosen);
    } else if (ConfirmKind == 3) {
        TDateTime day = 0;
        if (setting == "1")
            day = Date();
        else if (dateField)
            day = YMDStrToDate(Trim(dateField->AsString()));
        // A date that is none goes nowhere: the manager would book the document on a day of nothing.
        const AnsiString text =
            day == 0 ? AnsiString()
                     : DateStrToYMD(FormatDateByKind(DateKind, DateSeparator, day), DateKind, DateSeparator);
        if (text.empty() || text == "0") {
            Application->MessageBox(NoConfirmDate, "", MB_OK);
            return false;
        }
        date = Variant(text);
    }
    params.push_back(date);
    AnsiString programID;
    GetProgramID(programID);
    params.push_back(Variant(programID));

    GetTransactionServer(pair);
    request = VarArrayOf({Variant("TXN" + VarArrayItemText(pair, 1)),
                          Variant(Broker ? Broker->CompanyID : AnsiString()), Variant(AnsiString("S")),
                          Variant(Broker ? Broker->UserID : AnsiString()), Variant(AnsiString()),
                          VarArrayOf(params), Variant(GetUICodePage()), Variant(GetSystemCodePage()),
                          Variant(Broker ? Broker->CatalogFlag : false), Variant()});
    return true;
}

void TfrmDouble::ShowTransactionResult(const Variant& result, bool success) {
    if (!VarIsArray(result)) return;
    const AnsiString text = VarArrayItemText(result, 2);
    if (success) {
        if (!text.empty()) Application->MessageBox(text, "", MB_OK);
        return;
    }
    const Variant desc = VarArrayItem(result, 1);
    if (IsStructured(desc)) {
        const AnsiString kind = VarArrayItemText(desc, 0).substr(0, 1);
        if (Broker) Broker->Say(kind, VarArrayItemText(desc, 1), TenArguments(desc), 936, true, sayDefaultOK);
        if (kind == "E") Abort();
        return;
    }
    if (!text.empty()) Application->MessageBox(text, "", MB_OK);
}

// ---- commands ----

void TfrmDouble::miConfirmClick(TObject*) {
    ConfirmDocument(3, true);
}

void TfrmDouble::miUnConfirmClick(TObject*) {
    ConfirmDocument(2, false);
}

void TfrmDouble::miInvalidClick(TObject*) {
    if (!Broker || Broker->Say("C", "200002", {}, 936, true, sayDefaultOK) != mrOk) return;
    ConfirmDocument(miInvalid && miInvalid->Checked() ? 0 : 1, false);
}

void TfrmDouble::miBBConfirmClick(TObject*) {
    ConfirmBatch(3);
}

void TfrmDouble::miBBCancelConfirmClick(TObject*) {
    ConfirmBatch(2);
}

// ---- batch ----

bool TfrmDouble::ConfirmOne(Byte kind, int& answer, bool ask) {
    answer = 0;
    ConfirmKind = kind;
    Variant result;
    FConfirmRequest = Variant();
    const bool done = RunConfirmTransaction(Variant(), result, false);
    if (done) {
        ConfirmSucceeded(kind, FConfirmRequest, result);
        const AnsiString text = VarArrayItemText(result, 2);
        if (ask && kind == 3 && !text.empty()) Application->MessageBox(text, "", MB_OK);
    } else {
        ConfirmFailed(kind, FConfirmRequest, result);
        if (ask && VarIsArray(result)) {
            const Variant desc = VarArrayItem(result, 1);
            if (IsStructured(desc) && VarArrayItemText(desc, 0).substr(0, 1) == "E") {
                if (Broker)
                    answer = Broker->Say("T", VarArrayItemText(desc, 1), TenArguments(desc), 936, false,
                                         sayDefaultOK);
            } else if (!VarArrayItemText(result, 2).empty()) {
                Application->MessageBox(VarArrayItemText(result, 2), "", MB_OK);
            }
        }
    }
    ApplyRights();
    return done;
}

void TfrmDouble::ConfirmBatch(Byte kind) {
    TdmDouble* module = DoubleModule();
    if (!module || !gdHead || gdHead->SelectedList().empty()) return;
    TDataSet* dataSet = gdHead->DataSource() ? gdHead->DataSource()->DataSet() : nullptr;
    if (!dataSet) return;
    BatchRunning = true;
    dataSet->DisableControls();
    bool ask = true;
    int total = 0, successes = 0, exceptions = 0, failures = 0;
    AnsiString failed;
    const std::vector<TBookmarkStr> marks = gdHead->SelectedList();
    for (const TBookmarkStr& mark : marks) {
        try {
            dataSet->SetBookmark(mark);
        } catch (const Exception&) {
            continue; // a row that is gone is nothing to confirm
        }
        const AnsiString status = SignOffField ? Trim(SignOffField->AsString()) : AnsiString();
        const AnsiString code = ConfirmField ? Trim(ConfirmField->AsString()) : AnsiString();
        const bool open = !SignOffField || status == "N";
        const bool fits = (kind == 3 && (code == "N" || code.empty())) || (kind == 2 && code == "Y");
        if (!open || !fits) continue;
        ++total;
        int answer = 0;
        try {
            const bool done = ConfirmOne(kind, answer, ask);
            if (done && answer == 0) {
                ++successes;
            } else {
                ++failures;
                AnsiString keys;
                for (int i = 1; i <= GetTokenCount(module->KeyFields, ","); ++i) {
                    TField* field = module->cdsMain->FindField(Trim(GetToken(module->KeyFields, ",", i)));
                    keys += (keys.empty() ? "" : "-") + (field ? Trim(field->AsString()) : AnsiString());
                }
                failed += keys + ",";
                if (failures % 5 == 0) failed += "\r\n";
            }
        } catch (const EAbort&) {
            ++exceptions;
        } catch (const Exception& e) {
            WriteAlertLog("Radical", "DoubleConfirm-Batch :" + e.Message(), 'D');
            ++exceptions;
        }
        if (answer == mrYesToAll) ask = false;
        if (answer != 0 && answer != mrYes && answer != mrYesToAll) break;
    }
    gdHead->UnselectAll();
    if (!failed.empty() && failed.back() == ',') failed.pop_back();
    AnsiString text;
    if (failures > 0)
        text =
            Format(ConfirmLangText("sConfirmInfo", "共有%d笔资料,成功%d笔.异常%d笔.失败%d笔.失败的单据有:%s"),
                   {total, successes, exceptions, failures, " " + failed});
    else
        text = Format(ConfirmLangText("sConfirmInfo2", "共有%d笔资料,成功%d笔.异常%d笔.失败%d笔."),
                      {total, successes, exceptions, failures});
    Variant shown;
    ConvertUiText(Variant(text), shown);
    try {
        if (Broker) Broker->Say("I", "200010", {VarToStr(shown)});
    } catch (...) {
        dataSet->EnableControls();
        BatchRunning = false;
        throw;
    }
    dataSet->EnableControls();
    ApplyQBECondition();
    BatchRunning = false;
    ApplyRights();
}

// ---- stamp and command states ----

void TfrmDouble::PlaceConfirmImage() {
    if (!ImgConfirm || !pnlHead || !pnlHead->Visible()) return;
    ImgConfirm->SetParent(pnlHead);
    ImgConfirm->SetBounds(pnlHead->ClientWidth() - ImgConfirm->Width() - 5, 5, ImgConfirm->Width(),
                          ImgConfirm->Height());
}

void TfrmDouble::UpdateConfirmImage() {
    TMenuItem* goConfirm = miGoConfirm;
    TMenuItem* goUnConfirm = miGoUnConfirm;
    TMenuItem* goInvalid = miGoInvalid;
    TMenuItem* confirmErp = mConfirmErp;
    TMenuItem* updateConfirm = mUpdateConfirm;
    auto confirm = [&](bool on) {
        Enable(btnConfirm, on);
        Enable(miConfirm, on);
        Enable(goConfirm, on && CanBatch && (OperationMask & OPERATION_CONFIRM));
    };
    auto unconfirm = [&](bool on) {
        Enable(btnUnConfirm, on);
        Enable(miUnConfirm, on);
        Enable(goUnConfirm, on && CanBatch && (OperationMask & OPERATION_UNCONFIRM));
    };
    auto invalid = [&](bool on) {
        Enable(btnInvalid, on);
        Enable(miInvalid, on);
        Enable(goInvalid, on && CanBatch && (OperationMask & OPERATION_VOID));
    };
    confirm(false);
    unconfirm(false);
    invalid(false);
    if (btnInvalid) btnInvalid->SetDown(false);
    if (miInvalid) miInvalid->SetChecked(false);
    AnsiString stamp;

    TdmDouble* module = DoubleModule();
    TClientDataSet* main = module ? module->cdsMain : nullptr;
    const bool browsing = main && main->Active() && main->State() == dsBrowse && !main->IsEmpty();
    if (browsing && ConfirmField) {
        const AnsiString code = Trim(ConfirmField->AsString());
        const AnsiString status = SignOffField ? Trim(SignOffField->AsString()) : AnsiString();
        const bool mayConfirm = CanConfirm && (OperationMask & OPERATION_CONFIRM);
        const bool mayUnconfirm = CanUnconfirm && (OperationMask & OPERATION_UNCONFIRM);
        const bool mayVoid = CanVoid && (OperationMask & OPERATION_VOID);
        if (SignOffField) {
            Enable(confirmErp, false);
            Enable(updateConfirm, false);
            if (confirmErp) {
                Variant caption;
                ConvertUiText(Variant(AnsiString(code == "Y" ? "取消审核'未处理'单据" : "审核'已核准'单据")),
                              caption);
                confirmErp->SetCaption(VarToStr(caption));
            }
        }
        if (code.empty() || code == "N") {
            confirm(mayConfirm);
            invalid(mayVoid);
            if (SignOffField) {
                Enable(confirmErp, status == "3" && mayConfirm);
                Enable(updateConfirm, status == "3");
            }
        } else if (code == "U") {
            stamp = "NOGOOD";
            confirm(mayConfirm);
            unconfirm(mayUnconfirm);
            if (SignOffField) {
                Enable(confirmErp, status == "0");
                Enable(updateConfirm, status != "0");
                Enable(confirmErp, btnConfirm && btnConfirm->Enabled());
            }
        } else if (code == "Y") {
            stamp = "CONFIRM";
            unconfirm(mayUnconfirm);
            if (SignOffField) Enable(confirmErp, status == "0");
        } else if (code == "V") {
            stamp = "INVALID";
            // A void document is un-voided by the same command, which shows it pressed.
            invalid(mayVoid);
            if (btnInvalid) btnInvalid->SetDown(true);
            if (miInvalid) miInvalid->SetChecked(true);
        }
    }
    // Batch commands: by the rights, in browse, over a confirm code, with rows picked in the grid.
    const bool picked = gdHead && !gdHead->SelectedList().empty();
    const bool batch = main && EditState == esBrowse && ConfirmField && picked;
    Enable(miBBConfirm, batch && CanConfirm);
    Enable(miBBCancelConfirm, batch && CanUnconfirm);

    if (stamp != ConfirmStamp || (ImgConfirm && ImgConfirm->Visible() != !stamp.empty())) {
        ConfirmStamp = stamp;
        if (ImgConfirm) {
            if (stamp.empty()) {
                ImgConfirm->Bitmap()->SetSize(0, 0);
            } else {
                const AnsiString name = stamp + (GetUICodePage() == "437" ? "_ENG" : "");
                try {
                    ImgConfirm->Bitmap()->LoadFromResourceName(name);
                } catch (const Exception&) {
                    ImgConfirm->Bitmap()->SetSize(0, 0);
                }
            }
            ImgConfirm->SetHint(stamp);
            ImgConfirm->SetVisible(!stamp.empty());
            ImgConfirm->Invalidate();
        }
    }
}
