#include "standins/outside/xmldom/xmldomdisp.h"

#include "classlib/automation/autoobj.h"

namespace xmldom {

namespace {

Variant NoObject() {
    return Variant(static_cast<IDispatch*>(nullptr));
}

Variant OptionalText(const std::optional<AnsiString>& value) {
    return value ? Variant(*value) : Null();
}

class TDOMParseErrorDisp : public TAutoObject {
public:
    explicit TDOMParseErrorDisp(ParseErrorPtr error) : FError(std::move(error)) {}
    int errorCode() const { return static_cast<int>(FError->errorCode()); }
    AnsiString reason() const { return FError->reason(); }
    int line() const { return static_cast<int>(FError->line()); }
    int linepos() const { return static_cast<int>(FError->linepos()); }

protected:
    const TAutoMembers& Members() const override {
        static const TAutoMembers members{
            AutoProperty("errorCode", &TDOMParseErrorDisp::errorCode),
            AutoProperty("reason", &TDOMParseErrorDisp::reason),
            AutoProperty("line", &TDOMParseErrorDisp::line),
            AutoProperty("linepos", &TDOMParseErrorDisp::linepos),
        };
        return members;
    }

private:
    ParseErrorPtr FError;
};

class TDOMNodeListDisp : public TAutoObject {
public:
    explicit TDOMNodeListDisp(NodeListPtr list) : FList(std::move(list)) {}
    int length() const { return static_cast<int>(FList->length()); }
    Variant item(int index) const { return NodeDispatch(FList->item(index)); }

protected:
    const TAutoMembers& Members() const override {
        static const TAutoMembers members{
            AutoProperty("length", &TDOMNodeListDisp::length),
            AutoMethod("item", &TDOMNodeListDisp::item),
        };
        return members;
    }

private:
    NodeListPtr FList;
};

class TDOMNamedNodeMapDisp : public TAutoObject {
public:
    explicit TDOMNamedNodeMapDisp(NamedNodeMapPtr map) : FMap(std::move(map)) {}
    int length() const { return static_cast<int>(FMap->length()); }
    Variant item(int index) const { return NodeDispatch(FMap->item(index)); }
    Variant getNamedItem(const AnsiString& name) const { return NodeDispatch(FMap->getNamedItem(name)); }

protected:
    const TAutoMembers& Members() const override {
        static const TAutoMembers members{
            AutoProperty("length", &TDOMNamedNodeMapDisp::length),
            AutoMethod("item", &TDOMNamedNodeMapDisp::item),
            AutoMethod("getNamedItem", &TDOMNamedNodeMapDisp::getNamedItem),
        };
        return members;
    }

private:
    NamedNodeMapPtr FMap;
};

} // namespace

class TDOMNodeDisp : public TAutoObject {
public:
    explicit TDOMNodeDisp(NodePtr node) : FNode(std::move(node)) {}
    const NodePtr& NodeOf() const { return FNode; }

