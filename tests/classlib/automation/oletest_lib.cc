// An automation server library for the class registry tests: it registers its class from its own
// initialisation, as every server library does. (Named .cc so that the layer's test glob leaves it out.)
#include "classlib/automation/autoobj.h"
#include "classlib/automation/comserv.h"

namespace {

class TTestServer : public TAutoObject {
public:
    AnsiString Name() const { return "kvr test server"; }
    int Next() { return ++FCount; }

protected:
    const TAutoMembers& Members() const override {
        static const TAutoMembers members{
            AutoProperty("Name", &TTestServer::Name),
            AutoMethod("Next", &TTestServer::Next),
        };
        return members;
    }

private:
    int FCount = 0;
};

TAutoObjectFactory gFactory("KvrTest.Server", [] { return Variant(new TTestServer); });

} // namespace
