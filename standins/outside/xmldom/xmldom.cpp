#include "standins/outside/xmldom/xmldom.h"

#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>
#include <libxml/xpath.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <unordered_set>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/exceptions.h"
#include "classlib/rtl/files.h"
#include "standins/outside/xmldom/xmlencoding.h"

namespace xmldom {

// ---------------------------------------------------------------------------------------------------
// The tree: one libxml2 document, plus the subtrees cut out of it that a node object still refers to.

class Tree {
public:
    Tree(xmlDocPtr doc, bool hasDeclaration) : FDoc(doc), FHasDeclaration(hasDeclaration) {}
    Tree(const Tree&) = delete;
    Tree& operator=(const Tree&) = delete;
    ~Tree() {
        // Detached nodes take their names from the document's dictionary: free them first.
        for (xmlNodePtr root : FDetached)
            xmlFreeNode(root);
        xmlFreeDoc(FDoc);
    }

    xmlDocPtr Doc() const { return FDoc; }
    bool HasDeclaration() const { return FHasDeclaration; }

    // A subtree was cut out of the tree: freed now unless a node object still refers into it.
    void Detach(xmlNodePtr root, bool keep) {
        if (keep || IsReferenced(root))
            FDetached.insert(root);
        else
            xmlFreeNode(root);
    }
    // A node goes (back) into the tree somewhere: it is no longer a detached root.
    void Attach(xmlNodePtr node) { FDetached.erase(node); }

private:
    static bool IsReferenced(xmlNodePtr node) {
        if (node->_private != nullptr) return true;
        if (node->type == XML_ELEMENT_NODE)
            for (xmlAttrPtr attr = node->properties; attr != nullptr; attr = attr->next)
                if (IsReferenced(reinterpret_cast<xmlNodePtr>(attr))) return true;
        if (node->type == XML_ENTITY_REF_NODE) return false; // its children belong to the declaration
        for (xmlNodePtr child = node->children; child != nullptr; child = child->next)
            if (IsReferenced(child)) return true;
        return false;
    }

    xmlDocPtr FDoc;
    bool FHasDeclaration;
    std::unordered_set<xmlNodePtr> FDetached;
};

namespace {

xmlNodePtr AsNode(void* handle) {
    return static_cast<xmlNodePtr>(handle);
}
const xmlChar* X(const std::string& utf8) {
    return reinterpret_cast<const xmlChar*>(utf8.c_str());
}
const char* C(const xmlChar* text) {
    return reinterpret_cast<const char*>(text);
}

// Texts in and out: the system code page of the moment on the module's side, UTF-8 inside libxml2.
std::string In(const AnsiString& text) {
    return AnsiToUtf8(text);
}
AnsiString Out(const char* utf8, std::size_t length) {
    return Utf8ToAnsi(AnsiString(utf8, length));
}
AnsiString Out(const xmlChar* utf8) {
    return utf8 == nullptr ? AnsiString() : Out(C(utf8), std::strlen(C(utf8)));
}
AnsiString OwnedOut(xmlChar* utf8) {
    AnsiString result = Out(utf8);
    xmlFree(utf8);
    return result;
}

[[noreturn]] void Fail(const AnsiString& message) {
    throw EOleError(message);
}

void SilentGeneric(void*, const char*, ...) {}
void SilentStructured(void*, xmlErrorPtr) {}

// The first error of a parse: the one that tells the user what is wrong, where later ones only follow.
struct TFirstError {
    bool Set = false;
    long Code = 0;
    std::string Message;
    long Line = 0;
    long Column = 0;
};

void CaptureFirst(void* target, xmlErrorPtr error) {
    auto* first = static_cast<TFirstError*>(target);
    if (first->Set || error == nullptr || error->level < XML_ERR_ERROR) return;
    first->Set = true;
    first->Code = error->code != 0 ? error->code : -1;
    first->Message = error->message != nullptr ? error->message : "";
    first->Line = error->line;
    first->Column = error->int2;
}

// libxml2 reports to standard error unless told otherwise; its handlers are per thread, so they are
// switched off (or to the capture of the first error) around each call and put back after.
class TQuietErrors {
public:
    explicit TQuietErrors(TFirstError* capture = nullptr)
        : FGeneric(xmlGenericError), FGenericContext(xmlGenericErrorContext), FStructured(xmlStructuredError),
          FStructuredContext(xmlStructuredErrorContext) {
        xmlSetGenericErrorFunc(nullptr, SilentGeneric);
        if (capture != nullptr)
            xmlSetStructuredErrorFunc(capture, CaptureFirst);
        else
            xmlSetStructuredErrorFunc(nullptr, SilentStructured);
    }
    ~TQuietErrors() {
        xmlSetGenericErrorFunc(FGenericContext, FGeneric);
        xmlSetStructuredErrorFunc(FStructuredContext, FStructured);
    }
    TQuietErrors(const TQuietErrors&) = delete;
    TQuietErrors& operator=(const TQuietErrors&) = delete;

private:
    xmlGenericErrorFunc FGeneric;
    void* FGenericContext;
    xmlStructuredErrorFunc FStructured;
    void* FStructuredContext;
};

void EnsureLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        RegisterCodePageEncodings();
    });
}

