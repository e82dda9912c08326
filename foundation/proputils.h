#pragma once
// Property access by name and by dotted path, over the class registry's published properties: the root
// form sets Font.Charset and Font.Name on every control this way, and language files assign texts.
#include "classlib/objects/rtti.h"
#include "classlib/rtl/variants.h"

// The n-th field (from 1) of text split at delimiter, cut from the front; the rest of the text is the
// last field. Fewer than n fields (or n below 1) leave result empty; an empty text has one empty field.
void ExtractField(const AnsiString& text, const AnsiString& delimiter, int n, AnsiString& result);

// An attribute node's text (node type 2), else empty. Node is any node handle of the XML document
// object (xmldom::NodePtr): it needs nodeType() and text().
inline constexpr int XMLAttributeNodeType = 2;
template <class TNodePtr> void XMLNodeAttrText(const TNodePtr& node, AnsiString& text) {
    text.clear();
    if (node && node->nodeType() == XMLAttributeNodeType) text = node->text();
}

// Sets the property that path names, from instance: "Font.Color" walks into the object held by the
// object-valued property Font. An integer property whose type has identifiers (TColor: clRed) takes
// the identifier's value; an enumeration or set property given a text takes it trimmed; any other
// value goes through the Variant conversion of the property's kind. A property that does not exist
// is ignored; a nil object on the way, or a value the property cannot take, raises.
void SetPropValueByPath(TObject* instance, const AnsiString& path, const Variant& value);
// The same, false instead of any exception.
bool TrySetPropValueByPath(TObject* instance, const AnsiString& path, const Variant& value) noexcept;
// The object held by a class-typed published property; nil when missing or not of class type.
TObject* GetClassPropObject(TObject* instance, const AnsiString& name);
