#pragma once
// The attachment dialog "AttachC.Class1" (libattachc.so): the suite's attachment manager as the document
// forms reach it. It keeps no files: each modal show is recorded with what it was given, in order, for
// the host to show or a test to read.
//   Init([company, user, program ID, key text, key fields joined by "||", mode])
//   ParentHandle                                    the owner window (read and written)
//   ShowModal                                       records one show; raises before Init
#include <functional>
#include <vector>

#include "classlib/automation/autoobj.h"

struct TAttachmentShow {
    Variant Parameters; // the Init array as given
    int ParentHandle = 0;
};

// Every show of this process so far, and a listener told of each new one (nil: none).
std::vector<TAttachmentShow> AttachmentShows();
void ClearAttachmentShows();
void SetAttachmentListener(std::function<void(const TAttachmentShow&)> listener);

class TAttachDialog : public TAutoObject {
public:
    void Init(const Variant& parameters);
    int ParentHandle() const { return FParentHandle; }
    void SetParentHandle(int value) { FParentHandle = value; }
    int ShowModal();

protected:
    const TAutoMembers& Members() const override;

private:
    Variant FParameters;
    bool FInitialised = false;
    int FParentHandle = 0;
};