bool IsContainer(xmlNodePtr node) {
    return node->type == XML_ELEMENT_NODE || node->type == XML_DOCUMENT_NODE ||
           node->type == XML_DOCUMENT_FRAG_NODE || node->type == XML_ATTRIBUTE_NODE;
}

void LinkLast(xmlNodePtr parent, xmlNodePtr child) {
    // Linked by hand: xmlAddChild merges adjacent text nodes and frees the one it merged, which would
    // pull a node from under its object.
    child->parent = parent;
    child->next = nullptr;
    child->prev = parent->last;
    if (parent->last != nullptr)
        parent->last->next = child;
    else
        parent->children = child;
    parent->last = child;
}

void ClearCounts(xmlNodePtr node) {
    node->_private = nullptr;
    if (node->type == XML_ELEMENT_NODE)
        for (xmlAttrPtr attr = node->properties; attr != nullptr; attr = attr->next)
            ClearCounts(reinterpret_cast<xmlNodePtr>(attr));
    if (node->type == XML_ENTITY_REF_NODE) return;
    for (xmlNodePtr child = node->children; child != nullptr; child = child->next)
        ClearCounts(child);
}

// The children of an element or attribute give way to one text (none for an empty value).
void ReplaceChildren(Tree& tree, xmlNodePtr parent, const std::string& utf8) {
    xmlNodePtr child = parent->children;
    parent->children = nullptr;
    parent->last = nullptr;
    while (child != nullptr) {
        xmlNodePtr next = child->next;
        child->parent = nullptr;
        child->prev = nullptr;
        child->next = nullptr;
        tree.Detach(child, false);
        child = next;
    }
    if (!utf8.empty())
        LinkLast(parent, xmlNewDocTextLen(parent->doc, X(utf8), static_cast<int>(utf8.size())));
}

xmlAttrPtr FindAttribute(xmlNodePtr element, const std::string& name) {
    if (element->type != XML_ELEMENT_NODE) return nullptr;
    for (xmlAttrPtr attr = element->properties; attr != nullptr; attr = attr->next) {
        std::string qualified;
        if (attr->ns != nullptr && attr->ns->prefix != nullptr)
            qualified = C(attr->ns->prefix) + std::string(":");
        qualified += C(attr->name);
        if (qualified == name) return attr;
    }
    return nullptr;
}

NodePtr Wrap(const std::shared_ptr<Tree>& tree, xmlNodePtr node) {
    if (node == nullptr) return nullptr;
    return std::make_shared<Node>(NodeRef(tree, node));
}

NodePtr Wrap(const NodeRef& ref) {
    return ref.Handle() == nullptr ? nullptr : std::make_shared<Node>(ref);
}

