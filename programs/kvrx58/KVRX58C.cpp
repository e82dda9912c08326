// The library's main block: runs when the library is loaded, after the
// initialisation of its units, and only stores the program's form class for the
// controller's Open.
#include "framework/DLLMTCtrller.h"
#include "programs/kvrx58/Kvrx58CF.h"

namespace {

[[maybe_unused]] const bool gMainBlock = (frmRadicalClass = TfrmKvrx58::StaticClass(), true);

} // namespace
