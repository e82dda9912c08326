#include "foundation/MT_Doc.h"

#include <algorithm>

#include "classlib/controls/comctrls.h"
#include "classlib/controls/forms.h"
#include "classlib/dbctrls/wwdbgrid.h"
#include "classlib/rtl/exceptions.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "classlib/rtl/variants.h"
#include "foundation/AlertLog.h"
#include "foundation/CodeConverter.h"
#include "foundation/LibVCLs.h"
#include "foundation/LibXml.h"

namespace {

const char* const EmptyDocument =
    "<?xml version=\"1.0\" encoding=\"GB2312\"?><!-- Norvu ERP用户设置 --><MT_User CompanyID=\"\" "
    "ProgID=\"\"><Components /></MT_User>";

// The element children of a node, in order.
std::vector<xmldom::NodePtr> Elements(const xmldom::NodePtr& node) {
    std::vector<xmldom::NodePtr> result;
    if (!node) return result;
    xmldom::NodeListPtr children = node->childNodes();
    for (long i = 0; children && i < children->length(); ++i)
        if (xmldom::NodePtr child = children->item(i); child && child->nodeType() == xmldom::NODE_ELEMENT)
            result.push_back(child);
    return result;
}

AnsiString IdOf(const xmldom::NodePtr& node) {
    return node ? node->getAttribute("ID").value_or(AnsiString()) : AnsiString();
}

// A name or ID that can stand in a path: no quotes, no path characters.
bool SafeName(const AnsiString& text) {
    return !text.empty() && text.find_first_of("'\"/[]()@*=<>|,: ") == AnsiString::npos;
}

void LogSkipped(const AnsiString& where, const AnsiString& name, const Exception& e) {
    WriteAlertLog("MT_Doc", where + " " + name + ": " + e.Message());
}

} // namespace

bool MTBoolValue(const AnsiString& value) {
    const AnsiString word = UpperCase(Trim(value));
    return !(word == "N" || word == "FALSE" || word == "0");
}

TMT_Doc::TMT_Doc() {
    LoadXml(EmptyDocument);
}

TMT_Doc* TMT_Doc::CreateFromXml(const AnsiString& xml) {
    auto* doc = new TMT_Doc();
    try {
        doc->LoadXml(xml);
    } catch (...) {
        delete doc;
        throw;
    }
    return doc;
}

void TMT_Doc::LoadXml(const AnsiString& xml) {
    NewXmlDocument(FDocument);
    FDocument->loadXML(xml);
    Bind();
}

void TMT_Doc::Bind() {
    FRoot = FDocument->documentElement();
    FComponents = nullptr;
    if (!FRoot) {
        auto error = FDocument->parseError();
        throw EOleError("MT_User: " + (error ? error->reason() : AnsiString("no document element")));
    }
    FComponents = FindChild(FRoot, "Components", true);
}

AnsiString TMT_Doc::Xml() const {
    return FDocument ? FDocument->xml() : AnsiString();
}

AnsiString TMT_Doc::ToUI(const AnsiString& text) const {
    return FCodeConverter ? VarToStr(FCodeConverter->ProgramToUI(Variant(text))) : text;
}

xmldom::NodePtr TMT_Doc::FindChild(const xmldom::NodePtr& node, const AnsiString& name, bool create) const {
    if (!node || !SafeName(name)) return nullptr;
    // The first child element of that name, as the path of the name alone selects it; walked rather
    // than evaluated, as every new line of a grid looks its default texts up here.
    xmldom::NodePtr child;
    const xmldom::NodeListPtr children = node->childNodes();
    for (long i = 0; children && i < children->length() && !child; ++i)
        if (xmldom::NodePtr candidate = children->item(i);
            candidate && candidate->nodeType() == xmldom::NODE_ELEMENT && candidate->nodeName() == name)
            child = candidate;
    if (!child && create) {
        child = node->appendChild(FDocument->createElement(name));
    }
    return child;
}

xmldom::NodePtr TMT_Doc::FindById(const xmldom::NodePtr& node, const AnsiString& elementName,
                                  const AnsiString& id, bool create) const {
    if (!node || !SafeName(id)) return nullptr;
    xmldom::NodePtr child = node->selectSingleNode(elementName + "[@ID='" + id + "']");
    if (!child && create && SafeName(elementName)) {
        child = node->appendChild(FDocument->createElement(elementName));
        child->setAttribute("ID", id);
    }
    return child;
}

