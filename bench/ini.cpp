// Reading one key of a 6 MB settings file against reading the file's bytes:
// a read parses the whole file, so the two should stay of one order.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "bench/BenchSupport.h"
#include "platform/classes/IniFiles.h"

namespace {

// 40 sections of 8,000 keys and comments each, about 6 MB.
const std::string& IniFile() {
    static const std::string name = [] {
        std::string file = "/tmp/tesk-bench-" + std::to_string(::getpid()) + ".ini";
        std::ofstream out(file, std::ios::binary);
        for (int s = 0; s < 40; ++s) {
            out << "[Section" << s << "]\r\n";
            for (int k = 0; k < 4000; ++k) {
                out << "; comment line " << k << " of the section\r\n";
                out << "Key" << k << " = value of key " << k << "\r\n";
            }
        }
        return file;
    }();
    return name;
}

void BM_IniReadString(benchmark::State& state) {
    TIniFile ini(IniFile());
    for (auto _ : state) benchmark::DoNotOptimize(ini.ReadString("Section39", "Key3999", ""));
}

void BM_FileBytes(benchmark::State& state) {
    for (auto _ : state) {
        std::ifstream in(IniFile(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        benchmark::DoNotOptimize(bytes);
    }
}

BENCHMARK(BM_IniReadString)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FileBytes)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::ifstream size(IniFile(), std::ios::binary | std::ios::ate);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatio (time / reference time, %lld bytes):\n", static_cast<long long>(size.tellg()));
    reporter.PrintRatio("BM_IniReadString", "BM_FileBytes", "goal: well under a second per read");
    std::remove(IniFile().c_str());
    benchmark::Shutdown();
    return 0;
}
