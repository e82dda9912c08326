#pragma once
// The check marks of the query dialog's sort lists (check list boxes): a checked sort item sorts
// descending.
#include "classlib/controls/stdctrls.h"

bool SortItemChecked(TCustomListBox* list, int index);
void SetSortItemChecked(TCustomListBox* list, int index, bool value);
