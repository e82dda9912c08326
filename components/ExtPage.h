#pragma once
// TExtPageControl: a page control whose tabs it draws itself, the active one in caption colours; tab
// indices count visible tabs only.
#include "classlib/controls/comctrls.h"

class TExtPageControl : public TPageControl {
    KVR_CLASS(TExtPageControl, TPageControl)
public:
    explicit TExtPageControl(TComponent* owner) : TPageControl(owner) {}

protected:
    void CreateParams(TCreateParams& params) override;
    void DrawTab(int tabIndex, const TRect& rect, bool active) override;
};
