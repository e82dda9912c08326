// The library's main file: its units with an initialisation, in unit order, and its main block, which
// runs when the library is loaded, after the initialisation of its units, and only stores the program's
// form class for the controller's Open.
#include "classlib/rtl/units.h"
#include "foundation/CodePageFix.h"
#include "framework/DBFieldReg.h"
#include "framework/DLLMTCtrller.h"
#include "programs/kvrx58/Kvrx58CF.h"

namespace {

void MainBlock() {
    frmRadicalClass = TfrmKvrx58::StaticClass();
}
void MainBlockEnd() {
    frmRadicalClass = nullptr;
}
const TUnitHooks KVRX58CMainBlock{"KVRX58C", &MainBlock, &MainBlockEnd};

} // namespace

KVR_LIBRARY_UNITS(&DBFieldRegUnit, &CodePageFixUnit, &DLLMTCtrllerUnit, &KVRX58CMainBlock)
