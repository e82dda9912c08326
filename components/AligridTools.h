#pragma once
// The aligned grid's tools (unit tz_tool): text and the clipboard through a stream. (Its list that owns its
// items is the class library's TObjectList.)
#include "classlib/objects/streams.h"
#include <algorithm>

// The characters of text, without a terminator.
void WriteStringToStream(TStream& stream, const AnsiString& text);
// The whole stream, from its start, into the clipboard in that format (CF_TEXT), read in chunks.
void CopyStreamToClipboard(TStream& stream, Word format);
// Appends the clipboard's text of that format to the stream; nothing when the clipboard holds none.
void PasteStreamFromClipboard(TStream& stream, Word format);