// Serializes through libxml2 into the system code page; characters it cannot hold become references.
class TSerializer {
public:
    TSerializer() : FBuffer(xmlBufferCreate()) {
        const char* encoding = CodePageEncodingName(GetACP());
        FUtf8 = encoding == nullptr;
        FContext = xmlSaveToBuffer(FBuffer, FUtf8 ? "UTF-8" : encoding, XML_SAVE_NO_DECL | XML_SAVE_AS_XML);
    }
    ~TSerializer() {
        if (FContext != nullptr) xmlSaveClose(FContext);
        xmlBufferFree(FBuffer);
    }
    TSerializer(const TSerializer&) = delete;
    TSerializer& operator=(const TSerializer&) = delete;

    AnsiString Write(xmlNodePtr node) {
        if (FContext == nullptr) Fail("The XML text cannot be written in the system code page.");
        if (node->type == XML_DOCUMENT_NODE)
            xmlSaveDoc(FContext, reinterpret_cast<xmlDocPtr>(node));
        else
            xmlSaveTree(FContext, node);
        const int closed = xmlSaveClose(FContext);
        FContext = nullptr;
        if (closed < 0) Fail("The XML text cannot be written in the system code page.");
        AnsiString text(C(xmlBufferContent(FBuffer)), static_cast<std::size_t>(xmlBufferLength(FBuffer)));
        return FUtf8 ? Out(text.data(), text.size()) : text;
    }

private:
    xmlBufferPtr FBuffer;
    xmlSaveCtxtPtr FContext = nullptr;
    bool FUtf8 = false;
};

AnsiString Declaration(xmlDocPtr doc) {
    AnsiString text = "<?xml version=\"";
    text += doc->version != nullptr ? C(doc->version) : "1.0";
    text += "\"";
    if (doc->encoding != nullptr) text += " encoding=\"" + Out(doc->encoding) + "\"";
    if (doc->standalone == 1) text += " standalone=\"yes\"";
    if (doc->standalone == 0) text += " standalone=\"no\"";
    return text + "?>\n";
}

struct TXPathResult {
    xmlXPathContextPtr Context = nullptr;
    xmlXPathObjectPtr Object = nullptr;
    ~TXPathResult() {
        if (Object != nullptr) xmlXPathFreeObject(Object);
        if (Context != nullptr) xmlXPathFreeContext(Context);
    }
};

void XPathError(void* userData, xmlErrorPtr error) {
    auto* reason = static_cast<std::string*>(userData);
    if (reason->empty() && error != nullptr && error->message != nullptr) *reason = error->message;
}

std::string TrimRight(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

std::vector<NodeRef> Select(const NodeRef& ref, const AnsiString& xpath, bool firstOnly) {
    EnsureLibrary();
    TQuietErrors quiet;
    xmlNodePtr node = AsNode(ref.Handle());
    std::string reason;
    TXPathResult result;
    result.Context = xmlXPathNewContext(ref.TreeOf()->Doc());
    if (result.Context == nullptr) Fail("Out of memory.");
    result.Context->node = node;
    result.Context->error = XPathError;
    result.Context->userData = &reason;
    const std::string expression = In(xpath);
    result.Object = xmlXPathEvalExpression(X(expression), result.Context);
    if (result.Object == nullptr) {
        if (reason.empty()) reason = "Invalid XPath expression";
        Fail(Out(TrimRight(reason).c_str(), TrimRight(reason).size()) + ": " + xpath);
    }
    if (result.Object->type != XPATH_NODESET) Fail("The expression does not select nodes: " + xpath);
    std::vector<NodeRef> nodes;
    xmlNodeSetPtr set = result.Object->nodesetval;
    const int count = set != nullptr ? set->nodeNr : 0;
    for (int i = 0; i < count; ++i) {
        xmlNodePtr found = set->nodeTab[i];
        if (found == nullptr || found->type == XML_NAMESPACE_DECL) continue; // not a tree node
        nodes.emplace_back(ref.SharedTree(), found);
        if (firstOnly) break;
    }
    return nodes;
}

// The encoding an XML declaration at the start of the text names, if any.
bool ReadDeclaration(const char* text, std::size_t length, std::string& encoding) {
    encoding.clear();
    if (length >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0) {
        text += 3;
        length -= 3;
    }
    if (length < 6 || std::memcmp(text, "<?xml", 5) != 0) return false;
    if (text[5] != ' ' && text[5] != '\t' && text[5] != '\r' && text[5] != '\n') return false;
    const std::string head(text, std::min<std::size_t>(length, 256));
    const std::size_t end = head.find("?>");
    const std::string declaration = head.substr(0, end);
    std::size_t at = declaration.find("encoding");
    if (at == std::string::npos) return true;
    at += 8;
    while (at < declaration.size() && std::strchr(" \t\r\n", declaration[at]) != nullptr)
        ++at;
    if (at >= declaration.size() || declaration[at] != '=') return true;
    ++at;
    while (at < declaration.size() && std::strchr(" \t\r\n", declaration[at]) != nullptr)
        ++at;
    if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\'')) return true;
    const char quote = declaration[at++];
    const std::size_t close = declaration.find(quote, at);
    if (close != std::string::npos) encoding = declaration.substr(at, close - at);
    return true;
}

constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

struct TParseOutcome {
    std::shared_ptr<Tree> Parsed;
    ParseErrorPtr Error;
};

TParseOutcome Parse(const char* data, std::size_t length, const char* url, bool ignoreEncoding) {
    TParseOutcome outcome;
    if (length > static_cast<std::size_t>(INT_MAX)) {
        outcome.Error = std::make_shared<ParseError>(-1, "The document is too large.", 0, 0);
        return outcome;
    }
    TFirstError first;
    TQuietErrors quiet(&first);
    xmlParserCtxtPtr context = xmlNewParserCtxt();
    if (context == nullptr) {
        outcome.Error = std::make_shared<ParseError>(-1, "Out of memory.", 0, 0);
        return outcome;
    }
    const int options = kParseOptions | (ignoreEncoding ? XML_PARSE_IGNORE_ENC : 0);
    xmlDocPtr doc = xmlCtxtReadMemory(context, data, static_cast<int>(length), url, nullptr, options);
    if (doc == nullptr || xmlDocGetRootElement(doc) == nullptr) {
        if (!first.Set) CaptureFirst(&first, xmlCtxtGetLastError(context));
        std::string reason = TrimRight(first.Message);
        if (reason.empty()) reason = "The document has no document element.";
        outcome.Error = std::make_shared<ParseError>(
            first.Set ? first.Code : -1, Out(reason.data(), reason.size()), first.Line, first.Column);
        if (doc != nullptr) xmlFreeDoc(doc);
    } else {
        std::string declared;
        // A file in UTF-16 shows its declaration only through the encoding libxml2 read from it.
        const bool hasDeclaration =
            ReadDeclaration(data, length, declared) || (!ignoreEncoding && doc->encoding != nullptr);
        if (ignoreEncoding && !declared.empty()) {
            // The text was read as given; its declared encoding is kept for saving.
            if (doc->encoding != nullptr) xmlFree(const_cast<xmlChar*>(doc->encoding));
            doc->encoding = xmlStrdup(X(declared));
        }
        outcome.Parsed = std::make_shared<Tree>(doc, hasDeclaration);
        outcome.Error = std::make_shared<ParseError>();
    }
    xmlFreeParserCtxt(context);
    return outcome;
}

std::shared_ptr<Tree> EmptyTree() {
    xmlDocPtr doc = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
    if (doc == nullptr) throw EOleError("Out of memory.");
    return std::make_shared<Tree>(doc, false);
}

} // namespace

// ---------------------------------------------------------------------------------------------------

