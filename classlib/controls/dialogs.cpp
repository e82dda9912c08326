#include "classlib/controls/dialogs.h"

#include <cstdio>

// Until the modal driver exists, a message is written to standard error so it is never lost.
void ShowMessage(const AnsiString& text) { std::fprintf(stderr, "%s\n", text.c_str()); }
