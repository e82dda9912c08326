#include "standins/workcenter/mainmenu.h"

#include <cstring>

TMainMenuWindow::TMainMenuWindow(TLinkListener listener) : FListener(std::move(listener)) {
    FHandle = AllocateClassHWnd(WindowClass, TWndMethod(this, &TMainMenuWindow::WndProc));
}

TMainMenuWindow::~TMainMenuWindow() {
    DeallocateHWnd(FHandle);
}

bool TMainMenuWindow::ReadLinkText(const TCopyDataStruct& data, AnsiString& text) {
    text.clear();
    if (!data.lpData || data.cbData == 0) return false;
    const char* bytes = static_cast<const char*>(data.lpData);
    const void* end = std::memchr(bytes, 0, data.cbData);
    if (!end) return false;
    text.assign(bytes, static_cast<const char*>(end));
    return true;
}

void TMainMenuWindow::WndProc(TMessage& message) {
    if (message.Msg != WM_COPYDATA || message.LParam == 0) return;
    AnsiString text;
    if (!ReadLinkText(*reinterpret_cast<const TCopyDataStruct*>(message.LParam), text)) return;
    FLinks.push_back(text);
    message.Result = 1;
    if (FListener) FListener(text, static_cast<HWND>(message.WParam));
}
