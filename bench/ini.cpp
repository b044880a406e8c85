// INI reads against a plain line scan, and the time of a language load and of
// a settings read against the size of the file.
//
// Reading one key of a 10 MB settings file with a fresh reader (the file read
// and parsed once) against the least any reader must do: one read of the
// bytes and a scan of the lines, with the same trimming, to the key. A second
// read of the same reader parses nothing. Then the main window's language
// load over the shipped file, one with a 4 MB value and ones with garbage
// lines, and a settings reader reading a hundred keys of files from 64 KB to
// 4 MB: the time per megabyte of file should stay flat.
//
// The files are made first and the runs wait until they are some seconds
// old: a reader compares the bytes of a file changed in the last seconds,
// where the file system's clock may not show a second change.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <thread>

#include "app/TeskStartUp.h"
#include "app/uMain.h"
#include "app/uProgram.h"
#include "bench/BenchSupport.h"
#include "data/uDatamodule.h"
#include "data/uIniFiles.h"
#include "platform/classes/IniFiles.h"
#include "platform/classes/ProgramFolder.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Services.h"
#include "platform/rtl/CodePage.h"

namespace {

namespace fs = std::filesystem;

const fs::path& Folder() {
    static fs::path dir = fs::temp_directory_path() / ("tesk-bench-ini-" + std::to_string(getpid()));
    return dir;
}

std::string Write(const std::string& name, const std::string& bytes) {
    fs::create_directories(Folder());
    const std::string file = (Folder() / name).string();
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
}

// 40 sections of 4,000 keys with a comment line each, about 10 MB.
const std::string& BigIni() {
    static const std::string name = [] {
        std::string bytes;
        for (int s = 0; s < 40; ++s) {
            bytes += "[Section" + std::to_string(s) + "]\r\n";
            for (int k = 0; k < 4000; ++k) {
                bytes += "; comment line " + std::to_string(k) + " of the section\r\n";
                bytes += "Key" + std::to_string(k) + " = value of key " + std::to_string(k) + "\r\n";
            }
        }
        return Write("big.ini", bytes);
    }();
    return name;
}

// ------------------------------------------------------------ one key, 10 MB

void BM_IniFirstRead(benchmark::State& state) {
    for (auto _ : state) {
        TIniFile ini(BigIni());
        benchmark::DoNotOptimize(ini.ReadString("Section39", "Key3999", ""));
    }
}

void BM_IniKeptRead(benchmark::State& state) {
    TIniFile ini(BigIni());
    for (auto _ : state) benchmark::DoNotOptimize(ini.ReadString("Section39", "Key3999", ""));
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b) { return a.size() == b.size() && AnsiCompareText(a, b) == 0; }

// One read of the bytes, then the lines scanned to the key: section headers
// and key names trimmed and compared without regard to case, the value
// trimmed and unquoted. The first occurrence wins, as in the reader.
std::string ScanForKey(const std::string& file, std::string_view section, std::string_view key) {
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    std::string bytes(static_cast<size_t>(::lseek(fd, 0, SEEK_END)), '\0');
    size_t done = 0;
    for (ssize_t n; done < bytes.size() && (n = ::pread(fd, bytes.data() + done, bytes.size() - done, done)) > 0;)
        done += static_cast<size_t>(n);
    bytes.resize(done);
    ::close(fd);
    std::string_view rest(bytes);
    bool inSection = false, seenSection = false;
    while (!rest.empty()) {
        size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = Trimmed(line);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            if (inSection) return {};
            const size_t close = line.rfind(']');
            if (close == std::string_view::npos || close == 0) continue;
            inSection = !seenSection && SameName(Trimmed(line.substr(1, close - 1)), section);
            seenSection = seenSection || inSection;
            continue;
        }
        if (!inSection) continue;
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos || !SameName(Trimmed(line.substr(0, eq)), key)) continue;
        std::string_view value = Trimmed(line.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return std::string(value);
    }
    return {};
}

void BM_ReadAndLineScan(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ScanForKey(BigIni(), "Section39", "Key3999"));
}

// ------------------------------------------------------------ language load

// The shipped file; with one 4 MB value; with garbage lines (no '=' and no
// section) of 200 KB and 2 MB after its first section's header.
std::string LanguageWith(int Case) {
    std::string shipped = ReadFile(std::string(TESK_SOURCE_DIR) + "/resources/lang/English.lng");
    std::string garbage;
    for (unsigned i = 0; garbage.size() < (Case == 2 ? 200u : 2000u) * 1024; ++i)
        garbage += "garbage line " + std::to_string(i * 2654435761u) + " without an equals sign\r\n";
    switch (Case) {
        case 1: {
            const size_t at = shipped.find("ESDefaultPlanetName=");
            const size_t end = shipped.find("\r\n", at);
            shipped.insert(end, std::string(4 * 1024 * 1024, 'v'));
            return shipped;
        }
        case 2:
        case 3: {
            const size_t at = shipped.find("\r\n", shipped.find('[')) + 2;
            return shipped.insert(at, garbage);
        }
        default: return shipped;
    }
}

