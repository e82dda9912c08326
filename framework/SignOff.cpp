#include "framework/SignOff.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#include "classlib/automation/comobj.h"
#include "classlib/controls/dialogs.h"
#include "classlib/controls/forms.h"
#include "classlib/controls/hourglass.h"
#include "classlib/objects/streams.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/shellapi.h"
#include "classlib/rtl/strutils.h"
#include "foundation/AlertLog.h"
#include "foundation/LangCtrl.h"
#include "foundation/LibXml.h"
#include "foundation/UserDefINI.h"
#include "foundation/libstrs.h"
#include "framework/Brokers.h"
#include "framework/DoubleCF.h"
#include "framework/FormModes.h"
#include "framework/WorkCenter.h"
#include "dialogs/FQZInfo.h"
#include "dialogs/SetQZINFO.h"

namespace {

AnsiString Text(const Variant& value) {
    if (VarIsNull(value) || VarIsEmpty(value) || VarIsArray(value) || VarIsDispatch(value))
        return AnsiString();
    return VarToStr(value);
}

// Element i of a one-dimensional array counted from its lower bound; Unassigned when there is none.
Variant ElementOf(const Variant& array, int i) {
    if (!VarIsArray(array) || VarArrayDimCount(array) != 1) return Variant();
    const int index = VarArrayLowBound(array, 1) + i;
    if (index > VarArrayHighBound(array, 1)) return Variant();
    return array.GetElement({index});
}

// The rows of a counter or validator answer: an array of arrays, or one row.
std::vector<Variant> Rows(const Variant& answer) {
    std::vector<Variant> rows;
    if (!VarIsArray(answer)) return rows;
    if (!VarIsArray(ElementOf(answer, 0))) return {answer};
    for (int i = 0; VarIsArray(ElementOf(answer, i)); ++i)
        rows.push_back(ElementOf(answer, i));
    return rows;
}

bool NumericType(TFieldType type) {
    return type == ftSmallint || type == ftInteger || type == ftFloat || type == ftWord ||
           type == ftLargeint || type == ftCurrency || type == ftBCD;
}

// The status "occurs in" a set of codes, as the settings read it: a non-empty text found in it.
bool StatusIn(const AnsiString& status, const char* codes) {
    return !status.empty() && AnsiString(codes).find(status) != AnsiString::npos;
}

// The address the opinion request names as its sender: the installation's server setting, loopback
// without one.
AnsiString SenderAddress(TBrokers& broker) {
    const AnsiString address = Trim(broker.GetSvrSetting("QZ_SENDER_IP"));
    return address.empty() ? AnsiString("127.0.0.1") : address;
}

// The files of a folder (a system path ending in "\\") whose names begin with prefix and end in
// extension (without regard to case), in name order.
std::vector<AnsiString> PictureFiles(const AnsiString& folder, const AnsiString& prefix,
                                     const AnsiString& extension) {
    std::vector<AnsiString> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(NativePath(folder).c_str(), error)) {
        if (!entry.is_regular_file(error)) continue;
        const AnsiString name = entry.path().filename().string();
        if (name.size() < prefix.size() + extension.size() || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        if (!SameText(name.substr(name.size() - extension.size()), extension)) continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

AnsiString TakeTagValue(AnsiString& text, const AnsiString& name) {
    const AnsiString open = "<" + name + ">", close = "</" + name + ">";
    const size_t start = text.find(open);
    if (start == AnsiString::npos) return AnsiString();
    const size_t end = text.find(close, start + open.size());
    if (end == AnsiString::npos) return AnsiString();
    AnsiString value = text.substr(start + open.size(), end - start - open.size());
    text.erase(start, end + close.size() - start);
    return value;
}

AnsiString TSignOff::LangText(const AnsiString& ident, const AnsiString& def) const {
    AnsiString text;
    F.GetLangString("TfrmDouble", ident, text, true, def);
    return text;
}

AnsiString TSignOff::Status() const {
    return F.SignOffField ? Trim(F.SignOffField->AsString()) : AnsiString();
}

AnsiString TSignOff::FieldValue(const AnsiString& name) const {
    TdmDouble* module = F.DoubleModule();
    TField* field = module ? module->cdsMain->FindField(name) : nullptr;
    return field ? field->AsString() : AnsiString();
}

bool TSignOff::Jpeg() const {
    return F.Broker && F.Broker->ProgramAttr5.find("§") != AnsiString::npos;
}

// ---- settings ----

void TSignOff::LoadTypes() {
    if (!F.Broker) return;
    if (F.Broker->GetSysSetting("SYS174") == "Y") {
        LoadTypesQz();
        return;
    }
    LoadTypeRows(" SELECT MQ002,MQ003,MQ004,MR003,MR004,MR005,MR007,MQ006,MQ007,MQ008  FROM $$WOQMQ AS WOQMQ "
                 " LEFT JOIN $$WOQMR AS WOQMR ON (MQ001=MR001 AND MQ002=MR002)  WHERE MQ001= " +
                     QuotedStr(F.Broker->ProgramID) + " order by MQ002",
                 "MQ002,MQ003,MQ004,MR003,MR004,MR005,MR007,MQ006,MQ007,MQ008");
}

void TSignOff::LoadTypesQz() {
    LoadTypeRows(" SELECT MC002, MC006, '' AAA, '' MD003, '' MD005, '' MD004,'' BBB, MC007, "
                 "MC008, 'N' CCC  FROM $$QZSMC  WHERE MC001 = " +
                     QuotedStr(F.Broker->ProgramID) + " ORDER BY MC002 ",
                 "MC002,MC006,AAA,MD003,MD005,MD004,BBB,MC007,MC008,CCC");
}

// Both kinds of settings answer a type and its nine values; the list is read anew each time.
void TSignOff::LoadTypeRows(const AnsiString& sql, const AnsiString& fields) {
    Types.Clear();
    TypeRows.Clear();
    Variant answer;
    try {
        F.Broker->CallCounter("SimpleSql", VarArrayOf({sql, fields, F.Broker->Database, "N"}), answer);
    } catch (const Exception& e) {
        WriteAlertLog(F.Broker->ProgramID, "SignOff-Types:" + e.Message(), 'D');
    }
    for (const Variant& row : Rows(answer)) {
        AnsiString joined;
        for (int i = 1; i <= 9; ++i)
            joined += (i > 1 ? "\x03" : "") + Trim(Text(ElementOf(row, i)));
        Types.Add(Trim(Text(ElementOf(row, 0))));
        TypeRows.Add(joined);
    }
}

bool TSignOff::ButtonWanted() const {
    if (!F.Broker || F.SignOffStatusField.empty()) return false;
    const bool sys060 = F.Broker->GetSysSetting("SYS060") == "Y";
    if (sys060 && F.Broker->GetSysSetting("SYS174") == "Y") return true;
    return !F.Broker->ProgramAttr5.empty() && !F.Broker->ProgramAttr6.empty() && sys060;
}

bool TSignOff::TypeRow(const AnsiString& docType, std::vector<AnsiString>& values) const {
    int line = -1;
    const bool outside = F.Broker->GetSysSetting("SYS060") == "Y" && F.Broker->GetSysSetting("SYS174") == "Y";
    if (outside) {
        line = Types.IndexOf("****");
        if (line < 0) line = Types.IndexOf(docType);
    } else {
        line = Types.IndexOf(docType);
        if (line < 0) line = Types.IndexOf("****");
    }
    if (line < 0) return false;
    values.clear();
    const AnsiString row = TypeRows.Get(line);
    size_t start = 0;
    for (;;) {
        const size_t at = row.find('\x03', start);
        values.push_back(row.substr(start, at == AnsiString::npos ? AnsiString::npos : at - start));
        if (at == AnsiString::npos) break;
        start = at + 1;
    }
    values.resize(9);
    return true;
}

bool TSignOff::Required(Byte kind) {
    TdmDouble* module = F.DoubleModule();
    if (!module || !F.Broker) return false;
    module->StoreKeyValues();
    const AnsiString docType = Trim(Text(module->KeyValues[1]));
    if (!F.btnSorvane || !F.btnSorvane->Visible() || Types.Count() == 0) return false;
    std::vector<AnsiString> row;
    if (!TypeRow(docType, row)) return false;
    const AnsiString code = F.ConfirmField ? Trim(F.ConfirmField->AsString()) : AnsiString();
    const AnsiString status = Status();
    AutoSend.clear();
    switch (kind) {
    case 3:
        if ((row[0] == "Y" || row[0] == "C" || row[0] == "y") && StatusIn(status, "02N") && code == "N") {
            AutoSend = row[0];
            return true;
        }
        return false;
    case 2:
        return row[6] == "Y" && StatusIn(status, "03N") && code == "Y";
    case 1:
        return row[7] == "Y" && StatusIn(status, "02N") && code == "N";
    case 0:
        return row[8] == "Y" && StatusIn(status, "0N") && code == "V";
    default:
        return false;
    }
}

bool TSignOff::AskInfo() const {
    return !(AutoSend == "Y" && F.EditState == esInsert);
}

// ---- the job ----

bool TSignOff::KeyText(AnsiString& text) const {
    text.clear();
    TdmDouble* module = F.DoubleModule();
    if (!module) return false;
    const bool adding = F.EditState == esInsert && module->AutoKey;
    for (int i = 1; i <= GetTokenCount(module->KeyFields, ","); ++i) {
        const AnsiString name = Trim(GetToken(module->KeyFields, ",", i));
        TField* field = name.empty() ? nullptr : module->cdsMain->FindField(name);
        AnsiString value = field ? field->AsString() : AnsiString();
        if (adding && SameText(name, module->AutoKeyField) && !F.ServerNumber.empty()) value = F.ServerNumber;
        // A number key whose text is no number names no document.
        double number = 0;
        if (field && NumericType(field->DataType()) && !TryStrToFloat(Trim(value), number)) {
            text.clear();
            return false;
        }
        text += (i > 1 ? "||" : "") + value;
    }
    return true;
}

bool TSignOff::Pending() {
    if (!F.Broker) return false;
    AnsiString keys;
    if (!KeyText(keys)) return false;
    Variant row;
    return F.Broker->CheckValue("QZJOBQUE", "02", row,
                                VarArrayOf({F.Broker->CompanyID, F.Broker->ProgramID, keys}));
}

void TSignOff::Send(bool, Byte kind, bool) {
    TdmDouble* module = F.DoubleModule();
    if (!module || !F.Broker) return;
    TBrokers* broker = F.Broker;
    F.ConfirmKind = kind;
    const AnsiString sys174 = broker->GetSysSetting("SYS174");
    if (broker->GetSysSetting("SYS060") == "Y") {
        if (Pending()) {
            broker->Say("E", "200130");
            return;
        }
        const bool configured =
            sys174 == "Y" || (!broker->ProgramAttr5.empty() && !broker->ProgramAttr6.empty());
        if (!configured || !Required(kind) || !module->CanModify()) return;
    }
    if (!F.MayConfirm(kind)) return;
    module->StoreKeyValues();
    AnsiString keys;
    if (!KeyText(keys)) {
        Variant text;
        F.ConvertUiText(Variant(AnsiString("单据键值不是有效的数字，不能送签！")), text);
        broker->Say("E", "000032", {VarToStr(text)});
        return;
    }

    // The fields the sign-off system is told of, by the type's mapping rows.
    Variant mapping;
    const AnsiString docType = Trim(Text(module->KeyValues[1]));
    if (!broker->QueryData("WOQMQ", "02", mapping, VarArrayOf({broker->ProgramID, docType}))) {
        broker->Say("E", "200132");
        return;
    }
    std::vector<Variant> rows = Rows(mapping);
    if (rows.empty()) {
        broker->Say("E", "200132");
        return;
    }
    const AnsiString formID = Trim(Text(ElementOf(rows[0], 1)));
    const AnsiString mainTable = Trim(broker->GetSvrSetting("M11_TABLE"));
    const AnsiString bodyTable = Trim(broker->GetSvrSetting("D11_TABLE"));
    const bool adding = F.EditState == esInsert && module->AutoKey;
    AnsiString valueList, fieldList;
    Variant returned =
        VarArrayCreate({0, 1, 0, std::max<int>(0, static_cast<int>(rows.size()) - 1)}, varVariant);
    for (size_t r = 0; r < rows.size(); ++r) {
        const AnsiString name = Trim(Text(ElementOf(rows[r], 3)));
        const AnsiString table = Trim(Text(ElementOf(rows[r], 4)));
        const AnsiString qzName = Trim(Text(ElementOf(rows[r], 5)));
        const bool head = SameText(table, mainTable);
        if (name.empty() || (!head && !SameText(table, bodyTable))) continue;
        TDataSet* dataSet = head ? static_cast<TDataSet*>(module->cdsMain) : module->cdsBody1;
        TField* field = dataSet->FindField(name);
        const AnsiString side = head ? "M;" : "D;";
        if (!field) {
            fieldList += (fieldList.empty() ? "" : "||") + side + name;
            continue;
        }
        const AnsiString kindText = NumericType(field->DataType()) ? "N" : "C";
        AnsiString value = field->AsString();
        if (head && adding && SameText(name, module->AutoKeyField) && !F.ServerNumber.empty())
            value = F.ServerNumber;
        valueList += qzName + "," + kindText + "," + value + ";";
        fieldList += (fieldList.empty() ? "" : "||") + side + name + "," + kindText + "," + qzName;
        returned.PutElement({0, static_cast<int>(r)}, Variant(name));
        returned.PutElement({1, static_cast<int>(r)}, Variant(value));
    }
    F.ReturnValue = returned;

    AnsiString condition;
    if (!module->KeyCondition(condition)) return;
    const AnsiString action = kind == 3 ? "0" : kind == 2 ? "1" : kind == 1 ? "2" : kind == 0 ? "3" : "-1";

    // The transaction manager checks the action as it would run it; only its structured error stops.
    Variant pair, request;
    if (!F.BuildConfirmRequest(kind, true, pair, request)) return;
    Variant result;
    try {
        Variant manager = CreateOleObject("TransManagerC.Class1");
        bool checked = false;
        {
            THourGlass hourGlass;
            checked =
                VarCall(manager, "DoCheck", {request, VarArrayOf({ElementOf(pair, 0), ElementOf(pair, 1)})})
                    .AsBoolean();
        }
        if (checked)
            result = VarArrayOf({Variant(), Variant(), VarGet(manager, "ReturnSeq")});
        else
            result = VarArrayOf({VarGet(manager, "ErrorCode"), VarGet(manager, "ResultDesc"),
                                 VarGet(manager, "ErrorDescript")});
        VarCall(manager, "CloseCOM");
        F.ShowTransactionResult(result, checked);
    } catch (const EAbort&) {
        throw;
    } catch (const Exception& e) {
        WriteAlertLog(broker->ProgramID, "SignOff-Check:" + e.Message(), 'D');
    }

    Variant info;
    if (AskInfo()) {
        if (!F.RunSignOffSettings(info)) return;
    } else {
        info = VarArrayOf({1, broker->UserID});
    }

    AnsiString printFormat;
    try {
        TUserDefIni formats;
        printFormat = formats.GetFormat(UpperCase(F.PrintProgram), F.GetLinkKeyValue());
        if (SameText(printFormat, UserDefNoFormat)) printFormat.clear();
    } catch (const Exception&) {
        printFormat.clear();
    }
    const Variant server = ElementOf(pair, 0), program = ElementOf(pair, 1);
    const AnsiString tables = broker->GetSvrSetting("M11_TABLE") + ";" + broker->GetSvrSetting("M11_KEY") +
                              "||" + broker->GetSvrSetting("D11_TABLE") + ";" +
                              broker->GetSvrSetting("D11_KEY");
    std::vector<Variant> job{Variant(formID),
                             Variant(condition),
                             Variant(valueList),
                             Variant(action),
                             Variant(F.PrintProgram),
                             Variant(Status()),
                             Variant(keys),
                             server,
                             program,
                             ElementOf(info, 0),
                             ElementOf(info, 1),
                             Variant(printFormat)};
    const bool pictures = F.CreateGifBeforeSendQZ != "N" && sys174 != "Y";
    if (pictures) {
        Variant files;
        bool made = false;
        AnsiString failure;
        for (int attempt = 0; attempt < 2 && !made; ++attempt) {
            try {
                CreateImages(broker->UserID, broker->CompanyID, files, printFormat, keys, F.PrintProgram);
                made = true;
            } catch (const Exception& e) {
                failure = e.Message();
            }
        }
        if (!made) {
            WriteAlertLog(broker->ProgramID, FormatDateTime("yyyy-mm-dd hh:nn:ss", Now()) + " " + failure,
                          'D');
            Variant text;
            F.ConvertUiText(Variant(AnsiString(
                                "送签生成图片失败，请检查相关设置，\r并把log文件发给研发相关人员进行分析！")),
                            text);
            Application->MessageBox(VarToStr(text), "Information", MB_ICONERROR);
            Abort();
        }
        TMemoryStream stream;
        AnsiString sizes;
        CollectImages(files, sizes, true, &stream);
        Variant bytes = VarArrayCreate({0, static_cast<int>(stream.Size()) - 1}, varByte);
        stream.SetPosition(0);
        for (int i = 0; i < static_cast<int>(stream.Size()); ++i) {
            unsigned char byte = 0;
            stream.Read(&byte, 1);
            bytes.PutElement({i}, Variant(static_cast<Byte>(byte)));
        }
        job.push_back(bytes);
        job.push_back(Variant(sizes));
    }
    job.push_back(Variant(tables));
    job.push_back(Variant(fieldList));
    if (!broker->SendQZJob(1, VarArrayOf(job))) return;

    // Once the queue holds the job the document shows it as being sent.
    Variant queued;
    try {
        broker->CallCounter(
            "SimpleSql",
            VarArrayOf(
                {"select TOP 1 1 AS REC from QZJOBQUE(nolock) where QZ001=" + QuotedStr(broker->CompanyID) +
                     " and QZ002=" + QuotedStr(broker->ProgramID) + " and QZ003=" + QuotedStr(keys) + " ",
                 "REC", AnsiString(), "N"}),
            queued);
    } catch (const Exception& e) {
        WriteAlertLog(broker->ProgramID, "SignOff-Queue:" + e.Message(), 'D');
    }
    if (!VarIsArray(queued) || !F.SignOffField) return;
    // A new document is saved by now: its status is a change of a stored document, never numbered again.
    if (F.EditState == esInsert) F.SetEditState(esBrowse);
    TClientDataSet* main = module->cdsMain;
    if (main->State() == dsBrowse) main->Edit();
    F.SignOffField->SetAsString("S");
    main->Post();
    F.UpdateButtonStates();
    module->SaveDataSet(main);
}

// ---- pictures ----

void TSignOff::CreateImages(const AnsiString& user, const AnsiString& company, Variant& files,
                            const AnsiString& printFormat, const AnsiString& keyValues,
                            const AnsiString& printProgram) {
    const bool jpeg = Jpeg();
    const AnsiString extension = jpeg ? ".JPG" : ".GIF";
    AnsiString folder = F.ClientDir;
    if (folder.empty() || folder.back() != '\\') folder += "\\";
    folder += "c_temp";
    ForceDirectories(folder);
    folder += "\\" + company + "\\";
    ForceDirectories(folder);
    AnsiString prefix = StringReplace(keyValues, "||", "-", rfReplaceAll);
    prefix = StringReplace(prefix, "*", " ", rfReplaceAll);
    for (const AnsiString& name : PictureFiles(folder, prefix, extension))
        DeleteFile(folder + name);
    std::vector<Variant> keyArray;
    size_t start = 0;
    for (;;) {
        const size_t at = keyValues.find("||", start);
        keyArray.push_back(
            Variant(keyValues.substr(start, at == AnsiString::npos ? AnsiString::npos : at - start)));
        if (at == AnsiString::npos) break;
        start = at + 2;
    }
    Variant result;
    const Variant command = VarArrayOf(
        {11, 0, VarArrayOf({VarArrayOf(keyArray), jpeg ? 1 : 2, folder + prefix, 96, printFormat})});
    Variant mode;
    TWorkCenter(F.Broker->HostApp)
        .ExecWork(VarArrayOf({user, company, printProgram}), Variant(), command, mode, result);
    if (VarIsDispatch(result)) VarCall(result, "Quit", {});
    files = VarArrayOf({prefix, folder});
}

void TSignOff::CollectImages(const Variant& files, AnsiString& sizes, bool remove, TStream* stream) {
    sizes.clear();
    const AnsiString prefix = StringReplace(Text(ElementOf(files, 0)), "*", " ", rfReplaceAll);
    const AnsiString folder = Text(ElementOf(files, 1));
    const AnsiString extension = Jpeg() ? ".JPG" : ".GIF";
    const std::vector<AnsiString> names = PictureFiles(folder, prefix, extension);
    for (const AnsiString& name : names) {
        AnsiString bytes;
        if (!ReadFileBytes(folder + name, bytes)) throw Exception("Cannot read " + folder + name);
        if (!bytes.empty()) stream->Write(bytes.data(), static_cast<int>(bytes.size()));
        sizes += (sizes.empty() ? "" : ";") + IntToStr(static_cast<int>(bytes.size()));
    }
    if (remove)
        for (const AnsiString& name : names)
            DeleteFile(folder + name);
}

// ---- commands ----

void TSignOff::UpdateActions() {
    TToolButton* button = F.btnSorvane;
    if (!button) return;
    button->SetEnabled(button->Visible() && F.btnFirst && F.btnFirst->Enabled());
    if (!button->Visible() || F.SignOffStatusField.empty()) return;
    auto enable = [](auto* item, bool on) {
        if (item) item->SetEnabled(on);
    };
    auto enabled = [](auto* item) { return item && item->Enabled(); };
    enable(F.miViewSorvane, true);
    const AnsiString status = Status();
    if (status == "1" || status == "4" || status == "5" || status == "6" || status == "S") {
        for (TControl* control : std::initializer_list<TControl*>{F.btnEdit, F.btnDelete, F.btnConfirm,
                                                                  F.btnUnConfirm, F.btnInvalid})
            enable(control, false);
        for (TMenuItem* item : {F.miEdit, F.miDelete, F.miConfirm, F.miUnConfirm, F.miInvalid, F.miGoConfirm,
                                F.miGoUnConfirm, F.miGoInvalid})
            enable(item, false);
    } else if (status == "0" || status == "2" || status == "3") {
        struct TSend {
            TMenuItem* Item;
            Byte Kind;
            TControl* Button;
            TMenuItem* Direct;
        };
        const TSend sends[] = {{F.miGoConfirm, 3, F.btnConfirm, F.miConfirm},
                               {F.miGoUnConfirm, 2, F.btnUnConfirm, F.miUnConfirm},
                               {F.miGoInvalid, 1, F.btnInvalid, F.miInvalid}};
        for (const TSend& send : sends) {
            enable(send.Item, enabled(send.Item) && Required(send.Kind));
            const bool viaSignOff = enabled(send.Item);
            enable(send.Button, enabled(send.Button) && !viaSignOff);
            enable(send.Direct, enabled(send.Direct) && !viaSignOff);
        }
    } else {
        for (TMenuItem* item : {F.miGoConfirm, F.miGoUnConfirm, F.miGoInvalid, F.miViewSorvane})
            enable(item, false);
    }
}

void TSignOff::ViewInfo() {
    TdmDouble* module = F.DoubleModule();
    if (!module || !F.Broker) return;
    const AnsiString status = Status();
    if (status == "0" || status == "S" || status == "N") {
        F.Broker->ShowMessageDialog(LangText("sNoSorvaneInfo", "表单未送签或在传送中，无签核信息 !"), mtError,
                                    TMsgDlgButtons{mbOK}, 1);
        return;
    }
    if (F.Broker->GetSysSetting("SYS174") == "Y") {
        F.ShowSignOffOpinion();
        return;
    }
    const AnsiString firstKey = Trim(GetToken(module->KeyFields, ",", 1));
    Variant row;
    if (!F.Broker->CheckValue("WOQMQ", "02", row, VarArrayOf({F.Broker->ProgramID, FieldValue(firstKey)})))
        return;
    AnsiString condition;
    if (!module->KeyCondition(condition)) return;
    Variant answer;
    F.Broker->CallCounter("GetQZApprove",
                          VarArrayOf({F.Broker->UserID, ElementOf(row, 1), condition, AnsiString("936")}),
                          answer);
    const AnsiString response = Text(answer);
    if (response.empty()) return;
    Variant rows;
    if (ParseApproveInfo(response, rows)) F.ShowSignOffSteps(rows);
}

bool TSignOff::ParseApproveInfo(const AnsiString& response, Variant& rows) {
    rows = Variant();
    AnsiString answer = response;
    AnsiString retVal = TakeTagValue(answer, "RetVal");
    AnsiString approveInfo = TakeTagValue(retVal, "ApproveInfo");
    AnsiString retInfo = TakeTagValue(retVal, "RetInfo");
    const AnsiString errNum = Trim(TakeTagValue(retInfo, "ErrNum"));
    const AnsiString errDis = TakeTagValue(retInfo, "ErrDis");
    if (errNum != "0") {
        const AnsiString text =
            Format(LangText("sSorvaneErrorInfo", "取签核信息失败 !\n\r错误代号: %s\n\r错误消息: %s"),
                   {errNum, errDis});
        Variant shown;
        F.ConvertUiText(Variant(text), shown);
        F.Broker->ShowMessageDialog(VarToStr(shown), mtError, TMsgDlgButtons{mbOK}, 0);
        return false;
    }
    std::vector<Variant> found;
    AnsiString passList = TakeTagValue(approveInfo, "PassNoInfoList");
    for (;;) {
        AnsiString pass = TakeTagValue(passList, "PassNoInfo");
        if (pass.empty()) break;
        const AnsiString passNo = TakeTagValue(pass, "PassNo");
        AnsiString branches = TakeTagValue(pass, "BranchInfoList");
        for (;;) {
            AnsiString branch = TakeTagValue(branches, "BranchInfo");
            if (branch.empty()) break;
            const AnsiString branchNo = TakeTagValue(branch, "BranchNo");
            const AnsiString role = TakeTagValue(branch, "FlowRole");
            // Each person is known by its RecPersonId; the values around it follow in the same order.
            while (branch.find("<RecPersonId>") != AnsiString::npos) {
                const AnsiString recTime = TakeTagValue(branch, "RecTime");
                const AnsiString approveTime = TakeTagValue(branch, "ApproveTime");
                const AnsiString approveRet = TakeTagValue(branch, "ApproveRet");
                const AnsiString recId = TakeTagValue(branch, "RecPersonId");
                const AnsiString recName = TakeTagValue(branch, "RecPersonName");
                const AnsiString approveId = TakeTagValue(branch, "ApprovePersonId");
                const AnsiString approveName = TakeTagValue(branch, "ApprovePersonName");
                found.push_back(VarArrayOf({passNo, branchNo, role, recTime, approveTime, approveRet, recId,
                                            recName, approveId, approveName}));
            }
        }
    }
    if (found.empty()) return false;
    found.push_back(Variant());
    rows = VarArrayOf(found);
    return true;
}

void TSignOff::ShowOpinion() {
    TdmDouble* module = F.DoubleModule();
    if (!module || !F.Broker) return;
    TBrokers* broker = F.Broker;
    AnsiString key[5];
    const int count = GetTokenCount(module->KeyFields, ",");
    for (int i = 1; i <= std::min(count, 4); ++i)
        key[i - 1] = FieldValue(Trim(GetToken(module->KeyFields, ",", i)));
    if (count >= 5) {
        key[4] = FieldValue(Trim(GetToken(module->KeyFields, ",", 5)));
        for (int i = 6; i <= count; ++i)
            key[4] += "||" + FieldValue(Trim(GetToken(module->KeyFields, ",", i)));
    }
    Variant stored;
    broker->CallCounter(
        "SimpleSql",
        VarArrayOf({" SELECT ME007 FROM $$QZSME WHERE ME001 = " + QuotedStr(broker->ProgramID) +
                        " AND ME002 = " + QuotedStr(key[0]) + " AND ME003 = " + QuotedStr(key[1]) +
                        " AND ME004 = " + QuotedStr(key[2]) + " AND ME005 = " + QuotedStr(key[3]) +
                        " AND ME006 = " + QuotedStr(key[4]),
                    "ME007", broker->Database, "N"}),
        stored);
    std::vector<Variant> rows = Rows(stored);
    const AnsiString xml = rows.empty() ? AnsiString() : Text(ElementOf(rows[0], 0));
    AnsiString formID, sheetNo;
    ReadXmlValue(xml, "//Response/ResponseContent/ContentText/Form/TargetFormID", "", formID, "");
    ReadXmlValue(xml, "//Response/ResponseContent/ContentText/Form/TargetSheetNo", "", sheetNo, "");
    Variant company;
    broker->CallCounter("SimpleSql",
                        VarArrayOf({" SELECT MB008, MB009, MB010, MB011 FROM QVNMB WHERE MB001 = " +
                                        QuotedStr(broker->CompanyID),
                                    "MB008,MB009,MB010,MB011"}),
                        company);
    std::vector<Variant> site = Rows(company);
    const Variant mb = site.empty() ? Variant() : site[0];
    const AnsiString request =
        "<Request><RequestMethod>GetApproveOpinion</RequestMethod><LogOnInfo><SenderIP>" +
        SenderAddress(*broker) + "</SenderIP><ReceiverIP>" + Text(ElementOf(mb, 3)) + "</ReceiverIP>" +
        "<QZSiteName>" + Text(ElementOf(mb, 2)) + "</QZSiteName>" + "<QZLogonID>" + broker->UserID +
        "</QZLogonID>" + "<SystemID>Norvu</SystemID >" + "</LogOnInfo>" + "<RequestContent>" +
        "<ContentText>" + "<Form>" + "<TargetFormID>" + formID + "</TargetFormID>" + "<TargetSheetNo>" +
        sheetNo + "</TargetSheetNo>" + "</Form>" + "</ContentText>" + "</RequestContent>" + "</Request>";
    Variant answer;
    broker->CallCounter("CallWebService",
                        VarArrayOf({ElementOf(mb, 0), ElementOf(mb, 1), request, AnsiString("N")}), answer);
    AnsiString url;
    ReadXmlValue("<?xml version=\"1.0\" encoding=\"GB2312\"?>" + Text(answer),
                 "//Response/ResponseContent/ContentText/URL", "", url, "");
    if (url.empty()) return;
    TShellExecuteInfo info;
    info.Verb = "open";
    info.File = "IExplore.EXE";
    info.Parameters = url;
    ShellExecuteEx(info);
}

// ---- the form's sign-off commands ----

void TfrmDouble::PublishSignOff(TClassBuilder<TfrmDouble>& c) {
    c.Field("btnSepSorvane", &TfrmDouble::btnSepSorvane);
    c.Field("btnSorvane", &TfrmDouble::btnSorvane);
    c.Field("popSorvane", &TfrmDouble::popSorvane);
    c.Field("miGoConfirm", &TfrmDouble::miGoConfirm);
    c.Field("miGoUnConfirm", &TfrmDouble::miGoUnConfirm);
    c.Field("miGoInvalid", &TfrmDouble::miGoInvalid);
    c.Field("miViewSorvane", &TfrmDouble::miViewSorvane);
    c.Field("mConfirmErp", &TfrmDouble::mConfirmErp);
    c.Field("mUpdateConfirm", &TfrmDouble::mUpdateConfirm);
    c.Method("btnSorvaneClick", &TfrmDouble::btnSorvaneClick);
    c.Method("miGoConfirmClick", &TfrmDouble::miGoConfirmClick);
    c.Method("miGoUnConfirmClick", &TfrmDouble::miGoUnConfirmClick);
    c.Method("miGoInvalidClick", &TfrmDouble::miGoInvalidClick);
    c.Method("miViewSorvaneClick", &TfrmDouble::miViewSorvaneClick);
    c.Method("mConfirmErpClick", &TfrmDouble::mConfirmErpClick);
    c.Method("mUpdateConfirmClick", &TfrmDouble::mUpdateConfirmClick);
}

void TfrmDouble::LoadSignOffTypes() {
    SignOff->LoadTypes();
}

void TfrmDouble::LoadSignOffTypesQz() {
    SignOff->LoadTypesQz();
}

void TfrmDouble::ShowSignOffOpinion() {
    SignOff->ShowOpinion();
}

bool TfrmDouble::AskSignOffInfo() {
    return SignOff->AskInfo();
}

void TfrmDouble::UpdateSignOffActions() {
    SignOff->UpdateActions();
}

bool TfrmDouble::RunSignOffSettings(Variant& result) {
    return ExecuteSetQZInfo(this, result);
}

void TfrmDouble::ShowSignOffSteps(const Variant& rows) {
    ShowQZInfo(rows);
}

void TfrmDouble::btnSorvaneClick(TObject* sender) {
    if (miGoConfirm && miGoConfirm->Enabled())
        miGoConfirmClick(sender);
    else if (popSorvane && btnSorvane)
        popSorvane->Popup(btnSorvane->ClientToScreen(TPoint{0, btnSorvane->Height()}).X,
                          btnSorvane->ClientToScreen(TPoint{0, btnSorvane->Height()}).Y);
}

void TfrmDouble::miGoConfirmClick(TObject*) {
    SendForSignOff(true, 3, true);
}

void TfrmDouble::miGoUnConfirmClick(TObject*) {
    SendForSignOff(true, 2, true);
}

void TfrmDouble::miGoInvalidClick(TObject*) {
    SendForSignOff(true, 1, true);
}

void TfrmDouble::miViewSorvaneClick(TObject*) {
    SignOff->ViewInfo();
}

void TfrmDouble::mConfirmErpClick(TObject*) {
    const AnsiString code = ConfirmField ? Trim(ConfirmField->AsString()) : AnsiString();
    ConfirmDocument(code != "Y" ? 3 : 2, false);
}

void TfrmDouble::mUpdateConfirmClick(TObject*) {
    TdmDouble* module = DoubleModule();
    if (!module || !SignOffField) return;
    TClientDataSet* main = module->cdsMain;
    if (main->State() == dsBrowse) main->Edit();
    SignOffField->SetAsString("0");
    main->Post();
    UpdateButtonStates();
    module->SaveDataSet(main);
}
