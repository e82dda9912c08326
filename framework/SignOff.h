#pragma once
// TSignOff: the electronic sign-off of a header-plus-body document, a helper that its form owns. It
// decides per document type whether a confirm, unconfirm, void or un-void must go through the sign-off
// system, sends the document there as a job through the broker, keeps the document's sign-off status
// field, shows the flow's progress and opens the approval-opinion page the sign-off web service names.
//
// Sign-off status: "0" pending, "S" being sent, "1" in sign-off, "2" returned, "3" approved, "4"
// unconfirm, "5" void, "6" un-void in sign-off, "N" no sign-off. "1", "4", "5", "6" and "S" block new
// actions. Action kinds as the confirmation's: 0 un-void, 1 void, 2 unconfirm, 3 confirm.
#include <vector>

#include "classlib/objects/stringlist.h"
#include "classlib/rtl/variants.h"

class TfrmDouble;
class TStream;

// The tag extractor of the sign-off answers: the text between the first "<name>" and the "</name>"
// after it; that whole element is cut out of text, so repeated elements come in order. '' when the
// element is missing or not closed (text is then left as it was).
AnsiString TakeTagValue(AnsiString& text, const AnsiString& name);

class TSignOff {
public:
    explicit TSignOff(TfrmDouble& form) : F(form) {}

    // Per document type ("****" every type) the nine setting values joined by character 3, in the
    // order of the type list: 0 confirm through sign-off ("Y", "C", "y"), 6 unconfirm, 7 void, 8
    // un-void ("Y").
    TStringList Types;
    TStringList TypeRows;
    // "N" after the program is configured; what the type's confirm setting says once Required(3) held.
    AnsiString AutoSend = "N";

    void LoadTypes();
    void LoadTypesQz();
    void LoadTypeRows(const AnsiString& sql, const AnsiString& fields);
    // btnSorvane shows: by the settings, the program's sign-off attributes and the status field.
    bool ButtonWanted() const;
    // Must action kind of the current document go through sign-off.
    bool Required(Byte kind);
    // A job for the current document waits in the queue.
    bool Pending();
    // Sends the current document for sign-off.
    void Send(bool fromCommand, Byte kind, bool showErrors);
    bool AskInfo() const;
    // The enabled state of the sign-off items and of the commands an open sign-off blocks.
    void UpdateActions();
    // miViewSorvane: the flow window, or the opinion page with the outside sign-off system.
    void ViewInfo();
    void ShowOpinion();
    // Rows of ten values each (pass, branch, role, then the person's seven) followed by one Unassigned
    // element; Unassigned after an error answer (said). False when no rows came.
    bool ParseApproveInfo(const AnsiString& response, Variant& rows);
    // The printed document as picture files in c_temp\<company>\: files := [prefix, folder].
    void CreateImages(const AnsiString& user, const AnsiString& company, Variant& files,
                      const AnsiString& printFormat, const AnsiString& keyValues,
                      const AnsiString& printProgram);
    // Every picture file of files appended to stream, their sizes joined by ";"; with remove they go.
    void CollectImages(const Variant& files, AnsiString& sizes, bool remove, TStream* stream);
    // The header's key values joined by "||" (in add state the auto-key field gives the server's number
    // when it has one); false when a numeric key's text is no number.
    bool KeyText(AnsiString& text) const;
    AnsiString Status() const;
    bool Jpeg() const;

private:
    // The type's row values; false when the type has none.
    bool TypeRow(const AnsiString& docType, std::vector<AnsiString>& values) const;
    AnsiString FieldValue(const AnsiString& name) const;
    AnsiString LangText(const AnsiString& ident, const AnsiString& def) const;
    TfrmDouble& F;
};
