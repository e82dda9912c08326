#pragma once
// TSingleAttachments: the single-table form's attachments, a helper the form owns. It keeps the keys of
// the program's records that have attachments (table ATTACH, read through the counter), shows the
// host's attachment dialog for the current record and deletes a deleted record's attachments.
#include <memory>

#include "classlib/objects/stringlist.h"

class TfrmSingle;

class TSingleAttachments {
public:
    explicit TSingleAttachments(TfrmSingle& form) : F(form) {}

    // The key values of the current record in key-field order, joined by separator.
    AnsiString BuildKey(const AnsiString& separator) const;
    void LoadKeys();
    bool HasAttachment() const;
    // The host's dialog for the current record (while it is browsed or changed), then the keys again.
    void Show();
    // A record deleted: its attachments on the server and its key here go too.
    void RecordDeleted(const AnsiString& key);
    // Nil until the keys were first loaded.
    const TStringList* Keys() const { return FKeys.get(); }

private:
    TfrmSingle& F;
    std::unique_ptr<TStringList> FKeys;
};