    AnsiString nodeName() const { return FNode->nodeName(); }
    int nodeType() const { return FNode->nodeType(); }
    Variant nodeValue() const { return OptionalText(FNode->nodeValue()); }
    AnsiString text() const { return FNode->text(); }
    void setText(const AnsiString& value) { FNode->setText(value); }
    AnsiString xml() const { return FNode->xml(); }
    Variant parentNode() const { return NodeDispatch(FNode->parentNode()); }
    Variant childNodes() const { return NodeListDispatch(FNode->childNodes()); }
    Variant attributes() const { return NamedNodeMapDispatch(FNode->attributes()); }
    Variant getAttribute(const AnsiString& name) const { return OptionalText(FNode->getAttribute(name)); }
    void setAttribute(const AnsiString& name, const AnsiString& value) { FNode->setAttribute(name, value); }
    Variant selectSingleNode(const AnsiString& xpath) const {
        return NodeDispatch(FNode->selectSingleNode(xpath));
    }
    Variant selectNodes(const AnsiString& xpath) const { return NodeListDispatch(FNode->selectNodes(xpath)); }
    Variant appendChild(const Variant& newChild) {
        NodePtr child = NodeOfDispatch(newChild);
        if (!child) throw EOleError("appendChild: the argument is not a node");
        return NodeDispatch(FNode->appendChild(child));
    }

protected:
    const TAutoMembers& Members() const override {
        static const TAutoMembers members{
            AutoProperty("nodeName", &TDOMNodeDisp::nodeName),
            AutoProperty("nodeType", &TDOMNodeDisp::nodeType),
            AutoProperty("nodeValue", &TDOMNodeDisp::nodeValue),
            AutoProperty("text", &TDOMNodeDisp::text, &TDOMNodeDisp::setText),
            AutoProperty("xml", &TDOMNodeDisp::xml),
            AutoProperty("parentNode", &TDOMNodeDisp::parentNode),
            AutoProperty("childNodes", &TDOMNodeDisp::childNodes),
            AutoProperty("attributes", &TDOMNodeDisp::attributes),
            AutoMethod("getAttribute", &TDOMNodeDisp::getAttribute),
            AutoMethod("setAttribute", &TDOMNodeDisp::setAttribute),
            AutoMethod("selectSingleNode", &TDOMNodeDisp::selectSingleNode),
            AutoMethod("selectNodes", &TDOMNodeDisp::selectNodes),
            AutoMethod("appendChild", &TDOMNodeDisp::appendChild),
        };
        return members;
    }

private:
    NodePtr FNode;
};

namespace {

class TDOMDocumentDisp : public TDOMNodeDisp {
public:
    explicit TDOMDocumentDisp(DocumentPtr document)
        : TDOMNodeDisp(document), FDocument(std::move(document)) {}

    bool async() const { return FDocument->async(); }
    void setAsync(bool value) { FDocument->setAsync(value); }
    bool load(const AnsiString& fileName) { return FDocument->load(fileName); }
    bool loadXML(const AnsiString& text) { return FDocument->loadXML(text); }
    Variant parseError() const { return ParseErrorDispatch(FDocument->parseError()); }
    Variant documentElement() const { return NodeDispatch(FDocument->documentElement()); }
    Variant createElement(const AnsiString& tagName) {
        return NodeDispatch(FDocument->createElement(tagName));
    }
    void save(const AnsiString& fileName) { FDocument->save(fileName); }

protected:
    const TAutoMembers& Members() const override {
        static const TAutoMembers members{
            TDOMNodeDisp::Members(),
            {
                AutoProperty("async", &TDOMDocumentDisp::async, &TDOMDocumentDisp::setAsync),
                AutoMethod("load", &TDOMDocumentDisp::load),
                AutoMethod("loadXML", &TDOMDocumentDisp::loadXML),
                AutoProperty("parseError", &TDOMDocumentDisp::parseError),
                AutoProperty("documentElement", &TDOMDocumentDisp::documentElement),
                AutoMethod("createElement", &TDOMDocumentDisp::createElement),
                AutoMethod("save", &TDOMDocumentDisp::save),
            }};
        return members;
    }

private:
    DocumentPtr FDocument;
};

} // namespace

Variant CreateDocumentDispatch() {
    return NodeDispatch(CoDOMDocument::Create());
}

Variant NodeDispatch(const NodePtr& node) {
    if (!node) return NoObject();
    if (auto document = std::dynamic_pointer_cast<Document>(node))
        return Variant(static_cast<IDispatch*>(new TDOMDocumentDisp(document)));
    return Variant(static_cast<IDispatch*>(new TDOMNodeDisp(node)));
}

Variant NodeListDispatch(const NodeListPtr& list) {
    if (!list) return NoObject();
    return Variant(static_cast<IDispatch*>(new TDOMNodeListDisp(list)));
}

Variant NamedNodeMapDispatch(const NamedNodeMapPtr& map) {
    if (!map) return NoObject();
    return Variant(static_cast<IDispatch*>(new TDOMNamedNodeMapDisp(map)));
}

Variant ParseErrorDispatch(const ParseErrorPtr& error) {
    if (!error) return NoObject();
    return Variant(static_cast<IDispatch*>(new TDOMParseErrorDisp(error)));
}

NodePtr NodeOfDispatch(const Variant& value) {
    const TDOMNodeDisp* disp = VarAsObject<TDOMNodeDisp>(value);
    return disp ? disp->NodeOf() : NodePtr();
}

} // namespace xmldom
