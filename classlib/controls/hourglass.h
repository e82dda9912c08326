#pragma once
// The hour-glass cursor for the time of a scope: the cursor the screen had comes back however the scope
// ends, an exception included. Without a screen (no user interface yet) it does nothing.
#include "classlib/controls/forms.h"

class THourGlass {
public:
    THourGlass() : FSaved(Screen ? Screen->Cursor() : crDefault) {
        if (Screen) Screen->SetCursor(crHourGlass);
    }
    ~THourGlass() {
        if (Screen) Screen->SetCursor(FSaved);
    }
    THourGlass(const THourGlass&) = delete;
    THourGlass& operator=(const THourGlass&) = delete;

private:
    TCursor FSaved;
};