NodeRef::NodeRef(std::shared_ptr<Tree> tree, void* node) : FTree(std::move(tree)), FNode(node) {
    Retain();
}
NodeRef::NodeRef(const NodeRef& other) : FTree(other.FTree), FNode(other.FNode) {
    Retain();
}
NodeRef& NodeRef::operator=(const NodeRef& other) {
    if (this != &other) {
        NodeRef copy(other);
        Release();
        FTree = std::move(copy.FTree);
        FNode = copy.FNode;
        copy.FNode = nullptr;
    }
    return *this;
}
NodeRef::~NodeRef() {
    Release();
}

// The count of node objects on a libxml2 node lives in its application field.
void NodeRef::Retain() {
    if (FNode == nullptr) return;
    auto* node = AsNode(FNode);
    node->_private = reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(node->_private) + 1);
}
void NodeRef::Release() {
    if (FNode == nullptr) return;
    auto* node = AsNode(FNode);
    node->_private = reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(node->_private) - 1);
    FNode = nullptr;
}

// ---------------------------------------------------------------------------------------------------

AnsiString Node::nodeName() const {
    xmlNodePtr node = AsNode(FRef.Handle());
    switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
        if (node->ns != nullptr && node->ns->prefix != nullptr)
            return Out(node->ns->prefix) + ":" + Out(node->name);
        return Out(node->name);
    case XML_TEXT_NODE:
        return "#text";
    case XML_CDATA_SECTION_NODE:
        return "#cdata-section";
    case XML_COMMENT_NODE:
        return "#comment";
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
        return "#document";
    case XML_DOCUMENT_FRAG_NODE:
        return "#document-fragment";
    default:
        return Out(node->name);
    }
}

int Node::nodeType() const {
    const int type = AsNode(FRef.Handle())->type;
    if (type >= XML_ELEMENT_NODE && type <= XML_NOTATION_NODE) return type;
    if (type == XML_HTML_DOCUMENT_NODE) return NODE_DOCUMENT;
    if (type == XML_DTD_NODE) return NODE_DOCUMENT_TYPE;
    return NODE_INVALID;
}

std::optional<AnsiString> Node::nodeValue() const {
    switch (AsNode(FRef.Handle())->type) {
    case XML_ATTRIBUTE_NODE:
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
        return text();
    default:
        return std::nullopt;
    }
}

AnsiString Node::text() const {
    return OwnedOut(xmlNodeGetContent(AsNode(FRef.Handle())));
}

void Node::setText(const AnsiString& value) {
    xmlNodePtr node = AsNode(FRef.Handle());
    const std::string utf8 = In(value);
    switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
        ReplaceChildren(*FRef.TreeOf(), node, utf8);
        break;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
        xmlNodeSetContent(node, X(utf8));
        break;
    default:
        Fail("The text of this node cannot be set.");
    }
}

AnsiString Node::xml() const {
    EnsureLibrary();
    TQuietErrors quiet;
    xmlNodePtr node = AsNode(FRef.Handle());
    if (node->type == XML_DOCUMENT_NODE) {
        const AnsiString body = TSerializer().Write(node);
        return FRef.TreeOf()->HasDeclaration() ? Declaration(FRef.TreeOf()->Doc()) + body : body;
    }
    AnsiString text = TSerializer().Write(node);
    if (node->type == XML_ATTRIBUTE_NODE && !text.empty() && text[0] == ' ') text.erase(0, 1);
    return text;
}

NodePtr Node::parentNode() const {
    xmlNodePtr node = AsNode(FRef.Handle());
    if (node->type == XML_ATTRIBUTE_NODE || node->type == XML_DOCUMENT_NODE) return nullptr;
    return Wrap(FRef.SharedTree(), node->parent);
}

NodeListPtr Node::childNodes() const {
    xmlNodePtr node = AsNode(FRef.Handle());
    std::vector<NodeRef> children;
    if (IsContainer(node))
        for (xmlNodePtr child = node->children; child != nullptr; child = child->next)
            children.emplace_back(FRef.SharedTree(), child);
    return std::make_shared<NodeList>(std::move(children));
}