void TMT_Doc::SetComponentProperty(TComponent* component, const AnsiString& name, const AnsiString& value) {
    if (!component) return;
    // 1. A published property of that name takes the value by its kind.
    switch (GetPropKind(component, name)) {
    case tkInteger:
    case tkInt64:
        SetOrdPropByName(component, name, StrToInt(Trim(value)));
        break;
    case tkChar:
    case tkString:
    case tkLString:
    case tkWString:
        SetStrPropByName(component, name, value);
        break;
    case tkEnumeration:
        SetOrdPropByName(component, name, MTBoolValue(value) ? 1 : 0);
        break;
    default:
        break;
    }
    // 2. The special settings.
    if (SameText(name, "Parent")) {
        auto* control = dynamic_cast<TControl*>(component);
        TComponent* owner = component->Owner();
        if (!control || !owner) return;
        TWinControl* parent = nullptr;
        if (value == ToUI("单头") || value == "Header")
            parent = dynamic_cast<TWinControl*>(owner->FindComponent("pnlHead"));
        else if (value == ToUI("单尾") || value == "Tail")
            parent = dynamic_cast<TWinControl*>(owner->FindComponent("pnlFoot"));
        else if (auto* pages = dynamic_cast<TPageControl*>(owner->FindComponent("pgHead"))) {
            for (int i = 0; i < pages->PageCount(); ++i)
                if (pages->Pages(i)->Name() == value) parent = pages->Pages(i);
            for (int i = 0; i < pages->PageCount(); ++i)
                if (pages->Pages(i)->Caption() == value) parent = pages->Pages(i);
        }
        if (parent) control->SetParent(parent);
    } else if (SameText(name, "DCVisible")) {
        if (auto* sheet = dynamic_cast<TTabSheet*>(component))
            sheet->SetTabVisible(MTBoolValue(value));
        else
            SetOrdPropByName(component, "Visible", MTBoolValue(value) ? 1 : 0);
    } else if (SameText(name, "DisplayLabel")) {
        SetStrPropByName(component, "Caption", value);
    } else if (SameText(name, "Items")) {
        auto* combo = dynamic_cast<TwwDBComboBox*>(component);
        if (combo && combo->Name().find("UDF") != AnsiString::npos)
            combo->Items()->SetText(StringReplace(value, "\r\n", "\t", {rfReplaceAll}));
    }
}

void TMT_Doc::ApplyToForm(TCustomForm* form) {
    if (!form) return;
    for (const xmldom::NodePtr& element : Elements(FComponents)) {
        const AnsiString id = IdOf(element);
        TComponent* component = id == form->Name() ? form : form->FindComponent(id);
        if (!component) continue;
        for (const xmldom::NodePtr& setting : Elements(element)) {
            try {
                SetComponentProperty(component, setting->nodeName(), ToUI(setting->text()));
            } catch (const Exception& e) {
                // One bad value loses that setting only.
                LogSkipped(id, setting->nodeName(), e);
            }
        }
    }
}

void TMT_Doc::ApplyDefaultTexts(TCustomForm* form) {
    if (!form) return;
    for (const xmldom::NodePtr& element : Elements(FComponents)) {
        auto* combo = dynamic_cast<TwwDBComboBox*>(form->FindComponent(IdOf(element)));
        if (!combo || !combo->Visible() || combo->Left() <= 0 || !combo->DataSource() ||
            !combo->DataSource()->DataSet())
            continue;
        for (const xmldom::NodePtr& setting : Elements(element)) {
            if (!SameText(setting->nodeName(), "DEFAULTTEXT") || setting->text().empty()) continue;
            try {
                SetFieldText(combo->Field(), setting->text(), false);
            } catch (const Exception& e) {
                LogSkipped(combo->Name(), "DEFAULTTEXT", e);
            }
        }
    }
}

