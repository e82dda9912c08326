#include "standins/outside/transmanager/transmanagerc.h"

#include "classlib/automation/comserv.h"
#include "classlib/automation/sconnect.h"
#include "classlib/rtl/strutils.h"
#include "classlib/rtl/varview.h"

namespace {

TAutoObjectFactory gTransManagerFactory("TransManagerC.Class1", [] { return Variant(new TTransManagerC); });

constexpr const char* DefaultServer = "TransManager.TxnManager";

} // namespace

TTransManagerC::TTransManagerC() = default;

TTransManagerC::~TTransManagerC() {
    FServer = Variant();
}

const TAutoMembers& TTransManagerC::Members() const {
    static const TAutoMembers members{
        AutoMethod("DoIt2", &TTransManagerC::DoIt2),
        AutoMethod("DoCheck", &TTransManagerC::DoCheck),
        AutoProperty("ReturnSeq", &TTransManagerC::ReturnSeq),
        AutoProperty("ErrorCode", &TTransManagerC::ErrorCode),
        AutoProperty("ResultDesc", &TTransManagerC::ResultDesc),
        AutoProperty("ErrorDescript", &TTransManagerC::ErrorDescript),
        AutoMethod("CloseCOM", &TTransManagerC::CloseCOM),
    };
    return members;
}

bool TTransManagerC::DoIt2(const Variant& request, const Variant& pair) {
    return Call("DoIt2", request, pair);
}

bool TTransManagerC::DoCheck(const Variant& request, const Variant& pair) {
    return Call("DoCheck", request, pair);
}

void TTransManagerC::CloseCOM() {
    if (!VarIsEmpty(FServer)) {
        try {
            VarCall(FServer, "CloseCOM", {});
        } catch (const Exception&) {
            // a server that went away has nothing left to release
        }
    }
    FServer = Variant();
    FServerName.clear();
    FUser.clear();
    FConnection.reset();
}

Variant TTransManagerC::Server(const AnsiString& name, const AnsiString& user) {
    if (!VarIsEmpty(FServer) && SameText(name, FServerName) && user == FUser) return FServer;
    CloseCOM();
    AnsiString address;
    int port = 211;
    ConfiguredServer(address, port);
    if (address.empty() || address == "127.0.0.1") {
        FServer = CreateOleObject(name);
    } else {
        FConnection = std::make_unique<TSocketConnection>();
        FConnection->SetAddress(address);
        FConnection->SetPort(port);
        FConnection->SetServerName(name);
        FConnection->SetUser(user);
        FConnection->Open();
        FServer = FConnection->AppServer();
    }
    FServerName = name;
    FUser = user;
    return FServer;
}

bool TTransManagerC::Call(const char* member, const Variant& request, const Variant& pair) {
    FReturnSeq.clear();
    FErrorCode.clear();
    FErrorDescript.clear();
    FResultDesc = Variant();
    AnsiString name = Trim(VarArrayItemText(pair, 0));
    if (name.empty()) name = DefaultServer;
    try {
        // The request's user (element 3) is the one the connection speaks for.
        AnsiString user;
        if (VarIsArray(request) && VarArrayDimCount(request) == 1 &&
            VarArrayHighBound(request, 1) >= VarArrayLowBound(request, 1) + 3) {
            const Variant element = request.GetElement({VarArrayLowBound(request, 1) + 3});
            if (!VarIsArray(element) && !VarIsNull(element) && !VarIsEmpty(element))
                user = Trim(VarToStr(element));
        }
        const Variant server = Server(name, user);
        const bool done = VarCall(server, member, {request, pair}).AsBoolean();
        FReturnSeq = VarToStr(VarGet(server, "ReturnSeq"));
        FErrorCode = VarToStr(VarGet(server, "ErrorCode"));
        FResultDesc = VarGet(server, "ResultDesc");
        FErrorDescript = VarToStr(VarGet(server, "ErrorDescript"));
        return done;
    } catch (const Exception& failure) {
        CloseCOM();
        FErrorCode = "-1";
        FErrorDescript = failure.Message();
        return false;
    }
}
