#pragma once
// TfrmOptions: the per-user options of the document forms: four input settings and the display formats
// of quantity and money fields. The values live in the server's user-settings store ("GetUserDefine",
// "SetUserDefine" through the broker's counter); the calling form reads the chosen values back through
// the state getters after OK. Only the boxes the user changed are written.
//
// Stored forms (program column "********************" means every program of the user):
//   InputSettings001/IsFocusPageOne    "True"/"False"  all programs   default True
//   InputSettings002/IsKeepOnAdd       "True"/"False"  all programs   default True
//   InputSettings003/IsColorManage     "True"/"False"  this program   default False
//   InputSettings004/FastInputEnabled  "True"/"False"  this program   default True
//   "." (read as NumberFieldsSetting)  NumberSettingsXml's text, all programs, each default True
#include <memory>

#include "classlib/controls/extctrls.h"
#include "classlib/controls/stdctrls.h"
#include "classlib/objects/stringlist.h"
#include "components/BtChkBox.h"
#include "components/ExtPage.h"
#include "dialogs/QVDialogCF.h"

// The program column of a setting that holds for every program of the user.
extern const char* const AllProgramsColumn;

struct TNumberSettings {
    bool QuantityAutoZero = true;
    bool QuantityThousand = true;
    bool MoneyAutoZero = true;
    bool MoneyThousand = true;
};
// The stored text of the number settings, exactly as it is written.
AnsiString NumberSettingsXml(const TNumberSettings& settings);
// Reads the stored text over settings: each value is True when its element's text is "True" in any
// case, and a missing element gives True. False (settings untouched) when the text is no XML.
bool ReadNumberSettings(const AnsiString& xml, TNumberSettings& settings);
// The display format of a number: "#,##0." (thousands) followed by places digits, "0" when zeros are
// filled in, else "#".
AnsiString NumberDisplayFormat(bool thousand, bool autoZero, int places);

AnsiString BoolToText(bool value);

class TfrmOptions : public TfrmQVDialog {
    KVR_CLASS(TfrmOptions, TfrmQVDialog)
public:
    explicit TfrmOptions(TComponent* owner, bool load = true);
    ~TfrmOptions() override;

    // Components of the stream.
    TExtPageControl* pgMain = nullptr;
    TTabSheet* tsGeneral = nullptr;
    TBitCheckBox* chkKeepOnAdd = nullptr;
    TBitCheckBox* chkFocusPageOne = nullptr;
    TBitCheckBox* chkColorManage = nullptr;
    TBitCheckBox* chkFastInput = nullptr;
    TLabel* lblNote1 = nullptr;
    TLabel* lblNote2 = nullptr;
    TTabSheet* tsDisplay = nullptr;
    TLabel* lblType = nullptr;
    TListBox* lstType = nullptr;
    TLabel* lblExplain = nullptr;
    TPanel* pnlNumber = nullptr;
    TGroupBox* grpNumber = nullptr;
    TLabel* lblNumberExample = nullptr;
    TBitCheckBox* chkNumberThousand = nullptr;
    TBitCheckBox* chkNumberAutoZero = nullptr;
    TPanel* pnlMoney = nullptr;
    TGroupBox* grpMoney = nullptr;
    TLabel* lblMoneyExample = nullptr;
    TBitCheckBox* chkMoneyThousand = nullptr;
    TBitCheckBox* chkMoneyAutoZero = nullptr;
    TButton* btnOK = nullptr;
    TButton* btnCancel = nullptr;
    TMemo* mmoMsg = nullptr;

    // The eight boxes as "True"/"False" when the dialog was shown; owned.
    std::unique_ptr<TStringList> Snapshot;

    // Virtual operations, in slot order.
    // Shows the selected kind's panel, refreshes both samples and takes the snapshot.
    virtual void RefreshDisplay();
    // A descendant's hook, run at the end of FormCreate.
    virtual void CustomizeOptions();

    bool IsFocusPageOne() const { return chkFocusPageOne->Checked(); }
    bool IsKeepOnAdd() const { return chkKeepOnAdd->Checked(); }
    bool IsMoneyAutoZero() const { return chkMoneyAutoZero->Checked(); }
    bool IsMoneyThousand() const { return chkMoneyThousand->Checked(); }
    bool IsNumberAutoZero() const { return chkNumberAutoZero->Checked(); }
    bool IsNumberThousand() const { return chkNumberThousand->Checked(); }
    bool IsColorManage() const { return chkColorManage->Checked(); }
    bool IsFastInput() const { return chkFastInput->Checked(); }

    void LoadOptions();
    void SaveOptions();

    // Handlers of the stream.
    void FormCreate(TObject* sender);
    void FormShow(TObject* sender);
    void FormDestroy(TObject* sender);
    void btnOKClick(TObject* sender);
    void lstTypeClick(TObject* sender);
    void chkMoneyThousandClick(TObject* sender);
    void chkMoneyAutoZeroClick(TObject* sender);
    void chkNumberThousandClick(TObject* sender);
    void chkNumberAutoZeroClick(TObject* sender);

private:
    void ShowSelectedPanel();
    void RefreshMoneySample();
    void RefreshNumberSample();
    void TakeSnapshot();
    // The money decimals of the company's currency: 2 when the owner is no base document form.
    int MoneyDecimals();
    bool Changed(const TBitCheckBox* box) const;
    // One "SetUserDefine"; a failure goes to the alert log only.
    void WriteSetting(const AnsiString& column, const AnsiString& keyPath, const AnsiString& value);
};
