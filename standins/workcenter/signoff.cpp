#include "standins/workcenter/signoff.h"

#include <cctype>
#include <cstring>

#include "classlib/rtl/strutils.h"
#include "classlib/rtl/varview.h"
#include "standins/workcenter/wcstate.h"

namespace {

AnsiString Tag(const char* name, const AnsiString& text) {
    return AnsiString("<") + name + ">" + text + "</" + name + ">";
}

AnsiString Escaped(const char* name, const AnsiString& text) {
    return Tag(name, XmlText(text));
}

// The text of the first element of that name in a request, entities of XmlText undone; '' when
// there is none. The requests are flat texts that the client builds, so a search will do.
AnsiString RequestValue(const AnsiString& xml, const char* name) {
    const AnsiString open = AnsiString("<") + name + ">", close = AnsiString("</") + name;
    const size_t start = xml.find(open);
    if (start == AnsiString::npos) return AnsiString();
    const size_t end = xml.find(close, start + open.size());
    if (end == AnsiString::npos) return AnsiString();
    AnsiString value = xml.substr(start + open.size(), end - start - open.size());
    value = StringReplace(value, "&lt;", "<", rfReplaceAll);
    value = StringReplace(value, "&gt;", ">", rfReplaceAll);
    return StringReplace(value, "&amp;", "&", rfReplaceAll);
}

// A part of an address: letters, digits, "-_.~" and the kept characters as they are, every other
// byte as %XX.
AnsiString UrlValue(const AnsiString& text, const char* kept = "") {
    static const char hex[] = "0123456789ABCDEF";
    AnsiString out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~' || (c && std::strchr(kept, c))) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

AnsiString RetInfo(const char* number, const AnsiString& description) {
    return Tag("RetInfo", Tag("ErrNum", number) + Escaped("ErrDis", description));
}

} // namespace

AnsiString KeyValuesOfCondition(const AnsiString& condition) {
    AnsiString joined;
    bool first = true;
    size_t i = 0;
    while (i < condition.size()) {
        const char c = condition[i];
        if (c == '\'') { // a literal on the left of "=" (none is written so) is skipped whole
            for (++i; i < condition.size(); ++i) {
                if (condition[i] != '\'') continue;
                if (i + 1 < condition.size() && condition[i + 1] == '\'') {
                    ++i;
                    continue;
                }
                ++i;
                break;
            }
            continue;
        }
        ++i;
        if (c != '=') continue;
        while (i < condition.size() && condition[i] == ' ')
            ++i;
        AnsiString value;
        if (i < condition.size() && condition[i] == '\'') {
            for (++i; i < condition.size(); ++i) {
                if (condition[i] != '\'') {
                    value += condition[i];
                } else if (i + 1 < condition.size() && condition[i + 1] == '\'') {
                    value += '\'';
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
        } else {
            while (i < condition.size() && condition[i] != ' ')
                value += condition[i++];
        }
        joined += (first ? "" : "||") + Trim(value);
        first = false;
    }
    return joined;
}

AnsiString SignOffApproveInfo(TDbSession& session, const Variant& params) {
    const AnsiString form = Trim(VarArrayItemText(params, 1));
    const AnsiString keys = KeyValuesOfCondition(VarArrayItemText(params, 2));
    if (form.empty() || keys.empty())
        return Tag("RetVal", RetInfo("1", "签核请求缺少表单编号或单据键值") + Tag("ApproveInfo", ""));
    const TDbResult records = session.Select(
        "SELECT AP003, AP004, AP006, AP007, AP008, AP009, AP010, AP011, AP012, AP013 FROM QZAPPROVE "
        "WHERE AP001 = ? AND AP002 = ? ORDER BY AP003, AP004, AP005",
        TDbParams{Variant(form), Variant(keys)});
    // Passes in order, each with its branches in order, each with its people.
    AnsiString passes, branches, people, pass, branch, role;
    bool any = false;
    auto closeBranch = [&] {
        if (!people.empty())
            branches += Tag("BranchInfo", Escaped("BranchNo", branch) + Escaped("FlowRole", role) + people);
        people.clear();
    };
    auto closePass = [&] {
        closeBranch();
        if (!branches.empty())
            passes += Tag("PassNoInfo", Escaped("PassNo", pass) + Tag("BranchInfoList", branches));
        branches.clear();
    };
    for (const TDbRow& row : records.Rows) {
        const AnsiString rowPass = Trim(VarText(row[0])), rowBranch = Trim(VarText(row[1]));
        if (any && rowPass != pass) closePass();
        if (any && rowBranch != branch) closeBranch();
        pass = rowPass;
        branch = rowBranch;
        role = Trim(VarText(row[2]));
        any = true;
        people += Tag("PersonInfo", Escaped("RecTime", Trim(VarText(row[3]))) +
                                        Escaped("ApproveTime", Trim(VarText(row[4]))) +
                                        Escaped("ApproveRet", Trim(VarText(row[5]))) +
                                        Escaped("RecPersonId", Trim(VarText(row[6]))) +
                                        Escaped("RecPersonName", Trim(VarText(row[7]))) +
                                        Escaped("ApprovePersonId", Trim(VarText(row[8]))) +
                                        Escaped("ApprovePersonName", Trim(VarText(row[9]))));
    }
    closePass();
    return Tag("RetVal", RetInfo("0", "") + Tag("ApproveInfo", Tag("PassNoInfoList", passes)));
}

AnsiString SignOffWebService(const Variant& params) {
    const AnsiString request = VarArrayItemText(params, 2);
    const AnsiString method = Trim(RequestValue(request, "RequestMethod"));
    auto error = [](const AnsiString& reason) {
        return Tag("Response", Tag("ResponseContent", Tag("ErrNum", "1") + Escaped("ErrDis", reason)));
    };
    if (method != "GetApproveOpinion") return error("不支持的签核服务请求: " + method);
    const AnsiString formId = Trim(RequestValue(request, "TargetFormID"));
    const AnsiString sheet = Trim(RequestValue(request, "TargetSheetNo"));
    if (formId.empty() || sheet.empty()) return error("签核请求缺少表单编号或表单单号");
    AnsiString server = Trim(RequestValue(request, "ReceiverIP"));
    if (server.empty()) server = "127.0.0.1";
    AnsiString site = Trim(RequestValue(request, "QZSiteName"));
    const AnsiString url = "http://" + UrlValue(server, ":") + "/" +
                           (site.empty() ? AnsiString() : UrlValue(site) + "/") +
                           "ApproveOpinion.aspx?FormID=" + UrlValue(formId) + "&SheetNo=" + UrlValue(sheet) +
                           "&LogonID=" + UrlValue(Trim(RequestValue(request, "QZLogonID")));
    return Tag("Response", Tag("ResponseContent", Tag("ContentText", Escaped("URL", url))));
}
