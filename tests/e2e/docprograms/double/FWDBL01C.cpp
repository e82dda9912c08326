// The main file of the framework's header-plus-body document program: its units with an
// initialisation, in unit order, and its main block, which stores the program's form class.
#include "classlib/rtl/units.h"
#include "foundation/CodePageFix.h"
#include "framework/DBFieldReg.h"
#include "framework/DLLMTCtrller.h"
#include "tests/e2e/docprograms/double/FwDoubleCF.h"

namespace {

void MainBlock() {
    frmRadicalClass = TfrmFwDouble::StaticClass();
}
void MainBlockEnd() {
    frmRadicalClass = nullptr;
}
const TUnitHooks FWDBL01CMainBlock{"FWDBL01C", &MainBlock, &MainBlockEnd};

} // namespace

KVR_LIBRARY_UNITS(&DBFieldRegUnit, &CodePageFixUnit, &DLLMTCtrllerUnit, &FWDBL01CMainBlock)
