#pragma once
// Message dialogs of the class library. The user-interface layer routes them through the application's
// modal driver; this is their entry point.
#include "classlib/rtl/types.h"

// A plain message with an OK button.
void ShowMessage(const AnsiString& text);
