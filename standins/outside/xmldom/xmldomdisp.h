#pragma once
// The XML document object as dispatch objects, for callers that reach it late-bound through a Variant:
//
//     Variant doc = xmldom::CreateDocumentDispatch();
//     VarSet(doc, "async", false);
//     if (VarCall(doc, "loadXML", {text}).AsBoolean()) {
//         Variant node = VarCall(doc, "selectSingleNode", {"//Caption"});
//         if (!VarIsEmpty(node)) caption = VarGet(node, "text").AsString();
//     }
//
// Members carry the document object's names (documentElement, selectSingleNode, getNamedItem, ...) and
// behave as the C++ members in xmldom.h do, errors included. A member that finds nothing (a missing
// node, parent or item) answers an unset dispatch, which VarIsEmpty tells; getAttribute and nodeValue
// answer Null when there is no value. Documents are created through the C++ factory CoDOMDocument: no
// program identifier is registered for them.
#include "classlib/rtl/variants.h"
#include "standins/outside/xmldom/xmldom.h"

namespace xmldom {

// A new empty document, as a dispatch object.
Variant CreateDocumentDispatch();

// The dispatch view of a node (a document gets the document's members too); an unset dispatch for none.
Variant NodeDispatch(const NodePtr& node);
Variant NodeListDispatch(const NodeListPtr& list);
Variant NamedNodeMapDispatch(const NamedNodeMapPtr& map);
Variant ParseErrorDispatch(const ParseErrorPtr& error);

// The node a dispatch view holds; none when the Variant holds no node of this library.
NodePtr NodeOfDispatch(const Variant& value);

} // namespace xmldom
