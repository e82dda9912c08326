// Painting a form of 200 controls (panels of edits and buttons, captions in Chinese) into its picture.
#include <benchmark/benchmark.h>

#include "classlib/controls/button.h"
#include "classlib/controls/forms.h"
#include "classlib/graphics/glyphs.h"
#include "classlib/rtl/format.h"

namespace {

// An edit-like control with a sunken frame and its text.
class TBenchEdit : public TCustomControl {
    KVR_CLASS(TBenchEdit, TCustomControl)
public:
    explicit TBenchEdit(TComponent* owner) : TCustomControl(owner) {}

protected:
    void Paint() override {
        TRect r = ClientRect();
        DrawEdge(Canvas(), r, EDGE_SUNKEN, BF_RECT | BF_ADJUST | BF_MIDDLE);
        Canvas()->Brush()->SetStyle(bsClear);
        Canvas()->TextOut(r.Left + 2, r.Top + 2, Text());
    }
};
KVR_PUBLISHED(TBenchEdit, c) {}

TForm* BuildForm() {
    auto* form = new TForm(Application);
    form->SetCaption("信用证开立");
    form->SetBounds(0, 0, 1000, 740);
    int count = 0;
    for (int p = 0; count < 200; ++p) {
        auto* panel = new TCustomControl(form);
        panel->SetBounds((p % 4) * 245, (p / 4) * 140, 240, 135);
        panel->SetParent(form);
        ++count;
        for (int i = 0; i < 7 && count < 200; ++i, ++count) {
            TControl* c;
            if (i % 2 == 0) {
                auto* edit = new TBenchEdit(form);
                edit->SetText("字段" + IntToStr(count));
                c = edit;
            } else {
                auto* button = new TButton(form);
                button->SetCaption("确定(&O)");
                c = button;
            }
            c->SetBounds(5 + (i % 2) * 120, 5 + (i / 2) * 30, 110, 24);
            c->SetParent(panel);
        }
    }
    return form;
}

void PaintForm(benchmark::State& state, TTextLook look) {
    SetTextLook(look);
    TForm* form = BuildForm();
    form->Show();
    TBitmap picture;
    for (auto _ : state) {
        PaintControlPicture(form, &picture);
        benchmark::DoNotOptimize(picture.Pixel(10, 10));
    }
    state.SetLabel("200 controls, " + std::to_string(form->Width()) + "x" + std::to_string(form->Height()));
    form->Free();
    SetTextLook(tlGlyphs);
}

// Texts in the installed font's glyphs, as the screen draws them.
void BM_PaintForm(benchmark::State& state) {
    PaintForm(state, tlGlyphs);
}
BENCHMARK(BM_PaintForm)->Unit(benchmark::kMillisecond);

// Every character as the fixed metric's box: what the glyphs cost beside it.
void BM_PaintFormBoxes(benchmark::State& state) {
    PaintForm(state, tlBoxes);
}
BENCHMARK(BM_PaintFormBoxes)->Unit(benchmark::kMillisecond);

} // namespace
