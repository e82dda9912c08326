#pragma once
// The shell's execution of a verb on a file (ShellExecuteEx): opening an exported file, showing a
// file's property sheet. The shell belongs to the host: it installs a handler, and without one nothing
// runs and the call answers false.
#include <functional>

#include "classlib/rtl/types.h"

// The mask that asks the shell for a verb of the file's context menu ("properties").
constexpr unsigned SEE_MASK_INVOKEIDLIST = 0x0000000C;

struct TShellExecuteInfo {
    unsigned Mask = 0;
    AnsiString Verb;
    AnsiString File;
    AnsiString Parameters;
};

using TShellExecuteHandler = std::function<bool(const TShellExecuteInfo& info)>;
// Installs the shell; returns the one it replaces.
TShellExecuteHandler SetShellExecuteHandler(TShellExecuteHandler handler);
// The shell's answer; false without a shell or when it fails.
bool ShellExecuteEx(const TShellExecuteInfo& info);