void TMT_Doc::ApplyGridDefaultTexts(TwwDBGrid* grid) {
    TDataSet* ds = grid ? grid->DataSet() : nullptr;
    if (!ds) return;
    for (const xmldom::NodePtr& element : Elements(FindChild(FRoot, grid->Name(), false))) {
        const AnsiString id = IdOf(element);
        if (!SameText(element->nodeName(), "Field") || id.find("UDF") == AnsiString::npos) continue;
        xmldom::NodePtr type = FindChild(element, "ControlType", false);
        xmldom::NodePtr text = FindChild(element, "DefaultText", false);
        if (!type || type->text() != "Combo" || !text || Trim(text->text()).empty()) continue;
        TField* field = ds->FindField(id);
        if (!field || !field->Visible()) continue;
        try {
            SetFieldText(field, Trim(text->text()), false);
        } catch (const Exception& e) {
            LogSkipped(id, "DefaultText", e);
        }
    }
}

void TMT_Doc::ApplyToGrid(TwwDBGrid* grid, const AnsiString& gridName) {
    xmldom::NodePtr gridNode = FindChild(FRoot, gridName, false);
    TDataSet* ds = grid ? grid->DataSet() : nullptr;
    if (!gridNode || !ds) return;
    std::vector<TField*> fields;
    for (int i = 0; i < ds->FieldCount(); ++i)
        fields.push_back(ds->Fields()->Fields(i));
    std::vector<std::pair<int, TField*>> order;
    ds->DisableControls();
    try {
        for (TField* field : fields) {
            xmldom::NodePtr element = FindById(gridNode, "Field", field->FieldName(), false);
            if (!element || field->DataType() == ftMemo) continue;
            for (const xmldom::NodePtr& setting : Elements(element)) {
                const AnsiString name = setting->nodeName();
                if (SameText(name, "Index")) {
                    // Positions apply afterwards, in the numeric order of all of them.
                    int index = 0;
                    if (TryStrToInt(Trim(setting->text()), index))
                        order.emplace_back(index, field);
                    else
                        WriteAlertLog("MT_Doc",
                                      gridName + "." + field->FieldName() + " Index: " + setting->text());
                    continue;
                }
                try {
                    SetComponentProperty(field, name, ToUI(setting->text()));
                } catch (const Exception& e) {
                    LogSkipped(gridName + "." + field->FieldName(), name, e);
                }
            }
        }
        std::stable_sort(order.begin(), order.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [index, field] : order)
            field->SetIndex(std::clamp(index, 0, ds->FieldCount() - 1));
    } catch (...) {
        ds->EnableControls();
        throw;
    }
    ds->EnableControls();
}

void TMT_Doc::GetComponentProperty(const AnsiString& id, const AnsiString& name, AnsiString& text) const {
    text.clear();
    xmldom::NodePtr setting = FindChild(FindById(FComponents, "*", id, false), name, false);
    if (setting) text = setting->text();
}

void TMT_Doc::GetFieldProperty(const AnsiString& gridName, const AnsiString& fieldId, AnsiString& text,
                               const AnsiString& name) const {
    text.clear();
    xmldom::NodePtr setting =
        FindChild(FindById(FindChild(FRoot, gridName, false), "Field", fieldId, false), name, false);
    if (setting) text = setting->text();
}

void TMT_Doc::GetNodeIDs(const AnsiString& xpath, AnsiString& list) const {
    list.clear();
    if (!FRoot) return;
    xmldom::NodeListPtr nodes = FRoot->selectNodes(xpath);
    for (long i = 0; nodes && i < nodes->length(); ++i) {
        AnsiString id = IdOf(nodes->item(i));
        if (id.size() > 5) id = id.substr(id.size() - 5);
        if (i > 0) list += ",";
        list += id;
    }
}

void TMT_Doc::SetComponentSetting(const AnsiString& id, const AnsiString& name, const AnsiString& value) {
    xmldom::NodePtr setting = FindChild(FindById(FComponents, "Component", id, true), name, true);
    if (setting) setting->setText(value);
}

void TMT_Doc::SetFieldSetting(const AnsiString& gridName, const AnsiString& fieldId, const AnsiString& name,
                              const AnsiString& value) {
    xmldom::NodePtr setting =
        FindChild(FindById(FindChild(FRoot, gridName, true), "Field", fieldId, true), name, true);
    if (setting) setting->setText(value);
}
