#pragma once
// The text form of form streams, and its conversion to and from the binary form, byte for byte.
//
//     object frmBase: TfrmBase                 (inherited ..., inline ...; "[n]" after the class: child
//     position)
//       Caption = '浏览'#13#10'x'               strings: '...' runs of code-page bytes and #nnn codes
//       Font.Name = 'Arial'                    a dotted name sets a property of an object property
//       Width = 400                            integers; floats 1.5, 1.5s (single), 1.5c (currency), 1.5d
//       (date) Color = clBtnFace                      identifiers; True, False, nil, Null Options = [goA,
//       goB]                   sets Items.Strings = (                      lists
//         'a'
//         'b')
//       Data = {0A0B0C}                        binary
//       Columns = <                            collections: item ... end
//         item
//           Caption = 'x'
//         end>
//       object btnOK: TButton ... end
//     end
//
// Lines end with CR LF when written; LF alone is read too. A string that holds a #nnn code of 128 or
// more is a wide string (its bytes inside quotes are text in the system code page); an ANSI string
// keeps its bytes of 128 and more inside the quotes, and Null cannot stand in a list (it would end it). A
// long string is written in parts joined by "+". Errors raise EReadError with the line, naming the object and
// the property.
#include "classlib/objects/filer.h"

// Text form to binary form; lines, when given, receives the line of every property and object.
AnsiString ObjectTextToBinary(const AnsiString& text, TLineMap* lines = nullptr);
AnsiString ObjectBinaryToText(const AnsiString& binary);
void ObjectTextToBinary(TStream& input, TStream& output);
void ObjectBinaryToText(TStream& input, TStream& output);

// Floats as the text form writes them: the shortest text that reads back as the same number.
AnsiString FormFloatToText(double value);