NamedNodeMapPtr Node::attributes() const {
    if (AsNode(FRef.Handle())->type != XML_ELEMENT_NODE) return nullptr;
    return std::make_shared<NamedNodeMap>(FRef);
}

std::optional<AnsiString> Node::getAttribute(const AnsiString& name) const {
    xmlAttrPtr attr = FindAttribute(AsNode(FRef.Handle()), In(name));
    if (attr == nullptr) return std::nullopt;
    return OwnedOut(xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(attr)));
}

void Node::setAttribute(const AnsiString& name, const AnsiString& value) {
    EnsureLibrary();
    xmlNodePtr node = AsNode(FRef.Handle());
    if (node->type != XML_ELEMENT_NODE) Fail("Only an element has attributes.");
    const std::string utf8Name = In(name);
    if (utf8Name.empty() || xmlValidateName(X(utf8Name), 0) != 0) Fail("Not a valid attribute name: " + name);
    const std::string utf8Value = In(value);
    if (xmlAttrPtr attr = FindAttribute(node, utf8Name))
        ReplaceChildren(*FRef.TreeOf(), reinterpret_cast<xmlNodePtr>(attr), utf8Value);
    else if (xmlNewProp(node, X(utf8Name), X(utf8Value)) == nullptr)
        Fail("Out of memory.");
}

NodePtr Node::selectSingleNode(const AnsiString& xpath) const {
    std::vector<NodeRef> nodes = Select(FRef, xpath, true);
    return nodes.empty() ? nullptr : Wrap(nodes.front());
}

NodeListPtr Node::selectNodes(const AnsiString& xpath) const {
    return std::make_shared<NodeList>(Select(FRef, xpath, false));
}

NodePtr Node::appendChild(const NodePtr& newChild) {
    if (newChild == nullptr) Fail("No node to append.");
    xmlNodePtr parent = AsNode(FRef.Handle());
    xmlNodePtr child = AsNode(newChild->Ref().Handle());
    Tree& tree = *FRef.TreeOf();
    if (parent->type != XML_ELEMENT_NODE && parent->type != XML_DOCUMENT_NODE)
        Fail("This node cannot have children.");
    switch (child->type) {
    case XML_ELEMENT_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
        break;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_ENTITY_REF_NODE:
        if (parent->type == XML_DOCUMENT_NODE) Fail("Text cannot stand outside the document element.");
        break;
    default:
        Fail("This node cannot be appended.");
    }
    if (parent->type == XML_DOCUMENT_NODE && child->type == XML_ELEMENT_NODE) {
        xmlNodePtr root = xmlDocGetRootElement(tree.Doc());
        if (root != nullptr && root != child)
            Fail("Only one top level element is allowed in an XML document.");
    }
    if (newChild->Ref().TreeOf() != &tree) {
        // A node of another document: its copy comes in, the original stays where it is.
        xmlNodePtr copy = xmlDocCopyNode(child, tree.Doc(), 1);
        if (copy == nullptr) Fail("Out of memory.");
        ClearCounts(copy);
        LinkLast(parent, copy);
        return Wrap(FRef.SharedTree(), copy);
    }
    for (xmlNodePtr up = parent; up != nullptr; up = up->parent)
        if (up == child) Fail("A node cannot be appended below itself.");
    xmlUnlinkNode(child);
    tree.Attach(child);
    LinkLast(parent, child);
    return newChild;
}

// ---------------------------------------------------------------------------------------------------

NodePtr NodeList::item(long index) const {
    if (index < 0 || index >= length()) return nullptr;
    return Wrap(FItems[static_cast<std::size_t>(index)]);
}

long NamedNodeMap::length() const {
    long count = 0;
    for (xmlAttrPtr attr = AsNode(FElement.Handle())->properties; attr != nullptr; attr = attr->next)
        ++count;
    return count;
}

