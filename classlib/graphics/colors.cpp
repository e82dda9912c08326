#include "classlib/graphics/colors.h"

#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "classlib/objects/typeinfo.h"
#include "classlib/rtl/exceptions.h"
#include "classlib/rtl/strutils.h"

namespace {

// The classic grey desktop scheme, index by index; 25 is unused by the platform.
constexpr TColor kClassicPalette[] = {
    RGB(192, 192, 192), // 0 scroll bar
    RGB(0, 128, 128),   // 1 desktop
    RGB(0, 0, 128),     // 2 active caption
    RGB(128, 128, 128), // 3 inactive caption
    RGB(192, 192, 192), // 4 menu
    RGB(255, 255, 255), // 5 window
    RGB(0, 0, 0),       // 6 window frame
    RGB(0, 0, 0),       // 7 menu text
    RGB(0, 0, 0),       // 8 window text
    RGB(255, 255, 255), // 9 caption text
    RGB(192, 192, 192), // 10 active border
    RGB(192, 192, 192), // 11 inactive border
    RGB(128, 128, 128), // 12 application work space
    RGB(0, 0, 128),     // 13 highlight
    RGB(255, 255, 255), // 14 highlight text
    RGB(192, 192, 192), // 15 button face
    RGB(128, 128, 128), // 16 button shadow
    RGB(128, 128, 128), // 17 grey text
    RGB(0, 0, 0),       // 18 button text
    RGB(192, 192, 192), // 19 inactive caption text
    RGB(255, 255, 255), // 20 button highlight
    RGB(0, 0, 0),       // 21 3-D dark shadow
    RGB(223, 223, 223), // 22 3-D light
    RGB(0, 0, 0),       // 23 tool-tip text
    RGB(255, 255, 225), // 24 tool-tip background
    RGB(0, 0, 0),       // 25
    RGB(0, 0, 255),     // 26 hot-tracked item
    RGB(16, 132, 208),  // 27 gradient of the active caption
    RGB(181, 181, 181), // 28 gradient of the inactive caption
    RGB(0, 0, 128),     // 29 menu highlight
    RGB(192, 192, 192), // 30 menu bar
};

struct TColorIdent {
    TColor Value;
    const char* Name;
};

constexpr TColorIdent kColorIdents[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
};

// Decimal or "$" hex, the whole text; False for anything else or a value outside 32 bits.
bool ParseColorNumber(const AnsiString& text, TColor& value) {
    const AnsiString s = Trim(text);
    if (s.empty()) return false;
    const bool hex = s[0] == '$' || (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'));
    const std::size_t start = hex ? (s[0] == '$' ? 1 : 2) : 0;
    if (start >= s.size()) return false;
    const char* begin = s.c_str() + start;
    char* end = nullptr;
    const long long parsed = std::strtoll(begin, &end, hex ? 16 : 10);
    if (end != s.c_str() + s.size() || *begin == ' ' || *begin == '+') return false;
    if (hex) {
        if (*begin == '-' || parsed > 0xFFFFFFFFLL) return false;
        value = static_cast<TColor>(static_cast<std::uint32_t>(parsed));
        return true;
    }
    if (parsed < INT32_MIN || parsed > INT32_MAX) return false;
    value = static_cast<TColor>(parsed);
    return true;
}

// The form loader and the property routines read colours by identifier through this table.
struct TRegisterColorIdents {
    TRegisterColorIdents() {
        std::vector<TIdentMapEntry> map;
        for (const auto& entry : kColorIdents)
            map.push_back({entry.Value, entry.Name});
        RegisterIntegerConsts("TColor", std::move(map));
    }
} registerColorIdents;

} // namespace

TColor GetSysColor(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kClassicPalette))) return clBlack;
    return kClassicPalette[index];
}

TColor ColorToRGB(TColor color) {
    if (color < 0) return GetSysColor(static_cast<int>(static_cast<std::uint32_t>(color) & 0xFF));
    return color;
}

bool ColorToIdent(TColor color, AnsiString& ident) {
    for (const auto& entry : kColorIdents) {
        if (entry.Value == color) {
            ident = entry.Name;
            return true;
        }
    }
    return false;
}

bool IdentToColor(const AnsiString& ident, TColor& color) {
    for (const auto& entry : kColorIdents) {
        if (SameText(ident, entry.Name)) {
            color = entry.Value;
            return true;
        }
    }
    return false;
}

AnsiString ColorToString(TColor color) {
    AnsiString ident;
    if (ColorToIdent(color, ident)) return ident;
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "$%.8X", static_cast<unsigned>(static_cast<std::uint32_t>(color)));
    return buffer;
}

TColor StringToColor(const AnsiString& text) {
    TColor color = clBlack;
    if (IdentToColor(Trim(text), color)) return color;
    if (ParseColorNumber(text, color)) return color;
    throw EConvertError("'" + text + "' is not a valid integer value");
}

void GetColorValues(void (*proc)(const AnsiString& ident, void* data), void* data) {
    if (!proc) return;
    for (const auto& entry : kColorIdents)
        proc(entry.Name, data);
}
