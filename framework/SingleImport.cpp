#include "framework/SingleImport.h"

#include "foundation/LibVCLs.h"
#include "foundation/LibXml.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "foundation/AlertLog.h"
#include "foundation/libstrs.h"
#include "framework/SingleCF.h"
#include "framework/SingleServices.h"

using namespace single_services;

void TSingleImport::ImportXml(const AnsiString& text) {
    if (Trim(text).empty()) return;
    TdmSingle* module = F.SingleModule();
    F.IsKeepOnAdd = false;
    try {
        if (!module) throw Exception("资料汇入: 没有资料模块");
        xmldom::DocumentPtr doc;
        LoadXmlDocument(text, doc);
        const xmldom::NodePtr root = doc ? doc->selectSingleNode("//dataimport") : nullptr;
        if (!root) throw Exception("资料汇入: 找不到 dataimport");
        const std::vector<AnsiString> headFields =
            SplitList(root->getAttribute("headfields").value_or(""), "|");
        const std::vector<AnsiString> bodyFields =
            SplitList(root->getAttribute("bodyfields").value_or(""), "|");
        auto* body = dynamic_cast<TDataSet*>(module->FindComponent("cdsBody1"));
        // Each value must fit its field whole: an import never cuts what it was given.
        auto assign = [](TDataSet* dataSet, const xmldom::NodePtr& node, const AnsiString& name,
                         int document) {
            const AnsiString fieldName = Trim(name);
            if (fieldName.empty()) return;
            const std::optional<AnsiString> value = node ? node->getAttribute(fieldName) : std::nullopt;
            if (!value) throw Exception(Format("资料汇入: 第 %d 笔缺少栏位 %s", {document, fieldName}));
            TField* field = dataSet->FindField(fieldName);
            if (!field) throw Exception(Format("资料汇入: 没有栏位 %s", {fieldName}));
            if (field->DataType() == ftString && field->Size() > 0 &&
                static_cast<int>(value->size()) > field->Size())
                throw Exception(Format("资料汇入: 第 %d 笔栏位 %s 的值太长", {document, fieldName}));
            SetFieldText(field, *value, true);
        };
        const xmldom::NodeListPtr documents = doc->selectNodes("//dataimport/*");
        for (long d = 0; documents && d < documents->length(); ++d) {
            const xmldom::NodePtr document = documents->item(d);
            const int number = static_cast<int>(d + 1);
            if (!F.AddRecord(true)) throw Exception(Format("资料汇入: 第 %d 笔无法新增", {number}));
            try {
                const xmldom::NodePtr head = document->selectSingleNode("head/row");
                for (const AnsiString& name : headFields)
                    assign(module->cdsMain, head, name, number);
                const xmldom::NodeListPtr lines = document->selectNodes("body/*");
                if (lines && lines->length() > 0 && !bodyFields.empty() && !body)
                    throw Exception("资料汇入: 没有单身资料");
                for (long l = 0; lines && body && l < lines->length(); ++l) {
                    body->Append();
                    for (const AnsiString& name : bodyFields)
                        assign(body, lines->item(l), name, number);
                    body->Post();
                }
                if (!F.SaveRecord()) throw Exception(Format("资料汇入: 第 %d 笔存档失败", {number}));
            } catch (...) {
                // The failing document is dropped whole; the documents saved before it stay.
                if (body && (body->State() == dsInsert || body->State() == dsEdit)) body->Cancel();
                F.CancelEdit(false);
                throw;
            }
        }
    } catch (const Exception& e) {
        // The import ends at its first fault, which the user is shown; the form closes all the same.
        F.FCloseRequested = true;
        WriteAlertLog(F.Broker->ProgramID, "Single-Import:" + e.Message(), 'D');
        Variant shown;
        F.ConvertUiText(e.Message(), shown);
        F.ShowMessageDlg(VarToStr(shown), mtError, {mbOK});
        return;
    }
    F.FCloseRequested = true;
}
