#include "components/ExtPage.h"

void TExtPageControl::CreateParams(TCreateParams& params) {
    TPageControl::CreateParams(params);
    params.Style |= TCS_OWNERDRAWFIXED;
}

void TExtPageControl::DrawTab(int tabIndex, const TRect& rect, bool active) {
    if (OnDrawTab()) {
        OnDrawTab()(this, tabIndex, rect, active);
        return;
    }
    TCanvas* canvas = Canvas();
    TRect r = rect;
    TFontStyles style = canvas->Font()->Style();
    if (active) {
        r = {r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2};
        canvas->Font()->SetColor(clCaptionText);
        style.Include(fsBold);
        canvas->Brush()->SetColor(clActiveCaption);
    } else {
        canvas->Font()->SetColor(clInactiveCaptionText);
        style.Exclude(fsBold);
        canvas->Brush()->SetColor(clInactiveCaption);
    }
    canvas->Font()->SetStyle(style);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(r);
    if (!active) r.Top += 2;
    // Hidden tabs take no index: the page is the tabIndex-th one whose tab is visible.
    if (TTabSheet* page = PageForTab(tabIndex)) {
        canvas->Brush()->SetStyle(bsClear);
        DrawText(canvas, page->Caption(), r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        canvas->Brush()->SetStyle(bsSolid);
    }
}

KVR_PUBLISHED(TExtPageControl, c) {
    (void)c;
}
