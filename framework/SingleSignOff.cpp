// TfrmSingle's sign-off setting lookups of a document type and key (WOQMQ, or QZSMC with SYS174).
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "foundation/AlertLog.h"
#include "foundation/libstrs.h"
#include "framework/SingleCF.h"
#include "framework/SingleServices.h"

using namespace single_services;

void TfrmSingle::GetSignOffSetting(const AnsiString& docType, const AnsiString& key,
                                   AnsiString (&result)[2]) {
    const bool qz = Broker->GetSysSetting("SYS174") == "Y";
    const AnsiString sql =
        qz ? " SELECT MC001,MC002,MC006 \r FROM $$QZSMC AS QZSMC    \r WHERE MC001=" + QuotedStr(docType) +
                 " AND (MC002=" + QuotedStr(key) + " OR MC002='****') "
           : " SELECT MQ001,MQ002,MQ003 \r FROM $$WOQMQ AS WOQMQ   \r WHERE MQ001=" + QuotedStr(docType) +
                 " AND (MQ002=" + QuotedStr(key) + " OR MQ002='****') ";
    Variant answer;
    Broker->CallCounter("SimpleSql", VarArrayOf({sql, qz ? "MC006" : "MQ003", Broker->Database, "N"}),
                        answer);
    const std::vector<Variant> rows = VarArrayItems(answer);
    result[0] = rows.empty() ? "N" : "0";
    result[1] = rows.empty() ? AnsiString() : VarArrayItemText(rows[0], 0);
}

void TfrmSingle::GetSignOffSettingTop(const AnsiString& docType, const AnsiString& key,
                                      AnsiString (&result)[2]) {
    result[0] = "N";
    result[1].clear();
    if (Broker->GetSysSetting("SYS060") != "Y") return;
    const bool qz = Broker->GetSysSetting("SYS174") == "Y";
    const AnsiString sql =
        qz ? " SELECT top  1  MC006,MC009 \r FROM  $$QZSMC \r WHERE MC001=" + QuotedStr(docType) +
                 " AND (MC002=" + QuotedStr(key) + " OR MC002='****') " + "\r" + " ORDER  BY  MC002 DESC  "
           : " SELECT top  1  MQ003,MQ004 \r FROM  $$WOQMQ \r WHERE MQ001=" + QuotedStr(docType) +
                 " AND (MQ002=" + QuotedStr(key) + " OR MQ002='****') " + "\r" + " ORDER  BY  MQ002 DESC  ";
    try {
        Variant answer;
        Broker->CallCounter("SimpleSql",
                            VarArrayOf({sql, qz ? "MC006,MC009" : "MQ003,MQ004", Broker->Database, "N"}),
                            answer);
        const std::vector<Variant> rows = VarArrayItems(answer);
        if (rows.empty()) return;
        result[0] = VarArrayItemText(rows[0], 0);
        result[1] = VarArrayItemText(rows[0], 1);
    } catch (const Exception&) {
        result[0] = "N";
        result[1].clear();
    }
}
