#pragma once
// The task-message pager "QVNPagerC.Class1" (libqvnpager.so): the suite's message centre as the
// document forms reach it. It sends nothing anywhere; it keeps what it was given, in order, for the
// host to show or a test to read.
//   ShowSendVorlan(User, [Company, Program ID], Text, Spare)   records one message
#include <functional>
#include <vector>

#include "classlib/automation/autoobj.h"

struct TPagerMessage {
    AnsiString User;
    Variant Target; // [company, program ID] as sent
    Variant Text;
};

// Every message of this process so far, and a listener told of each new one (nil: none).
std::vector<TPagerMessage> PagerMessages();
void ClearPagerMessages();
void SetPagerListener(std::function<void(const TPagerMessage&)> listener);

class TQVNPager : public TAutoObject {
public:
    void ShowSendVorlan(const AnsiString& user, const Variant& target, const Variant& text,
                        const Variant& spare);

protected:
    const TAutoMembers& Members() const override;
};
