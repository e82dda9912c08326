#include "standins/appserver/txnmanager.h"

#include <cctype>

#include "classlib/automation/comserv.h"
#include "classlib/automation/sconnect.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "classlib/rtl/varview.h"
#include "standins/appserver/rarer1.h"

namespace {

TAutoObjectFactory gTxnManagerFactory("TransManager.TxnManager", [] { return Variant(new TTxnManager); });

AnsiString Setting(const TProgramSettings& settings, const char* name) {
    auto found = settings.find(name);
    return found == settings.end() ? AnsiString() : UpperCase(Trim(found->second));
}

bool IsName(const AnsiString& name) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

std::string Quoted(const AnsiString& name) {
    return "\"" + name + "\"";
}

bool IsDateText(const AnsiString& text) {
    if (text.size() != 8) return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    TDateTime date;
    return TryEncodeDate(std::stoi(text.substr(0, 4)), std::stoi(text.substr(4, 2)),
                         std::stoi(text.substr(6, 2)), date);
}

} // namespace

TTxnManager::TTxnManager() = default;

TTxnManager::~TTxnManager() = default;

const TAutoMembers& TTxnManager::Members() const {
    static const TAutoMembers members{
        AutoMethod("DoIt2", &TTxnManager::DoIt2),
        AutoMethod("DoCheck", &TTxnManager::DoCheck),
        AutoProperty("ReturnSeq", &TTxnManager::ReturnSeq),
        AutoProperty("ErrorCode", &TTxnManager::ErrorCode),
        AutoProperty("ResultDesc", &TTxnManager::ResultDesc),
        AutoProperty("ErrorDescript", &TTxnManager::ErrorDescript),
        AutoMethod("CloseCOM", &TTxnManager::CloseCOM),
    };
    return members;
}

bool TTxnManager::DoIt2(const Variant& request, const Variant&) {
    return Run(request, true);
}

bool TTxnManager::DoCheck(const Variant& request, const Variant&) {
    return Run(request, false);
}

void TTxnManager::CloseCOM() {
    FServer.reset();
    FConnectedAs.clear();
}

bool TTxnManager::Refuse(const AnsiString& code, const AnsiString& reason) {
    FErrorCode = code;
    FErrorDescript = reason;
    FResultDesc =
        VarArrayOf({Variant(AnsiString("E")), Variant(AnsiString("000032")), VarArrayOf({Variant(reason)})});
    return false;
}

