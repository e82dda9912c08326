#include "dialogs/QBESortList.h"

#include "components/ChkList.h"

bool SortItemChecked(TCustomListBox* list, int index) {
    auto* box = dynamic_cast<TFCheckListBox*>(list);
    return box && index >= 0 && index < box->Items()->Count() && box->Checked(index);
}

void SetSortItemChecked(TCustomListBox* list, int index, bool value) {
    if (auto* box = dynamic_cast<TFCheckListBox*>(list); box && index >= 0 && index < box->Items()->Count())
        box->SetChecked(index, value);
}
