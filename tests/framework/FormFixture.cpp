#include "tests/framework/FormFixture.h"

KVR_PUBLISHED(TdmRootTest, c) {}

KVR_PUBLISHED(TfrmRootTest, c) {
    c.Method("FormCreate", &TfrmRootTest::FormCreate);
}
