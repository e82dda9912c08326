#pragma once
// The suite's transaction manager as the module sees it: the automation object TransManagerC.Class1.
//   DoIt2(Request, Pair)    runs the transaction on the application server's side: Pair's element 0
//                           names the server object (by default TransManager.TxnManager), created
//                           in process when the client configuration's server is 127.0.0.1 (or
//                           there is none), reached over TCP at its address and port otherwise.
//                           True when the transaction ran.
//   DoCheck(Request, Pair)  the same checks without running it
//   ReturnSeq, ErrorCode, ResultDesc, ErrorDescript   the outcome the server gave; a server that
//                           cannot be reached gives ErrorCode "-1" and the failure's text
//   CloseCOM                releases the server object and the connection
#include <memory>

#include "classlib/automation/autoobj.h"

class TSocketConnection;

class TTransManagerC : public TAutoObject {
public:
    TTransManagerC();
    ~TTransManagerC() override;

    bool DoIt2(const Variant& request, const Variant& pair);
    bool DoCheck(const Variant& request, const Variant& pair);
    AnsiString ReturnSeq() const { return FReturnSeq; }
    AnsiString ErrorCode() const { return FErrorCode; }
    Variant ResultDesc() const { return FResultDesc; }
    AnsiString ErrorDescript() const { return FErrorDescript; }
    void CloseCOM();

protected:
    const TAutoMembers& Members() const override;

private:
    bool Call(const char* member, const Variant& request, const Variant& pair);
    // The server object of that name, over a connection that speaks for the user.
    Variant Server(const AnsiString& name, const AnsiString& user);

    std::unique_ptr<TSocketConnection> FConnection;
    Variant FServer;
    AnsiString FServerName;
    AnsiString FUser; // the user FServer's connection speaks for
    AnsiString FReturnSeq, FErrorCode, FErrorDescript;
    Variant FResultDesc;
};
