// The single-table form's keyboard, page rights and command states: turning the header pages with
// the keys, which pages take input in which state, the batch commands of the browse grid.
#include <algorithm>
#include <memory>
#include <vector>

#include "classlib/controls/buttons.h"
#include "classlib/controls/extctrls.h"
#include "classlib/controls/messages.h"
#include "dialogs/OptionsCF.h"
#include "foundation/LibVCLs.h"
#include "foundation/libstrs.h"
#include "framework/FormModes.h"
#include "classlib/dbctrls/dbctrls.h"
#include "classlib/rtl/format.h"
#include "framework/Brokers.h"
#include "framework/FieldLists.h"
#include "framework/SingleCF.h"

namespace {

int PageIndexOf(TPageControl* pages, TTabSheet* page) {
    for (int i = 0; i < pages->PageCount(); ++i)
        if (pages->Pages(i) == page) return i;
    return -1;
}

} // namespace

void TfrmSingle::FormKeyDown(TObject* sender, Word& key, TShiftState shift) {
    if (DataModule && pgHead && pgHead->PageCount() > 0) {
        TdmBase* module = BaseModule();
        const bool editing =
            module && (module->cdsMain->State() == dsEdit || module->cdsMain->State() == dsInsert);
        const int count = pgHead->PageCount();
        const int current = pgHead->ActivePageIndex();
        const bool ctrl = shift.Contains(ssCtrl);
        const bool back = ctrl && ((key == VK_TAB && shift.Contains(ssShift)) || key == VK_PRIOR);
        const bool ahead = ctrl && !back && (key == VK_TAB || key == VK_NEXT);
        if (key == VK_RETURN && tbsBrowse && pgHead->ActivePage() == tbsBrowse && ActiveControl() &&
            IsInGrid(ActiveControl())) {
            pgHead->ChangeActivePage(pgHead->Pages(0));
            key = 0;
            return;
        }
        // Pages whose tabs are hidden are passed over, as the page control's own keys do.
        auto shown = [pages = pgHead](int i) { return pages->Pages(i)->TabVisible(); };
        if (back) {
            int target = current;
            if (editing && current == 0) {
                // While editing, the way back from page 0 goes to the last page before the browse page.
                target = count - 1;
                while (target > 0 && (pgHead->Pages(target) == tbsBrowse || !shown(target)))
                    --target;
            } else {
                for (int n = 0; n < count; ++n) {
                    target = (target + count - 1) % count;
                    if (shown(target)) break;
                }
            }
            pgHead->ChangeActivePage(pgHead->Pages(target));
            key = 0;
        } else if (ahead) {
            int target = current;
            for (int n = 0; n < count; ++n) {
                target = (target + 1) % count;
                if (editing && pgHead->Pages(target) == tbsBrowse) target = 0;
                if (shown(target)) break;
            }
            pgHead->ChangeActivePage(pgHead->Pages(target));
            key = 0;
        }
    }
    TfrmBase::FormKeyDown(sender, key, shift);
}

void TfrmSingle::pgHeadChanging(TObject*, bool&) {
    FPageBeforeChange = pgHead ? pgHead->ActivePageIndex() : 0;
}

void TfrmSingle::pgHeadChange(TObject*) {
    if (!DataModule || !pgHead) return;
    TTabSheet* before = FPageBeforeChange >= 0 && FPageBeforeChange < pgHead->PageCount()
                            ? pgHead->Pages(FPageBeforeChange)
                            : nullptr;
    // The browse page moves the record: never while one is being edited or added.
    if (EditState != esBrowse && tbsBrowse && pgHead->ActivePage() == tbsBrowse && before) {
        pgHead->SetActivePage(before);
        return;
    }
    // A detail page the rights withhold is not shown.
    const int index = PageIndexOf(pgHead, pgHead->ActivePage());
    if (index >= 1 && index <= 14 && Rights.Contains(15 + index) && before) pgHead->SetActivePage(before);
}

void TfrmSingle::EnableHeadPages(bool editing) {
    if (!pgHead) return;
    const int count = pgHead->PageCount();
    for (int i = 0; i < count; ++i) {
        TTabSheet* page = pgHead->Pages(i);
        if (i == count - 1)
            page->SetEnabled(!editing);
        else if (i <= 14)
            page->SetEnabled(editing && Rights.Contains(i));
    }
    if (pnlHead) pnlHead->SetEnabled(editing && Rights.Contains(0));
}

