// Moving through a grid's records as a user does: Page Down from the first
// record to the last, and the vertical scroll bar's thumb dragged to the
// bottom and back, over 1,000 and over 100,000 records. A step must cost the
// same whatever the size of the data set (no step walks the records): the
// ratio of one step at 100,000 to one at 1,000 is printed at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "bench/BenchSupport.h"
#include "grid/DBGridGx.h"
#include "platform/db/StMemoryDataset.h"
#include "platform/gui/Forms.h"
#include "platform/gui/InputSimulation.h"
#include "platform/gui/Platform.h"

namespace {

// One shown form with a grid over Rows records, made once per size.
struct TScrollBench {
    TForm* Form = nullptr;
    TStMemoryData* Data = nullptr;
    TDataSource* Source = nullptr;
    TDBGridGx* Grid = nullptr;

    explicit TScrollBench(int Rows) {
        Form = CreateForm<TForm>(nullptr);
        Form->SetBounds(0, 0, 700, 500);
        Data = new TStMemoryData(Form);
        Data->FieldDefs()->Add("ID", ftInteger, 0);
        Data->FieldDefs()->Add("Name", ftString, 24);
        Data->FieldDefs()->Add("Metal", ftInteger, 0);
        Data->Open();
        TField* id = Data->Fields()->Fields(0);
        TField* name = Data->Fields()->Fields(1);
        TField* metal = Data->Fields()->Fields(2);
        Data->DisableControls();
        for (int r = 1; r <= Rows; ++r) {
            Data->Append();
            id->SetAsInteger(r);
            name->SetAsString("Planet " + std::to_string(r));
            metal->SetAsInteger(r * 37 % 100000);
            Data->Post();
        }
        Data->First();
        Data->EnableControls();
        Source = new TDataSource(Form);
        Source->SetDataSet(Data);
        Grid = new TDBGridGx(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, 660, 440);
        Grid->SetOptions(Grid->Options() + dgRowSelect + dgMultiSelect);
        Form->Show();
        Grid->SetDataSource(Source);
        Grid->SetFocus();
        Application->ProcessMessages();
    }
};

TScrollBench& Bench(int Rows) {
    static std::map<int, std::unique_ptr<TScrollBench>> benches;
    auto& b = benches[Rows];
    if (!b) b = std::make_unique<TScrollBench>(Rows);
    return *b;
}

// Keys go to the window with the focus: each benchmark focuses its own grid
// first, whatever grid was made or used before it.
bool FocusGrid(TScrollBench& b) {
    b.Grid->SetFocus();
    Application->ProcessMessages();
    return GetFocus() == b.Grid->Handle();
}

// One iteration walks the whole set page by page; the time is reported per
// step. Every Page Down moves at least one record, so a walk that takes more
// steps than there are records has gone wrong and ends the benchmark.
void BM_PageDown(benchmark::State& state) {
    TScrollBench& b = Bench(static_cast<int>(state.range(0)));
    if (!FocusGrid(b)) {
        state.SkipWithError("the grid under test does not have the focus");
        return;
    }
    const int64_t maxSteps = b.Data->RecordCount() + 1;
    int64_t steps = 0;
    for (auto _ : state) {
        b.Data->First();
        int64_t walk = 0;
        while (!b.Data->Eof() && walk <= maxSteps) {
            SimulateKey(b.Grid->Handle(), VK_NEXT);
            ++walk;
        }
        steps += walk;
        if (walk > maxSteps) {
            state.SkipWithError("Page Down did not reach the last record");
            break;
        }
    }
    state.SetItemsProcessed(steps);
    state.counters["us/step"] =
        benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// One iteration drags the thumb to the bottom (the last record) and back to the top.
void BM_ThumbJump(benchmark::State& state) {
    TScrollBench& b = Bench(static_cast<int>(state.range(0)));
    if (!FocusGrid(b)) {
        state.SkipWithError("the grid under test does not have the focus");
        return;
    }
    int length = b.Grid->ClientHeight();
    int64_t steps = 0;
    for (auto _ : state) {
        SimulateScrollBarDrag(b.Grid->Handle(), SB_VERT, length);
        if (b.Data->RecNo() != b.Data->RecordCount()) {
            state.SkipWithError("the thumb did not reach the last record");
            break;
        }
        SimulateScrollBarDrag(b.Grid->Handle(), SB_VERT, -length);
        if (b.Data->RecNo() != 1) {
            state.SkipWithError("the thumb did not reach the first record");
            break;
        }
        steps += 2;
    }
    state.SetItemsProcessed(steps);
    state.counters["us/step"] =
        benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_PageDown)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThumbJump)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The per-step cost of one walk at Big records against one at Small, from the
// medians of the repetitions.
void PrintStepRatio(const RatioReporter& Reporter, const std::string& Big, const std::string& Small) {
    const double big = Reporter.CounterOf(Big, "us/step") * 1e6, small = Reporter.CounterOf(Small, "us/step") * 1e6;
    if (big <= 0 || small <= 0) return;
    std::printf("%-26s %8.1f us/step   %-26s %8.1f us/step   ratio %.2f   (goal: at most 1.5)\n", Big.c_str(), big,
                Small.c_str(), small, big / small);
}

}  // namespace

int main(int argc, char** argv) {
    UseOffscreenDisplay();
    benchmark::Initialize(&argc, argv);
    PlatformInitialize(argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nPer step, medians of the repetitions:\n");
    PrintStepRatio(reporter, "BM_PageDown/100000", "BM_PageDown/1000");
    PrintStepRatio(reporter, "BM_ThumbJump/100000", "BM_ThumbJump/1000");
    benchmark::Shutdown();
    return 0;
}
