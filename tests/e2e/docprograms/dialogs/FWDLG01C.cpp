// The main file of the framework's dialog test program: its units with an initialisation, in
// unit order, and its main block, which stores the program's form class for the controller's Open.
#include "classlib/rtl/units.h"
#include "foundation/CodePageFix.h"
#include "framework/DBFieldReg.h"
#include "framework/DLLMTCtrller.h"
#include "tests/e2e/docprograms/dialogs/FwDialogsCF.h"

namespace {

void MainBlock() {
    frmRadicalClass = TfrmFwDialogs::StaticClass();
}
void MainBlockEnd() {
    frmRadicalClass = nullptr;
}
const TUnitHooks FWDLG01CMainBlock{"FWDLG01C", &MainBlock, &MainBlockEnd};

} // namespace

KVR_LIBRARY_UNITS(&DBFieldRegUnit, &CodePageFixUnit, &DLLMTCtrllerUnit, &FWDLG01CMainBlock)
