#pragma once
// The transaction manager's server object TransManager.TxnManager: it runs a document's confirmation
// and unconfirmation on the database, as the client-side manager (TransManagerC.Class1) asks it:
//   DoIt2(Request, Pair)   True when the transaction ran; then ReturnSeq is the document's key text.
//                          False with ErrorCode, ResultDesc (["E", "000032", [reason]]) and
//                          ErrorDescript (the reason) when it was refused; nothing is changed then.
//   DoCheck(Request, Pair) the same checks without changing anything
//   ReturnSeq, ErrorCode, ResultDesc, ErrorDescript   the outcome of the last call
//   CloseCOM               forgets the connection; the next call connects again
//
// Request: [0] "TXN" + program code, [1] company, [2] "S", [3] user, [4] '', [5] the parameters,
// [6] the user interface's code page, [7] the system's, [8] the catalogue flag, [9] unused.
// Parameters (n the program's M11_KEY count): [0] '', [1] "N", [2] "DO" or "UNDO", [3 .. n+2] the
// header key values, [n+3] the FLAG the client read, [n+4] '', [n+5] the confirm date YYYYMMDD (DO),
// [n+6] the program ID.
//
// The program's settings name the tables: M11_TABLE, M11_KEY, M11_CONFIRM (the confirm code),
// M11_CONFIRM_DATE (the confirm date, optional), D11_TABLE, D11_KEY, D11_CONFIRM (the lines' code,
// optional). DO takes a document of code "N", empty or "U" to "Y" with its date; UNDO takes "Y" back
// to "N" and clears the date. Both step FLAG as a save does, stamp MODIFIER and MODI_DATE, and need
// the user's confirm or unconfirm right on that record (rights.h). A document whose FLAG is not the
// one the client read was changed since: refused. Over TCP the request's user must be the one the
// connection speaks for (sconnect.h); the rights are that user's in the request's program, as the
// server derives them.
#include <memory>

#include "classlib/automation/autoobj.h"

class TRarer1;

class TTxnManager : public TAutoObject {
public:
    TTxnManager();
    ~TTxnManager() override;

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
    bool Run(const Variant& request, bool write);
    bool Refuse(const AnsiString& code, const AnsiString& reason);

    std::unique_ptr<TRarer1> FServer;
    AnsiString FConnectedAs; // program, user and company of FServer's connection
    AnsiString FReturnSeq, FErrorCode, FErrorDescript;
    Variant FResultDesc;
};
