#pragma once
// TQVCheckBox: the system check box, its caption painted again by the control after every paint.
#include <memory>

#include "classlib/controls/stdctrls.h"

class TQVCheckBox : public TCheckBox {
    KVR_CLASS(TQVCheckBox, TCheckBox)
    KVR_MESSAGES(TQVCheckBox)
public:
    explicit TQVCheckBox(TComponent* owner);
    ~TQVCheckBox() override;

    // The rectangle the caption is painted in again, in the client area.
    TRect CaptionRect() const;

protected:
    void WMPaint(TMessage& message);
    void WMEnable(TMessage& message);

private:
    std::unique_ptr<TControlCanvas> FCanvas;
};
