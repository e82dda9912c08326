#include "framework/Brokers.h"

#include <memory>

#include "classlib/automation/comobj.h"
#include "classlib/controls/button.h"
#include "classlib/db/db.h"
#include "classlib/rtl/codepages.h"
#include "classlib/rtl/strutils.h"
#include "foundation/CodeConverter.h"
#include "foundation/libstrs.h"
#include "framework/WorkCenter.h"
#include "framework/knlRadical.h"

KVR_PUBLISHED(TBrokers, c) {}

namespace {

// The argument as the host's text of a placeholder.
AnsiString ArgumentText(const TVarRec& arg) {
    if (arg.Kind() == vtPointer) return AnsiString();
    if (arg.Kind() == vtBoolean) return arg.Value().AsBoolean() ? "True" : "False";
    return VarToStr(arg.Value());
}

// The message text with its placeholders filled by the class library's format routine; a text that
// does not fit its arguments (a placeholder more than there are arguments, a number for "%s") still
// shows: each "%s" and "%d" takes the next argument's text, missing ones empty.
AnsiString FillArguments(const AnsiString& text, const std::vector<TVarRec>& args) {
    try {
        return Format(text, args);
    } catch (const Exception&) {
        // Filled below, as the placeholders come.
    }
    AnsiString out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char directive = i + 1 < text.size() && text[i] == '%' ? text[i + 1] : '\0';
        if (directive == '%') {
            out += '%';
            ++i;
        } else if (directive == 's' || directive == 'S' || directive == 'd' || directive == 'D') {
            try {
                if (next < args.size()) out += ArgumentText(args[next]);
            } catch (const Exception&) {
                // An argument that has no text (an object) puts in nothing.
            }
            ++next;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool IsAssignedDispatch(const Variant& value) {
    return VarIsDispatch(value) && !VarIsEmpty(value);
}

} // namespace

TBrokers::TBrokers(TComponent* owner)
    : TComponent(owner), SysSettings(new TStringList), SvrSettings(new TStringList) {}

// The host's objects are released with the broker, so that the form never outlives its hold on them.
TBrokers::~TBrokers() {
    delete SysSettings;
    delete SvrSettings;
    VarClear(Validator);
    VarClear(F2Window);
    VarClear(Counter);
    VarClear(HostApp);
}

TBrokerView* TBrokers::View() const {
    return dynamic_cast<TBrokerView*>(Owner());
}

int TBrokers::WindowHandle() const {
    TBrokerView* view = View();
    return view ? view->BrokerWindowHandle() : 0;
}

AnsiString TBrokers::UICodePage() const {
    TBrokerView* view = View();
    return view ? view->BrokerUICodePage() : AnsiString("936");
}

Byte TBrokers::UIConvertMode() const {
    TBrokerView* view = View();
    return view ? view->BrokerUIConvertMode() : 0;
}

AnsiString TBrokers::ConvertForUI(const AnsiString& text) const {
    TBrokerView* view = View();
    return view ? view->BrokerConvertScript(text, view->BrokerUIConvertMode()) : text;
}

// ---- settings ----

void TBrokers::SetSysSetting(const AnsiString& name, const AnsiString& value) {
    if (!name.empty()) SysSettings->SetValues(name, value);
}

AnsiString TBrokers::GetSysSetting(const AnsiString& name) const {
    return name.empty() ? AnsiString() : SysSettings->Values(name);
}

int TBrokers::MaxRecord() const {
    const int value = StrToIntDef(Trim(SvrSettings->Values("MAX_RECORD")), 0);
    return value > 40 ? 40 : value;
}

// ---- start-up ----

bool TBrokers::AttachServices() {
    try {
        if (!IsAssignedDispatch(HostApp)) return false;
        const TWorkCenter host(HostApp);
        if ((ServiceMask & smValidator) && !IsAssignedDispatch(Validator))
            Validator = host.Com_Validator().Object();
        if ((ServiceMask & smF2Window) && !IsAssignedDispatch(F2Window))
            F2Window = host.Com_F2Window().Object();
        if ((ServiceMask & smCounter) && !IsAssignedDispatch(Counter)) Counter = host.Com_Counter().Object();
        LoadProgramInfo();
        return true;
    } catch (const Exception&) {
        for (int i = 0; i < 3; ++i)
            MessageBeep(0);
        return false;
    }
}

void TBrokers::LoadProgramInfo() {
    ProgramName.clear();
    Variant row;
    if (!CheckValue("WOQMB", "06", row, VarArrayOf({ProgramID, Database})) || !VarIsArray(row)) return;
    ProgramName = VarArrayItemText(row, 0);
    PrintProgram = VarArrayItemText(row, 1);
    TxnServer = VarArrayItemText(row, 2);
    TxnProgram = VarArrayItemText(row, 3);
    ProgramAttr5 = VarArrayItemText(row, 5);
    ProgramAttr6 = VarArrayItemText(row, 6);
    CatalogFlag = VarArrayItemText(row, 7) == "Y";
    const AnsiString kind = VarArrayItemText(row, 8);
    ProgramKind = kind == "W" ? 1 : kind == "E" ? 2 : kind == "Z" ? 3 : 0;
    if (VarArrayLength(row) > 9 && UICodePage() == "437") ProgramName = VarArrayItemText(row, 9);
}

bool TBrokers::LoadSysSettings() {
    const TCounterService counter(Counter);
    const Variant info = counter.Assigned() ? counter.GetSysInfo(CompanyID) : Variant();
    if (VarIsEmpty(info) || VarIsNull(info)) return false;
    // Two dimensions: [0, i] the name and [1, i] the value of setting i.
    if (!VarIsArray(info) || VarArrayDimCount(info) != 2) return false;
    const int nameRow = VarArrayLowBound(info, 1);
    for (int i = VarArrayLowBound(info, 2); i <= VarArrayHighBound(info, 2); ++i)
        SetSysSetting(VarToStr(info.GetElement({nameRow, i})), VarToStr(info.GetElement({nameRow + 1, i})));
    return true;
}

// ---- code checks ----

void TBrokers::PrepareValidator() {
    const TValidatorService validator(Validator);
    TBrokerView* view = View();
    try {
        validator.SetProductID(view ? view->BrokerProductID() : 3);
    } catch (const Exception&) {
    }
    try {
        validator.SetBaseLimited(SvrSettings->Values("BaseLimited"));
    } catch (const Exception&) {
    }
}

bool TBrokers::AskValidator(bool allRows, const AnsiString& table, const AnsiString& checkNo, Variant& row,
                            const Variant& keys) {
    const TValidatorService validator(Validator);
    if (!validator.Assigned()) return false;
    try {
        PrepareValidator();
        return allRows ? validator.QueryData(table, checkNo, Database, keys, row)
                       : validator.CheckValue(table, checkNo, Database, keys, row);
    } catch (const Exception&) {
        return false;
    }
}

bool TBrokers::CheckValue(const AnsiString& table, const AnsiString& checkNo, Variant& row,
                          const Variant& keys) {
    return AskValidator(false, table, checkNo, row, keys);
}

bool TBrokers::QueryData(const AnsiString& table, const AnsiString& checkNo, Variant& row,
                         const Variant& keys) {
    return AskValidator(true, table, checkNo, row, keys);
}

void TBrokers::QueryMaxSeq(TDataSet* dataSet, const AnsiString& table, Variant& result,
                           const AnsiString& dateText, const AnsiString& keyFields) {
    result = Variant("unKnow");
    const TValidatorService validator(Validator);
    if (!validator.Assigned() || !dataSet) return;
    try {
        // Every key field but the last, which is the number being generated.
        std::vector<AnsiString> names;
        for (int i = 1; i <= GetTokenCount(keyFields, ","); ++i)
            names.push_back(Trim(GetToken(keyFields, ",", i)));
        std::vector<Variant> values;
        for (std::size_t i = 0; i + 1 < names.size(); ++i)
            values.push_back(Variant(dataSet->FieldByName(names[i])->AsString()));
        PrepareValidator();
        Variant answer;
        if (validator.QueryMaxSeq(table, keyFields, VarArrayOf(values), dateText, ProgramID, Database,
                                  answer))
            result = answer;
    } catch (const Exception&) {
        result = Variant("unKnow");
    }
}

// ---- lookups ----

Variant TBrokers::LookupParams(const Variant& table, const Variant& queryNo, const AnsiString& text1,
                               const AnsiString& text2, const AnsiString& text3, int window, bool flag1,
                               bool flag2, const AnsiString& current, const Variant& keys) const {
    TBrokerView* view = View();
    Variant params = VarArrayCreate({0, 18}, varVariant);
    params.PutElement({0}, table);
    params.PutElement({1}, queryNo);
    params.PutElement({2}, keys);
    params.PutElement({3}, flag2);
    params.PutElement({4}, current);
    params.PutElement({5}, CompanyID);
    params.PutElement({6}, Database);
    params.PutElement({7}, window != 0 ? window : WindowHandle());
    params.PutElement({8}, 1);
    params.PutElement({9}, flag1);
    params.PutElement({10}, view ? view->BrokerProductID() : 3);
    params.PutElement({11}, text3);
    params.PutElement({12}, text2);
    params.PutElement({13}, text1);
    params.PutElement({14}, SvrSettings->Values("BaseLimited"));
    params.PutElement({15}, view && view->BrokerHasRight(33, 35));
    params.PutElement({16}, view && view->BrokerHasRight(32, 34));
    params.PutElement({17}, HostApp);
    params.PutElement({18}, UserID);
    return params;
}

void TBrokers::OpenF2Window(const Variant& table, const Variant& queryNo, Variant& rows,
                            const AnsiString& text1, const AnsiString& text2, const AnsiString& text3,
                            int window, const AnsiString&, bool flag1, bool flag2, const AnsiString& current,
                            const Variant& keys) {
    TBrokerView* view = View();
    if (view && view->BrokerLookupMode() != 0) {
        RecordLookup(table, queryNo, rows, text1, text2, text3, current, keys);
        return;
    }
    const Variant params =
        LookupParams(table, queryNo, text1, text2, text3, window, flag1, flag2, current, keys);
    const TF2WindowService lookup(F2Window);
    rows = lookup.Assigned() ? lookup.F2GetData(params) : Variant();
}

void TBrokers::RecordLookup(const Variant& table, const Variant& queryNo, Variant& rows,
                            const AnsiString& text1, const AnsiString& text2, const AnsiString& text3,
                            const AnsiString& current, const Variant& keys) {
    TBrokerView* view = View();
    if (!view) return;
    if (view->BrokerLookupMode() == 1) {
        const bool texts = !text3.empty();
        Variant record = VarArrayCreate({0, 13}, varVariant);
        record.PutElement({0}, table);
        record.PutElement({1}, queryNo);
        record.PutElement({2}, keys);
        record.PutElement({3}, 1);
        record.PutElement({4}, current);
        record.PutElement({5}, Database);
        record.PutElement({6}, TWorkCenter(HostApp).ProductID());
        record.PutElement({7}, texts ? text3 : AnsiString());
        record.PutElement({8}, texts ? text2 : AnsiString());
        record.PutElement({9}, texts ? text1 : AnsiString());
        record.PutElement({10}, SvrSettings->Values("BaseLimited"));
        record.PutElement({11}, AnsiString());
        record.PutElement({12}, AnsiString());
        record.PutElement({13}, AnsiString("9"));
        view->BrokerRecordLookup(record);
    } else if (view->BrokerLookupMode() == 2) {
        rows = view->BrokerLookupReturn();
    }
}

// ---- pickers ----

AnsiString TBrokers::ShowInputDay(bool rocYear, const AnsiString& dateText) {
    const TF2WindowService lookup(F2Window);
    if (!lookup.Assigned()) return AnsiString();
    return lookup.ShowInputDay(VarArrayOf({rocYear, dateText, Database}));
}

AnsiString TBrokers::PickPhrase(const AnsiString& text) {
    const TF2WindowService lookup(F2Window);
    if (!lookup.Assigned()) return AnsiString();
    Variant phrase(text);
    if (lookup.GetPhrase2(UserID, CompanyID, WindowHandle(), phrase) < 0) return AnsiString();
    return VarToStr(phrase);
}

void TBrokers::ShowCharacters(int kind, bool flag, Variant& result, int window, const AnsiString& company,
                              const AnsiString& user) {
    const TF2WindowService lookup(F2Window);
    if (!lookup.Assigned()) {
        result = Variant();
        return;
    }
    Variant kindRef(kind);
    result = lookup.ShowCharaters(user.empty() ? UserID : user, company.empty() ? CompanyID : company,
                                  kindRef, flag, IntToStr(window != 0 ? window : WindowHandle()));
}

AnsiString TBrokers::GetCalcValue(const AnsiString& text) {
    const TF2WindowService lookup(F2Window);
    if (!lookup.Assigned()) return AnsiString();
    try {
        Variant value(text);
        return VarToStr(lookup.GetCalcValue(value, WindowHandle()));
    } catch (const Exception&) {
        Say("E", "000032", {ConvertForUI("请更新F2WindowC.dll")});
        return AnsiString();
    }
}

// ---- counter requests ----

void TBrokers::CallCounter(const AnsiString& name, const Variant& params, Variant& result) {
    const TCounterService counter(Counter);
    if (!counter.Assigned()) {
        result = Variant();
        return;
    }
    result = counter.GETCOUNTER(name, params, VarArrayOf({CompanyID, Database}));
}

AnsiString TBrokers::GetProgramNameOf(const AnsiString& id) {
    AnsiString name = id;
    try {
        Variant rows;
        CallCounter("SimpleSQL",
                    VarArrayOf({"SELECT MB002,MB011,MB012,MB013 FROM WOQMB WHERE MB001=" + QuotedStr(id),
                                "MB002,MB011,MB012,MB013", Database, "N"}),
                    rows);
        if (VarArrayLength(rows) > 0) {
            const Variant first = rows.GetElement({VarArrayLowBound(rows, 1)});
            name = VarArrayItemText(first, UICodePage() == "437" ? 1 : 0);
        }
    } catch (const Exception&) {
        // A program whose name cannot be read is named by its ID.
    }
    return name;
}

// ---- messages ----

AnsiString TBrokers::GetMessageText(const AnsiString& kind, const AnsiString& code) {
    if (!IsAssignedDispatch(HostApp)) return AnsiString();
    try {
        return TWorkCenter(HostApp).GetMessage(kind, code);
    } catch (const Exception&) {
        // The dialog still shows, with its kind's buttons, when the host cannot give the text.
        return AnsiString();
    }
}

int TBrokers::Say(const AnsiString& kind, const AnsiString& code, std::initializer_list<TVarRec> args,
                  int codePage, bool abortOnCancel, int defaultButton) {
    return Say(kind, code, std::vector<TVarRec>(args), codePage, abortOnCancel, defaultButton);
}

int TBrokers::Say(const AnsiString& kind, const AnsiString& code, const std::vector<TVarRec>& args, int,
                  bool abortOnCancel, int defaultButton) {
    const AnsiString letter = UpperCase(kind);
    // The text is converted before the arguments go in: an argument is already in the user interface's
    // code page (a field's label, a converted text), and converting it again garbles it.
    AnsiString text = ConvertForUI(GetMessageText(letter == "T" ? AnsiString("E") : kind, code));
    TBrokerView* view = View();
    const AnsiString systemCodePage = view ? view->BrokerSystemCodePage() : AnsiString("936");
    if (UICodePage() == "950" || systemCodePage == "950") text += "    ";
    text = FillArguments(text + " ", args);
    if (letter == "T") text += "\r\n" + ConvertForUI("是否继续?");

    const Byte mode = UIConvertMode();
    int result = mrNone;
    if (letter == "T") {
        result = ShowMessageDialog(text, mtError, {mbYes, mbNo, mbCancel, mbYesToAll}, mode, defaultButton);
    } else if (letter == "C") {
        result = ShowMessageDialog(text, mtWarning, mbOKCancel, mode, defaultButton);
    } else if (letter == "D") {
        result = ShowMessageDialog(text, mtWarning, mbYesNoCancel, mode, defaultButton);
    } else if (letter == "E") {
        result = ShowMessageDialog(text, mtError, {mbOK}, mode, defaultButton);
    } else if (letter == "I") {
        result = ShowMessageDialog(text, mtInformation, {mbOK}, mode, defaultButton);
    } else if (letter == "Q") {
        result = ShowMessageDialog(text, mtConfirmation, mbOKCancel, mode, defaultButton);
    } else if (letter == "W") {
        result = ShowMessageDialog(text, mtWarning, mbOKCancel, mode, defaultButton);
        if (result != mrOk && abortOnCancel) Abort();
    } else {
        result = ShowMessageDialog(text, mtCustom, {mbOK}, mode, defaultButton);
    }
    if (view) view->BrokerAfterSay();
    return result;
}

int TBrokers::ShowMessageDialog(const AnsiString& text, TMsgDlgType dialogType, TMsgDlgButtons buttons,
                                Byte convertMode, int defaultButton) {
    AnsiString shown = text;
    if (convertMode != 0 || GetACP() != 936) shown += "      ";
    std::unique_ptr<TMessageForm, void (*)(TMessageForm*)> dialog(
        CreateMessageDialog(shown, dialogType, buttons), [](TMessageForm* f) { f->Free(); });
    TBrokerView* view = View();
    if (view) dialog->SetCaption(view->BrokerCaption());
    const bool english = UICodePage() == "437";
    const AnsiString defaultName =
        defaultButton >= 0 && defaultButton <= 10 ? SayButtonNames[defaultButton] : "";
    for (int i = 0; i < dialog->ComponentCount(); ++i) {
        auto* button = dynamic_cast<TButton*>(dialog->Components(i));
        if (!button) continue;
        if (!english) {
            AnsiString caption = LocalizeButtonCaption(button->Name());
            if (convertMode == 2 && view) caption = view->BrokerConvertScript(caption, 2);
            button->SetCaption(caption);
        }
        if (button->Name() == defaultName) {
            button->SetDefault(true);
            button->SetTabOrder(0);
        } else {
            button->SetDefault(false);
        }
    }
    TCodeConverter::SetFontCharset(convertMode, dialog->Font());
    return dialog->ShowModal();
}

// ---- starting programs ----

AnsiString TBrokers::ExecWorkErrorText(int rc) {
    switch (rc) {
    case -1:
        return "[%s]作业程序文档不存在!";
    case -2:
        return "[%s]作业程序文档装入失败!";
    case -3:
        return "[%s]作业程序启动时无法录入公用元件!";
    case -4:
        return "[%s]作业程序启动时取作业权限错误!";
    case -5:
        return "[%s]作业程序无运行作业权限!";
    case -6:
        return "[%s]作业程序起始化错误!";
    case -7:
        return "[%s]作业程序发生不可预知的错误!";
    default:
        return AnsiString();
    }
}

int TBrokers::ExecWork(const AnsiString& programID, const Variant& param1, bool showErrors, Variant& result,
                       const Variant& param2) {
    if (VarIsEmpty(HostApp) || VarIsNull(HostApp)) return -1;
    const Variant caller = VarArrayOf({UserID, CompanyID, programID, WindowHandle()});
    Variant mode(2);
    result = Variant();
    const Variant second = VarIsEmpty(param2) || VarIsNull(param2) ? VarArrayOf({0, 4, Variant()}) : param2;
    const int rc = TWorkCenter(HostApp).ExecWork(caller, param1, second, mode, result);
    if (!showErrors || rc >= 0) return rc;
    AnsiString text = ConvertForUI(ExecWorkErrorText(rc));
    const std::size_t at = text.find("%s");
    if (at != AnsiString::npos) text.replace(at, 2, ConvertForUI(GetProgramNameOf(programID)));
    Say("E", "000032", {text});
    return rc;
}

int TBrokers::ExecWorkCommand(const Variant& target, const Variant& data) {
    if (VarIsEmpty(HostApp) || VarIsNull(HostApp)) return -1;
    Variant mode(0);
    Variant result;
    return TWorkCenter(HostApp).ExecWork(target, Variant(), VarArrayOf({6, 0, data}), mode, result);
}

bool TBrokers::SendQZJob(int kind, const Variant& data) {
    const AnsiString procedure = ProgramAttr5.find("§") != AnsiString::npos ? "SP8" : "SP7";
    if (kind == 1) {
        try {
            if (!VarIsArray(data)) return false;
            const int low = VarArrayLowBound(data, 1);
            const int high = VarArrayHighBound(data, 1) - low;
            if (high != 13 && high != 15) return false;
            auto item = [&](int i) { return data.GetElement({low + i}); };
            Variant job = VarArrayCreate({0, 16}, varVariant);
            job.PutElement({0}, UserID);
            job.PutElement({1}, CompanyID);
            job.PutElement({2}, ProgramID);
            job.PutElement({3}, VarToStr(item(1)));
            job.PutElement({4}, VarToStr(item(2)));
            job.PutElement({5}, item(0));
            job.PutElement({6}, item(3));
            if (high == 13) {
                for (int i = 4; i <= 13; ++i)
                    job.PutElement({i + 3}, item(i));
            } else {
                for (int i = 4; i <= 11; ++i)
                    job.PutElement({i + 3}, item(i));
                job.PutElement({15}, item(14));
                job.PutElement({16}, item(15));
            }
            std::vector<Variant> row{
                Variant(CompanyID), Variant(ProgramID),    item(6), Variant(UserID), job,
                Variant("N"),       Variant(AnsiString()), Null(),  Null(),          Variant(AnsiString()),
                Variant("936")};
            if (high == 15) {
                row.push_back(item(12));
                row.push_back(item(13));
            }
            row.push_back(Variant(procedure));
            Variant answer;
            CallCounter("INSERTQZJOB", VarArrayOf({VarArrayOf(row)}), answer);
            if (!VarIsNumeric(answer)) return false;
            switch (answer.AsInteger()) {
            case 0:
                Say("I", "200007");
                return true;
            case 1:
                Say("E", "200128");
                return false;
            case 2:
                Say("E", "200129");
                return false;
            default:
                return false;
            }
        } catch (const EAbort&) {
            throw;
        } catch (const Exception&) {
            return false;
        }
    }
    if (kind == 2) {
        // A pager that cannot be made, or that refuses the text, has not sent it.
        try {
            const TPagerService pager(CreateOleObject(TPagerService::ProgID));
            const Variant text = VarIsArray(data) ? data.GetElement({VarArrayLowBound(data, 1)}) : data;
            pager.ShowSendVorlan(UserID, VarArrayOf({CompanyID, ProgramID}), text);
            return true;
        } catch (const Exception&) {
            return false;
        }
    }
    if (kind == 3) {
        const AnsiString link = "<A href=\"ktrw://Norvu/" + CompanyID + "/" + ProgramID + "/query/" +
                                VarToStr(data) + "\">" + GetProgramNameOf(ProgramID) + "</A>";
        Variant mode(2);
        Variant result;
        TWorkCenter(HostApp).ExecWork(VarArrayOf({UserID, CompanyID, "RONX65"}),
                                      VarArrayOf({"0", VarArrayOf({AnsiString(), AnsiString(), link})}),
                                      VarArrayOf({0, 4, Variant()}), mode, result);
    }
    return false;
}
