#include "classlib/rtl/shellapi.h"

#include <mutex>

namespace {

std::mutex gShellLock;
TShellExecuteHandler gShell;

} // namespace

TShellExecuteHandler SetShellExecuteHandler(TShellExecuteHandler handler) {
    std::lock_guard<std::mutex> lock(gShellLock);
    TShellExecuteHandler previous = std::move(gShell);
    gShell = std::move(handler);
    return previous;
}

bool ShellExecuteEx(const TShellExecuteInfo& info) {
    TShellExecuteHandler shell;
    {
        std::lock_guard<std::mutex> lock(gShellLock);
        shell = gShell;
    }
    if (!shell) return false;
    try {
        return shell(info);
    } catch (...) {
        return false;
    }
}
