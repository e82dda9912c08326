#pragma once
// The lookup-window server F2WindowS.Class1, over the catalogue's lookups (lookups.h), which the host's
// lookup window runs too:
//   Connect([program, user, company, database, ...])   0, or 2 when the database cannot be opened
//   GetLookupData(Table, QueryNo, Keys, Current)       [captions, rows]: the column titles and the
//                                                      candidate rows (each an array of values); an
//                                                      unknown lookup answers empty arrays
#include <memory>
#include <vector>

#include "classlib/automation/autoobj.h"
#include "standins/shared/lookups.h"
#include "standins/shared/serverconfig.h"

class TF2WindowS : public TAutoObject {
public:
    int Connect(const Variant& params);
    Variant GetLookupData(const AnsiString& table, const AnsiString& queryNo, const Variant& keys,
                          const AnsiString& current);

protected:
    const TAutoMembers& Members() const override;

private:
    TServerSession FSession;
    std::shared_ptr<const TCatalogue> FCatalogue;
    TCatalogueContext FContext;
};
