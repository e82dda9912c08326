#pragma once
// Text alignment, shared by the controls and the fields (TField::Alignment) so that one enumeration
// serves both layers.
#include "classlib/objects/typeinfo.h"

KVR_ENUM(TAlignment, taLeftJustify, taRightJustify, taCenter);
