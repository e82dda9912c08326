#pragma once
// TColorQBEForm: the colour filter of the document forms. It lists the colour conditions of the header
// grid as check boxes painted in each condition's colours, lets the user switch each condition on or
// off and colour management as a whole. The form makes it once with CreateColorQBEForm and runs it
// with Execute; the conditions it hands in change only on OK.
#include <memory>

#include "classlib/controls/buttons.h"
#include "classlib/controls/extctrls.h"
#include "components/BtChkBox.h"
#include "foundation/libColormanage.h"
#include "framework/QVForm.h"

class TColorQBEForm : public TQVForm {
    KVR_CLASS(TColorQBEForm, TQVForm)
public:
    explicit TColorQBEForm(TComponent* owner, bool load = true);
    ~TColorQBEForm() override;

    // Components of the stream.
    TPanel* pnlHead = nullptr;
    TBitCheckBox* chkColorManage = nullptr;
    TPanel* pnlMain = nullptr;
    TScrollBox* boxMain = nullptr;
    TPanel* pnlFoot = nullptr;
    TBitBtn* BBCancel = nullptr;
    TBitBtn* BBOK = nullptr;

    std::unique_ptr<TColorConditions> Conditions; // the working copy
    bool InitialColorManage = false;

    // Runs the dialog modally with that colour-management state; on OK conditions takes the user's
    // choices and the answer is true.
    bool Execute(bool colorManage, TColorConditions* conditions);
    bool IsColorManage() const { return chkColorManage->Checked(); }
    // The check box of condition index ("chkColor" + index); nil when there is none.
    TBitCheckBox* ConditionBox(int index) const;
    // One check box per condition of the working copy, in its colours.
    void BuildConditionBoxes();

    // Handlers of the stream.
    void FormCreate(TObject* sender);
    void FormShow(TObject* sender);
    void FormCloseQuery(TObject* sender, bool& canClose);
    void FormDestroy(TObject* sender);
    void chkColorManageClick(TObject* sender);

private:
    int FBoxCount = 0;
};

// The dialog owned by owner (a document form), with a copy of conditions and a check box for each.
TColorQBEForm* CreateColorQBEForm(TComponent* owner, TColorConditions* conditions);
