// The host's main-menu window: found by its class while it lives, it takes a zero-terminated link text
// and refuses a record it cannot read safely.
#include <gtest/gtest.h>

#include "standins/workcenter/mainmenu.h"

namespace {

LRESULT SendText(HWND to, const void* data, Cardinal size) {
    TCopyDataStruct record;
    record.cbData = size;
    record.lpData = data;
    return SendMessage(to, WM_COPYDATA, 0x1234, reinterpret_cast<LPARAM>(&record));
}

} // namespace

TEST(MainMenuWindow, FoundByItsClassOnlyWhileItLives) {
    EXPECT_EQ(FindWindow(TMainMenuWindow::WindowClass), 0u);
    HWND handle = 0;
    {
        TMainMenuWindow first, second;
        handle = first.Handle();
        EXPECT_EQ(FindWindow("qvn_veltrane_mainmenu"), handle); // the oldest, whatever the case
        EXPECT_EQ(FindWindow(""), 0u);
    }
    EXPECT_EQ(FindWindow(TMainMenuWindow::WindowClass), 0u);
    EXPECT_FALSE(IsWindow(handle));
}

TEST(MainMenuWindow, TakesTheTextUpToItsTerminatorAndRefusesWhatItCannotRead) {
    std::vector<std::pair<AnsiString, HWND>> told;
    TMainMenuWindow window([&](const AnsiString& text, HWND sender) { told.emplace_back(text, sender); });
    const char link[] = "KTRW:ab$$<p>x</p>";
    EXPECT_EQ(SendText(window.Handle(), link, sizeof link), 1);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].first, AnsiString(link));
    EXPECT_EQ(told[0].second, 0x1234u);

    const char unterminated[] = {'a', 'b', 'c'};
    const struct {
        const void* Data;
        Cardinal Size;
    } refused[] = {{nullptr, 5}, {link, 0}, {unterminated, sizeof unterminated}};
    for (const auto& r : refused)
        EXPECT_EQ(SendText(window.Handle(), r.Data, r.Size), 0) << r.Size;
    EXPECT_EQ(SendMessage(window.Handle(), WM_COPYDATA, 0, 0), 0);
    EXPECT_EQ(window.Links().size(), 1u);
}
