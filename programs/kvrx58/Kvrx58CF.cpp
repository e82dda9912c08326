#include "programs/kvrx58/Kvrx58CF.h"

#include "classlib/objects/formloader.h"

KVR_PUBLISHED(TfrmKvrx58, c) {}

KVR_FORM_RESOURCE(TfrmKvrx58, R"(inherited frmKvrx58: TfrmKvrx58
end
)");

TfrmKvrx58::TfrmKvrx58(TComponent* owner, bool load) : TfrmRadical(owner, false) {
    if (load) InitInheritedComponent(this);
}
