#include "classlib/rtl/codepages.h"

#include <atomic>

namespace {
std::atomic<unsigned> gACP{936};
}

unsigned GetACP() { return gACP.load(); }

void SetACP(unsigned codePage) { gACP.store(codePage); }

bool IsDBCSLeadByteEx(unsigned codePage, Byte value) {
    switch (codePage) {
    case 936:
    case 950:
        return value >= 0x81 && value <= 0xFE;
    default:
        return false;
    }
}

bool IsDBCSLeadByte(Byte value) { return IsDBCSLeadByteEx(GetACP(), value); }

int CharLength(const AnsiString& text, std::size_t index) {
    if (index >= text.size()) return 0;
    if (IsDBCSLeadByte(static_cast<Byte>(text[index])) && index + 1 < text.size()) return 2;
    return 1;
}
