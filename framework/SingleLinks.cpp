#include "framework/SingleLinks.h"

#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "foundation/AlertLog.h"
#include "foundation/libstrs.h"
#include "framework/SingleCF.h"
#include "framework/SingleServices.h"

using namespace single_services;

namespace {

const char LinkSeparator = '\x03';

// The value of key in a colour text ("key=value;..."): after the key and "=", up to the next ";".
AnsiString GetColorMsg(const AnsiString& text, const AnsiString& key) {
    for (const AnsiString& pair : SplitList(text, ";")) {
        const size_t equals = pair.find('=');
        if (equals != AnsiString::npos && SameText(Trim(pair.substr(0, equals)), key))
            return pair.substr(equals + 1);
    }
    return AnsiString();
}

bool InLinkList(const AnsiString& list, const AnsiString& name) {
    for (const AnsiString& item : SplitList(list, AnsiString(1, LinkSeparator)))
        if (!item.empty() && SameText(item, name)) return true;
    return false;
}

} // namespace

AnsiString BuildGridLinkCondition(const TGridLink& link, const AnsiString& value1, const AnsiString& value2,
                                  int sqlType) {
    const bool oneSource = SameText(link.Source1, link.Source2);
    const bool oneTarget = SameText(link.Target1, link.Target2);
    if (oneSource && oneTarget) {
        if (value1.empty()) return AnsiString();
        return link.Target1 + "=" + QuotedStr(value1);
    }
    if (!oneSource && !oneTarget) {
        if (value1.empty() && value2.empty()) return AnsiString();
        return link.Target1 + "=" + QuotedStr(value1) + " and " + link.Target2 + "=" + QuotedStr(value2);
    }
    if (!oneSource) {
        if (value1.empty() && value2.empty()) return AnsiString();
        return link.Target1 + "=" + QuotedStr(value1 + link.Separator + value2);
    }
    // One source field carries both target values.
    if (!link.Separator.empty()) {
        const size_t at = value1.find(link.Separator);
        const AnsiString part1 = at == AnsiString::npos ? value1 : value1.substr(0, at);
        const AnsiString part2 =
            at == AnsiString::npos ? AnsiString() : value1.substr(at + link.Separator.size());
        if (part1.empty() && part2.empty()) return AnsiString();
        const AnsiString whole = QuotedStr(part1 + link.Separator + part2);
        if (sqlType == 0)
            return "SUBSTRING(" + link.Target1 + ",1," + IntToStr(static_cast<int>(part1.size())) + ")" +
                   "+" + QuotedStr(link.Separator) + "+SUBSTRING(" + link.Target2 + ",1," +
                   IntToStr(static_cast<int>(part2.size())) + ")=" + whole;
        return link.Target1 + "||" + QuotedStr(link.Separator) + "||" + link.Target2 + "=" + whole;
    }
    if (value1.empty()) return AnsiString();
    return link.Target1 + (sqlType == 0 ? "+" : "||") + link.Target2 + "=" + QuotedStr(value1.substr(0, 15));
}

bool TSingleLinks::IsLinkField(const AnsiString& name) const {
    return InLinkList(LinkFields, name);
}

void TSingleLinks::LoadLinkFields() {
    Variant rows;
    try {
        F.Broker->CallCounter(
            "SimpleSql",
            VarArrayOf({"SELECT MR004,MR005 FROM WOQMR WHERE MR001= " + QuotedStr(F.Broker->ProgramID),
                        "MR004,MR005", F.Broker->Database, "N"}),
            rows);
    } catch (const Exception& e) {
        WriteAlertLog(F.Broker->ProgramID, "Single-Link:" + e.Message(), 'D');
        return;
    }
    for (const Variant& row : VarArrayItems(rows))
        for (int c = 0; c < 2; ++c) {
            const AnsiString name = UpperCase(Trim(VarArrayItemText(row, c)));
            if (name.empty() || InLinkList(LinkFields, name)) continue;
            LinkFields += (LinkFields.empty() ? AnsiString() : AnsiString(1, LinkSeparator)) + name;
        }
}