const char* const kLanguageCases[] = {"shipped", "one 4 MB value", "200 KB of garbage", "2 MB of garbage"};

struct TLanguageBench {
    TfrmMain* Window = nullptr;
    TLanguageBench() {
        SetProgramFolderForTests(Folder().string() + "/");
        dmMain = new TdmMain(nullptr);
        Window = CreateForm<TfrmMain>(nullptr);
        frmMain = Window;
    }
};

TLanguageBench& Language() {
    static TLanguageBench* bench = new TLanguageBench();
    return *bench;
}

void BM_LanguageLoad(benchmark::State& state) {
    const int c = static_cast<int>(state.range(0));
    const std::string name = "Case" + std::to_string(c);
    TLanguageBench& b = Language();
    for (auto _ : state) b.Window->SetActiveLanguage(name);
    const double megabytes = static_cast<double>(fs::file_size(Folder() / (name + ".lng"))) / (1024 * 1024);
    state.SetLabel(kLanguageCases[c]);
    state.counters["MB"] = megabytes;
}

// ------------------------------------------------------------ settings read

// A hundred keys a start reads, in a settings file padded to Size bytes with
// sections of other keys before them.
std::string SettingsOf(int64_t Size) {
    std::string bytes;
    for (int s = 0; bytes.size() < static_cast<size_t>(Size); ++s) {
        bytes += "[Other" + std::to_string(s) + "]\r\n";
        for (int k = 0; k < 200; ++k) bytes += "Key" + std::to_string(k) + "=some stored value\r\n";
    }
    bytes += "[General]\r\n";
    for (int k = 0; k < 100; ++k) bytes += "Setting" + std::to_string(k) + "=" + std::to_string(k) + "\r\n";
    return bytes;
}

void BM_SettingsRead(benchmark::State& state) {
    const std::string file = (Folder() / ("settings" + std::to_string(state.range(0)) + ".ini")).string();
    for (auto _ : state) {
        TMyIniFile ini(file);
        for (int k = 0; k < 100; ++k) benchmark::DoNotOptimize(ini.ReadString("General", "Setting" + std::to_string(k), "0"));
    }
    state.counters["MB"] = static_cast<double>(fs::file_size(file)) / (1024 * 1024);
}

constexpr int64_t kSettingsSizes[] = {64 << 10, 512 << 10, 4 << 20};

BENCHMARK(BM_IniFirstRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAndLineScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IniKeptRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LanguageLoad)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SettingsRead)->Arg(kSettingsSizes[0])->Arg(kSettingsSizes[1])->Arg(kSettingsSizes[2])->Unit(benchmark::kMillisecond);

double Megabytes(const std::string& name) {
    const fs::path file = name.rfind("BM_LanguageLoad/", 0) == 0
                              ? Folder() / ("Case" + name.substr(name.find('/') + 1) + ".lng")
                              : Folder() / ("settings" + name.substr(name.find('/') + 1) + ".ini");
    return static_cast<double>(fs::file_size(file)) / (1024 * 1024);
}

// The time, and the time above the smallest file's per megabyte more.
void PrintPerMegabyte(const RatioReporter& reporter, const std::string& name, const std::string& smallest,
                      const char* label) {
    const auto t = reporter.times.find(name), t0 = reporter.times.find(smallest);
    if (t == reporter.times.end() || t0 == reporter.times.end()) return;
    const double megabytes = Megabytes(name), more = megabytes - Megabytes(smallest);
    std::printf("%-24s %-18s %8.3f MB %9.2f ms", name.c_str(), label, megabytes, t->second);
    if (more > 0) std::printf(" %8.2f ms per MB more", (t->second - t0->second) / more);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    UseOffscreenDisplay();
    benchmark::Initialize(&argc, argv);
    StartTesk(argc, argv);
    PrepareProgram();
    BigIni();
    for (int c = 0; c < 4; ++c) Write("Case" + std::to_string(c) + ".lng", LanguageWith(c));
    for (int64_t size : kSettingsSizes) Write("settings" + std::to_string(size) + ".ini", SettingsOf(size));
    Language();
    std::this_thread::sleep_for(std::chrono::seconds(3));
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatio (median time / reference median time, %lld bytes):\n",
                static_cast<long long>(fs::file_size(BigIni())));
    reporter.PrintRatio("BM_IniFirstRead", "BM_ReadAndLineScan", "goal: near 1");
    std::printf("\nTime against the size of the file (goal: the time per megabyte more stays flat):\n");
    for (int c = 0; c < 4; ++c)
        PrintPerMegabyte(reporter, "BM_LanguageLoad/" + std::to_string(c), "BM_LanguageLoad/0", kLanguageCases[c]);
    for (int64_t size : kSettingsSizes)
        PrintPerMegabyte(reporter, "BM_SettingsRead/" + std::to_string(size),
                         "BM_SettingsRead/" + std::to_string(kSettingsSizes[0]), "100 keys");
    benchmark::Shutdown();
    FreeObject(Language().Window);
    FreeObject(dmMain);
    SetProgramFolderForTests("");
    std::error_code ec;
    fs::remove_all(Folder(), ec);
    return 0;
}
