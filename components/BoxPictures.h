#pragma once
// The module's own check-box pictures, registered as bitmap resources while the module is loaded:
// "CHECKED", "UNCHECKED" and "GRAYED" for the bitmap check boxes and the data grid, "CHECK" and "UNCHECK"
// for the aligned grid's check cells. A name the host registered already keeps the host's picture.
#include "classlib/controls/stdctrls.h"
#include "classlib/graphics/bitmap.h"

// 13 x 13: a sunken white box, with a tick when checked, filled grey when grayed.
void PaintBoxPicture(TBitmap* bitmap, TCheckBoxState state);
