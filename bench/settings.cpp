// Reading the database chooser's column list from the settings file when the
// file claims far more items than it holds, against the same list with an
// honest count: a list reads what it holds, so the two should stay of one
// order whatever the count says.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "bench/BenchSupport.h"
#include "platform/classes/Collections.h"
#include "platform/classes/Strings.h"
#include "storage/StAppXMLStorage.h"

namespace {

std::string SettingsFile(long long Count) {
    std::string file = "/tmp/tesk-bench-" + std::to_string(::getpid()) + "-" + std::to_string(Count) + ".xml";
    std::ofstream out(file, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<Configuration>\r\n  <frmSelectDB>\r\n"
        << "    <grdSelectDB_Columns>\r\n      <Count>" << Count << "</Count>\r\n"
        << "      <Item0>GroupName</Item0>\r\n    </grdSelectDB_Columns>\r\n  </frmSelectDB>\r\n</Configuration>\r\n";
    return file;
}

// The store as the main window configures it: every read reloads the file.
void ReadList(benchmark::State& state) {
    const std::string file = SettingsFile(state.range(0));
    TStAppXMLFileStorage store(nullptr);
    store.SetLocation(flCustom);
    store.SetFileName(file);
    store.SetAutoReload(true);
    for (auto _ : state) {
        TStringList list;
        store.ReadStringList("frmSelectDB\\grdSelectDB_Columns", &list, true);
        if (list.Count() != 1) state.SkipWithError("the list did not hold one item");
        benchmark::DoNotOptimize(list.Count());
    }
    std::remove(file.c_str());
}

void BM_ListOfOneCountedHonestly(benchmark::State& state) { ReadList(state); }
void BM_ListOfOneCountedHostile(benchmark::State& state) { ReadList(state); }

BENCHMARK(BM_ListOfOneCountedHonestly)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListOfOneCountedHostile)->Arg(2147483647)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatio (time / reference time):\n");
    reporter.PrintRatio("BM_ListOfOneCountedHostile/2147483647", "BM_ListOfOneCountedHonestly/1",
                        "goal: of one order, far under a second");
    benchmark::Shutdown();
    return 0;
}