NodePtr NamedNodeMap::item(long index) const {
    if (index < 0) return nullptr;
    xmlAttrPtr attr = AsNode(FElement.Handle())->properties;
    for (; attr != nullptr && index > 0; attr = attr->next)
        --index;
    return Wrap(FElement.SharedTree(), reinterpret_cast<xmlNodePtr>(attr));
}

NodePtr NamedNodeMap::getNamedItem(const AnsiString& name) const {
    return Wrap(FElement.SharedTree(),
                reinterpret_cast<xmlNodePtr>(FindAttribute(AsNode(FElement.Handle()), In(name))));
}

// ---------------------------------------------------------------------------------------------------

DocumentPtr Document::Create() {
    return std::make_shared<Document>();
}

Document::Document() : Node(NodeRef()), FParseError(std::make_shared<ParseError>()) {
    EnsureLibrary();
    Adopt(EmptyTree());
}

void Document::Adopt(std::shared_ptr<Tree> tree) {
    xmlDocPtr doc = tree->Doc();
    FRef = NodeRef(std::move(tree), doc);
}

bool Document::load(const AnsiString& fileName) {
    EnsureLibrary();
    AnsiString data;
    if (!ReadFileBytes(fileName, data)) {
        Adopt(EmptyTree());
        FParseError = std::make_shared<ParseError>(-1, "Cannot open file " + fileName + ".", 0, 0);
        return false;
    }
    const AnsiString native = NativePath(fileName);
    TParseOutcome outcome = Parse(data.data(), data.size(), native.c_str(), false);
    FParseError = outcome.Error;
    const bool loaded = outcome.Parsed != nullptr;
    Adopt(loaded ? std::move(outcome.Parsed) : EmptyTree());
    return loaded;
}

bool Document::loadXML(const AnsiString& text) {
    EnsureLibrary();
    const std::string utf8 = In(text);
    TParseOutcome outcome = Parse(utf8.data(), utf8.size(), nullptr, true);
    FParseError = outcome.Error;
    const bool loaded = outcome.Parsed != nullptr;
    Adopt(loaded ? std::move(outcome.Parsed) : EmptyTree());
    return loaded;
}

NodePtr Document::documentElement() const {
    return Wrap(FRef.SharedTree(), xmlDocGetRootElement(FRef.TreeOf()->Doc()));
}

NodePtr Document::createElement(const AnsiString& tagName) {
    const std::string name = In(tagName);
    if (name.empty() || xmlValidateName(X(name), 0) != 0) Fail("Not a valid element name: " + tagName);
    xmlNodePtr element = xmlNewDocNode(FRef.TreeOf()->Doc(), nullptr, X(name), nullptr);
    if (element == nullptr) Fail("Out of memory.");
    NodePtr wrapped = Wrap(FRef.SharedTree(), element);
    FRef.TreeOf()->Detach(element, true);
    return wrapped;
}

void Document::save(const AnsiString& fileName) {
    EnsureLibrary();
    TQuietErrors quiet;
    xmlDocPtr doc = FRef.TreeOf()->Doc();
    const char* encoding = doc->encoding != nullptr ? C(doc->encoding) : "UTF-8";
    xmlBufferPtr buffer = xmlBufferCreate();
    xmlSaveCtxtPtr context = xmlSaveToBuffer(buffer, encoding, XML_SAVE_AS_XML);
    if (context == nullptr) {
        xmlBufferFree(buffer);
        Fail("The document cannot be saved in its encoding " + Out(doc->encoding) + ".");
    }
    xmlSaveDoc(context, doc);
    const bool written = xmlSaveClose(context) >= 0;
    const std::string content(C(xmlBufferContent(buffer)), static_cast<std::size_t>(xmlBufferLength(buffer)));
    xmlBufferFree(buffer);
    if (!written) Fail("The document cannot be written.");

    // The file is replaced whole or not at all.
    if (!SaveFileBytes(fileName, content)) Fail("Cannot save file " + fileName + ".");
}

} // namespace xmldom
