// The main file of the framework's base-level document program: its units with an initialisation, in
// unit order, and its main block, which stores the program's form class for the controller's Open.
#include "classlib/rtl/units.h"
#include "foundation/CodePageFix.h"
#include "framework/DBFieldReg.h"
#include "framework/DLLMTCtrller.h"
#include "tests/e2e/docprograms/base/FwBaseCF.h"

namespace {

void MainBlock() {
    frmRadicalClass = TfrmFwBase::StaticClass();
}
void MainBlockEnd() {
    frmRadicalClass = nullptr;
}
const TUnitHooks FWBASE01CMainBlock{"FWBASE01C", &MainBlock, &MainBlockEnd};

} // namespace

KVR_LIBRARY_UNITS(&DBFieldRegUnit, &CodePageFixUnit, &DLLMTCtrllerUnit, &FWBASE01CMainBlock)
