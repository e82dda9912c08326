#pragma once
// Routines around the system's XML document object: a document that loads synchronously, one loaded
// from text, and one value read by path with a fallback.
#include "classlib/rtl/types.h"
#include "standins/outside/xmldom/xmldom.h"

// A new document with asynchronous loading switched off.
void NewXmlDocument(xmldom::DocumentPtr& doc);
// A new document loaded from text. A parse failure is not reported: the document then has no document
// element.
void LoadXmlDocument(const AnsiString& text, xmldom::DocumentPtr& doc);
// The text of the node path (relative to the document element), or of its attribute when attribute is
// not blank; defaultValue when the text is no XML, the node or attribute is missing, or anything fails.
void ReadXmlValue(const AnsiString& xml, const AnsiString& path, const AnsiString& attribute,
                  AnsiString& value, const AnsiString& defaultValue);