void TSingleLinks::gdHeadMouseMove(TObject*, TShiftState shift, int x, int y) {
    if (F.EditState != esBrowse || !F.gdHead) return;
    const bool ctrl = shift.Contains(ssCtrl);
    if (!ctrl) {
        F.gdHead->SetCursor(crDefault);
        LinkHover = false;
    }
    const TGridCoord cell = F.gdHead->MouseCoord(x, y);
    const int column = F.gdHead->ColumnIndex(cell.X);
    bool onLink = false;
    if (column >= 0 && cell.Y >= F.gdHead->FixedRows()) {
        const AnsiString text = F.gdHead->CellText(cell.X, cell.Y);
        const AnsiString field = F.gdHead->Columns()[column].FieldName;
        onLink = !Trim(text).empty() && InLinkList(LinkFields, UpperCase(field));
    }
    if (onLink) {
        AnsiString hint = "按住CTRL并单击鼠标以跟踪链接";
        F.GetLangString("TfrmSingle", "sGridHint", hint, true, hint);
        F.gdHead->SetHint(hint);
        F.gdHead->SetShowHint(true);
        if (ctrl) {
            F.gdHead->SetCursor(crHandPoint);
            LinkHover = true;
        }
        return;
    }
    LinkHover = false;
    const AnsiString msg = RowColorMsg(cell.Y);
    F.gdHead->SetHint(msg);
    if (!msg.empty()) F.gdHead->SetShowHint(true);
}

AnsiString TSingleLinks::RowColorMsg(int gridRow) {
    TdmSingle* module = F.SingleModule();
    if (!F.IsColorManage || !F.HeadColors || !module || !module->cdsMainColor->Active() || !F.gdHead)
        return AnsiString();
    const int index = F.gdHead->RecordIndexOf(gridRow);
    if (index < 0 || module->KeyFields.empty()) return AnsiString();
    try {
        // Clones: the hovered row is read without moving either data set's record.
        TClientDataSet row(nullptr);
        row.CloneCursor(module->cdsMain, false);
        row.SetRecNo(index + 1);
        std::vector<Variant> keys;
        for (int i = 1; i <= GetTokenCount(module->KeyFields, ","); ++i)
            keys.push_back(row.FieldByName(Trim(GetToken(module->KeyFields, ",", i)))->Value());
        TClientDataSet colors(nullptr);
        colors.CloneCursor(module->cdsMainColor, false);
        if (!colors.Locate(StringReplace(module->KeyFields, ",", ";", rfReplaceAll),
                           keys.size() == 1 ? keys[0] : VarArrayOf(keys)))
            return AnsiString();
        TField* text = colors.FindField("gdHead");
        return text ? GetColorMsg(text->AsString(), "msg") : AnsiString();
    } catch (const Exception& e) {
        WriteAlertLog(F.Broker->ProgramID, "Single-ColorMsg:" + e.Message(), 'D');
        return AnsiString();
    }
}

void TSingleLinks::gdHeadMouseDown(TObject*, TMouseButton button, TShiftState, int x, int y) {
    if (button != mbLeft || !LinkHover || !F.gdHead) return;
    TdmSingle* module = F.SingleModule();
    // The grid moves to the clicked cell after its handlers ran: the link is the clicked cell's.
    const TGridCoord cell = F.gdHead->MouseCoord(x, y);
    if (cell.X >= F.gdHead->FixedCols() && cell.Y >= F.gdHead->FixedRows()) {
        F.gdHead->SetRow(cell.Y);
        F.gdHead->SetCol(cell.X);
    }
    if (module) F.FollowGridLink(F.gdHead, module->cdsMain);
    LinkHover = false;
}

void TSingleLinks::gdHeadKeyUp(TObject*, Word&, TShiftState) {
    LinkHover = false;
    if (F.gdHead) F.gdHead->SetCursor(crDefault);
}

