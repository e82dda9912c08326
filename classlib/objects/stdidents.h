#pragma once
// The identifiers of the integer types that form streams and language files name by identifier:
// TColor (clRed, clWindow, clBtnFace, ...; a system colour is 0x80000000 | its index) and TFontCharset
// (ANSI_CHARSET 0, DEFAULT_CHARSET 1, GB2312_CHARSET 134, CHINESEBIG5_CHARSET 136, ...).
//
// They are registered here, under the type names "TColor" and "TFontCharset", when the class library
// loads, because the form loader and the property routines need them before any graphics code runs.
// The graphics layer owns the colour and charset constants and types: when it defines them it should
// register these tables from its own unit (RegisterIntegerConsts replaces a table of the same type
// name) and this unit's tables can then go.
#include "classlib/objects/typeinfo.h"

const std::vector<TIdentMapEntry>& ColorIdents();
const std::vector<TIdentMapEntry>& FontCharsetIdents();
