// The main file of the framework's single-table document program: its units with an initialisation,
// in unit order, and its main block, which stores the program's form class for the controller's Open.
#include "classlib/rtl/units.h"
#include "foundation/CodePageFix.h"
#include "framework/DBFieldReg.h"
#include "framework/DLLMTCtrller.h"
#include "tests/e2e/docprograms/single/FwSingleCF.h"

namespace {

void MainBlock() {
    frmRadicalClass = TfrmFwSingle::StaticClass();
}
void MainBlockEnd() {
    frmRadicalClass = nullptr;
}
const TUnitHooks FWSING01CMainBlock{"FWSING01C", &MainBlock, &MainBlockEnd};

} // namespace

KVR_LIBRARY_UNITS(&DBFieldRegUnit, &CodePageFixUnit, &DLLMTCtrllerUnit, &FWSING01CMainBlock)
