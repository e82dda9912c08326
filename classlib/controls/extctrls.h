#pragma once
// Panels, bevels, shapes, images, radio groups and scroll boxes.
#include <memory>

#include "classlib/controls/stdctrls.h"
#include "classlib/graphics/picture.h"

KVR_ENUM(TBevelCut, bvNone, bvLowered, bvRaised, bvSpace);
KVR_ENUM(TBevelShape, bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer);
KVR_ENUM(TBevelStyle, bsLowered, bsRaised);
KVR_ENUM(TShapeType, stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle);

class TCustomPanel : public TCustomControl {
    KVR_CLASS(TCustomPanel, TCustomControl)
public:
    explicit TCustomPanel(TComponent* owner);

    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut value);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut value);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int value);
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    void AdjustClientRect(TRect& rect) override;

protected:
    void Paint() override;

private:
    int FrameWidth() const;
    TBevelCut FBevelInner = bvNone;
    TBevelCut FBevelOuter = bvRaised;
    int FBevelWidth = 1;
    int FBorderWidth = 0;
    TBorderStyle FBorderStyle = bsNone;
    TAlignment FAlignment = taCenter;
};

class TPanel : public TCustomPanel {
    KVR_CLASS(TPanel, TCustomPanel)
public:
    explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
};

class TBevel : public TGraphicControl {
    KVR_CLASS(TBevel, TGraphicControl)
public:
    explicit TBevel(TComponent* owner);
    TBevelShape Shape() const { return FShape; }
    void SetShape(TBevelShape value) { FShape = value, Invalidate(); }
    TBevelStyle Style() const { return FStyle; }
    void SetStyle(TBevelStyle value) { FStyle = value, Invalidate(); }

protected:
    void Paint() override;

private:
    TBevelShape FShape = bsBox;
    TBevelStyle FStyle = bsLowered;
};

class TShape : public TGraphicControl {
    KVR_CLASS(TShape, TGraphicControl)
public:
    explicit TShape(TComponent* owner);
    ~TShape() override;
    TBrush* Brush() const { return FBrush.get(); }
    void SetBrush(TBrush* value) { FBrush->Assign(value), Invalidate(); }
    TPen* Pen() const { return FPen.get(); }
    void SetPen(TPen* value) { FPen->Assign(value), Invalidate(); }
    TShapeType Shape() const { return FShape; }
    void SetShape(TShapeType value) { FShape = value, Invalidate(); }

protected:
    void Paint() override;

private:
    std::unique_ptr<TBrush> FBrush;
    std::unique_ptr<TPen> FPen;
    TShapeType FShape = stRectangle;
};

class TImage : public TGraphicControl {
    KVR_CLASS(TImage, TGraphicControl)
public:
    explicit TImage(TComponent* owner);
    ~TImage() override;
    TPicture* Picture() const { return FPicture.get(); }
    void SetPicture(TPicture* value);
    // The picture's bitmap, made on first use.
    TBitmap* Bitmap() const;
    bool Stretch() const { return FStretch; }
    void SetStretch(bool value) { FStretch = value, Invalidate(); }
    bool Center() const { return FCenter; }
    void SetCenter(bool value) { FCenter = value, Invalidate(); }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value) { FTransparent = value, Invalidate(); }
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);

protected:
    void Paint() override;

private:
    std::unique_ptr<TPicture> FPicture;
    bool FStretch = false;
    bool FCenter = false;
    bool FTransparent = false;
    bool FAutoSize = false;
};

// A group box of radio buttons made from its Items; ItemIndex is the checked one.
class TCustomRadioGroup : public TCustomGroupBox {
    KVR_CLASS(TCustomRadioGroup, TCustomGroupBox)
public:
    explicit TCustomRadioGroup(TComponent* owner);
    ~TCustomRadioGroup() override;

    TStrings* Items() const;
    void SetItems(TStrings* value);
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int value);
    int Columns() const { return FColumns; }
    void SetColumns(int value);
    TRadioButton* Buttons(int index) const;
    void ItemsChanged();

protected:
    void ButtonClick(TObject* sender);
    void ArrangeButtons();
    void Loaded() override;

private:
    friend class TRadioGroupStrings;
    std::unique_ptr<TStringList> FItems;
    std::vector<TRadioButton*> FButtons;
    int FItemIndex = -1;
    int FColumns = 1;
    bool FUpdating = false;
};

class TRadioGroup : public TCustomRadioGroup {
    KVR_CLASS(TRadioGroup, TCustomRadioGroup)
public:
    explicit TRadioGroup(TComponent* owner) : TCustomRadioGroup(owner) {}
};

class TScrollBox : public TCustomControl {
    KVR_CLASS(TScrollBox, TCustomControl)
public:
    explicit TScrollBox(TComponent* owner);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value) { FBorderStyle = value, Invalidate(); }

protected:
    void Paint() override;

private:
    TBorderStyle FBorderStyle = bsSingle;
};
