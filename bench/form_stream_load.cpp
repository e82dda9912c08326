// Loading a form stream of 300 components with 10 properties each: from the registered text (converted
// to the binary form once, on first use) and from the text itself (converted at every load).
#include <benchmark/benchmark.h>

#include <memory>

#include "classlib/objects/formloader.h"

namespace {

constexpr int ComponentCount = 300;

KVR_ENUM(TBenchAlign, baNone, baTop, baClient);

class TBenchFont : public TPersistent {
    KVR_CLASS(TBenchFont, TPersistent)
public:
    const AnsiString& Name() const { return FName; }
    void SetName(const AnsiString& v) { FName = v; }

private:
    AnsiString FName;
};

class TBenchControl : public TComponent {
    KVR_CLASS(TBenchControl, TComponent)
public:
    explicit TBenchControl(TComponent* owner) : TComponent(owner), FFont(std::make_unique<TBenchFont>()) {}
    // clang-format off
    const AnsiString& Caption() const { return FCaption; } void SetCaption(const AnsiString& v) { FCaption = v; }
    int Left() const { return FLeft; }                      void SetLeft(int v) { FLeft = v; }
    int Top() const { return FTop; }                        void SetTop(int v) { FTop = v; }
    int Width() const { return FWidth; }                    void SetWidth(int v) { FWidth = v; }
    int Height() const { return FHeight; }                  void SetHeight(int v) { FHeight = v; }
    int Color() const { return FColor; }                    void SetColor(int v) { FColor = v; }
    bool Visible() const { return FVisible; }               void SetVisible(bool v) { FVisible = v; }
    TBenchAlign Align() const { return FAlign; }            void SetAlign(TBenchAlign v) { FAlign = v; }
    TBenchFont* Font() const { return FFont.get(); }        void SetFont(TBenchFont* v) { FFont->SetName(v->Name()); }
    const TNotifyEvent& OnClick() const { return FOnClick; } void SetOnClick(const TNotifyEvent& v) { FOnClick = v; }
    // clang-format on

private:
    AnsiString FCaption;
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0, FColor = 0;
    bool FVisible = true;
    TBenchAlign FAlign = baNone;
    std::unique_ptr<TBenchFont> FFont;
    TNotifyEvent FOnClick;
};

class TBenchForm : public TComponent {
    KVR_CLASS(TBenchForm, TComponent)
public:
    explicit TBenchForm(TComponent* owner, bool load = true) : TComponent(owner) {
        if (load) InitInheritedComponent(this);
    }
    void ControlClick(TObject*) {}
};

KVR_PUBLISHED(TBenchFont, c) {
    c.Property("Name", &TBenchFont::Name, &TBenchFont::SetName);
}

KVR_PUBLISHED(TBenchControl, c) {
    c.Property("Align", &TBenchControl::Align, &TBenchControl::SetAlign).Default(baNone);
    c.Property("Caption", &TBenchControl::Caption, &TBenchControl::SetCaption);
    c.Property("Color", &TBenchControl::Color, &TBenchControl::SetColor).Type("TColor");
    c.Property("Font", &TBenchControl::Font, &TBenchControl::SetFont);
    c.Property("Height", &TBenchControl::Height, &TBenchControl::SetHeight);
    c.Property("Left", &TBenchControl::Left, &TBenchControl::SetLeft);
    c.Property("Top", &TBenchControl::Top, &TBenchControl::SetTop);
    c.Property("Visible", &TBenchControl::Visible, &TBenchControl::SetVisible).Default(1);
    c.Property("Width", &TBenchControl::Width, &TBenchControl::SetWidth);
    c.Property("OnClick", &TBenchControl::OnClick, &TBenchControl::SetOnClick);
}

KVR_PUBLISHED(TBenchForm, c) {
    c.Method("ControlClick", &TBenchForm::ControlClick);
}

AnsiString MakeStream() {
    AnsiString s = "object frmBench: TBenchForm\r\n";
    for (int i = 0; i < ComponentCount; ++i) {
        AnsiString n = std::to_string(i);
        s += "  object ctl" + n + ": TBenchControl\r\n";
        s += "    Align = baTop\r\n";
        s += "    Caption = '控件" + n + "'\r\n";
        s += "    Color = clBtnFace\r\n";
        s += "    Font.Name = '宋体'\r\n";
        s += "    Height = 21\r\n";
        s += "    Left = " + std::to_string(8 + i % 40) + "\r\n";
        s += "    Top = " + std::to_string(i * 24) + "\r\n";
        s += "    Visible = False\r\n";
        s += "    Width = 120\r\n";
        s += "    OnClick = ControlClick\r\n";
        s += "  end\r\n";
    }
    return s + "end\r\n";
}

const AnsiString& StreamText() {
    static const AnsiString text = MakeStream();
    return text;
}

void SetCounters(benchmark::State& state) {
    state.counters["per_component"] = benchmark::Counter(
        ComponentCount, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_LoadRegisteredStream(benchmark::State& state) {
    RegisterFormResource("TBenchForm", StreamText().c_str());
    delete new TBenchForm(nullptr); // the first load converts the text
    for (auto _ : state) {
        auto* form = new TBenchForm(nullptr);
        if (form->ComponentCount() != ComponentCount) state.SkipWithError("not all components loaded");
        benchmark::DoNotOptimize(form);
        form->Free();
    }
    SetCounters(state);
    UnRegisterFormResource("TBenchForm");
}
BENCHMARK(BM_LoadRegisteredStream)->Unit(benchmark::kMillisecond);

void BM_FreeLoadedForm(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto* form = new TBenchForm(nullptr, false);
        ReadComponentFromText(form, StreamText());
        state.ResumeTiming();
        form->Free();
    }
    SetCounters(state);
}
BENCHMARK(BM_FreeLoadedForm)->Unit(benchmark::kMillisecond);

void BM_LoadFromText(benchmark::State& state) {
    for (auto _ : state) {
        auto* form = new TBenchForm(nullptr, false);
        ReadComponentFromText(form, StreamText());
        benchmark::DoNotOptimize(form);
        form->Free();
    }
    SetCounters(state);
}
BENCHMARK(BM_LoadFromText)->Unit(benchmark::kMillisecond);

void BM_WriteToText(benchmark::State& state) {
    auto* form = new TBenchForm(nullptr, false);
    ReadComponentFromText(form, StreamText());
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteComponentToText(form));
    form->Free();
    SetCounters(state);
}
BENCHMARK(BM_WriteToText)->Unit(benchmark::kMillisecond);

} // namespace
