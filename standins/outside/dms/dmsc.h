#pragma once
// The document server "DmsC.DMSClass1" (libdmsc.so): the suite's document store as a form's linked
// document view (F10) reaches it. It keeps a folder of checked-out copies in the temporary folder.
//   CheckOut([user, mode, document, version, comment], var files)
//       mode "R" reads: the copy of the document is written (a text naming document and version) and
//       files becomes [its path]; the answer is 0. A blank document answers -1 and leaves files alone.
#include <vector>

#include "classlib/automation/autoobj.h"

// The parameters of every check-out of this process so far, in order.
std::vector<Variant> DmsCheckOuts();
void ClearDmsCheckOuts();

class TDMSClass : public TAutoObject {
public:
    int CheckOut(const Variant& parameters, Variant& files);

protected:
    const TAutoMembers& Members() const override;
};