void TfrmSingle::ShowState(Byte state) {
    // The buttons on the detail pages and the head panel act on the record being edited only.
    std::vector<TWinControl*> parents;
    if (pgHead)
        for (int i = 0; i + 1 < pgHead->PageCount(); ++i)
            parents.push_back(pgHead->Pages(i));
    if (pnlHead) parents.push_back(pnlHead);
    while (!parents.empty()) {
        TWinControl* parent = parents.back();
        parents.pop_back();
        for (int i = 0; i < parent->ControlCount(); ++i) {
            TControl* control = parent->Controls(i);
            if (dynamic_cast<TSpeedButton*>(control) || dynamic_cast<TBitBtn*>(control))
                control->SetEnabled(state != 1);
            else if (auto* inner = dynamic_cast<TWinControl*>(control))
                parents.push_back(inner);
        }
    }
    // A stored record keeps its key: its key edits open only for a new one.
    if (TdmBase* module = BaseModule()) SetFieldControlsEnabled(this, module->KeyFields, ",", state != 2);
    EnableHeadPages(state != 1);
    TfrmBase::ShowState(state);
}

void TfrmSingle::UpdateBatchMenu() {
    const bool print = miDirectPrint && miDirectPrint->Enabled() && btnPrint && btnPrint->Enabled() &&
                       !Trim(PrintProgram).empty();
    if (miBBPrint) miBBPrint->SetEnabled(print);
    const bool select = EditState == esBrowse && print;
    if (miBBSelectAll) miBBSelectAll->SetEnabled(select);
    if (miBBUnSelectAll) miBBUnSelectAll->SetEnabled(select);
    if (TdmSingle* module = SingleModule(); module && module->MultiSelectField)
        module->SetMultiSelectVisible(select);
}

void TfrmSingle::P1Click(TObject*) {
    UpdateBatchMenu();
}

void TfrmSingle::miBBPrintClick(TObject*) {
    if (!gdHead || gdHead->SelectedList().empty() || !gdHead->DataSource() ||
        !gdHead->DataSource()->DataSet())
        return;
    TDataSet* dataSet = gdHead->DataSource()->DataSet();
    const std::vector<TBookmarkStr> rows = gdHead->SelectedList();
    dataSet->DisableControls();
    try {
        for (const TBookmarkStr& row : rows) {
            dataSet->SetBookmark(row);
            PrintRecords();
        }
    } catch (...) {
        gdHead->UnselectAll();
        dataSet->EnableControls();
        throw;
    }
    gdHead->UnselectAll();
    dataSet->EnableControls();
}

void TfrmSingle::miBBSelectAllClick(TObject*) {
    if (!gdHead || !pgHead || !tbsBrowse) return;
    pgHead->SetActivePage(tbsBrowse);
    pgHead->SetAlign(alClient);
    // Only the rows already fetched: selecting must not read the rest of the list.
    TdmBase* module = BaseModule();
    const bool fetch = module ? module->FetchOnScroll : false;
    if (module) module->FetchOnScroll = false;
    try {
        gdHead->SelectAll();
    } catch (...) {
        if (module) module->FetchOnScroll = fetch;
        throw;
    }
    if (module) module->FetchOnScroll = fetch;
    UpdateButtonStates();
}

void TfrmSingle::miBBUnSelectAllClick(TObject*) {
    if (gdHead) gdHead->UnselectAll();
    UpdateButtonStates();
}

// ---- typing and the calculator ----

namespace {

bool IsNumberField(const TField* field) {
    if (!field) return false;
    switch (field->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftLargeint:
        return true;
    default:
        return false;
    }
}

} // namespace

TField* TfrmSingle::ControlField(TWinControl* control) const {
    if (auto* edit = dynamic_cast<TDBEdit*>(control)) return edit->Field();
    if (control && control == gdHead) return gdHead->SelectedField();
    return nullptr;
}

