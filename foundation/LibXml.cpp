#include "foundation/LibXml.h"

#include "classlib/rtl/strutils.h"

void NewXmlDocument(xmldom::DocumentPtr& doc) {
    doc = CoDOMDocument::Create();
    doc->setAsync(false);
}

void LoadXmlDocument(const AnsiString& text, xmldom::DocumentPtr& doc) {
    NewXmlDocument(doc);
    doc->loadXML(text);
}

void ReadXmlValue(const AnsiString& xml, const AnsiString& path, const AnsiString& attribute,
                  AnsiString& value, const AnsiString& defaultValue) {
    value = defaultValue;
    try {
        xmldom::DocumentPtr doc;
        LoadXmlDocument(xml, doc);
        xmldom::NodePtr root = doc ? doc->documentElement() : nullptr;
        if (!root) return;
        const AnsiString name = Trim(attribute);
        xmldom::NodePtr node = root->selectSingleNode(name.empty() ? path : path + "/@" + name);
        if (node) value = node->text();
    } catch (...) {
        // a bad path or a failing document: the fallback stands
        value = defaultValue;
    }
}
