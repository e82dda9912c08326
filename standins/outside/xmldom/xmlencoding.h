#pragma once
// The system's code pages as libxml2 encodings, converted by the class library's code-page service, so
// that a document declared GB2312 holding GBK characters loads (as GBK), and characters a code page
// cannot hold are written as character references instead of being lost.
namespace xmldom {

// Registers the encodings (936 under GB2312, GBK, CP936 and its other names; 950 under BIG5, CP950 and
// its other names; 1252; 437) with libxml2. Called once, before the first parse.
void RegisterCodePageEncodings();

// The name libxml2 knows a code page by once registered; null for a code page without one.
const char* CodePageEncodingName(unsigned codePage);

} // namespace xmldom