void TfrmSingle::FormKeyPress(TObject* sender, char& key) {
    TWinControl* active = ActiveControl();
    if (!active || !DataModule) {
        TfrmRadical::FormKeyPress(sender, key);
        return;
    }
    // "+", "*" and "/" in a number field open the calculator on it instead of being typed.
    if ((key == '+' || key == '*' || key == '/') && IsNumberField(ControlField(active))) {
        key = 0;
        CalculateIntoControl(active);
        return;
    }
    // Enter in a memo is a new line of its text.
    if (key == '\r' && dynamic_cast<TCustomMemo*>(active)) return;
    TdmBase* module = BaseModule();
    if (key == '\r' && module && module->cdsMain->State() != dsBrowse && pgHead && pgHead->ActivePage() &&
        !IsInGrid(active)) {
        TTabSheet* page = pgHead->ActivePage();
        std::vector<TWinControl*> order;
        page->GetTabOrderList(order);
        // A radio group is one input: Enter leaves the group rather than going to its next button.
        auto* group = dynamic_cast<TCustomRadioGroup*>(active->Parent());
        TWinControl* input = group ? group : active;
        const auto at = std::find(order.begin(), order.end(), input);
        TWinControl* next = nullptr;
        for (auto it = at == order.end() ? at : at + 1; it != order.end() && !next; ++it)
            if (!input->ContainsControl(*it) && (*it)->CanFocus() && (*it)->TabStop()) next = *it;
        if (at != order.end() && next && group) {
            key = 0;
            next->SetFocus();
            return;
        }
        if (at != order.end() && !next) {
            // The last input of a page goes on to the next page, and on the last page saves.
            key = 0;
            const int index = PageIndexOf(pgHead, page);
            for (int i = index + 1; i < pgHead->PageCount(); ++i) {
                TTabSheet* following = pgHead->Pages(i);
                if (following == tbsBrowse || !following->TabVisible()) continue;
                pgHead->ChangeActivePage(following);
                return;
            }
            SaveRecord();
            return;
        }
    }
    TfrmRadical::FormKeyPress(sender, key);
}

void TfrmSingle::CalculateIntoControl(TWinControl* control) {
    try {
        TField* field = ControlField(control);
        AnsiString text;
        if (field) {
            try {
                text = field->DisplayText();
            } catch (const Exception&) {
                text = control ? control->Text() : AnsiString();
            }
        } else if (auto* edit = dynamic_cast<TCustomEdit*>(control)) {
            text = edit->Text();
        }
        const AnsiString result = Broker ? Broker->GetCalcValue(text) : AnsiString();
        if (result.empty() || !control || !control->Enabled()) return;
        if (auto* edit = dynamic_cast<TDBEdit*>(control); edit && edit->ReadOnly()) return;
        if (field) {
            if (field->ReadOnly()) return;
            AnsiString value = result;
            // A percentage shows as "12%" but is stored as 0.12: the calculator's figure is the shown one.
            const AnsiString editText = field->Text();
            const size_t percent = editText.find('%');
            if (editText != field->DisplayText() && percent != AnsiString::npos &&
                percent + 1 == editText.size())
                value = FloatToStr(StrToFloatDef(result, 0) * 100);
            SetFieldText(field, value, true);
        } else if (dynamic_cast<TCustomComboBox*>(control)) {
            return;
        } else if (auto* edit = dynamic_cast<TCustomEdit*>(control)) {
            edit->SetText(result);
        }
    } catch (const Exception&) {
    }
}

void TfrmSingle::btnCalcClick(TObject*) {
    CalculateIntoControl(ActiveControl());
}

void TfrmSingle::miCaclClick(TObject*) {
    CalculateIntoControl(ActiveControl());
}

// ---- the lookups by mouse: the control the pop-up menu opened on asks for them ----

void TfrmSingle::miOpenF2WindowClick(TObject*) {
    if (popOpenF2Window) Perform(WM_KEYF2, 0, reinterpret_cast<LPARAM>(popOpenF2Window->PopupComponent()));
}

void TfrmSingle::miOpenF3WindowClick(TObject*) {
    if (popOpenF2Window) Perform(WM_KEYF3, 0, reinterpret_cast<LPARAM>(popOpenF2Window->PopupComponent()));
}

void TfrmSingle::miOpenF4WindowClick(TObject*) {
    if (popOpenF2Window) Perform(WM_KEYF4, 0, reinterpret_cast<LPARAM>(popOpenF2Window->PopupComponent()));
}

// ---- the browse grid ----

void TfrmSingle::ToggleHeadSelection() {
    if (!gdHead) return;
    if (gdHead->IsSelectedRecord())
        gdHead->UnselectRecord();
    else
        gdHead->SelectRecord();
}

void TfrmSingle::gdHeadDblClick(TObject*) {
    TdmSingle* module = SingleModule();
    if (!gdHead || !module) return;
    // On the selection column a double click picks or drops the row; elsewhere it opens the record.
    if (module->MultiSelectField && gdHead->SelectedField() == module->MultiSelectField) {
        if (!module->cdsMain->IsEmpty()) ToggleHeadSelection();
        UpdateButtonStates();
        return;
    }
    if (pgHead && pgHead->PageCount() > 0) {
        pgHead->ChangeActivePage(pgHead->Pages(0));
        pgHeadChange(this);
    }
}

