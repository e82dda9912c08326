#include "components/QVCheckBox.h"

#include "components/QvRadioButton.h"

TQVCheckBox::TQVCheckBox(TComponent* owner) : TCheckBox(owner), FCanvas(new TControlCanvas) {
    FCanvas->SetControl(this);
}

TQVCheckBox::~TQVCheckBox() = default;

TRect TQVCheckBox::CaptionRect() const {
    TRect rect = ClientRect();
    int size = Font()->Size();
    if (Alignment() == taRightJustify) {
        rect.Left += QvCaptionOffset(size);
        if (size == 9) rect.Top = 2;
        return rect;
    }
    int length = static_cast<int>(Caption().size());
    rect.Right = rect.Right - (Width() - 6 * length) + QvLeftCaptionRightAdjust(size);
    rect.Top = rect.Top + (Height() - 17) / 2 + 2 + QvLeftCaptionTopAdjust(size);
    return rect;
}

void TQVCheckBox::WMPaint(TMessage& message) {
    InheritedMessage(message);
    TCanvas* paint = PaintCanvas(message);
    if (!paint || !paint->Target()) return;
    FCanvas->SetTarget(paint->Target(), paint->Origin());
    TRect text = CaptionRect();
    FCanvas->Brush()->SetStyle(bsSolid);
    FCanvas->Brush()->SetColor(Color());
    FCanvas->Pen()->SetColor(Color());
    FCanvas->FillRect({text.Left - 4, text.Top - 4, text.Right + 4, text.Bottom + 4});
    FCanvas->Font()->Assign(Font());
    FCanvas->Brush()->SetStyle(bsClear);
    DrawText(FCanvas.get(), Caption(), text,
             DT_SINGLELINE | (Alignment() == taRightJustify ? DT_LEFT : DT_RIGHT));
    FCanvas->Brush()->SetStyle(bsSolid);
    FCanvas->ClearTarget();
}

void TQVCheckBox::WMEnable(TMessage& message) {
    InheritedMessage(message);
    Invalidate();
}

KVR_MESSAGE_MAP(TQVCheckBox, m) {
    m.Handle(WM_PAINT, &TQVCheckBox::WMPaint);
    m.Handle(WM_ENABLE, &TQVCheckBox::WMEnable);
}

KVR_PUBLISHED(TQVCheckBox, c) {
    (void)c;
}