bool TTxnManager::Run(const Variant& request, bool write) {
    FReturnSeq.clear();
    FErrorCode.clear();
    FErrorDescript.clear();
    FResultDesc = Variant();
    const std::vector<Variant> items = VarArrayItems(request);
    if (!VarIsArray(request) || items.size() < 6 || !VarIsArray(items[5]))
        return Refuse("1", "TransManager.TxnManager: the request is no transaction request");
    const AnsiString company = Trim(VarText(items[1]));
    const AnsiString user = Trim(VarText(items[3]));
    // Over TCP the manager acts as the user its connection speaks for: a request for another is refused.
    const AnsiString served = ServedUser();
    if (!served.empty() && user != served)
        return Refuse("2",
                      "TransManager.TxnManager: the connection speaks for " + served + ", not for " + user);
    ClaimServedUser(user);
    const std::vector<Variant> params = VarArrayItems(items[5]);
    if (params.size() < 7) return Refuse("1", "TransManager.TxnManager: the request has too few parameters");
    const AnsiString program = UpperCase(Trim(VarText(params.back())));
    const AnsiString action = UpperCase(Trim(VarText(params[2])));
    if (action != "DO" && action != "UNDO")
        return Refuse("1", "TransManager.TxnManager: unknown action '" + VarText(params[2]) + "'");

    // The program's settings and the user's rights, as the application server has them.
    const AnsiString who = program + "\n" + user + "\n" + company;
    if (!FServer || FConnectedAs != who) {
        FServer = std::make_unique<TRarer1>();
        FConnectedAs.clear();
        const int answer = FServer->Connect(
            VarArrayOf({Variant(program), Variant(user), Variant(company), Variant(AnsiString())}));
        if (answer != 0) {
            FServer.reset();
            return Refuse("2", "TransManager.TxnManager: the server refused " + user + " in " + program +
                                   " (" + IntToStr(answer) + ")");
        }
        FConnectedAs = who;
    }
    TDbSession& session = FServer->Session();
    auto refuse = [&](const AnsiString& code, const std::string& utf8,
                      const AnsiString& tail = AnsiString()) {
        return Refuse(code, session.FromUtf8(utf8) + tail);
    };
    const TProgramSettings& settings = FServer->Settings();
    const AnsiString head = Setting(settings, "M11_TABLE");
    const std::vector<AnsiString> headKey = SplitKeyList(Setting(settings, "M11_KEY"));
    const AnsiString confirm = Setting(settings, "M11_CONFIRM");
    const AnsiString confirmDate = Setting(settings, "M11_CONFIRM_DATE");
    const AnsiString lines = Setting(settings, "D11_TABLE");
    const std::vector<AnsiString> lineKey = SplitKeyList(Setting(settings, "D11_KEY"));
    const AnsiString lineConfirm = Setting(settings, "D11_CONFIRM");
    bool named = IsName(head) && IsName(confirm) && !headKey.empty() &&
                 (confirmDate.empty() || IsName(confirmDate)) && (lineConfirm.empty() || IsName(lineConfirm));
    for (const AnsiString& field : headKey)
        named = named && IsName(field);
    if (!lineConfirm.empty()) {
        named = named && IsName(lines) && lineKey.size() > headKey.size();
        for (const AnsiString& field : lineKey)
            named = named && IsName(field);
    }
    if (!named) return refuse("3", u8"程序的服务器设定没有审核码栏位 (M11_TABLE, M11_KEY, M11_CONFIRM)");
    const size_t n = headKey.size();
    if (params.size() != n + 7) return refuse("1", u8"审核请求的参数个数与单据键值不符");

    TDbParams key;
    AnsiString keyText;
    std::string where;
    for (size_t i = 0; i < n; ++i) {
        const AnsiString value = Trim(VarText(params[3 + i]));
        key.push_back(Variant(value));
        keyText += (keyText.empty() ? "" : "-") + value;
        where += (where.empty() ? "" : " AND ") + Quoted(headKey[i]) + " = ?";
    }
    const Variant readFlag = params[n + 3];
    const AnsiString date = Trim(VarText(params[n + 5]));
    const bool doing = action == "DO";
    if (doing && !IsDateText(date)) return refuse("4", u8"审核日期不正确: ", date);

    try {
        bool refused = false;
        session.Transaction([&](TDbWriter& writer) {
            auto fail = [&](const AnsiString& code, const std::string& utf8) {
                refused = true;
                refuse(code, utf8, " [" + head + ": " + keyText + "]");
            };
            const TDbResult columns = writer.Select("SELECT * FROM " + Quoted(head) + " LIMIT 0");
            bool audit = false;
            for (const std::string& column : columns.Columns)
                if (UpperCase(column) == "MODI_DATE") audit = true;
            const TDbResult stored =
                writer.Select("SELECT \"CREATOR\", \"USR_GROUP\", \"FLAG\", " + Quoted(confirm) + " FROM " +
                                  Quoted(head) + " WHERE " + where,
                              key);
            if (stored.Rows.empty()) return fail("5", u8"单据不存在");
            const TDbRow& row = stored.Rows[0];
            const AnsiString code = UpperCase(Trim(VarText(row[3])));
            // A negative FLAG is the client's own stamp of a document it has not read back: nothing to
            // compare with.
            const int read = StrToIntDef(Trim(VarText(readFlag)), -1);
            if (read >= 0 && StrToIntDef(Trim(VarText(row[2])), 0) != read)
                return fail("6", u8"单据已被他人修改, 请重新查询后再执行");
            if (doing && code == "Y") return fail("7", u8"单据已审核, 不能再审核");
            if (doing && code == "V") return fail("7", u8"单据已作废, 不能审核");
            if (!doing && code != "Y") return fail("7", u8"单据未审核, 不能撤销审核");
            const TRecordAction right = doing ? TRecordAction::Confirm : TRecordAction::Unconfirm;
            const TUserRights& rights = FServer->Rights();
            const AnsiString creator = VarText(row[0]), group = VarText(row[1]);
            if (!rights.May(right, creator, group))
                return fail("8", std::string(u8"没有") + RightName(right) + u8"的权限 (权限 " +
                                     std::to_string(rights.RecordRight(right, creator, group)) + ")");
            if (!write) return;
            std::string set =
                Quoted(confirm) + " = ?, \"FLAG\" = IFNULL(CAST(\"FLAG\" AS INTEGER), 0) % 999 + 1";
            TDbParams values{Variant(AnsiString(doing ? "Y" : "N"))};
            if (!confirmDate.empty()) {
                set += ", " + Quoted(confirmDate) + " = ?";
                values.push_back(Variant(doing ? date : AnsiString()));
            }
            if (audit) {
                set += ", \"MODIFIER\" = ?, \"MODI_DATE\" = ?";
                values.push_back(Variant(user));
                values.push_back(Variant(FormatDateTime("yyyymmddhhnnsszzz", Now())));
            }
            for (const Variant& value : key)
                values.push_back(value);
            writer.Exec("UPDATE " + Quoted(head) + " SET " + set + " WHERE " + where, values);
            if (!lineConfirm.empty()) {
                std::string lineWhere;
                for (size_t i = 0; i < n; ++i)
                    lineWhere += (lineWhere.empty() ? "" : " AND ") + Quoted(lineKey[i]) + " = ?";
                TDbParams lineValues{Variant(AnsiString(doing ? "Y" : "N"))};
                for (const Variant& value : key)
                    lineValues.push_back(value);
                writer.Exec("UPDATE " + Quoted(lines) + " SET " + Quoted(lineConfirm) + " = ? WHERE " +
                                lineWhere,
                            lineValues);
            }
        });
        if (refused) return false;
    } catch (const Exception& failure) {
        return Refuse("9", failure.Message());
    }
    FReturnSeq = keyText;
    return true;
}