void TfrmSingle::gdHeadColEnter(TObject*) {
    if (!gdHead || ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
    TdmSingle* module = SingleModule();
    const bool pick =
        module && module->MultiSelectField && gdHead->SelectedField() == module->MultiSelectField;
    gdHead->SetReadOnly(!pick);
    gdHead->SetOptions(pick ? gdHead->Options() | TwwDBGridOptions{dgEditing}
                            : gdHead->Options() - TwwDBGridOptions{dgEditing});
}

void TfrmSingle::gdHeadKeyDown(TObject*, Word& key, TShiftState) {
    TdmSingle* module = SingleModule();
    if (key != VK_SPACE || !gdHead || !module || !module->MultiSelectField) return;
    if (gdHead->SelectedField() != module->MultiSelectField) return;
    if (!module->cdsMain->IsEmpty()) ToggleHeadSelection();
    key = 0;
    UpdateButtonStates();
}

void TfrmSingle::gdHeadTitleButtonClick(TObject*, const AnsiString& fieldName) {
    TdmSingle* module = SingleModule();
    if (!module) return;
    if (module->MultiSelectField && SameText(fieldName, module->MultiSelectField->FieldName())) return;
    module->SortByField(fieldName);
    if (gdHead) gdHead->Invalidate();
}

void TfrmSingle::gdHeadCalcTitleImage(TObject*, TField* field, int& titleImageIndex) {
    TdmSingle* module = SingleModule();
    titleImageIndex = -1;
    if (!module || !field || field != module->SortField) return;
    // Sorted by its index of the field's name: descending; by the field's name alone: ascending.
    titleImageIndex = SameText(module->cdsMain->IndexName(), field->FieldName()) ? 1 : 0;
}

void TfrmSingle::gdHeadCalcTitleAttributes(TObject*, const AnsiString& fieldName, TFont*, TBrush* brush) {
    TdmSingle* module = SingleModule();
    if (!module) return;
    for (int i = 1; i <= GetTokenCount(module->KeyFields, ","); ++i)
        if (SameText(Trim(GetToken(module->KeyFields, ",", i)), fieldName)) {
            brush->SetColor(static_cast<TColor>(KeyFieldColor));
            return;
        }
}

// ---- colours of the input controls ----

void TfrmSingle::ColorGridColumns() {
    TfrmBase::ColorGridColumns();
    TdmSingle* module = SingleModule();
    if (!module) return;
    // Required inputs show pale yellow, key inputs the key colour.
    const std::vector<TFieldListItem> items = ParseFieldList(RequiredFields);
    if (const TFieldListItem* required = FindFieldListItem(items, "cdsMain")) {
        AnsiString list;
        for (const AnsiString& name : required->FieldNames)
            list += (list.empty() ? "" : ",") + name;
        SetFieldControlsColor(this, list, ",", 0x00AFFFFF); // RGB(255, 255, 175)
    }
    SetFieldControlsColor(this, module->KeyFields, ",", KeyFieldColor);
    if (gdHead) FitGridColumns(gdHead);
}

// ---- options ----

void TfrmSingle::miOptionsClick(TObject*) {
    std::unique_ptr<TfrmOptions> dialog(new TfrmOptions(this));
    if (dialog->ShowModal() != mrOk) return;
    IsKeepOnAdd = dialog->IsKeepOnAdd();
    IsFocusPageOne = dialog->IsFocusPageOne();
    if (IsColorManage && !dialog->IsColorManage()) {
        IsColorManage = false;
        if (btnColorQuery) btnColorQuery->SetVisible(false);
        if (ToolBar1) ToolBar1->Realign();
    }
    TdmBase* module = BaseModule();
    if (!module) return;
    // The number formats the fields' texts are drawn with.
    module->MoneyFieldAutoZero = dialog->IsMoneyAutoZero();
    module->MoneyFieldThousand = dialog->IsMoneyThousand();
    module->QuantityFieldAutoZero = dialog->IsNumberAutoZero();
    module->QuantityFieldThousand = dialog->IsNumberThousand();
    // Every data source of the module takes its data set again, so that the grids redraw.
    for (int i = 0; i < module->ComponentCount(); ++i)
        if (auto* source = dynamic_cast<TDataSource*>(module->Components(i))) {
            TDataSet* dataSet = source->DataSet();
            source->SetDataSet(nullptr);
            source->SetDataSet(dataSet);
        }
}
