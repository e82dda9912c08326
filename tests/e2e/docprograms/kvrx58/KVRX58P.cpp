// The main file of the letter-of-credit program with its session probe: the program's units with an
// initialisation, in unit order, and a main block that stores the probe's form class.
#include "classlib/rtl/units.h"
#include "foundation/CodePageFix.h"
#include "framework/DBFieldReg.h"
#include "framework/DLLMTCtrller.h"
#include "tests/e2e/docprograms/kvrx58/Kvrx58ProbeCF.h"

namespace {

void MainBlock() {
    frmRadicalClass = TfrmKvrx58Probe::StaticClass();
}
void MainBlockEnd() {
    frmRadicalClass = nullptr;
}
const TUnitHooks KVRX58PMainBlock{"KVRX58P", &MainBlock, &MainBlockEnd};

} // namespace

KVR_LIBRARY_UNITS(&DBFieldRegUnit, &CodePageFixUnit, &DLLMTCtrllerUnit, &KVRX58PMainBlock)
