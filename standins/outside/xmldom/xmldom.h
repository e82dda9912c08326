#pragma once
// The system's XML document object: a small DOM over libxml2 with XPath 1.0 selection.
//
// Texts: every text it hands out (names, texts, values, the xml text, error reasons) is in the system's
// ANSI code page at the time of the call, and every text it is given is read in that code page. Files
// are read in their declared encoding (GB2312 is read as its GBK superset) and saved in it.
//
// Objects are shared: a node keeps its document's tree alive, so a node never dangles, even after the
// document was freed or loaded again (it then belongs to the old tree). Node lists are snapshots taken
// when asked for. A document and its nodes are used by one thread at a time.
//
// Failures that the object reports as errors (a bad XPath, a node that cannot go where it is appended,
// a name that is not an XML name, a save that fails) raise EOleError. Loading never raises: load and
// loadXML return false and parseError tells why.
#include <memory>
#include <optional>
#include <vector>

#include "classlib/rtl/types.h"

namespace xmldom {

// Node types, numbered as the DOM numbers them.
enum TNodeType {
    NODE_INVALID = 0,
    NODE_ELEMENT = 1,
    NODE_ATTRIBUTE = 2,
    NODE_TEXT = 3,
    NODE_CDATA_SECTION = 4,
    NODE_ENTITY_REFERENCE = 5,
    NODE_ENTITY = 6,
    NODE_PROCESSING_INSTRUCTION = 7,
    NODE_COMMENT = 8,
    NODE_DOCUMENT = 9,
    NODE_DOCUMENT_TYPE = 10,
    NODE_DOCUMENT_FRAGMENT = 11,
    NODE_NOTATION = 12
};

class Tree; // one parsed libxml2 document and the nodes detached from it
class Node;
class NodeList;
class NamedNodeMap;
class ParseError;
class Document;
using NodePtr = std::shared_ptr<Node>;
using NodeListPtr = std::shared_ptr<NodeList>;
using NamedNodeMapPtr = std::shared_ptr<NamedNodeMap>;
using ParseErrorPtr = std::shared_ptr<const ParseError>;
using DocumentPtr = std::shared_ptr<Document>;

// A counted reference to one libxml2 node of a tree: while any exists, the node is not freed.
class NodeRef {
public:
    NodeRef() = default;
    NodeRef(std::shared_ptr<Tree> tree, void* node);
    NodeRef(const NodeRef& other);
    NodeRef& operator=(const NodeRef& other);
    ~NodeRef();

    Tree* TreeOf() const { return FTree.get(); }
    const std::shared_ptr<Tree>& SharedTree() const { return FTree; }
    void* Handle() const { return FNode; }

private:
    void Retain();
    void Release();
    std::shared_ptr<Tree> FTree;
    void* FNode = nullptr;
};

class Node {
public:
    explicit Node(NodeRef ref) : FRef(std::move(ref)) {}
    virtual ~Node() = default;

    AnsiString nodeName() const;
    int nodeType() const;
    // The value of an attribute, text, CDATA section, comment or processing instruction; none for the
    // others (elements, the document).
    std::optional<AnsiString> nodeValue() const;
    // The text of the node and everything below it.
    AnsiString text() const;
    // An element's children become this one text; an attribute, text or comment takes it as its value.
    void setText(const AnsiString& value);
    // The node written as XML, characters the code page cannot hold as character references.
    AnsiString xml() const;

    NodePtr parentNode() const;
    NodeListPtr childNodes() const;
    // The attributes of an element; none for any other node.
    NamedNodeMapPtr attributes() const;
    // An element's attribute value; none when it has no such attribute (or the node is no element).
    std::optional<AnsiString> getAttribute(const AnsiString& name) const;
    void setAttribute(const AnsiString& name, const AnsiString& value);

    // XPath 1.0 from this node. A selection that is not a node set raises.
    NodePtr selectSingleNode(const AnsiString& xpath) const;
    NodeListPtr selectNodes(const AnsiString& xpath) const;

    // Appends newChild as the last child (moving it when it already stands elsewhere in the tree; a
    // node of another document is copied in) and returns the appended node.
    NodePtr appendChild(const NodePtr& newChild);

    const NodeRef& Ref() const { return FRef; }

protected:
    NodeRef FRef;
};

class NodeList {
public:
    explicit NodeList(std::vector<NodeRef> items) : FItems(std::move(items)) {}
    long length() const { return static_cast<long>(FItems.size()); }
    // None when index is outside 0 .. length - 1.
    NodePtr item(long index) const;

private:
    std::vector<NodeRef> FItems;
};

// The attributes of one element, read live.
class NamedNodeMap {
public:
    explicit NamedNodeMap(NodeRef element) : FElement(std::move(element)) {}
    long length() const;
    NodePtr item(long index) const;
    NodePtr getNamedItem(const AnsiString& name) const;

private:
    NodeRef FElement;
};

class ParseError {
public:
    ParseError() = default;
    ParseError(long errorCode, AnsiString reason, long line, long linepos)
        : FErrorCode(errorCode), FReason(std::move(reason)), FLine(line), FLinepos(linepos) {}
    // 0 when the last load succeeded.
    long errorCode() const { return FErrorCode; }
    AnsiString reason() const { return FReason; }
    long line() const { return FLine; }
    long linepos() const { return FLinepos; }

private:
    long FErrorCode = 0;
    AnsiString FReason;
    long FLine = 0;
    long FLinepos = 0;
};

class Document : public Node {
public:
    // An empty document (no document element).
    static DocumentPtr Create();
    Document();

    // Loading is always synchronous; the flag is kept because callers switch it off.
    bool async() const { return FAsync; }
    void setAsync(bool value) { FAsync = value; }

    // Loads a file ("\" or "/" separated, in the system code page) in its declared encoding. On failure
    // the document is left empty and parseError tells why.
    bool load(const AnsiString& fileName);
    // Loads a text in the system code page; an encoding declaration in it is kept for saving but does
    // not change how the text is read.
    bool loadXML(const AnsiString& text);
    ParseErrorPtr parseError() const { return FParseError; }

    NodePtr documentElement() const;
    NodePtr createElement(const AnsiString& tagName);
    // Writes the document in its declared encoding (UTF-8 when it declares none); the file is replaced
    // only when the whole text could be written.
    void save(const AnsiString& fileName);

private:
    void Adopt(std::shared_ptr<Tree> tree);
    bool FAsync = true;
    ParseErrorPtr FParseError;
};

} // namespace xmldom

// The class factory the system creates its documents with.
struct CoDOMDocument {
    static xmldom::DocumentPtr Create() { return xmldom::Document::Create(); }
};