void TSingleLinks::FollowGridLink(TFDBGrid* grid, TDataSet* dataSet) {
    if (!grid || !dataSet) return;
    THourGlass hourGlass;
    TField* selected = grid->SelectedField();
    if (!selected) return;
    const AnsiString name = selected->FieldName();
    if (Trim(selected->AsString()).empty()) return;
    Variant answer;
    F.Broker->CallCounter(
        "SimpleSql",
        VarArrayOf({"SELECT * FROM WOQMR AS WOQMR  WHERE MR001=" + QuotedStr(F.Broker->ProgramID) +
                        " and (MR004=" + QuotedStr(name) + " or MR005=" + QuotedStr(name) +
                        ")  order by MR011",
                    "MR002,MR003,MR004,MR005,MR006,MR007,MR008,MR009,MR010,MR011", F.Broker->Database, "N"}),
        answer);
    const std::vector<Variant> rows = VarArrayItems(answer);
    if (rows.empty()) return;
    Variant chosen = rows[0];
    const AnsiString selector = Trim(VarArrayItemText(rows[0], 1));
    if (!selector.empty()) {
        TField* field = dataSet->FindField(selector);
        const AnsiString value = field ? Trim(field->AsString()) : AnsiString();
        bool found = false;
        for (const Variant& row : rows)
            if (Trim(VarArrayItemText(row, 8)) == value) {
                chosen = row;
                found = true;
                break;
            }
        if (!found) return;
    }
    TGridLink link{Trim(VarArrayItemText(chosen, 2)), Trim(VarArrayItemText(chosen, 3)),
                   Trim(VarArrayItemText(chosen, 5)), Trim(VarArrayItemText(chosen, 6)),
                   Trim(VarArrayItemText(chosen, 7))};
    auto text = [dataSet](const AnsiString& fieldName) {
        TField* field = fieldName.empty() ? nullptr : dataSet->FindField(fieldName);
        return field ? Trim(field->AsString()) : AnsiString();
    };
    const AnsiString condition =
        BuildGridLinkCondition(link, text(link.Source1), text(link.Source2), F.SQLType);
    if (condition.empty()) return;
    F.RunProgram(Trim(VarArrayItemText(chosen, 4)), condition);
}

void TSingleLinks::BuildLinkQuery(const AnsiString& program, const AnsiString& table, AnsiString& result,
                                  const AnsiString& where, const AnsiString& linkNo,
                                  const AnsiString& otherTable) {
    Variant answer;
    F.Broker->CallCounter("SimpleSql",
                          VarArrayOf({"  SELECT  MR005,MR004,MR007 \r  FROM $$WOQMR \r  WHERE  MR001=" +
                                          QuotedStr(program) + " AND MR002=" + QuotedStr(linkNo),
                                      "MR005,MR004,MR007", F.Broker->Database, "N"}),
                          answer);
    for (const Variant& row : VarArrayItems(answer)) {
        const AnsiString source = Trim(VarArrayItemText(row, 0));
        const AnsiString t = SameText(table, source) ? table : otherTable;
        Variant values;
        F.Broker->CallCounter("SimpleSql",
                              VarArrayOf({" SELECT   " + Trim(VarArrayItemText(row, 2)) + " FROM  " +
                                              F.Broker->Database + ".." + t + " " + t + "  WHERE " + where,
                                          Trim(VarArrayItemText(row, 2)), F.Broker->Database, "N"}),
                              values);
        const std::vector<Variant> found = VarArrayItems(values);
        if (found.empty() || VarArrayLength(found[0]) == 0) continue;
        const Variant value = found[0].GetElement({VarArrayLowBound(found[0], 1)});
        const bool isText = VarType(value) == varString || VarType(value) == varOleStr;
        result += Trim(VarArrayItemText(row, 1)) + "," + (isText ? "C," : "N,") + VarToStr(value) + ";";
    }
}
