#pragma once
// The host's main-menu window: a window of class "QVN_Veltrane_MainMenu" that the programs find by its
// class and send a link to the current document with WM_COPYDATA (a zero-terminated text, its size
// counting the terminator). The host makes one while it runs and is told each link it receives.
#include <functional>
#include <vector>

#include "classlib/controls/messages.h"

class TMainMenuWindow : public TObject {
public:
    static constexpr const char* WindowClass = "QVN_Veltrane_MainMenu";
    // Told each link taken, with the sender's window; may be empty.
    using TLinkListener = std::function<void(const AnsiString& text, HWND sender)>;

    explicit TMainMenuWindow(TLinkListener listener = nullptr);
    ~TMainMenuWindow() override;
    TMainMenuWindow(const TMainMenuWindow&) = delete;
    TMainMenuWindow& operator=(const TMainMenuWindow&) = delete;

    HWND Handle() const { return FHandle; }
    // The links taken, oldest first.
    const std::vector<AnsiString>& Links() const { return FLinks; }

    // The text of a copy-data record: the bytes before the terminator. False (and nothing read past
    // the record) for a record without data or without a terminator within its size.
    static bool ReadLinkText(const TCopyDataStruct& data, AnsiString& text);

private:
    void WndProc(TMessage& message);
    HWND FHandle = 0;
    TLinkListener FListener;
    std::vector<AnsiString> FLinks;
};
