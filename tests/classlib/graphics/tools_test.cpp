#include <gtest/gtest.h>

#include <vector>

#include "classlib/graphics/graphics.h"

namespace {

// Records every change notification.
class TChangeLog : public TObject {
public:
    std::vector<TObject*> Senders;

    void Record(TObject* sender) { Senders.push_back(sender); }
    TNotifyEvent Handler() { return TNotifyEvent(this, &TChangeLog::Record); }
};

} // namespace

TEST(Font, SizeAndHeightAt96Dpi) {
    TFont font;
    EXPECT_EQ(font.Name(), "宋体");
    EXPECT_EQ(font.Height(), -12);
    EXPECT_EQ(font.Size(), 9);
    EXPECT_EQ(font.Color(), clWindowText);
    EXPECT_EQ(font.Charset(), DEFAULT_CHARSET);

    // Size -> Height rounds -Size * 96 / 72 half away from zero, and back.
    struct {
        int size;
        int height;
    } const cases[] = {{8, -11}, {9, -12}, {10, -13}, {11, -15}, {12, -16}, {14, -19}, {1, -1}, {0, 0}};
    for (const auto& c : cases) {
        font.SetSize(c.size);
        EXPECT_EQ(font.Height(), c.height) << c.size;
        EXPECT_EQ(font.Size(), c.size) << c.size;
    }
    // A positive (cell) height gives a negative size, as the platform reports it.
    font.SetHeight(16);
    EXPECT_EQ(font.Size(), -12);
    font.SetHeight(-13);
    EXPECT_EQ(font.Size(), 10);
}

TEST(Font, OnChangeOncePerWriteAndPerAssign) {
    TFont font;
    TChangeLog log;
    font.SetOnChange(log.Handler());

    font.SetColor(clRed);
    font.SetColor(clRed); // the same value is no change
    font.SetStyle({fsBold, fsUnderline});
    font.SetSize(12);
    font.SetName(""); // no name keeps the face
    ASSERT_EQ(log.Senders.size(), 3u);
    EXPECT_EQ(log.Senders[0], &font);
    EXPECT_EQ(font.Name(), "宋体");

    TFont other;
    other.SetName("WingDings");
    other.SetHeight(-18);
    other.SetCharset(SYMBOL_CHARSET);
    other.SetPitch(fpFixed);
    log.Senders.clear();
    font.Assign(&other);
    EXPECT_EQ(log.Senders.size(), 1u);
    EXPECT_EQ(font.Name(), "WingDings");
    EXPECT_EQ(font.Height(), -18);
    EXPECT_EQ(font.Color(), clWindowText);
    EXPECT_TRUE(font.Style().Empty());
    EXPECT_EQ(font.Pitch(), fpFixed);
    EXPECT_EQ(font.Charset(), SYMBOL_CHARSET);

    log.Senders.clear();
    font.Assign(&other); // nothing differs
    EXPECT_TRUE(log.Senders.empty());
    // Assigning nothing, or a tool of another kind, is refused as the class library refuses it.
    EXPECT_THROW(font.Assign(nullptr), EConvertError);
    TBrush brush;
    EXPECT_THROW(font.Assign(&brush), EConvertError);
    EXPECT_EQ(font.Name(), "WingDings");
}

TEST(Font, StyleSet) {
    // The bits are those the grid's stored font values use: 0 bold, 1 italic, 2 underline, 3 strike-out.
    TFontStyles styles{fsBold};
    styles.Include(fsItalic).Include(fsStrikeOut).Exclude(fsBold);
    EXPECT_FALSE(styles.Contains(fsBold));
    EXPECT_TRUE(styles.Contains(fsItalic));
    EXPECT_EQ(styles.Bits(), 0b1010u);
    EXPECT_EQ(TFontStyles::FromBits(5), (TFontStyles{fsBold, fsUnderline}));
}

TEST(BrushAndPen, DefaultsChangesAndAssign) {
    TBrush brush;
    EXPECT_EQ(brush.Color(), clWhite);
    EXPECT_EQ(brush.Style(), bsSolid);
    TChangeLog log;
    brush.SetOnChange(log.Handler());
    brush.SetStyle(bsClear);
    // Choosing a colour on a clear brush makes it solid again, even the colour it had.
    brush.SetColor(clWhite);
    EXPECT_EQ(brush.Style(), bsSolid);
    EXPECT_EQ(log.Senders.size(), 2u);

    TBrush clear;
    clear.SetColor(clBtnFace);
    clear.SetStyle(bsClear);
    log.Senders.clear();
    brush.Assign(&clear);
    EXPECT_EQ(brush.Color(), clBtnFace);
    EXPECT_EQ(brush.Style(), bsClear);
    EXPECT_EQ(log.Senders.size(), 1u);

    TPen pen;
    EXPECT_EQ(pen.Color(), clBlack);
    EXPECT_EQ(pen.Width(), 1);
    EXPECT_EQ(pen.Style(), psSolid);
    EXPECT_EQ(pen.Mode(), pmCopy);
    pen.SetOnChange(log.Handler());
    log.Senders.clear();
    TPen wide;
    wide.SetWidth(3);
    wide.SetMode(pmXor);
    wide.SetStyle(psDot);
    pen.Assign(&wide);
    EXPECT_EQ(log.Senders.size(), 1u);
    EXPECT_EQ(pen.Width(), 3);
    EXPECT_EQ(pen.Mode(), pmXor);
    EXPECT_EQ(pen.Style(), psDot);
}
