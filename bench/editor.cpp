// The memo taking a 2 MiB pasted text and painting its first screen, against
// Qt's plain-text editor doing setPlainText and one paint of the same text, in
// the same run; and scrolling one page and painting near line 100,000 against
// doing the same near line 10. The ratios are printed at the end.
#include <benchmark/benchmark.h>

#include "bench/BenchSupport.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPlainTextEdit>
#include <QString>
#include <cstdio>
#include <string>

#include "editor/TeEdit.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Platform.h"

namespace {

constexpr int kWidth = 1200;
constexpr int kHeight = 900;

// About 2 MiB of solar-system views as they are pasted: 120,000 short lines.
const AnsiString& PastedText() {
    static const AnsiString text = [] {
        AnsiString s;
        s.reserve(2200000);
        const char* names[] = {"Terra Nova", "Boreas", "Vesta Minor", "Ceto", "Halcyon"};
        for (int i = 0; s.size() < 2 * 1024 * 1024; ++i) {
            s += std::to_string(1 + i % 15);
            s += "\t";
            s += names[i % 5];
            s += "\tp";
            s += std::to_string(i % 977);
            s += "\r\n";
        }
        return s;
    }();
    return text;
}

struct TMemoBench {
    TForm* Form = nullptr;
    TTeMemo* Memo = nullptr;
    TBitmap* Target = nullptr;

    TMemoBench() {
        Form = CreateForm<TForm>(nullptr);
        Form->SetBounds(0, 0, kWidth + 40, kHeight + 60);
        Memo = new TTeMemo(Form);
        Memo->SetParent(Form);
        Memo->SetBounds(0, 0, kWidth, kHeight);
        Form->Show();
        Target = new TBitmap();
        Target->SetSize(kWidth, kHeight);
    }
    void Frame() { Memo->Perform(WM_PAINT, reinterpret_cast<WPARAM>(Target->Canvas()->Handle()), 0); }
};

TMemoBench& Bench() {
    static TMemoBench* bench = new TMemoBench();
    return *bench;
}

void BM_MemoSetTextAndPaint(benchmark::State& state) {
    TMemoBench& b = Bench();
    const AnsiString& text = PastedText();
    for (auto _ : state) {
        b.Memo->SetText(text);
        b.Frame();
    }
    state.counters["lines"] = b.Memo->Lines()->Count();
}

void BM_QPlainTextEditSetTextAndPaint(benchmark::State& state) {
    QString text = QString::fromLatin1(PastedText().data(), static_cast<int>(PastedText().size()));
    QPlainTextEdit edit;
    edit.resize(kWidth, kHeight);
    edit.setFont(QFont("Liberation Mono", 10));
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        edit.setPlainText(text);
        QPainter p(&image);
        edit.render(&p);
    }
}

// One page down from a line, painted, then back: two scrolls and two frames.
void ScrollPages(benchmark::State& state, int line) {
    TMemoBench& b = Bench();
    if (b.Memo->Lines()->Count() < 110000) b.Memo->SetText(PastedText());
    b.Memo->SetTopLine(line);
    int page = b.Memo->LinesInWindow();
    for (auto _ : state) {
        b.Memo->Perform(WM_VSCROLL, SB_PAGEDOWN, 0);
        b.Frame();
        b.Memo->SetTopLine(line);
        b.Frame();
    }
    state.counters["page"] = page;
}

void BM_ScrollPageAtLine10(benchmark::State& state) { ScrollPages(state, 10); }
void BM_ScrollPageAtLine100000(benchmark::State& state) { ScrollPages(state, 100000); }

BENCHMARK(BM_QPlainTextEditSetTextAndPaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemoSetTextAndPaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollPageAtLine10)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScrollPageAtLine100000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    UseOffscreenDisplay();
    benchmark::Initialize(&argc, argv);
    PlatformInitialize(argc, argv);
    std::printf("Pasted text: %zu bytes\n", PastedText().size());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    reporter.PrintRatio("BM_MemoSetTextAndPaint", "BM_QPlainTextEditSetTextAndPaint", "goal: at most 2", 32);
    reporter.PrintRatio("BM_ScrollPageAtLine100000", "BM_ScrollPageAtLine10", "goal: within 1.5", 32);
    benchmark::Shutdown();
    return 0;
}
