#pragma once
// The caption label that the labelled edits and combo boxes carry beside them.
#include "classlib/controls/stdctrls.h"

KVR_ENUM(TLabelPosition, lpAbove, lpBelow, lpLeft, lpRight);

// Creates the control's own label "EditLabel" (owned by the control, caption empty, focus control the
// control).
TLabel* CreateEditLabel(TWinControl* control);
// Moves the label (its size unchanged) to its place beside the control; nothing without a label.
void PlaceEditLabel(const TControl* control, TLabel* label, TLabelPosition position, int spacing);
